#pragma once
// Figures that show how loud a response set plays: its largest coefficient, the largest sum of
// |taps| of one response (the most any signal can gain), the peak of its magnitude responses
// and the peak a full-scale speech-like signal reaches through it.

#include <vector>

#include "audio/hrir_set.h"

namespace yumo
{

struct HrirSetStats
{
    double maxAbsTap = 0.0; // as stored
    double maxTapSum = 0.0; // as stored; sum of |taps| of the worst response
    HrirIndex maxTapSumAt;
    bool maxTapSumLeft = true;
    // The rest on the unit scale (a lone tap of kHrirUnityTap is 1.0).
    double maxMagnitude = 0.0; // largest |H(f)| over all directions and both ears
    HrirIndex maxMagnitudeAt;
    bool maxMagnitudeLeft = true;
    double speechPeak = 0.0; // peak |output| of the speech-like probe at 1.0 peak input
    HrirIndex speechPeakAt;
    bool speechPeakLeft = true;
    double frontSpeechGain = 0.0; // RMS out / RMS in of the probe at the front (0, 0), left ear
    double sideSpeechGain = 0.0;  // the same beside the head (90, 0), left (near) ear
};

// Largest |H(f)| of a response over 0 to half the sample rate (1024-point transform), on the
// scale of the taps themselves.
double PeakMagnitudeResponse(const double* taps, int count);

// A deterministic speech-like test signal at 44.1 kHz: voiced vowels on a gliding pitch, then a
// fricative, its peak exactly 1.0.
std::vector<double> MakeSpeechLikeProbe();

// Peak |probe * taps| (full convolution), on the scale of the taps.
double ConvolutionPeak(const std::vector<double>& probe, const double* taps, int count);

// RMS out / RMS in of `probe` through the direction FindHrirDirection picks, one ear, unit scale.
double SpeechGain(const HrirSet& set, const std::vector<double>& probe, double azimuth,
                  double elevation, bool left);

// Every figure above; `withSignals` false skips the transforms and the probe (fast).
HrirSetStats MeasureHrirSet(const HrirSet& set, bool withSignals);

} // namespace yumo
