#include "gui/plot/night_plot.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include <QDateTime>
#include <QPainter>
#include <QString>

#include "common/constants.h"
#include "night/behaviour.h"
#include "voices/voice_set.h"

namespace yumo
{
namespace
{

constexpr int kMargin = 132; // the labels' column
constexpr int kTitleHeight = 26;
constexpr int kEventsRowHeight = 22;
constexpr int kAxisHeight = 30;
constexpr int kMarkWidth = 3;
constexpr double kWakeWindowSeconds = 2.0 * kWakeWindowMinutes * 60;
constexpr int kDepthShallow = -10;
constexpr int kDepthDeep = 110;
const QColor kInk(60, 60, 60);
const QColor kCurve(20, 40, 120);

double SecondsOf(const NightEvent& e)
{
    return static_cast<double>(e.block) * kFramesPerBlock / kSampleRate;
}

bool Is(const NightEvent& e, const char* word) { return e.event == word; }

struct TimeScale
{
    double first = 0;
    double span = 1;
    int left = 0;
    int width = 1;
    // Clamped to the picture: a time outside the span is drawn at its edge.
    int X(double seconds) const
    {
        const double at = std::clamp((seconds - first) / span, 0.0, 1.0);
        return left + static_cast<int>(at * (width - kMarkWidth));
    }
};

QString ClockText(uint32_t ms)
{
    return QString::asprintf("%02u:%02u", ms / 3600000 % 24, ms / 60000 % 60);
}

// Spans from an event where `opens` holds until the next one where it does not (or the end).
template <typename Opens>
void FillSpans(QPainter& painter, const std::vector<NightEvent>& events, const TimeScale& time,
               int top, int height, const QColor& colour, Opens opens, double endSeconds)
{
    bool open = false;
    double from = 0;
    for (const NightEvent& e : events)
    {
        const int state = opens(e);
        if (state == 1 && !open)
        {
            open = true;
            from = SecondsOf(e);
        }
        else if (state == 0 && open)
        {
            open = false;
            painter.fillRect(
                QRect(QPoint(time.X(from), top), QPoint(time.X(SecondsOf(e)), top + height - 1)),
                colour);
        }
    }
    if (open)
    {
        painter.fillRect(
            QRect(QPoint(time.X(from), top), QPoint(time.X(endSeconds), top + height - 1)), colour);
    }
}

void DrawLine(QPainter& painter, const TimeScale& time, double seconds, int top, int bottom,
              const QColor& colour)
{
    painter.fillRect(QRect(time.X(seconds), top, kMarkWidth, bottom - top), colour);
}

} // namespace

QColor ActivityColour(int kind)
{
    static const std::array<QColor, kEditableVoiceKindCount> kColours = {
        QColor(230, 25, 75),  QColor(60, 180, 75),  QColor(0, 130, 200),  QColor(245, 130, 48),
        QColor(145, 30, 180), QColor(70, 200, 220), QColor(240, 50, 230), QColor(170, 110, 40),
        QColor(128, 0, 0),    QColor(0, 128, 128),  QColor(255, 0, 0),    QColor(128, 128, 0),
    };
    return kind >= 0 && kind < kEditableVoiceKindCount ? kColours[static_cast<size_t>(kind)]
                                                       : QColor();
}
QColor RollOverColour() { return QColor(0, 0, 0); }
QColor WakeCallColour() { return QColor(255, 0, 0); }
QColor TimerEndColour() { return QColor(0, 0, 255); }
QColor SoundAwayColour() { return QColor(255, 170, 150); }
QColor WakeWindowColour() { return QColor(255, 240, 160); }
QColor DreamColour() { return QColor(225, 210, 250); }

int NightPlotLayout::RowHeight() const { return activity.height() / kEditableVoiceKindCount; }
int NightPlotLayout::RowTop(int kind) const { return activity.top() + kind * RowHeight(); }

NightPlotLayout LayoutNightPlot(QRect area)
{
    NightPlotLayout layout;
    const int left = area.left() + kMargin;
    const int width = area.width() - kMargin - 12;
    const int rowHeight =
        std::max(6, (area.height() - kTitleHeight - kEventsRowHeight - kAxisHeight) / 2 /
                        (kEditableVoiceKindCount + 1));
    const int depthTop = area.top() + kTitleHeight + kEventsRowHeight;
    const int depthHeight = area.height() - kTitleHeight - kEventsRowHeight - kAxisHeight -
                            rowHeight * (kEditableVoiceKindCount + 1) - 8;
    layout.events = QRect(left, depthTop - kEventsRowHeight, width, kEventsRowHeight);
    layout.depth = QRect(left, depthTop, width, depthHeight);
    layout.activity =
        QRect(left, layout.depth.bottom() + 5, width, rowHeight * kEditableVoiceKindCount);
    layout.rollOver = QRect(left, layout.activity.bottom() + 1, width, rowHeight);
    layout.axis = QRect(left, layout.rollOver.bottom() + 3, width, kAxisHeight);
    return layout;
}

std::array<QString, kEditableVoiceKindCount> NightPlotLabels::JapaneseKindLabels()
{
    std::array<QString, kEditableVoiceKindCount> kinds;
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        kinds[static_cast<size_t>(kind)] = QString::fromUtf8(VoiceKindLabel(kind));
    }
    return kinds;
}

