#pragma once
// The program's own pseudo-random generator. Its exact sequence is part of the behaviour: with
// the default seed every run draws the same numbers, so nights repeat.

#include <cstdint>

namespace yumo
{

constexpr int kRandomMax = 0x7FFF;

struct Rng
{
    uint32_t state = 1;
};

void SeedRandom(Rng& rng, uint32_t seed);

// x = x * 214013 + 2531011 (mod 2^32); the result is bits 16 to 30 of the new state, 0-32767.
int DrawRandom(Rng& rng);

} // namespace yumo
