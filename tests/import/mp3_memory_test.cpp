// What a long, highly compressed MP3 costs: silent 8 kbit/s frames decode to about 180 times
// their size, so the result is refused from the stream's length before decoding when it is too
// large, and otherwise built in its final buffer without holding a second copy.

#include <gtest/gtest.h>

#include "import/import_messages.h"
#include "import/mp3_import.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

constexpr long long kMiB = 1 << 20;

// MPEG-2 Layer III, 8 kbit/s, 22 050 Hz, stereo, no CRC: 26-byte frames of 576 samples whose
// side information is all zero, so every granule is silence.
std::vector<uint8_t> MakeSilentMp3(size_t bytes)
{
    std::vector<uint8_t> frame(26, 0);
    frame[0] = 0xFF;
    frame[1] = 0xF3;
    frame[2] = 0x10;
    std::vector<uint8_t> file;
    file.reserve(bytes);
    while (file.size() + frame.size() <= bytes)
    {
        file.insert(file.end(), frame.begin(), frame.end());
    }
    return file;
}

TEST(Mp3ImportMemory, ALongStreamIsBuiltInItsFinalBufferAndATooLongOneRefusedUndecoded)
{
    if (!test::ResidentSizesAreMeaningful())
    {
        GTEST_SKIP()
            << "resident sizes are not measured here (address sanitizer, or no clear_refs)";
    }
    test::TempDir dir;
    // 512 KiB: 20 164 frames, 11.6 M frames at 22 050 Hz, about 93 MB at 44.1 kHz stereo.
    test::WriteBytesFile(dir / "long.mp3", MakeSilentMp3(512 << 10));
    {
        ImportedAudio audio;
        PcmFormat format;
        CapturingReporter reporter;
        const test::PeakResidentGrowth growth;
        const int32_t length = ImportMp3File((dir / "long.mp3").string(), audio, format, reporter);
        ASSERT_GT(length, 90'000'000);
        EXPECT_EQ(format.channels, 2);
        EXPECT_LE(growth.Bytes(), static_cast<long long>(length) * 3 / 2);
    }
    // 6 MiB would decode to 1.1 GB, beyond the 1 GiB limit: refused after a scan of the frame
    // headers, before anything of it is decoded.
    test::WriteBytesFile(dir / "too_long.mp3", MakeSilentMp3(6 << 20));
    {
        ImportedAudio audio;
        PcmFormat format;
        CapturingReporter reporter;
        const test::PeakResidentGrowth growth;
        EXPECT_EQ(ImportMp3File((dir / "too_long.mp3").string(), audio, format, reporter), 0);
        ASSERT_EQ(reporter.messages.size(), 1u);
        EXPECT_EQ(reporter.messages[0].text, kImportTooLargeText);
        EXPECT_LT(growth.Bytes(), 64 * kMiB);
    }
}

} // namespace
} // namespace yumo
