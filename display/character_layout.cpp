#include "display/character_layout.h"

#include <algorithm>
#include <cmath>

#include "night/app_state.h"

namespace yumo
{

PictureSize FitCharacterPicture(int pictureWidth, int pictureHeight, int paneWidth, int paneHeight)
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || paneWidth <= 0 || paneHeight <= 0)
    {
        return {};
    }
    if (pictureWidth < paneWidth && pictureHeight < paneHeight)
    {
        return {pictureWidth, pictureHeight};
    }
    // 64-bit products: a 16384-pixel picture times a wide pane does not fit in 32 bits.
    const int64_t w = pictureWidth;
    const int64_t h = pictureHeight;
    if (pictureWidth / paneWidth > pictureHeight / paneHeight)
    {
        return {paneWidth, static_cast<int>(h * paneWidth / w)};
    }
    return {static_cast<int>(w * paneHeight / h), paneHeight};
}

CharacterMotion ComputeCharacterMotion(int32_t behaviourState, int32_t tick, int drawWidth,
                                       int paneWidth)
{
    const double wave = std::sin(tick * 6.28318530717958 / kMotionPeriodTicks);
    if (behaviourState != kStateNotAsleep)
    {
        return {0.0, 40.0 * wave};
    }
    const int span = drawWidth + paneWidth;
    if (span <= 0 || tick < span / 2 + 5 * span)
    {
        return {0.0, 0.0};
    }
    if (tick < 8000)
    {
        return {static_cast<double>(span / 2 - tick % span), 10.0 * wave};
    }
    if (tick < 12000)
    {
        return {0.0, 40.0 * wave};
    }
    return {200.0 * wave, 20.0 * wave};
}

bool PlaceCharacterPicture(int32_t behaviourState, int32_t tick, PictureSize picture,
                           PictureSize pane, CharacterPlacement& placement)
{
    if (pane.width <= 0 || pane.height <= 0)
    {
        return false;
    }
    const PictureSize fitted =
        FitCharacterPicture(picture.width, picture.height, pane.width, pane.height);
    if (fitted.width <= 0 || fitted.height - kDrawHeightCut <= 0)
    {
        return false;
    }
    const CharacterMotion motion =
        ComputeCharacterMotion(behaviourState, tick, fitted.width, pane.width);
    // The figure always rises by at least 2 pixels and bounces upward, never downward.
    const double rise = std::max(std::fabs(motion.vertical), 2.0);
    placement.x = static_cast<int>((pane.width - fitted.width) / 2 + motion.horizontal);
    placement.y = static_cast<int>((pane.height - fitted.height) / 2 - rise);
    placement.width = fitted.width;
    placement.height = fitted.height - kDrawHeightCut;
    return true;
}

std::array<BackgroundBand, kBackgroundBandCount> ComputeBackgroundBands(int paneHeight)
{
    static constexpr int kTenths[kBackgroundBandCount] = {0, 3, 5, 6, 7, 8, 9};
    static constexpr uint8_t kGreenBlue[kBackgroundBandCount] = {220, 225, 230, 235, 240, 245, 250};
    std::array<BackgroundBand, kBackgroundBandCount> bands{};
    for (int i = 0; i < kBackgroundBandCount; ++i)
    {
        BackgroundBand& band = bands[static_cast<size_t>(i)];
        band.top = kTenths[i] * paneHeight / 10;
        band.bottom = i + 1 < kBackgroundBandCount ? kTenths[i + 1] * paneHeight / 10 : paneHeight;
        band.red = 255;
        band.green = kGreenBlue[i];
        band.blue = kGreenBlue[i];
    }
    return bands;
}

} // namespace yumo
