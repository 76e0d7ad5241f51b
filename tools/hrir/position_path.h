#pragma once
// A source path for offline rendering: one position per rendered block, read from a text file
// with one line per block, "azimuth elevation distance" (degrees, degrees, metres).

#include <cstddef>
#include <string>
#include <vector>

namespace yumo
{

struct PathPosition
{
    double azimuth = 0.0;   // degrees; below 180 is the listener's left
    double elevation = 0.0; // degrees, negative below ear level
    double distance = 0.0;  // metres, not negative
};

// More lines than this are refused: a day of blocks at 512 frames and 44.1 kHz.
constexpr size_t kMaxPathPositions = 7441875;

// Parses the text of a path file. Lines are separated by LF (a CR before it is ignored); blank
// lines and lines starting with '#' are skipped. Each other line holds exactly three finite
// decimal numbers, the distance not negative. False (positions untouched) with `why` naming
// the line and the problem when the text is malformed or holds no position at all.
bool ParsePositionPath(const std::string& text, std::vector<PathPosition>& positions,
                       std::string& why);

} // namespace yumo
