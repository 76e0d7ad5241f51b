#include "gui/sound/sink_timers.h"

#include <cstring>

#include <QAbstractEventDispatcher>
#include <QtGlobal>

namespace yumo
{

std::vector<ParkedTimer> ParkSinkTimers(QObject& sinkParent)
{
    std::vector<ParkedTimer> parked;
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr)
    {
        return parked;
    }
    for (QObject* child : sinkParent.children())
    {
        if (std::strcmp(child->metaObject()->className(), "QPulseAudioSink") != 0)
        {
            continue;
        }
        for (const QAbstractEventDispatcher::TimerInfo& info : dispatcher->registeredTimers(child))
        {
            if (dispatcher->unregisterTimer(info.timerId))
            {
                parked.push_back(ParkedTimer{child, info.timerId, info.interval, info.timerType});
            }
        }
    }
#else
    Q_UNUSED(sinkParent);
#endif
    return parked;
}

void RestoreSinkTimers(std::vector<ParkedTimer>& timers)
{
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    for (const ParkedTimer& timer : timers)
    {
        if (dispatcher != nullptr)
        {
            dispatcher->registerTimer(timer.id, timer.intervalMilliseconds, timer.type,
                                      timer.object);
        }
    }
    timers.clear();
}

} // namespace yumo
