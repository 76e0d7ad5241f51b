#pragma once
// What Yumo remembers between runs, in ~/.config/yumo/yumo.conf (QSettings, INI format): the
// four personality sliders, both volumes and "M", the wake time the user set, the voice data
// loaded last, the window's size and place, the display language and whether a night keeps the
// computer awake. Every value is checked when read: a missing, damaged or out-of-range value is
// the default, so a first start, and a start after the file was damaged, is the plain start-up.

#include <array>
#include <optional>

#include <QByteArray>
#include <QString>

#include "gui/texts/language.h"

class QSettings;

namespace yumo
{

struct AppState;

struct SavedSettings
{
    std::array<int, 4> personality = {5, 5, 5, 5}; // 寝つき, 睡眠, 寝相, 寝起き: 0-10
    int voiceVolume = 0;                           // tenths of a dB, -300 to 300
    int musicVolume = 0;
    bool musicOff = false;                  // "M" checked
    std::optional<int> wakeMinuteOfDay;     // a wake time the user set, 0-1439
    QString lastVoicePath;                  // empty: the default voice data
    QByteArray windowGeometry;              // QWidget::saveGeometry
    Language language = Language::Japanese; //
    bool keepAwake = true;                  // ask the system not to suspend during a night
    QString headPath;                       // the chosen response set; empty: the built-in head
    int sleepTimerMinutes = 0;              // 0: off, else 15-120 in steps of 15
    int wakeRampSeconds = 60;               // the wake-up call's rise from -20 dB, 0-600
    bool oneEar = false;                    // both sides carry the mix summed to one
    bool swapSides = false;                 // left and right change places

    bool operator==(const SavedSettings&) const = default;
};

// The settings file of this user (~/.config/yumo/yumo.conf; $XDG_CONFIG_HOME is honoured).
QString SettingsFilePath();

// Reads what `settings` holds; anything missing, unreadable or out of range is the default.
SavedSettings ReadSettings(QSettings& settings);
// Writes every value and flushes the file. False when it could not be written.
bool WriteSettings(QSettings& settings, const SavedSettings& saved);

// The sliders, volumes, wake time and the gentle stage's settings of `saved` into the state
// (the window is made after); the window's nights always fade and limit.
void ApplySettings(const SavedSettings& saved, AppState& state);
// The sliders, volumes and the user's wake time as they stand, over `saved`'s other values.
SavedSettings TakeSettings(const AppState& state, SavedSettings saved);

} // namespace yumo
