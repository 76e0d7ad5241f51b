#pragma once
// Pieces of the renderer shared by the scalar definition and the vector paths. Internal to
// audio/: callers use audio/renderer.h.

#include <cstddef>
#include <cstdint>

#include "audio/hrir_set.h"

namespace yumo::render
{

constexpr int64_t kHalfDivisor = 65538; // integer divisor of every convolution value
constexpr double kOutputDivisor = 1.25; // applied to each half before the halves meet

// Past this magnitude every convolution value saturates after the division, so clamping to it
// first changes no result and keeps the conversion to an integer defined (and, in the vector
// paths, keeps the quotient's truncation exact; see FinishBlock* in convolve_*.cpp).
constexpr double kConversionLimit = 3.0e9;
static_assert(kConversionLimit > 32768.0 * kHalfDivisor);

// s[start + n] for n = 0..1023, zero where start + n lies outside [0, sampleCount).
void GatherSourceBlock(const int16_t* samples, size_t sampleCount, int64_t start, int16_t* block);

// The 128 left and right taps of the direction FindHrirDirection selects. Taps a direction
// does not hold (and all taps of an empty set) read as zero.
void GatherDirectionTaps(const HrirSet& set, double azimuth, double elevation, double* left,
                         double* right);

// trunc(y) / 65538 (integer division toward zero) taken to 64 bits, then saturated to the
// signed 16-bit range. NaN gives 0.
int32_t RescaleConvolutionValue(double y);

// Output and carry from two gained convolutions y[0..1023]: frame n is
// clamp(z[n] / 1.25 + overlap[n]) truncated, with z[n] = RescaleConvolutionValue(y[n]); the
// overlap buffers then take trunc(RescaleConvolutionValue(y[n + 512]) / 1.25).
void MixBlockHalves(const double* yLeft, const double* yRight, int16_t* overlapLeft,
                    int16_t* overlapRight, int16_t* destination);

} // namespace yumo::render
