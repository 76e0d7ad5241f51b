#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

#include "common/byte_io.h"
#include "support/test_support.h"
#include "tools/voicegen/dsp.h"
#include "tools/voicegen/sounds.h"

namespace yumo::voicegen
{
namespace
{

std::vector<double> ToDouble(const std::vector<int16_t>& pcm, size_t from = 0, size_t count = 0)
{
    size_t end = count == 0 ? pcm.size() : std::min(pcm.size(), from + count);
    std::vector<double> out;
    for (size_t i = from; i < end; ++i)
    {
        out.push_back(pcm[i] / 32767.0);
    }
    return out;
}

// Amplitude-weighted mean frequency of a stretch, by a plain DFT of Hann-windowed 2048-sample
// frames (the window keeps low-frequency energy from leaking into the upper bins).
double SpectralCentroidHz(const std::vector<double>& samples)
{
    constexpr size_t kFrame = 2048;
    double weighted = 0;
    double total = 0;
    for (size_t start = 0; start + kFrame <= samples.size(); start += kFrame * 4)
    {
        for (size_t bin = 1; bin < kFrame / 2; bin += 2)
        {
            double re = 0;
            double im = 0;
            for (size_t i = 0; i < kFrame; ++i)
            {
                double hann =
                    0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) / kFrame);
                double angle = 2 * std::numbers::pi * static_cast<double>(bin * i) / kFrame;
                re += hann * samples[start + i] * std::cos(angle);
                im -= hann * samples[start + i] * std::sin(angle);
            }
            double magnitude = std::hypot(re, im);
            weighted += magnitude * static_cast<double>(bin) * kRate / kFrame;
            total += magnitude;
        }
    }
    return total > 0 ? weighted / total : 0;
}

// The lag (in samples) within [minLag, maxLag) where a stretch best matches itself.
size_t StrongestLag(const std::vector<double>& x, size_t minLag, size_t maxLag)
{
    size_t bestLag = 0;
    double best = -1e300;
    for (size_t lag = minLag; lag < maxLag; ++lag)
    {
        double sum = 0;
        for (size_t i = 0; i + lag < x.size(); ++i)
        {
            sum += x[i] * x[i + lag];
        }
        sum /= static_cast<double>(x.size() - lag);
        if (sum > best)
        {
            best = sum;
            bestLag = lag;
        }
    }
    return bestLag;
}

TEST(DefaultClips, FillTheWordlessKindsWithVariedClips)
{
    std::map<int, int> counts;
    std::set<std::string> names;
    std::map<int, std::set<double>> lengths;
    std::map<int, std::set<double>> pitches;
    std::map<int, std::set<int>> parts;
    for (const ClipRecipe& clip : DefaultClipRecipes())
    {
        ++counts[clip.kind];
        EXPECT_TRUE(names.insert(clip.fileName).second) << clip.fileName;
        lengths[clip.kind].insert(clip.sound.seconds);
        pitches[clip.kind].insert(clip.sound.pitchHz);
        parts[clip.kind].insert(clip.sound.parts);
    }
    // Breathing in and out, snoring, mumbling, sighs and silences, ten of each; three mumbles
    // are spoken, and speech comes from elsewhere.
    EXPECT_EQ(counts,
              (std::map<int, int>{{1, 10}, {2, 10}, {3, 10}, {4, 10}, {5, 7}, {9, 10}, {11, 10}}));
    for (const auto& [kind, count] : counts)
    {
        EXPECT_EQ(lengths[kind].size(), static_cast<size_t>(count)) << "kind " << kind;
    }
    for (int kind : {4, 5, 9})
    {
        EXPECT_EQ(pitches[kind].size(), static_cast<size_t>(counts[kind])) << "kind " << kind;
    }
    EXPECT_EQ(parts[4], (std::set<int>{2, 3})); // snores of two and of three rasps
    EXPECT_GE(parts[5].size(), 3u);             // mumbles of several syllable counts
}

TEST(Sounds, SnoreRaspsAndMumbleSyllablesFollowTheirParts)
{
    // Each further rasp adds the rasp, the turn, the soft exhalation and the pause before it.
    size_t two = SynthesiseSound({Sound::Snore, 4, 1.3, 32, 2}).size();
    size_t three = SynthesiseSound({Sound::Snore, 4, 1.3, 32, 3}).size();
    EXPECT_EQ(three - two, SamplesFor(1.3) + SamplesFor(0.12) + SamplesFor(1.3) + SamplesFor(0.6));
    EXPECT_EQ(SynthesiseSound({Sound::Snore, 4, 1.3, 32, 0}).size(), two);

    // At its natural pace (1.1 s and 0.325 s a syllable) a mumble of N syllables pauses after
    // its "uun" at the same moment and is voiced into its last syllable: a mumble that ignored
    // N would be squeezed or stretched to the length and sound in the pause.
    for (int syllables : {2, 3, 5})
    {
        const double seconds = 1.1 + 0.325 * syllables;
        std::vector<int16_t> pcm = SynthesiseSound({Sound::Mumble, 6, seconds, 220, syllables});
        auto rmsBetween = [&](double from, double to) {
            return RmsDbfs(
                std::vector<int16_t>(pcm.begin() + SamplesFor(from), pcm.begin() + SamplesFor(to)));
        };
        double last = rmsBetween(seconds - 0.25, seconds - 0.1);
        EXPECT_GT(last, -45) << syllables;
        EXPECT_LT(rmsBetween(0.98, 1.08), last - 20) << syllables;
    }
}

