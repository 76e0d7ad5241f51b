#include "gui/sound/null_audio_device.h"

#include <algorithm>
#include <utility>

#include "night/byte_clock.h"

namespace yumo
{

NullAudioDevice::NullAudioDevice(QObject* parent) : QObject(parent)
{
    connect(&timer_, &DeadlineTimer::Fired, this, &NullAudioDevice::Service);
}

bool NullAudioDevice::Open(const PcmFormat& format, BlockDone onBlockDone)
{
    Close();
    bytesPerSecond_ = BytesPerSecond(format);
    if (bytesPerSecond_ == 0 || !timer_.IsValid())
    {
        return false;
    }
    onBlockDone_ = std::move(onBlockDone);
    open_ = true;
    runStart_ = timeline_.WrittenEnd();
    runTime_ = Clock::now();
    return true;
}

bool NullAudioDevice::Write(int blockIndex, const int16_t* data, size_t byteCount)
{
    if (!open_)
    {
        return false;
    }
    const Clock::time_point now = Clock::now();
    // Everything written so far has played: this block starts a new run now.
    const bool starved = PlayedAt(now) >= timeline_.WrittenEnd();
    const uint64_t start = timeline_.WrittenEnd();
    if (!timeline_.Push(blockIndex, data, byteCount))
    {
        return false;
    }
    timeline_.MarkSent(byteCount);
    if (starved)
    {
        runStart_ = start;
        runTime_ = now;
    }
    if (!inService_)
    {
        Schedule();
    }
    return true;
}

void NullAudioDevice::Reset()
{
    timeline_.DropAll();
    runStart_ = timeline_.WrittenEnd();
    runTime_ = Clock::now();
    if (!inService_)
    {
        Schedule();
    }
}

void NullAudioDevice::SetWatched(bool watched)
{
    watched_ = watched;
    if (!inService_)
    {
        Schedule();
    }
}

void NullAudioDevice::Close()
{
    open_ = false;
    ++generation_;
    onBlockDone_ = nullptr;
    timeline_.Clear();
    timer_.Disarm();
}

uint64_t NullAudioDevice::PlayedAt(Clock::time_point now) const
{
    if (now <= runTime_)
    {
        return std::min(runStart_, timeline_.WrittenEnd());
    }
    const uint64_t played = runStart_ + BytesInDuration(now - runTime_, bytesPerSecond_);
    return std::min(played, timeline_.WrittenEnd());
}

void NullAudioDevice::Service()
{
    // A notification that opens a modal message box runs the event loop inside this one; the
    // outer pass schedules the next wake-up when it is done.
    if (inService_)
    {
        return;
    }
    inService_ = true;
    DeliverFinishedBlocks(timeline_, PlayedAt(Clock::now()), onBlockDone_, generation_);
    inService_ = false;
    Schedule();
}

void NullAudioDevice::Schedule()
{
    if (!open_ || timeline_.Empty())
    {
        timer_.Disarm();
        return;
    }
    if (timeline_.OldestDropped())
    {
        timer_.ArmAt(Clock::now());
        return;
    }
    const uint64_t end =
        timeline_.WakeUpEnd(watched_ ? kBlocksPerWakeup : kUnwatchedBlocksPerWakeup);
    timer_.ArmAt(runTime_ + DurationOfBytes(end - std::min(end, runStart_), bytesPerSecond_));
}

} // namespace yumo
