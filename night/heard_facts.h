#pragma once
// What the window shows of each block, kept until the block is heard. An output that runs
// ahead of the ear (a long server buffer) hands blocks back before they are heard, so the
// night's state is that of the newest block written; the panes show the facts of the block
// at the played position instead, and stay in step with what is heard.
//
//   stream.heard.Record(stream.bytesWritten, TakeHeardFacts(state, blockIndex)); // the refill
//   const HeardFacts* shown = stream.heard.At(played); // nullptr: show the state itself
//
// Her sleep record and a block's peaks are defined here, as the facts carry them.

#include <array>
#include <cstddef>
#include <cstdint>

namespace yumo
{

struct AppState;

struct SleepRecord
{
    int32_t startMinute = 0;    // local hour * 60 + minute when the night started
    int32_t elapsedMinutes = 0; // since startMinute, folded to at most 720
    int32_t rolledOver = 0;     // 1 when the last choice turned her over
    int32_t facing = 0;         // 0 or 1, toggled by each roll-over; kept across nights
    int32_t depth = 0;          // about 0-100
    int32_t dreaming = 0;
    int32_t alertness = 50; // set once at start-up, never reset
    int32_t midBreath = 0;  // 1 after a breath-in until the next choice
    int32_t stateBeforeSilence = 0;
    int32_t calledForMinute = -1; // the wake minute she last called for this night; -1: none
    int32_t tenHoursUp = 0;       // 1 once ten hours have passed: the night ends after her call
};

struct BlockPeak
{
    double left = 0; // absolute sample value, 0-32768
    double right = 0;
};

struct HeardFacts
{
    int32_t behaviourState = 0;
    int32_t clipIndex = 0;
    int32_t playPosition = 0; // of the clip playing, after the block (frames)
    SleepRecord sleep{};
    bool hasPosition = false;
    double azimuth = 0; // as in the block tracks' first element
    double elevation = 0;
    double distance = 0;
    BlockPeak peaks{}; // of the block itself
};

// The facts of the last blocks written, each with the output byte at which the block starts.
class HeardHistory
{
public:
    // 1.5 s of blocks: more than any output keeps queued.
    static constexpr size_t kCapacity = 128;

    void Clear();
    // Starts bytes must grow block by block; an older start clears what was kept (a new
    // stream counts from 0).
    void Record(uint64_t startByte, const HeardFacts& facts);
    // The facts of the block being heard at output byte `played`: the last one starting at or
    // before it. nullptr when nothing was kept or every kept block starts after it.
    const HeardFacts* At(uint64_t played) const;
    size_t Count() const { return count_; }

private:
    struct Entry
    {
        uint64_t startByte = 0;
        HeardFacts facts;
    };
    std::array<Entry, kCapacity> entries_{};
    size_t first_ = 0; // the oldest entry
    size_t count_ = 0;
};

// The facts of the block the refill has just mixed into `blockIndex` (state as it stands).
HeardFacts TakeHeardFacts(const AppState& state, int blockIndex);
// The facts of the state as it stands, with the level gauges' peaks: what the panes show when
// the output cannot tell what is heard.
HeardFacts LiveFacts(const AppState& state);

} // namespace yumo
