#pragma once
// The main window's client area: the panes and controls of the night, each placed at its
// rectangle of the window layout for the current size, on a fixed light grey whatever the
// desktop theme. It only builds and places them; the window wires them to its commands.

#include <array>

#include <QWidget>

#include "display/window_layout.h"

class QPushButton;
class QSlider;

namespace yumo
{

class ArrowButtons;
class PaneWidget;

// The window background and the caption panes, so the black texts stay readable.
inline constexpr int kClientGrey = 240;

struct VolumeRow
{
    QSlider* slider = nullptr;
    ArrowButtons* arrows = nullptr;
    PaneWidget* readout = nullptr; // VolDisp or BGMDisp
    QPushButton* reset = nullptr;  // "0"
};

struct PersonalityRowWidgets
{
    QSlider* slider = nullptr;
    PaneWidget* caption = nullptr;
    PaneWidget* leftWord = nullptr;
    PaneWidget* rightWord = nullptr;
};

class ClientArea final : public QWidget
{
    Q_OBJECT

public:
    explicit ClientArea(QWidget* parent = nullptr);

    PaneWidget* status;    // TrackLabel
    PaneWidget* character; // ImageDisplay
    PaneWidget* gauge;     // LevelGauge
    PaneWidget* position;  // ParamDisp
    PaneWidget* clock;     // PBTime
    PaneWidget* play;
    PaneWidget* stop;
    QPushButton* wakeButton;     // 起こして
    QPushButton* swapButton;     // 場所交代
    QPushButton* musicButton;    // BGM
    QPushButton* comeHereButton; // おいで
    QPushButton* musicOnButton;  // M: checked while the music is off
    QPushButton* timerShorter;   // the sleep timer 15 minutes shorter, in the clock pane
    QPushButton* timerLonger;    // and longer
    VolumeRow voice;
    VolumeRow music;
    std::array<PersonalityRowWidgets, kPersonalityRowCount> personality;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void Place(const WindowLayout& layout);
    void PlaceTimerButtons(const PaneRect& pane);
};

} // namespace yumo
