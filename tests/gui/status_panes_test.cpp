#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include "display/level_gauge.h"
#include "display/window_layout.h"
#include "gui/panes/status_panes.h"
#include "gui/test_application.h"

namespace yumo
{
namespace
{

// Never painted by a pane: shows a pixel the paint missed.
const QColor kUnpainted(1, 2, 3);

class StatusPanes : public ::testing::Test
{
protected:
    void SetUp() override { test::EnsureTestApplication(); }

    template <typename Paint> static QImage PaintPane(int width, int height, Paint&& paint)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(kUnpainted);
        QPainter painter(&image);
        paint(painter);
        return image;
    }

    static QColor At(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

    static void ExpectFramed(const QImage& image, Rgb background)
    {
        const int w = image.width();
        const int h = image.height();
        for (QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, h - 1), QPoint(w - 1, h - 1),
                         QPoint(w / 2, 0), QPoint(w / 2, h - 1), QPoint(0, h / 2)})
        {
            EXPECT_EQ(At(image, p.x(), p.y()), QColor(Qt::black)) << p.x() << "," << p.y();
        }
        EXPECT_EQ(At(image, w - 2, h - 2),
                  QColor(background.red, background.green, background.blue));
    }

    // The first and last row of `area` in which some pixel satisfies `inked`, or -1 when none.
    template <typename Inked>
    static std::pair<int, int> InkedRows(const QImage& image, QRect area, Inked&& inked)
    {
        int first = -1;
        int last = -1;
        for (int y = area.top(); y <= area.bottom(); ++y)
        {
            for (int x = area.left(); x <= area.right(); ++x)
            {
                if (inked(At(image, x, y)))
                {
                    first = first < 0 ? y : first;
                    last = y;
                    break;
                }
            }
        }
        return {first, last};
    }

    // Rows where text (antialiased, so any shade) shows on a plain `background`.
    static std::pair<int, int> TextRows(const QImage& image, QRect area, QColor background)
    {
        return InkedRows(image, area, [&](QColor c) { return c != background; });
    }

    const StatusWords words = DefaultStatusWords();
};

TEST_F(StatusPanes, JapaneseGlyphsAreRealAndWeightsDiffer)
{
    EXPECT_EQ(QFontInfo(PaneFont(12, 600)).family(), "IPAGothic");
    const auto render = [](const QString& text, int weight) {
        return PaintPane(40, 20, [&](QPainter& painter) {
            painter.fillRect(0, 0, 40, 20, Qt::white);
            painter.setFont(PaneFont(14, weight));
            painter.drawText(QRect(0, 0, 40, 20), Qt::AlignLeft | Qt::AlignTop, text);
        });
    };
    // Without a Japanese font both kanji come out as the same box.
    EXPECT_NE(render(QStringLiteral("寝"), 400), render(QStringLiteral("睡"), 400));
    EXPECT_NE(render(QStringLiteral("寝"), 400), render(QStringLiteral("寝"), 600));
    // The widest readout fits its 85-pixel pane.
    EXPECT_LE(QFontMetrics(PaneFont(14, 400)).horizontalAdvance(QStringLiteral("BGM: -30.0dB")),
              85);
}

TEST_F(StatusPanes, ClockPaneBackgroundFrameAndTextCells)
{
    WakeAlarm alarm;
    alarm.mode = kWakeUserSet;
    alarm.minuteOfDay = 7 * 60;
    const auto paintAt = [&](LocalTime now, int32_t idle) {
        return PaintPane(424, 100, [&](QPainter& painter) {
            PaintClockPane(painter, 424, 100, words, now, alarm, idle == 0);
        });
    };
    const QImage night = paintAt({23, 0, 0}, 0);
    ExpectFramed(night, kClockNightColour);
    ExpectFramed(paintAt({7, 30, 0}, 0), kClockIdleColour);
    ExpectFramed(paintAt({23, 0, 0}, 1), kClockIdleColour);

    // Texts hang from the top of their cells: the labels' glyphs start just below y = 10, the
    // values' just below y = 50 (drawing at a baseline would put them above).
    const QColor sky(73, 71, 105);
    const auto labels = TextRows(night, QRect(1, 1, 422, 45), sky);
    EXPECT_GE(labels.first, 10);
    EXPECT_LE(labels.first, 13);
    EXPECT_LE(labels.second, 10 + 12);
    const auto values = TextRows(night, QRect(1, 46, 422, 53), sky);
    EXPECT_GE(values.first, 50);
    EXPECT_LE(values.first, 53);
    EXPECT_LE(values.second, 50 + 16);
    // The countdown starts at the middle of the pane.
    EXPECT_EQ(TextRows(night, QRect(150, 46, 60, 53), sky).first, -1);
    EXPECT_NE(TextRows(night, QRect(212, 46, 30, 53), sky).first, -1);
}

