// Background music: loading into the slot, mixing, the "M" switch and the seamless loop.

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "night/behaviour.h"
#include "night/load_commands.h"
#include "night/music_slot.h"
#include "night/output_stream.h"
#include "stream_fixture.h"
#include "support/night_data.h"
#include "support/test_support.h"

namespace yumo::test
{
namespace
{

// Interleaved stereo music of `frames` frames, every sample distinct from its neighbours.
std::vector<int16_t> MakeStereoMusic(int frames)
{
    std::vector<int16_t> samples(static_cast<size_t>(frames) * 2);
    for (int f = 0; f < frames; ++f)
    {
        samples[static_cast<size_t>(2 * f)] = static_cast<int16_t>(f * 7 % 20000 - 10000);
        samples[static_cast<size_t>(2 * f + 1)] = static_cast<int16_t>(9000 - f * 11 % 18000);
    }
    return samples;
}

// A refill as the offline device runs it: the music's worker is waited for first.
void Refill(AppState& state, int index)
{
    AwaitMusicBlock(state);
    RefillBlock(state, index);
}

// The music alone, `blocks` blocks of it from the cursor, as a built-in silence mixes it.
std::vector<int16_t> HeardMusic(AppState& state, int blocks)
{
    EnterBuiltInSilence(state, kKindBuiltInSilence, 3);
    std::vector<int16_t> heard;
    for (int b = 0; b < blocks; ++b)
    {
        Refill(state, b % kOutputBlockCount);
        const auto& samples =
            state.stream.blocks[static_cast<size_t>(b % kOutputBlockCount)].samples;
        heard.insert(heard.end(), samples.begin(), samples.end());
    }
    return heard;
}

// Interleaved stereo of `frames` frames from `source` of `channels` channels: the first two, a
// lone channel on both sides, silence past the source.
std::vector<int16_t> AsStereo(const std::vector<int16_t>& source, int channels, size_t frames)
{
    std::vector<int16_t> out(2 * frames, 0);
    for (size_t f = 0; f < frames && (f + 1) * static_cast<size_t>(channels) <= source.size(); ++f)
    {
        out[2 * f] = source[f * static_cast<size_t>(channels)];
        out[2 * f + 1] = source[f * static_cast<size_t>(channels) + (channels >= 2 ? 1 : 0)];
    }
    return out;
}

std::vector<int16_t> BlockSamples(const AppState& state, int index)
{
    const auto& samples = state.stream.blocks[static_cast<size_t>(index)].samples;
    return {samples.begin(), samples.end()};
}

class StreamMusic : public ::testing::Test
{
protected:
    void SetUp() override { rig = MakeStreamRig(MakeTriangleClip(2, 8000)); }
    AppState& State() { return *rig->state; }
    std::string Path(const std::string& name) { return (dir / name).string(); }

