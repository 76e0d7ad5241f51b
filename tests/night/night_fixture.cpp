#include "night_fixture.h"

#include <gtest/gtest.h>

#include "night/behaviour.h"
#include "night/output_stream.h"

namespace yumo::test
{

bool RecordingDevice::Open(const PcmFormat&, BlockDone done)
{
    ++opens;
    onBlockDone = std::move(done);
    return true;
}

bool RecordingDevice::Write(int blockIndex, const int16_t*, size_t)
{
    writtenBlocks.push_back(blockIndex);
    return true;
}

namespace
{

constexpr uint32_t kMultiplier = 214013u;
constexpr uint32_t kIncrement = 2531011u;

// The multiplier is odd, so it has an inverse modulo 2^32 (Newton's iteration doubles the
// correct low bits each step: 3 -> 6 -> 12 -> 24 -> 48).
uint32_t InverseMultiplier()
{
    uint32_t inverse = kMultiplier;
    for (int i = 0; i < 4; ++i)
    {
        inverse *= 2u - kMultiplier * inverse;
    }
    return inverse;
}

int Result(uint32_t x) { return static_cast<int>((x >> 16) & 0x7FFFu); }

} // namespace

std::optional<uint32_t> FindRngState(const std::vector<WantedDraw>& draws)
{
    if (draws.empty() || draws.front().modulus < 100)
    {
        return std::nullopt;
    }
    const uint32_t inverse = InverseMultiplier();
    const WantedDraw first = draws.front();
    // Every state after the first step whose result fits: bits 16-30 hold the result, the
    // other 17 bits are free.
    for (int result = first.value; result <= 0x7FFF; result += first.modulus)
    {
        for (uint32_t free = 0; free < (1u << 17); ++free)
        {
            const uint32_t x1 =
                (static_cast<uint32_t>(result) << 16) | (free & 0xFFFFu) | ((free >> 16) << 31);
            uint32_t x = x1;
            bool fits = true;
            for (auto it = draws.begin() + 1; it != draws.end() && fits; ++it)
            {
                x = x * kMultiplier + kIncrement;
                fits = Result(x) % it->modulus == it->value;
            }
            if (fits)
            {
                return (x1 - kIncrement) * inverse;
            }
        }
    }
    return std::nullopt;
}

int CountDraws(uint32_t before, uint32_t after, int limit)
{
    uint32_t x = before;
    for (int n = 0; n <= limit; ++n)
    {
        if (x == after)
        {
            return n;
        }
        x = x * kMultiplier + kIncrement;
    }
    return -1;
}

void GiveClips(AppState& state, int kind, int count, int lengthFrames)
{
    VoiceSet& voices = state.voices;
    voices.clipCounts[kind] = count;
    for (int i = 0; i < kMaxClipsPerKind; ++i)
    {
        const int slot = ClipSlot(kind, i);
        const int frames = i < count ? lengthFrames : 0;
        voices.catalog.sampleCount[slot] = frames;
        voices.catalog.byteSize[slot] = frames * 2;
        voices.tracks.lengthFrames[slot] = frames;
        voices.tracks.lengthBytes[slot] = frames * 2;
        voices.tracks.playPosition[slot] = 0;
        voices.tracks.outputByteCounter[slot] = 0;
        voices.samples[slot].assign(static_cast<size_t>(frames), 0);
    }
}

std::unique_ptr<AppState> MakeLoadedState(Reporter& reporter, RecordingDevice& device)
{
    std::unique_ptr<AppState> state = CreateAppState(reporter);
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        GiveClips(*state, kind, 1, 2 * kFramesPerBlock);
    }
    state->phase = NightPhase::Loaded;
    state->stream.device = &device;
    SetTime(*state, 22, 0, 10);
    return state;
}

void SetTime(AppState& state, int hour, int minute, int second)
{
    SetClockTime(state.clock, LocalTime{hour, minute, second});
}

NightPlayer::NightPlayer(AppState& playedState, int64_t startSecond)
    : state(playedState), startSecondOfDay(startSecond)
{
    EXPECT_TRUE(OpenOutputStream(state, device));
}

NightPlayer::~NightPlayer()
{
    if (state.stream.device == &device)
    {
        state.stream.device = nullptr;
    }
}

bool PlayBlock(NightPlayer& player)
{
    AppState& state = player.state;
    OfflineDevice& device = player.device;
    if (device.queueCount == 0 && NightPlays(state.phase) && !PrimeStream(state))
    {
        return false;
    }
    const int64_t second =
        (player.startSecondOfDay + player.blocksPlayed * kFramesPerBlock / kSampleRate) % 86400;
    SetTime(state, static_cast<int>(second / 3600), static_cast<int>(second / 60 % 60),
            static_cast<int>(second % 60));
    const uint64_t written = device.writtenBlocks;
    if (!PumpOfflineDevice(device) || device.writtenBlocks == written)
    {
        // What is still queued comes back without being refilled, so a next night starts on
        // an empty queue.
        while (PumpOfflineDevice(device))
        {
        }
        return false;
    }
    ++player.blocksPlayed;
    return true;
}

} // namespace yumo::test
