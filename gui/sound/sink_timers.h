#pragma once
// Qt 6.4's PulseAudio sink runs a 20 ms timer on the thread that made it from the moment it
// starts until it stops. In push mode (bytes written into the sink, as the sound card device
// does) the timer has nothing to do, but each of its 50 wake-ups a second costs the window's
// thread about as much as the whole sound output otherwise does. While a sink plays, its
// timers are taken off the event loop; they are put back before the sink stops, so Qt stops
// them as it expects.
//
// The sink's own object is found as the sibling the QAudioSink makes under its parent, so
// each sink gets a parent of its own. Only that backend and Qt version are touched; any other
// keeps its timers.

#include <vector>

#include <QObject>

namespace yumo
{

struct ParkedTimer
{
    QObject* object = nullptr;
    int id = 0;
    int intervalMilliseconds = 0;
    Qt::TimerType type = Qt::CoarseTimer;
};

// Takes the timers of the idle-ticking backend object under `sinkParent` off this thread's
// event loop and returns them (none when the backend is not the known one).
std::vector<ParkedTimer> ParkSinkTimers(QObject& sinkParent);

// Puts parked timers back with their ids and intervals, and forgets them.
void RestoreSinkTimers(std::vector<ParkedTimer>& timers);

} // namespace yumo
