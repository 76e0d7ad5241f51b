// The wake-up dialog's arithmetic: what it shows on opening, its three spins, and what OK,
// キャンセル and 目覚ましストップ leave in the alarm.

#include <gtest/gtest.h>

#include "night/wake_alarm.h"

namespace yumo
{
namespace
{

TEST(WakeDialogTest, NumbersAreShownRightAlignedInTwoPlaces)
{
    EXPECT_EQ(FormatDialogNumber(0), " 0");
    EXPECT_EQ(FormatDialogNumber(7), " 7");
    EXPECT_EQ(FormatDialogNumber(12), "12");
    EXPECT_EQ(FormatDialogNumber(123), "123");
    EXPECT_EQ(FormatDialogNumber(-3), "-3");
}

TEST(WakeDialogTest, FieldsParseLikeTheirFirstThreeCharacters)
{
    EXPECT_EQ(ParseDialogNumber(" 7"), 7);
    EXPECT_EQ(ParseDialogNumber("07"), 7);
    EXPECT_EQ(ParseDialogNumber("45"), 45);
    EXPECT_EQ(ParseDialogNumber("1234"), 123);
    EXPECT_EQ(ParseDialogNumber("  9"), 9);
    EXPECT_EQ(ParseDialogNumber("   9"), 0); // the digit is the fourth character
    EXPECT_EQ(ParseDialogNumber("-5"), -5);
    EXPECT_EQ(ParseDialogNumber("+8"), 8);
    EXPECT_EQ(ParseDialogNumber("12x"), 12);
    EXPECT_EQ(ParseDialogNumber("abc"), 0);
    EXPECT_EQ(ParseDialogNumber(""), 0);
    EXPECT_EQ(ParseDialogNumber("-"), 0);
}

TEST(WakeDialogTest, OpeningShowsTwelveHourFace)
{
    struct Case
    {
        int hour;
        const char* amPm;
        const char* field;
        int pm;
    };
    for (const Case& c :
         {Case{0, "AM", " 0", 0}, Case{7, "AM", " 7", 0}, Case{11, "AM", "11", 0},
          Case{12, "PM", "12", 1}, Case{13, "PM", " 1", 1}, Case{23, "PM", "11", 1}})
    {
        SCOPED_TRACE(c.hour);
        WakeAlarm alarm;
        alarm.hour = c.hour;
        alarm.minute = 5;
        alarm.pm = 1 - c.pm; // whatever was left is overwritten
        const WakeDialogFields fields = OpenWakeDialog(alarm);
        EXPECT_EQ(fields.amPm, c.amPm);
        EXPECT_EQ(fields.hour, c.field);
        EXPECT_EQ(fields.minute, " 5");
        EXPECT_EQ(alarm.pm, c.pm);
        EXPECT_EQ(alarm.hour, c.hour);
    }
}

TEST(WakeDialogTest, AmPmSpinShiftsTheHourByTwelve)
{
    WakeAlarm alarm;
    WakeDialogFields fields = OpenWakeDialog(alarm); // AM 0
    SpinAmPm(alarm, fields);
    EXPECT_EQ(alarm.hour, 12); // midnight and noon trade places
    EXPECT_EQ(alarm.pm, 1);
    EXPECT_EQ(fields.amPm, "PM");
    EXPECT_EQ(fields.hour, "12");
    SpinAmPm(alarm, fields);
    EXPECT_EQ(alarm.hour, 0);
    EXPECT_EQ(fields.amPm, "AM");
    EXPECT_EQ(fields.hour, " 0");

    alarm.hour = 19;
    fields = OpenWakeDialog(alarm);
    SpinAmPm(alarm, fields);
    EXPECT_EQ(alarm.hour, 7);
    EXPECT_EQ(fields.amPm, "AM");
    EXPECT_EQ(fields.hour, " 7");

    // A stale pm flag does not push the hour out of the day.
    alarm.hour = 3;
    alarm.pm = 1;
    SpinAmPm(alarm, fields);
    EXPECT_EQ(alarm.hour, 15);
    EXPECT_EQ(fields.amPm, "PM");
}

TEST(WakeDialogTest, TwelveIsNoonWhicheverHalfShows)
{
    // Noon opens as PM 12, as the clock pane calls it, and OK keeps it at hour 12: the wake
    // time can be reached, unlike an hour 24.
    WakeAlarm alarm;
    alarm.hour = 12;
    alarm.minute = 30;
    WakeDialogFields fields = OpenWakeDialog(alarm);
    ConfirmWakeDialog(alarm, fields);
    EXPECT_EQ(alarm.hour, 12);
    EXPECT_EQ(alarm.minuteOfDay, 12 * 60 + 30);

    for (int pm : {0, 1})
    {
        alarm.pm = pm;
        fields.hour = "12";
        fields.minute = " 0";
        ConfirmWakeDialog(alarm, fields);
        EXPECT_EQ(alarm.minuteOfDay, 720) << "pm " << pm;
    }
    alarm.pm = 1;
    fields.hour = "11";
    ConfirmWakeDialog(alarm, fields);
    EXPECT_EQ(alarm.minuteOfDay, 23 * 60);
}

TEST(WakeDialogTest, HourSpinWrapsAndSwitchesTheLabel)
{
    WakeAlarm alarm;
    alarm.hour = 23;
    WakeDialogFields fields = OpenWakeDialog(alarm);
    SpinHour(alarm, -1, fields); // up from 23
    EXPECT_EQ(alarm.hour, 0);
    EXPECT_EQ(alarm.pm, 0);
    EXPECT_EQ(fields.amPm, "AM");
    EXPECT_EQ(fields.hour, " 0");
    SpinHour(alarm, 1, fields); // down from 0
    EXPECT_EQ(alarm.hour, 23);
    EXPECT_EQ(alarm.pm, 1);
    EXPECT_EQ(fields.amPm, "PM");
    EXPECT_EQ(fields.hour, "11");

    alarm.hour = 11;
    fields = OpenWakeDialog(alarm);
    SpinHour(alarm, -1, fields);
    EXPECT_EQ(alarm.hour, 12);
    EXPECT_EQ(fields.amPm, "PM");
    EXPECT_EQ(fields.hour, "12");
    SpinHour(alarm, -1, fields);
    EXPECT_EQ(fields.hour, " 1");
    SpinHour(alarm, 1, fields);
    SpinHour(alarm, 1, fields);
    EXPECT_EQ(alarm.hour, 11);
    EXPECT_EQ(fields.amPm, "AM");
    EXPECT_EQ(fields.hour, "11");
}

TEST(WakeDialogTest, MinuteSpinWraps)
{
    WakeAlarm alarm;
    alarm.minute = 59;
    WakeDialogFields fields = OpenWakeDialog(alarm);
    SpinMinute(alarm, -1, fields);
    EXPECT_EQ(alarm.minute, 0);
    EXPECT_EQ(fields.minute, " 0");
    SpinMinute(alarm, 1, fields);
    EXPECT_EQ(alarm.minute, 59);
    EXPECT_EQ(fields.minute, "59");
    SpinMinute(alarm, 1, fields);
    EXPECT_EQ(alarm.minute, 58);
}

TEST(WakeDialogTest, OkTakesTheTypedFieldsWithoutLimits)
{
    WakeAlarm alarm;
    alarm.hour = 19;
    WakeDialogFields fields = OpenWakeDialog(alarm); // PM 7
    fields.minute = "45";
    ConfirmWakeDialog(alarm, fields);
    EXPECT_EQ(alarm.mode, kWakeUserSet);
    EXPECT_EQ(alarm.hour, 19);
    EXPECT_EQ(alarm.minute, 45);
    EXPECT_EQ(alarm.minuteOfDay, 19 * 60 + 45);

    alarm.hour = 6;
    fields = OpenWakeDialog(alarm);
    fields.hour = "99";
    fields.minute = "abc";
    ConfirmWakeDialog(alarm, fields);
    EXPECT_EQ(alarm.hour, 99);
    EXPECT_EQ(alarm.minute, 0);
    EXPECT_EQ(alarm.minuteOfDay, 99 * 60);
}

TEST(WakeDialogTest, CancelAndStopResetTheDialogButDifferOnTheAlarm)
{
    WakeAlarm alarm;
    alarm.hour = 6;
    alarm.minute = 30;
    WakeDialogFields fields = OpenWakeDialog(alarm);
    ConfirmWakeDialog(alarm, fields);
    ASSERT_EQ(alarm.mode, kWakeUserSet);

    CancelWakeDialog(alarm);
    EXPECT_EQ(alarm.hour, 0);
    EXPECT_EQ(alarm.minute, 0);
    EXPECT_EQ(alarm.mode, kWakeUserSet);
    EXPECT_EQ(alarm.minuteOfDay, 6 * 60 + 30);

    alarm.hour = 7;
    StopWakeAlarm(alarm, true); // during a night the alarm stays
    EXPECT_EQ(alarm.hour, 0);
    EXPECT_EQ(alarm.mode, kWakeUserSet);
    EXPECT_EQ(alarm.minuteOfDay, 6 * 60 + 30);

    StopWakeAlarm(alarm, false);
    EXPECT_EQ(alarm.mode, kWakeOff);
    EXPECT_EQ(alarm.minuteOfDay, 6 * 60 + 30);
}

} // namespace
} // namespace yumo
