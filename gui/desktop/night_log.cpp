#include "gui/desktop/night_log.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "common/constants.h"

namespace yumo
{
namespace
{

constexpr uint32_t kMsPerDay = 24u * 60u * 60u * 1000u;

} // namespace

uint32_t NightLog::NowMs(const AppState& state) const
{
    const LocalTime now = ReadLocalTime(state.clock);
    return static_cast<uint32_t>(((now.hour * 60 + now.minute) * 60 + now.second) * 1000);
}

void NightLog::Begin(const AppState& state)
{
    recorder_.Begin();
    recording_ = true;
    startMs_ = NowMs(state);
    recorder_.RecordClip(state, 0, startMs_);
}

void NightLog::Clip(const AppState& state)
{
    if (!recording_)
    {
        return;
    }
    const uint32_t now = NowMs(state);
    recorder_.RecordClip(state, BlockAt(now), now);
}

void NightLog::Mark(const AppState& state, std::string_view event)
{
    if (!recording_)
    {
        return;
    }
    const uint32_t now = NowMs(state);
    recorder_.Record(state, BlockAt(now), now, event);
}

uint64_t NightLog::BlockAt(uint32_t nowMs) const
{
    // The blocks the night has played, from the clock: a night past midnight wraps once.
    const uint64_t elapsedMs = (nowMs + kMsPerDay - startMs_) % kMsPerDay;
    return elapsedMs * kSampleRate / (1000u * kFramesPerBlock);
}

std::vector<NightEvent> NightLog::Finish()
{
    recording_ = false;
    return recorder_.Events();
}

QString LastNightPath()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || !QDir::isAbsolutePath(state))
    {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QStringLiteral("/yumo/last-night.tsv");
}

bool WriteLastNight(const std::vector<NightEvent>& events, std::string& why)
{
    const QString path = LastNightPath();
    // A folder that cannot be made is told by the writer's open.
    QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteNightEventsFile(QFile::encodeName(path).toStdString(), events, &why);
}

} // namespace yumo
