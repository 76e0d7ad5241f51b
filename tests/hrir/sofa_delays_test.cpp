// Measured heads whose broadband delays are stored apart from the responses (Data.Delay), as
// real sets store them: per direction and ear, or slightly negative. The small sets in
// tests/data/sofa are written by scripts/make_test_sofa.py; each response is a click at tap 10
// behind its delay, the far ear's delay up to 12 samples (at the set's rate) longer.

#include <cmath>
#include <gtest/gtest.h>

#include "tools/hrir/hrir_measured.h"

namespace yumo
{
namespace
{

std::filesystem::path SofaFixture(const char* name)
{
    return std::filesystem::path(YUMO_TEST_DATA_DIR) / "sofa" / name;
}

int PeakIndex(const std::vector<double>& taps)
{
    size_t best = 0;
    for (size_t k = 0; k < taps.size(); ++k)
    {
        best = std::fabs(taps[k]) > std::fabs(taps[best]) ? k : best;
    }
    return static_cast<int>(best);
}

// Right-ear peak minus left-ear peak, in samples, of the ear-level direction at `azimuth`.
int InterauralLag(const HrirSet& set, int azimuth)
{
    for (int j = 0; j < set.directionsPerRow[0]; ++j)
    {
        const HrirDirection& d = set.directions[0][static_cast<size_t>(j)];
        if (d.azimuth == azimuth)
        {
            return PeakIndex(d.right) - PeakIndex(d.left);
        }
    }
    ADD_FAILURE() << "no direction at azimuth " << azimuth;
    return 0;
}

const HrirConversionOptions kRaw{false};

TEST(SofaDelays, DelaysPerDirectionAndEarArePlacedAndPaddedToOneLength)
{
    MeasuredHrir measured;
    std::string why;
    ASSERT_TRUE(ReadSofaMeasurements(SofaFixture("delays_per_measurement.sofa"), measured, why))
        << why;
    ASSERT_EQ(measured.directions.size(), 9u);
    for (const MeasuredDirection& d : measured.directions)
    {
        EXPECT_EQ(d.left.size(), 212u); // 200 taps behind delays of 0 to 12, earliest 6 gone
        EXPECT_EQ(d.right.size(), 212u);
    }

    HrirSet set;
    HrirConversionSummary summary;
    ASSERT_TRUE(BuildHrirSetFromMeasurements(measured, kRaw, set, summary, why)) << why;
    EXPECT_EQ(InterauralLag(set, 90), 12);   // on the left: the right ear hears it later
    EXPECT_EQ(InterauralLag(set, 270), -12); // and the other way round
    EXPECT_EQ(InterauralLag(set, 0), 0);
}

TEST(SofaDelays, NegativeDelaysAreShiftedAndScaledOnceToTheNewRate)
{
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    ASSERT_TRUE(
        ConvertSofaToHrirSet(SofaFixture("negative_delays_48k.sofa"), kRaw, set, summary, why))
        << why;
    // 12 samples at 48 kHz are 11.0 at 44.1 kHz.
    EXPECT_EQ(InterauralLag(set, 90), 11);
    EXPECT_EQ(InterauralLag(set, 270), -11);
    bool moved = false;
    for (const std::string& note : summary.notes)
    {
        moved = moved || note.find("delays moved by +0.85") != std::string::npos;
    }
    EXPECT_TRUE(moved);
}

TEST(SofaDelays, DelaysThatSpanMoreThanCanBePlacedAreRefused)
{
    HrirSet set;
    HrirConversionSummary summary;
    std::string why;
    EXPECT_FALSE(
        ConvertSofaToHrirSet(SofaFixture("delays_beyond_reach.sofa"), kRaw, set, summary, why));
    EXPECT_NE(why.find("delays span 5000.00 samples"), std::string::npos) << why;
}

} // namespace
} // namespace yumo
