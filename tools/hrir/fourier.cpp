#include "tools/hrir/fourier.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace yumo
{

bool FourierTransform(std::vector<std::complex<double>>& data, bool inverse)
{
    const size_t n = data.size();
    if (n == 0 || (n & (n - 1)) != 0)
    {
        return false;
    }
    for (size_t i = 1, j = 0; i < n; ++i)
    {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
        {
            j ^= bit;
        }
        j ^= bit;
        if (i < j)
        {
            std::swap(data[i], data[j]);
        }
    }
    const double sign = inverse ? 1.0 : -1.0;
    for (size_t length = 2; length <= n; length <<= 1)
    {
        const double angle = sign * 2.0 * std::numbers::pi / static_cast<double>(length);
        for (size_t start = 0; start < n; start += length)
        {
            for (size_t k = 0; k < length / 2; ++k)
            {
                // Twiddles computed directly rather than by repeated multiplication, so the
                // error does not grow along a stage.
                const std::complex<double> w = std::polar(1.0, angle * static_cast<double>(k));
                const std::complex<double> even = data[start + k];
                const std::complex<double> odd = data[start + k + length / 2] * w;
                data[start + k] = even + odd;
                data[start + k + length / 2] = even - odd;
            }
        }
    }
    if (inverse)
    {
        for (std::complex<double>& value : data)
        {
            value /= static_cast<double>(n);
        }
    }
    return true;
}

std::vector<double> MagnitudeSpectrum(const double* signal, int count, int size)
{
    std::vector<std::complex<double>> data(static_cast<size_t>(size));
    for (int i = 0; i < count && i < size; ++i)
    {
        data[i] = signal[i];
    }
    if (!FourierTransform(data, false))
    {
        return {};
    }
    std::vector<double> magnitude(static_cast<size_t>(size / 2 + 1));
    for (size_t k = 0; k < magnitude.size(); ++k)
    {
        magnitude[k] = std::abs(data[k]);
    }
    return magnitude;
}

} // namespace yumo