    TempDir dir;
    std::unique_ptr<StreamRig> rig;
};

TEST_F(StreamMusic, StereoMusicIsSplitIntoWholeBlocksAndPlacesTheVoiceAhead)
{
    const std::vector<int16_t> music = MakeStereoMusic(700);
    const std::string path = WriteMusicWav(Path("m.wav"), music, 2);
    State().referenceDistance[0] = 0.3;
    EXPECT_EQ(LoadMusicFile(State(), path), 4096); // 2800 bytes padded to 2048s
    const MusicSlot& slot = State().music;
    EXPECT_EQ(slot.path, path);
    EXPECT_EQ(slot.lengthFrames, 1024);
    EXPECT_EQ(slot.lengthBytes, 4096);
    EXPECT_EQ(HeardMusic(State(), 2), AsStereo(music, 2, 1024));
    EXPECT_EQ(slot.loadCount, 1);
    EXPECT_TRUE(slot.musicOn);
    EXPECT_EQ(State().referenceDistance[0], 1.0);
    EXPECT_EQ(State().blockTracks.values[kTrackAzimuth][0], 0.0);
    EXPECT_EQ(State().blockTracks.values[kTrackElevation][0], 0.0);
    EXPECT_EQ(State().blockTracks.values[kTrackDistance][0], 0.3);
    EXPECT_EQ(State().blockTracks.counts[0], 3);
}

TEST_F(StreamMusic, MonoMusicIsHeardOnBothSides)
{
    std::vector<int16_t> mono(1500);
    for (size_t i = 0; i < mono.size(); ++i)
    {
        mono[i] = static_cast<int16_t>(static_cast<int>(i) * 13 - 9000);
    }
    ASSERT_EQ(LoadMusicFile(State(), WriteMusicWav(Path("mono.wav"), mono, 1)), 4096);
    const MusicSlot& slot = State().music;
    EXPECT_EQ(slot.lengthFrames, 2048); // 4096 bytes of mono are 2048 frames
    EXPECT_EQ(slot.lengthBytes, 8192);
    EXPECT_EQ(HeardMusic(State(), 4), AsStereo(mono, 1, 2048));
}

TEST_F(StreamMusic, MoreThanTwoChannelsGiveTheirFirstTwo)
{
    std::vector<int16_t> samples(3 * 600);
    for (size_t i = 0; i < samples.size(); ++i)
    {
        samples[i] = static_cast<int16_t>(i % 3 == 2 ? 30000 : static_cast<int>(i));
    }
    ASSERT_GT(LoadMusicFile(State(), WriteMusicWav(Path("three.wav"), samples, 3)), 0);
    const MusicSlot& slot = State().music;
    EXPECT_EQ(slot.lengthFrames % 512, 0);
    EXPECT_EQ(slot.lengthBytes, slot.lengthFrames * 4);
    EXPECT_EQ(HeardMusic(State(), static_cast<int>(slot.lengthFrames / 512)),
              AsStereo(samples, 3, static_cast<size_t>(slot.lengthFrames)));
}

// Audio handed over without its padding to whole blocks is packed into a buffer grown to them,
// the missing samples silent.
TEST_F(StreamMusic, AnUnpaddedImportIsGrownToWholeBlocks)
{
    ImportedAudio audio;
    audio.allocated = true;
    audio.buffer = {1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6};
    audio.byteLength = 11;
    const PcmFormat format{1, 2, 44100, 44100 * 4, 4, 16, 0};
    ASSERT_TRUE(StoreMusic(State(), "short.wav", audio, format));
    const MusicSlot& slot = State().music;
    EXPECT_EQ(slot.lengthFrames, 512);
    EXPECT_EQ(HeardMusic(State(), 1), AsStereo({1, 2, 3, 4, 5, 0}, 2, 512)); // 6 cut short
}

TEST_F(StreamMusic, AFailedImportKeepsThePreviousMusicAndItsPath)
{
    const std::string good = WriteMusicWav(Path("good.wav"), MakeStereoMusic(512), 2);
    ASSERT_GT(LoadMusicFile(State(), good), 0);
    const MusicSlot before = State().music;

    WriteBytesFile(Path("bad.wav"), {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'J', 'U', 'N', 'K'});
    for (const std::string& path : {Path("missing.wav"), Path("bad.wav"), Path("bad.mp3")})
    {
        EXPECT_EQ(LoadMusicFile(State(), path), 0) << path;
        const MusicSlot& after = State().music;
        EXPECT_EQ(after.path, good);
        EXPECT_EQ(after.stream, before.stream);
        EXPECT_EQ(after.channels, before.channels);
        EXPECT_EQ(after.lengthFrames, before.lengthFrames);
        EXPECT_EQ(after.loadCount, 1);
        EXPECT_TRUE(after.musicOn);
    }
    EXPECT_FALSE(rig->reporter.messages.empty()); // the damaged WAV was reported
}

TEST_F(StreamMusic, MusicAloneReachesTheDeviceInBuiltInSilences)
{
    const std::vector<int16_t> music = MakeStereoMusic(512);
    ASSERT_GT(LoadMusicFile(State(), WriteMusicWav(Path("m.wav"), music, 2)), 0);
    for (double volume : {0.0, -60.0, 123.0})
    {
        State().stream.musicVolume = volume;
        for (int kind : {kKindBuiltInSilence, kKindBuiltInSilenceMidBreath})
        {
            EnterBuiltInSilence(State(), kind);
            State().music.cursorFrames = 0;
            State().music.cursorBytes = 0;
            Refill(State(), 7);
            const std::vector<int16_t> out = BlockSamples(State(), 7);
            for (size_t i = 0; i < out.size(); ++i)
            {
                ASSERT_EQ(out[i], ExpectedMixSample(0, music[i], volume))
                    << "volume " << volume << " sample " << i;
            }
        }
    }
}

TEST_F(StreamMusic, TheMusicGainWorksInSinglePrecision)
{
    // Samples whose product with the gain truncates differently in single and in double
    // precision: only single precision gives the expected values for all of them.
    const double volume = -47;
    const float gain = static_cast<float>(std::pow(10.0, volume / 200.0));
    std::vector<int16_t> music;
    for (int s = -32768; s <= 32767 && music.size() < 1024; ++s)
    {
        const int single = static_cast<int>(static_cast<float>(s) * gain);
        const int twice = static_cast<int>(static_cast<double>(s) * std::pow(10.0, volume / 200.0));
        if (single != twice)
        {
            music.push_back(static_cast<int16_t>(s));
        }
    }
    ASSERT_FALSE(music.empty());
    music.resize(1024, 0);
    ASSERT_GT(LoadMusicFile(State(), WriteMusicWav(Path("m.wav"), music, 2)), 0);
    State().stream.musicVolume = volume;
    EnterBuiltInSilence(State(), kKindBuiltInSilence);
    Refill(State(), 0);
    const std::vector<int16_t> out = BlockSamples(State(), 0);
    for (size_t i = 0; i < out.size(); ++i)
    {
        ASSERT_EQ(out[i], ExpectedMixSample(0, music[i], volume)) << i;
    }
}

TEST_F(StreamMusic, MusicIsMixedIntoTheScaledVoiceAndSaturates)
{
    // Loud music under a loud voice: the sum must saturate, not wrap.
    std::vector<int16_t> music(2 * 512 * 3, 0);
    for (size_t i = 0; i < music.size(); ++i)
    {
        music[i] = static_cast<int16_t>(i % 2 == 0 ? 30000 : -30000);
    }
    const std::vector<int16_t> clip = MakeTriangleClip(3, 12000);
    auto night = MakeStreamRig(clip);
    AppState& state = *night->state;
    ASSERT_GT(LoadMusicFile(state, WriteMusicWav(Path("loud.wav"), music, 2)), 0);
    state.stream.voiceVolume = 20;
    state.stream.musicVolume = -10;
    StartNight(state);
    PumpBlocks(*night, 12);
    const auto rendered = RenderClipBlocks(state.hrir, clip, 1.0, 2);
    // Music is mixed from the start of the night; the clip's first block is the 11th refill.
    const std::vector<int16_t>& out = night->played[11];
    int saturated = 0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        const int voice = ExpectedVoiceSample(rendered[1][i], 20);
        ASSERT_EQ(out[i], ExpectedMixSample(voice, music[i], -10)) << i;
        saturated += out[i] == 32767 || out[i] == -32768;
    }
    EXPECT_GT(saturated, 50);
}

TEST_F(StreamMusic, TheMusicLoopsWithoutAGap)
{
    const std::vector<int16_t> music = MakeStereoMusic(1024); // exactly two blocks
    ASSERT_GT(LoadMusicFile(State(), WriteMusicWav(Path("loop.wav"), music, 2)), 0);
    EnterBuiltInSilence(State(), kKindBuiltInSilence, 3);
    std::vector<int16_t> heard;
    for (int b = 0; b < 5; ++b)
    {
        Refill(State(), b);
        const std::vector<int16_t> block = BlockSamples(State(), b);
        heard.insert(heard.end(), block.begin(), block.end());
    }
    std::vector<int16_t> expected;
    for (int b = 0; b < 5; ++b)
    {
        const size_t start = static_cast<size_t>(b % 2) * 1024;
        expected.insert(expected.end(), music.begin() + static_cast<long>(start),
                        music.begin() + static_cast<long>(start + 1024));
    }
    EXPECT_EQ(heard, expected);
}

TEST_F(StreamMusic, SwitchingMusicOffStopsTheMixButTheCursorRunsOn)
{
    ASSERT_GT(LoadMusicFile(State(), WriteMusicWav(Path("m.wav"), MakeStereoMusic(4096), 2)), 0);
    EnterBuiltInSilence(State(), kKindBuiltInSilence, 3);
    Refill(State(), 0);
    State().music.musicOn = false;
    Refill(State(), 1);
    Refill(State(), 2);
    EXPECT_EQ(State().music.cursorFrames, 1536);
    EXPECT_EQ(State().music.cursorBytes, 6144);
    const std::vector<int16_t> off = BlockSamples(State(), 2);
    EXPECT_TRUE(std::all_of(off.begin(), off.end(), [](int16_t s) { return s == 0; }));
    EXPECT_EQ(State().stream.peaks[2].left, 0.0);

    // On again: mixing resumes where the cursor stands, not where it stopped.
    State().music.musicOn = true;
    Refill(State(), 3);
    EXPECT_EQ(BlockSamples(State(), 3)[0], MakeStereoMusic(4096)[2 * 1536]);
}

TEST_F(StreamMusic, WithoutMusicTheMusicCursorStaysPut)
{
    EnterBuiltInSilence(State(), kKindBuiltInSilence, 3);
    State().music.cursorBytes = 2147483647 - 1000; // a long night would have brought it here
    State().music.cursorFrames = State().music.cursorBytes / 4;
    for (int b = 0; b < 4; ++b)
    {
        RefillBlock(State(), b);
    }
    EXPECT_EQ(State().music.cursorBytes, 2147483647 - 1000);
}

TEST_F(StreamMusic, LoadingMusicDuringANightLetsTheQueueDrain)
{
    StartNight(State());
    PumpBlocks(*rig, 12);
    State().stream.peaks[3] = BlockPeak{100, 200};
    ASSERT_GT(LoadMusic(State(), WriteMusicWav(Path("m.wav"), MakeStereoMusic(512), 2)), 0);
    EXPECT_EQ(State().phase, NightPhase::Stopped); // drained, and a night may start
    EXPECT_EQ(State().stream.peaks[3].left, 0.0);
    const uint64_t written = rig->device.writtenBlocks;
    EXPECT_EQ(PumpBlocks(*rig, 100), 10);
    EXPECT_EQ(rig->device.writtenBlocks, written);
}

} // namespace
} // namespace yumo::test
