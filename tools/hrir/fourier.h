#pragma once
// A plain radix-2 discrete Fourier transform for the offline analysis of response sets (level
// figures, equalisation). Not used while rendering: the renderer convolves directly.

#include <complex>
#include <vector>

namespace yumo
{

// In place; data.size() must be a power of two (otherwise nothing is done and false returned).
// The inverse transform divides by the size, so forward then inverse gives the input back.
bool FourierTransform(std::vector<std::complex<double>>& data, bool inverse);

// |X[k]| for k = 0 .. size/2 of the real signal zero-padded to `size` (a power of two).
std::vector<double> MagnitudeSpectrum(const double* signal, int count, int size);

} // namespace yumo