TEST_F(StatusPanes, LevelGaugeSegmentsAndLamps)
{
    constexpr int kW = 624;
    const auto fullGauge = [&](QPainter& painter) { PaintLevelGauge(painter, kW, 32, {32767, 0}); };
    const QImage full = PaintPane(kW, 32, fullGauge);
    ExpectFramed(full, kGaugeColour);
    EXPECT_EQ(At(full, kW - 11, 2), QColor(Qt::black)); // lamp outline
    EXPECT_EQ(At(full, kW - 6, 8), QColor(255, 0, 0));
    EXPECT_EQ(At(full, kW - 6, 21), QColor(0, 255, 0));

    // Left bar: 75 segments of 6 columns and rows 3-13, colours by position; right bar empty.
    const QColor green(0, 128, 0);
    int segments = 0;
    for (int x = 10; x < kW - 12; ++x)
    {
        const bool lit = At(full, x, 8) != green;
        if (lit && At(full, x - 1, 8) == green)
        {
            ++segments;
            EXPECT_EQ((x - 10) % 8, 0) << x;
            for (int dx = 0; dx < 6; ++dx)
            {
                EXPECT_EQ(At(full, x + dx, 3), At(full, x, 8));
                EXPECT_EQ(At(full, x + dx, 13), At(full, x, 8));
            }
            EXPECT_EQ(At(full, x, 2), green);
            EXPECT_EQ(At(full, x, 14), green);
        }
        EXPECT_EQ(At(full, x, 21), green) << x;
    }
    EXPECT_EQ(segments, 75);
    EXPECT_EQ(At(full, 338, 8), QColor(0, 255, 255));
    EXPECT_EQ(At(full, 346, 8), QColor(0, 255, 0));
    EXPECT_EQ(At(full, 522, 8), QColor(255, 0, 255));

    // A quiet block afterwards: green lamps, no segments.
    const auto quietGauge = [&](QPainter& painter) { PaintLevelGauge(painter, kW, 32, {0, 0}); };
    const QImage quiet = PaintPane(kW, 32, quietGauge);
    EXPECT_EQ(At(quiet, kW - 6, 8), QColor(0, 255, 0));
    EXPECT_EQ(At(quiet, 12, 8), green);
}

TEST_F(StatusPanes, StatusPaneKeepsALongOwnerNameToItsLines)
{
    SleepRecord sleep;
    sleep.depth = 30;
    const auto paintWith = [&](const std::u16string& name) {
        VoiceText owner{};
        std::copy(name.begin(), name.end(), owner.begin());
        return PaintPane(265, 174, [&](QPainter& painter) {
            PaintStatusPane(painter, 265, 174, words, owner, 4, sleep);
        });
    };
    const QImage shortName = paintWith(u"ゆも");
    ExpectFramed(shortName, kStatusColour);
    // Green lines lower the background's red, the white depth line raises it.
    const auto green = [](QColor c) { return c.red() < 150; };
    const auto ownerRows = InkedRows(shortName, QRect(1, 1, 263, 172), green);
    EXPECT_GE(ownerRows.first, 10);
    EXPECT_LE(ownerRows.first, 12);
    EXPECT_NE(InkedRows(shortName, QRect(1, 35, 263, 20), green).first, -1);
    const auto depthRows =
        InkedRows(shortName, QRect(1, 1, 263, 172), [](QColor c) { return c.red() > 200; });
    EXPECT_GE(depthRows.first, 104); // trunc(0.6 * 174)
    EXPECT_LE(depthRows.second, 104 + 14);

    // Long names, wrapping or not, change nothing from the activity line down.
    const QImage below = shortName.copy(0, 35, 265, 139);
    EXPECT_EQ(paintWith(std::u16string(200, u'夢')).copy(0, 35, 265, 139), below);
    EXPECT_EQ(paintWith(std::u16string(250, u'W')).copy(0, 35, 265, 139), below);
    EXPECT_EQ(paintWith(u"a very long name with spaces that wraps onto lines of its own")
                  .copy(0, 35, 265, 139),
              below);
}

