// Fitting measured responses to the program's grid. Positions are rounded to whole degrees
// (the file stores integers); the responses keep their onset delays - the interaural time
// difference is part of the geometry - and only the delay common to the whole set is removed
// before they are cut to 128 taps.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <numbers>

#include "tools/hrir/fourier.h"
#include "tools/hrir/hrir_measured.h"

namespace yumo
{
namespace
{

constexpr int kZenith = 90;
constexpr double kOnsetThreshold = 0.1; // of a response's own peak

struct Pick
{
    size_t index = 0;
    double deviation = 0.0; // degrees between the measured and the rounded azimuth
};

int RoundedAzimuth(double azimuth, double& deviation)
{
    double wrapped = std::fmod(azimuth, 360.0);
    if (wrapped < 0.0)
    {
        wrapped += 360.0;
    }
    const double rounded = std::round(wrapped);
    deviation = std::fabs(wrapped - rounded);
    return static_cast<int>(rounded) % 360;
}

// Indices 0..kept-1 spread evenly over 0..count-1, first and spacing kept regular.
std::vector<size_t> ThinEvenly(size_t count, size_t kept)
{
    std::vector<size_t> picks;
    for (size_t i = 0; i < kept; ++i)
    {
        picks.push_back(i * count / kept);
    }
    return picks;
}

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

// The distance most directions were measured at (to the centimetre); the others are dropped.
std::vector<size_t> KeepOneDistance(const MeasuredHrir& measured, HrirConversionSummary& summary)
{
    std::map<long, size_t> counts;
    for (const MeasuredDirection& d : measured.directions)
    {
        ++counts[std::lround(d.distance * 100.0)];
    }
    long best = counts.begin()->first;
    for (const auto& [centimetres, count] : counts)
    {
        if (count > counts[best])
        {
            best = centimetres;
        }
    }
    std::vector<size_t> kept;
    for (size_t i = 0; i < measured.directions.size(); ++i)
    {
        if (std::lround(measured.directions[i].distance * 100.0) == best)
        {
            kept.push_back(i);
        }
    }
    summary.keptDistance = best / 100.0;
    summary.droppedOtherDistances = static_cast<int>(measured.directions.size() - kept.size());
    if (counts.size() > 1)
    {
        summary.notes.push_back("measured at " + std::to_string(counts.size()) +
                                " distances; kept the " + std::to_string(kept.size()) +
                                " directions at " + std::to_string(summary.keptDistance) + " m");
    }
    return kept;
}

struct GridRow
{
    int elevation = 0;
    std::vector<std::pair<int, size_t>> directions; // (azimuth, measured index), ascending
};

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

    // Rows by whole-degree elevation; within a row one direction per whole-degree azimuth, the
    // one measured nearest to it.
    std::map<int, std::map<int, Pick>> byElevation;
    for (size_t index : KeepOneDistance(measured, summary))
    {
        const MeasuredDirection& d = measured.directions[index];
        const int elevation = static_cast<int>(std::lround(d.elevation));
        double deviation = 0.0;
        const int azimuth = RoundedAzimuth(d.azimuth, deviation);
        auto& row = byElevation[std::min(elevation, kZenith)];
        auto [it, inserted] = row.try_emplace(azimuth, Pick{index, deviation});
        if (!inserted)
        {
            ++summary.droppedDuplicateAzimuths;
            if (deviation < it->second.deviation)
            {
                it->second = Pick{index, deviation};
            }
        }
    }

    std::vector<GridRow> rows;
    for (const auto& [elevation, picks] : byElevation)
    {
        if (elevation >= kZenith)
        {
            continue;
        }
        GridRow row{elevation, {}};
        for (const auto& [azimuth, pick] : picks)
        {
            row.directions.emplace_back(azimuth, pick.index);
        }
        if (row.directions.size() > static_cast<size_t>(kMaxHrirDirectionsPerRow))
        {
            std::vector<std::pair<int, size_t>> thinned;
            for (size_t i : ThinEvenly(row.directions.size(), kMaxHrirDirectionsPerRow))
            {
                thinned.push_back(row.directions[i]);
            }
            summary.droppedByThinning += static_cast<int>(row.directions.size() - thinned.size());
            summary.notes.push_back("row at elevation " + std::to_string(elevation) +
                                    " thinned from " + std::to_string(row.directions.size()) +
                                    " to " + std::to_string(thinned.size()) + " directions");
            row.directions = std::move(thinned);
        }
        rows.push_back(std::move(row));
    }
    if (rows.size() > static_cast<size_t>(kMaxHrirRows - 1))
    {
        std::vector<GridRow> thinned;
        for (size_t i : ThinEvenly(rows.size(), kMaxHrirRows - 1))
        {
            thinned.push_back(rows[i]);
        }
        summary.notes.push_back(std::to_string(rows.size()) + " elevations thinned to " +
                                std::to_string(thinned.size()) + " rows below the zenith");
        for (const GridRow& row : rows)
        {
            bool kept = false;
            for (const GridRow& keptRow : thinned)
            {
                kept = kept || keptRow.elevation == row.elevation;
            }
            summary.droppedByThinning += kept ? 0 : static_cast<int>(row.directions.size());
        }
        rows = std::move(thinned);
    }

