#pragma once
// A long MP3 for the figures, made of the frames of a short one repeated: the encoder is not
// needed, and the decoder works through every frame as it would through a real recording.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace yumo
{

// The MP3 frames of `source` repeated until they last at least `seconds`; empty when unreadable.
std::vector<uint8_t> RepeatMp3Frames(const std::string& source, double seconds);

// The same written to `path`; false when it could not be made.
bool WriteRepeatedMp3(const std::string& source, double seconds, const std::filesystem::path& path);

} // namespace yumo
