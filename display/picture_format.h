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
// What one picture or mask may take once decoded (a file of a few kilobytes can describe a
// picture of hundreds of megabytes), and what all of them may take together. Checked from the
// headers before anything is decoded.
constexpr int64_t kMaxDecodedPictureBytes = int64_t{64} << 20;
constexpr int64_t kMaxDecodedCharacterBytes = int64_t{256} << 20;

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
    int bitsPerPixel = 0; // as stored: depth times channels (PNG, JPEG), the palette's (GIF);
                          // 0 when the header stops before it
};

// The memory the picture's pixels take once decoded: the window holds every picture and mask in
// 32 bits a pixel, and a decoder of deeper pixels (16 bits a channel) holds those first.
int64_t DecodedPictureBytes(const PictureInfo& info);

// False when the bytes are none of the four formats, their size is missing, 0 or above
// kMaxPictureSide, or they decode to more than kMaxDecodedPictureBytes; `why` then says which.
bool RecognisePicture(const std::vector<uint8_t>& bytes, PictureInfo& info, std::string& why);

const char* PictureFormatName(PictureFormat format);

} // namespace yumo
