#include "tools/voicegen/sounds.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "tools/voicegen/dsp.h"

namespace yumo::voicegen
{
namespace
{

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Formants of a soft female voice, Hz; gains fall off upwards as in relaxed speech.
constexpr Vowel kVowelA{880, 1350, 2850, 1.0, 0.7, 0.3};
constexpr Vowel kVowelARelaxed{720, 1200, 2700, 1.0, 0.5, 0.2};
constexpr Vowel kVowelU{360, 1350, 2600, 1.0, 0.45, 0.15};
constexpr Vowel kNasalN{260, 1900, 2700, 1.0, 0.12, 0.05};
constexpr Vowel kNasalM{250, 1100, 2500, 1.0, 0.1, 0.04};
constexpr Vowel kGlideY{300, 2300, 3000, 1.0, 0.5, 0.25};
constexpr Vowel kWhisperHa{780, 1250, 2650, 1.0, 0.55, 0.2};
constexpr Vowel kWhisperU{420, 1100, 2500, 1.0, 0.35, 0.1};

// Slow, smooth changes of breath strength, so two breaths never sound copied.
struct Wobble
{
    double depth = 0;
    double phase1 = 0, phase2 = 0;
};

Wobble MakeWobble(Noise& noise, double depth)
{
    return {depth, kTwoPi * DrawUnit(noise), kTwoPi * DrawUnit(noise)};
}

double WobbleAt(const Wobble& w, double t)
{
    return 1.0 + w.depth * (0.6 * std::sin(kTwoPi * 3.1 * t + w.phase1) +
                            0.4 * std::sin(kTwoPi * 5.3 * t + w.phase2));
}

void Append(std::vector<double>& out, const std::vector<double>& part)
{
    out.insert(out.end(), part.begin(), part.end());
}

void AppendSilence(std::vector<double>& out, double seconds)
{
    out.resize(out.size() + SamplesFor(seconds), 0.0);
}

std::vector<double> WithLevel(std::vector<double> samples, double rmsDbfs)
{
    NormaliseLevel(samples, rmsDbfs, 0.0);
    return samples;
}

std::vector<double> RenderBreathIn(Noise& noise, double seconds)
{
    std::vector<double> out(SamplesFor(seconds));
    Biquad highPass = MakeHighPass(700, 0.7);
    Biquad body = MakeBandPass(2400, 0.9);
    Biquad hiss = MakeBandPass(5200, 1.6);
    Biquad soften = MakeLowPass(7000, 0.7); // heard from beside the pillow, not at the nostril
    Wobble wobble = MakeWobble(noise, 0.15);
    // The draw of air swells slowly and stops quickly.
    std::vector<EnvelopePoint> envelope = {
        {0, 0}, {0.65 * seconds, 1}, {0.85 * seconds, 0.9}, {seconds, 0}};
    for (size_t i = 0; i < out.size(); ++i)
    {
        double t = static_cast<double>(i) / kRate;
        double x = DrawUniform(noise);
        double y =
            0.75 * FilterSample(body, FilterSample(highPass, x)) + 0.35 * FilterSample(hiss, x);
        out[i] = FilterSample(soften, y) * EnvelopeAt(envelope, t) * WobbleAt(wobble, t);
    }
    return out;
}

std::vector<double> RenderBreathOut(Noise& noise, double seconds, const Vowel& mouth)
{
    std::vector<double> out(SamplesFor(seconds));
    FormantBank bank = MakeFormantBank(mouth);
    Biquad breath = MakeLowPass(1800, 0.7);
    Biquad soften = MakeLowPass(4500, 0.7);
    Wobble wobble = MakeWobble(noise, 0.1);
    // Air leaves quickly at first and then trails away.
    std::vector<EnvelopePoint> envelope = {
        {0, 0}, {0.12 * seconds, 1}, {0.4 * seconds, 0.8}, {seconds, 0}};
    for (size_t i = 0; i < out.size(); ++i)
    {
        double t = static_cast<double>(i) / kRate;
        double x = DrawUniform(noise);
        double y = 0.8 * FilterFormants(bank, x) + 0.25 * FilterSample(breath, x);
        out[i] = FilterSample(soften, y) * EnvelopeAt(envelope, t) * WobbleAt(wobble, t);
    }
    return out;
}

// The soft palate flaps `flutterHz` times a second; each flap lets through a burst of noise
// that the throat colours low.
std::vector<double> RenderRasp(Noise& noise, double seconds, double flutterHz)
{
    std::vector<double> out(SamplesFor(seconds));
    Biquad low = MakeLowPass(650, 0.8);
    Biquad chest = MakeBandPass(170, 2.0);
    Biquad palate = MakeBandPass(480, 3.0);
    Biquad muffle = MakeLowPass(900, 0.7); // lips closed or nearly: little gets out above 1 kHz
    std::vector<EnvelopePoint> envelope = {
        {0, 0}, {0.3 * seconds, 1}, {0.75 * seconds, 0.85}, {seconds, 0}};
    double phase = 0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        double t = static_cast<double>(i) / kRate;
        phase += flutterHz * (1 + 0.05 * std::sin(kTwoPi * 0.7 * t)) / kRate;
        phase -= std::floor(phase);
        double pulse = std::pow(0.5 + 0.5 * std::cos(kTwoPi * phase), 6);
        double raw = DrawUniform(noise) * (0.2 + 1.6 * pulse) + 0.5 * pulse;
        double y = FilterSample(low, raw) + 0.8 * FilterSample(chest, raw) +
                   0.5 * FilterSample(palate, raw);
        out[i] = FilterSample(muffle, y) * EnvelopeAt(envelope, t);
    }
    return out;
}

struct VoiceFrame
{
    double pitchHz = 200;
    double voicing = 0;    // glottal pulse amplitude
    double aspiration = 0; // breath noise amplitude
    Vowel vowel = kVowelA;
};

using VoicePlan = std::function<VoiceFrame(double seconds)>;

// A source-filter voice: glottal pulses plus breath noise through three formants, with the
// plan read every 32 samples (0.7 ms), often enough for smooth glides.
std::vector<double> RenderVoiced(Noise& noise, double seconds, const VoicePlan& plan)
{
    std::vector<double> out(SamplesFor(seconds));
    VoiceFrame frame = plan(0);
    FormantBank bank = MakeFormantBank(frame.vowel);
    Biquad breathTilt = MakeHighPass(400, 0.7);
    Glottis glottis;
    double jitter = 0;
    for (size_t i = 0; i < out.size(); ++i)
    {
        if (i % 32 == 0)
        {
            frame = plan(static_cast<double>(i) / kRate);
            TuneFormantBank(bank, frame.vowel);
        }
        // A wandering pitch error of a fraction of a percent keeps the voice from buzzing.
        jitter = 0.999 * jitter + 0.001 * DrawUniform(noise);
        double hz = frame.pitchHz * (1 + 0.5 * jitter);
        double source = frame.voicing * NextGlottalSample(glottis, hz) +
                        frame.aspiration * FilterSample(breathTilt, DrawUniform(noise));
        out[i] = FilterFormants(bank, source);
    }
    return out;
}

std::vector<double> RenderSigh(Noise& noise, double seconds, double pitchHz)
{
    double d = seconds;
    std::vector<EnvelopePoint> voicing = {
        {0, 0}, {0.12 * d, 0}, {0.3 * d, 1}, {0.65 * d, 0.7}, {0.9 * d, 0}};
    std::vector<EnvelopePoint> breath = {
        {0, 0}, {0.06 * d, 0.9}, {0.25 * d, 0.4}, {0.9 * d, 0.3}, {d, 0}};
    return RenderVoiced(noise, d, [&](double t) {
        double u = t / d;
        return VoiceFrame{pitchHz * (1 - 0.33 * u), EnvelopeAt(voicing, t), EnvelopeAt(breath, t),
                          MixVowels(kVowelA, kVowelARelaxed, u)};
    });
}

constexpr double kUunEnd = 0.95;
constexpr double kSyllablesStart = 1.1;
constexpr double kSyllable = 0.325;
constexpr int kDefaultSyllables = 4;
constexpr int kDefaultRasps = 2;

// Length of a mumble at its natural pace: 2.4 s for "uun" and mu-nya-mu-nya.
double MumbleNaturalSeconds(int syllables) { return kSyllablesStart + kSyllable * syllables; }

// "uun" with a rising end, a short pause, then mu-nya-mu-nya...; times are at the natural pace
// and scale with the mumble's length.
VoiceFrame MumbleFrameAt(double t, double pitchHz, int syllables)
{
    if (t < kUunEnd)
    {
        double pitch = t < 0.5 ? pitchHz * (1 - 0.13 * t) : pitchHz * (0.935 + 0.3 * (t - 0.5));
        double voicing = EnvelopeAt({{0, 0}, {0.1, 1}, {0.8, 0.8}, {kUunEnd, 0}}, t);
        Vowel vowel = MixVowels(kVowelU, kNasalN, EnvelopeAt({{0.55, 0}, {0.75, 1}}, t));
        return {pitch, voicing, 0.05, vowel};
    }
    double pitch = pitchHz * (1.08 - 0.14 * (t - kSyllablesStart));
    if (t < kSyllablesStart)
    {
        return {pitch, 0, 0, kNasalM};
    }
    int syllable = static_cast<int>((t - kSyllablesStart) / kSyllable);
    if (syllable >= syllables)
    {
        return {pitch, 0, 0, kVowelA};
    }
    double tau = (t - kSyllablesStart) / kSyllable - syllable;
    bool nya = syllable % 2 == 1;
    Vowel target =
        nya ? MixVowels(kGlideY, kVowelA, EnvelopeAt({{0.3, 0}, {0.6, 1}}, tau)) : kVowelU;
    Vowel vowel =
        MixVowels(nya ? kNasalN : kNasalM, target, EnvelopeAt({{0.3, 0}, {0.45, 1}}, tau));
    double fadeOut = syllable + 1 == syllables ? 0 : 0.35; // the last syllable dies away
    double voicing = EnvelopeAt({{0, 0.35}, {0.3, 0.45}, {0.5, 1}, {1, fadeOut}}, tau);
    return {pitch * (1 + 0.04 * std::sin(std::numbers::pi * tau)), voicing, 0.05, vowel};
}

std::vector<double> RenderMumble(Noise& noise, double seconds, double pitchHz, int syllables)
{
    double scale = seconds / MumbleNaturalSeconds(syllables);
    return RenderVoiced(noise, seconds,
                        [&](double t) { return MumbleFrameAt(t / scale, pitchHz, syllables); });
}

std::vector<double> RenderSnore(Noise& noise, double seconds, double flutterHz, int cycles)
{
    std::vector<double> out;
    for (int cycle = 0; cycle < cycles; ++cycle)
    {
        Append(out, WithLevel(RenderRasp(noise, seconds, flutterHz * (1 + 0.06 * cycle)), -20));
        AppendSilence(out, 0.12);
        Append(out, WithLevel(RenderBreathOut(noise, 1.3, kWhisperU), -32));
        if (cycle + 1 < cycles)
        {
            AppendSilence(out, 0.6);
        }
    }
    return out;
}

std::vector<double> RenderRaw(Noise& noise, const SoundRecipe& recipe)
{
    switch (recipe.sound)
    {
    case Sound::BreathIn:
        return RenderBreathIn(noise, recipe.seconds);
    case Sound::BreathOut:
        return RenderBreathOut(noise, recipe.seconds, kWhisperHa);
    case Sound::BreathInOut:
    {
        std::vector<double> out = WithLevel(RenderBreathIn(noise, recipe.seconds), -31);
        AppendSilence(out, 0.15);
        Append(out, WithLevel(RenderBreathOut(noise, 1.35 * recipe.seconds, kWhisperHa), -29));
        return out;
    }
    case Sound::Snore:
        return RenderSnore(noise, recipe.seconds, recipe.pitchHz,
                           recipe.parts > 0 ? recipe.parts : kDefaultRasps);
    case Sound::Mumble:
        return RenderMumble(noise, recipe.seconds, recipe.pitchHz,
                            recipe.parts > 0 ? recipe.parts : kDefaultSyllables);
    case Sound::Sigh:
        return RenderSigh(noise, recipe.seconds, recipe.pitchHz);
    case Sound::Silence:
        break;
    }
    return std::vector<double>(SamplesFor(recipe.seconds), 0.0);
}

} // namespace

