// The music's ring and worker: what the refill gets when the worker is slow, has made nothing
// yet, or has reached the loop's end inside a block; and offline nights with streamed music
// against the same nights with the whole import.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

#include "night/behaviour.h"
#include "night/music_slot.h"
#include "night/music_stream.h"
#include "night/output_stream.h"
#include "stream_fixture.h"
#include "support/night_data.h"
#include "support/test_support.h"

namespace yumo::test
{
namespace
{

int16_t SampleAt(int64_t frame, int side)
{
    return static_cast<int16_t>((frame * 2 + side) % 30011);
}

// Stereo frames whose samples tell where they stand, `frames` of them, optionally slow or held
// back until released, failing after `failAfter` frames when that is not negative.
class ScriptedReader final : public MusicReader
{
public:
    ScriptedReader(int64_t frames, std::chrono::microseconds delay, std::atomic<bool>* gate,
                   int64_t failAfter)
        : frames_(frames), delay_(delay), gate_(gate), failAfter_(failAfter)
    {
    }
    int64_t Read(int16_t* out, size_t frames) override
    {
        while (gate_ != nullptr && !gate_->load())
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(delay_);
        if (failAfter_ >= 0 && next_ >= failAfter_)
        {
            return -1;
        }
        const auto n =
            static_cast<int64_t>(std::min<size_t>(frames, static_cast<size_t>(frames_ - next_)));
        for (int64_t f = 0; f < n; ++f)
        {
            out[2 * f] = SampleAt(next_ + f, 0);
            out[2 * f + 1] = SampleAt(next_ + f, 1);
        }
        next_ += n;
        return n;
    }
    bool Rewind() override
    {
        next_ = 0;
        return true;
    }

private:
    int64_t frames_;
    std::chrono::microseconds delay_;
    std::atomic<bool>* gate_;
    int64_t failAfter_;
    int64_t next_ = 0;
};

struct RingRig
{
    explicit RingRig(int64_t sourceFrames, int64_t loopFrames, std::chrono::microseconds delay = {},
                     std::atomic<bool>* gate = nullptr, int64_t failAfter = -1)
    {
        MusicLayout layout;
        layout.channels = 2;
        layout.loopFrames = loopFrames;
        stream = std::make_unique<MusicStream>(
            std::make_unique<ScriptedReader>(sourceFrames, delay, gate, failAfter), layout, 16);
    }
    std::unique_ptr<MusicStream> stream;
};

// The block at `frame` is exactly the source's frames there, silence past `sourceFrames`.
::testing::AssertionResult BlockIs(const int16_t* block, int64_t frame, int64_t sourceFrames)
{
    if (block == nullptr)
    {
        return ::testing::AssertionFailure() << "no block at " << frame;
    }
    for (int64_t f = 0; f < kFramesPerBlock; ++f)
    {
        for (int side = 0; side < 2; ++side)
        {
            const int16_t want = frame + f < sourceFrames ? SampleAt(frame + f, side) : 0;
            if (block[2 * f + side] != want)
            {
                return ::testing::AssertionFailure() << "frame " << frame + f << " side " << side;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(MusicRing, AnEmptyRingGivesSilenceOnceAndTheNextBlockComesInItsPlace)
{
    std::atomic<bool> gate{false};
    RingRig rig(4096, 4096, {}, &gate);
    EXPECT_EQ(rig.stream->Take(0), nullptr);
    EXPECT_EQ(rig.stream->Take(512), nullptr);
    EXPECT_EQ(rig.stream->DryBlocks(), 2u);
    EXPECT_EQ(rig.stream->DrySpells(), 1u);
    gate = true;
    rig.stream->Await(1024);
    EXPECT_TRUE(BlockIs(rig.stream->Take(1024), 1024, 4096)); // in step, not from the start
    EXPECT_EQ(rig.stream->DrySpells(), 1u);
}

TEST(MusicRing, ASlowWorkerNeverHandsOverTheWrongFrames)
{
    RingRig rig(1 << 20, 1 << 20, std::chrono::microseconds(3000));
    int dry = 0;
    for (int64_t b = 0; b < 60; ++b)
    {
        const int16_t* block = rig.stream->Take(b * kFramesPerBlock);
        dry += block == nullptr;
        if (block != nullptr)
        {
            ASSERT_TRUE(BlockIs(block, b * kFramesPerBlock, 1 << 20));
        }
    }
    EXPECT_GT(dry, 0);
    EXPECT_EQ(rig.stream->DryBlocks(), static_cast<uint64_t>(dry));
    rig.stream->Await(60 * kFramesPerBlock);
    EXPECT_TRUE(BlockIs(rig.stream->Take(60 * kFramesPerBlock), 60 * kFramesPerBlock, 1 << 20));
}

TEST(MusicRing, TheLoopEndsInsideABlockWithSilenceAndStartsOverSeamlessly)
{
    RingRig rig(700, 1024);
    for (int64_t frame : {0, 512, 0, 512, 0})
    {
        rig.stream->Await(frame);
        ASSERT_TRUE(BlockIs(rig.stream->Take(frame), frame, 700));
    }
    rig.stream->Await(0); // a jump (a night started over) restarts the worker there
    EXPECT_TRUE(BlockIs(rig.stream->Take(0), 0, 700));
    EXPECT_EQ(rig.stream->DryBlocks(), 0u);
}

TEST(MusicRing, AFileThatFailsEndsTheMusic)
{
    RingRig rig(1 << 20, 1 << 20, {}, nullptr, 3000);
    int64_t frame = 0;
    for (; frame < (1 << 20); frame += kFramesPerBlock)
    {
        rig.stream->Await(frame);
        if (rig.stream->Take(frame) == nullptr)
        {
            break;
        }
    }
    EXPECT_TRUE(rig.stream->Failed());
    EXPECT_EQ(frame, 6 * kFramesPerBlock); // the blocks made before the failure play
}

// The same night twice: music streamed from its file, and the whole import held.
std::vector<std::vector<int16_t>> PlayNight(const std::string& path, bool streamed)
{
    auto rig = MakeStreamRig(MakeTriangleClip(3, 9000));
    AppState& state = *rig->state;
    if (streamed)
    {
        EXPECT_GT(LoadMusicFile(state, path), 0) << path;
    }
    else
    {
        MusicLayout layout;
        auto held = ImportWholeMusic(path, layout, rig->reporter);
        EXPECT_GT(InstallMusic(state, PrepareMusic(path, std::move(held), layout)), 0) << path;
    }
    state.stream.musicVolume = 37;
    StartNight(state);
    PumpBlocks(*rig, 300);
    StopNight(state); // started over: the music from its first frame again
    DrainOfflineDevice(rig->device, 20);
    StartNight(state);
    PumpBlocks(*rig, 200);
    EXPECT_EQ(state.music.stream->DryBlocks(), 0u);
    return rig->played;
}

TEST(MusicNight, StreamedMusicSoundsExactlyAsTheWholeImport)
{
    TempDir dir;
    std::vector<int16_t> stereo(2 * 3333);
    std::vector<int16_t> three(3 * 2100);
    for (size_t i = 0; i < stereo.size(); ++i)
    {
        stereo[i] = static_cast<int16_t>(i * 37 % 20000 - 10000);
    }
    for (size_t i = 0; i < three.size(); ++i)
    {
        three[i] = static_cast<int16_t>(i % 3 == 2 ? 29000 : static_cast<int>(i * 5 % 9000));
    }
    std::vector<std::string> paths = {
        WriteMusicWav((dir.path() / "stereo.wav").string(), stereo, 2),
        WriteMusicWav((dir.path() / "mono.wav").string(), MakeTriangleClip(3, 7000, 77), 1),
        WriteMusicWav((dir.path() / "three.wav").string(), three, 3)};
    for (const char* name :
         {"mono_22k.mp3", "stereo_24k.mp3", "stereo_44k.mp3", "mono_48k.mp3", "mono_44k_id3.mp3"})
    {
        paths.push_back(std::string(YUMO_TEST_DATA_DIR) + "/mp3/" + name);
    }
    for (const std::string& path : paths)
    {
        const auto streamed = PlayNight(path, true);
        const auto whole = PlayNight(path, false);
        ASSERT_EQ(streamed.size(), whole.size()) << path;
        for (size_t b = 0; b < whole.size(); ++b)
        {
            ASSERT_EQ(streamed[b], whole[b]) << path << " block " << b;
        }
    }
}

struct MusicNotes final : ClipObserver
{
    void OnClipChosen(const AppState&) override {}
    void OnMusicDry(const AppState&) override { ++dry; }
    void OnMusicEnded(const AppState&) override { ++ended; }
    int dry = 0;
    int ended = 0;
};

TEST(MusicNight, AFileCutShortUnderTheNightEndsTheMusicOnceAndTheNightGoesOn)
{
    TempDir dir;
    std::vector<int16_t> music(2 * 44100);
    for (size_t i = 0; i < music.size(); ++i)
    {
        music[i] = static_cast<int16_t>(i * 13 % 16000 - 8000);
    }
    const std::string path = WriteMusicWav((dir / "m.wav").string(), music, 2);
    auto rig = MakeStreamRig(MakeTriangleClip(3, 9000));
    AppState& state = *rig->state;
    MusicNotes notes;
    state.stream.clipObserver = &notes;
    ASSERT_GT(LoadMusicFile(state, path), 0);
    StartNight(state);
    PumpBlocks(*rig, 50);
    std::filesystem::resize_file(path, 1000); // damaged (or its drive gone) half-way
    PumpBlocks(*rig, 1000);
    EXPECT_TRUE(state.music.ended);
    EXPECT_EQ(notes.ended, 1);
    EXPECT_EQ(notes.dry, 0);
    EXPECT_TRUE(NightPlays(state.phase));
    // Silent from the end on: the voice alone, as with "M" off.
    EXPECT_EQ(PumpBlocks(*rig, 10), 10);
    ASSERT_GT(LoadMusicFile(state, WriteMusicWav((dir / "n.wav").string(), music, 2)), 0);
    EXPECT_FALSE(state.music.ended); // new music plays again
}

} // namespace
} // namespace yumo::test
