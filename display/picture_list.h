#pragma once
// The picture lists "img/Image.txt" and "img/Mask.txt": one file path per line, bytes taken as
// they stand (paths are expected in ASCII). Line i of the mask list names the mask of picture i.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace yumo
{

constexpr size_t kMaxPictureListLine = 255; // characters, the line end included
constexpr size_t kMaxPictureListBytes = 1u << 20;

struct PictureList
{
    std::vector<std::string> paths; // at most kPictureSlotCount
    std::string cutShort;           // why the list ended before its text did; empty if it did not
};

// Lines end at LF or CR LF, and only the line end is removed: a last line without one is kept
// whole. A line longer than 255 characters, or holding a NUL byte, ends the list there, as does
// the 256th line.
PictureList ParsePictureList(std::string_view text);

} // namespace yumo
