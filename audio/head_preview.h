#pragma once
// The A/B preview of a response set: one short phrase from the left, the front and the right,
// through the chosen set and then through the current one, so that two heads can be heard
// side by side.

#include <array>
#include <cstdint>
#include <vector>

#include "audio/hrir_set.h"

namespace yumo
{

// Left, front, right (below 180 degrees is the listener's left), at ear level.
inline constexpr std::array<double, 3> kHeadPreviewAzimuths = {90.0, 0.0, 270.0};
inline constexpr int kHeadPreviewGapFrames = 11025; // 0.25 s after each direction

// Interleaved stereo: the phrase at each azimuth in turn, each followed by the gap; the
// phrase is rendered at the reference distance, so at its own level. Whole blocks.
std::vector<int16_t> RenderHeadDirections(const HrirSet& set, const std::vector<int16_t>& phrase);

// The chosen set's three directions, then the current set's.
std::vector<int16_t> RenderHeadComparison(const HrirSet& chosen, const HrirSet& current,
                                          const std::vector<int16_t>& phrase);

// Where the direction `index` (0-2) of the set `which` (0 chosen, 1 current) starts, in frames.
size_t HeadPreviewOffset(size_t phraseFrames, int which, int index);

// A phrase for when the voice set has none to lend: three syllable-like bursts of a voiced
// tone, 0.6 s in all.
std::vector<int16_t> MakeHeadPreviewPhrase();

} // namespace yumo
