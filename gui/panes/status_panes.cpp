#include "gui/panes/status_panes.h"

#include <array>

#include <QFontMetrics>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <QTextOption>

#include "common/utf16.h"
#include "display/pane_colours.h"
#include "gui/panes/pane_drawing.h"

namespace yumo
{

namespace
{

constexpr int kLabelPixels = 12;         // clock labels, gauge letters, owner and activity lines
constexpr int kValuePixels = 16;         // clock values
constexpr int kSmallestFittedPixels = 9; // a longer text is cut rather than made unreadable
constexpr int kDepthPixels = 14;         // sleep depth, volume readouts, slider captions
constexpr int kPositionPixels = 15;      // the position pane's five lines fill its 100 pixels
constexpr int kSemibold = 600;
constexpr int kNormal = 400;

// The activity text starts 25 pixels below the owner text; the owner keeps to that band.
constexpr int kOwnerTop = 10;
constexpr int kActivityTop = kOwnerTop + 25;

QString ToQString(const std::string& utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

int Part(double factor, int size) { return static_cast<int>(factor * size); }

// Fills a volume or caption pane: the window's grey, no frame, black text at the top left.
void PaintPlainPane(QPainter& painter, int width, int height, const QString& text, int pixels)
{
    if (width <= 0 || height <= 0)
    {
        return;
    }
    painter.save();
    painter.fillRect(0, 0, width, height, ToQColor(kWindowGrey));
    BeginPaneText(painter, kCaptionTextColour, kWindowGrey, QRect(0, 0, width, height));
    painter.setFont(FittedPaneFont(text, pixels, width));
    DrawTextAt(painter, 0, 0, text);
    painter.restore();
}

// The owner text as it will be drawn: when it needs more lines than its format has, or a line
// wider than the pane, the name is shortened with "…" until it fits (or is gone).
QString FittedOwnerText(const StatusWords& words, const VoiceText& ownerName,
                        const QFontMetrics& metrics, int width)
{
    const QString name = QString::fromStdU16String(
        std::u16string(TerminatedUtf16(ownerName.data(), ownerName.size())));
    const qsizetype lines = ToQString(words.ownerFormat).count(u'\n') + 1;
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const auto textWith = [&](const QString& shown) {
        return ToQString(OwnerText(words, shown.toStdString()));
    };
    const auto fits = [&](const QString& text) {
        const QRect bounds = metrics.boundingRect(QRect(0, 0, width, 1 << 14), flags, text);
        return bounds.width() <= width && bounds.height() <= lines * metrics.lineSpacing();
    };
    const QString whole = textWith(name);
    if (fits(whole))
    {
        return whole;
    }
    // The longest prefix that fits, by bisection over its length in UTF-16 units.
    const auto shortened = [&](qsizetype keep) {
        if (keep > 0 && name.at(keep - 1).isHighSurrogate())
        {
            --keep; // never split a character
        }
        return textWith(name.left(keep) + u'…');
    };
    qsizetype low = 0;
    qsizetype high = name.size() - 1;
    while (low < high)
    {
        const qsizetype middle = (low + high + 1) / 2;
        if (fits(shortened(middle)))
        {
            low = middle;
        }
        else
        {
            high = middle - 1;
        }
    }
    return shortened(low);
}

// Her position changes up to ten times a second while her voice drifts, among a few dozen
// texts, and laying out the pane's lines costs more than drawing them: the layouts of the texts
// shown last are kept. They live as long as the program (never freed after Qt's fonts).
const QStaticText& PositionLayout(const QString& text, int width, const QFont& font)
{
    struct Kept
    {
        QString text;
        int width = -1;
        QFont font;
        QStaticText layout;
    };
    static auto* kept = new std::array<Kept, 48>();
    static size_t next = 0;
    for (const Kept& layout : *kept)
    {
        if (layout.width == width && layout.text == text && layout.font == font)
        {
            return layout.layout;
        }
    }
    Kept& made = (*kept)[next];
    next = (next + 1) % kept->size();
    QString lines = text;
    lines.replace(u'\n', QChar::LineSeparator);
    made = {text, width, font, QStaticText(lines)};
    made.layout.setTextFormat(Qt::PlainText);
    made.layout.setTextWidth(width);
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::WordWrap);
    made.layout.setTextOption(option);
    made.layout.prepare(QTransform(), font);
    return made.layout;
}

} // namespace

QFont PaneFont(int pixelSize, int weight)
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(pixelSize);
    // IPAGothic has one weight; asking for bold makes the font engine embolden it, as the
    // semibold texts need (a weight of 600 alone would quietly give the regular face).
    font.setWeight(weight >= QFont::DemiBold ? QFont::Bold : static_cast<QFont::Weight>(weight));
    font.setStyleHint(QFont::TypeWriter); // a fixed-pitch fallback when IPAGothic is missing
    return font;
}

