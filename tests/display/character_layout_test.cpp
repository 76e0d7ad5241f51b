#include <gtest/gtest.h>

#include "display/character_layout.h"
#include "night/app_state.h"

namespace yumo
{
namespace
{

TEST(CharacterLayout, FitKeepsSmallPicturesAndFillsTheLargerQuotient)
{
    const auto fit = [](int bw, int bh, int w, int h) {
        const PictureSize size = FitCharacterPicture(bw, bh, w, h);
        return std::to_string(size.width) + "x" + std::to_string(size.height);
    };
    EXPECT_EQ(fit(300, 150, 358, 174), "300x150");
    EXPECT_EQ(fit(1050, 600, 400, 300), "525x300"); // quotients 2 and 2: the height wins
    EXPECT_EQ(fit(1050, 600, 300, 300), "300x171"); // quotients 3 and 2: the width wins
    EXPECT_EQ(fit(360, 100, 358, 174), "358x99");   // quotients 1 and 0: fit to the width
    EXPECT_EQ(fit(300, 174, 358, 174), "300x174");  // as tall as the pane: 0 and 1
    EXPECT_EQ(fit(16384, 16384, 100000, 1), "1x1");
}

TEST(CharacterLayout, BeforeSleepTheFigureStandsThenWalksInFromTheRight)
{
    // W = 300 and a 1050 x 600 picture: dw = 300, S = 600, S/2 + 5S = 3300.
    const PictureSize picture{1050, 600};
    const PictureSize pane{300, 300};
    CharacterPlacement place;
    ASSERT_TRUE(PlaceCharacterPicture(kStateNotAsleep, 0, picture, pane, place));
    EXPECT_EQ(place.x, 0);
    EXPECT_EQ(place.y, (300 - 171) / 2 - 2); // still, and 2 pixels above centre
    EXPECT_EQ(place.height, 167);
    EXPECT_EQ(ComputeCharacterMotion(kStateNotAsleep, 3299, 300, 300).horizontal, 0.0);
    EXPECT_EQ(ComputeCharacterMotion(kStateNotAsleep, 3299, 300, 300).vertical, 0.0);
    EXPECT_EQ(ComputeCharacterMotion(kStateNotAsleep, 3300, 300, 300).horizontal, 0.0);
    EXPECT_EQ(ComputeCharacterMotion(kStateNotAsleep, 3301, 300, 300).horizontal, -1.0);
    EXPECT_EQ(ComputeCharacterMotion(kStateNotAsleep, 3600, 300, 300).horizontal, 300.0);
    ASSERT_TRUE(PlaceCharacterPicture(kStateNotAsleep, 3600, picture, pane, place));
    EXPECT_EQ(place.x, 300);
    // The sway after tick 12000: 200 * sin, a quarter period (62.5 ticks) after 12000.
    EXPECT_NEAR(ComputeCharacterMotion(kStateNotAsleep, 12000 + 250, 300, 300).horizontal, 0.0,
                1e-9);
    EXPECT_GT(ComputeCharacterMotion(kStateNotAsleep, 12062, 300, 300).horizontal, 199.9);
}

TEST(CharacterLayout, AsleepTheFigureBouncesUpwardOnly)
{
    const PictureSize picture{200, 100};
    const PictureSize pane{400, 300};
    CharacterPlacement place;
    ASSERT_TRUE(PlaceCharacterPicture(4, 62, picture, pane, place)); // near the top of the sine
    EXPECT_EQ(place.x, 100);
    EXPECT_EQ(place.y, 60); // trunc(100 - 40 sin(62 * 2 pi / 250)) = trunc(60.01)
    ASSERT_TRUE(PlaceCharacterPicture(4, 188, picture, pane, place)); // near the bottom
    EXPECT_EQ(place.y, 60);
    EXPECT_EQ(place.width, 200);
    EXPECT_EQ(place.height, 96);
}

TEST(CharacterLayout, NothingIsPlacedWithoutAreaToDrawIn)
{
    CharacterPlacement place;
    EXPECT_FALSE(PlaceCharacterPicture(4, 0, {200, 100}, {0, 300}, place));
    EXPECT_FALSE(PlaceCharacterPicture(4, 0, {200, 100}, {300, -1}, place));
    EXPECT_FALSE(PlaceCharacterPicture(4, 0, {20, 4}, {300, 300}, place)); // draw height 0
    EXPECT_FALSE(PlaceCharacterPicture(4, 0, {0, 40}, {300, 300}, place));
    EXPECT_TRUE(PlaceCharacterPicture(4, 0, {20, 5}, {300, 300}, place));
    EXPECT_EQ(place.height, 1);
}

TEST(CharacterLayout, SevenBandsCoverThePaneEdgeToEdge)
{
    const auto bands = ComputeBackgroundBands(174);
    const int tops[] = {0, 52, 87, 104, 121, 139, 156};
    for (size_t i = 0; i < bands.size(); ++i)
    {
        EXPECT_EQ(bands[i].top, tops[i]);
        EXPECT_EQ(bands[i].bottom, i + 1 < bands.size() ? tops[i + 1] : 174);
        EXPECT_EQ(bands[i].green, 220 + 5 * i);
        EXPECT_EQ(bands[i].blue, bands[i].green);
        EXPECT_EQ(bands[i].red, 255);
    }
}

} // namespace
} // namespace yumo
