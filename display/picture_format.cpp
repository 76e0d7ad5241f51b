#include "display/picture_format.h"

#include <algorithm>
#include <cstring>

#include "common/byte_io.h"

namespace yumo
{
namespace
{

uint32_t LoadU32Big(const uint8_t* p)
{
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

uint16_t LoadU16Big(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

bool StartsWith(const std::vector<uint8_t>& bytes, const char* magic, size_t length)
{
    return bytes.size() >= length && std::memcmp(bytes.data(), magic, length) == 0;
}

// PNG: signature, then the IHDR chunk with big-endian width and height at 16 and 20.
// Then the bit depth (24) and colour type (25): grey, -, RGB, palette, grey+alpha, -, RGBA.
bool ReadPngSize(const std::vector<uint8_t>& bytes, int64_t& width, int64_t& height, int& bits)
{
    if (bytes.size() < 26 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0)
    {
        return false;
    }
    width = LoadU32Big(bytes.data() + 16);
    height = LoadU32Big(bytes.data() + 20);
    static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    const uint8_t colourType = bytes[25];
    const int channels = colourType < 7 ? kChannels[colourType] : 0;
    bits = bytes[24] * channels;
    return channels > 0;
}

// JPEG: segments after the start marker until a start-of-frame, which holds the size.
bool ReadJpegSize(const std::vector<uint8_t>& bytes, int64_t& width, int64_t& height, int& bits)
{
    size_t pos = 2;
    while (pos + 4 <= bytes.size())
    {
        if (bytes[pos] != 0xFF)
        {
            return false;
        }
        const uint8_t marker = bytes[pos + 1];
        if (marker == 0xFF)
        {
            ++pos; // fill byte
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
        {
            pos += 2; // markers without a length
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA)
        {
            return false; // end of image or scan data before any frame header
        }
        const size_t length = LoadU16Big(bytes.data() + pos + 2);
        if (length < 2)
        {
            return false;
        }
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
        {
            // Precision, height, width, then the component count (which only sets the depth).
            if (length < 7 || pos + 9 > bytes.size())
            {
                return false;
            }
            height = LoadU16Big(bytes.data() + pos + 5);
            width = LoadU16Big(bytes.data() + pos + 7);
            bits = pos + 10 <= bytes.size() ? bytes[pos + 4] * bytes[pos + 9] : 0;
            return true;
        }
        pos += 2 + length;
    }
    return false;
}

// BMP: the file header, then an info header of 12 bytes (16-bit sizes) or 40 and more (32-bit
// sizes; a negative height means rows are stored top down), each with its bits per pixel.
bool ReadBmpSize(const std::vector<uint8_t>& bytes, int64_t& width, int64_t& height, int& bits)
{
    if (bytes.size() < 26)
    {
        return false;
    }
    const uint32_t headerSize = LoadU32(bytes.data() + 14);
    if (headerSize == 12)
    {
        width = LoadU16(bytes.data() + 18);
        height = LoadU16(bytes.data() + 20);
        bits = LoadU16(bytes.data() + 24);
        return true;
    }
    if (headerSize < 40)
    {
        return false;
    }
    width = LoadI32(bytes.data() + 18);
    height = LoadI32(bytes.data() + 22);
    height = height < 0 ? -height : height;
    bits = bytes.size() >= 30 ? LoadU16(bytes.data() + 28) : 0;
    return true;
}

// The logical screen: width, height, then a packed byte whose low three bits give the colour
// table's size, 2^(n+1) entries.
bool ReadGifSize(const std::vector<uint8_t>& bytes, int64_t& width, int64_t& height, int& bits)
{
    if (bytes.size() < 10)
    {
        return false;
    }
    width = LoadU16(bytes.data() + 6);
    height = LoadU16(bytes.data() + 8);
    bits = bytes.size() >= 11 ? (bytes[10] & 0x07) + 1 : 0;
    return true;
}

} // namespace

bool RecognisePicture(const std::vector<uint8_t>& bytes, PictureInfo& info, std::string& why)
{
    info = PictureInfo{};
    int64_t width = 0;
    int64_t height = 0;
    int bits = 0;
    bool sized = false;
    if (StartsWith(bytes, "\x89PNG\r\n\x1A\n", 8))
    {
        info.format = PictureFormat::Png;
        sized = ReadPngSize(bytes, width, height, bits);
    }
    else if (StartsWith(bytes, "\xFF\xD8\xFF", 3))
    {
        info.format = PictureFormat::Jpeg;
        sized = ReadJpegSize(bytes, width, height, bits);
    }
    else if (StartsWith(bytes, "BM", 2))
    {
        info.format = PictureFormat::Bmp;
        sized = ReadBmpSize(bytes, width, height, bits);
    }
    else if (StartsWith(bytes, "GIF87a", 6) || StartsWith(bytes, "GIF89a", 6))
    {
        info.format = PictureFormat::Gif;
        sized = ReadGifSize(bytes, width, height, bits);
    }
    else
    {
        why = "not a PNG, JPEG, BMP or GIF picture";
        return false;
    }
    const std::string name = PictureFormatName(info.format);
    if (!sized)
    {
        why = "a " + name + " picture whose header is cut short or damaged";
        return false;
    }
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
    {
        why = "a " + name + " picture of " + std::to_string(width) + " x " +
              std::to_string(height) + " pixels (1-" + std::to_string(kMaxPictureSide) +
              " each way)";
        return false;
    }
    info.width = static_cast<int>(width);
    info.height = static_cast<int>(height);
    info.bitsPerPixel = bits;
    if (DecodedPictureBytes(info) > kMaxDecodedPictureBytes)
    {
        why = "a " + name + " picture of " + std::to_string(width) + " x " +
              std::to_string(height) + " pixels, " +
              std::to_string(DecodedPictureBytes(info) >> 20) + " MB decoded (at most " +
              std::to_string(kMaxDecodedPictureBytes >> 20) + " MB)";
        return false;
    }
    return true;
}

int64_t DecodedPictureBytes(const PictureInfo& info)
{
    const int64_t bytesPerPixel = (std::max(32, info.bitsPerPixel) + 7) / 8;
    return int64_t{info.width} * int64_t{info.height} * bytesPerPixel;
}

const char* PictureFormatName(PictureFormat format)
{
    switch (format)
    {
    case PictureFormat::Png:
        return "PNG";
    case PictureFormat::Jpeg:
        return "JPEG";
    case PictureFormat::Bmp:
        return "BMP";
    case PictureFormat::Gif:
        return "GIF";
    case PictureFormat::Unknown:
        break;
    }
    return "unknown";
}

} // namespace yumo
