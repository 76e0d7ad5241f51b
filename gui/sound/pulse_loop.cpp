#include "gui/sound/pulse_loop.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <sys/time.h>
#include <vector>

#include <QSocketNotifier>
#include <QTimer>

// The event records libpulse holds opaque pointers to; each is a QObject owning its notifiers
// or timer, parented to the loop, so the loop frees what libpulse left behind.
struct pa_io_event : QObject
{
    pa_mainloop_api* api = nullptr;
    int fd = -1;
    pa_io_event_cb_t callback = nullptr;
    pa_io_event_destroy_cb_t destroy = nullptr;
    void* userdata = nullptr;
    pa_io_event_flags_t wanted = PA_IO_EVENT_NULL;
    QSocketNotifier* read = nullptr; // made when first wanted
    QSocketNotifier* write = nullptr;
};

struct pa_time_event : QObject
{
    pa_mainloop_api* api = nullptr;
    pa_time_event_cb_t callback = nullptr;
    pa_time_event_destroy_cb_t destroy = nullptr;
    void* userdata = nullptr;
    timeval when{};
    QTimer timer;
};

struct pa_defer_event : QObject
{
    pa_mainloop_api* api = nullptr;
    pa_defer_event_cb_t callback = nullptr;
    pa_defer_event_destroy_cb_t destroy = nullptr;
    void* userdata = nullptr;
    QTimer timer;
};

namespace yumo
{

// What the events share: their parent, and what changed while one of libpulse's callbacks ran.
// libpulse frees a descriptor's event when it becomes readable and makes a new one once it has
// read, all inside one callback; each notifier made or toggled wakes the event loop. So inside
// a callback a freed event waits to be reused for the same descriptor, and only the directions
// wanted when the callback returns reach the notifiers.
struct PulseLoopCore
{
    QObject* owner = nullptr;
    int depth = 0;
    std::vector<pa_io_event*> unsettled; // wanted directions changed
    std::vector<pa_io_event*> freed;     // freed inside the running callback
    // libpulse makes a time event for every reply it waits for; freed ones are kept to serve
    // the next instead of being deleted.
    std::vector<pa_time_event*> spareTimes;
};

namespace
{

constexpr size_t kSpareTimesKept = 8;

// libpulse marks a time on the monotonic clock (its "rtclock") with this bit in tv_usec; a
// time without it is on the wall clock.
constexpr suseconds_t kMonotonicFlag = suseconds_t{1} << 30;

PulseLoopCore& CoreOf(pa_mainloop_api* api) { return *static_cast<PulseLoopCore*>(api->userdata); }

void Settle(PulseLoopCore& core);

// Runs one of libpulse's callbacks; when the outermost returns, the descriptors it changed get
// the directions last wanted.
template <typename Call> void Dispatch(pa_mainloop_api* api, Call&& call)
{
    PulseLoopCore& core = CoreOf(api);
    ++core.depth;
    call();
    if (--core.depth == 0)
    {
        Settle(core);
    }
}

// Tells libpulse its event is gone; the record may still be in use by a running callback.
template <typename Event> void Forget(Event* event)
{
    if (event->destroy != nullptr)
    {
        event->destroy(event->api, event, event->userdata);
    }
    event->destroy = nullptr;
    event->callback = nullptr;
}

// Frees an event once whatever callback is running has returned: libpulse frees events from
// inside their own callbacks.
template <typename Event> void Retire(Event* event)
{
    Forget(event);
    event->deleteLater();
}

// Turns the watch on one direction of an event's descriptor on or off. A notifier is made the
// first time its direction is wanted: making or enabling one registers it with the event loop
// (which wakes the loop), and many descriptors are only ever read.
void WatchDirection(pa_io_event* event, QSocketNotifier*& notifier, QSocketNotifier::Type type,
                    pa_io_event_flags_t what, bool on)
{
    if (notifier != nullptr)
    {
        notifier->setEnabled(on);
        return;
    }
    if (!on)
    {
        return;
    }
    notifier = new QSocketNotifier(event->fd, type, event);
    QObject::connect(notifier, &QSocketNotifier::activated, event, [event, what] {
        if (event->callback != nullptr)
        {
            Dispatch(event->api, [event, what] {
                event->callback(event->api, event, event->fd, what, event->userdata);
            });
        }
    });
}

void ApplyIo(pa_io_event* event)
{
    WatchDirection(event, event->read, QSocketNotifier::Read, PA_IO_EVENT_INPUT,
                   (event->wanted & PA_IO_EVENT_INPUT) != 0);
    WatchDirection(event, event->write, QSocketNotifier::Write, PA_IO_EVENT_OUTPUT,
                   (event->wanted & PA_IO_EVENT_OUTPUT) != 0);
}

void EnableIo(pa_io_event* event, pa_io_event_flags_t flags)
{
    event->wanted = flags;
    PulseLoopCore& core = CoreOf(event->api);
    if (core.depth == 0)
    {
        ApplyIo(event);
    }
    else if (std::find(core.unsettled.begin(), core.unsettled.end(), event) == core.unsettled.end())
    {
        core.unsettled.push_back(event);
    }
}

void Settle(PulseLoopCore& core)
{
    for (pa_io_event* event : core.unsettled)
    {
        ApplyIo(event);
    }
    core.unsettled.clear();
    for (pa_io_event* event : core.freed)
    {
        event->deleteLater();
    }
    core.freed.clear();
}

pa_io_event* NewIo(pa_mainloop_api* api, int fd, pa_io_event_flags_t flags,
                   pa_io_event_cb_t callback, void* userdata)
{
    PulseLoopCore& core = CoreOf(api);
    pa_io_event* event = nullptr;
    const auto reusable = std::find_if(core.freed.begin(), core.freed.end(),
                                       [fd](const pa_io_event* freed) { return freed->fd == fd; });
    if (reusable != core.freed.end())
    {
        event = *reusable;
        core.freed.erase(reusable);
    }
    else
    {
        event = new pa_io_event;
        event->setParent(core.owner);
        event->api = api;
        event->fd = fd;
    }
    event->callback = callback;
    event->userdata = userdata;
    EnableIo(event, flags);
    return event;
}

void FreeIo(pa_io_event* event)
{
    Forget(event);
    EnableIo(event, PA_IO_EVENT_NULL);
    PulseLoopCore& core = CoreOf(event->api);
    if (core.depth > 0)
    {
        core.freed.push_back(event);
        return;
    }
    event->deleteLater();
}

void SetIoDestroy(pa_io_event* event, pa_io_event_destroy_cb_t destroy)
{
    event->destroy = destroy;
}

void ArmTime(pa_time_event* event, const timeval* when)
{
    if (when == nullptr)
    {
        event->timer.stop();
        return;
    }
    event->when = *when;
    const bool monotonic = (when->tv_usec & kMonotonicFlag) != 0;
    const auto due = std::chrono::seconds{when->tv_sec} +
                     std::chrono::microseconds{when->tv_usec & ~kMonotonicFlag};
    timespec now{};
    clock_gettime(monotonic ? CLOCK_MONOTONIC : CLOCK_REALTIME, &now);
    const auto current = std::chrono::seconds{now.tv_sec} + std::chrono::nanoseconds{now.tv_nsec};
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(due - current);
    event->timer.start(std::max(wait, std::chrono::milliseconds{0}));
}

pa_time_event* NewTime(pa_mainloop_api* api, const timeval* when, pa_time_event_cb_t callback,
                       void* userdata)
{
    PulseLoopCore& core = CoreOf(api);
    if (!core.spareTimes.empty())
    {
        pa_time_event* event = core.spareTimes.back();
        core.spareTimes.pop_back();
        event->callback = callback;
        event->userdata = userdata;
        ArmTime(event, when);
        return event;
    }
    auto* event = new pa_time_event;
    event->setParent(core.owner);
    event->api = api;
    event->callback = callback;
    event->userdata = userdata;
    event->timer.setSingleShot(true);
    event->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&event->timer, &QTimer::timeout, event, [event] {
        if (event->callback != nullptr)
        {
            const timeval due = event->when;
            Dispatch(event->api,
                     [event, &due] { event->callback(event->api, event, &due, event->userdata); });
        }
    });
    ArmTime(event, when);
    return event;
}

void FreeTime(pa_time_event* event)
{
    event->timer.stop();
    PulseLoopCore& core = CoreOf(event->api);
    if (core.spareTimes.size() < kSpareTimesKept)
    {
        Forget(event);
        core.spareTimes.push_back(event);
        return;
    }
    Retire(event);
}

void SetTimeDestroy(pa_time_event* event, pa_time_event_destroy_cb_t destroy)
{
    event->destroy = destroy;
}

void EnableDefer(pa_defer_event* event, int enable)
{
    if (enable != 0)
    {
        event->timer.start();
    }
    else
    {
        event->timer.stop();
    }
}

pa_defer_event* NewDefer(pa_mainloop_api* api, pa_defer_event_cb_t callback, void* userdata)
{
    auto* event = new pa_defer_event;
    event->setParent(CoreOf(api).owner);
    event->api = api;
    event->callback = callback;
    event->userdata = userdata;
    // A zero-interval timer fires once every turn of the event loop while it runs: what a
    // deferred event is.
    event->timer.setInterval(0);
    QObject::connect(&event->timer, &QTimer::timeout, event, [event] {
        if (event->callback != nullptr)
        {
            Dispatch(event->api, [event] { event->callback(event->api, event, event->userdata); });
        }
    });
    event->timer.start();
    return event;
}

void FreeDefer(pa_defer_event* event)
{
    event->timer.stop();
    Retire(event);
}

void SetDeferDestroy(pa_defer_event* event, pa_defer_event_destroy_cb_t destroy)
{
    event->destroy = destroy;
}

// Only a loop run by libpulse itself can be told to quit; this one belongs to the window.
void Quit(pa_mainloop_api*, int) {}

} // namespace

