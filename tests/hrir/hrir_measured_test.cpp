// Fitting measured responses to the grid: rounding, thinning, the zenith, onsets, the
// equaliser and the scale.

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "tools/hrir/fourier.h"
#include "tools/hrir/hrir_measured.h"

namespace yumo
{
namespace
{

std::vector<double> Impulse(int at, double value, int length = 256)
{
    std::vector<double> taps(length, 0.0);
    taps[at] = value;
    return taps;
}

MeasuredDirection Direction(double azimuth, double elevation, std::vector<double> left,
                            std::vector<double> right, double distance = 1.0)
{
    return MeasuredDirection{azimuth, elevation, distance, std::move(left), std::move(right)};
}

// Whole-degree rows at 0 and the zenith, impulses everywhere.
MeasuredHrir SimpleMeasurements()
{
    MeasuredHrir measured;
    for (int a = 0; a < 360; a += 90)
    {
        measured.directions.push_back(Direction(a, 0, Impulse(30, 0.5), Impulse(40, 0.25)));
    }
    measured.directions.push_back(Direction(0, 90, Impulse(35, 0.5), Impulse(35, 0.5)));
    return measured;
}

const HrirConversionOptions kRaw{false};

int PeakIndex(const std::vector<double>& taps)
{
    int best = 0;
    for (size_t k = 0; k < taps.size(); ++k)
    {
        if (std::fabs(taps[k]) > std::fabs(taps[best]))
        {
            best = static_cast<int>(k);
        }
    }
    return best;
}

TEST(HrirFromMeasurements, OnsetsKeepTheirDifferencesAfterTheCommonDelayIsRemoved)
{
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(SimpleMeasurements(), kRaw, set, summary, why)) << why;
    EXPECT_EQ(summary.leadingSamplesRemoved, 30 - kOnsetMarginTaps);
    const HrirDirection& front = set.directions[0][0];
    EXPECT_EQ(PeakIndex(front.left), kOnsetMarginTaps);
    EXPECT_EQ(PeakIndex(front.right), kOnsetMarginTaps + 10); // 10 samples later, as measured
    EXPECT_NEAR(front.right[kOnsetMarginTaps + 10] / front.left[kOnsetMarginTaps], 0.5, 1e-12);
    EXPECT_EQ(set.rowCount, 2);
    EXPECT_EQ(set.directions[1][0].elevation, 90);
    EXPECT_TRUE(summary.zenithMeasured);
    EXPECT_EQ(set.leadingValue, 5);
}

TEST(HrirFromMeasurements, TheLastTapsFadeOutSoTheCutDoesNotRing)
{
    MeasuredHrir measured;
    std::vector<double> ringing(400);
    for (size_t k = 30; k < ringing.size(); ++k)
    {
        ringing[k] = std::cos(0.3 * static_cast<double>(k)) *
                     std::exp(-0.005 * (static_cast<double>(k) - 30.0));
    }
    measured.directions.push_back(Direction(0, 90, ringing, ringing));
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, kRaw, set, summary, why)) << why;
    const std::vector<double>& taps = set.directions[0][0].left;
    const double before = std::fabs(taps[100] / std::cos(0.3 * (100 + 22)));
    const double last = std::fabs(taps[127] / std::cos(0.3 * (127 + 22)));
    EXPECT_LT(last, 0.02 * before);
    EXPECT_GT(summary.worstTruncatedEnergy, 0.1); // a long tail was cut, and it is reported
}

TEST(HrirFromMeasurements, AzimuthsRoundToWholeDegreesAndTheNearestOfTwoIsKept)
{
    MeasuredHrir measured = SimpleMeasurements();
    measured.directions.push_back(Direction(9.7, 0, Impulse(31, 0.5), Impulse(41, 0.5)));
    measured.directions.push_back(Direction(10.2, 0.3, Impulse(32, 0.5), Impulse(42, 0.5)));
    measured.directions.push_back(Direction(-0.4, 0, Impulse(33, 0.5), Impulse(43, 0.5)));
    measured.directions.push_back(Direction(359.6, 0, Impulse(34, 0.5), Impulse(44, 0.5)));
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, kRaw, set, summary, why)) << why;
    ASSERT_EQ(set.directionsPerRow[0], 5);
    const int expected[] = {0, 10, 90, 180, 270};
    for (int j = 0; j < 5; ++j)
    {
        EXPECT_EQ(set.directions[0][j].azimuth, expected[j]);
    }
    EXPECT_EQ(PeakIndex(set.directions[0][1].left), 32 - 22); // 10.2 is nearer to 10 than 9.7
    EXPECT_EQ(PeakIndex(set.directions[0][0].left), 30 - 22); // 0 exactly beats -0.4 and 359.6
    EXPECT_EQ(summary.droppedDuplicateAzimuths, 3);
}

