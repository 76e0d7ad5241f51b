#pragma once
// The smallest files the character build takes for pictures: a PNG signature and IHDR chunk
// with the given size, padded with zeros to `totalBytes`. Not decodable; enough for the core,
// which only reads picture headers.

#include <cstdint>
#include <vector>

namespace yumo::test
{

// `depth` and `colourType` are the IHDR's bit depth and colour type (0 0: read as grey).
inline std::vector<uint8_t> MakePngHeaderBytes(uint32_t width, uint32_t height,
                                               size_t totalBytes = 33, uint8_t depth = 0,
                                               uint8_t colourType = 0)
{
    std::vector<uint8_t> bytes = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                  0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    for (uint32_t value : {width, height})
    {
        for (int shift = 24; shift >= 0; shift -= 8)
        {
            bytes.push_back(static_cast<uint8_t>(value >> shift));
        }
    }
    bytes.push_back(depth);
    bytes.push_back(colourType);
    bytes.resize(totalBytes < bytes.size() ? bytes.size() : totalBytes, 0);
    return bytes;
}

} // namespace yumo::test