TEST(DefaultClips, AreAtTheirLevelsUnclippedAndStartAndEndAtZero)
{
    for (const ClipRecipe& clip : DefaultClipRecipes())
    {
        SCOPED_TRACE(clip.fileName);
        std::vector<int16_t> pcm = SynthesiseSound(clip.sound);
        double seconds = static_cast<double>(pcm.size()) / kRate;
        if (clip.sound.sound == Sound::Silence)
        {
            EXPECT_GE(seconds, 1.0);
            EXPECT_LE(seconds, 4.0);
            EXPECT_EQ(PeakDbfs(pcm), -1000);
            continue;
        }
        EXPECT_GE(seconds, 1.0);
        EXPECT_LE(seconds, 10.0);
        EXPECT_LE(PeakDbfs(pcm), kPeakCeilingDbfs + 0.01);
        // The peak ceiling must not have had to pull the clip below its intended level.
        EXPECT_NEAR(RmsDbfs(pcm), TargetRmsDbfs(clip.sound.sound), 0.1);
        // Fades leave no step at either edge: the first and last milliseconds stay tiny.
        for (size_t i = 0; i < 44; ++i)
        {
            EXPECT_LE(std::abs(pcm[i]), 40 + 20 * static_cast<int>(i)) << i;
            EXPECT_LE(std::abs(pcm[pcm.size() - 1 - i]), 40 + 20 * static_cast<int>(i)) << i;
        }
        EXPECT_EQ(pcm.front(), 0);
        EXPECT_EQ(pcm.back(), 0);
    }
}

TEST(DefaultClips, RepeatExactlyForTheSameSeedAndDifferForAnother)
{
    for (const ClipRecipe& clip : DefaultClipRecipes())
    {
        if (clip.sound.sound == Sound::Silence)
        {
            continue;
        }
        SCOPED_TRACE(clip.fileName);
        SoundRecipe other = clip.sound;
        ++other.seed;
        std::vector<int16_t> first = SynthesiseSound(clip.sound);
        EXPECT_EQ(first, SynthesiseSound(clip.sound));
        EXPECT_NE(first, SynthesiseSound(other));
    }
}

TEST(Sounds, InhalationIsBrighterThanExhalationAndSnoringIsDarkest)
{
    double in = SpectralCentroidHz(ToDouble(SynthesiseSound({Sound::BreathIn, 5, 1.5, 0})));
    double out = SpectralCentroidHz(ToDouble(SynthesiseSound({Sound::BreathOut, 5, 1.5, 0})));
    // Only the rasp: the first 1.4 s of the snore, before its soft exhalation.
    std::vector<int16_t> snore = SynthesiseSound({Sound::Snore, 5, 1.4, 30});
    double rasp = SpectralCentroidHz(ToDouble(snore, 0, SamplesFor(1.4)));
    EXPECT_GT(in, 2500);
    EXPECT_GT(in, out * 1.3);
    EXPECT_LT(rasp, 900);
    EXPECT_GT(out, rasp * 1.5);
}

TEST(Sounds, SnoreRaspFluttersAtItsRate)
{
    for (double flutter : {25.0, 30.0, 40.0})
    {
        std::vector<int16_t> snore = SynthesiseSound({Sound::Snore, 9, 1.4, flutter});
        // Rectify and smooth over 2 ms: what is left is the rasp's loudness, which pulses.
        std::vector<double> rasp = ToDouble(snore, SamplesFor(0.3), SamplesFor(0.8));
        std::vector<double> loudness(rasp.size());
        Biquad smooth = MakeLowPass(250, 0.7);
        double mean = 0;
        for (size_t i = 0; i < rasp.size(); ++i)
        {
            loudness[i] = FilterSample(smooth, std::fabs(rasp[i]));
            mean += loudness[i];
        }
        mean /= static_cast<double>(loudness.size());
        for (double& l : loudness)
        {
            l -= mean;
        }
        double period = kRate / flutter;
        size_t lag = StrongestLag(loudness, SamplesFor(1.0 / 60), SamplesFor(1.0 / 15));
        EXPECT_NEAR(static_cast<double>(lag), period, 0.08 * period) << flutter;
    }
}

