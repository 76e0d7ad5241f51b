#pragma once
// What the sound output needs of a sound server: one connection carrying one playback stream.
// PulseLink (gui/sound/pulse_link.h) is the real one; the tests put a fake here that fails when
// told, so the output's handling of a lost, late or refusing server is tested without a server.
//
// Every call returns at once; a change of the link's state is told through the listener, from
// the event loop (never from inside a call the owner made).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "import/pcm_audio.h"

namespace yumo
{

enum class LinkState
{
    Closed,     // nothing asked for, or closed by the owner
    Connecting, // the connection or its stream is on its way
    Ready,      // the stream takes bytes
    Lost,       // refused, failed or gone; Close, then Connect again
};

class ServerLink
{
public:
    using Listener = std::function<void()>;

    virtual ~ServerLink() = default;
    // Called (from the event loop) whenever State() changed.
    virtual void SetListener(Listener listener) = 0;
    // Starts connecting and opening a stream for `format` on the default output. False when it
    // failed at once (the state is Lost then).
    virtual bool Connect(const PcmFormat& format) = 0;
    // Ends the stream and the connection; the state is Closed.
    virtual void Close() = 0;
    virtual LinkState State() const = 0;
    // A new stream on the same connection, what was queued silenced at once (Connecting until
    // it is ready). False when there is no connection.
    virtual bool RestartStream() = 0;
    // Queues bytes on the stream; false when the stream cannot take them (it is then Lost).
    virtual bool Write(const void* data, size_t byteCount) = 0;
    // Bytes of the current stream heard so far, the server's delay to the ear taken off; false
    // while the server has not told yet.
    virtual bool PlayedBytes(uint64_t& bytes) = 0;
    // How long the oldest question to the server about where the stream stands has waited for
    // its answer; zero when none waits. A server that is stopped rather than gone keeps its
    // connection and answers nothing, while the played position, interpolated, runs on.
    virtual std::chrono::steady_clock::duration UnansweredFor() const = 0;
    // The stream's name in the mixer (what plays).
    virtual void SetStreamName(const std::string& name) = 0;
    // How often a stream of this link ran dry (for figures).
    virtual uint64_t Underruns() const = 0;
};

} // namespace yumo
