// The filter file (".bir"): reading, writing and the byte image between them.
//
// Little-endian; no magic number, version or checksum. F entries of T taps (the count comes
// before the tap count here, unlike the response-set file):
//
//   offset          size     content
//   0               4        F (int32, 0-300)
//   4               4        T (int32, 0-1024)
//   8               4F       cutoff of each entry (int32)
//   8+4F            8FT      low-pass responses (double, x 32767), entry by entry
//   8+4F+8FT        8FT      high-pass responses, same order
//
// The file is exactly 8 + 4F + 16FT bytes; coefficients are kept as stored.

#include <algorithm>
#include <cmath>
#include <memory>

#include "audio/filter_set.h"
#include "common/atomic_file.h"
#include "common/byte_io.h"

namespace yumo
{

bool ParseFilterSetFile(const std::vector<uint8_t>& bytes, FilterSet& set, std::string& why)
{
    ByteReader reader = MakeByteReader(bytes);
    if (RemainingBytes(reader) < 8)
    {
        why = "file is " + std::to_string(bytes.size()) + " bytes, shorter than its 8-byte header";
        return false;
    }
    auto parsed = std::make_unique<FilterSet>();
    parsed->filterCount = ReadI32(reader);
    parsed->tapCount = ReadI32(reader);
    if (parsed->filterCount < 0 || parsed->filterCount > kMaxFilterCount)
    {
        why = "filter count " + std::to_string(parsed->filterCount) + " is outside 0-" +
              std::to_string(kMaxFilterCount);
        return false;
    }
    if (parsed->tapCount < 0 || parsed->tapCount > kMaxFilterTapCount)
    {
        why = "tap count " + std::to_string(parsed->tapCount) + " is outside 0-" +
              std::to_string(kMaxFilterTapCount);
        return false;
    }
    const size_t entries = static_cast<size_t>(parsed->filterCount);
    const size_t taps = static_cast<size_t>(parsed->tapCount);
    const size_t expected = 8 + 4 * entries + 2 * sizeof(double) * entries * taps;
    if (bytes.size() != expected)
    {
        why = "file is " + std::to_string(bytes.size()) + " bytes; " + std::to_string(entries) +
              " entries of " + std::to_string(taps) + " taps need " + std::to_string(expected) +
              (bytes.size() < expected ? " (it ends early)" : " (bytes follow the responses)");
        return false;
    }
    for (size_t i = 0; i < entries; ++i)
    {
        parsed->cutoffs[i] = ReadI32(reader);
    }
    for (int pass = 0; pass < 2; ++pass)
    {
        for (size_t i = 0; i < entries; ++i)
        {
            std::vector<double>& response = pass == 0 ? parsed->lowPass[i] : parsed->highPass[i];
            response.resize(taps);
            for (size_t k = 0; k < taps; ++k)
            {
                response[k] = ReadF64(reader);
                if (!std::isfinite(response[k]))
                {
                    why = std::string(pass == 0 ? "low-pass" : "high-pass") + " entry " +
                          std::to_string(i) + " tap " + std::to_string(k) + " is not finite";
                    return false;
                }
            }
        }
    }
    if (!reader.ok)
    {
        why = "file ends early";
        return false;
    }
    set = std::move(*parsed);
    return true;
}

std::vector<uint8_t> SerializeFilterSet(const FilterSet& set)
{
    // Clamped so that even an unchecked set is never read out of bounds; responses shorter than
    // the tap count are padded with zeros so the image agrees with its own header.
    const int32_t entries = std::clamp(set.filterCount, 0, kMaxFilterCount);
    const int32_t taps = std::max(set.tapCount, 0);
    std::vector<uint8_t> out;
    AppendI32(out, entries);
    AppendI32(out, taps);
    for (int32_t i = 0; i < entries; ++i)
    {
        AppendI32(out, set.cutoffs[i]);
    }
    for (const auto* responses : {&set.lowPass, &set.highPass})
    {
        for (int32_t i = 0; i < entries; ++i)
        {
            const std::vector<double>& response = (*responses)[i];
            for (int32_t k = 0; k < taps; ++k)
            {
                AppendF64(out, static_cast<size_t>(k) < response.size() ? response[k] : 0.0);
            }
        }
    }
    return out;
}

bool WriteFilterSetFile(const FilterSet& set, const std::filesystem::path& path)
{
    return WriteFileAtomically(path, SerializeFilterSet(set));
}

} // namespace yumo
