#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <numbers>

#include "common/byte_io.h"
#include "import/import_messages.h"
#include "import/mp3_import.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

// Each fixture holds 0.2 s of tone at amplitude 0.5: 1 kHz in mono files, 1 kHz left and
// 1.5 kHz right in stereo ones (tests/data/make_import_fixtures.sh).
constexpr double kToneSeconds = 0.2;
constexpr double kToneAmplitude = 0.5 * 32767;

std::string Fixture(const std::string& name)
{
    return std::string(YUMO_TEST_DATA_DIR) + "/mp3/" + name;
}

std::string BadFixture(const std::string& name)
{
    return std::string(YUMO_TEST_DATA_DIR) + "/bad/mp3/" + name;
}

std::vector<double> Channel(const ImportedAudio& audio, int channels, int which)
{
    std::vector<double> out;
    for (size_t i = static_cast<size_t>(which) * 2; i + 1 < audio.buffer.size();
         i += static_cast<size_t>(channels) * 2)
    {
        out.push_back(static_cast<int16_t>(LoadU16(&audio.buffer[i])));
    }
    return out;
}

// Power of one frequency over the middle half of the signal (Goertzel), away from the
// codec's onset and the tone's end.
double PowerAt(const std::vector<double>& signal, double hz)
{
    size_t begin = signal.size() / 4;
    size_t end = signal.size() * 3 / 4;
    double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / 44100);
    double s1 = 0;
    double s2 = 0;
    for (size_t i = begin; i < end; ++i)
    {
        double s0 = signal[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return (s1 * s1 + s2 * s2 - coefficient * s1 * s2) / double(end - begin);
}

double Rms(const std::vector<double>& signal)
{
    double sum = 0;
    size_t begin = signal.size() / 4;
    size_t end = signal.size() * 3 / 4;
    for (size_t i = begin; i < end; ++i)
    {
        sum += signal[i] * signal[i];
    }
    return std::sqrt(sum / double(end - begin));
}

// The tone must stand out from every other frequency on a 250 Hz grid, and keep its level.
void ExpectTone(const std::vector<double>& signal, double hz)
{
    double tone = PowerAt(signal, hz);
    for (double other = 250; other <= 8000; other += 250)
    {
        if (other != hz)
        {
            EXPECT_GT(tone, 100 * PowerAt(signal, other)) << hz << " Hz against " << other;
        }
    }
    EXPECT_NEAR(Rms(signal), kToneAmplitude / std::sqrt(2.0), 0.1 * kToneAmplitude);
}

TEST(Mp3Import, DecodesEveryRateToTheToneAt44100)
{
    struct Case
    {
        const char* file;
        uint16_t channels;
    };
    const Case cases[] = {
        {"mono_44k.mp3", 1}, {"stereo_44k.mp3", 2}, {"mono_48k.mp3", 1},
        {"mono_22k.mp3", 1}, {"stereo_24k.mp3", 2},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        ImportedAudio audio;
        PcmFormat format;
        CapturingReporter reporter;
        int32_t length = ImportMp3File(Fixture(c.file), audio, format, reporter);
        EXPECT_TRUE(reporter.messages.empty());
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.channels, c.channels);
        EXPECT_EQ(format.sampleRate, 44100u);
        EXPECT_EQ(format.avgBytesPerSecond, 44100u * 2 * c.channels);
        EXPECT_EQ(format.blockAlign, 2 * c.channels);
        EXPECT_EQ(format.bitsPerSample, 16);
        EXPECT_TRUE(audio.allocated);
        EXPECT_EQ(length, audio.byteLength);
        ASSERT_EQ(audio.buffer.size(), static_cast<size_t>(length));
        // The encoder's delay and padding are dropped, so the duration comes back whole.
        double frames = double(length) / format.blockAlign;
        EXPECT_NEAR(frames, kToneSeconds * 44100, 32);
        ExpectTone(Channel(audio, c.channels, 0), 1000);
        if (c.channels == 2)
        {
            ExpectTone(Channel(audio, c.channels, 1), 1500);
        }
    }
}

