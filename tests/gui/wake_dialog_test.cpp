// The wake-up dialog as the user meets it: what every showing fills in, the arrows, OK,
// キャンセル, 目覚ましストップ, Escape and Enter, and the fields' limits.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "gui/window/arrow_buttons.h"
#include "gui/window/client_area.h"
#include "gui/window/wake_dialog.h"
#include "gui/window_fixture.h"

namespace yumo::test
{
namespace
{

class WakeDialogTest : public WindowTest
{
protected:
    void Open()
    {
        QTest::mouseClick(window->client().wakeButton, Qt::LeftButton);
        dialog = &window->wakeDialog();
        ASSERT_TRUE(dialog->isVisible());
        amPm = dialog->findChild<QLabel*>(QStringLiteral("amPmLabel"));
        hour = dialog->findChild<QLineEdit*>(QStringLiteral("hourEdit"));
        minute = dialog->findChild<QLineEdit*>(QStringLiteral("minuteEdit"));
        ASSERT_TRUE(amPm && hour && minute);
    }
    void Click(const char* name)
    {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }
    void Arrow(const char* name, bool up)
    {
        auto* arrows = dialog->findChild<ArrowButtons*>(QLatin1String(name));
        QTest::mouseClick(up ? arrows->upButton() : arrows->downButton(), Qt::LeftButton);
    }

    WakeDialog* dialog = nullptr;
    QLabel* amPm = nullptr;
    QLineEdit* hour = nullptr;
    QLineEdit* minute = nullptr;
};

TEST_F(WakeDialogTest, EveryShowingFillsTheFieldsFromTheAlarm)
{
    ShowWithDefaultVoice();
    state->alarm.hour = 12;
    state->alarm.minute = 5;
    Open();
    EXPECT_EQ(amPm->text(), QStringLiteral("PM")); // noon, as the clock pane says
    EXPECT_EQ(hour->text(), QStringLiteral("12"));
    EXPECT_EQ(minute->text(), QStringLiteral(" 5"));

    // Pressing 起こして again brings the open dialog forward with the alarm's values.
    state->alarm.hour = 6;
    hour->setText(QStringLiteral("9"));
    Open();
    EXPECT_EQ(amPm->text(), QStringLiteral("AM"));
    EXPECT_EQ(hour->text(), QStringLiteral(" 6"));
    EXPECT_EQ(window->findChildren<WakeDialog*>().size(), 1);
}

TEST_F(WakeDialogTest, ArrowsStepFromWhatWasTypedAndOkSetsTheWakeTime)
{
    ShowWithDefaultVoice();
    Open();
    hour->setText(QStringLiteral("7"));
    Arrow("hourArrows", true);
    EXPECT_EQ(hour->text(), QStringLiteral(" 8"));
    Arrow("amPmArrows", false); // either arrow turns AM and PM over
    EXPECT_EQ(amPm->text(), QStringLiteral("PM"));
    Arrow("minuteArrows", false);
    EXPECT_EQ(minute->text(), QStringLiteral("59"));
    minute->setText(QStringLiteral("30"));
    Click("okButton");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(state->alarm.mode, kWakeUserSet);
    EXPECT_EQ(state->alarm.minuteOfDay, 20 * 60 + 30);

    // Typing respects the face: hours 0-12, minutes 0-59.
    Open();
    hour->clear();
    QTest::keyClicks(hour, QStringLiteral("13"));
    EXPECT_EQ(hour->text(), QStringLiteral("1"));
    minute->clear();
    QTest::keyClicks(minute, QStringLiteral("60"));
    EXPECT_EQ(minute->text(), QStringLiteral("6"));
    hour->setText(QStringLiteral("12"));
    minute->setText(QStringLiteral("0"));
    QTest::keyClick(minute, Qt::Key_Return); // Enter in a field is OK
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(state->alarm.minuteOfDay, 12 * 60);
}

TEST_F(WakeDialogTest, CancelStopEscapeAndEnterOnTheStopButton)
{
    ShowWithDefaultVoice();
    state->alarm.hour = 6;
    state->alarm.minute = 45;
    Open();
    Click("okButton");
    ASSERT_EQ(state->alarm.minuteOfDay, 6 * 60 + 45);

    Open();
    Click("cancelButton");
    EXPECT_EQ(state->alarm.hour, 0);
    EXPECT_EQ(state->alarm.mode, kWakeUserSet);

    state->alarm.hour = 8;
    Open();
    hour->setText(QStringLiteral("3"));
    QTest::keyClick(dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(state->alarm.hour, 8);
    EXPECT_EQ(state->alarm.minuteOfDay, 6 * 60 + 45);

    // Enter with the focus on 目覚ましストップ confirms instead of stopping the alarm.
    Open();
    auto* stop = dialog->findChild<QPushButton*>(QStringLiteral("stopButton"));
    stop->setFocus();
    QTest::keyClick(stop, Qt::Key_Return);
    EXPECT_EQ(state->alarm.mode, kWakeUserSet);
    EXPECT_EQ(state->alarm.minuteOfDay, 8 * 60); // the cancel left minute 0

    // During a night the stop keeps the alarm; outside one it turns it off.
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(NightPlays(state->phase));
    Open();
    Click("stopButton");
    EXPECT_EQ(state->alarm.mode, kWakeUserSet);
    PressKey(Qt::Key_Return);
    Open();
    Click("stopButton");
    EXPECT_EQ(state->alarm.mode, kWakeOff);
}

} // namespace
} // namespace yumo::test
