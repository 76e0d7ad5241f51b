// The filter set from its three text tables: the cutoffs, then 128 low-pass and 128 high-pass
// coefficients per entry, each multiplied by 32767 as it is read. Exactly that many are read
// from each table; whatever follows them is not looked at.

#include <cmath>
#include <istream>
#include <memory>

#include "audio/filter_set.h"
#include "common/text_numbers.h"

namespace yumo
{
namespace
{

constexpr double kFilterScale = 32767.0;
constexpr int kFilterTextTaps = 128;

} // namespace

bool ImportFilterText(std::istream& cutoffs, std::istream& lowPass, std::istream& highPass,
                      FilterSet& set, std::string& why)
{
    for (std::istream* in : {&cutoffs, &lowPass, &highPass})
    {
        SkipUtf8ByteOrderMark(*in);
    }
    auto imported = std::make_unique<FilterSet>();
    imported->tapCount = kFilterTextTaps;
    std::string item;
    for (;;)
    {
        int32_t cutoff = 0;
        TextNumberStatus status = ReadTextInt32(cutoffs, cutoff, item);
        if (status == TextNumberStatus::End)
        {
            break;
        }
        if (status != TextNumberStatus::Ok)
        {
            why = "cutoff.txt entry " + std::to_string(imported->filterCount) + ": " +
                  DescribeTextNumberProblem(status, item, true);
            return false;
        }
        if (imported->filterCount == kMaxFilterCount)
        {
            why = "cutoff.txt holds more than " + std::to_string(kMaxFilterCount) + " cutoffs";
            return false;
        }
        imported->cutoffs[imported->filterCount++] = cutoff;
    }
    // Both tables are read entry by entry, tap by tap, as they pair up.
    for (int i = 0; i < imported->filterCount; ++i)
    {
        imported->lowPass[i].assign(kFilterTextTaps, 0.0);
        imported->highPass[i].assign(kFilterTextTaps, 0.0);
        for (int k = 0; k < kFilterTextTaps; ++k)
        {
            for (int pass = 0; pass < 2; ++pass)
            {
                std::istream& in = pass == 0 ? lowPass : highPass;
                double& tap = pass == 0 ? imported->lowPass[i][k] : imported->highPass[i][k];
                TextNumberStatus status = ReadTextDouble(in, tap, item);
                if (status == TextNumberStatus::Ok && !std::isfinite(tap * kFilterScale))
                {
                    status = TextNumberStatus::OutOfRange;
                }
                if (status != TextNumberStatus::Ok)
                {
                    why = std::string(pass == 0 ? "lp128.txt" : "hp128.txt") + " entry " +
                          std::to_string(i) + " tap " + std::to_string(k) + ": " +
                          DescribeTextNumberProblem(status, item, false);
                    return false;
                }
                tap *= kFilterScale;
            }
        }
    }
    set = std::move(*imported);
    return true;
}

} // namespace yumo
