#include "gui/desktop/change_bell.h"

#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace yumo
{

ChangeBell::ChangeBell(QObject* parent) : QObject(parent)
{
    fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd_ < 0)
    {
        return; // Ring() then answers at once, from where it is rung
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        uint64_t count = 0;
        const ssize_t got = ::read(fd_, &count, sizeof count);
        static_cast<void>(got); // empty or not, the bell has been heard
        ringing_ = false;
        emit Rung();
    });
}

ChangeBell::~ChangeBell()
{
    delete notifier_;
    if (fd_ >= 0)
    {
        ::close(fd_);
    }
}

void ChangeBell::Ring()
{
    if (fd_ < 0)
    {
        emit Rung();
        return;
    }
    if (ringing_)
    {
        return;
    }
    ringing_ = true;
    const uint64_t one = 1;
    const ssize_t put = ::write(fd_, &one, sizeof one);
    static_cast<void>(put); // a full counter still wakes the reader
}

} // namespace yumo
