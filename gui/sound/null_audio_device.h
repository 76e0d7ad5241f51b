#pragma once
// A silent output with the timing of a real one: when no sound server or device is there, the
// blocks still come back in real time (a 2048-byte stereo block every 11.6 ms), so a night
// advances and the panes move. Nothing is heard. The due times are worked out from the start
// of each run of blocks, never by adding up intervals, so the pace does not drift; a block
// written late (after the queue ran dry) starts a new run, as a real device plays silence
// while it has nothing and goes on when it gets more.

#include <cstdint>

#include <QObject>

#include "gui/sound/deadline_timer.h"
#include "night/audio_device.h"
#include "night/block_timeline.h"

namespace yumo
{

class NullAudioDevice final : public QObject, public AudioDevice
{
    Q_OBJECT

public:
    explicit NullAudioDevice(QObject* parent = nullptr);

    // False when the format has no byte rate or the system gave no timer.
    bool Open(const PcmFormat& format, BlockDone onBlockDone) override;
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override;
    void Reset() override;
    void Close() override;

    // Unwatched (nobody sees what follows the notifications), blocks come back four at a
    // time instead of two, at the same pace.
    void SetWatched(bool watched);

    bool IsOpen() const { return open_; }
    int PendingBlocks() const { return timeline_.Count(); }

private:
    using Clock = DeadlineTimer::Clock;

    uint64_t PlayedAt(Clock::time_point now) const;
    Clock::time_point TimeOfPosition(uint64_t position) const;
    void Service();
    void Schedule();

    DeadlineTimer timer_;
    BlockTimeline timeline_;
    BlockDone onBlockDone_;
    uint64_t generation_ = 0; // changes on Open and Close
    uint64_t bytesPerSecond_ = 0;
    bool open_ = false;
    bool inService_ = false;
    bool watched_ = true;
    // The current run: the timeline position `runStart` was at the start of play at `runTime`.
    uint64_t runStart_ = 0;
    Clock::time_point runTime_{};
};

} // namespace yumo
