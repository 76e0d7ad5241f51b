#include "night/block_timeline.h"

#include <algorithm>
#include <utility>

namespace yumo
{

bool BlockTimeline::Push(int blockIndex, const void* data, size_t byteCount)
{
    if (count_ == kCapacity || byteCount == 0 || data == nullptr)
    {
        return false;
    }
    writtenEnd_ += byteCount;
    blocks_[static_cast<size_t>((head_ + count_) % kCapacity)] =
        TimelineBlock{blockIndex, static_cast<const uint8_t*>(data), byteCount, writtenEnd_, false};
    ++count_;
    return true;
}

UnsentBytes BlockTimeline::NextUnsent(size_t maxBytes) const
{
    // The first block that ends beyond what was sent holds the next byte. Dropped blocks never
    // have unsent bytes: dropping moves the sent end past them.
    int i = 0;
    while (i < count_ && At(i).end <= sentEnd_)
    {
        ++i;
    }
    if (i == count_)
    {
        return UnsentBytes{};
    }
    const TimelineBlock& first = At(i);
    const size_t offset = static_cast<size_t>(sentEnd_ - (first.end - first.byteCount));
    UnsentBytes run{first.data + offset, first.byteCount - offset};
    // The stream's blocks sit side by side in one array: a refill of several neighbours is
    // one run.
    for (++i; i < count_ && run.byteCount < maxBytes; ++i)
    {
        const TimelineBlock& next = At(i);
        if (next.data != run.data + run.byteCount)
        {
            break;
        }
        run.byteCount += next.byteCount;
    }
    run.byteCount = std::min(run.byteCount, maxBytes);
    return run;
}

void BlockTimeline::MarkSent(size_t byteCount)
{
    sentEnd_ = std::min(sentEnd_ + byteCount, writtenEnd_);
}

uint64_t BlockTimeline::RewindTo(uint64_t position)
{
    for (int i = 0; i < count_; ++i)
    {
        const TimelineBlock& block = At(i);
        if (!block.dropped)
        {
            // Blocks are contiguous on the timeline: before this one's start nothing is held.
            sentEnd_ = std::min(sentEnd_, std::max(position, block.end - block.byteCount));
            break;
        }
    }
    return sentEnd_;
}

bool BlockTimeline::PopFinished(uint64_t played, TimelineBlock& block)
{
    if (count_ == 0)
    {
        return false;
    }
    const TimelineBlock& oldest = Oldest();
    if (!oldest.dropped && oldest.end > played)
    {
        return false;
    }
    block = oldest;
    head_ = (head_ + 1) % kCapacity;
    --count_;
    return true;
}

uint64_t BlockTimeline::WakeUpEnd(int blocksPerWakeup) const
{
    return At(std::clamp(blocksPerWakeup, 1, count_) - 1).end;
}

void BlockTimeline::DropAll()
{
    for (int i = 0; i < count_; ++i)
    {
        blocks_[static_cast<size_t>((head_ + i) % kCapacity)].dropped = true;
    }
    sentEnd_ = writtenEnd_;
}

void BlockTimeline::Clear()
{
    head_ = 0;
    count_ = 0;
    sentEnd_ = writtenEnd_;
}

bool NotifyBlockDone(AudioDevice::BlockDone& onBlockDone, int blockIndex,
                     const uint64_t& generation)
{
    const uint64_t generationBefore = generation;
    AudioDevice::BlockDone notify = std::move(onBlockDone);
    onBlockDone = nullptr;
    notify(blockIndex);
    if (generation != generationBefore)
    {
        return false;
    }
    onBlockDone = std::move(notify);
    return true;
}

int DeliverFinishedBlocks(BlockTimeline& timeline, uint64_t played,
                          AudioDevice::BlockDone& onBlockDone, const uint64_t& generation)
{
    int delivered = 0;
    TimelineBlock block;
    while (timeline.PopFinished(played, block))
    {
        ++delivered;
        if (onBlockDone && !NotifyBlockDone(onBlockDone, block.blockIndex, generation))
        {
            break;
        }
    }
    return delivered;
}

} // namespace yumo
