#pragma once
// The sound server through libpulse (PulseAudio, or PipeWire through pipewire-pulse): one
// context and one playback stream, run on the event loop of the thread that made it
// (PulseLoop). The stream names the program for the mixer (application name "Yumo", its icon,
// media.role music) and is not pinned to an output, so the server moves it with the default
// output and rescues it to the default when its output goes away.

#include <chrono>
#include <cstdint>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/stream.h>
#include <pulse/subscribe.h>
#include <string>

#include <QObject>

#include "gui/sound/pulse_loop.h"
#include "gui/sound/server_link.h"

namespace yumo
{

class PulseLink final : public QObject, public ServerLink
{
    Q_OBJECT

public:
    // `buffer`: how much the stream keeps queued.
    explicit PulseLink(std::chrono::milliseconds buffer, QObject* parent = nullptr);
    ~PulseLink() override;

    void SetListener(Listener listener) override { listener_ = std::move(listener); }
    bool Connect(const PcmFormat& format) override;
    void Close() override;
    LinkState State() const override { return state_; }
    bool RestartStream() override;
    bool Write(const void* data, size_t byteCount) override;
    bool PlayedBytes(uint64_t& bytes) override;
    std::chrono::steady_clock::duration UnansweredFor() const override;
    void SetStreamName(const std::string& name) override;
    uint64_t Underruns() const override { return underruns_; }

private:
    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnServerEvent(pa_context* context, pa_subscription_event_type_t type,
                              uint32_t index, void* self);
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void OnTimingAnswered(pa_stream* stream, int success, void* self);
    void AskTiming();
    void AskServerInfo();
    bool OpenStream();
    bool StreamClock(uint64_t& bytes) const;
    void DropStream();
    void Become(LinkState state);

    PulseLoop loop_;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    PcmFormat format_;
    std::chrono::milliseconds buffer_;
    std::string streamName_ = "Yumo";
    LinkState state_ = LinkState::Closed;
    Listener listener_;
    bool tellPending_ = false;
    uint64_t underruns_ = 0;
    // The current stream's bytes written. Its clock stands still once the server has read all
    // it had, short of the output's delay.
    uint64_t written_ = 0;
    uint64_t lastTold_ = 0; // the position last told to the owner
    bool dry_ = false;      // the server read all it had, at `dryTime_`
    std::chrono::steady_clock::time_point dryTime_{};
    // When the server was last asked where the stream stands (the clock interpolates between),
    // and whether that question still waits for its answer.
    std::chrono::steady_clock::time_point timingAsked_{};
    bool timingAsking_ = false;
    std::string defaultOutput_; // the server's default output, as last heard
};

} // namespace yumo
