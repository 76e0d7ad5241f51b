#include "gui/sound/pulse_link.h"

#include <algorithm>
#include <pulse/error.h>
#include <pulse/proplist.h>

#include "night/byte_clock.h"

namespace yumo
{
namespace
{

// How often, at most, the server is asked where the stream stands.
constexpr std::chrono::milliseconds kTimingInterval{250};

pa_proplist* ProgramProperties()
{
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Yumo");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ID, "org.yumo.Yumo");
    pa_proplist_sets(properties, PA_PROP_APPLICATION_ICON_NAME, "org.yumo.Yumo");
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "music");
    return properties;
}

} // namespace

PulseLink::PulseLink(std::chrono::milliseconds buffer, QObject* parent)
    : QObject(parent), buffer_(buffer)
{
}

PulseLink::~PulseLink()
{
    listener_ = nullptr;
    Close();
}

bool PulseLink::Connect(const PcmFormat& format)
{
    Close();
    format_ = format;
    pa_proplist* properties = ProgramProperties();
    context_ = pa_context_new_with_proplist(loop_.Api(), "Yumo", properties);
    pa_proplist_free(properties);
    if (context_ == nullptr)
    {
        Become(LinkState::Lost);
        return false;
    }
    pa_context_set_state_callback(context_, &PulseLink::OnContextState, this);
    Become(LinkState::Connecting);
    // The server is looked for again by the owner's own schedule; spawning one is not ours.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
    {
        Become(LinkState::Lost);
        return false;
    }
    return true;
}

void PulseLink::Close()
{
    DropStream();
    if (context_ != nullptr)
    {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_set_subscribe_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    state_ = LinkState::Closed;
    defaultOutput_.clear();
}

bool PulseLink::RestartStream()
{
    if (context_ == nullptr || pa_context_get_state(context_) != PA_CONTEXT_READY)
    {
        return false;
    }
    DropStream();
    Become(LinkState::Connecting);
    return OpenStream();
}

bool PulseLink::Write(const void* data, size_t byteCount)
{
    if (state_ != LinkState::Ready)
    {
        return false;
    }
    // libpulse copies the bytes (no free callback given), so the block may be refilled later.
    if (pa_stream_write(stream_, data, byteCount, nullptr, 0, PA_SEEK_RELATIVE) < 0)
    {
        Become(LinkState::Lost);
        return false;
    }
    written_ += byteCount;
    dry_ = false;
    AskTiming();
    return true;
}

void PulseLink::AskTiming()
{
    // The clock is asked for with the writes, a few times a second: libpulse's own timing
    // updates start again at 10 ms apart after every write, a message to the server each. One
    // question at a time, so that one left unanswered shows how long the server has been mute.
    const auto now = std::chrono::steady_clock::now();
    if (state_ != LinkState::Ready || timingAsking_ || now - timingAsked_ < kTimingInterval)
    {
        return;
    }
    if (pa_operation* asked =
            pa_stream_update_timing_info(stream_, &PulseLink::OnTimingAnswered, this))
    {
        pa_operation_unref(asked);
        timingAsked_ = now;
        timingAsking_ = true;
    }
}

void PulseLink::OnTimingAnswered(pa_stream* stream, int, void* self)
{
    auto* link = static_cast<PulseLink*>(self);
    if (stream == link->stream_)
    {
        link->timingAsking_ = false;
    }
}

std::chrono::steady_clock::duration PulseLink::UnansweredFor() const
{
    if (!timingAsking_)
    {
        return std::chrono::steady_clock::duration::zero();
    }
    return std::chrono::steady_clock::now() - timingAsked_;
}

bool PulseLink::StreamClock(uint64_t& bytes) const
{
    pa_usec_t played = 0;
    if (state_ != LinkState::Ready || pa_stream_get_time(stream_, &played) < 0)
    {
        return false;
    }
    bytes = BytesInDuration(std::chrono::microseconds{played}, BytesPerSecond(format_));
    return true;
}

bool PulseLink::PlayedBytes(uint64_t& bytes)
{
    // Asked here too: a stream whose clock stands still is given no bytes, and a server that
    // answers nothing must show however the stream stands.
    AskTiming();
    uint64_t clock = 0;
    if (!StreamClock(clock))
    {
        return false;
    }
    uint64_t played = std::min(clock, written_);
    // A stream that ran dry tells a clock standing still short of its end: what the server has
    // read plays out at the real pace within the output's delay.
    if (dry_)
    {
        const uint64_t since =
            BytesInDuration(std::chrono::steady_clock::now() - dryTime_, BytesPerSecond(format_));
        played = std::max(played, std::min(lastTold_ + since, written_));
    }
    else
    {
        lastTold_ = played;
    }
    played -= played % format_.blockAlign;
    bytes = played;
    return true;
}

void PulseLink::SetStreamName(const std::string& name)
{
    const std::string wanted = name.empty() ? std::string("Yumo") : name;
    if (wanted == streamName_)
    {
        return;
    }
    streamName_ = wanted;
    if (state_ == LinkState::Ready)
    {
        pa_operation* operation =
            pa_stream_set_name(stream_, streamName_.c_str(), nullptr, nullptr);
        if (operation != nullptr)
        {
            pa_operation_unref(operation);
        }
    }
}

void PulseLink::OnContextState(pa_context* context, void* self)
{
    auto* link = static_cast<PulseLink*>(self);
    switch (pa_context_get_state(context))
    {
    case PA_CONTEXT_READY:
        if (link->stream_ == nullptr && !link->OpenStream())
        {
            link->Become(LinkState::Lost);
            break;
        }
        pa_context_set_subscribe_callback(context, &PulseLink::OnServerEvent, self);
        if (pa_operation* operation =
                pa_context_subscribe(context, PA_SUBSCRIPTION_MASK_SERVER, nullptr, nullptr))
        {
            pa_operation_unref(operation);
        }
        link->AskServerInfo();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        link->Become(LinkState::Lost);
        break;
    default:
        break;
    }
}

void PulseLink::OnStreamState(pa_stream* stream, void* self)
{
    auto* link = static_cast<PulseLink*>(self);
    switch (pa_stream_get_state(stream))
    {
    case PA_STREAM_READY:
        link->Become(LinkState::Ready);
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        link->Become(LinkState::Lost);
        break;
    default:
        break;
    }
}

void PulseLink::AskServerInfo()
{
    if (pa_operation* operation =
            pa_context_get_server_info(context_, &PulseLink::OnServerInfo, this))
    {
        pa_operation_unref(operation);
    }
}

void PulseLink::OnServerEvent(pa_context*, pa_subscription_event_type_t type, uint32_t, void* self)
{
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) == PA_SUBSCRIPTION_EVENT_SERVER)
    {
        static_cast<PulseLink*>(self)->AskServerInfo();
    }
}

