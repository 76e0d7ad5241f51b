// The measured head shipped with libmysofa, converted and rendered: the geometry must come out
// the right way round (left is left), with the interaural differences intact.

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>

#include "audio/renderer.h"
#include "common/results.h"
#include "support/test_support.h"
#include "tools/hrir/hrir_measured.h"

namespace yumo
{
namespace
{

const char* const kKemarPath = "/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa";

struct EarSignals
{
    std::vector<double> left;
    std::vector<double> right;
};

// A click in the middle of a clip, rendered block by block at one position.
EarSignals RenderClick(const HrirSet& set, double azimuth)
{
    std::vector<int16_t> clip(8192, 0);
    clip[3000] = 20000;
    int16_t overlapLeft[kFramesPerBlock] = {};
    int16_t overlapRight[kFramesPerBlock] = {};
    int16_t block[2 * kFramesPerBlock];
    EarSignals ears;
    for (int64_t start = 0; start + kRenderWindowSamples <= static_cast<int64_t>(clip.size());
         start += kFramesPerBlock)
    {
        RenderBinauralBlock(set, clip.data(), clip.size(), start, azimuth, 0.0, 0.3, 0.3,
                            overlapLeft, overlapRight, block);
        for (int n = 0; n < kFramesPerBlock; ++n)
        {
            ears.left.push_back(block[2 * n]);
            ears.right.push_back(block[2 * n + 1]);
        }
    }
    return ears;
}

double EnergyDb(const std::vector<double>& signal)
{
    double energy = 0.0;
    for (double v : signal)
    {
        energy += v * v;
    }
    return 10.0 * std::log10(energy);
}

// First sample reaching a quarter of the signal's own peak.
int Arrival(const std::vector<double>& signal)
{
    double peak = 0.0;
    for (double v : signal)
    {
        peak = std::max(peak, std::fabs(v));
    }
    for (size_t n = 0; n < signal.size(); ++n)
    {
        if (std::fabs(signal[n]) >= 0.25 * peak)
        {
            return static_cast<int>(n);
        }
    }
    return -1;
}

class KemarHead : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // Converted with the same function as "yumo-tool hrir from-sofa", into a temporary
        // folder, and loaded from there as the program loads its set.
        ASSERT_TRUE(std::filesystem::exists(kKemarPath))
            << kKemarPath << " is missing: install libmysofa1";
        HrirSet converted;
        HrirConversionSummary summary;
        std::string why;
        ASSERT_TRUE(
            ConvertSofaToHrirSet(kKemarPath, HrirConversionOptions{}, converted, summary, why))
            << why;
        test::TempDir dir;
        std::filesystem::create_directory(dir / "hrtf");
        ASSERT_TRUE(WriteHrirSetFile(converted, dir / "hrtf" / "head01.bir"));
        set_ = new HrirSet;
        summary_ = new HrirConversionSummary(summary);
        CapturingReporter reporter;
        ASSERT_EQ(LoadHrirSet(*set_, dir.path(), reporter), kOk);
        ready_ = true;
    }
    void SetUp() override { ASSERT_TRUE(ready_) << "the measured head could not be converted"; }
    static void TearDownTestSuite()
    {
        delete set_;
        delete summary_;
    }
    static HrirSet* set_;
    static HrirConversionSummary* summary_;
    static bool ready_;
};

HrirSet* KemarHead::set_ = nullptr;
HrirConversionSummary* KemarHead::summary_ = nullptr;
bool KemarHead::ready_ = false;

TEST_F(KemarHead, GridHasFourteenRowsFromMinusFortyToTheZenith)
{
    ASSERT_EQ(set_->rowCount, 14);
    EXPECT_EQ(set_->directions[0][0].elevation, -40);
    EXPECT_EQ(set_->directions[13][0].elevation, 90);
    EXPECT_EQ(set_->directionsPerRow[4], 72); // ear level: every 5 degrees
    EXPECT_EQ(set_->directionsPerRow[13], 1);
    EXPECT_TRUE(summary_->zenithMeasured);
}

TEST_F(KemarHead, SourceOnTheLeftArrivesEarlierAndLouderAtTheLeftEar)
{
    const EarSignals ears = RenderClick(*set_, 90.0);
    EXPECT_GT(EnergyDb(ears.left) - EnergyDb(ears.right), 6.0);
    EXPECT_GE(Arrival(ears.right) - Arrival(ears.left), 15); // about 0.6 ms at 44.1 kHz
}

TEST_F(KemarHead, SourceOnTheRightArrivesEarlierAndLouderAtTheRightEar)
{
    const EarSignals ears = RenderClick(*set_, 270.0);
    EXPECT_GT(EnergyDb(ears.right) - EnergyDb(ears.left), 6.0);
    EXPECT_GE(Arrival(ears.left) - Arrival(ears.right), 15);
}

TEST_F(KemarHead, SourceInFrontReachesBothEarsAlike)
{
    const EarSignals ears = RenderClick(*set_, 0.0);
    EXPECT_LT(std::fabs(EnergyDb(ears.left) - EnergyDb(ears.right)), 1.0);
    EXPECT_LE(std::abs(Arrival(ears.left) - Arrival(ears.right)), 1);
}

TEST_F(KemarHead, FullScaleSpeechStaysBelowTheCeilingEverywhere)
{
    EXPECT_LE(summary_->stats.speechPeak, kSpeechPeakCeiling + 1e-9);
    EXPECT_GT(summary_->stats.speechPeak, 0.5 * kSpeechPeakCeiling); // not needlessly quiet
    EXPECT_GT(summary_->stats.sideSpeechGain, summary_->stats.frontSpeechGain);
}

} // namespace
} // namespace yumo