TEST(Sounds, VoicedSoundsCarryTheirPitch)
{
    // The sigh falls from its starting pitch by a third over its length; at 40 % of the way the
    // voice is fully on and sounds at 0.868 of the starting pitch.
    const double seconds = 1.8;
    std::vector<int16_t> sigh = SynthesiseSound({Sound::Sigh, 3, seconds, 290});
    std::vector<double> middle = ToDouble(sigh, SamplesFor(0.4 * seconds - 0.02), SamplesFor(0.04));
    double expectedLag = kRate / (290 * (1 - 0.33 * 0.4));
    size_t lag = StrongestLag(middle, SamplesFor(1.0 / 500), SamplesFor(1.0 / 100));
    EXPECT_NEAR(static_cast<double>(lag), expectedLag, 0.05 * expectedLag);

    // The mumble's hummed "uun" starts near its pitch too (0.25 s into a 2.4 s mumble).
    std::vector<int16_t> mumble = SynthesiseSound({Sound::Mumble, 3, 2.4, 230});
    std::vector<double> hum = ToDouble(mumble, SamplesFor(0.23), SamplesFor(0.04));
    double humLag = kRate / (230 * (1 - 0.13 * 0.25));
    lag = StrongestLag(hum, SamplesFor(1.0 / 500), SamplesFor(1.0 / 100));
    EXPECT_NEAR(static_cast<double>(lag), humLag, 0.05 * humLag);
}

struct WavInfo
{
    bool ok = false;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint16_t bits = 0;
    std::vector<int16_t> samples;
};

WavInfo ParseCanonicalWav(const std::vector<uint8_t>& bytes)
{
    WavInfo info;
    if (bytes.size() < 44 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF" ||
        std::string(bytes.begin() + 8, bytes.begin() + 16) != "WAVEfmt " ||
        std::string(bytes.begin() + 36, bytes.begin() + 40) != "data")
    {
        return info;
    }
    info.channels = LoadU16(&bytes[22]);
    info.rate = LoadU32(&bytes[24]);
    info.bits = LoadU16(&bytes[34]);
    uint32_t dataBytes = LoadU32(&bytes[40]);
    if (dataBytes != bytes.size() - 44 || LoadU32(&bytes[4]) != bytes.size() - 8)
    {
        return info;
    }
    for (size_t i = 44; i + 1 < bytes.size(); i += 2)
    {
        info.samples.push_back(static_cast<int16_t>(LoadU16(&bytes[i])));
    }
    info.ok = true;
    return info;
}

TEST(VoicegenTool, WritesEveryClipAsMonoWavAndListsItsKind)
{
    test::TempDir dir;
    std::filesystem::path folder = dir / "clips";
    std::string out;
    ASSERT_EQ(
        test::RunCommand(std::string(YUMO_VOICEGEN_PATH) + " '" + folder.string() + "'", &out), 0);
    std::istringstream lines(out);
    std::vector<ClipRecipe> recipes = DefaultClipRecipes();
    for (const ClipRecipe& clip : recipes)
    {
        int kind = -1;
        std::string path;
        ASSERT_TRUE(lines >> kind >> path) << clip.fileName;
        EXPECT_EQ(kind, clip.kind);
        EXPECT_EQ(std::filesystem::path(path), folder / clip.fileName);
        WavInfo wav = ParseCanonicalWav(test::ReadBytesFile(path));
        ASSERT_TRUE(wav.ok) << path;
        EXPECT_EQ(wav.channels, 1);
        EXPECT_EQ(wav.rate, 44100u);
        EXPECT_EQ(wav.bits, 16);
        EXPECT_EQ(wav.samples, SynthesiseSound(clip.sound)) << path;
    }
    std::string extra;
    EXPECT_FALSE(lines >> extra);
    // No temporary files are left beside the clips.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder),
                            std::filesystem::directory_iterator()),
              static_cast<long>(recipes.size()));
}

TEST(VoicegenTool, RefusesBadArgumentsAndUnwritableFolders)
{
    test::TempDir dir;
    std::string err;
    EXPECT_EQ(test::RunCommand(YUMO_VOICEGEN_PATH, nullptr, &err), 2);
    EXPECT_NE(err.find("usage:"), std::string::npos);
    EXPECT_EQ(test::RunCommand(std::string(YUMO_VOICEGEN_PATH) + " a b"), 2);
    test::WriteTextFile(dir / "file", "not a folder");
    EXPECT_EQ(
        test::RunCommand(std::string(YUMO_VOICEGEN_PATH) + " '" + (dir / "file/x").string() + "'",
                         nullptr, &err),
        1);
    EXPECT_NE(err.find("cannot"), std::string::npos);
}

} // namespace
} // namespace yumo::voicegen
