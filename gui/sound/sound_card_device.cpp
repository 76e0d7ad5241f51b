#include "gui/sound/sound_card_device.h"

#include <algorithm>
#include <utility>

#include <QAudioDevice>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>

#include "night/byte_clock.h"

namespace yumo
{
namespace
{

// While bytes wait to go into the sink, it is topped up at least this often: the sink frees
// room continuously and its buffer is only a few of these long.
constexpr std::chrono::milliseconds kFeedInterval{20};
// While blocks wait, the sink's health is looked at at least this often.
constexpr std::chrono::milliseconds kWatchInterval{100};
// How soon a stream that is too short to start gets its padding.
constexpr std::chrono::milliseconds kStartGrace{2};
// How long after a run of play starts Qt's played position is held to real time.
constexpr std::chrono::milliseconds kStartEstimateWindow{500};
// How often the sink is topped up while nobody watches: eight blocks' time.
constexpr std::chrono::microseconds kUnwatchedInterval{92880};
// How far beyond its stream buffer the sink is filled while nobody watches: two wake-ups, so
// the stream still holds about 130 ms when the device wakes (a watched wake-up leaves about
// 38 ms), however the server spreads its requests.
constexpr std::chrono::microseconds kUnwatchedLead = 2 * kUnwatchedInterval;
// Unwatched, the device wakes early when less than this is left to be heard: at the start of
// a night the ten queued blocks (116 ms) are all the sink has.
constexpr std::chrono::milliseconds kUnwatchedFloor{60};

QAudioFormat ToSinkFormat(const PcmFormat& format)
{
    QAudioFormat sinkFormat;
    sinkFormat.setSampleRate(static_cast<int>(format.sampleRate));
    sinkFormat.setChannelCount(format.channels);
    sinkFormat.setSampleFormat(QAudioFormat::Int16);
    return sinkFormat;
}

} // namespace

SoundCardDevice::SoundCardDevice(int sinkBufferMilliseconds, QObject* parent)
    : QObject(parent), sinkBufferMilliseconds_(sinkBufferMilliseconds)
{
    connect(&timer_, &DeadlineTimer::Fired, this, &SoundCardDevice::Service);
}

SoundCardDevice::~SoundCardDevice() { Close(); }

bool SoundCardDevice::Open(const PcmFormat& format, BlockDone onBlockDone)
{
    Close();
    bytesPerSecond_ = BytesPerSecond(format);
    if (bytesPerSecond_ == 0 || !timer_.IsValid())
    {
        return false;
    }
    frameBytes_ = format.blockAlign;
    sinkFormat_ = ToSinkFormat(format);
    failed_ = false;
    failureAnnounced_ = false;
    if (!StartSink())
    {
        return false;
    }
    onBlockDone_ = std::move(onBlockDone);
    open_ = true;
    return true;
}

bool SoundCardDevice::Write(int blockIndex, const int16_t* data, size_t byteCount)
{
    if (!open_ || failed_ || byteCount % static_cast<size_t>(frameBytes_) != 0)
    {
        return false;
    }
    // After a reset the next block starts a new sink; if none starts, the output is gone.
    if (sink_ == nullptr && !StartSink())
    {
        Fail();
        return false;
    }
    const bool wasEmpty = timeline_.Empty();
    if (!timeline_.Push(blockIndex, data, byteCount))
    {
        return false;
    }
    if (wasEmpty)
    {
        lastProgress_ = Clock::now();
    }
    // Blocks written by notifications go out together once the notifications are done: one
    // write into the sink instead of one per block. A failure found while feeding drops this
    // block too: it still comes back (as dropped), and the Write inside its notification is
    // refused.
    if (!inService_)
    {
        Feed();
        Schedule();
    }
    return true;
}

void SoundCardDevice::SetWatched(bool watched)
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

void SoundCardDevice::Reset()
{
    timeline_.DropAll();
    RetireSink();
    if (!inService_)
    {
        Schedule();
    }
}

void SoundCardDevice::Close()
{
    open_ = false;
    ++generation_;
    onBlockDone_ = nullptr;
    timeline_.Clear();
    timer_.Disarm();
    RetireSink();
}

uint64_t SoundCardDevice::PlayedPosition()
{
    if (sink_ == nullptr)
    {
        // Without a sink nothing waits to be heard: what was sent has played or was dropped.
        return timeline_.SentEnd();
    }
    uint64_t stream = ProcessedStreamBytes();
    // Qt's estimate runs ahead of the ear by the device's latency while a stream starts, until
    // it has measured that latency. Meanwhile nothing can have been heard faster than in real
    // time since the run's first byte went in.
    const Clock::duration sinceRunStart = Clock::now() - runStartTime_;
    if (sinceRunStart < kStartEstimateWindow)
    {
        stream =
            std::min(stream, runStartStream_ + BytesInDuration(sinceRunStart, bytesPerSecond_));
    }
    if (padBytes_ > 0)
    {
        if (stream < padStart_ + padBytes_)
        {
            stream = std::min(stream, padStart_);
        }
        else
        {
            // The padding has played: the data after it sits that much earlier on the
            // timeline. The offset may wrap below zero; the sums below wrap back (modulo 2^64).
            streamOffset_ -= padBytes_;
            padBytes_ = 0;
        }
    }
    return std::min(stream + streamOffset_, timeline_.SentEnd());
}

uint64_t SoundCardDevice::ProcessedStreamBytes() const
{
    const qint64 microseconds = sink_->processedUSecs();
    if (microseconds <= 0)
    {
        return 0;
    }
    const uint64_t bytes =
        BytesInDuration(std::chrono::microseconds{microseconds}, bytesPerSecond_);
    return bytes - bytes % static_cast<uint64_t>(frameBytes_);
}

bool SoundCardDevice::StartSink()
{
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull() || !output.isFormatSupported(sinkFormat_))
    {
        return false;
    }
    auto* holder = new QObject;
    auto* sink = new QAudioSink(output, sinkFormat_, holder);
    const qsizetype bufferBytes =
        qsizetype{sinkBufferMilliseconds_} * static_cast<qsizetype>(bytesPerSecond_) / 1000;
    sink->setBufferSize(bufferBytes - bufferBytes % frameBytes_);
    ++session_;
    connect(sink, &QAudioSink::stateChanged, this, [this, session = session_](QAudio::State state) {
        if (session == session_ && !startingSink_)
        {
            OnSinkStateChanged(state);
        }
    });
    startingSink_ = true;
    QIODevice* input = sink->start();
    startingSink_ = false;
    if (input == nullptr || sink->error() != QAudio::NoError ||
        sink->state() == QAudio::StoppedState)
    {
        ++session_;
        sink->stop();
        holder->deleteLater();
        return false;
    }
    parkedTimers_ = ParkSinkTimers(*holder);
    sinkParent_ = holder;
    sink_ = sink;
    sinkInput_ = input;
    streamOffset_ = timeline_.SentEnd();
    streamSent_ = 0;
    padStart_ = 0;
    padBytes_ = 0;
    sentSinceIdle_ = 0;
    runStartStream_ = 0;
    runStartTime_ = Clock::now();
    const auto buffer = static_cast<int>(std::max<qsizetype>(sink->bufferSize(), frameBytes_));
    startThreshold_ = buffer - buffer % frameBytes_;
    silence_.assign(static_cast<size_t>(startThreshold_), 0);
    lastPlayed_ = timeline_.SentEnd();
    lastProgress_ = Clock::now();
    return true;
}

