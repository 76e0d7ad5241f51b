#include "gui/sound/deadline_timer.h"

#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace yumo
{

DeadlineTimer::DeadlineTimer(QObject* parent) : QObject(parent)
{
    fd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (fd_ < 0)
    {
        return;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &DeadlineTimer::OnReadable);
}

DeadlineTimer::~DeadlineTimer()
{
    // The notifier must stop watching before its descriptor closes.
    delete notifier_;
    if (fd_ >= 0)
    {
        close(fd_);
    }
}

void DeadlineTimer::ArmAt(Clock::time_point when)
{
    if (fd_ < 0)
    {
        return;
    }
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
    itimerspec deadline{};
    // A zero time would disarm the timer; 1 ns on the monotonic clock is long past.
    const int64_t nanoseconds = sinceEpoch > 0 ? sinceEpoch : 1;
    deadline.it_value.tv_sec = static_cast<time_t>(nanoseconds / 1000000000);
    deadline.it_value.tv_nsec = static_cast<long>(nanoseconds % 1000000000);
    timerfd_settime(fd_, TFD_TIMER_ABSTIME, &deadline, nullptr);
    armed_ = true;
}

void DeadlineTimer::Disarm()
{
    if (fd_ < 0 || !armed_)
    {
        return;
    }
    const itimerspec disarmed{};
    timerfd_settime(fd_, 0, &disarmed, nullptr);
    armed_ = false;
}

void DeadlineTimer::OnReadable()
{
    uint64_t expirations = 0;
    // Reading clears the descriptor; nothing to read means a disarm raced the wake-up.
    if (read(fd_, &expirations, sizeof expirations) != static_cast<ssize_t>(sizeof expirations))
    {
        return;
    }
    armed_ = false;
    emit Fired();
}

} // namespace yumo
