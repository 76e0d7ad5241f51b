#pragma once
// The renderer's vector kernels, one file per instruction set (compiled with its own flags and
// only called when the CPU has them). Internal to audio/: callers use audio/renderer.h.
//
// Exactness. The scalar definition computes, for each output i, sum = 0.0 and then
// sum += x[k] * h[i - k] for k ascending from max(0, i - 127) to i, one rounding per multiply
// and per add (the core is built with -ffp-contract=off: no fused multiply-add). The kernels
// vectorise across consecutive outputs i, never within one sum:
//   acc[i] = 0.0; for t = 127 down to 0: acc[i] += x[i - t] * h[t].
// For a fixed lane i, k = i - t runs upward as t runs downward, so the lane performs exactly the
// definition's operations in the definition's order - provided the steps with t > i (k < 0,
// which the definition does not have; they occur only for i < 127) leave the lane exactly as
// the definition's sum is before its first term: +0.0. The kernels force the product of such a
// step to +0.0 with a lane mask, and (+0.0) + (+0.0) = +0.0, so the lane reaches its first real
// term holding +0.0, as the definition does.
// Why a mask rather than the zeros in front of x alone: 0 * h[t] is +0.0 or -0.0 for finite
// h[t], and adding -0.0 to +0.0 still gives +0.0 - but 0 * inf is NaN, and a response read from
// a file may hold an infinity. With the mask the result never depends on what a skipped tap
// holds. (A sum started from +0.0 can never become -0.0 afterwards: x + (-x) rounds to +0.0, and
// +0.0 + (-0.0) = +0.0; so even the sign of a zero result agrees with the definition.)
// The distance gain multiplies the finished sum once, as ApplyDistanceGain does.

#include <cstdint>

#include "common/constants.h"

namespace yumo::render
{

// xPadded holds kLeadingZeros zeros and then x[0..1023], so that every vector load of
// x[i - t .. ] stays inside the buffer; the zeros' products are masked anyway.
constexpr int kLeadingZeros = kHrirTapCount;
constexpr int kPaddedLength = kLeadingZeros + kRenderWindowSamples;

// yLeft[i] = gain * sum x[k] left[i - k] and likewise yRight, for i = 0..1023 only: the values
// beyond the block are never used.
void ConvolveEarsSse2(const double* xPadded, const double* left, const double* right, double gain,
                      double* yLeft, double* yRight);
void ConvolveEarsAvx2(const double* xPadded, const double* left, const double* right, double gain,
                      double* yLeft, double* yRight);
void ConvolveEarsAvx512(const double* xPadded, const double* left, const double* right, double gain,
                        double* yLeft, double* yRight);

// x[n] = source[n] * window[n] for n = 0..1023 with AVX2; the same bits as the scalar loop.
void WindowBlockAvx2(const int16_t* source, const double* window, double* x);

// render::MixBlockHalves with AVX2 (also used on the AVX-512 path); the same bits.
void MixBlockHalvesAvx2(const double* yLeft, const double* yRight, int16_t* overlapLeft,
                        int16_t* overlapRight, int16_t* destination);

// CPU feature checks for each path (run time, once).
bool CpuHasAvx2();
bool CpuHasAvx512();

} // namespace yumo::render