double TargetRmsDbfs(Sound sound)
{
    switch (sound)
    {
    case Sound::BreathIn:
    case Sound::BreathOut:
    case Sound::BreathInOut:
        return -30;
    case Sound::Snore:
        return -26;
    case Sound::Mumble:
        return -24;
    case Sound::Sigh:
        return -25;
    case Sound::Silence:
        break;
    }
    return -1000;
}

std::vector<int16_t> SynthesiseSound(const SoundRecipe& recipe)
{
    Noise noise = MakeNoise(recipe.seed);
    std::vector<double> samples = RenderRaw(noise, recipe);
    if (recipe.sound != Sound::Silence)
    {
        ApplyEdgeFades(samples, kEdgeFadeSeconds);
        NormaliseLevel(samples, TargetRmsDbfs(recipe.sound), kPeakCeilingDbfs);
    }
    return QuantiseToPcm16(samples);
}

namespace
{

// How one wordless kind's clips vary: ranges their length, pitch and parts are drawn from.
struct KindRange
{
    int kind;
    Sound sound;
    const char* stem;
    int count;
    double minSeconds, maxSeconds;
    double minHz, maxHz;
    int minParts, maxParts;
};

double Between(Noise& draw, double low, double high) { return low + (high - low) * DrawUnit(draw); }

} // namespace

