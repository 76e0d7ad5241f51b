#pragma once
// Building voice sets and raw file images for the voice tests.

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "common/utf16.h"
#include "voices/voice_set.h"

namespace yumo::test
{

// Appends a clip the way the editor records one, without padding, so any length can be made.
inline void PutClip(VoiceSet& set, int kind, std::vector<int16_t> samples,
                    const std::u16string& path = u"")
{
    const int slot = ClipSlot(kind, set.clipCounts[kind]);
    const auto count = static_cast<int32_t>(samples.size());
    set.catalog.sampleCount[slot] = count;
    set.catalog.byteSize[slot] = count * 2;
    set.tracks.lengthFrames[slot] = count;
    set.tracks.lengthBytes[slot] = count * 2;
    VoiceText& text = set.catalog.sourcePath[slot];
    set.catalog.pathLength[slot] =
        static_cast<int32_t>(StoreUtf16Field(path, text.data(), text.size()));
    set.samples[slot] = std::move(samples);
    ++set.clipCounts[kind];
}

// Samples that deflate poorly enough to exercise real streams: a 16-bit ramp mixed with a
// simple generator.
inline std::vector<int16_t> MakeSamples(size_t count, uint32_t seed)
{
    std::vector<int16_t> samples(count);
    uint32_t x = seed;
    for (size_t i = 0; i < count; ++i)
    {
        x = x * 1103515245u + 12345u;
        samples[i] = static_cast<int16_t>(static_cast<int>(i * 37 % 2000) - 1000 +
                                          static_cast<int>((x >> 16) % 64));
    }
    return samples;
}

// Little-endian access to a file image at the offsets of the layout table.
inline void PutI32At(std::vector<uint8_t>& bytes, size_t offset, int32_t value)
{
    const auto u = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
    {
        bytes.at(offset + static_cast<size_t>(i)) = static_cast<uint8_t>(u >> (8 * i));
    }
}

inline int32_t GetI32At(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
    {
        u = (u << 8) | bytes.at(offset + static_cast<size_t>(i));
    }
    return static_cast<int32_t>(u);
}

// Column starts, written out from the layout table rather than taken from the code under test.
constexpr size_t kAtCounts = 516;
constexpr size_t kAtPaths = 576;
constexpr size_t kAtPathLengths = 154176;
constexpr size_t kAtSampleCounts = 154776;
constexpr size_t kAtByteSizes = 155376;
constexpr size_t kAtCatalogSpare3 = 157176;
constexpr size_t kAtPlayPositions = 158976;
constexpr size_t kAtOutputCounters = 159576;
constexpr size_t kAtLengthFrames = 160176;
constexpr size_t kAtLengthBytes = 160776;
constexpr size_t kHeaderBytes = 161376;

inline size_t Column(size_t start, int slot) { return start + 4 * static_cast<size_t>(slot); }

// An uncompressed clip as an old file stores it: header fields, and the record appended.
inline void PutRawClip(std::vector<uint8_t>& image, int kind, int position,
                       const std::vector<int16_t>& samples)
{
    const int slot = kind * 10 + position;
    const auto count = static_cast<int32_t>(samples.size());
    PutI32At(image, Column(kAtSampleCounts, slot), count);
    PutI32At(image, Column(kAtByteSizes, slot), count * 2);
    PutI32At(image, Column(kAtLengthFrames, slot), count);
    PutI32At(image, Column(kAtLengthBytes, slot), count * 2);
    const size_t at = image.size();
    image.resize(at + samples.size() * 2);
    std::memcpy(image.data() + at, samples.data(), samples.size() * 2);
}

} // namespace yumo::test
