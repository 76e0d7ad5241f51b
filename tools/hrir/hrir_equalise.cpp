// Diffuse-field equalisation of a measured set. What all directions share - the loudspeaker
// and microphones of the measurement, the ear canal of the dummy head - is the mean of their
// power spectra; dividing it out leaves what differs between directions, which is what the
// renderer should add to a voice heard over headphones. The filter is minimum-phase, so it
// adds no delay in front of the onsets and leaves every interaural time difference as it was.

#include <algorithm>
#include <cmath>
#include <complex>

#include "tools/hrir/fourier.h"
#include "tools/hrir/hrir_measured.h"

namespace yumo
{
namespace
{

constexpr int kSize = 1024; // 43 Hz bins at 44.1 kHz
constexpr int kBins = kSize / 2 + 1;
constexpr double kBinHz = static_cast<double>(kSampleRate) / kSize;

// Mean of `power` over the bins within a sixth of an octave either side of each bin.
std::vector<double> SmoothThirdOctave(const std::vector<double>& power)
{
    std::vector<double> smoothed(power.size());
    const double half = std::pow(2.0, 1.0 / 6.0);
    for (int k = 1; k < kBins; ++k)
    {
        const int low = std::max(1, static_cast<int>(std::ceil(k / half)));
        const int high = std::max(low, std::min(kBins - 1, static_cast<int>(std::floor(k * half))));
        double sum = 0.0;
        for (int i = low; i <= high; ++i)
        {
            sum += power[i];
        }
        smoothed[k] = sum / (high - low + 1);
    }
    smoothed[0] = smoothed[1];
    return smoothed;
}

} // namespace

std::vector<double>
DesignDiffuseFieldEqualiser(const std::vector<const std::vector<double>*>& responses,
                            double& rangeDb)
{
    std::vector<double> power(kBins, 0.0);
    for (const std::vector<double>* response : responses)
    {
        const std::vector<double> magnitude =
            MagnitudeSpectrum(response->data(), static_cast<int>(response->size()), kSize);
        for (int k = 0; k < kBins; ++k)
        {
            power[k] += magnitude[k] * magnitude[k] / static_cast<double>(responses.size());
        }
    }
    std::vector<double> level = SmoothThirdOctave(power);
    const int lowBin = static_cast<int>(std::lround(kEqualiserLowHz / kBinHz));
    const int highBin = static_cast<int>(std::lround(kEqualiserHighHz / kBinHz));
    double loudest = 0.0;
    for (int k = 0; k < kBins; ++k)
    {
        level[k] = level[std::clamp(k, lowBin, highBin)];
        loudest = std::max(loudest, level[k]);
    }
    if (!(loudest > 0.0))
    {
        rangeDb = 0.0;
        std::vector<double> identity(kSize, 0.0);
        identity[0] = 1.0;
        return identity;
    }

    // Gain = 1 / sqrt(mean power), at most kEqualiserRangeDb above its smallest value.
    std::vector<double> logGain(kBins);
    double smallest = INFINITY;
    for (int k = 0; k < kBins; ++k)
    {
        logGain[k] = -0.5 * std::log(std::max(level[k], loudest * 1e-12));
        smallest = std::min(smallest, logGain[k]);
    }
    const double ceiling = smallest + kEqualiserRangeDb * std::log(10.0) / 20.0;
    double largest = smallest;
    for (double& value : logGain)
    {
        value = std::min(value, ceiling);
        largest = std::max(largest, value);
    }
    rangeDb = (largest - smallest) * 20.0 / std::log(10.0);

    // Minimum phase from the real cepstrum: fold the anticausal half onto the causal one.
    std::vector<std::complex<double>> cepstrum(kSize);
    for (int k = 0; k < kBins; ++k)
    {
        cepstrum[k] = logGain[k];
        if (k > 0 && k < kSize / 2)
        {
            cepstrum[kSize - k] = logGain[k];
        }
    }
    FourierTransform(cepstrum, true);
    for (int n = 1; n < kSize / 2; ++n)
    {
        cepstrum[n] *= 2.0;
        cepstrum[kSize - n] = 0.0;
    }
    FourierTransform(cepstrum, false);
    for (std::complex<double>& value : cepstrum)
    {
        value = std::exp(value);
    }
    FourierTransform(cepstrum, true);
    std::vector<double> taps(kSize);
    for (int n = 0; n < kSize; ++n)
    {
        taps[n] = cepstrum[n].real();
    }
    return taps;
}

} // namespace yumo
