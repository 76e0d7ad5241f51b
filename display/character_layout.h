#pragma once
// The arithmetic of painting the companion: the pale pink bands behind her, how her picture is
// fitted into the pane, and the slow motion that moves it. Pixels, y downward; integer
// divisions and conversions truncate toward zero.

#include <array>
#include <cstdint>

namespace yumo
{

constexpr int kDrawHeightCut = 4; // the picture is drawn 4 rows shorter than its fitted height
constexpr double kMotionPeriodTicks = 250.0; // 10 s at 25 ticks a second

struct PictureSize
{
    int width = 0;
    int height = 0;
};

// A picture smaller than the pane both ways keeps its size. Otherwise it fills the pane's width
// when its width quotient (picture / pane, truncated) is the larger, else the pane's height; a
// tie fits the height, and the picture may then overhang both sides.
PictureSize FitCharacterPicture(int pictureWidth, int pictureHeight, int paneWidth, int paneHeight);

struct CharacterMotion
{
    double horizontal = 0; // pixels to the right
    double vertical = 0;   // amount; the figure rises by max(|vertical|, 2)
};

// Asleep: a bounce of 40 * sin over 250 ticks. Before sleep (state 100), with S = drawWidth +
// paneWidth: still until tick S/2 + 5S, then a walk from right to left one pixel per tick until
// tick 8000, a bounce until 12000, and a sideways sway after that.
CharacterMotion ComputeCharacterMotion(int32_t behaviourState, int32_t tick, int drawWidth,
                                       int paneWidth);

struct CharacterPlacement
{
    int x = 0; // may be negative or beyond the pane: the picture is cut there
    int y = 0;
    int width = 0;
    int height = 0; // fitted height - 4
};

// Where the picture goes for this paint. False when the pane, the picture or the draw
// rectangle has no area: nothing is to be drawn.
bool PlaceCharacterPicture(int32_t behaviourState, int32_t tick, PictureSize picture,
                           PictureSize pane, CharacterPlacement& placement);

struct BackgroundBand
{
    int top = 0;
    int bottom = 0; // exclusive
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
};

constexpr int kBackgroundBandCount = 7;

// Seven full-width bands from RGB(255,220,220) at the top to (255,250,250) at the bottom,
// starting at rows 0, 3H/10, 5H/10, 6H/10, 7H/10, 8H/10 and 9H/10.
std::array<BackgroundBand, kBackgroundBandCount> ComputeBackgroundBands(int paneHeight);

} // namespace yumo