std::vector<ClipRecipe> DefaultClipRecipes()
{
    using S = Sound;
    constexpr int n = kDefaultClipsPerKind;
    // Snores stay under 10 s at three rasps of 1.45 s; a mumble's length is a factor of its
    // natural pace (the seconds range below), so more syllables make a longer clip.
    constexpr KindRange kRanges[] = {
        {1, S::BreathInOut, "breath_in_out", n, 0.9, 1.5, 0, 0, 0, 0},
        {2, S::BreathIn, "breath_in", n, 1.0, 1.7, 0, 0, 0, 0},
        {3, S::BreathOut, "breath_out", n, 1.3, 2.2, 0, 0, 0, 0},
        {4, S::Snore, "snore", n, 1.1, 1.45, 26, 40, 2, 3},
        {5, S::Mumble, "mumble", n - kDefaultSpokenMumbles, 0.9, 1.2, 190, 250, 2, 5},
        {9, S::Sigh, "sigh", n, 1.6, 2.5, 240, 310, 0, 0},
        {11, S::Silence, "silence", n, 1.0, 4.0, 0, 0, 0, 0},
    };
    std::vector<ClipRecipe> clips;
    for (const KindRange& range : kRanges)
    {
        for (int i = 0; i < range.count; ++i)
        {
            const uint64_t seed = static_cast<uint64_t>(100 * range.kind + i + 1);
            // Lengths are spread over the range, one per slice, so no two clips of a kind are
            // alike in length; pitch and parts are drawn freely.
            Noise draw = MakeNoise(seed ^ 0x9e3779b97f4a7c15u);
            double slice = (range.maxSeconds - range.minSeconds) / range.count;
            double low = range.minSeconds + slice * i;
            SoundRecipe sound{range.sound, seed, Between(draw, low, low + slice),
                              Between(draw, range.minHz, range.maxHz), 0};
            if (range.maxParts > 0)
            {
                sound.parts = std::min(
                    range.maxParts,
                    range.minParts +
                        static_cast<int>(DrawUnit(draw) * (range.maxParts - range.minParts + 1)));
            }
            if (range.sound == S::Mumble)
            {
                sound.seconds *= MumbleNaturalSeconds(sound.parts);
            }
            clips.push_back({range.kind,
                             std::string(range.stem) + "_" + std::to_string(i + 1) + ".wav",
                             sound});
        }
    }
    return clips;
}

} // namespace yumo::voicegen
