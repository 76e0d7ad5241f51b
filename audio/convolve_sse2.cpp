// SSE2 kernel: 2 doubles per vector, the baseline every x86-64 CPU has.

#include <algorithm>
#include <emmintrin.h>

#include "audio/convolve_kernels.h"

namespace yumo::render
{
namespace
{

constexpr int kLanes = 2;
constexpr int kVectors = 4; // 8 consecutive outputs per tile: 8 accumulators for two ears
constexpr int kTile = kLanes * kVectors;
static_assert(kRenderWindowSamples % kTile == 0);

inline void ConvolveTile(const double* xPadded, const double* left, const double* right, int i0,
                         __m128d gain, double* yLeft, double* yRight)
{
    __m128d accLeft[kVectors];
    __m128d accRight[kVectors];
    __m128d laneOffset[kVectors];
#pragma GCC unroll 4
    for (int m = 0; m < kVectors; ++m)
    {
        accLeft[m] = _mm_setzero_pd();
        accRight[m] = _mm_setzero_pd();
        double base = m * kLanes;
        laneOffset[m] = _mm_setr_pd(base, base + 1);
    }
    const double* xAt = xPadded + kLeadingZeros + i0;
    int t = std::min(kHrirTapCount - 1, i0 + kTile - 1);
    // Steps where lanes with i0 + j < t would read x before its start: products masked to +0
    // (see convolve_kernels.h).
    for (; t > i0; --t)
    {
        const __m128d hLeft = _mm_set1_pd(left[t]);
        const __m128d hRight = _mm_set1_pd(right[t]);
        const __m128d firstLane = _mm_set1_pd(static_cast<double>(t - i0));
#pragma GCC unroll 4
        for (int m = 0; m < kVectors; ++m)
        {
            const __m128d valid = _mm_cmpge_pd(laneOffset[m], firstLane);
            const __m128d x = _mm_loadu_pd(xAt - t + m * kLanes);
            accLeft[m] = _mm_add_pd(accLeft[m], _mm_and_pd(_mm_mul_pd(x, hLeft), valid));
            accRight[m] = _mm_add_pd(accRight[m], _mm_and_pd(_mm_mul_pd(x, hRight), valid));
        }
    }
    for (; t >= 0; --t)
    {
        const __m128d hLeft = _mm_set1_pd(left[t]);
        const __m128d hRight = _mm_set1_pd(right[t]);
#pragma GCC unroll 4
        for (int m = 0; m < kVectors; ++m)
        {
            const __m128d x = _mm_loadu_pd(xAt - t + m * kLanes);
            accLeft[m] = _mm_add_pd(accLeft[m], _mm_mul_pd(x, hLeft));
            accRight[m] = _mm_add_pd(accRight[m], _mm_mul_pd(x, hRight));
        }
    }
#pragma GCC unroll 4
    for (int m = 0; m < kVectors; ++m)
    {
        _mm_storeu_pd(yLeft + i0 + m * kLanes, _mm_mul_pd(accLeft[m], gain));
        _mm_storeu_pd(yRight + i0 + m * kLanes, _mm_mul_pd(accRight[m], gain));
    }
}

} // namespace

void ConvolveEarsSse2(const double* xPadded, const double* left, const double* right, double gain,
                      double* yLeft, double* yRight)
{
    const __m128d gainVector = _mm_set1_pd(gain);
    for (int i0 = 0; i0 < kRenderWindowSamples; i0 += kTile)
    {
        ConvolveTile(xPadded, left, right, i0, gainVector, yLeft, yRight);
    }
}

} // namespace yumo::render
