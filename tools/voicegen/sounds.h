#pragma once
// The default voice's wordless clips: breathing in and out, snoring, mumbling, sighs and
// silences, synthesised from shaped, filtered noise and a glottal pulse source. Every clip is
// mono 16-bit 44.1 kHz, starts and ends at zero, and comes out the same for the same seed.

#include <cstdint>
#include <string>
#include <vector>

namespace yumo::voicegen
{

enum class Sound
{
    BreathIn,    // すぅ: a soft, bright inhalation through the nose
    BreathOut,   // はぁ: a whispered "haa", darker than the inhalation
    BreathInOut, // すぅはぁ: one of each with a short turn between them
    Snore,       // ぐぅぐぅ: low fluttering rasps breathing in, a soft breath out after each
    Mumble,      // うーんむにゃむにゃ: a hummed "uun" and four sleepy nasal syllables
    Sigh,        // はーぁ: a breathy onset, a falling voiced "aa", a trailing breath
    Silence,     // 静寂: digital silence
};

struct SoundRecipe
{
    Sound sound = Sound::Silence;
    uint64_t seed = 1;
    double seconds = 1.0; // length of the main gesture; each sound adds its own parts
    double pitchHz = 0;   // voiced sounds: starting pitch; snore: flutter rate
    int parts = 0;        // snore: rasps (default 2); mumble: syllables after "uun" (default 4)
};

// One clip of the default set: the voice kind it is added to and its file name.
struct ClipRecipe
{
    int kind = 0;
    std::string fileName;
    SoundRecipe sound;
};

// Levels in dBFS RMS over the whole clip; breath is quieter than voiced sounds.
double TargetRmsDbfs(Sound sound);
constexpr double kPeakCeilingDbfs = -3.0;
constexpr double kEdgeFadeSeconds = 0.015;

std::vector<int16_t> SynthesiseSound(const SoundRecipe& recipe);

// Clips of each wordless kind in the default voice: the most a kind holds, less the mumbles
// that are spoken rather than synthesised.
constexpr int kDefaultClipsPerKind = 10;
constexpr int kDefaultSpokenMumbles = 3;

// The wordless clips of the default voice. Each clip's length, pitch and parts are drawn from
// its seed within ranges that suit its sound, so the set is varied yet the same on every run.
std::vector<ClipRecipe> DefaultClipRecipes();

} // namespace yumo::voicegen
