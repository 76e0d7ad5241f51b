#pragma once
// The blocks a real-time device has been given, on one byte timeline in the order written:
// each block ends at the running total of bytes written up to and including it. A device sends
// the bytes out in that order and hands a block back once the played position has reached its
// end, or at once when a reset dropped it. Plain C++ so the bookkeeping is tested without a
// sound server; fixed capacity, so nothing is allocated per block.

#include <array>
#include <cstddef>
#include <cstdint>

#include "common/constants.h"
#include "night/audio_device.h"

namespace yumo
{

// Blocks handed back per wake-up while blocks play back to back: two (23.2 ms apart) halve
// the program's wake-ups, which cost more than the work they do, and a block still comes back
// within one block (11.6 ms) of being heard.
constexpr int kBlocksPerWakeup = 2;
// The window's night output, shown or hidden, follows what is heard through the played
// position rather than the notifications' timing (its panes, and the night's end after a
// fade), so only their pace matters: eight blocks per wake-up (of the ten queued).
constexpr int kUnwatchedBlocksPerWakeup = 8;

struct TimelineBlock
{
    int blockIndex = 0;
    const uint8_t* data = nullptr;
    size_t byteCount = 0;
    uint64_t end = 0;     // bytes on the timeline up to and including this block
    bool dropped = false; // reset before it was heard: comes back without waiting
};

// A contiguous run of unsent bytes inside one block.
struct UnsentBytes
{
    const uint8_t* data = nullptr;
    size_t byteCount = 0;
};

class BlockTimeline
{
public:
    // The stream's ten blocks and room besides, like the offline device.
    static constexpr int kCapacity = 4 * kOutputBlockCount;

    // Appends a block. False when the timeline is full or the block is empty.
    bool Push(int blockIndex, const void* data, size_t byteCount);

    // The next unsent bytes, at most `maxBytes`, in one run of memory: following blocks whose
    // data lies right behind it join the run, so they go out in one write (empty when all is
    // sent).
    UnsentBytes NextUnsent(size_t maxBytes) const;
    // Marks `byteCount` bytes from NextUnsent as sent.
    void MarkSent(size_t byteCount);
    uint64_t UnsentByteCount() const { return writtenEnd_ - sentEnd_; }
    // Takes back what was sent from `position` on (a new stream replays what the lost one had
    // not played): at most back to the start of the oldest block still held and not dropped.
    // Returns the sent end afterwards.
    uint64_t RewindTo(uint64_t position);

    // Removes and returns the oldest block when it was dropped or ends at or before `played`.
    bool PopFinished(uint64_t played, TimelineBlock& block);

    // Every block still held comes back as dropped; its unsent bytes are never sent.
    void DropAll();
    // Forgets every block without handing any back.
    void Clear();

    bool Empty() const { return count_ == 0; }
    int Count() const { return count_; }
    // The oldest block; only while !Empty().
    const TimelineBlock& Oldest() const { return blocks_[static_cast<size_t>(head_)]; }
    bool OldestDropped() const { return !Empty() && Oldest().dropped; }
    // When to wake next: the end of the `blocksPerWakeup`-th oldest block, or of the newest
    // when fewer are held; only while !Empty().
    uint64_t WakeUpEnd(int blocksPerWakeup = kBlocksPerWakeup) const;
    uint64_t WrittenEnd() const { return writtenEnd_; }
    uint64_t SentEnd() const { return sentEnd_; }

private:
    const TimelineBlock& At(int i) const
    {
        return blocks_[static_cast<size_t>((head_ + i) % kCapacity)];
    }

    std::array<TimelineBlock, kCapacity> blocks_{};
    int head_ = 0;
    int count_ = 0;
    uint64_t writtenEnd_ = 0;
    uint64_t sentEnd_ = 0;
};

// Runs one block-done notification, held in a local while it runs (a move, no allocation), so
// a notification that writes, resets, closes or reopens the device cannot destroy the function
// that is executing. False when the device was closed or reopened meanwhile (`generation`
// changed): then the old function is not put back.
bool NotifyBlockDone(AudioDevice::BlockDone& onBlockDone, int blockIndex,
                     const uint64_t& generation);

// Hands back, oldest first, every block that was dropped or ends at or before `played`; returns
// how many came back. The loop ends when a notification closed or reopened the device: such a
// device has no business with old blocks.
int DeliverFinishedBlocks(BlockTimeline& timeline, uint64_t played,
                          AudioDevice::BlockDone& onBlockDone, const uint64_t& generation);

} // namespace yumo
