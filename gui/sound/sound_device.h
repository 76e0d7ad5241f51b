#pragma once
// The window's audio output: an AudioDevice over a sound-server link (libpulse by default).
//
//   std::unique_ptr<SoundOutput> output = CreateSoundOutput();
//   OpenOutputStream(state, *output); // after each voice-data load, as with any AudioDevice
//
// Watched (the default: the editor's previews, the sound figures), a block comes back when it
// has been heard: the output writes the blocks' bytes to the server's stream and hands each
// block back once the stream's played position (the server's delay to the ear taken off) has
// passed its last byte, timed by a DeadlineTimer on the event loop, two blocks per wake-up,
// never inside Write. Unwatched (the window's night output, CreateSoundOutput), a block comes
// back once the server has its bytes and the owner follows what is heard through
// HeardSinceOpen. Either way the server is never sent more than its buffer and a lead beyond
// what has been heard, so a long block (a whole preview) goes out piece by piece.
//
// A server is lost when its connection or stream fails or is not ready within kConnectLimit, a
// write fails, its stream's played position stands still for kStallLimit while blocks wait,
// or it leaves a question about that position unanswered for kAnswerLimit (one that is stopped
// rather than gone).
//
// The night never depends on the server. While no server plays (none at start, or it went
// away) the output goes on as a silent device at the same real-time pace: the blocks come back
// in time and Write keeps taking them. Meanwhile the server is looked for again, 2 s after it
// was lost and then at growing intervals of at most 4 s (a connection that is not answered is
// kept, for a stopped server to answer as it goes on); once a stream is ready again, what
// the lost one had not played is sent again from the position the silent pace had reached, and
// the sound goes on there. ServerAwayChanged tells the window, which says so quietly.
//
// Lives on the GUI thread and needs a running Qt event loop. Not to be destroyed from inside
// its own block-done notification.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QObject>
#include <QTimer>

#include "gui/sound/deadline_timer.h"
#include "gui/sound/server_link.h"
#include "night/audio_device.h"
#include "night/block_timeline.h"

namespace yumo
{

// The server's stream keeps about this much queued: less than the stream's ten blocks
// (116 ms), which come back only when heard.
constexpr std::chrono::milliseconds kServerBufferMilliseconds{90};
// The window's night output runs ahead of the ear (its panes follow what is heard): a longer
// buffer lets the server wake a few times a second instead of twenty.
constexpr std::chrono::milliseconds kAheadServerBuffer{250};

// How long a connection may take, and how long the played position may stand still while
// blocks wait, before the server counts as lost (one that hangs instead of going away). An
// idle PulseAudio sink waking up takes up to 2 s to start.
constexpr std::chrono::milliseconds kConnectLimit{3000};
constexpr std::chrono::milliseconds kStallLimit{3000};
// How long the server may leave a question about the stream's position unanswered before it
// counts as lost: one that is stopped keeps its connection and answers nothing while the
// interpolated position runs on. With a question every 250 ms (one at a time) while the
// output looks at the position, a stopped server is noticed within 2.5 s.
constexpr std::chrono::milliseconds kAnswerLimit{2000};

// The wait before the `attempt`-th search (0 first) for a server that was lost or missing:
// 2 s, 2 s, 3 s, then 4 s each time; never more often than every 2 s, and a server that comes
// back is found within 4 s.
std::chrono::milliseconds ReconnectWait(int attempt);

class SoundOutput final : public QObject, public AudioDevice
{
    Q_OBJECT

public:
    // Without a link, a libpulse one asking for `serverBuffer`; the server is kept at most that
    // much ahead of the ear and a lead more: 100 ms watched, two wake-ups (186 ms) unwatched.
    explicit SoundOutput(std::unique_ptr<ServerLink> link = nullptr, QObject* parent = nullptr,
                         std::chrono::milliseconds serverBuffer = kServerBufferMilliseconds);
    ~SoundOutput() override;

    // False only when the format is not 16-bit PCM with one or two channels, or the system
    // had no timer left. The server is looked for from now on.
    bool Open(const PcmFormat& format, BlockDone onBlockDone) override;
    // False when not open, `byteCount` is not whole frames, or the queue is full; never
    // because of the server.
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override;
    void Reset() override;
    void Close() override;

    // Whether the owner follows the notifications' timing (true at first). Unwatched, a block
    // comes back once the server has its bytes, and the output wakes every eight blocks and
    // keeps the server its buffer and two wake-ups ahead of the ear: 436 ms with
    // kAheadServerBuffer. Watched again, blocks come back when heard, once that lead has played.
    void SetWatched(bool watched);

    // Whether the sound goes to a server now, and whether it was lost or missing (told to the
    // user) and has not played since.
    bool OnServer() const { return mode_ == Mode::Streaming; }
    bool ServerAway() const { return away_; }
    // The stream's name in the mixer: what plays.
    void SetStreamName(const std::string& name);

    bool IsOpen() const { return open_; }
    int PendingBlocks() const { return timeline_.Count(); }
    // For figures: bytes on the output's timeline heard (or passed in silence) so far, and how
    // often the server's stream ran dry.
    uint64_t PlayedPosition();
    // What was heard of the bytes written since the last Open; false when not open.
    bool HeardSinceOpen(uint64_t& bytes) override;
    uint64_t Underruns() const { return link_->Underruns(); }

signals:
    void ServerAwayChanged(bool away);

private:
    using Clock = DeadlineTimer::Clock;
    enum class Mode
    {
        Holding,   // a stream is on its way: the position waits
        Streaming, // the server plays the bytes
        Silent,    // no server: the position runs in real time
    };

    void OnLinkChanged();
    void StartStreaming();
    // A new stream on the same connection (Holding until it is ready), or silence without one.
    void RestartStream();
    void GoSilent(bool lost);
    void Search();
    void Feed();
    void WatchProgress();
    void Service();
    void Schedule();
    void SetAway(bool away);

    std::unique_ptr<ServerLink> link_;
    DeadlineTimer timer_;
    QTimer searchTimer_;
    BlockTimeline timeline_;
    BlockDone onBlockDone_;
    PcmFormat format_;
    std::chrono::milliseconds serverBuffer_;
    uint64_t openedAt_ = 0;   // the timeline's end at the last Open
    uint64_t generation_ = 0; // changes on Open and Close
    uint64_t bytesPerSecond_ = 0;
    bool open_ = false;
    bool inService_ = false;
    bool watched_ = true;
    bool away_ = false;
    int attempt_ = 0;
    std::string streamName_;

    Mode mode_ = Mode::Holding;
    Clock::time_point holdSince_{};
    // Streaming: stream byte s is timeline byte s + streamBase_.
    uint64_t streamBase_ = 0;
    uint64_t streamPlayed_ = 0; // the stream's bytes heard, as last told
    // Holding and Silent: the timeline position `runStart_` was reached at `runTime_`.
    uint64_t runStart_ = 0;
    Clock::time_point runTime_{};
    uint64_t lastPlayed_ = 0;
    Clock::time_point lastProgress_{};
    Clock::time_point streamBusy_{}; // the stream was made or last given bytes
    std::vector<uint8_t> staged_;    // runs joined for one write; keeps its room
};

// The output the window uses for its nights, unwatched with kAheadServerBuffer: the window
// follows HeardSinceOpen. It connects nothing until the stream opens it.
std::unique_ptr<SoundOutput> CreateSoundOutput();

} // namespace yumo
