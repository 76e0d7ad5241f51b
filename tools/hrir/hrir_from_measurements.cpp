// Turning measured responses into the set's: the grid (hrir_grid.h) says which measurement
// goes where; each response keeps its onset delay - the interaural time difference is part of
// the geometry - and only the delay common to the whole set is removed before it is cut to 128
// taps, optionally equalised, and scaled.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>

#include "tools/hrir/fourier.h"
#include "tools/hrir/hrir_grid.h"
#include "tools/hrir/hrir_measured.h"

namespace yumo
{
namespace
{

constexpr double kOnsetThreshold = 0.1; // of a response's own peak

int OnsetIndex(const std::vector<double>& taps)
{
    double peak = 0.0;
    for (double tap : taps)
    {
        peak = std::max(peak, std::fabs(tap));
    }
    for (size_t k = 0; k < taps.size(); ++k)
    {
        if (peak > 0.0 && std::fabs(taps[k]) >= kOnsetThreshold * peak)
        {
            return static_cast<int>(k);
        }
    }
    return static_cast<int>(taps.size());
}

// Taps [shift, shift + 128) with a raised-cosine fade over the last kFadeOutTaps; the share of
// the response's energy left outside is returned through `lost`.
std::vector<double> CutResponse(const std::vector<double>& taps, int shift, double& lost)
{
    std::vector<double> cut(kHrirTapCount, 0.0);
    double total = 0.0;
    double kept = 0.0;
    for (size_t k = 0; k < taps.size(); ++k)
    {
        total += taps[k] * taps[k];
    }
    for (int k = 0; k < kHrirTapCount; ++k)
    {
        const size_t source = static_cast<size_t>(shift + k);
        if (source < taps.size())
        {
            cut[k] = taps[source];
            kept += cut[k] * cut[k];
        }
    }
    for (int k = kHrirTapCount - kFadeOutTaps; k < kHrirTapCount; ++k)
    {
        const int step = k - (kHrirTapCount - kFadeOutTaps) + 1; // 1..kFadeOutTaps
        cut[k] *= 0.5 * (1.0 + std::cos(std::numbers::pi * step / (kFadeOutTaps + 1)));
    }
    lost = total > 0.0 ? (total - kept) / total : 0.0;
    return cut;
}

bool CheckMeasurements(const MeasuredHrir& measured, std::string& why)
{
    if (measured.directions.empty())
    {
        why = "no measured directions";
        return false;
    }
    for (size_t i = 0; i < measured.directions.size(); ++i)
    {
        const MeasuredDirection& d = measured.directions[i];
        const std::string name = "measured direction " + std::to_string(i);
        if (!std::isfinite(d.azimuth) || !std::isfinite(d.elevation) || !std::isfinite(d.distance))
        {
            why = name + " has a position that is not a finite number";
            return false;
        }
        if (d.distance < 0.0 || d.distance > 1000.0)
        {
            why = name + " has distance " + std::to_string(d.distance) + " m, outside 0-1000";
            return false;
        }
        if (d.elevation < -90.5 || d.elevation > 90.5)
        {
            why = name + " has elevation " + std::to_string(d.elevation) + ", outside -90 to 90";
            return false;
        }
        if (d.left.empty() || d.left.size() != d.right.size())
        {
            why = name + " has responses of " + std::to_string(d.left.size()) + " and " +
                  std::to_string(d.right.size()) + " taps";
            return false;
        }
        for (const std::vector<double>* taps : {&d.left, &d.right})
        {
            for (double tap : *taps)
            {
                if (!std::isfinite(tap))
                {
                    why = name + " has a coefficient that is not a finite number";
                    return false;
                }
            }
        }
    }
    return true;
}

// The delay before the earliest onset of every used response, less a margin, comes off all
// of them, so 128 taps hold as much of each as they can; differences between ears and
// directions stay as measured. Also records how much energy the cut at 128 taps loses.
int RemoveCommonDelay(const MeasuredHrir& measured, const std::vector<size_t>& used,
                      HrirConversionSummary& summary)
{
    int earliestOnset = INT32_MAX;
    for (size_t index : used)
    {
        earliestOnset = std::min({earliestOnset, OnsetIndex(measured.directions[index].left),
                                  OnsetIndex(measured.directions[index].right)});
    }
    const int shift = std::max(0, earliestOnset - kOnsetMarginTaps);
    summary.leadingSamplesRemoved = shift;
    for (size_t index : used)
    {
        for (const std::vector<double>* taps :
             {&measured.directions[index].left, &measured.directions[index].right})
        {
            double lost = 0.0;
            CutResponse(*taps, shift, lost);
            summary.worstTruncatedEnergy = std::max(summary.worstTruncatedEnergy, lost);
        }
    }
    return shift;
}

// The diffuse-field equaliser of the used responses as they will be cut.
std::vector<double> DesignSetEqualiser(const MeasuredHrir& measured,
                                       const std::vector<size_t>& used, int shift,
                                       HrirConversionSummary& summary)
{
    std::vector<std::vector<double>> cuts;
    for (size_t index : used)
    {
        double lost = 0.0;
        cuts.push_back(CutResponse(measured.directions[index].left, shift, lost));
        cuts.push_back(CutResponse(measured.directions[index].right, shift, lost));
    }
    std::vector<const std::vector<double>*> responses;
    for (const std::vector<double>& cut : cuts)
    {
        responses.push_back(&cut);
    }
    summary.equalised = true;
    return DesignDiffuseFieldEqualiser(responses, summary.equaliserRangeDb);
}

// The measured response, equalised as far as the 128 kept taps reach (when there is an
// equaliser), then cut.
std::vector<double> PrepareResponse(const std::vector<double>& raw, int shift,
                                    const std::vector<double>& equaliser)
{
    double lost = 0.0;
    if (equaliser.empty())
    {
        return CutResponse(raw, shift, lost);
    }
    const size_t length =
        std::min(static_cast<size_t>(shift + kHrirTapCount), raw.size() + equaliser.size() - 1);
    std::vector<double> filtered(length, 0.0);
    for (size_t n = 0; n < length; ++n)
    {
        const size_t first = n >= equaliser.size() ? n - (equaliser.size() - 1) : 0;
        const size_t last = std::min(n, raw.size() - 1);
        for (size_t m = first; m <= last; ++m)
        {
            filtered[n] += raw[m] * equaliser[n - m];
        }
    }
    return CutResponse(filtered, shift, lost);
}

// The set's rows and zenith from the grid; a zenith that was not measured is the mean of the
// highest row.
void FillGrid(const MeasuredHrir& measured, const HrirGrid& grid, int shift,
              const std::vector<double>& equaliser, HrirSet& set)
{
    auto fill = [&](HrirDirection& direction, int azimuth, int elevation, size_t index) {
        direction.azimuth = azimuth;
        direction.elevation = elevation;
        direction.tapCount = kHrirTapCount;
        direction.left = PrepareResponse(measured.directions[index].left, shift, equaliser);
        direction.right = PrepareResponse(measured.directions[index].right, shift, equaliser);
    };
    int directions = 0;
    for (const GridRow& row : grid.rows)
    {
        const size_t r = set.directionsPerRow.size();
        for (size_t j = 0; j < row.directions.size(); ++j)
        {
            fill(set.directions[r][j], row.directions[j].first, row.elevation,
                 row.directions[j].second);
        }
        set.directionsPerRow.push_back(static_cast<int32_t>(row.directions.size()));
        directions += static_cast<int>(row.directions.size());
    }
    const size_t zenithRow = set.directionsPerRow.size();
    HrirDirection& top = set.directions[zenithRow][0];
    if (grid.zenithMeasured)
    {
        fill(top, grid.zenithAzimuth, kZenithElevation, grid.zenithIndex);
    }
    else
    {
        const GridRow& ring = grid.rows.back();
        const auto count = static_cast<double>(ring.directions.size());
        top = HrirDirection{0, kZenithElevation, kHrirTapCount,
                            std::vector<double>(kHrirTapCount, 0.0),
                            std::vector<double>(kHrirTapCount, 0.0)};
        for (size_t j = 0; j < ring.directions.size(); ++j)
        {
            const HrirDirection& source = set.directions[zenithRow - 1][j];
            for (int k = 0; k < kHrirTapCount; ++k)
            {
                top.left[k] += source.left[k] / count;
                top.right[k] += source.right[k] / count;
            }
        }
    }
    set.directionsPerRow.push_back(1);
    set.rowCount = static_cast<int32_t>(zenithRow) + 1;
    set.leadingValue = directions + 1; // the direction count; nothing reads it
}

// The scale of the finished set (see kSpeechPeakCeiling): the diffuse-field level over the
// speech band becomes the unity tap, then the loudest direction's speech peak is checked.
bool ChooseScale(const HrirSet& set, HrirConversionSummary& summary, std::string& why)
{
    constexpr int kSize = 1024;
    const int lowBin = static_cast<int>(std::lround(200.0 * kSize / kSampleRate));
    const int highBin = static_cast<int>(std::lround(4000.0 * kSize / kSampleRate));
    const std::vector<double> probe = MakeSpeechLikeProbe();
    double power = 0.0;
    int bins = 0;
    double speechPeak = 0.0;
    for (int row = 0; row < set.rowCount; ++row)
    {
        for (int j = 0; j < set.directionsPerRow[row]; ++j)
        {
            for (const std::vector<double>* taps :
                 {&set.directions[row][j].left, &set.directions[row][j].right})
            {
                const std::vector<double> magnitude =
                    MagnitudeSpectrum(taps->data(), kHrirTapCount, kSize);
                for (int k = lowBin; k <= highBin; ++k)
                {
                    power += magnitude[k] * magnitude[k];
                    ++bins;
                }
                speechPeak =
                    std::max(speechPeak, ConvolutionPeak(probe, taps->data(), kHrirTapCount));
            }
        }
    }
    summary.speechBandLevel = bins > 0 ? std::sqrt(power / bins) : 0.0;
    if (!(summary.speechBandLevel > 0.0) || !(speechPeak > 0.0))
    {
        why = "every measured response is silent";
        return false;
    }
    summary.scale = kHrirUnityTap / summary.speechBandLevel;
    const double peakAtScale = speechPeak / summary.speechBandLevel;
    summary.speechPeakLimited = peakAtScale > kSpeechPeakCeiling;
    if (summary.speechPeakLimited)
    {
        summary.scale *= kSpeechPeakCeiling / peakAtScale;
    }
    return true;
}

void ApplyScale(HrirSet& set, double scale)
{
    for (int row = 0; row < set.rowCount; ++row)
    {
        for (int j = 0; j < set.directionsPerRow[row]; ++j)
        {
            HrirDirection& d = set.directions[row][j];
            for (int k = 0; k < kHrirTapCount; ++k)
            {
                d.left[k] *= scale;
                d.right[k] *= scale;
            }
        }
    }
}

} // namespace

bool BuildHrirSetFromMeasurements(const MeasuredHrir& measured,
                                  const HrirConversionOptions& options, HrirSet& set,
                                  HrirConversionSummary& summary, std::string& why)
{
    summary = HrirConversionSummary{};
    summary.notes = measured.notes;
    if (!CheckMeasurements(measured, why))
    {
        return false;
    }
    summary.measuredDirections = static_cast<int>(measured.directions.size());
    HrirGrid grid;
    if (!FitMeasurementsToGrid(measured, grid, summary, why))
    {
        return false;
    }
    const std::vector<size_t> used = UsedMeasurements(grid);
    const int shift = RemoveCommonDelay(measured, used, summary);
    const std::vector<double> equaliser = options.equalise
                                              ? DesignSetEqualiser(measured, used, shift, summary)
                                              : std::vector<double>{};
    auto built = std::make_unique<HrirSet>();
    FillGrid(measured, grid, shift, equaliser, *built);
    if (!ChooseScale(*built, summary, why))
    {
        return false;
    }
    ApplyScale(*built, summary.scale);
    if (!CheckHrirSet(*built, why))
    {
        return false;
    }
    summary.stats = MeasureHrirSet(*built, true);
    set = std::move(*built);
    return true;
}

} // namespace yumo
