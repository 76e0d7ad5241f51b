#include <gtest/gtest.h>

#include "display/window_layout.h"

namespace yumo
{
namespace
{

void ExpectRect(const PaneRect& rect, int left, int top, int width, int height)
{
    EXPECT_EQ(rect.left, left);
    EXPECT_EQ(rect.top, top);
    EXPECT_EQ(rect.width, width);
    EXPECT_EQ(rect.height, height);
}

TEST(WindowLayout, DesignSizePlacesEveryPaneAndControl)
{
    const WindowLayout layout = ComputeWindowLayout(664, 622);
    // 0.4 * 664 = 265.6 and 0.28 * 622 = 174.16, both truncated.
    ExpectRect(layout.status, 20, 25, 265, 174);
    ExpectRect(layout.character, 285, 25, 358, 174);
    ExpectRect(layout.gauge, 20, 199, 624, 32);
    ExpectRect(layout.position, 20, 241, 199, 100);
    ExpectRect(layout.clock, 219, 241, 424, 100);
    ExpectRect(layout.play, 33, 361, 32, 32);
    ExpectRect(layout.stop, 65, 361, 32, 32);
    ExpectRect(layout.comeHereButton, 20, 541, 100, 25);
    ExpectRect(layout.voice.slider, 123, 361, 265, 32);
    ExpectRect(layout.voice.readout, 404, 366, 85, 32);
    ExpectRect(layout.music.reset, 499, 401, 20, 20);
    ExpectRect(layout.musicOnButton, 524, 401, 20, 20);
    const int tops[] = {451, 491, 531, 571};
    for (int i = 0; i < kPersonalityRowCount; ++i)
    {
        const SliderRowRects& rects = layout.personality[static_cast<size_t>(i)];
        ExpectRect(rects.slider, 332, tops[i], 232, 32);
        ExpectRect(rects.caption, 199, tops[i], 60, 32);
        ExpectRect(rects.leftWord, 302, tops[i], 30, 32);
        ExpectRect(rects.rightWord, 564, tops[i], 30, 32);
    }
}

TEST(WindowLayout, NarrowClientsGiveEmptyPanesThatAreNotPainted)
{
    // Below a width of 69, 0.6 W - 40 is 0 or less: the character pane has no area.
    EXPECT_TRUE(IsPaintable(ComputeWindowLayout(69, 300).character));
    EXPECT_FALSE(IsPaintable(ComputeWindowLayout(68, 300).character));
    EXPECT_FALSE(IsPaintable(ComputeWindowLayout(50, 3).status));
}

} // namespace
} // namespace yumo
