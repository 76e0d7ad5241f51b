// AVX-512F kernel: 8 doubles per vector. Compiled with -mavx512f, which also makes fused
// multiply-add instructions available: the build's -ffp-contract=off keeps every multiply and
// add separate, as the definition needs. Only called when the CPU reports AVX-512F.

#include <algorithm>
#include <immintrin.h>

#include "audio/convolve_kernels.h"

namespace yumo::render
{
namespace
{

constexpr int kLanes = 8;
constexpr int kVectors = 8; // 64 consecutive outputs per tile: 16 accumulators for two ears
constexpr int kTile = kLanes * kVectors;
static_assert(kRenderWindowSamples % kTile == 0);

// Lanes j of vector m with m * 8 + j >= firstLane take part; see convolve_kernels.h.
inline __mmask8 ValidLanes(int m, int firstLane)
{
    int skipped = std::clamp(firstLane - m * kLanes, 0, kLanes);
    return static_cast<__mmask8>((0xFFu << skipped) & 0xFFu);
}

inline void ConvolveTile(const double* xPadded, const double* left, const double* right, int i0,
                         __m512d gain, double* yLeft, double* yRight)
{
    __m512d accLeft[kVectors];
    __m512d accRight[kVectors];
#pragma GCC unroll 8
    for (int m = 0; m < kVectors; ++m)
    {
        accLeft[m] = _mm512_setzero_pd();
        accRight[m] = _mm512_setzero_pd();
    }
    const double* xAt = xPadded + kLeadingZeros + i0;
    int t = std::min(kHrirTapCount - 1, i0 + kTile - 1);
    // Steps where lanes with i0 + j < t would read x before its start: those lanes keep +0.
    for (; t > i0; --t)
    {
        const __m512d hLeft = _mm512_set1_pd(left[t]);
        const __m512d hRight = _mm512_set1_pd(right[t]);
#pragma GCC unroll 8
        for (int m = 0; m < kVectors; ++m)
        {
            const __mmask8 valid = ValidLanes(m, t - i0);
            const __m512d x = _mm512_loadu_pd(xAt - t + m * kLanes);
            accLeft[m] = _mm512_mask_add_pd(accLeft[m], valid, accLeft[m], _mm512_mul_pd(x, hLeft));
            accRight[m] =
                _mm512_mask_add_pd(accRight[m], valid, accRight[m], _mm512_mul_pd(x, hRight));
        }
    }
    for (; t >= 0; --t)
    {
        const __m512d hLeft = _mm512_set1_pd(left[t]);
        const __m512d hRight = _mm512_set1_pd(right[t]);
#pragma GCC unroll 8
        for (int m = 0; m < kVectors; ++m)
        {
            __m512d x = _mm512_loadu_pd(xAt - t + m * kLanes);
            // Left alone, the compiler folds this load into both multiplies, loading x twice;
            // the loads, not the arithmetic, then bound the loop. The empty statement makes x
            // a register value that both ears share.
            __asm__("" : "+v"(x));
            accLeft[m] = _mm512_add_pd(accLeft[m], _mm512_mul_pd(x, hLeft));
            accRight[m] = _mm512_add_pd(accRight[m], _mm512_mul_pd(x, hRight));
        }
    }
#pragma GCC unroll 8
    for (int m = 0; m < kVectors; ++m)
    {
        _mm512_storeu_pd(yLeft + i0 + m * kLanes, _mm512_mul_pd(accLeft[m], gain));
        _mm512_storeu_pd(yRight + i0 + m * kLanes, _mm512_mul_pd(accRight[m], gain));
    }
}

} // namespace

void ConvolveEarsAvx512(const double* xPadded, const double* left, const double* right, double gain,
                        double* yLeft, double* yRight)
{
    const __m512d gainVector = _mm512_set1_pd(gain);
    for (int i0 = 0; i0 < kRenderWindowSamples; i0 += kTile)
    {
        ConvolveTile(xPadded, left, right, i0, gainVector, yLeft, yRight);
    }
    // Leave no dirty upper register halves behind for the SSE code that runs next: the
    // compiler does not always clear them after a call that passes vector arguments.
    _mm256_zeroupper();
}

} // namespace yumo::render
