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

struct FilterSet
{
    int32_t filterCount = 0; // 0-300
    int32_t tapCount = 0;    // 128 after a text import; as stored when read from a file
    std::array<int32_t, kMaxFilterCount> cutoffs{};
    std::array<std::vector<double>, kMaxFilterCount> lowPass;  // coefficients x 32767
    std::array<std::vector<double>, kMaxFilterCount> highPass; // coefficients x 32767
};

// From the three text tables in `workDir` when all are present (writing "filter_out.bir"
// there), else from workDir/"filter/filter.bir". kOk, or kFileNotOpened without a message.
int LoadFilterSet(FilterSet& set, const std::filesystem::path& workDir, Reporter& reporter);

bool ParseFilterSetFile(const std::vector<uint8_t>& bytes, FilterSet& set, std::string& why);
std::vector<uint8_t> SerializeFilterSet(const FilterSet& set);
bool ImportFilterText(std::istream& cutoffs, std::istream& lowPass, std::istream& highPass,
                      FilterSet& set, std::string& why);
bool WriteFilterSetFile(const FilterSet& set, const std::filesystem::path& path);

} // namespace yumo
