#include "audio/render_steps.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/constants.h"

namespace yumo::render
{

void GatherSourceBlock(const int16_t* samples, size_t sampleCount, int64_t start, int16_t* block)
{
    std::fill(block, block + kRenderWindowSamples, int16_t{0});
    const int64_t count =
        static_cast<int64_t>(std::min<uint64_t>(sampleCount, std::numeric_limits<int64_t>::max()));
    if (start >= count || start <= -kRenderWindowSamples)
    {
        return;
    }
    // Offsets n with 0 <= start + n < count; written so that nothing overflows for any start.
    const int64_t first = start < 0 ? -start : 0;
    const int64_t end = start > count - kRenderWindowSamples ? count - start : kRenderWindowSamples;
    std::copy(samples + (start + first), samples + (start + end), block + first);
}

void GatherDirectionTaps(const HrirSet& set, double azimuth, double elevation, double* left,
                         double* right)
{
    std::fill(left, left + kHrirTapCount, 0.0);
    std::fill(right, right + kHrirTapCount, 0.0);
    if (set.rowCount <= 0 || set.directionsPerRow.empty())
    {
        return;
    }
    HrirIndex index = FindHrirDirection(set, azimuth, elevation);
    if (index.row < 0 || index.row >= set.rowCount || index.row >= kMaxHrirRows ||
        static_cast<size_t>(index.row) >= set.directionsPerRow.size() || index.column < 0 ||
        index.column >= set.directionsPerRow[index.row] || index.column >= kMaxHrirDirectionsPerRow)
    {
        return;
    }
    const HrirDirection& direction = set.directions[index.row][index.column];
    std::copy_n(direction.left.begin(), std::min<size_t>(direction.left.size(), kHrirTapCount),
                left);
    std::copy_n(direction.right.begin(), std::min<size_t>(direction.right.size(), kHrirTapCount),
                right);
}

int32_t RescaleConvolutionValue(double y)
{
    if (std::isnan(y))
    {
        return 0;
    }
    double clamped = std::clamp(y, -kConversionLimit, kConversionLimit);
    int64_t quotient = static_cast<int64_t>(clamped) / kHalfDivisor;
    return static_cast<int32_t>(std::clamp<int64_t>(quotient, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
}

void MixBlockHalves(const double* yLeft, const double* yRight, int16_t* overlapLeft,
                    int16_t* overlapRight, int16_t* destination)
{
    const double low = std::numeric_limits<int16_t>::min();
    const double high = std::numeric_limits<int16_t>::max();
    for (int n = 0; n < kFramesPerBlock; ++n)
    {
        double left = RescaleConvolutionValue(yLeft[n]) / kOutputDivisor + overlapLeft[n];
        double right = RescaleConvolutionValue(yRight[n]) / kOutputDivisor + overlapRight[n];
        destination[2 * n] = static_cast<int16_t>(std::clamp(left, low, high));
        destination[2 * n + 1] = static_cast<int16_t>(std::clamp(right, low, high));
    }
    for (int n = 0; n < kFramesPerBlock; ++n)
    {
        overlapLeft[n] = static_cast<int16_t>(RescaleConvolutionValue(yLeft[n + kFramesPerBlock]) /
                                              kOutputDivisor);
        overlapRight[n] = static_cast<int16_t>(
            RescaleConvolutionValue(yRight[n + kFramesPerBlock]) / kOutputDivisor);
    }
}

} // namespace yumo::render
