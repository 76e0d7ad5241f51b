#pragma once
// The binaural block renderer: windowed overlap-add with direct convolution.
//
// Each call reads 1024 source samples from `start`, windows them, convolves them with the
// left and right responses of the direction nearest (azimuth, elevation), applies the distance
// gain and writes 512 stereo frames: this block's first half plus the previous block's second
// half, which the caller keeps in the two overlap buffers (512 samples each).
//
// Every convolution value is an ordered sum (k ascending, one rounding per multiply and per
// add), so all vector paths give the scalar definition's output bit for bit.

#include <cstddef>
#include <cstdint>

#include "audio/hrir_set.h"

namespace yumo
{

// 1024 doubles, w[n] = sin^2(pi (n + 1) / 1024) rounded to 15 decimals, exactly symmetric
// (w[n] == w[1022 - n]); w[n] + w[n + 512] == 1 to within the decimal rounding.
const double* CrossfadeWindow();

// samples/sampleCount: the whole mono clip; samples outside [0, sampleCount) read as zero.
// destination: 512 interleaved stereo frames (1024 values). Always returns 0.
// Uses the fastest vector path this CPU supports.
int RenderBinauralBlock(const HrirSet& set, const int16_t* samples, size_t sampleCount,
                        int64_t start, double azimuth, double elevation, double distance,
                        double referenceDistance, int16_t* overlapLeft, int16_t* overlapRight,
                        int16_t* destination);

// The same, written straight from the definition, for tests and benchmarks to compare against.
int RenderBinauralBlockScalar(const HrirSet& set, const int16_t* samples, size_t sampleCount,
                              int64_t start, double azimuth, double elevation, double distance,
                              double referenceDistance, int16_t* overlapLeft, int16_t* overlapRight,
                              int16_t* destination);

// The vector instruction sets the fast renderer can use; chosen at run time.
enum class VectorPath
{
    Sse2,   // every x86-64
    Avx2,   // 4 doubles per vector
    Avx512, // 8 doubles per vector (AVX-512F)
};

bool IsVectorPathSupported(VectorPath path);
VectorPath FastestVectorPath();
const char* VectorPathName(VectorPath path);

// RenderBinauralBlock on a chosen path; the path must be supported by this CPU.
int RenderBinauralBlockOnPath(VectorPath path, const HrirSet& set, const int16_t* samples,
                              size_t sampleCount, int64_t start, double azimuth, double elevation,
                              double distance, double referenceDistance, int16_t* overlapLeft,
                              int16_t* overlapRight, int16_t* destination);

// y[i] = sum over k ascending of x[k] * h[i - k]; x: 1024, h: 128, y: 1151 values.
void ConvolveBlock(const double* x, const double* h, double* y);

// min(1, 1 / (distance / reference)^2), computed in single precision: the ratio and its square
// are each rounded to float. Distance 0 gives 1; reference 0 gives 0 for any other distance.
float DistanceGain(double distance, double referenceDistance);

// Multiplies y[0..1023] by DistanceGain(distance, referenceDistance).
void ApplyDistanceGain(double* y, double distance, double referenceDistance);

} // namespace yumo
