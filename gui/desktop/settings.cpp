#include "gui/desktop/settings.h"

#include <algorithm>

#include <QSettings>
#include <QStandardPaths>

#include "night/app_state.h"

namespace yumo
{
namespace
{

constexpr int kPersonalityMax = 10;
constexpr int kVolumeLimit = 300;
constexpr int kMinutesPerDay = 24 * 60;
constexpr int kWakeRampMostSeconds = 600;
constexpr std::array<const char*, 4> kPersonalityKeys = {
    "personality/netsuki", "personality/suimin", "personality/nezou", "personality/neoki"};

// An integer within [low, high], or nothing: text, fractions and lists are refused.
std::optional<int> ReadInt(const QSettings& settings, const char* key, int low, int high)
{
    const QVariant value = settings.value(QLatin1String(key));
    if (!value.isValid() || value.userType() != QMetaType::QString)
    {
        return std::nullopt;
    }
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    if (!ok || number < low || number > high)
    {
        return std::nullopt;
    }
    return number;
}

std::optional<bool> ReadBool(const QSettings& settings, const char* key)
{
    const QString text = settings.value(QLatin1String(key)).toString();
    if (text == QLatin1String("true"))
    {
        return true;
    }
    if (text == QLatin1String("false"))
    {
        return false;
    }
    return std::nullopt;
}

} // namespace

QString SettingsFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/yumo/yumo.conf");
}

SavedSettings ReadSettings(QSettings& settings)
{
    SavedSettings saved;
    if (settings.status() != QSettings::NoError)
    {
        return saved;
    }
    for (size_t i = 0; i < kPersonalityKeys.size(); ++i)
    {
        saved.personality[i] = ReadInt(settings, kPersonalityKeys[i], 0, kPersonalityMax)
                                   .value_or(saved.personality[i]);
    }
    saved.voiceVolume = ReadInt(settings, "volume/voice", -kVolumeLimit, kVolumeLimit).value_or(0);
    saved.musicVolume = ReadInt(settings, "volume/music", -kVolumeLimit, kVolumeLimit).value_or(0);
    saved.musicOff = ReadBool(settings, "volume/musicOff").value_or(false);
    saved.wakeMinuteOfDay = ReadInt(settings, "wake/minuteOfDay", 0, kMinutesPerDay - 1);
    const QVariant voice = settings.value(QStringLiteral("voice/lastLoaded"));
    if (voice.userType() == QMetaType::QString)
    {
        saved.lastVoicePath = voice.toString();
    }
    const QVariant geometry = settings.value(QStringLiteral("window/geometry"));
    if (geometry.userType() == QMetaType::QByteArray)
    {
        saved.windowGeometry = geometry.toByteArray();
    }
    saved.language = ParseLanguage(settings.value(QStringLiteral("display/language")).toString())
                         .value_or(Language::Japanese);
    saved.keepAwake = ReadBool(settings, "night/keepAwake").value_or(true);
    const QVariant head = settings.value(QStringLiteral("head/path"));
    if (head.userType() == QMetaType::QString)
    {
        saved.headPath = head.toString();
    }
    saved.sleepTimerMinutes = ClampSleepTimerMinutes(
        ReadInt(settings, "night/sleepTimerMinutes", 0, kSleepTimerMostMinutes).value_or(0));
    saved.wakeRampSeconds =
        ReadInt(settings, "night/wakeRampSeconds", 0, kWakeRampMostSeconds).value_or(60);
    saved.oneEar = ReadBool(settings, "sound/oneEar").value_or(false);
    saved.swapSides = ReadBool(settings, "sound/swapSides").value_or(false);
    return saved;
}

