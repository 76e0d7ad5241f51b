#pragma once
// Recognises a picture file by its header, without decoding it: PNG, JPEG, BMP or GIF, with
// its width and height. The core cannot decode pictures; this is how the character build
// decides which files are pictures, the same way in the program and in yumo-tool.

#include <cstdint>
#include <string>
#include <vector>

namespace yumo
{

constexpr int kMaxPictureSide = 16384; // pixels; larger pictures are refused
constexpr size_t kMaxPictureFileBytes = 64u << 20;

enum class PictureFormat
{
    Unknown,
    Png,
    Jpeg,
    Bmp,
    Gif,
};

struct PictureInfo
{
    PictureFormat format = PictureFormat::Unknown;
    int width = 0;
    int height = 0;
};

// False when the bytes are none of the four formats, or their size is missing, 0 or above
// kMaxPictureSide; `why` then says which.
bool RecognisePicture(const std::vector<uint8_t>& bytes, PictureInfo& info, std::string& why);

const char* PictureFormatName(PictureFormat format);

} // namespace yumo
