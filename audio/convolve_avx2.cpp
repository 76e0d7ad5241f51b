// AVX2 kernels: 4 doubles per vector. Compiled with -mavx2 (and nothing that enables FMA);
// only called when the CPU reports AVX2.

#include <algorithm>
#include <immintrin.h>

#include "audio/convolve_kernels.h"
#include "audio/render_steps.h"

namespace yumo::render
{
namespace
{

constexpr int kLanes = 4;
constexpr int kVectors = 4; // 16 consecutive outputs per tile: 8 accumulators for two ears
constexpr int kTile = kLanes * kVectors;
static_assert(kRenderWindowSamples % kTile == 0);

// One tile of outputs i0 .. i0 + 15 for both ears; see convolve_kernels.h for why the order of
// operations equals the scalar definition's.
inline void ConvolveTile(const double* xPadded, const double* left, const double* right, int i0,
                         __m256d gain, double* yLeft, double* yRight)
{
    __m256d accLeft[kVectors];
    __m256d accRight[kVectors];
    __m256d laneOffset[kVectors];
#pragma GCC unroll 4
    for (int m = 0; m < kVectors; ++m)
    {
        accLeft[m] = _mm256_setzero_pd();
        accRight[m] = _mm256_setzero_pd();
        double base = m * kLanes;
        laneOffset[m] = _mm256_setr_pd(base, base + 1, base + 2, base + 3);
    }
    // x[i0 + j - t] for lane j is xAt[j - t].
    const double* xAt = xPadded + kLeadingZeros + i0;
    int t = std::min(kHrirTapCount - 1, i0 + kTile - 1);
    // Steps where lanes with i0 + j < t would read x before its start: products masked to +0.
    for (; t > i0; --t)
    {
        const __m256d hLeft = _mm256_broadcast_sd(left + t);
        const __m256d hRight = _mm256_broadcast_sd(right + t);
        const __m256d firstLane = _mm256_set1_pd(static_cast<double>(t - i0));
#pragma GCC unroll 4
        for (int m = 0; m < kVectors; ++m)
        {
            const __m256d valid = _mm256_cmp_pd(laneOffset[m], firstLane, _CMP_GE_OQ);
            const __m256d x = _mm256_loadu_pd(xAt - t + m * kLanes);
            accLeft[m] = _mm256_add_pd(accLeft[m], _mm256_and_pd(_mm256_mul_pd(x, hLeft), valid));
            accRight[m] =
                _mm256_add_pd(accRight[m], _mm256_and_pd(_mm256_mul_pd(x, hRight), valid));
        }
    }
    for (; t >= 0; --t)
    {
        const __m256d hLeft = _mm256_broadcast_sd(left + t);
        const __m256d hRight = _mm256_broadcast_sd(right + t);
#pragma GCC unroll 4
        for (int m = 0; m < kVectors; ++m)
        {
            __m256d x = _mm256_loadu_pd(xAt - t + m * kLanes);
            // Keeps x in a register shared by both ears instead of a load folded into each
            // multiply: the loads, not the arithmetic, would bound the loop.
            __asm__("" : "+v"(x));
            accLeft[m] = _mm256_add_pd(accLeft[m], _mm256_mul_pd(x, hLeft));
            accRight[m] = _mm256_add_pd(accRight[m], _mm256_mul_pd(x, hRight));
        }
    }
#pragma GCC unroll 4
    for (int m = 0; m < kVectors; ++m)
    {
        _mm256_storeu_pd(yLeft + i0 + m * kLanes, _mm256_mul_pd(accLeft[m], gain));
        _mm256_storeu_pd(yRight + i0 + m * kLanes, _mm256_mul_pd(accRight[m], gain));
    }
}

// RescaleConvolutionValue for 4 values, as doubles holding integers, without a division.
// T = trunc(y) is an integer with |T| <= 3e9, so T + 0.5 sign(T) is exact, and its quotient by
// 65538 lies at least 0.5 / 65538 (7.6e-6) inside the interval from T div 65538 to the next
// integer away from zero. Multiplying by the rounded reciprocal errs by under 2 ulp of a value
// below 2^16 (under 2^-35), so truncating the product gives T div 65538 exactly.
inline __m256d RescaleValues(__m256d y)
{
    y = _mm256_and_pd(y, _mm256_cmp_pd(y, y, _CMP_ORD_Q)); // NaN -> +0
    y = _mm256_min_pd(_mm256_max_pd(y, _mm256_set1_pd(-kConversionLimit)),
                      _mm256_set1_pd(kConversionLimit));
    const __m256d whole = _mm256_round_pd(y, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    const __m256d half = _mm256_or_pd(_mm256_and_pd(whole, _mm256_set1_pd(-0.0)),
                                      _mm256_set1_pd(0.5)); // 0.5 with the sign of T
    const __m256d quotient =
        _mm256_round_pd(_mm256_mul_pd(_mm256_add_pd(whole, half),
                                      _mm256_set1_pd(1.0 / static_cast<double>(kHalfDivisor))),
                        _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
    return _mm256_min_pd(_mm256_max_pd(quotient, _mm256_set1_pd(-32768.0)),
                         _mm256_set1_pd(32767.0));
}

// q / 1.25 for an integer q in [-32768, 32767], as q * 0.8 without a division. The two may
// differ in the last bit, but every use truncates (after adding an integer overlap value), and
// they never fall on different sides of an integer: when 5 divides q, 0.8 q is an integer and
// q * fl(0.8) rounds to exactly it (fl(0.8) = 0.8 (1 + 2^-54), an error below half an ulp);
// otherwise 0.8 q lies at least 0.2 from every integer, and so does its sum with an integer of
// magnitude below 2^16, whose rounding errs by under 2^-37.
inline __m256d ScaleToOutput(__m256d quotient)
{
    return _mm256_mul_pd(quotient, _mm256_set1_pd(1.0 / kOutputDivisor));
}

inline __m256d LoadSamples(const int16_t* p)
{
    return _mm256_cvtepi32_pd(
        _mm_cvtepi16_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

} // namespace

void ConvolveEarsAvx2(const double* xPadded, const double* left, const double* right, double gain,
                      double* yLeft, double* yRight)
{
    const __m256d gainVector = _mm256_set1_pd(gain);
    for (int i0 = 0; i0 < kRenderWindowSamples; i0 += kTile)
    {
        ConvolveTile(xPadded, left, right, i0, gainVector, yLeft, yRight);
    }
    // Leave no dirty upper register halves behind for the SSE code that runs next: the
    // compiler does not always clear them after a call that passes vector arguments.
    _mm256_zeroupper();
}

void WindowBlockAvx2(const int16_t* source, const double* window, double* x)
{
    // Each product is one rounding of sample * w[n], as in the scalar loop.
    for (int n = 0; n < kRenderWindowSamples; n += 4)
    {
        _mm256_storeu_pd(x + n,
                         _mm256_mul_pd(LoadSamples(source + n), _mm256_loadu_pd(window + n)));
    }
}

void MixBlockHalvesAvx2(const double* yLeft, const double* yRight, int16_t* overlapLeft,
                        int16_t* overlapRight, int16_t* destination)
{
    const __m256d low = _mm256_set1_pd(-32768.0);
    const __m256d high = _mm256_set1_pd(32767.0);
    for (int n = 0; n < kFramesPerBlock; n += 4)
    {
        __m256d left = _mm256_add_pd(ScaleToOutput(RescaleValues(_mm256_loadu_pd(yLeft + n))),
                                     LoadSamples(overlapLeft + n));
        __m256d right = _mm256_add_pd(ScaleToOutput(RescaleValues(_mm256_loadu_pd(yRight + n))),
                                      LoadSamples(overlapRight + n));
        // Clamped first, so the conversion to 32 bits and the packing cannot saturate.
        __m128i leftInt = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(left, low), high));
        __m128i rightInt = _mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(right, low), high));
        __m128i frames = _mm_packs_epi32(_mm_unpacklo_epi32(leftInt, rightInt),
                                         _mm_unpackhi_epi32(leftInt, rightInt));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + 2 * n), frames);

        __m128i carryLeft = _mm256_cvttpd_epi32(
            ScaleToOutput(RescaleValues(_mm256_loadu_pd(yLeft + n + kFramesPerBlock))));
        __m128i carryRight = _mm256_cvttpd_epi32(
            ScaleToOutput(RescaleValues(_mm256_loadu_pd(yRight + n + kFramesPerBlock))));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(overlapLeft + n),
                         _mm_packs_epi32(carryLeft, carryLeft));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(overlapRight + n),
                         _mm_packs_epi32(carryRight, carryRight));
    }
}

} // namespace yumo::render
