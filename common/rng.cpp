#include "common/rng.h"

namespace yumo
{

void SeedRandom(Rng& rng, uint32_t seed) { rng.state = seed; }

int DrawRandom(Rng& rng)
{
    rng.state = rng.state * 214013u + 2531011u;
    return static_cast<int>((rng.state >> 16) & 0x7FFFu);
}

} // namespace yumo