bool WriteSettings(QSettings& settings, const SavedSettings& saved)
{
    for (size_t i = 0; i < kPersonalityKeys.size(); ++i)
    {
        settings.setValue(QLatin1String(kPersonalityKeys[i]),
                          QString::number(saved.personality[i]));
    }
    settings.setValue(QStringLiteral("volume/voice"), QString::number(saved.voiceVolume));
    settings.setValue(QStringLiteral("volume/music"), QString::number(saved.musicVolume));
    settings.setValue(QStringLiteral("volume/musicOff"),
                      saved.musicOff ? QStringLiteral("true") : QStringLiteral("false"));
    if (saved.wakeMinuteOfDay)
    {
        settings.setValue(QStringLiteral("wake/minuteOfDay"),
                          QString::number(*saved.wakeMinuteOfDay));
    }
    else
    {
        settings.remove(QStringLiteral("wake/minuteOfDay"));
    }
    settings.setValue(QStringLiteral("voice/lastLoaded"), saved.lastVoicePath);
    settings.setValue(QStringLiteral("window/geometry"), saved.windowGeometry);
    settings.setValue(QStringLiteral("display/language"), LanguageCode(saved.language));
    settings.setValue(QStringLiteral("head/path"), saved.headPath);
    settings.setValue(QStringLiteral("night/keepAwake"),
                      saved.keepAwake ? QStringLiteral("true") : QStringLiteral("false"));
    settings.setValue(QStringLiteral("night/sleepTimerMinutes"),
                      QString::number(saved.sleepTimerMinutes));
    settings.setValue(QStringLiteral("night/wakeRampSeconds"),
                      QString::number(saved.wakeRampSeconds));
    settings.setValue(QStringLiteral("sound/oneEar"),
                      saved.oneEar ? QStringLiteral("true") : QStringLiteral("false"));
    settings.setValue(QStringLiteral("sound/swapSides"),
                      saved.swapSides ? QStringLiteral("true") : QStringLiteral("false"));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

void ApplySettings(const SavedSettings& saved, AppState& state)
{
    Personality& p = state.personality;
    p.netsuki = saved.personality[0];
    p.suimin = saved.personality[1];
    p.nezou = saved.personality[2];
    p.neoki = saved.personality[3];
    state.stream.voiceVolume = saved.voiceVolume;
    state.stream.musicVolume = saved.musicVolume;
    if (saved.wakeMinuteOfDay)
    {
        WakeAlarm& alarm = state.alarm;
        alarm.mode = kWakeUserSet;
        alarm.minuteOfDay = *saved.wakeMinuteOfDay;
        alarm.hour = alarm.minuteOfDay / 60;
        alarm.minute = alarm.minuteOfDay % 60;
        alarm.pm = alarm.hour >= 12 ? 1 : 0;
    }
    GentleSettings& gentle = state.gentle.settings;
    gentle.fadeFrames = kDefaultFadeFrames;
    gentle.timerFadeFrames = kDefaultFadeFrames;
    gentle.limit = true;
    gentle.wakeRampFrames = saved.wakeRampSeconds * kSampleRate;
    gentle.sleepTimerFrames = int64_t{saved.sleepTimerMinutes} * 60 * kSampleRate;
    gentle.mono = saved.oneEar;
    gentle.swap = saved.swapSides;
}

SavedSettings TakeSettings(const AppState& state, SavedSettings saved)
{
    const Personality& p = state.personality;
    saved.personality = {p.netsuki, p.suimin, p.nezou, p.neoki};
    saved.voiceVolume = static_cast<int>(state.stream.voiceVolume);
    saved.musicVolume = static_cast<int>(state.stream.musicVolume);
    if (state.alarm.mode == kWakeUserSet)
    {
        saved.wakeMinuteOfDay = state.alarm.minuteOfDay;
    }
    else if (state.alarm.mode == kWakeOff)
    {
        saved.wakeMinuteOfDay.reset();
    }
    // An automatic wake time is the night's own choice: the user's setting stays as it was.
    const GentleSettings& gentle = state.gentle.settings;
    saved.sleepTimerMinutes =
        static_cast<int>(gentle.sleepTimerFrames / (int64_t{60} * kSampleRate));
    saved.wakeRampSeconds = gentle.wakeRampFrames / kSampleRate;
    saved.oneEar = gentle.mono;
    saved.swapSides = gentle.swap;
    return saved;
}

} // namespace yumo