TEST_F(StatusPanes, PositionPaneShowsAllItsLines)
{
    const QImage pane = PaintPane(199, 100, [&](QPainter& painter) {
        PaintPositionPane(painter, 199, 100, words, 270, -40.7, 12.3);
    });
    ExpectFramed(pane, kPositionColour);
    const auto rows = TextRows(pane, QRect(1, 1, 197, 98), QColor(128, 128, 128));
    EXPECT_GE(rows.first, 2);
    EXPECT_LE(rows.second, 97); // the distance line is whole inside the frame
    EXPECT_GE(rows.second, 80); // and it is there, near the bottom
}

TEST_F(StatusPanes, ReadoutsAndCaptionsAreBlackOnTheWindowGrey)
{
    const QColor grey(240, 240, 240);
    const QImage readout = PaintPane(
        85, 32, [&](QPainter& painter) { PaintVolumeReadout(painter, 85, 32, words, -300, true); });
    const QImage caption = PaintPane(30, 32, [&](QPainter& painter) {
        PaintCaptionPane(painter, 30, 32, words.sliderRightWords[0], 12);
    });
    for (const QImage* image : {&readout, &caption})
    {
        const int w = image->width();
        // No frame: the corners are grey; text hangs from the top-left corner.
        for (QPoint p : {QPoint(0, 0), QPoint(w - 1, 0), QPoint(0, 31), QPoint(w - 1, 31)})
        {
            EXPECT_EQ(At(*image, p.x(), p.y()), grey);
        }
        const auto rows = TextRows(*image, QRect(0, 0, w, 32), grey);
        EXPECT_GE(rows.first, 0);
        EXPECT_LE(rows.first, 3);
        EXPECT_LE(rows.second, 14);
    }
}

TEST_F(StatusPanes, PlayButtonsCopyTheirIconFromTheSelectedStrip)
{
    const PlayBarStrips strips = LoadPlayBarStrips();
    for (const QImage* strip : {&strips.normal, &strips.raised, &strips.pressed})
    {
        ASSERT_EQ(strip->size(), QSize(256, 32));
        for (int i = 0; i < 8; ++i)
        {
            for (int j = i + 1; j < 8; ++j)
            {
                EXPECT_NE(strip->copy(32 * i, 0, 32, 32), strip->copy(32 * j, 0, 32, 32));
            }
        }
    }
    EXPECT_NE(strips.normal, strips.raised);
    EXPECT_NE(strips.raised, strips.pressed);
    // Greyed means grey: no colour and no black; the live strips draw black glyphs.
    const auto darkest = [](const QImage& strip, bool& neutral) {
        int lowest = 255;
        for (int y = 0; y < strip.height(); ++y)
        {
            for (int x = 0; x < strip.width(); ++x)
            {
                const QColor c = strip.pixelColor(x, y);
                neutral = neutral && c.red() == c.green() && c.green() == c.blue();
                lowest = std::min(lowest, c.red());
            }
        }
        return lowest;
    };
    bool neutral = true;
    EXPECT_GT(darkest(strips.normal, neutral), 100);
    EXPECT_TRUE(neutral);
    EXPECT_EQ(darkest(strips.raised, neutral), 0);
    EXPECT_EQ(darkest(strips.pressed, neutral), 0);

    const QImage* byState[] = {&strips.normal, &strips.raised, &strips.pressed};
    for (int state = 0; state < 3; ++state)
    {
        for (int slot : {2, 4})
        {
            const QImage button = PaintPane(
                32, 32, [&](QPainter& painter) { PaintPlayButton(painter, strips, slot, state); });
            EXPECT_EQ(button, byState[state]->copy(32 * slot, 0, 32, 32)) << state << slot;
        }
    }
    const QImage none = PaintPane(32, 32, [&](QPainter& painter) {
        PaintPlayButton(painter, strips, 8, 1); // the ninth slot has no icon
    });
    EXPECT_EQ(none.pixelColor(16, 16), kUnpainted);

    const QIcon icon = YumoIcon();
    EXPECT_FALSE(icon.pixmap(16).isNull());
    EXPECT_FALSE(icon.pixmap(256).isNull());
}

