#include <array>
#include <cmath>
#include <cstdint>

#include "audio/renderer.h"
#include "common/constants.h"

namespace yumo
{
namespace
{

constexpr int kHalf = kFramesPerBlock;              // 512
constexpr int64_t kDecimalScale = 1000000000000000; // 15 decimal places

using WindowTable = std::array<double, kRenderWindowSamples>;

// The table holds sin^2 rounded to 15 decimals, as a printed table would. The values are built
// as integers m[n] / 10^15 so that the identities hold exactly rather than up to the rounding
// of sin() at both ends:
//   w[n] = sin^2(pi (n + 1) / 1024) and w[510 - n] = cos^2 of the same angle, so for n < 255
//   m[510 - n] = 10^15 - m[n]; m[255] = 10^15 / 2 (sin^2 45 degrees), m[511] = 10^15;
//   the second half mirrors the first, w[n] = w[1022 - n], and w[1023] = sin^2(pi) = 0.
// Then w[n] + w[n + 512] = (m[n] + m[510 - n]) / 10^15 is 1 up to the double rounding of the
// two quotients. Each quotient m / 10^15 is correctly rounded (both operands are exact
// doubles), so it equals the double a 15-decimal literal would parse to.
WindowTable MakeCrossfadeWindow()
{
    std::array<int64_t, kHalf> scaled{};
    const long double pi = 3.141592653589793238462643383279502884L;
    for (int n = 0; n < kHalf / 2 - 1; ++n)
    {
        long double s = std::sin(pi * static_cast<long double>(n + 1) / kRenderWindowSamples);
        scaled[n] = std::llround(s * s * static_cast<long double>(kDecimalScale));
        scaled[kHalf - 2 - n] = kDecimalScale - scaled[n];
    }
    scaled[kHalf / 2 - 1] = kDecimalScale / 2;
    scaled[kHalf - 1] = kDecimalScale;

    WindowTable w{};
    for (int n = 0; n < kHalf; ++n)
    {
        w[n] = static_cast<double>(scaled[n]) / static_cast<double>(kDecimalScale);
    }
    for (int n = kHalf; n < kRenderWindowSamples - 1; ++n)
    {
        w[n] = w[kRenderWindowSamples - 2 - n];
    }
    w[kRenderWindowSamples - 1] = 0.0;
    return w;
}

} // namespace

const double* CrossfadeWindow()
{
    static const WindowTable table = MakeCrossfadeWindow();
    return table.data();
}

} // namespace yumo