size_t NightPlotColumns()
{
    return static_cast<size_t>(
        LayoutNightPlot(QRect(0, 0, kNightPlotWidth, kNightPlotHeight)).depth.width());
}

QString NightPlotTitle(const NightRecord& record)
{
    if (record.events.empty())
    {
        return {};
    }
    const NightEvent& front = record.events.front();
    const NightEvent& back = *std::max_element(
        record.events.begin(), record.events.end(),
        [](const NightEvent& a, const NightEvent& b) { return a.block < b.block; });
    const QString span = ClockText(front.clockMs) + QStringLiteral(" – ") + ClockText(back.clockMs);
    if (record.writtenAt < 0)
    {
        return span;
    }
    // Written when the night ended: its last line's clock on the day of writing, or the day
    // before when that clock is later than the writing (a few minutes' grace for the write).
    const QDateTime written = QDateTime::fromSecsSinceEpoch(record.writtenAt);
    const QTime endTime =
        QTime::fromMSecsSinceStartOfDay(static_cast<int>(back.clockMs % 86400000u));
    QDate endDate = written.date();
    if (endTime.msecsSinceStartOfDay() > written.time().msecsSinceStartOfDay() + 300 * 1000)
    {
        endDate = endDate.addDays(-1);
    }
    const auto seconds =
        static_cast<qint64>(std::min(SecondsOf(back) - SecondsOf(front),
                                     kNightRecordBlocks * kFramesPerBlock / double{kSampleRate}));
    const QDateTime end(endDate, endTime);
    const QDate startDate = end.addSecs(-seconds).date();
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
    return startDate.toString(QStringLiteral("yyyy-MM-dd ")) + ClockText(front.clockMs) +
           QStringLiteral(" – ") +
           end.toString(startDate == endDate ? QStringLiteral("HH:mm") : format);
}

