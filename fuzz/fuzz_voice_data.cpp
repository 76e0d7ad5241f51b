// The voice-data reader on arbitrary bytes. An accepted set must be safe to play and to save:
// every counted clip holds the samples its lengths promise, and writing it and reading the
// result back gives the same clips.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "common/results.h"
#include "voices/voice_data_file.h"

namespace
{

// Deflating at level 9 is slow; the round trip is checked on modest sets only.
constexpr size_t kRoundTripLimitBytes = size_t{1} << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace yumo;
    auto set = std::make_unique<VoiceSet>();
    SilentReporter reporter;
    const int result = ReadVoiceDataBytes(data, size, *set, reporter);
    if (result != kOk)
    {
        // A refused file leaves an empty set with the built-in kinds.
        for (int kind = 0; kind <= kKindFileOnly; ++kind)
        {
            if (set->clipCounts[kind] != 0)
            {
                std::abort();
            }
        }
        if (set->clipCounts[kKindBuiltInSilence] != 4 || set->ownerName[0] != u'\0')
        {
            std::abort();
        }
        return 0;
    }
    size_t total = 0;
    for (int kind = 0; kind <= kKindFileOnly; ++kind)
    {
        if (set->clipCounts[kind] < 0 || set->clipCounts[kind] > kMaxClipsPerKind)
        {
            std::abort();
        }
        for (int position = 0; position < set->clipCounts[kind]; ++position)
        {
            const int slot = ClipSlot(kind, position);
            const size_t held = set->samples[slot].size();
            if (held * 2 != static_cast<size_t>(set->catalog.byteSize[slot]) ||
                static_cast<size_t>(set->tracks.lengthFrames[slot]) > held ||
                static_cast<size_t>(set->catalog.sampleCount[slot]) > held)
            {
                std::abort();
            }
            total += held * 2;
        }
    }
    if (total > kRoundTripLimitBytes)
    {
        return 0;
    }
    std::vector<uint8_t> image;
    std::string why;
    if (!EncodeVoiceData(*set, image, why))
    {
        std::abort();
    }
    auto again = std::make_unique<VoiceSet>();
    if (ReadVoiceDataBytes(image.data(), image.size(), *again, reporter) != kOk ||
        again->samples != set->samples || again->clipCounts != set->clipCounts)
    {
        std::abort();
    }
    return 0;
}