void SoundCardDevice::RetireSink()
{
    QAudioSink* sink = std::exchange(sink_, nullptr);
    QObject* holder = std::exchange(sinkParent_, nullptr);
    sinkInput_ = nullptr;
    if (sink == nullptr)
    {
        return;
    }
    ++session_;
    // Stopping disconnects the stream, which silences it at once; Qt stops the timers it
    // started, so they are back on the event loop first. The sink is deleted from the event
    // loop: its destructor runs the event loop itself, and must not do so inside a
    // notification or a reset.
    disconnect(sink, nullptr, this, nullptr);
    RestoreSinkTimers(parkedTimers_);
    sink->stop();
    holder->deleteLater();
}

void SoundCardDevice::Feed()
{
    if (sink_ == nullptr || failed_)
    {
        return;
    }
    // A stream the server has dropped answers with a negative size; writing to it would fail
    // inside Qt in a way that never recovers.
    qsizetype room = sink_->bytesFree();
    if (room < 0)
    {
        Fail();
        return;
    }
    if (!watched_)
    {
        // Unwatched, blocks come back once sent, so the sink's backlog is bounded here: the
        // stream buffer and the lead, against what is still to be heard.
        const uint64_t unheard =
            timeline_.SentEnd() - std::min(PlayedPosition(), timeline_.SentEnd());
        const uint64_t limit = static_cast<uint64_t>(startThreshold_) +
                               BytesInDuration(kUnwatchedLead, bytesPerSecond_);
        room = std::max(room, static_cast<qsizetype>(limit - std::min(limit, unheard)));
    }
    room -= room % frameBytes_;
    while (room > 0)
    {
        const UnsentBytes run = timeline_.NextUnsent(static_cast<size_t>(room));
        if (run.byteCount == 0)
        {
            break;
        }
        const qint64 written = sinkInput_->write(reinterpret_cast<const char*>(run.data),
                                                 static_cast<qint64>(run.byteCount));
        if (written <= 0)
        {
            break;
        }
        timeline_.MarkSent(static_cast<size_t>(written));
        NoteSent(static_cast<uint64_t>(written));
        room -= written;
    }
    if (sink_->error() == QAudio::IOError || sink_->error() == QAudio::FatalError)
    {
        Fail();
    }
}

void SoundCardDevice::NoteSent(uint64_t bytes)
{
    if (sentSinceIdle_ == 0)
    {
        runStartStream_ = streamSent_;
        runStartTime_ = Clock::now();
    }
    streamSent_ += bytes;
    sentSinceIdle_ += bytes;
}

