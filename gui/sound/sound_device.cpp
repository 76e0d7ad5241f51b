#include "gui/sound/sound_device.h"

#include <algorithm>
#include <array>
#include <utility>

#include "common/constants.h"
#include "gui/sound/pulse_link.h"
#include "night/byte_clock.h"

namespace yumo
{
namespace
{

// While bytes wait to go out, the stream is topped up at least this often.
constexpr std::chrono::milliseconds kFeedInterval{20};
// While blocks wait, the stream's progress is looked at at least this often.
constexpr std::chrono::milliseconds kWatchInterval{100};
// The shortest wait before an unwatched wake-up, however short of bytes the stream is.
constexpr std::chrono::milliseconds kShortestUnwatchedWait{2};
// How far beyond its buffer the stream is filled while watched: the ten blocks of a night
// (116 ms) fit, and a long sound keeps five top-ups in hand against a wake-up late under load.
constexpr std::chrono::milliseconds kWatchedLead = 5 * kFeedInterval;
// A stream that has had nothing to play for this long is made anew for the next bytes: its
// interpolated clock runs on while it stands idle and would tell them heard at once.
constexpr std::chrono::milliseconds kIdleStreamLimit{50};
// How often the stream is topped up while nobody watches: the time of the blocks handed back
// per wake-up (92.9 ms).
constexpr std::chrono::nanoseconds kUnwatchedInterval{int64_t{kUnwatchedBlocksPerWakeup} *
                                                      kFramesPerBlock * 1000000000 / kSampleRate};
// How far beyond its buffer the stream is filled while nobody watches: two wake-ups, so it
// still holds well over 100 ms when the output wakes.
constexpr std::chrono::nanoseconds kUnwatchedLead = 2 * kUnwatchedInterval;
// Unwatched, the output wakes early when less than this is left to be heard: at the start of
// a night the ten queued blocks (116 ms) are all the stream has.
constexpr std::chrono::milliseconds kUnwatchedFloor{60};

bool SameFormat(const PcmFormat& a, const PcmFormat& b)
{
    return a.sampleRate == b.sampleRate && a.channels == b.channels &&
           a.blockAlign == b.blockAlign && a.bitsPerSample == b.bitsPerSample;
}

} // namespace

std::chrono::milliseconds ReconnectWait(int attempt)
{
    constexpr std::array<std::chrono::milliseconds, 3> kFirstWaits{std::chrono::milliseconds{2000},
                                                                   std::chrono::milliseconds{2000},
                                                                   std::chrono::milliseconds{3000}};
    if (attempt >= 0 && attempt < static_cast<int>(kFirstWaits.size()))
    {
        return kFirstWaits[static_cast<size_t>(attempt)];
    }
    return std::chrono::milliseconds{4000};
}

SoundOutput::SoundOutput(std::unique_ptr<ServerLink> link, QObject* parent,
                         std::chrono::milliseconds serverBuffer)
    : QObject(parent), link_(std::move(link)), serverBuffer_(serverBuffer)
{
    if (link_ == nullptr)
    {
        link_ = std::make_unique<PulseLink>(serverBuffer_);
    }
    link_->SetListener([this] { OnLinkChanged(); });
    staged_.reserve(size_t{1} << 16); // the most a wake-up sends, with room to spare
    connect(&timer_, &DeadlineTimer::Fired, this, &SoundOutput::Service);
    searchTimer_.setSingleShot(true);
    // A coarse timer may fire 5 % early: the server is never looked for sooner than promised.
    searchTimer_.setTimerType(Qt::PreciseTimer);
    connect(&searchTimer_, &QTimer::timeout, this, &SoundOutput::Search);
}

SoundOutput::~SoundOutput()
{
    link_->SetListener(nullptr);
    link_->Close();
}

bool SoundOutput::Open(const PcmFormat& format, BlockDone onBlockDone)
{
    Close();
    bytesPerSecond_ = BytesPerSecond(format);
    if (bytesPerSecond_ == 0 || !timer_.IsValid())
    {
        return false;
    }
    const bool formatChanged = !SameFormat(format, format_);
    format_ = format;
    onBlockDone_ = std::move(onBlockDone);
    open_ = true;
    mode_ = Mode::Holding;
    runStart_ = timeline_.WrittenEnd();
    runTime_ = Clock::now();
    openedAt_ = timeline_.WrittenEnd();
    if (formatChanged && link_->State() != LinkState::Closed)
    {
        link_->Close();
    }
    switch (link_->State())
    {
    case LinkState::Ready:
        StartStreaming();
        break;
    case LinkState::Connecting:
        searchTimer_.start(kConnectLimit);
        break;
    case LinkState::Closed:
    case LinkState::Lost:
        link_->Close();
        if (link_->Connect(format_))
        {
            searchTimer_.start(kConnectLimit);
        }
        else
        {
            GoSilent(true);
        }
        break;
    }
    return true;
}

bool SoundOutput::Write(int blockIndex, const int16_t* data, size_t byteCount)
{
    if (!open_ || byteCount % static_cast<size_t>(format_.blockAlign) != 0)
    {
        return false;
    }
    const Clock::time_point now = Clock::now();
    // In silence, a block written after everything has passed starts a new run now, as a
    // server plays nothing while it has nothing and goes on when it gets more.
    if (mode_ == Mode::Silent && PlayedPosition() >= timeline_.WrittenEnd())
    {
        runStart_ = timeline_.WrittenEnd();
        runTime_ = now;
    }
    if (mode_ == Mode::Streaming && timeline_.Empty() && now - streamBusy_ > kIdleStreamLimit)
    {
        runStart_ = timeline_.WrittenEnd();
        runTime_ = now;
        RestartStream();
    }
    if (!timeline_.Push(blockIndex, data, byteCount))
    {
        return false;
    }
    // Blocks written by notifications go out together once the notifications are done.
    if (!inService_)
    {
        Feed();
        Schedule();
    }
    return true;
}

void SoundOutput::Reset()
{
    timeline_.DropAll();
    runStart_ = timeline_.WrittenEnd();
    runTime_ = Clock::now();
    // A new stream silences what the server still holds at once.
    if (mode_ == Mode::Streaming)
    {
        RestartStream();
    }
    if (!inService_)
    {
        Schedule();
    }
}

void SoundOutput::RestartStream()
{
    if (link_->RestartStream())
    {
        mode_ = Mode::Holding;
        searchTimer_.start(kConnectLimit);
    }
    else
    {
        GoSilent(true);
    }
}

void SoundOutput::Close()
{
    open_ = false;
    ++generation_;
    onBlockDone_ = nullptr;
    timeline_.Clear();
    timer_.Disarm();
    searchTimer_.stop();
    if (mode_ == Mode::Streaming && !link_->RestartStream())
    {
        link_->Close();
    }
    mode_ = Mode::Holding;
}

void SoundOutput::SetWatched(bool watched)
{
    if (watched == watched_)
    {
        return;
    }
    watched_ = watched;
    if (!inService_)
    {
        Schedule();
    }
}

void SoundOutput::SetStreamName(const std::string& name)
{
    streamName_ = name;
    link_->SetStreamName(name);
}

uint64_t SoundOutput::PlayedPosition()
{
    const uint64_t written = timeline_.WrittenEnd();
    switch (mode_)
    {
    case Mode::Streaming:
    {
        // A lost stream tells nothing more: it stays where it was last heard.
        uint64_t streamBytes = 0;
        if (link_->PlayedBytes(streamBytes))
        {
            streamPlayed_ = streamBytes;
        }
        return std::min(streamBase_ + streamPlayed_, timeline_.SentEnd());
    }
    case Mode::Holding:
        return std::min(runStart_, written);
    case Mode::Silent:
        break;
    }
    const Clock::time_point now = Clock::now();
    if (now <= runTime_)
    {
        return std::min(runStart_, written);
    }
    return std::min(runStart_ + BytesInDuration(now - runTime_, bytesPerSecond_), written);
}

void SoundOutput::OnLinkChanged()
{
    switch (link_->State())
    {
    case LinkState::Ready:
        if (open_ && mode_ != Mode::Streaming)
        {
            StartStreaming();
        }
        break;
    case LinkState::Lost:
        if (open_)
        {
            GoSilent(true);
        }
        else
        {
            link_->Close();
        }
        break;
    case LinkState::Connecting:
    case LinkState::Closed:
        break;
    }
}

void SoundOutput::StartStreaming()
{
    // What the silent pace has passed is gone; the rest is sent again to the new stream, from
    // a whole frame (blocks are whole frames on the timeline).
    uint64_t position = PlayedPosition();
    position -= position % static_cast<uint64_t>(format_.blockAlign);
    streamBase_ = timeline_.RewindTo(position);
    // A new stream has played nothing yet.
    streamPlayed_ = 0;
    mode_ = Mode::Streaming;
    attempt_ = 0;
    searchTimer_.stop();
    lastPlayed_ = streamBase_;
    lastProgress_ = Clock::now();
    streamBusy_ = lastProgress_;
    link_->SetStreamName(streamName_);
    SetAway(false);
    if (!inService_)
    {
        Feed();
        Schedule();
    }
}

void SoundOutput::GoSilent(bool lost)
{
    const Clock::time_point now = Clock::now();
    if (mode_ == Mode::Streaming)
    {
        runStart_ = PlayedPosition();
        runTime_ = now;
    }
    else if (mode_ == Mode::Holding)
    {
        runTime_ = now;
    }
    mode_ = Mode::Silent;
    if (lost)
    {
        link_->Close();
        SetAway(true);
        searchTimer_.start(ReconnectWait(attempt_));
        attempt_ = std::min(attempt_ + 1, 1000);
    }
    if (!inService_)
    {
        Feed();
        Schedule();
    }
}

void SoundOutput::Search()
{
    if (!open_)
    {
        return;
    }
    // A connection or stream on its way for too long: the server hangs, or is stopped. The
    // night goes on in silence and what is on its way is kept, since a stopped server answers
    // it the moment it goes on; libpulse gives up on it after 30 s, and the link is lost then.
    if (link_->State() == LinkState::Connecting)
    {
        GoSilent(false);
        SetAway(true);
        searchTimer_.start(kConnectLimit);
        return;
    }
    if (mode_ == Mode::Holding)
    {
        GoSilent(true);
        return;
    }
    if (link_->State() == LinkState::Ready)
    {
        return;
    }
    link_->Close();
    if (!link_->Connect(format_))
    {
        GoSilent(true);
        return;
    }
    searchTimer_.start(kConnectLimit);
}

void SoundOutput::Feed()
{
    if (mode_ == Mode::Silent)
    {
        // Nothing to send to: the bytes pass at the silent pace.
        timeline_.MarkSent(static_cast<size_t>(timeline_.UnsentByteCount()));
        return;
    }
    if (mode_ != Mode::Streaming)
    {
        return;
    }
    // The server is never given more than its buffer and a lead beyond what has been heard:
    // what it is sent past its queue's limit (4 MiB by default, 24 s at 44.1 kHz) it drops,
    // and a long block (a preview's whole sound) would go silent there. Unwatched, blocks come
    // back once sent, so this also bounds the night's backlog.
    const uint64_t unheard = timeline_.SentEnd() - std::min(PlayedPosition(), timeline_.SentEnd());
    const uint64_t limit =
        BytesInDuration(serverBuffer_, bytesPerSecond_) +
        BytesInDuration(watched_ ? kWatchedLead : kUnwatchedLead, bytesPerSecond_);
    uint64_t room = std::min(timeline_.UnsentByteCount(), limit - std::min(limit, unheard));
    room -= room % static_cast<uint64_t>(format_.blockAlign);
    // Unwatched, less than a block of room means the server holds nearly all the lead: a
    // top-up of a few frames would only be one more message.
    if (!watched_ && room < static_cast<uint64_t>(kBytesPerBlock))
    {
        room = 0;
    }
    // One write to the server for all that goes now: each write is a message the server
    // answers. The runs split where the blocks' ring wraps; they are joined in `staged_`.
    UnsentBytes first;
    staged_.clear();
    while (room > 0)
    {
        const UnsentBytes run = timeline_.NextUnsent(static_cast<size_t>(room));
        if (run.byteCount == 0)
        {
            break;
        }
        if (first.byteCount == 0)
        {
            first = run;
        }
        else
        {
            if (staged_.empty())
            {
                staged_.assign(first.data, first.data + first.byteCount);
            }
            staged_.insert(staged_.end(), run.data, run.data + run.byteCount);
        }
        // A failed write goes silent, where what was sent no longer counts.
        timeline_.MarkSent(run.byteCount);
        room -= run.byteCount;
    }
    if (first.byteCount == 0)
    {
        return;
    }
    const bool written = staged_.empty() ? link_->Write(first.data, first.byteCount)
                                         : link_->Write(staged_.data(), staged_.size());
    if (!written)
    {
        GoSilent(true);
        return;
    }
    streamBusy_ = Clock::now();
}

void SoundOutput::WatchProgress()
{
    if (link_->UnansweredFor() > kAnswerLimit)
    {
        GoSilent(true);
        return;
    }
    const Clock::time_point now = Clock::now();
    const uint64_t played = PlayedPosition();
    if (played != lastPlayed_ || timeline_.Empty() || timeline_.OldestDropped())
    {
        lastPlayed_ = played;
        lastProgress_ = now;
    }
    else if (now - lastProgress_ > kStallLimit)
    {
        GoSilent(true);
    }
}

void SoundOutput::Service()
{
    // A notification that opens a modal message box runs the event loop inside this one; the
    // outer pass schedules the next wake-up when it is done.
    if (inService_)
    {
        return;
    }
    inService_ = true;
    if (mode_ == Mode::Streaming)
    {
        Feed();
        WatchProgress();
    }
    else
    {
        Feed();
    }
    // Unwatched, a block on a stream is done once the server has its bytes (they were copied).
    const uint64_t finished =
        watched_ || mode_ != Mode::Streaming ? PlayedPosition() : timeline_.SentEnd();
    DeliverFinishedBlocks(timeline_, finished, onBlockDone_, generation_);
    inService_ = false;
    Feed();
    Schedule();
}

void SoundOutput::Schedule()
{
    if (!open_ || timeline_.Empty())
    {
        timer_.Disarm();
        return;
    }
    const Clock::time_point now = Clock::now();
    if (timeline_.OldestDropped())
    {
        timer_.ArmAt(now);
        return;
    }
    switch (mode_)
    {
    case Mode::Holding:
        // Nothing moves until the stream is ready, which schedules again.
        timer_.Disarm();
        return;
    case Mode::Silent:
    {
        const uint64_t end =
            timeline_.WakeUpEnd(watched_ ? kBlocksPerWakeup : kUnwatchedBlocksPerWakeup);
        timer_.ArmAt(runTime_ + DurationOfBytes(end - std::min(end, runStart_), bytesPerSecond_));
        return;
    }
    case Mode::Streaming:
        break;
    }
    const uint64_t played = PlayedPosition();
    if (!watched_)
    {
        const uint64_t sent = timeline_.SentEnd();
        const Clock::duration left =
            DurationOfBytes(sent - std::min(played, sent), bytesPerSecond_);
        timer_.ArmAt(now + std::clamp<Clock::duration>(left - kUnwatchedFloor,
                                                       kShortestUnwatchedWait, kUnwatchedInterval));
        return;
    }
    const uint64_t end = timeline_.WakeUpEnd();
    Clock::time_point due = now + DurationOfBytes(end - std::min(end, played), bytesPerSecond_);
    due = std::min(due, now + kWatchInterval);
    if (timeline_.UnsentByteCount() > 0)
    {
        due = std::min(due, now + kFeedInterval);
    }
    timer_.ArmAt(due);
}

void SoundOutput::SetAway(bool away)
{
    if (away != away_)
    {
        away_ = away;
        emit ServerAwayChanged(away);
    }
}

bool SoundOutput::HeardSinceOpen(uint64_t& bytes)
{
    if (!open_)
    {
        return false;
    }
    const uint64_t played = PlayedPosition();
    bytes = played - std::min(played, openedAt_);
    return true;
}

std::unique_ptr<SoundOutput> CreateSoundOutput()
{
    auto output = std::make_unique<SoundOutput>(nullptr, nullptr, kAheadServerBuffer);
    output->SetWatched(false);
    return output;
}

} // namespace yumo
