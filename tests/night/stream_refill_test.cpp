// The refill of returned blocks: priming, voice volume, peaks, cursors and requeuing.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

#include "night/behaviour.h"
#include "night/output_stream.h"
#include "stream_fixture.h"
#include "support/night_data.h"

namespace yumo::test
{
namespace
{

bool IsSilent(const std::vector<int16_t>& block)
{
    return std::all_of(block.begin(), block.end(), [](int16_t s) { return s == 0; });
}

int PeakOf(const std::vector<int16_t>& block, int channel)
{
    int peak = 0;
    for (size_t i = static_cast<size_t>(channel); i < block.size(); i += 2)
    {
        peak = std::max(peak, std::abs(int{block[i]}));
    }
    return peak;
}

// The good-night clip's blocks as the device receives them after the ten primed ones,
// compared sample by sample with the clip rendered on its own and scaled by the volume.
void ExpectClipScaledThroughout(double tenthsOfDecibel, int amplitude)
{
    const std::vector<int16_t> clip = MakeTriangleClip(3, amplitude);
    auto rig = MakeStreamRig(clip);
    rig->state->stream.voiceVolume = tenthsOfDecibel;
    StartNight(*rig->state);
    ASSERT_EQ(PumpBlocks(*rig, 10 + 3), 13);

    const auto rendered = RenderClipBlocks(rig->state->hrir, clip, 1.0, 3);
    for (int b = 0; b < 3; ++b)
    {
        const std::vector<int16_t>& out = rig->played[static_cast<size_t>(10 + b)];
        ASSERT_EQ(out.size(), 1024u);
        for (size_t i = 0; i < out.size(); ++i)
        {
            ASSERT_EQ(out[i],
                      ExpectedVoiceSample(rendered[static_cast<size_t>(b)][i], tenthsOfDecibel))
                << "block " << b << " sample " << i;
        }
    }
}

TEST(StreamRefill, TenSilentBlocksComeBeforeTheFirstRenderedOne)
{
    auto rig = MakeStreamRig(MakeTriangleClip(4, 8000));
    StartNight(*rig->state);
    EXPECT_EQ(rig->device.writtenBlocks, 10u);
    ASSERT_EQ(PumpBlocks(*rig, 11), 11);
    for (int b = 0; b < 10; ++b)
    {
        EXPECT_TRUE(IsSilent(rig->played[static_cast<size_t>(b)])) << "primed block " << b;
    }
    EXPECT_FALSE(IsSilent(rig->played[10]));
    // Each returned block is refilled and queued again at once, under its own index.
    EXPECT_EQ(rig->device.writtenBlocks, 21u);
    EXPECT_EQ(rig->state->stream.lastRefilled, 0);
}

TEST(StreamRefill, VolumeScalesEveryRenderedFrameIncludingAClipsFirstAndLastBlocks)
{
    // A sweep of volumes: the single-precision product truncates differently from a double
    // one for a few samples at some of them.
    for (int tenths = -290; tenths <= 290; tenths += 13)
    {
        ExpectClipScaledThroughout(tenths, 12000);
    }
}

TEST(StreamRefill, PlusThirtyDecibelsClipsAtFullScaleWithoutWrapping)
{
    ExpectClipScaledThroughout(300, 12000);
    ExpectClipScaledThroughout(-300, 12000);

    auto rig = MakeStreamRig(MakeTriangleClip(3, 12000));
    rig->state->stream.voiceVolume = 300;
    StartNight(*rig->state);
    PumpBlocks(*rig, 13);
    int atMax = 0;
    int atMin = 0;
    for (size_t b = 10; b < 13; ++b)
    {
        atMax += static_cast<int>(std::count(rig->played[b].begin(), rig->played[b].end(), 32767));
        atMin += static_cast<int>(std::count(rig->played[b].begin(), rig->played[b].end(), -32767));
        EXPECT_EQ(std::count(rig->played[b].begin(), rig->played[b].end(), -32768), 0);
    }
    EXPECT_GT(atMax, 100);
    EXPECT_GT(atMin, 100);

    // -30 dB divides by about 31.6: the loudest sample of the clip comes out near 12000 / 31.6.
    auto quiet = MakeStreamRig(MakeTriangleClip(3, 12000));
    quiet->state->stream.voiceVolume = -300;
    StartNight(*quiet->state);
    PumpBlocks(*quiet, 12);
    EXPECT_NEAR(PeakOf(quiet->played[11], 0), 12000 / 31.6228, 3.0);
}

TEST(StreamRefill, VolumesBeyondTheControlsRangeAreHeldAtItsEnds)
{
    // An unbounded gain would reach infinity, and infinity times a silent sample is not a number.
    EXPECT_EQ(VolumeGain(1e6), VolumeGain(300));
    EXPECT_EQ(VolumeGain(-1e6), VolumeGain(-300));
    EXPECT_EQ(VolumeGain(std::nan("")), 1.0f);
    EXPECT_NEAR(VolumeGain(300), 31.6227766f, 1e-5f);
    EXPECT_NEAR(VolumeGain(-60), 0.5011872f, 1e-7f);
}

TEST(StreamRefill, PeaksOfEachBlockAndTheGaugeReadsThreeBlocksAhead)
{
    // A clip that grows louder block by block, so every block has its own peak.
    std::vector<int16_t> clip(40 * 512);
    for (size_t i = 0; i < clip.size(); ++i)
    {
        clip[i] = static_cast<int16_t>((i % 2 == 0 ? 1 : -1) * static_cast<int>(i / 4));
    }
    auto rig = MakeStreamRig(clip);
    StartNight(*rig->state);
    PumpBlocks(*rig, 10 + 13);
    const OutputStream& stream = rig->state->stream;
    ASSERT_EQ(stream.lastRefilled, 2);
    for (size_t b = 0; b < 10; ++b)
    {
        const std::vector<int16_t> block(stream.blocks[b].samples.begin(),
                                         stream.blocks[b].samples.end());
        EXPECT_EQ(stream.peaks[b].left, PeakOf(block, 0)) << b;
        EXPECT_EQ(stream.peaks[b].right, PeakOf(block, 1)) << b;
    }
    const BlockPeak gauge = GaugePeaks(stream);
    EXPECT_EQ(gauge.left, stream.peaks[5].left);
    EXPECT_EQ(gauge.right, stream.peaks[5].right);
    EXPECT_NE(stream.peaks[5].left, stream.peaks[2].left);
}

TEST(StreamRefill, BuiltInSilencesAdvanceTheirCursorsWithoutRendering)
{
    auto rig = MakeStreamRig(MakeTriangleClip(2, 8000));
    AppState& state = *rig->state;
    for (int kind : {kKindBuiltInSilence, kKindBuiltInSilenceMidBreath})
    {
        EnterBuiltInSilence(state, kind, 1);
        state.stream.overlapLeft.fill(1000); // a render would add these in
        RefillBlock(state, 4);
        RefillBlock(state, 5);
        const int slot = ClipSlot(kind, 1);
        EXPECT_EQ(state.voices.tracks.playPosition[slot], 1024);
        EXPECT_EQ(state.voices.tracks.outputByteCounter[slot], 4096);
        EXPECT_TRUE(std::all_of(state.stream.blocks[5].samples.begin(),
                                state.stream.blocks[5].samples.end(),
                                [](int16_t s) { return s == 0; }));
    }
}

TEST(StreamRefill, ARenderedClipAdvancesByOneBlockPerRefill)
{
    auto rig = MakeStreamRig(MakeTriangleClip(10, 8000));
    AppState& state = *rig->state;
    StartNight(state);
    const int slot = ClipSlot(kKindGoodNight, 0);
    PumpBlocks(*rig, 2);
    EXPECT_EQ(state.voices.tracks.playPosition[slot], 1024);
    EXPECT_EQ(state.voices.tracks.outputByteCounter[slot], 4096);
}

TEST(StreamRefill, NothingIsRequeuedOnceTheNightIsIdle)
{
    auto rig = MakeStreamRig(MakeTriangleClip(40, 8000));
    AppState& state = *rig->state;
    StartNight(state);
    PumpBlocks(*rig, 15);
    const uint64_t written = rig->device.writtenBlocks;
    const std::vector<int16_t> lastBlock(state.stream.blocks[4].samples.begin(),
                                         state.stream.blocks[4].samples.end());

    // Stopping resets the device: the queued blocks come back unheard and are not refilled.
    StopNight(state);
    const size_t heard = rig->played.size();
    EXPECT_EQ(PumpBlocks(*rig, 100), 10);
    EXPECT_EQ(rig->played.size(), heard);
    EXPECT_EQ(rig->device.writtenBlocks, written);
    EXPECT_EQ(std::vector<int16_t>(state.stream.blocks[4].samples.begin(),
                                   state.stream.blocks[4].samples.end()),
              lastBlock);
}

TEST(StreamRefill, ADrainedNightPlaysOutItsQueuedBlocks)
{
    auto rig = MakeStreamRig(MakeTriangleClip(40, 8000));
    AppState& state = *rig->state;
    StartNight(state);
    PumpBlocks(*rig, 15);
    const uint64_t written = rig->device.writtenBlocks;
    DrainNight(state);
    EXPECT_EQ(PumpBlocks(*rig, 100), 10);
    EXPECT_EQ(rig->played.size(), 25u); // the queued ten were heard
    EXPECT_EQ(rig->device.writtenBlocks, written);
}

TEST(StreamRefill, AnIndexThatIsNotOneOfTheTenChangesNothing)
{
    auto rig = MakeStreamRig(MakeTriangleClip(3, 8000));
    AppState& state = *rig->state;
    StartNight(state);
    const uint32_t rng = state.rng.state;
    for (int index : {-1, kOutputBlockCount, 1000})
    {
        EXPECT_EQ(RefillBlock(state, index), 0);
    }
    EXPECT_EQ(rig->device.writtenBlocks, 10u);
    EXPECT_EQ(state.rng.state, rng);
    EXPECT_EQ(state.voices.tracks.playPosition[ClipSlot(kKindGoodNight, 0)], 0);
}

// Records what the refill reports at each new clip, and where the voice stood beforehand.
class ChoiceRecorder final : public ClipObserver
{
public:
    void OnClipChosen(const AppState& state) override
    {
        kinds.push_back(state.behaviourState);
        azimuths.push_back(state.blockTracks.values[kTrackAzimuth][0]);
        cursors.push_back(
            state.voices.tracks.playPosition[ClipSlot(state.behaviourState, state.clipIndex)]);
    }
    std::vector<int> kinds;
    std::vector<double> azimuths;
    std::vector<int> cursors;
};

TEST(StreamRefill, TheObserverHearsOfEveryNewClipBeforeTheBlocksDrift)
{
    auto rig = MakeStreamRig(MakeTriangleClip(2, 8000));
    AppState& state = *rig->state;
    ChoiceRecorder recorder;
    state.stream.clipObserver = &recorder;
    StartNight(state);

    std::vector<double> azimuthBefore;
    int changes = 0;
    for (int b = 0; b < 3000; ++b)
    {
        const int kind = state.behaviourState;
        const int clip = state.clipIndex;
        const int slot = ClipSlot(kind, clip);
        const bool ended =
            state.voices.tracks.playPosition[slot] >= state.voices.tracks.lengthFrames[slot];
        const double azimuth = state.blockTracks.values[kTrackAzimuth][0];
        const size_t heardBefore = recorder.kinds.size();
        ASSERT_TRUE(PumpOfflineDevice(rig->device));
        if (recorder.kinds.size() > heardBefore)
        {
            ASSERT_TRUE(ended) << "told of a new clip at block " << b;
            EXPECT_EQ(recorder.azimuths.back(), azimuth);
            EXPECT_EQ(recorder.cursors.back(), 0);
            ++changes;
        }
        else
        {
            EXPECT_FALSE(ended) << "a new clip went unreported at block " << b;
        }
    }
    EXPECT_GT(changes, 50);
    // Every voice clip is followed by a built-in silence in this set.
    EXPECT_TRUE(recorder.kinds[0] == kKindBuiltInSilence ||
                recorder.kinds[0] == kKindBuiltInSilenceMidBreath);
}

TEST(OutputStreamOpen, TheDeviceAnEarlierLoadOpenedIsClosedFirst)
{
    auto rig = MakeStreamRig(MakeTriangleClip(2, 8000));
    AppState& state = *rig->state;
    EXPECT_EQ(rig->device.openCount, 1);

    OfflineDevice second;
    OpenOutputStream(state, second);
    EXPECT_EQ(rig->device.closeCount, 1);
    EXPECT_FALSE(rig->device.open);
    EXPECT_TRUE(second.open);
    EXPECT_EQ(second.format.channels, 2);
    EXPECT_EQ(second.format.sampleRate, 44100u);
    EXPECT_EQ(second.format.blockAlign, 4);
    EXPECT_EQ(second.format.bitsPerSample, 16);

    // The notifications of the new device refill the stream.
    StartNight(state);
    EXPECT_EQ(second.writtenBlocks, 10u);
    EXPECT_EQ(rig->device.writtenBlocks, 0u);
    EXPECT_TRUE(PumpOfflineDevice(second));
    EXPECT_EQ(second.writtenBlocks, 11u);
}

} // namespace
} // namespace yumo::test