QFont FittedPaneFont(const QString& text, int pixelSize, int width)
{
    QFont font = PaneFont(pixelSize, kNormal);
    while (font.pixelSize() > kSmallestFittedPixels &&
           QFontMetrics(font).horizontalAdvance(text) > width)
    {
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
}

void PaintClockPane(QPainter& painter, int width, int height, const StatusWords& words,
                    const LocalTime& now, const WakeAlarm& alarm, bool nightPlays,
                    int timerMinutesLeft)
{
    DrawClockPane(painter, width, height, words,
                  DescribeClockPane(words, now, alarm, nightPlays, timerMinutesLeft));
}

void DrawClockPane(QPainter& painter, int width, int height, const StatusWords& words,
                   const ClockPaneTexts& texts)
{
    if (width <= 0 || height <= 0)
    {
        return;
    }
    const Rgb background = ClockBackground(texts.wakeAhead);
    painter.save();
    FillFramedPane(painter, width, height, background);
    BeginPaneText(painter, kClockTextColour, background, QRect(1, 1, width - 2, height - 2));
    const int labelTop = Part(0.1, height);
    const int valueTop = Part(0.5, height);
    const int right = Part(0.5, width);
    painter.setFont(PaneFont(kLabelPixels, kSemibold));
    DrawTextAt(painter, 5, labelTop, ToQString(words.clockLabel));
    DrawTextAt(painter, right, labelTop, ToQString(texts.countdownLabel));
    painter.setFont(PaneFont(kValuePixels, kSemibold));
    DrawTextAt(painter, 10, valueTop, ToQString(texts.clock));
    DrawTextAt(painter, right, valueTop, ToQString(texts.countdown));
    painter.restore();
}

void PaintStatusPane(QPainter& painter, int width, int height, const StatusWords& words,
                     const VoiceText& ownerName, int32_t behaviourState, const SleepRecord& sleep)
{
    if (width <= 0 || height <= 0)
    {
        return;
    }
    painter.save();
    FillFramedPane(painter, width, height, kStatusColour);
    const QRect inside(1, 1, width - 2, height - 2);
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    // Text runs from x = 2 to 10 pixels short of the right edge.
    const int textWidth = width - 12;

    const QFont lineFont = PaneFont(kLabelPixels, kSemibold);
    painter.setFont(lineFont);
    BeginPaneText(painter, kStatusHeadColour, kStatusColour,
                  inside.intersected(QRect(2, kOwnerTop, textWidth, kActivityTop - kOwnerTop)));
    if (textWidth > 0)
    {
        painter.drawText(QRect(2, kOwnerTop, textWidth, height - kOwnerTop), flags,
                         FittedOwnerText(words, ownerName, QFontMetrics(lineFont), textWidth));
    }
    painter.setClipRect(inside);
    const Activity activity = ClassifyActivity(behaviourState, sleep);
    painter.drawText(QRect(2, kActivityTop, textWidth, height - kActivityTop), flags,
                     ToQString(ActivityText(words, activity)));

    painter.setFont(PaneFont(kDepthPixels, kNormal));
    painter.setPen(ToQColor(kStatusDepthColour));
    DrawTextAt(painter, 5, Part(0.6, height),
               ToQString(SleepDepthText(words, ClassifySleepDepth(sleep))));
    painter.restore();
}

void PaintPositionPane(QPainter& painter, int width, int height, const StatusWords& words,
                       double azimuth, double elevation, double distance)
{
    if (width <= 0 || height <= 0)
    {
        return;
    }
    painter.save();
    FillFramedPane(painter, width, height, kPositionColour);
    BeginPaneText(painter, kPositionTextColour, kPositionColour,
                  QRect(1, 1, width - 2, height - 2));
    const QFont font = PaneFont(kPositionPixels, kNormal);
    painter.setFont(font);
    const QString text = ToQString(PositionText(words, azimuth, elevation, distance));
    // A layout kept for one pixel a point draws its glyphs squeezed on a scaled screen.
    if (painter.device() != nullptr && painter.device()->devicePixelRatioF() != 1.0)
    {
        painter.drawText(QRect(2, 2, width - 2, height - 2),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    }
    else
    {
        painter.drawStaticText(2, 2, PositionLayout(text, width - 2, font));
    }
    painter.restore();
}

void PaintVolumeReadout(QPainter& painter, int width, int height, const StatusWords& words,
                        double volumeTenths, bool music)
{
    PaintPlainPane(painter, width, height, ToQString(VolumeText(words, volumeTenths, music)),
                   kDepthPixels);
}

void PaintCaptionPane(QPainter& painter, int width, int height, const std::string& text,
                      int pixelSize)
{
    PaintPlainPane(painter, width, height, ToQString(text), pixelSize);
}

} // namespace yumo
