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

// Hours above 12 open as PM; 12 itself opens as AM 12.
WakeDialogFields OpenWakeDialog(WakeAlarm& alarm);

// Each change toggles AM and PM, whatever the delta; AM 0 turns into PM 1 (hour 13).
void SpinAmPm(WakeAlarm& alarm, WakeDialogFields& fields);

// `delta` is the up-down's: -1 for the up arrow, which raises the value. Hours wrap 23 <-> 0
// and the label follows (PM from 13); minutes wrap 59 <-> 0.
void SpinHour(WakeAlarm& alarm, int delta, WakeDialogFields& fields);
void SpinMinute(WakeAlarm& alarm, int delta, WakeDialogFields& fields);

// OK: the typed fields become the user's wake time, without range limits (PM 12 is hour 24).
void ConfirmWakeDialog(WakeAlarm& alarm, const WakeDialogFields& fields);

// キャンセル: the next opening starts from 0:00; the alarm itself stays.
void CancelWakeDialog(WakeAlarm& alarm);

// 目覚ましストップ: as cancel, and the alarm goes off unless a night is running (`idle` is 0;
// a night that ended by itself after ten hours no longer counts).
void StopWakeAlarm(WakeAlarm& alarm, bool nightRunning);

} // namespace yumo
