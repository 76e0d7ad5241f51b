#pragma once
// libpulse's main-loop interface (pa_mainloop_api) served by the Qt event loop of the thread
// that made it: descriptors watched by QSocketNotifier, time events on precise single-shot
// QTimers, deferred events on zero-interval QTimers. libpulse then runs every callback on that
// thread, between the window's own events, so the block refill needs no lock and no second
// thread. Events freed inside their own callback are deleted once the callback returned, unless
// libpulse remade them in it: the freed record then serves again, notifiers and all. The loop
// must not be destroyed from inside one of libpulse's callbacks.
//
//   PulseLoop loop;
//   pa_context* context = pa_context_new(loop.Api(), "Yumo");

#include <memory>
#include <pulse/mainloop-api.h>

#include <QObject>

namespace yumo
{

struct PulseLoopCore;

class PulseLoop final : public QObject
{
    Q_OBJECT

public:
    explicit PulseLoop(QObject* parent = nullptr);
    // Every event still registered is freed (its destroy callback runs), so the loop must
    // outlive the contexts made on it.
    ~PulseLoop() override;
    PulseLoop(const PulseLoop&) = delete;
    PulseLoop& operator=(const PulseLoop&) = delete;

    pa_mainloop_api* Api() { return &api_; }

private:
    std::unique_ptr<PulseLoopCore> core_;
    pa_mainloop_api api_{};
};

} // namespace yumo
