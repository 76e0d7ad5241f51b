#pragma once
// The filter set: paired low-pass and high-pass responses labelled by cutoff. Loaded at
// start-up when present and kept; nothing renders through it.

#include <array>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "common/constants.h"
#include "common/report.h"

namespace yumo
{

// Filter files store their own tap count; 128 is usual, more than this is refused.
constexpr int kMaxFilterTapCount = 1024;
constexpr size_t kMaxFilterFileBytes =
    8 + 4 * kMaxFilterCount + 2 * 8 * size_t{kMaxFilterCount} * kMaxFilterTapCount;

struct FilterSet
{
    int32_t filterCount = 0; // 0-300
    int32_t tapCount = 0;    // 128 after a text import; as stored when read from a file
    std::array<int32_t, kMaxFilterCount> cutoffs{};
    std::array<std::vector<double>, kMaxFilterCount> lowPass;  // coefficients x 32767
    std::array<std::vector<double>, kMaxFilterCount> highPass; // coefficients x 32767
};

// From the three text tables in `workDir` when all are present (writing "filter_out.bir"
// there), else from workDir/"filter/filter.bir". kOk, or kFileNotOpened without a message; a
// malformed table or file gives kFileDamaged, also without a message (the set is optional),
// and leaves the set empty.
int LoadFilterSet(FilterSet& set, const std::filesystem::path& workDir, Reporter& reporter);

// Reads a filter file image. False (set untouched) when malformed; `why` says what.
bool ParseFilterSetFile(const std::vector<uint8_t>& bytes, FilterSet& set, std::string& why);
std::vector<uint8_t> SerializeFilterSet(const FilterSet& set);
// Fills the set from the three open text tables, multiplying each coefficient by 32767.0.
// Exactly 128 numbers per cutoff are read from each response table and the rest is ignored.
// False (set untouched) when malformed: more than 300 cutoffs, text that is not a number where
// one is read, fewer than 128 coefficients per entry.
bool ImportFilterText(std::istream& cutoffs, std::istream& lowPass, std::istream& highPass,
                      FilterSet& set, std::string& why);
// Writes the set in the filter file format; false when the file could not be written.
bool WriteFilterSetFile(const FilterSet& set, const std::filesystem::path& path);

} // namespace yumo
