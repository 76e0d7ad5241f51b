// Differential fuzzing of the renderer: arbitrary responses (any doubles a response-set file
// may hold, NaN and infinities included), positions, start index, overlap buffers and clip.
// Every vector path the CPU supports must give the scalar definition's output bit for bit,
// and no path may read outside the clip (the address sanitizer watches).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/renderer.h"
#include "common/constants.h"

namespace
{

// Hands out the input's bytes in order, then zeros.
struct ByteFeed
{
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    template <typename T> T Next()
    {
        T value{};
        size_t count = std::min(sizeof(T), size - at);
        std::memcpy(&value, data + at, count);
        at += count;
        return value;
    }
};

// A byte picks either a plain value or raw bits (which may be NaN, infinite or huge).
double NextPosition(ByteFeed& feed, double plainScale)
{
    uint8_t mode = feed.Next<uint8_t>();
    if (mode < 200)
    {
        return (feed.Next<int16_t>() / 32768.0) * plainScale;
    }
    return feed.Next<double>();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace yumo;
    ByteFeed feed{data, size};
    const double azimuth = NextPosition(feed, 400.0);
    const double elevation = NextPosition(feed, 120.0);
    const double distance = NextPosition(feed, 3.0);
    const double reference = NextPosition(feed, 1.5);

    HrirSet set;
    set.rowCount = 1;
    set.directionsPerRow = {1};
    HrirDirection& direction = set.directions[0][0];
    direction.elevation = 90;
    direction.tapCount = kHrirTapCount;
    // Taps: a scale byte, then each tap either small-integer based or raw bits.
    const double tapScale = static_cast<double>(1u << (feed.Next<uint8_t>() % 24));
    for (auto* taps : {&direction.left, &direction.right})
    {
        taps->resize(kHrirTapCount);
        for (double& tap : *taps)
        {
            int16_t raw = feed.Next<int16_t>();
            tap = raw == -32768 ? feed.Next<double>() : raw * tapScale;
        }
    }
    std::vector<int16_t> overlap(2 * kFramesPerBlock);
    for (size_t n = 0; n < overlap.size(); n += 64)
    {
        std::fill_n(overlap.begin() + static_cast<long>(n), 64, feed.Next<int16_t>());
    }

    const uint16_t startChoice = feed.Next<uint16_t>();

    // The rest is the clip, held in an allocation of exactly its length.
    const size_t count = (size - feed.at) / 2;
    std::unique_ptr<int16_t[]> clip(new int16_t[count == 0 ? 1 : count]);
    std::memcpy(clip.get(), data + feed.at, count * 2);
    const int64_t start = static_cast<int64_t>(startChoice % (count + 2048)) - 1024;

    std::vector<int16_t> expectedOverlap = overlap;
    std::vector<int16_t> expected(2 * kFramesPerBlock);
    RenderBinauralBlockScalar(set, clip.get(), count, start, azimuth, elevation, distance,
                              reference, expectedOverlap.data(),
                              expectedOverlap.data() + kFramesPerBlock, expected.data());
    for (VectorPath path : {VectorPath::Sse2, VectorPath::Avx2, VectorPath::Avx512})
    {
        if (!IsVectorPathSupported(path))
        {
            continue;
        }
        std::vector<int16_t> actualOverlap = overlap;
        std::vector<int16_t> actual(2 * kFramesPerBlock);
        RenderBinauralBlockOnPath(path, set, clip.get(), count, start, azimuth, elevation, distance,
                                  reference, actualOverlap.data(),
                                  actualOverlap.data() + kFramesPerBlock, actual.data());
        if (actual != expected || actualOverlap != expectedOverlap)
        {
            std::abort();
        }
    }
    return 0;
}