TEST(HrirFromMeasurements, CrowdedRowsAreThinnedEvenlyToSeventyFive)
{
    MeasuredHrir measured;
    for (int a = 0; a < 360; a += 3) // 120 directions
    {
        measured.directions.push_back(Direction(a, -10, Impulse(30, 0.5), Impulse(30, 0.5)));
    }
    measured.directions.push_back(Direction(0, 90, Impulse(30, 0.5), Impulse(30, 0.5)));
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, kRaw, set, summary, why)) << why;
    ASSERT_EQ(set.directionsPerRow[0], kMaxHrirDirectionsPerRow);
    EXPECT_EQ(summary.droppedByThinning, 120 - 75);
    EXPECT_EQ(set.directions[0][0].azimuth, 0);
    for (int j = 1; j < kMaxHrirDirectionsPerRow; ++j)
    {
        const int gap = set.directions[0][j].azimuth - set.directions[0][j - 1].azimuth;
        EXPECT_TRUE(gap == 3 || gap == 6) << j;
    }
    EXPECT_GE(set.directions[0][74].azimuth, 354);
}

TEST(HrirFromMeasurements, TooManyElevationsAreThinnedToTwentyRows)
{
    MeasuredHrir measured;
    for (int e = -80; e < 90; e += 5) // 34 elevations below the zenith
    {
        measured.directions.push_back(Direction(0, e, Impulse(30, 0.5), Impulse(30, 0.5)));
    }
    measured.directions.push_back(Direction(0, 90, Impulse(30, 0.5), Impulse(30, 0.5)));
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, kRaw, set, summary, why)) << why;
    EXPECT_EQ(set.rowCount, kMaxHrirRows);
    EXPECT_EQ(set.directions[0][0].elevation, -80);
    EXPECT_EQ(set.directions[kMaxHrirRows - 2][0].elevation, 80);
    EXPECT_EQ(summary.droppedByThinning, 34 - 19);
}

TEST(HrirFromMeasurements, MissingZenithIsTheMeanOfTheHighestRow)
{
    MeasuredHrir measured;
    measured.directions.push_back(Direction(0, 0, Impulse(30, 1.0), Impulse(30, 1.0)));
    measured.directions.push_back(Direction(0, 60, Impulse(30, 0.4), Impulse(32, 0.2)));
    measured.directions.push_back(Direction(180, 60, Impulse(30, 0.2), Impulse(34, 0.6)));
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, kRaw, set, summary, why)) << why;
    ASSERT_EQ(set.rowCount, 3);
    EXPECT_FALSE(summary.zenithMeasured);
    const HrirDirection& top = set.directions[2][0];
    EXPECT_EQ(top.elevation, 90);
    for (int k = 0; k < kHrirTapCount; ++k)
    {
        EXPECT_NEAR(top.left[k], (set.directions[1][0].left[k] + set.directions[1][1].left[k]) / 2,
                    1e-9);
        EXPECT_NEAR(top.right[k],
                    (set.directions[1][0].right[k] + set.directions[1][1].right[k]) / 2, 1e-9);
    }
}

TEST(HrirFromMeasurements, OnlyTheMostCommonDistanceIsKept)
{
    MeasuredHrir measured = SimpleMeasurements();
    measured.directions.push_back(Direction(45, 0, Impulse(30, 0.5), Impulse(30, 0.5), 2.0));
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, kRaw, set, summary, why)) << why;
    EXPECT_EQ(set.directionsPerRow[0], 4);
    EXPECT_EQ(summary.droppedOtherDistances, 1);
    EXPECT_DOUBLE_EQ(summary.keptDistance, 1.0);
}

TEST(HrirFromMeasurements, FlatResponsesPlayAtTheSpeechCeiling)
{
    // Pure impulses carry a voice unchanged; at the source's level its full-scale peaks would
    // reach full scale, so the set is lowered to the ceiling.
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(SimpleMeasurements(), kRaw, set, summary, why));
    EXPECT_TRUE(summary.speechPeakLimited);
    EXPECT_NEAR(set.directions[0][0].left[kOnsetMarginTaps], kSpeechPeakCeiling * kHrirUnityTap,
                1e-6 * kHrirUnityTap);
    EXPECT_NEAR(summary.stats.speechPeak, kSpeechPeakCeiling, 1e-9);
    EXPECT_NEAR(summary.stats.maxMagnitude, kSpeechPeakCeiling, 1e-9);
}