void PaintNightPlot(QPainter& painter, QRect area, const NightRecord& record,
                    const NightPlotLabels& labels)
{
    const std::vector<NightEvent>& events = record.events;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(area, Qt::white);
    const NightPlotLayout layout = LayoutNightPlot(area);
    QFont font = painter.font();
    font.setPixelSize(12);
    painter.setFont(font);
    painter.setPen(kInk);
    if (events.empty())
    {
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("—"));
        painter.restore();
        return;
    }

    TimeScale time;
    time.first = SecondsOf(events.front());
    double last = time.first;
    for (const NightEvent& e : events)
    {
        last = std::max(last, SecondsOf(e));
    }
    // A record made ready never spans more than the longest night; any other is cut.
    const double longest = static_cast<double>(kNightRecordBlocks) * kFramesPerBlock / kSampleRate;
    time.span = std::clamp(last - time.first, 60.0, longest);
    time.left = layout.depth.left();
    time.width = layout.depth.width();
    const double end = time.first + time.span;
    const int eventsTop = layout.events.top();
    const int markBottom = layout.depth.bottom();

    QString title = NightPlotTitle(record);
    if (record.leftOut > 0)
    {
        title += QStringLiteral("    ") + labels.leftOut.arg(record.leftOut);
    }
    painter.drawText(QRect(area.left() + 8, area.top(), area.width() - 16, kTitleHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, title);

    // Bands first: the wake window, the sound's absences, dreams.
    for (const NightEvent& e : events)
    {
        if (Is(e, kEventWakeWindow))
        {
            const QRect band(
                QPoint(time.X(SecondsOf(e)), eventsTop),
                QPoint(time.X(std::min(end, SecondsOf(e) + kWakeWindowSeconds)), markBottom));
            painter.fillRect(band, WakeWindowColour());
        }
    }
    FillSpans(
        painter, events, time, eventsTop + 2, kEventsRowHeight - 4, SoundAwayColour(),
        [](const NightEvent& e) {
            return Is(e, kEventSoundAway) ? 1 : Is(e, kEventSoundBack) ? 0 : -1;
        },
        end);
    FillSpans(
        painter, events, time, layout.depth.top(), layout.depth.height(), DreamColour(),
        [](const NightEvent& e) { return Is(e, kEventClip) ? (e.dreaming != 0 ? 1 : 0) : -1; },
        end);

    // The depth curve: deeper sleep lower down. Within one pixel column it is drawn as one
    // stroke from its lowest to its highest point, and a line joins each column to the next:
    // a few strokes a column, however many clips share it.
    painter.setPen(QPen(kCurve, 1.5));
    struct Column
    {
        int x = -1;
        double enter = 0, low = 0, high = 0, leave = 0;
    } pixel, previous;
    const auto stroke = [&](const Column& c) {
        if (c.x < 0)
        {
            return;
        }
        const double x = c.x + kMarkWidth / 2.0;
        if (previous.x >= 0)
        {
            painter.drawLine(QPointF(previous.x + kMarkWidth / 2.0, previous.leave),
                             QPointF(x, c.enter));
        }
        if (c.high > c.low)
        {
            painter.drawLine(QPointF(x, c.low), QPointF(x, c.high));
        }
        previous = c;
    };
    painter.setRenderHint(QPainter::Antialiasing, true);
    for (const NightEvent& e : events)
    {
        if (!Is(e, kEventClip))
        {
            continue;
        }
        const int depth = std::clamp(e.depth, kDepthShallow, kDepthDeep);
        const double y = layout.depth.top() + static_cast<double>(depth - kDepthShallow) /
                                                  (kDepthDeep - kDepthShallow) *
                                                  layout.depth.height();
        const int x = time.X(SecondsOf(e));
        if (x != pixel.x)
        {
            stroke(pixel);
            pixel = Column{x, y, y, y, y};
        }
        pixel.low = std::min(pixel.low, y);
        pixel.high = std::max(pixel.high, y);
        pixel.leave = y;
    }
    stroke(pixel);
    painter.setRenderHint(QPainter::Antialiasing, false);

    // Lines over everything above the rows: the sleep timer's end and her calls.
    for (const NightEvent& e : events)
    {
        if (Is(e, kEventTimerEnd))
        {
            DrawLine(painter, time, SecondsOf(e), eventsTop, markBottom, TimerEndColour());
        }
        else if (Is(e, kEventClip) && e.state == kKindWakeCall)
        {
            DrawLine(painter, time, SecondsOf(e), eventsTop, markBottom, WakeCallColour());
        }
    }

    // One row per activity, and the roll-overs; a mark where its row has one already is not
    // drawn again.
    std::array<int, kEditableVoiceKindCount + 1> drawnAt;
    drawnAt.fill(-1);
    for (const NightEvent& e : events)
    {
        if (!Is(e, kEventClip))
        {
            continue;
        }
        const int x = time.X(SecondsOf(e));
        if (e.state >= 0 && e.state < kEditableVoiceKindCount &&
            std::exchange(drawnAt[static_cast<size_t>(e.state)], x) != x)
        {
            painter.fillRect(
                QRect(x, layout.RowTop(e.state) + 1, kMarkWidth, layout.RowHeight() - 2),
                ActivityColour(e.state));
        }
        if (e.rolledOver != 0 && std::exchange(drawnAt[kEditableVoiceKindCount], x) != x)
        {
            painter.fillRect(
                QRect(x, layout.rollOver.top() + 1, kMarkWidth, layout.rollOver.height() - 2),
                RollOverColour());
        }
    }

    // Frames, labels and the hours.
    painter.setPen(kInk);
    painter.drawRect(layout.depth.adjusted(0, 0, -1, -1));
    const QRect column(area.left() + 4, 0, kMargin - 10, 0);
    painter.drawText(QRect(column.left(), eventsTop, column.width(), kEventsRowHeight),
                     Qt::AlignRight | Qt::AlignVCenter, labels.sound);
    painter.drawText(QRect(column.left(), layout.depth.top(), column.width(), 20),
                     Qt::AlignRight | Qt::AlignTop, labels.light);
    painter.drawText(QRect(column.left(), layout.depth.bottom() - 20, column.width(), 20),
                     Qt::AlignRight | Qt::AlignBottom, labels.deep);
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        painter.drawText(
            QRect(column.left(), layout.RowTop(kind), column.width(), layout.RowHeight()),
            Qt::AlignRight | Qt::AlignVCenter, labels.kinds[static_cast<size_t>(kind)]);
    }
    painter.drawText(
        QRect(column.left(), layout.rollOver.top(), column.width(), layout.rollOver.height()),
        Qt::AlignRight | Qt::AlignVCenter, labels.rollOver);
    const uint32_t firstMs = events.front().clockMs;
    const double step = time.span > 12 * 3600  ? 7200
                        : time.span > 4 * 3600 ? 3600
                        : time.span > 3600     ? 1800
                        : time.span > 600      ? 300
                                               : 60;
    // Ticks at whole steps of the clock, not of the elapsed time.
    const double firstOffset =
        step - static_cast<double>(firstMs % static_cast<uint32_t>(step * 1000)) / 1000;
    for (double t = firstOffset == step ? 0 : firstOffset; t <= time.span; t += step)
    {
        // Over at most the longest night: no more than about a dozen ticks.
        const int x = time.X(time.first + t);
        painter.drawLine(x, layout.axis.top(), x, layout.axis.top() + 4);
        const auto ms = static_cast<uint32_t>(firstMs + static_cast<uint32_t>(t * 1000));
        painter.drawText(QRect(x - 30, layout.axis.top() + 5, 60, 16), Qt::AlignCenter,
                         ClockText(ms));
    }
    painter.restore();
}

QImage DrawNightPlot(const NightRecord& record, const NightPlotLabels& labels)
{
    QImage image(kNightPlotWidth, kNightPlotHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintNightPlot(painter, image.rect(), record, labels);
    painter.end();
    return image;
}

} // namespace yumo