TEST(Mp3Import, TaggedFilesDecodeLikeTheUntaggedOne)
{
    ImportedAudio plain;
    PcmFormat format;
    CapturingReporter reporter;
    ASSERT_GT(ImportMp3File(Fixture("mono_44k.mp3"), plain, format, reporter), 0);
    for (const char* name : {"mono_44k_id3.mp3", "mono_44k_id3only.mp3", "mono_44k_tag257.mp3"})
    {
        SCOPED_TRACE(name);
        ImportedAudio tagged;
        EXPECT_EQ(ImportMp3File(Fixture(name), tagged, format, reporter), plain.byteLength);
        EXPECT_EQ(tagged.buffer, plain.buffer);
    }
    EXPECT_TRUE(reporter.messages.empty());

    Mp3File file;
    ASSERT_TRUE(ReadMp3File(Fixture("mono_44k_tag257.mp3"), file, reporter));
    EXPECT_EQ(file.audioOffset, 267u);
}

TEST(Mp3Import, RefusesOtherLayersAndVersionsSilently)
{
    for (const char* name : {"mpeg25_8k.mp3", "layer2.mp3", "junk_before_frame.mp3"})
    {
        SCOPED_TRACE(name);
        ImportedAudio audio;
        PcmFormat format;
        CapturingReporter reporter;
        EXPECT_EQ(ImportMp3File(BadFixture(name), audio, format, reporter), 0);
        EXPECT_TRUE(reporter.messages.empty());
        EXPECT_FALSE(audio.allocated);
        EXPECT_EQ(format.formatTag, 0);
    }
}

void ExpectOneWarning(const CapturingReporter& reporter, const char* text)
{
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, text);
    EXPECT_EQ(reporter.messages[0].caption, "");
    EXPECT_EQ(reporter.messages[0].kind, MessageKind::Warning);
}

TEST(Mp3Import, FailuresWarnAndLeaveTheAudioRecordAsItWas)
{
    test::TempDir dir;
    std::filesystem::path huge = dir / "huge.mp3";
    test::WriteBytesFile(huge, {0xFF, 0xFB, 0x90, 0x00});
    std::filesystem::resize_file(huge, kMaxImportBytes + 1);
    struct Case
    {
        std::string path;
        const char* text;
    };
    const Case cases[] = {
        {(dir / "missing.mp3").string(), kMp3OpenFailedText},
        {dir.path().string(), kMp3OpenFailedText},
        // A valid header with no frame behind it: the decoder yields nothing.
        {BadFixture("header_only.mp3"), kMp3StreamFailedText},
        {huge.string(), kImportTooLargeText},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.path);
        ImportedAudio audio;
        audio.allocated = true;
        audio.buffer = {1, 2};
        audio.byteLength = 2;
        PcmFormat format;
        CapturingReporter reporter;
        EXPECT_EQ(ImportMp3File(c.path, audio, format, reporter), 0);
        ExpectOneWarning(reporter, c.text);
        EXPECT_EQ(audio.buffer, (std::vector<uint8_t>{1, 2}));
        EXPECT_EQ(audio.byteLength, 2);
    }
}

TEST(Mp3Import, ByteRouteMatchesTheFileRouteAndSurvivesDamage)
{
    std::vector<uint8_t> bytes = test::ReadBytesFile(Fixture("stereo_24k.mp3"));
    ImportedAudio fromFile;
    ImportedAudio fromBytes;
    PcmFormat format;
    CapturingReporter reporter;
    ASSERT_GT(ImportMp3File(Fixture("stereo_24k.mp3"), fromFile, format, reporter), 0);
    ASSERT_GT(ImportMp3Bytes(bytes, fromBytes, format, reporter), 0);
    EXPECT_EQ(fromBytes.buffer, fromFile.buffer);

    // Cut in the middle of a frame, and with a run of garbage: whatever decodes is kept.
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<long>(bytes.size() / 2));
    ImportedAudio partial;
    ASSERT_GT(ImportMp3Bytes(cut, partial, format, reporter), 0);
    EXPECT_LT(partial.byteLength, fromFile.byteLength);
    std::vector<uint8_t> damaged = bytes;
    std::fill(damaged.begin() + 1000, damaged.begin() + 1400, 0x5A);
    ImportedAudio repaired;
    EXPECT_GT(ImportMp3Bytes(damaged, repaired, format, reporter), 0);
    EXPECT_EQ(repaired.byteLength % 4, 0);
    EXPECT_TRUE(reporter.messages.empty());
}

} // namespace
} // namespace yumo
