#pragma once
// The wake-up dialog's arithmetic: what its AM/PM label and hour and minute fields show, and
// what its spins and buttons do to the WakeAlarm. The dialog window itself only displays the
// texts returned here and hands back what the user typed.

#include <string>

#include "night/app_state.h"

namespace yumo
{

// The three texts the dialog shows: "AM" or "PM", and the numbers in "%2d".
struct WakeDialogFields
{
    std::string amPm;
    std::string hour;
    std::string minute;
};

// "%2d": right-aligned in two places, wider numbers in full.
std::string FormatDialogNumber(int value);

// A field's text as an integer: at most its first 3 characters are read, leading blanks and a
// sign are allowed, and text that starts with no number gives 0.
int ParseDialogNumber(const std::string& text);

// A 12-hour face like the clock pane's: 0-11 open as AM 0-11, 12 as PM 12, 13-23 as PM 1-11.
WakeDialogFields OpenWakeDialog(WakeAlarm& alarm);

// Each change moves the hour twelve hours to the other half of the day, whatever the delta:
// AM 0 turns into PM 12 (noon) and back.
void SpinAmPm(WakeAlarm& alarm, WakeDialogFields& fields);

// `delta` is the up-down's: -1 for the up arrow, which raises the value. Hours wrap 23 <-> 0
// and the label follows (PM from 12); minutes wrap 59 <-> 0.
void SpinHour(WakeAlarm& alarm, int delta, WakeDialogFields& fields);
void SpinMinute(WakeAlarm& alarm, int delta, WakeDialogFields& fields);

// The typed fields into the dialog's hour and minute, read as OK reads them; the window calls it
// before a spin so that the arrows step on from what the user typed.
void TakeTypedFields(WakeAlarm& alarm, const WakeDialogFields& fields);

// OK: the typed fields become the user's wake time. 12 is noon whether AM or PM shows; other
// hours get 12 added under PM. The window's fields accept only hours 0-12 and minutes 0-59;
// other typed values are taken as they are.
void ConfirmWakeDialog(WakeAlarm& alarm, const WakeDialogFields& fields);

// キャンセル: the next opening starts from 0:00; the alarm itself stays.
void CancelWakeDialog(WakeAlarm& alarm);

// 目覚ましストップ: as cancel, and the alarm goes off unless a night is running (the phase is
// Running; a night that ended by itself after ten hours no longer counts).
void StopWakeAlarm(WakeAlarm& alarm, bool nightRunning);

} // namespace yumo
