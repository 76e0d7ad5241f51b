// The renderer written straight from its definition: the oracle the vector paths are held to.

#include <algorithm>
#include <cstdint>

#include "audio/render_steps.h"
#include "audio/renderer.h"
#include "common/constants.h"

namespace yumo
{

void ConvolveBlock(const double* x, const double* h, double* y)
{
    for (int i = 0; i < kConvolutionLength; ++i)
    {
        int first = std::max(0, i - (kHrirTapCount - 1));
        int last = std::min(i, kRenderWindowSamples - 1);
        double sum = 0.0;
        for (int k = first; k <= last; ++k)
        {
            sum += x[k] * h[i - k];
        }
        y[i] = sum;
    }
}

float DistanceGain(double distance, double referenceDistance)
{
    float ratio = static_cast<float>(distance / referenceDistance);
    float square = ratio * ratio;
    // std::min(1, NaN) is 1: a meaningless pair of distances is rendered unattenuated.
    return std::min(1.0f, 1.0f / square);
}

void ApplyDistanceGain(double* y, double distance, double referenceDistance)
{
    const double gain = DistanceGain(distance, referenceDistance);
    for (int i = 0; i < kRenderWindowSamples; ++i)
    {
        y[i] *= gain;
    }
}

int RenderBinauralBlockScalar(const HrirSet& set, const int16_t* samples, size_t sampleCount,
                              int64_t start, double azimuth, double elevation, double distance,
                              double referenceDistance, int16_t* overlapLeft, int16_t* overlapRight,
                              int16_t* destination)
{
    const double* window = CrossfadeWindow();
    double x[kRenderWindowSamples];
    for (int n = 0; n < kRenderWindowSamples; ++n)
    {
        // Unsigned index: a negative start wraps far beyond any clip length and reads as zero.
        uint64_t index = static_cast<uint64_t>(start) + static_cast<uint64_t>(n);
        int16_t sample = index < sampleCount ? samples[index] : int16_t{0};
        x[n] = sample * window[n];
    }

    double left[kHrirTapCount];
    double right[kHrirTapCount];
    render::GatherDirectionTaps(set, azimuth, elevation, left, right);

    double yLeft[kConvolutionLength];
    double yRight[kConvolutionLength];
    ConvolveBlock(x, left, yLeft);
    ConvolveBlock(x, right, yRight);
    ApplyDistanceGain(yLeft, distance, referenceDistance);
    ApplyDistanceGain(yRight, distance, referenceDistance);

    // yLeft/yRight[1024..1150], the tail beyond the block, are dropped.
    render::MixBlockHalves(yLeft, yRight, overlapLeft, overlapRight, destination);
    return 0;
}

} // namespace yumo
