#include "display/window_layout.h"

#include <cstddef>

namespace yumo
{

namespace
{

// trunc(factor * size): the layout's products truncate toward zero.
int Part(double factor, int size) { return static_cast<int>(factor * size); }

} // namespace

WindowLayout ComputeWindowLayout(int width, int height)
{
    const int w = width;
    // Everything below the status row hangs from the status pane's height, 0.28 H.
    const int row = Part(0.28, height);
    WindowLayout layout;
    layout.status = {20, 25, Part(0.4, w), row};
    layout.character = {20 + Part(0.4, w), 25, Part(0.6, w) - 40, row};
    layout.gauge = {20, 25 + row, w - 40, 32};
    layout.position = {20, 67 + row, Part(0.3, w), 100};
    layout.clock = {20 + Part(0.3, w), 67 + row, Part(0.7, w) - 40, 100};
    layout.play = {Part(0.05, w), 187 + row, 32, 32};
    layout.stop = {32 + Part(0.05, w), 187 + row, 32, 32};

    layout.wakeButton = {20, 277 + row, 100, 25};
    layout.swapButton = {20, 307 + row, 100, 25};
    layout.musicButton = {20, 337 + row, 100, 25};
    layout.comeHereButton = {20, 367 + row, 100, 25};

    const int half = Part(0.5, w);
    const auto volumeRow = [&](int top) {
        VolumeRowRects rects;
        rects.slider = {57 + Part(0.1, w), top, Part(0.4, w), 32};
        rects.spin = {57 + half, top, 12, 20};
        rects.readout = {72 + half, top + 5, 85, 32};
        rects.reset = {167 + half, top, 20, 20};
        return rects;
    };
    layout.voice = volumeRow(187 + row);
    layout.music = volumeRow(227 + row);
    layout.musicOnButton = {192 + half, 227 + row, 20, 20};

    for (int i = 0; i < kPersonalityRowCount; ++i)
    {
        const int top = 277 + 40 * i + row;
        SliderRowRects& rects = layout.personality[static_cast<size_t>(i)];
        rects.slider = {half, top, Part(0.35, w), 32};
        rects.caption = {Part(0.3, w), top, 60, 32};
        rects.leftWord = {half - 30, top, 30, 32};
        rects.rightWord = {Part(0.85, w), top, 30, 32};
    }
    return layout;
}

bool IsPaintable(const PaneRect& rect) { return rect.width > 0 && rect.height > 0; }

} // namespace yumo
