#pragma once
// The colours of the status panes (8-bit RGB), and the clock pane's background rule.

#include <cstdint>

namespace yumo
{

struct Rgb
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

constexpr Rgb kFrameColour{0, 0, 0};

constexpr Rgb kClockNightColour{73, 71, 105}; // a night runs and waking is still ahead
constexpr Rgb kClockIdleColour{200, 71, 105}; // otherwise
constexpr Rgb kClockTextColour{250, 254, 163};

constexpr Rgb kGaugeColour{0, 128, 0};
constexpr Rgb kGaugeTextColour{255, 255, 0};
constexpr Rgb kGaugeLowColour{0, 255, 255};
constexpr Rgb kGaugeMiddleColour{0, 255, 0};
constexpr Rgb kGaugeHighColour{255, 0, 255};
constexpr Rgb kLampOverColour{255, 0, 0};
constexpr Rgb kLampClearColour{0, 255, 0};

constexpr Rgb kStatusColour{186, 50, 186};
constexpr Rgb kStatusHeadColour{0, 255, 0};      // owner and activity
constexpr Rgb kStatusDepthColour{255, 255, 255}; // sleep depth

constexpr Rgb kPositionColour{128, 128, 128};
constexpr Rgb kPositionTextColour{255, 255, 255};

// The window's background, fixed whatever the desktop theme, so black captions stay readable.
constexpr Rgb kWindowGrey{240, 240, 240};
constexpr Rgb kCaptionTextColour{0, 0, 0};

constexpr Rgb ClockBackground(bool wakeAhead)
{
    return wakeAhead ? kClockNightColour : kClockIdleColour;
}

} // namespace yumo