    // The zenith: measured when the set has it (the one at the smallest azimuth if it was
    // measured more than once: all azimuths meet there), otherwise the mean of the highest
    // row, the ring of directions nearest to it.
    const auto zenith = byElevation.find(kZenith);
    summary.zenithMeasured = zenith != byElevation.end();
    if (!summary.zenithMeasured && rows.empty())
    {
        why = "no measured directions remain";
        return false;
    }
    std::vector<size_t> used;
    for (const GridRow& row : rows)
    {
        for (const auto& direction : row.directions)
        {
            used.push_back(direction.second);
        }
    }
    size_t zenithIndex = 0;
    if (summary.zenithMeasured)
    {
        zenithIndex = zenith->second.begin()->second.index;
        used.push_back(zenithIndex);
        summary.droppedDuplicateAzimuths += static_cast<int>(zenith->second.size()) - 1;
    }
    else
    {
        summary.notes.push_back("no measured zenith: made from the mean of the " +
                                std::to_string(rows.back().directions.size()) +
                                " directions at elevation " +
                                std::to_string(rows.back().elevation));
    }

    // One delay common to every response comes off, so 128 taps hold as much of each as they
    // can; differences between ears and directions stay as measured.
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

    std::vector<double> equaliser;
    if (options.equalise)
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
        equaliser = DesignDiffuseFieldEqualiser(responses, summary.equaliserRangeDb);
        summary.equalised = true;
    }
    // The measured response, equalised as far as the 128 kept taps reach, then cut.
    auto prepare = [&](const std::vector<double>& raw) {
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
    };

    auto built = std::make_unique<HrirSet>();
    auto fill = [&](HrirDirection& direction, int azimuth, int elevation, size_t index) {
        direction.azimuth = azimuth;
        direction.elevation = elevation;
        direction.tapCount = kHrirTapCount;
        direction.left = prepare(measured.directions[index].left);
        direction.right = prepare(measured.directions[index].right);
    };
    int directions = 0;
    for (const GridRow& row : rows)
    {
        const int r = static_cast<int>(built->directionsPerRow.size());
        for (size_t j = 0; j < row.directions.size(); ++j)
        {
            fill(built->directions[r][j], row.directions[j].first, row.elevation,
                 row.directions[j].second);
        }
        built->directionsPerRow.push_back(static_cast<int32_t>(row.directions.size()));
        directions += static_cast<int>(row.directions.size());
    }
    const int zenithRow = static_cast<int>(built->directionsPerRow.size());
    HrirDirection& top = built->directions[zenithRow][0];
    if (summary.zenithMeasured)
    {
        fill(top, zenith->second.begin()->first, kZenith, zenithIndex);
    }
    else
    {
        const GridRow& ring = rows.back();
        top = HrirDirection{0, kZenith, kHrirTapCount, std::vector<double>(kHrirTapCount, 0.0),
                            std::vector<double>(kHrirTapCount, 0.0)};
        for (size_t j = 0; j < ring.directions.size(); ++j)
        {
            const HrirDirection& source = built->directions[zenithRow - 1][j];
            for (int k = 0; k < kHrirTapCount; ++k)
            {
                top.left[k] += source.left[k] / static_cast<double>(ring.directions.size());
                top.right[k] += source.right[k] / static_cast<double>(ring.directions.size());
            }
        }
    }
    built->directionsPerRow.push_back(1);
    built->rowCount = zenithRow + 1;
    built->leadingValue = directions + 1; // the direction count; nothing reads it

    if (!ChooseScale(*built, summary, why))
    {
        return false;
    }
    for (int row = 0; row < built->rowCount; ++row)
    {
        for (int j = 0; j < built->directionsPerRow[row]; ++j)
        {
            HrirDirection& d = built->directions[row][j];
            for (int k = 0; k < kHrirTapCount; ++k)
            {
                d.left[k] *= summary.scale;
                d.right[k] *= summary.scale;
            }
        }
    }
    if (!CheckHrirSet(*built, why))
    {
        return false;
    }
    summary.stats = MeasureHrirSet(*built, true);
    set = std::move(*built);
    return true;
}

} // namespace yumo