TEST(HrirFromMeasurements, QuietSetsAreRaisedToTheSourceLevelOverTheSpeechBand)
{
    // Responses that pass little where vowels are loud (a band around 3.5 kHz) keep speech
    // below the ceiling: the speech band's diffuse-field level then sets the scale alone.
    MeasuredHrir measured;
    std::vector<double> smooth(256, 0.0);
    for (int k = 0; k < 40; ++k)
    {
        const double window = 0.5 - 0.5 * std::cos(2.0 * 3.141592653589793 * k / 40.0);
        smooth[30 + k] = 0.01 * window * std::sin(2.0 * 3.141592653589793 * 3500.0 * k / 44100.0);
    }
    measured.directions.push_back(Direction(0, 0, smooth, smooth));
    measured.directions.push_back(Direction(0, 90, smooth, smooth));
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, kRaw, set, summary, why)) << why;
    EXPECT_FALSE(summary.speechPeakLimited);
    EXPECT_LE(summary.stats.speechPeak, kSpeechPeakCeiling);
    const std::vector<double> magnitude =
        MagnitudeSpectrum(set.directions[0][0].left.data(), kHrirTapCount, 1024);
    double power = 0.0;
    int bins = 0;
    for (int k = 5; k <= 93; ++k) // 200 Hz to 4 kHz
    {
        power += magnitude[k] * magnitude[k] / (kHrirUnityTap * kHrirUnityTap);
        ++bins;
    }
    EXPECT_NEAR(std::sqrt(power / bins), 1.0, 1e-9);
}

TEST(HrirFromMeasurements, EqualisationFlattensWhatEveryDirectionShares)
{
    // Every direction is the same coloured response (a strong resonance near 2.5 kHz and a
    // weak low end), only delayed differently: equalised, each comes out flat.
    std::vector<double> coloured(300, 0.0);
    double y1 = 0.0;
    double y2 = 0.0;
    const double r = 0.9;
    const double theta = 2.0 * 3.141592653589793 * 2500.0 / 44100.0;
    for (int n = 0; n < 270; ++n)
    {
        const double x = (n == 0 ? 1.0 : 0.0) - (n == 1 ? 0.5 : 0.0);
        const double y = x + 2 * r * std::cos(theta) * y1 - r * r * y2;
        y2 = y1;
        y1 = y;
        coloured[30 + n] = 0.05 * y;
    }
    std::vector<double> later(coloured.size(), 0.0);
    std::copy(coloured.begin(), coloured.end() - 6, later.begin() + 6);
    MeasuredHrir measured;
    for (int a = 0; a < 360; a += 60)
    {
        measured.directions.push_back(Direction(a, 0, coloured, later));
    }
    measured.directions.push_back(Direction(0, 90, coloured, coloured));

    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, HrirConversionOptions{}, set, summary, why))
        << why;
    EXPECT_TRUE(summary.equalised);
    EXPECT_GT(summary.equaliserRangeDb, 15.0);
    for (const std::vector<double>* taps :
         {&set.directions[0][0].left, &set.directions[0][3].right})
    {
        const std::vector<double> magnitude = MagnitudeSpectrum(taps->data(), kHrirTapCount, 1024);
        double lowest = INFINITY;
        double highest = 0.0;
        for (int k = 12; k <= 280; ++k) // 500 Hz to 12 kHz
        {
            lowest = std::min(lowest, magnitude[k]);
            highest = std::max(highest, magnitude[k]);
        }
        EXPECT_LT(20.0 * std::log10(highest / lowest), 3.0);
    }
    // The equaliser is the same for every direction, so the 6-sample lag stays.
    EXPECT_EQ(PeakIndex(set.directions[0][0].right) - PeakIndex(set.directions[0][0].left), 6);
}

TEST(HrirFromMeasurements, UnusableMeasurementsAreRefused)
{
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    EXPECT_FALSE(BuildHrirSetFromMeasurements(MeasuredHrir{}, kRaw, set, summary, why));
    EXPECT_EQ(why, "no measured directions");

    MeasuredHrir uneven = SimpleMeasurements();
    uneven.directions[2].right.pop_back();
    EXPECT_FALSE(BuildHrirSetFromMeasurements(uneven, kRaw, set, summary, why));
    EXPECT_NE(why.find("measured direction 2"), std::string::npos);

    MeasuredHrir nowhere = SimpleMeasurements();
    nowhere.directions[1].azimuth = NAN;
    EXPECT_FALSE(BuildHrirSetFromMeasurements(nowhere, kRaw, set, summary, why));

    MeasuredHrir silent = SimpleMeasurements();
    for (MeasuredDirection& d : silent.directions)
    {
        std::fill(d.left.begin(), d.left.end(), 0.0);
        std::fill(d.right.begin(), d.right.end(), 0.0);
    }
    EXPECT_FALSE(BuildHrirSetFromMeasurements(silent, kRaw, set, summary, why));
    EXPECT_NE(why.find("silent"), std::string::npos);
    EXPECT_EQ(set.rowCount, 0); // nothing was built
}

} // namespace
} // namespace yumo