// Paints every pane of a night in progress at its place in a 664 x 622 client. Each pane must
// cover its whole rectangle. With YUMO_PANE_PREVIEW=FILE.png the picture is written there, to
// look at.
TEST_F(StatusPanes, EveryPaneCoversItsRectangleInTheDesignedWindow)
{
    const WindowLayout layout = ComputeWindowLayout(kDesignClientWidth, kDesignClientHeight);
    QImage client(kDesignClientWidth, kDesignClientHeight, QImage::Format_RGB32);
    client.fill(kUnpainted);
    VoiceText owner{};
    const std::u16string name = u"ゆもね";
    std::copy(name.begin(), name.end(), owner.begin());
    WakeAlarm alarm;
    alarm.mode = kWakeUserSet;
    alarm.minuteOfDay = 7 * 60;
    SleepRecord sleep;
    sleep.depth = 35;
    sleep.dreaming = 1;
    const PlayBarStrips strips = LoadPlayBarStrips();
    std::vector<PaneRect> panes;
    const auto paint = [&](const PaneRect& rect, auto&& draw) {
        QPainter painter(&client);
        painter.translate(rect.left, rect.top);
        draw(painter, rect.width, rect.height);
        panes.push_back(rect);
    };
    paint(layout.clock, [&](QPainter& p, int w, int h) {
        PaintClockPane(p, w, h, words, {23, 4, 9}, alarm, false);
    });
    const auto gauge = [&](QPainter& p, int w, int h) { PaintLevelGauge(p, w, h, {32767, 4000}); };
    paint(layout.gauge, gauge);
    paint(layout.status, [&](QPainter& p, int w, int h) {
        PaintStatusPane(p, w, h, words, owner, 13, [&] {
            SleepRecord before = sleep;
            before.stateBeforeSilence = 6;
            return before;
        }());
    });
    paint(layout.position,
          [&](QPainter& p, int w, int h) { PaintPositionPane(p, w, h, words, 290.5, -40.7, 0.3); });
    paint(layout.voice.readout,
          [&](QPainter& p, int w, int h) { PaintVolumeReadout(p, w, h, words, 125, false); });
    paint(layout.music.readout,
          [&](QPainter& p, int w, int h) { PaintVolumeReadout(p, w, h, words, -300, true); });
    for (size_t row = 0; row < layout.personality.size(); ++row)
    {
        const SliderRowRects& rects = layout.personality[row];
        paint(rects.caption, [&](QPainter& p, int w, int h) {
            PaintCaptionPane(p, w, h, words.sliderCaptions[row], 14);
        });
        paint(rects.leftWord, [&](QPainter& p, int w, int h) {
            PaintCaptionPane(p, w, h, words.sliderLeftWords[row], 12);
        });
        paint(rects.rightWord, [&](QPainter& p, int w, int h) {
            PaintCaptionPane(p, w, h, words.sliderRightWords[row], 12);
        });
    }
    paint(layout.play, [&](QPainter& p, int, int) { PaintPlayButton(p, strips, 2, 1); });
    paint(layout.stop, [&](QPainter& p, int, int) { PaintPlayButton(p, strips, 4, 2); });

    for (const PaneRect& rect : panes)
    {
        for (int y = rect.top; y < rect.top + rect.height; ++y)
        {
            for (int x = rect.left; x < rect.left + rect.width; ++x)
            {
                ASSERT_NE(At(client, x, y), kUnpainted) << rect.left << "," << rect.top;
            }
        }
    }
    if (const char* preview = std::getenv("YUMO_PANE_PREVIEW"))
    {
        // The window's own grey between the panes, as the window shows it.
        for (int y = 0; y < client.height(); ++y)
        {
            for (int x = 0; x < client.width(); ++x)
            {
                if (At(client, x, y) == kUnpainted)
                {
                    client.setPixelColor(x, y, QColor(240, 240, 240));
                }
            }
        }
        EXPECT_TRUE(client.save(QString::fromLocal8Bit(preview)));
    }
}

// On a scaled screen the position lines keep their width: glyphs are not squeezed together.
TEST_F(StatusPanes, PositionTextKeepsItsWidthOnAScaledScreen)
{
    const auto textRight = [this](int ratio) {
        QImage image(200 * ratio, 100 * ratio, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        {
            QPainter painter(&image);
            PaintPositionPane(painter, 200, 100, words, 90, -40, 0.3);
        }
        int right = 0;
        for (int y = 0; y < image.height(); ++y)
        {
            for (int x = 0; x < image.width(); ++x)
            {
                right = image.pixelColor(x, y).lightness() > 200 ? std::max(right, x) : right;
            }
        }
        return static_cast<double>(right) / ratio;
    };
    const double plain = textRight(1);
    EXPECT_GT(plain, 40.0);
    EXPECT_NEAR(textRight(2), plain, 4.0);
}

} // namespace
} // namespace yumo
