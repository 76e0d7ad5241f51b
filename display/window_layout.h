#pragma once
// Where every pane and control of the main window sits for a given client size. The client
// area is the window below its menu bar; the layout was designed for 664 x 622. Products of
// the size are truncated toward zero, as the integer arithmetic of the original layout did.

#include <array>

namespace yumo
{

struct PaneRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

constexpr int kDesignClientWidth = 664;
constexpr int kDesignClientHeight = 622;
constexpr int kMinClientSize = 50; // smaller clients snap back to 50 x 50
// The smallest client in which every control lies whole: the lowest slider row ends at
// 429 + 0.28 H (so H >= 596), "M" at 212 + 0.5 W, and the clock pane (0.7 W - 40) keeps room for
// its two timer buttons (276). A window smaller than this scrolls its client.
constexpr int kFittingClientWidth = 460;
constexpr int kFittingClientHeight = 600;

// The rows of sliders, in the order the window creates them.
enum PersonalityRow
{
    kNetsukiRow = 0, // 寝つき
    kSuiminRow = 1,  // 睡眠
    kNezouRow = 2,   // 寝相
    kNeokiRow = 3,   // 寝起き
    kPersonalityRowCount = 4,
};

struct SliderRowRects
{
    PaneRect slider;
    PaneRect caption;
    PaneRect leftWord;
    PaneRect rightWord;
};

struct VolumeRowRects
{
    PaneRect slider;
    PaneRect spin;
    PaneRect readout; // VolDisp or BGMDisp
    PaneRect reset;   // the "0" button
};

struct WindowLayout
{
    PaneRect status;    // TrackLabel
    PaneRect character; // ImageDisplay
    PaneRect gauge;     // LevelGauge
    PaneRect position;  // ParamDisp
    PaneRect clock;     // PBTime
    PaneRect play;
    PaneRect stop;
    PaneRect wakeButton;     // 起こして
    PaneRect swapButton;     // 場所交代
    PaneRect musicButton;    // BGM
    PaneRect comeHereButton; // おいで
    VolumeRowRects voice;
    VolumeRowRects music;
    PaneRect musicOnButton; // "M"
    std::array<SliderRowRects, kPersonalityRowCount> personality;
};

// The rectangles for a client of `width` x `height` pixels. Sizes may come out 0 or negative
// for very small clients; such panes are not painted.
WindowLayout ComputeWindowLayout(int width, int height);

// A pane with no area is not painted (the character fit would divide by its size).
bool IsPaintable(const PaneRect& rect);

} // namespace yumo
