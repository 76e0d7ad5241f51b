#include "gui/window/client_area.h"

#include <algorithm>

#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

#include "gui/texts/live_texts.h"
#include "gui/window/arrow_buttons.h"
#include "gui/window/pane_widget.h"

namespace yumo
{
namespace
{

constexpr int kVolumeLimit = 300;    // tenths of a dB: +-30.0 dB
constexpr int kVolumePageStep = 120; // 12 dB per click beside the handle
constexpr int kPersonalityMaximum = 10;
constexpr int kPersonalityDefault = 5;
constexpr int kPersonalityPageStep = 2;

constexpr std::array<const char*, kPersonalityRowCount> kRowNames = {"Netsuki", "Suimin", "Nezou",
                                                                     "Neoki"};

QPushButton* MakeButton(QWidget* parent, UiText text, const char* name)
{
    auto* button = new QPushButton(parent);
    ShowText(button, text);
    button->setObjectName(QLatin1String(name));
    // The keys belong to the window: Enter must start the night, not press a button.
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// Reachable by Tab for the keyboard, but a click leaves the focus with the window.
QSlider* MakeSlider(QWidget* parent, const QString& name, int minimum, int maximum, int value,
                    int pageStep)
{
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(minimum, maximum);
    slider->setValue(value);
    slider->setPageStep(pageStep);
    slider->setFocusPolicy(Qt::TabFocus);
    return slider;
}

VolumeRow MakeVolumeRow(QWidget* parent, const char* prefix, const char* readoutName)
{
    const QString p = QLatin1String(prefix);
    VolumeRow row;
    row.slider = MakeSlider(parent, p + QStringLiteral("VolumeSlider"), -kVolumeLimit, kVolumeLimit,
                            0, kVolumePageStep);
    row.arrows = new ArrowButtons(parent);
    row.arrows->setObjectName(p + QStringLiteral("VolumeArrows"));
    row.readout = new PaneWidget(QLatin1String(readoutName), parent);
    row.reset = MakeButton(parent, UiText::ButtonZero, "");
    row.reset->setObjectName(p + QStringLiteral("VolumeReset"));
    return row;
}

void PlaceWidget(QWidget* widget, const PaneRect& rect)
{
    // A rectangle of no area (a very small window) hides its widget: nothing is painted.
    if (!IsPaintable(rect))
    {
        widget->hide();
        return;
    }
    widget->setGeometry(rect.left, rect.top, rect.width, rect.height);
    widget->show();
}

void PlaceVolumeRow(const VolumeRow& row, const VolumeRowRects& rects)
{
    PlaceWidget(row.slider, rects.slider);
    PlaceWidget(row.arrows, rects.spin);
    PlaceWidget(row.readout, rects.readout);
    PlaceWidget(row.reset, rects.reset);
}

} // namespace

ClientArea::ClientArea(QWidget* parent)
    : QWidget(parent), status(new PaneWidget(QStringLiteral("TrackLabel"), this)),
      character(new PaneWidget(QStringLiteral("ImageDisplay"), this)),
      gauge(new PaneWidget(QStringLiteral("LevelGauge"), this)),
      position(new PaneWidget(QStringLiteral("ParamDisp"), this)),
      clock(new PaneWidget(QStringLiteral("PBTime"), this)),
      play(new PaneWidget(QStringLiteral("Play"), this)),
      stop(new PaneWidget(QStringLiteral("Stop"), this)),
      wakeButton(MakeButton(this, UiText::ButtonWake, "wakeButton")),
      swapButton(MakeButton(this, UiText::ButtonSwap, "swapButton")),
      musicButton(MakeButton(this, UiText::ButtonMusic, "musicButton")),
      comeHereButton(MakeButton(this, UiText::ButtonComeHere, "comeHereButton")),
      musicOnButton(MakeButton(this, UiText::ButtonMusicOff, "musicOnButton")),
      timerShorter(MakeButton(this, UiText::TimerShorter, "timerShorterButton")),
      timerLonger(MakeButton(this, UiText::TimerLonger, "timerLongerButton")),
      voice(MakeVolumeRow(this, "voice", "VolDisp")), music(MakeVolumeRow(this, "music", "BGMDisp"))
{
    setObjectName(QStringLiteral("ClientArea"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    musicOnButton->setCheckable(true);

    QPalette grey = palette();
    const QColor background(kClientGrey, kClientGrey, kClientGrey);
    grey.setColor(QPalette::Window, background);
    grey.setColor(QPalette::Button, background);
    grey.setColor(QPalette::WindowText, Qt::black);
    grey.setColor(QPalette::ButtonText, Qt::black);
    setPalette(grey);

    for (size_t i = 0; i < personality.size(); ++i)
    {
        const QString name = QLatin1String(kRowNames[i]);
        PersonalityRowWidgets& row = personality[i];
        row.slider = MakeSlider(this, name + QStringLiteral("Slider"), 0, kPersonalityMaximum,
                                kPersonalityDefault, kPersonalityPageStep);
        row.caption = new PaneWidget(name + QStringLiteral("Label"), this);
        row.leftWord = new PaneWidget(name + QStringLiteral("LeftLabel"), this);
        row.rightWord = new PaneWidget(name + QStringLiteral("RightLabel"), this);
    }
    Place(ComputeWindowLayout(kDesignClientWidth, kDesignClientHeight));
}

void ClientArea::resizeEvent(QResizeEvent*) { Place(ComputeWindowLayout(width(), height())); }

void ClientArea::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(kClientGrey, kClientGrey, kClientGrey));
}

// Two small buttons in the clock pane's bottom right corner, below the countdown, where no text
// of the pane reaches at any width; hidden when the pane is too small to hold them.
void ClientArea::PlaceTimerButtons(const PaneRect& pane)
{
    constexpr int kButtonWidth = 46;
    const int height = std::min(18, pane.height * 2 / 5);
    const bool fits = IsPaintable(pane) && pane.width >= 6 * kButtonWidth && height >= 12;
    for (QPushButton* button : {timerShorter, timerLonger})
    {
        button->setVisible(fits);
        button->setFocusPolicy(Qt::NoFocus);
    }
    if (!fits)
    {
        return;
    }
    const int top = pane.top + pane.height - height - 2;
    const int right = pane.left + pane.width - 2;
    timerShorter->setGeometry(right - 2 * kButtonWidth, top, kButtonWidth, height);
    timerLonger->setGeometry(right - kButtonWidth, top, kButtonWidth, height);
    timerShorter->raise();
    timerLonger->raise();
}

void ClientArea::Place(const WindowLayout& layout)
{
    PlaceWidget(status, layout.status);
    PlaceWidget(character, layout.character);
    PlaceWidget(gauge, layout.gauge);
    PlaceWidget(position, layout.position);
    PlaceWidget(clock, layout.clock);
    PlaceTimerButtons(layout.clock);
    PlaceWidget(play, layout.play);
    PlaceWidget(stop, layout.stop);
    PlaceWidget(wakeButton, layout.wakeButton);
    PlaceWidget(swapButton, layout.swapButton);
    PlaceWidget(musicButton, layout.musicButton);
    PlaceWidget(comeHereButton, layout.comeHereButton);
    PlaceVolumeRow(voice, layout.voice);
    PlaceVolumeRow(music, layout.music);
    PlaceWidget(musicOnButton, layout.musicOnButton);
    for (size_t i = 0; i < personality.size(); ++i)
    {
        const SliderRowRects& rects = layout.personality[i];
        PlaceWidget(personality[i].slider, rects.slider);
        PlaceWidget(personality[i].caption, rects.caption);
        PlaceWidget(personality[i].leftWord, rects.leftWord);
        PlaceWidget(personality[i].rightWord, rects.rightWord);
    }
}

} // namespace yumo
