// The window on small and scaled screens: the designed size where it fits, else scaled down with
// every control in view; a damaged saved geometry gives the default size; 昨夜の様子 can be made
// small with its buttons in view.

#include <QDataStream>
#include <QFontMetrics>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QTest>

#include "gui/panes/status_panes.h"
#include "gui/window/client_area.h"
#include "gui/window/night_picture_dialog.h"
#include "gui/window/pane_widget.h"
#include "gui/window/window_fit.h"
#include "gui/window_fixture.h"

namespace yumo::test
{
namespace
{

// Every shown child lies inside `outer` (in its own coordinates) and has an area.
void ExpectAllInside(const QWidget& outer, const char* where)
{
    for (const QWidget* child : outer.findChildren<QWidget*>())
    {
        if (!child->isVisible() || child->isWindow())
        {
            continue;
        }
        const QRect box(child->mapTo(&outer, QPoint(0, 0)), child->size());
        EXPECT_TRUE(outer.rect().contains(box))
            << where << ": " << child->objectName().toStdString() << " at " << box.x() << ","
            << box.y() << " " << box.width() << "x" << box.height();
    }
}

TEST_F(WindowTest, TheWindowFitsEveryScreenAndScrollsToEveryControl)
{
    ShowWithDefaultVoice();
    const QSize designed = window->size();
    auto* scroll = window->findChild<QScrollArea*>(QStringLiteral("clientScroll"));
    ASSERT_NE(scroll, nullptr);
    ClientArea& client = window->client();
    const struct
    {
        QRect available;
        bool designedSize;
    } cases[] = {
        {QRect(0, 0, 1280, 1024), true},
        {QRect(0, 0, 800, 600), false},
        {QRect(0, 0, 640, 512), false}, // 1280 x 1024 at a scale of 2
        {QRect(100, 50, 400, 300), false},
    };
    for (const auto& c : cases)
    {
        window->resize(designed);
        window->move(0, 0);
        FitWindowToArea(*window, c.available);
        QCoreApplication::processEvents();
        const std::string where =
            std::to_string(c.available.width()) + "x" + std::to_string(c.available.height());
        EXPECT_TRUE(c.available.contains(window->frameGeometry())) << where;
        EXPECT_EQ(window->size() == designed, c.designedSize) << where;
        EXPECT_EQ(client.size() == QSize(664, 622), c.designedSize) << where;
        ExpectAllInside(client, where.c_str());
        // The timer's buttons never cover the countdown's caption.
        const QRect clock = client.clock->geometry();
        const QFontMetrics caption(PaneFont(12, QFont::DemiBold));
        const QRect captionBox(
            clock.left() + clock.width() / 2, clock.top() + clock.height() / 10,
            caption.horizontalAdvance(QString::fromStdString(window->ClockTexts().countdownLabel)),
            caption.height());
        EXPECT_FALSE(client.timerShorter->geometry().intersects(captionBox)) << where;
        EXPECT_FALSE(client.timerLonger->geometry().intersects(captionBox)) << where;
        // Every control can be scrolled into the window's view.
        for (QWidget* control : {static_cast<QWidget*>(client.personality[3].slider),
                                 static_cast<QWidget*>(client.timerLonger),
                                 static_cast<QWidget*>(client.musicOnButton)})
        {
            scroll->ensureWidgetVisible(control, 0, 0);
            const QRect shown(control->mapTo(scroll->viewport(), QPoint(0, 0)), control->size());
            EXPECT_TRUE(control->isVisible())
                << where << " " << control->objectName().toStdString();
            EXPECT_TRUE(scroll->viewport()->rect().contains(shown))
                << where << " " << control->objectName().toStdString();
        }
    }
}

TEST_F(WindowTest, ADamagedSavedGeometryGivesTheDefaultSize)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    const QSize designed = window->size();
    window->setGeometry(100, 100, 500, 400);
    const QByteArray sound = window->saveGeometry();
    // The frame, normal and current rectangles from (100,100) to (50,50): right below left.
    QByteArray damaged = sound;
    for (const int rect : {8, 24, 50})
    {
        QDataStream stream(&damaged, QIODevice::ReadWrite);
        stream.device()->seek(rect + 8);
        stream << qint32(50) << qint32(50);
    }
    const struct
    {
        QByteArray saved;
        bool sound;
        QSize size;
    } cases[] = {
        {sound, true, QSize(500, 400)},
        {damaged, false, designed},
        {QByteArray("\x01\xd9\xd0\xcb\x00\x03", 6), false, designed},
        {QByteArray(), false, designed},
    };
    for (const auto& c : cases)
    {
        window->resize(designed);
        EXPECT_EQ(IsSoundGeometry(c.saved), c.sound);
        PlaceWindow(*window, c.saved, QRect(0, 0, 1280, 1024));
        EXPECT_EQ(window->size(), c.size);
        EXPECT_TRUE(IsSoundGeometry(window->saveGeometry())) << "what is saved next is sound";
    }
}

TEST(NightPicture, TheDialogShrinksWithItsButtonsInView)
{
    FakePrompts prompts;
    NightPictureDialog dialog(prompts);
    dialog.ShowRecord({});
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    for (const QSize size : {QSize(1216, 620), QSize(780, 560), QSize(480, 300)})
    {
        dialog.resize(size);
        QCoreApplication::processEvents();
        EXPECT_EQ(dialog.size(), size);
        ExpectAllInside(dialog, "dialog");
        const auto* save = dialog.findChild<QPushButton*>(QStringLiteral("savePictureButton"));
        ASSERT_NE(save, nullptr);
        EXPECT_TRUE(save->isVisible());
        const QRect picture = dialog.PictureArea();
        EXPECT_FALSE(picture.isEmpty());
        EXPECT_LE(picture.bottom(), save->geometry().top());
        EXPECT_NEAR(picture.width() * 560.0 / 1200.0, picture.height(), 1.0);
    }
}

} // namespace
} // namespace yumo::test
