#include <algorithm>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>

#include "common/byte_io.h"
#include "common/report.h"
#include "import/wav_convert.h"
#include "support/test_support.h"
#include "voices/add_clip.h"
#include "voices/loudness.h"
#include "voices/voice_set.h"

namespace yumo
{
namespace
{

constexpr double kPi = 3.14159265358979323846;

using Format = test::WavShape;

std::vector<uint8_t> MakeFile(const Format& f, const std::vector<std::vector<double>>& frames)
{
    return test::MakeWavFile(f, frames);
}

double Tone(double seconds) { return 0.25 * std::sin(2 * kPi * 997.0 * seconds); }

// 48 kHz, 24 bits, stereo with the tone on the left at twice its level and silence on the
// right: the mean of both is the tone. The result must match the tone sampled at 44.1 kHz to
// within the dither's noise: rounding with triangular dither of one step each way leaves an
// error of 0.5 steps RMS (0.29 without dither), never more than 1.5 steps.
TEST(WavConvert, ResamplesMixesAndDithersToTheReference)
{
    Format format{1, false, 2, 48000, 24};
    std::vector<std::vector<double>> frames;
    for (int i = 0; i < 48000; ++i)
    {
        frames.push_back({2 * Tone(i / 48000.0), 0.0});
    }
    CapturingReporter reporter;
    std::vector<int16_t> mono;
    ASSERT_TRUE(ConvertWavBytes(MakeFile(format, frames), mono, reporter));
    EXPECT_TRUE(reporter.messages.empty());
    ASSERT_NEAR(static_cast<double>(mono.size()), 44100.0, 1.0);

    double squares = 0;
    double sum = 0;
    double worst = 0;
    int counted = 0;
    for (size_t i = 500; i + 500 < mono.size(); ++i, ++counted)
    {
        const double error = mono[i] - Tone(static_cast<double>(i) / 44100.0) * 32768.0;
        squares += error * error;
        sum += error;
        worst = std::max(worst, std::fabs(error));
    }
    const double rms = std::sqrt(squares / counted);
    EXPECT_GT(rms, 0.42) << "no dither";
    EXPECT_LT(rms, 0.58);
    EXPECT_LE(worst, 1.5 + 1e-3);
    EXPECT_NEAR(sum / counted, 0.0, 0.05);
}

// The loudest values of a 24-bit file come out at the top of 16 bits, not wrapped or cut.
TEST(WavConvert, TwentyFourBitsKeepTheirTopBits)
{
    const double values[] = {8388607 / 8388608.0, -1.0, 0x123456 / 8388608.0, -0x654321 / 8388608.0,
                             0x0000FF / 8388608.0};
    std::vector<std::vector<double>> frames;
    for (double v : values)
    {
        frames.push_back({v});
    }
    CapturingReporter reporter;
    std::vector<int16_t> mono;
    ASSERT_TRUE(ConvertWavBytes(MakeFile({1, false, 1, 44100, 24}, frames), mono, reporter));
    ASSERT_EQ(mono.size(), std::size(values));
    EXPECT_EQ(mono[0], 32767);
    EXPECT_EQ(mono[1], -32768);
    EXPECT_NEAR(mono[2], 0x123456 / 256.0, 1.5);
    EXPECT_NEAR(mono[3], -0x654321 / 256.0, 1.5);
    EXPECT_NEAR(mono[4], 0x0000FF / 256.0, 1.5);
}

// Extensible headers are read for the format their sub-format names; a mono 16-bit file at
// 44.1 kHz comes through unchanged, float samples at their value; a canonical file the
// import takes is not offered for conversion.
TEST(WavConvert, ReadsExtensibleHeadersForTheirRealFormat)
{
    const std::vector<std::vector<double>> frames = {{0.5}, {-0.25}, {1.0 / 32768}};
    WavFileFormat format;
    const std::vector<uint8_t> pcm = MakeFile({1, true, 1, 44100, 16}, frames);
    ASSERT_TRUE(ReadWavFileFormat(pcm, format));
    EXPECT_TRUE(format.extensible);
    EXPECT_EQ(format.type, WavSampleType::Integer);
    EXPECT_FALSE(ImportTakesFormat(format));
    CapturingReporter reporter;
    std::vector<int16_t> mono;
    ASSERT_TRUE(ConvertWavBytes(pcm, mono, reporter));
    EXPECT_EQ(mono, (std::vector<int16_t>{16384, -8192, 1}));

    const std::vector<uint8_t> floats = MakeFile({3, true, 1, 44100, 32}, frames);
    ASSERT_TRUE(ReadWavFileFormat(floats, format));
    EXPECT_EQ(format.type, WavSampleType::Float);
    ASSERT_TRUE(ConvertWavBytes(floats, mono, reporter));
    ASSERT_EQ(mono.size(), 3u);
    EXPECT_NEAR(mono[0], 16384, 1);
    EXPECT_NEAR(mono[1], -8192, 1);

    ASSERT_TRUE(ReadWavFileFormat(MakeFile({}, frames), format));
    EXPECT_TRUE(ImportTakesFormat(format));
    std::vector<uint8_t> mp3Like = pcm;
    std::memcpy(mp3Like.data() + 8, "WAVX", 4);
    EXPECT_FALSE(ReadWavFileFormat(mp3Like, format));
}

// The add that converts shows the import's refusal first, then adds the clip in whole blocks;
// without conversion the same file is refused.
TEST(WavConvert, AddConvertingKeepsTheImportMessageFirst)
{
    test::TempDir dir;
    std::vector<std::vector<double>> frames(4800, std::vector<double>{0.1, 0.1});
    test::WriteBytesFile(dir / "a.wav", MakeFile({1, false, 2, 48000, 16}, frames));
    const std::string path = (dir / "a.wav").string();
    EXPECT_TRUE(WavFileConvertible(path));

    auto set = std::make_unique<VoiceSet>();
    StartNewVoiceSet(*set);
    CapturingReporter plain;
    EXPECT_EQ(AddVoiceClip(*set, 0, path, plain), AddClipResult::ImportFailed);
    CapturingReporter reporter;
    ASSERT_EQ(AddVoiceClipConverting(*set, 0, path, reporter), AddClipResult::Added);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, plain.messages.at(0).text);
    const std::vector<int16_t>& clip = set->samples[ClipSlot(0, 0)];
    EXPECT_EQ(clip.size(), 4608u); // 4410 samples in whole blocks
    EXPECT_NEAR(clip[2000], 3277, 2);
    EXPECT_EQ(clip[4500], 0);
}

// A converted clip is matched to the loudness target like any other unless its level is kept.
TEST(WavConvert, AConvertedClipIsMatchedUnlessItsLevelIsKept)
{
    test::TempDir dir;
    std::vector<std::vector<double>> frames(48000);
    for (size_t i = 0; i < frames.size(); ++i)
    {
        const double v = 0.02 * std::sin(2 * 3.14159265358979 * 440.0 * double(i) / 48000.0);
        frames[i] = {v, v};
    }
    test::WriteBytesFile(dir / "quiet.wav", MakeFile({1, false, 2, 48000, 24}, frames));
    const std::string path = (dir / "quiet.wav").string();
    for (const ClipLevel level : {ClipLevel::Matched, ClipLevel::Kept})
    {
        auto set = std::make_unique<VoiceSet>();
        StartNewVoiceSet(*set);
        CapturingReporter reporter;
        ASSERT_EQ(AddVoiceClipConverting(*set, 0, path, reporter, level), AddClipResult::Added);
        const std::vector<int16_t>& clip = set->samples[ClipSlot(0, 0)];
        double lufs = 0;
        ASSERT_TRUE(MeasureLoudness(clip.data(), clip.size(), 1, lufs));
        if (level == ClipLevel::Matched)
        {
            EXPECT_NEAR(lufs, kClipLoudnessTarget, 1.0);
        }
        else
        {
            EXPECT_LT(lufs, kClipLoudnessTarget - 6.0); // 0.02 of full scale stays quiet
        }
    }
}

} // namespace
} // namespace yumo