void SoundCardDevice::PadToStart()
{
    // The server starts a stream only once about a buffer's worth is queued. A short sound
    // (a preview of a click) would never play, while Qt's played position, interpolated with
    // the wall clock, would claim it had: silence after it makes it play. At the start of a
    // night the ten primed blocks are more than a buffer, so nothing is padded there.
    if (!WaitsForStart())
    {
        return;
    }
    qsizetype room = sink_->bytesFree();
    const auto wanted =
        static_cast<qsizetype>(static_cast<uint64_t>(startThreshold_) - sentSinceIdle_);
    const qsizetype length = std::min(room, wanted) - std::min(room, wanted) % frameBytes_;
    if (length <= 0)
    {
        return;
    }
    const qint64 written = sinkInput_->write(silence_.data(), length);
    if (written > 0)
    {
        padStart_ = streamSent_;
        padBytes_ = static_cast<uint64_t>(written);
        NoteSent(padBytes_);
    }
}

void SoundCardDevice::Fail()
{
    if (failed_)
    {
        return;
    }
    failed_ = true;
    timeline_.DropAll();
    if (!inService_)
    {
        Schedule();
    }
}

void SoundCardDevice::OnSinkStateChanged(QAudio::State state)
{
    if (sink_ == nullptr)
    {
        return;
    }
    if (state == QAudio::StoppedState && sink_->error() != QAudio::NoError)
    {
        Fail();
        return;
    }
    if (state == QAudio::IdleState)
    {
        // The stream ran dry. At the end of a sound that is expected; with bytes still unsent,
        // or with more than the last block still waiting, the sink was not fed in time.
        if (timeline_.UnsentByteCount() > 0 || timeline_.Count() > 1)
        {
            ++underruns_;
        }
        sentSinceIdle_ = 0;
    }
}

void SoundCardDevice::Service()
{
    // A notification that opens a modal message box runs the event loop inside this one; the
    // outer pass schedules the next wake-up when it is done.
    if (inService_)
    {
        return;
    }
    if (sink_ != nullptr && !failed_)
    {
        Feed();
        PadToStart();
        WatchProgress();
    }
    if (failed_ && sink_ != nullptr)
    {
        RetireSink();
    }
    inService_ = true;
    // Unwatched, a block is done once the sink has its bytes (the bytes were copied).
    const uint64_t finished = watched_ ? PlayedPosition() : timeline_.SentEnd();
    DeliverFinishedBlocks(timeline_, finished, onBlockDone_, generation_);
    inService_ = false;
    Feed();
    Schedule();
    if (failed_ && !failureAnnounced_)
    {
        failureAnnounced_ = true;
        emit Failed();
    }
}

void SoundCardDevice::WatchProgress()
{
    const Clock::time_point now = Clock::now();
    const uint64_t played = PlayedPosition();
    if (played != lastPlayed_ || timeline_.Empty() || timeline_.OldestDropped())
    {
        lastPlayed_ = played;
        lastProgress_ = now;
    }
    else if (now - lastProgress_ > kSinkStallLimit)
    {
        Fail();
    }
}

bool SoundCardDevice::WaitsForStart() const
{
    return sink_ != nullptr && !failed_ && !timeline_.Empty() && !timeline_.OldestDropped() &&
           timeline_.UnsentByteCount() == 0 && padBytes_ == 0 &&
           sentSinceIdle_ < static_cast<uint64_t>(startThreshold_);
}

void SoundCardDevice::Schedule()
{
    if (!open_ || (timeline_.Empty() && !(failed_ && !failureAnnounced_)))
    {
        timer_.Disarm();
        return;
    }
    const Clock::time_point now = Clock::now();
    if (timeline_.Empty() || timeline_.OldestDropped())
    {
        timer_.ArmAt(now);
        return;
    }
    // A stream short of its start is padded as soon as the writer is done writing (when the
    // event loop comes round), before its played position is believed.
    if (WaitsForStart())
    {
        timer_.ArmAt(now + kStartGrace);
        return;
    }
    if (!watched_)
    {
        const uint64_t sent = timeline_.SentEnd();
        const Clock::duration left =
            DurationOfBytes(sent - std::min(PlayedPosition(), sent), bytesPerSecond_);
        timer_.ArmAt(now + std::clamp<Clock::duration>(left - kUnwatchedFloor, kStartGrace,
                                                       kUnwatchedInterval));
        return;
    }
    const uint64_t end = timeline_.WakeUpEnd();
    const uint64_t played = PlayedPosition();
    Clock::time_point due = now + DurationOfBytes(end - std::min(end, played), bytesPerSecond_);
    due = std::min(due, now + kWatchInterval);
    if (timeline_.UnsentByteCount() > 0)
    {
        due = std::min(due, now + kFeedInterval);
    }
    timer_.ArmAt(due);
}

} // namespace yumo
