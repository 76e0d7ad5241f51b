#include "night/heard_facts.h"

#include "audio/voice_tracks.h"
#include "night/app_state.h"
#include "night/output_stream.h"

namespace yumo
{

void HeardHistory::Clear()
{
    first_ = 0;
    count_ = 0;
}

void HeardHistory::Record(uint64_t startByte, const HeardFacts& facts)
{
    if (count_ > 0 && startByte <= entries_[(first_ + count_ - 1) % kCapacity].startByte)
    {
        Clear();
    }
    if (count_ == kCapacity)
    {
        first_ = (first_ + 1) % kCapacity; // the oldest has long been heard
        --count_;
    }
    entries_[(first_ + count_) % kCapacity] = {startByte, facts};
    ++count_;
}

const HeardFacts* HeardHistory::At(uint64_t played) const
{
    // Newest first: the block being heard is near the end of what is queued.
    for (size_t i = count_; i > 0; --i)
    {
        const Entry& entry = entries_[(first_ + i - 1) % kCapacity];
        if (entry.startByte <= played)
        {
            return &entry.facts;
        }
    }
    return nullptr;
}

HeardFacts TakeHeardFacts(const AppState& state, int blockIndex)
{
    HeardFacts facts;
    facts.behaviourState = state.behaviourState;
    facts.clipIndex = state.clipIndex;
    if (state.behaviourState >= 0 && state.behaviourState < kVoiceKindCount &&
        state.clipIndex >= 0 && state.clipIndex < kMaxClipsPerKind)
    {
        facts.playPosition =
            state.voices.tracks
                .playPosition[static_cast<size_t>(ClipSlot(state.behaviourState, state.clipIndex))];
    }
    facts.sleep = state.sleep;
    const BlockTracks& tracks = state.blockTracks;
    facts.hasPosition = HasSourcePosition(tracks);
    if (facts.hasPosition)
    {
        facts.azimuth = tracks.values[kTrackAzimuth][0];
        facts.elevation = tracks.values[kTrackElevation][0];
        facts.distance = tracks.values[kTrackDistance][0];
    }
    if (blockIndex >= 0 && blockIndex < kOutputBlockCount)
    {
        facts.peaks = state.stream.peaks[static_cast<size_t>(blockIndex)];
    }
    return facts;
}

HeardFacts LiveFacts(const AppState& state)
{
    HeardFacts facts = TakeHeardFacts(state, -1);
    facts.peaks = GaugePeaks(state.stream);
    return facts;
}

} // namespace yumo
