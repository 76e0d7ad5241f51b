// The fast renderer: the same steps as renderer_scalar.cpp, with the convolution (and, where
// available, the final mixing) done by the vector kernel of the chosen path.

#include "audio/renderer.h"

#include <algorithm>

#include "audio/convolve_kernels.h"
#include "audio/render_steps.h"
#include "common/constants.h"

namespace yumo
{

bool IsVectorPathSupported(VectorPath path)
{
    switch (path)
    {
    case VectorPath::Sse2:
        return true;
    case VectorPath::Avx2:
        return render::CpuHasAvx2();
    case VectorPath::Avx512:
        return render::CpuHasAvx512();
    }
    return false;
}

VectorPath FastestVectorPath()
{
    if (render::CpuHasAvx512())
    {
        return VectorPath::Avx512;
    }
    if (render::CpuHasAvx2())
    {
        return VectorPath::Avx2;
    }
    return VectorPath::Sse2;
}

const char* VectorPathName(VectorPath path)
{
    switch (path)
    {
    case VectorPath::Sse2:
        return "sse2";
    case VectorPath::Avx2:
        return "avx2";
    case VectorPath::Avx512:
        return "avx512";
    }
    return "unknown";
}

int RenderBinauralBlockOnPath(VectorPath path, const HrirSet& set, const int16_t* samples,
                              size_t sampleCount, int64_t start, double azimuth, double elevation,
                              double distance, double referenceDistance, int16_t* overlapLeft,
                              int16_t* overlapRight, int16_t* destination)
{
    // A path the CPU lacks would fault on its first instruction; fall back instead.
    if (!IsVectorPathSupported(path))
    {
        path = VectorPath::Sse2;
    }

    alignas(64) int16_t source[kRenderWindowSamples];
    render::GatherSourceBlock(samples, sampleCount, start, source);
    // A silent window gives every sum as +-0.0, or NaN where a tap is not finite, and both
    // rescale to 0, whatever the taps hold: the output is then the previous block's second
    // half as the overlap buffers hold it, and the buffers take zeros.
    int any = 0; // an OR over the window rather than a search: the compiler keeps it on vectors
    for (int n = 0; n < kRenderWindowSamples; ++n)
    {
        any |= source[n];
    }
    if (any == 0)
    {
        for (int n = 0; n < kFramesPerBlock; ++n)
        {
            destination[2 * n] = overlapLeft[n];
            destination[2 * n + 1] = overlapRight[n];
        }
        std::fill(overlapLeft, overlapLeft + kFramesPerBlock, int16_t{0});
        std::fill(overlapRight, overlapRight + kFramesPerBlock, int16_t{0});
        return 0;
    }
    const double* window = CrossfadeWindow();
    alignas(64) double xPadded[render::kPaddedLength];
    std::fill(xPadded, xPadded + render::kLeadingZeros, 0.0);
    double* x = xPadded + render::kLeadingZeros;
    if (path == VectorPath::Sse2)
    {
        for (int n = 0; n < kRenderWindowSamples; ++n)
        {
            x[n] = source[n] * window[n];
        }
    }
    else
    {
        render::WindowBlockAvx2(source, window, x);
    }

    alignas(64) double left[kHrirTapCount];
    alignas(64) double right[kHrirTapCount];
    render::GatherDirectionTaps(set, azimuth, elevation, left, right);
    const double gain = DistanceGain(distance, referenceDistance);

    alignas(64) double yLeft[kRenderWindowSamples];
    alignas(64) double yRight[kRenderWindowSamples];
    switch (path)
    {
    case VectorPath::Sse2:
        render::ConvolveEarsSse2(xPadded, left, right, gain, yLeft, yRight);
        render::MixBlockHalves(yLeft, yRight, overlapLeft, overlapRight, destination);
        break;
    case VectorPath::Avx2:
        render::ConvolveEarsAvx2(xPadded, left, right, gain, yLeft, yRight);
        render::MixBlockHalvesAvx2(yLeft, yRight, overlapLeft, overlapRight, destination);
        break;
    case VectorPath::Avx512:
        render::ConvolveEarsAvx512(xPadded, left, right, gain, yLeft, yRight);
        render::MixBlockHalvesAvx2(yLeft, yRight, overlapLeft, overlapRight, destination);
        break;
    }
    return 0;
}

int RenderBinauralBlock(const HrirSet& set, const int16_t* samples, size_t sampleCount,
                        int64_t start, double azimuth, double elevation, double distance,
                        double referenceDistance, int16_t* overlapLeft, int16_t* overlapRight,
                        int16_t* destination)
{
    return RenderBinauralBlockOnPath(FastestVectorPath(), set, samples, sampleCount, start, azimuth,
                                     elevation, distance, referenceDistance, overlapLeft,
                                     overlapRight, destination);
}

} // namespace yumo
