// WAV output beyond the RIFF limits.

#include <gtest/gtest.h>
#include <string>

#include "common/byte_io.h"
#include "common/wav_writer.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

std::string Tag(const std::vector<uint8_t>& bytes, size_t offset)
{
    return std::string(bytes.begin() + static_cast<long>(offset),
                       bytes.begin() + static_cast<long>(offset + 4));
}

uint64_t LoadU64(const uint8_t* p) { return LoadU32(p) | uint64_t{LoadU32(p + 4)} << 32; }

TEST(WavRf64, SmallDataStaysPlainRiffWithAReservedJunkChunk)
{
    test::TempDir dir;
    WavWriter writer;
    ASSERT_TRUE(OpenWavWriter(writer, dir / "out.wav", 2, 44100, WavLayout::Rf64Ready));
    const int16_t samples[6] = {1, -2, 3, -4, 32767, -32768};
    ASSERT_TRUE(WriteWavSamples(writer, samples, 6));
    ASSERT_TRUE(CloseWavWriter(writer));

    const std::vector<uint8_t> bytes = test::ReadBytesFile(dir / "out.wav");
    ASSERT_EQ(bytes.size(), 80u + 12u);
    EXPECT_EQ(Tag(bytes, 0), "RIFF");
    EXPECT_EQ(LoadU32(&bytes[4]), bytes.size() - 8);
    EXPECT_EQ(Tag(bytes, 8), "WAVE");
    EXPECT_EQ(Tag(bytes, 12), "JUNK");
    EXPECT_EQ(LoadU32(&bytes[16]), 28u);
    EXPECT_EQ(Tag(bytes, 48), "fmt ");
    EXPECT_EQ(LoadU16(&bytes[58]), 2u);      // channels
    EXPECT_EQ(LoadU32(&bytes[60]), 44100u);  // sample rate
    EXPECT_EQ(LoadU32(&bytes[64]), 176400u); // bytes per second
    EXPECT_EQ(Tag(bytes, 72), "data");
    EXPECT_EQ(LoadU32(&bytes[76]), 12u);
    EXPECT_EQ(static_cast<int16_t>(LoadU16(&bytes[90])), -32768);
}

TEST(WavRf64, DataBeyondFourGibibytesTurnsTheJunkIntoDs64)
{
    const uint64_t limit = kMaxRiffDataBytesWithJunk;
    const std::vector<uint8_t> fits = MakeWavHeader(2, 44100, limit - 3, WavLayout::Rf64Ready);
    EXPECT_EQ(Tag(fits, 0), "RIFF");
    EXPECT_EQ(LoadU32(&fits[4]), 0xFFFFFFFFu - 3);

    // A ten-hour night: 3100782 blocks of 2048 bytes.
    const uint64_t night = 3100782ull * 2048;
    const std::vector<uint8_t> big = MakeWavHeader(2, 44100, night, WavLayout::Rf64Ready);
    ASSERT_EQ(big.size(), 80u);
    EXPECT_EQ(Tag(big, 0), "RF64");
    EXPECT_EQ(LoadU32(&big[4]), 0xFFFFFFFFu);
    EXPECT_EQ(Tag(big, 12), "ds64");
    EXPECT_EQ(LoadU32(&big[16]), 28u);
    EXPECT_EQ(LoadU64(&big[20]), night + 72); // the whole file less its first 8 bytes
    EXPECT_EQ(LoadU64(&big[28]), night);
    EXPECT_EQ(LoadU64(&big[36]), night / 4); // stereo frames
    EXPECT_EQ(LoadU32(&big[44]), 0u);
    EXPECT_EQ(Tag(big, 48), "fmt ");
    EXPECT_EQ(Tag(big, 72), "data");
    EXPECT_EQ(LoadU32(&big[76]), 0xFFFFFFFFu);

    // The canonical layout never pretends: its sizes stop at the RIFF limit.
    const std::vector<uint8_t> canonical = MakeWavHeader(2, 44100, 1000, WavLayout::Canonical);
    EXPECT_EQ(canonical.size(), 44u);
    EXPECT_EQ(LoadU32(&canonical[40]), 1000u);
}

} // namespace
} // namespace yumo