void PulseLink::OnServerInfo(pa_context* context, const pa_server_info* info, void* self)
{
    auto* link = static_cast<PulseLink*>(self);
    if (info == nullptr || info->default_sink_name == nullptr)
    {
        return;
    }
    const std::string now = info->default_sink_name;
    if (now == link->defaultOutput_)
    {
        return;
    }
    // A stream still on the old default follows the new one; one the user moved elsewhere stays.
    if (link->state_ == LinkState::Ready && !link->defaultOutput_.empty())
    {
        const char* device = pa_stream_get_device_name(link->stream_);
        if (device != nullptr && link->defaultOutput_ == device)
        {
            if (pa_operation* operation = pa_context_move_sink_input_by_name(
                    context, pa_stream_get_index(link->stream_), now.c_str(), nullptr, nullptr))
            {
                pa_operation_unref(operation);
            }
        }
    }
    link->defaultOutput_ = now;
}

bool PulseLink::OpenStream()
{
    const pa_sample_spec sampleFormat{PA_SAMPLE_S16LE, format_.sampleRate,
                                      static_cast<uint8_t>(format_.channels)};
    pa_proplist* properties = ProgramProperties();
    pa_proplist_sets(properties, PA_PROP_MEDIA_NAME, streamName_.c_str());
    stream_ = pa_stream_new_with_proplist(context_, streamName_.c_str(), &sampleFormat, nullptr,
                                          properties);
    pa_proplist_free(properties);
    if (stream_ == nullptr)
    {
        return false;
    }
    pa_stream_set_state_callback(stream_, &PulseLink::OnStreamState, this);
    pa_stream_set_underflow_callback(
        stream_,
        [](pa_stream*, void* self) {
            auto* link = static_cast<PulseLink*>(self);
            ++link->underruns_;
            if (!link->dry_)
            {
                uint64_t clock = 0;
                if (link->StreamClock(clock))
                {
                    link->lastTold_ = std::min(clock, link->written_);
                }
                link->dry_ = true;
                link->dryTime_ = std::chrono::steady_clock::now();
            }
        },
        this);
    written_ = 0;
    lastTold_ = 0;
    dry_ = false;
    timingAsked_ = {};
    timingAsking_ = false;
    // The stream starts with the first frame written (a short preview plays too) and keeps
    // about `buffer_` queued; the server's own requests are not listened to: the owner writes
    // on its own schedule.
    const uint64_t bytes = BytesInDuration(buffer_, BytesPerSecond(format_));
    const auto target = static_cast<uint32_t>(bytes - bytes % format_.blockAlign);
    const pa_buffer_attr attributes{static_cast<uint32_t>(-1), target,
                                    static_cast<uint32_t>(format_.blockAlign),
                                    static_cast<uint32_t>(-1), static_cast<uint32_t>(-1)};
    // The server sets its output's latency from the buffer asked for: the whole delay to the
    // ear stays about `buffer_`, within what the owner keeps queued.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream_, nullptr, &attributes, flags, nullptr, nullptr) < 0)
    {
        DropStream();
        return false;
    }
    return true;
}

void PulseLink::DropStream()
{
    if (stream_ == nullptr)
    {
        return;
    }
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream_, nullptr, nullptr);
    // Its question waits no more: an answer that still comes for it is ignored.
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
    timingAsking_ = false;
}

void PulseLink::Become(LinkState state)
{
    if (state == state_)
    {
        return;
    }
    state_ = state;
    if (state == LinkState::Lost)
    {
        DropStream();
    }
    // Told from the event loop, never inside the owner's own call.
    if (!tellPending_)
    {
        tellPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                tellPending_ = false;
                if (listener_)
                {
                    listener_();
                }
            },
            Qt::QueuedConnection);
    }
}

} // namespace yumo
