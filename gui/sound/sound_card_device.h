#pragma once
// The sound card: an AudioDevice over a Qt Multimedia QAudioSink (PulseAudio or PipeWire).
//
// A block comes back when it has been heard, not when the sink took it: the device pushes
// bytes into the sink and hands each block back once the sink's played position
// (processedUSecs) has passed the block's last byte, timed by a DeadlineTimer on the event
// loop (two blocks per wake-up), never inside Write. Reset stops the sink at once (a new one starts
// with the next Write) and hands the dropped blocks back. When the sink fails by itself (the server
// went away) every pending block comes back at once and the next Write returns false, so the owner
// ends what it was doing; the device stays failed until it is opened again.

#include <chrono>
#include <cstdint>
#include <vector>

#include <QAudio>
#include <QAudioFormat>
#include <QObject>

#include "gui/sound/deadline_timer.h"
#include "gui/sound/sink_timers.h"
#include "night/audio_device.h"
#include "night/block_timeline.h"

class QAudioSink;
class QIODevice;

namespace yumo
{

// The sink's buffer as asked for. PulseAudio makes the stream's own buffer about two thirds of
// it (95 ms on a null sink) and keeps the rest as the device's latency. The blocks come back
// by the played position, so the size does not move the notifications; it is what carries the
// sound through a busy event loop or a loaded CPU. With both cores busy for a minute, a 52 ms
// stream buffer ran dry six times, 78 ms once in two runs, 95 ms never in three. It stays
// below the stream's ten-block queue (116 ms), and the server starts a stream once somewhat
// less than it is queued, which the ten primed blocks of a night always are.
constexpr int kSinkBufferMilliseconds = 150;

// How long the played position may stand still while blocks wait before the sink counts as
// failed (a server that hangs instead of going away). A PulseAudio sink waking from idle takes
// up to 2 s to start.
constexpr std::chrono::milliseconds kSinkStallLimit{3000};

class SoundCardDevice final : public QObject, public AudioDevice
{
    Q_OBJECT

public:
    explicit SoundCardDevice(int sinkBufferMilliseconds = kSinkBufferMilliseconds,
                             QObject* parent = nullptr);
    ~SoundCardDevice() override;

    // Opens a sink on the default output. False when there is no output, the format is not
    // 16-bit PCM with one or two channels, or the sink does not start.
    bool Open(const PcmFormat& format, BlockDone onBlockDone) override;
    // False when not open, failed, `byteCount` is not whole frames, or the queue is full.
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override;
    void Reset() override;
    void Close() override;

    // Whether anybody follows the notifications' timing (the window is seen). Unwatched, a
    // block comes back as soon as the sink has taken its bytes, and the device wakes every eight
    // blocks, keeping the sink filled about 280 ms ahead of the ear (the blocks waiting to be
    // sent add their lead to that). Watched again, blocks come back when heard, once that
    // lead has played.
    void SetWatched(bool watched);
    bool IsWatched() const { return watched_; }

    bool IsOpen() const { return open_; }
    bool HasFailed() const { return failed_; }
    int PendingBlocks() const { return timeline_.Count(); }

    // Figures for measurements. Positions count bytes on the device's timeline: every byte
    // written since the device was made, dropped ones included.
    uint64_t PlayedPosition();
    uint64_t Underruns() const { return underruns_; }
    int SinkBufferBytes() const { return startThreshold_; }

signals:
    // The sink stopped by itself; the pending blocks are on their way back.
    void Failed();

private:
    using Clock = DeadlineTimer::Clock;

    bool StartSink();
    void RetireSink();
    void Feed();
    void NoteSent(uint64_t bytes);
    void PadToStart();
    bool WaitsForStart() const;
    void WatchProgress();
    void Fail();
    void Service();
    void Schedule();
    void OnSinkStateChanged(QAudio::State state);
    uint64_t ProcessedStreamBytes() const;

    int sinkBufferMilliseconds_;
    DeadlineTimer timer_;
    BlockTimeline timeline_;
    BlockDone onBlockDone_;
    uint64_t generation_ = 0; // changes on Open and Close
    QAudioFormat sinkFormat_;
    uint64_t bytesPerSecond_ = 0;
    int frameBytes_ = 0;
    bool open_ = false;
    bool failed_ = false;
    bool failureAnnounced_ = false;
    bool inService_ = false;
    bool startingSink_ = false;
    bool watched_ = true;

    QObject* sinkParent_ = nullptr; // owns sink_ and the backend object it makes
    QAudioSink* sink_ = nullptr;    // pushed to; owns sinkInput_
    QIODevice* sinkInput_ = nullptr;
    std::vector<ParkedTimer> parkedTimers_; // the sink's idle timers, off the event loop
    uint64_t session_ = 0;                  // tells a retired sink's late signals apart
    // The stream of the current sink against the timeline: stream byte s of data is timeline
    // byte s + streamOffset_. Silence padded in to start a short stream sits at stream bytes
    // [padStart_, padStart_ + padBytes_) and is skipped once the stream has passed it.
    uint64_t streamOffset_ = 0;
    uint64_t streamSent_ = 0;
    uint64_t padStart_ = 0;
    uint64_t padBytes_ = 0;
    uint64_t sentSinceIdle_ = 0;       // PulseAudio starts playing once a buffer's worth is queued
    uint64_t runStartStream_ = 0;      // the stream byte and time at which the current run of
    Clock::time_point runStartTime_{}; // play began (the first byte sent since it was idle)
    int startThreshold_ = 0;           // that buffer, in bytes
    std::vector<char> silence_;        // startThreshold_ zero bytes, made when the sink starts

    uint64_t lastPlayed_ = 0;
    Clock::time_point lastProgress_{};
    uint64_t underruns_ = 0;
};

} // namespace yumo
