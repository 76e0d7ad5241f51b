#pragma once
// The animation script "img/Anime.txt": blocks of whitespace-separated decimal numbers.
//
//   id duration 0   { step picture time } ... -1           explicit steps
//   id duration n   c[0..n-1]  L q[0..L-1]  R  j0  picture time    generated steps
//
// A time above 1 is followed by a divisor ("3 4" is 0.75); the closing entry of a generated
// block is always one number. Generated blocks draw their random choices from the shared
// generator, seeded for each such block; a later block of the same id overwrites only the steps
// it names.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "common/rng.h"
#include "night/app_state.h"
#include "voices/character_animation.h"

namespace yumo
{

constexpr int kMaxScriptChoices = 128; // random choices of a generated block
constexpr int kMaxScriptPattern = 128; // pattern entries of a generated block
constexpr size_t kMaxScriptBytes = 4u << 20;

struct ScriptReading
{
    bool stopped = false; // a problem ended the script before its text did
    int skipped = 0;      // entries that name something outside the tables, left out
    std::string problem;  // the first problem, in words; empty when there was none
};

// Reads every block of `text` into the table fields of `table` (duration, steps). Each generated
// block first seeds `rng` with `seed`. Nothing is ever written outside the tables: a block with
// an id outside 0-127 is read and dropped, a step or picture outside the tables is left out, and
// a token that is not a number ends the script.
ScriptReading ParseAnimationScript(std::string_view text, CharacterAnimation& table, Rng& rng,
                                   uint32_t seed);

// Reads workDir/img/Anime.txt into state.character, seeding generated blocks with the calendar
// time in seconds from state.clock. A missing file changes nothing (kFileNotOpened, no message); a
// problem is reported, and what was read before it is kept.
int LoadAnimationScript(AppState& state, const std::filesystem::path& workDir);

} // namespace yumo
