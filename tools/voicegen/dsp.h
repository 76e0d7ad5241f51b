#pragma once
// Small signal-processing pieces for synthesising breath, snores and hums: a deterministic
// noise source, second-order filters, a glottal pulse source, formant banks, envelopes and
// level control. Samples are doubles at full scale ±1 until they are quantised to 16 bits.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace yumo::voicegen
{

constexpr double kRate = 44100.0; // Hz

// xorshift64*: the same seed always gives the same clip, on every machine.
struct Noise
{
    uint64_t state = 1;
};

Noise MakeNoise(uint64_t seed);
double DrawUniform(Noise& noise); // -1 to 1
double DrawUnit(Noise& noise);    // 0 to 1

// Second-order section, direct form I, with the usual audio-cookbook coefficient designs.
struct Biquad
{
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

Biquad MakeLowPass(double hz, double q);
Biquad MakeHighPass(double hz, double q);
Biquad MakeBandPass(double hz, double q); // gain 1 at the centre frequency
// Moves a band-pass to a new centre and width without clearing its state, so that a formant
// can glide without a click.
void RetuneBandPass(Biquad& filter, double hz, double q);
double FilterSample(Biquad& filter, double x);

// A vowel (or nasal) as its three lowest formants and their relative gains.
struct Vowel
{
    double f1 = 0, f2 = 0, f3 = 0; // Hz
    double g1 = 1, g2 = 1, g3 = 1;
};

Vowel MixVowels(const Vowel& a, const Vowel& b, double t); // t = 0 gives a, 1 gives b

struct FormantBank
{
    std::array<Biquad, 3> bands;
    std::array<double, 3> gains{};
};

FormantBank MakeFormantBank(const Vowel& vowel);
void TuneFormantBank(FormantBank& bank, const Vowel& vowel);
double FilterFormants(FormantBank& bank, double x);

// A smooth glottal pulse train (opening, closing, closed phase), differentiated as lips radiate
// it. Peaks are about ±1 at any pitch.
struct Glottis
{
    double phase = 0;    // 0 to 1 within the current period
    double previous = 0; // last pulse value, for the difference
};

double NextGlottalSample(Glottis& glottis, double hz);

// Breakpoints of a gain curve; the curve eases between them with a raised cosine, so it has no
// corners, and holds the first and last level outside them.
struct EnvelopePoint
{
    double seconds = 0;
    double level = 0;
};

double EnvelopeAt(const std::vector<EnvelopePoint>& points, double seconds);

size_t SamplesFor(double seconds);

// Raised-cosine fade in and out over `seconds` at each end: the clip starts and ends at zero.
void ApplyEdgeFades(std::vector<double>& samples, double seconds);

// Scales to the target RMS level, or less when that would put the peak above the ceiling.
void NormaliseLevel(std::vector<double>& samples, double targetRmsDbfs, double peakCeilingDbfs);

// Rounds to the nearest 16-bit value; full scale 1.0 maps to 32767.
std::vector<int16_t> QuantiseToPcm16(const std::vector<double>& samples);

// Levels relative to 16-bit full scale; -inf (as -1000) for silence.
double RmsDbfs(const std::vector<double>& samples);
double PeakDbfs(const std::vector<double>& samples);
double RmsDbfs(const std::vector<int16_t>& samples);
double PeakDbfs(const std::vector<int16_t>& samples);

} // namespace yumo::voicegen