PulseLoop::PulseLoop(QObject* parent) : QObject(parent), core_(std::make_unique<PulseLoopCore>())
{
    core_->owner = this;
    api_.userdata = core_.get();
    api_.io_new = NewIo;
    api_.io_enable = EnableIo;
    api_.io_free = FreeIo;
    api_.io_set_destroy = SetIoDestroy;
    api_.time_new = NewTime;
    api_.time_restart = ArmTime;
    api_.time_free = FreeTime;
    api_.time_set_destroy = SetTimeDestroy;
    api_.defer_new = NewDefer;
    api_.defer_enable = EnableDefer;
    api_.defer_free = FreeDefer;
    api_.defer_set_destroy = SetDeferDestroy;
    api_.quit = Quit;
}

PulseLoop::~PulseLoop()
{
    // Children still here were never freed by libpulse, or were freed and wait for the event
    // loop: their destroy callbacks ran already (callback is cleared then).
    for (QObject* child : children())
    {
        if (auto* io = dynamic_cast<pa_io_event*>(child); io != nullptr && io->callback != nullptr)
        {
            FreeIo(io);
        }
        else if (auto* time = dynamic_cast<pa_time_event*>(child);
                 time != nullptr && time->callback != nullptr)
        {
            FreeTime(time);
        }
        else if (auto* defer = dynamic_cast<pa_defer_event*>(child);
                 defer != nullptr && defer->callback != nullptr)
        {
            FreeDefer(defer);
        }
    }
}

} // namespace yumo
