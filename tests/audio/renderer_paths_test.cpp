// Every vector path the CPU supports gives the scalar definition's output bit for bit: on
// random, loud and moving-source input over many blocks, and in the convolution kernels
// themselves, including the sign of zero results and responses holding infinities.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "audio/convolve_kernels.h"
#include "audio/render_steps.h"
#include "audio/renderer.h"
#include "audio/renderer_test_support.h"

namespace yumo
{
namespace
{

using test::MakeRandomClip;
using test::MakeRandomSet;
using test::RenderPosition;
using test::RenderStream;

// A wandering source: azimuth drifting through and past 0-360, elevation from below the
// lowest row to above the zenith, distance inside and beyond the reference.
std::vector<RenderPosition> MovingPositions(uint32_t seed, int count)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> step(-25.0, 25.0);
    std::vector<RenderPosition> positions;
    RenderPosition p{90.0, -40.0, 0.3, 0.3};
    for (int i = 0; i < count; ++i)
    {
        p.azimuth = std::fmod(p.azimuth + step(random) + 380.0, 400.0) - 20.0;
        p.elevation = std::fmod(p.elevation + step(random) + 160.0, 200.0) - 60.0;
        p.distance = 0.05 + std::abs(std::fmod(p.distance + step(random) / 20.0, 2.0));
        p.reference = (i / 10) % 2 == 0 ? 0.3 : 1.0;
        positions.push_back(p);
    }
    return positions;
}

class VectorPathTest : public ::testing::TestWithParam<VectorPath>
{
protected:
    void SetUp() override
    {
        if (!IsVectorPathSupported(GetParam()))
        {
            GTEST_SKIP() << VectorPathName(GetParam()) << " not supported by this CPU";
        }
    }
};

TEST_P(VectorPathTest, MatchesScalarOnRandomMovingInput)
{
    const HrirSet set = MakeRandomSet(1, 15000.0);
    const int blocks = 120;
    const std::vector<int16_t> clip = MakeRandomClip(2, blocks * 512 - 300, 6000.0);
    const std::vector<RenderPosition> positions = MovingPositions(3, blocks);
    const std::vector<int16_t> expected =
        RenderStream(RenderBinauralBlockScalar, set, clip, positions);
    const std::vector<int16_t> actual =
        RenderStream(test::RenderOnPath(GetParam()), set, clip, positions);
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t n = 0; n < expected.size(); ++n)
    {
        ASSERT_EQ(actual[n], expected[n]) << "sample " << n;
    }
}

TEST_P(VectorPathTest, MatchesScalarOnLoudInput)
{
    // Responses whose sums reach many times full scale and a source near full scale: the
    // 64-bit conversion, the saturation and the final clamp all come into play.
    const HrirSet set = MakeRandomSet(4, 400000.0);
    const int blocks = 60;
    const std::vector<int16_t> clip = MakeRandomClip(5, blocks * 512, 30000.0);
    const std::vector<RenderPosition> positions = MovingPositions(6, blocks);
    const std::vector<int16_t> expected =
        RenderStream(RenderBinauralBlockScalar, set, clip, positions);
    const std::vector<int16_t> actual =
        RenderStream(test::RenderOnPath(GetParam()), set, clip, positions);
    size_t saturated = 0;
    for (size_t n = 0; n < expected.size(); ++n)
    {
        ASSERT_EQ(actual[n], expected[n]) << "sample " << n;
        saturated += expected[n] == 32767 || expected[n] == -32768;
    }
    EXPECT_GT(saturated, expected.size() / 10); // the input really was loud
}

TEST_P(VectorPathTest, MatchesScalarWithNonFiniteAndSignedZeroTaps)
{
    HrirSet set = MakeRandomSet(7, 20000.0);
    // Infinities and NaN in taps that the first outputs of a block never reach: a kernel that
    // let its leading zeros multiply them would produce NaN there.
    for (HrirDirection* d : {&set.directions[0][0], &set.directions[1][3], &set.directions[3][0]})
    {
        d->left[127] = std::numeric_limits<double>::infinity();
        d->left[64] = -0.0;
        d->right[100] = std::numeric_limits<double>::quiet_NaN();
        d->right[126] = -std::numeric_limits<double>::infinity();
    }
    std::vector<int16_t> clip = MakeRandomClip(8, 30 * 512, 8000.0);
    std::fill(clip.begin() + 2048, clip.begin() + 4096, int16_t{0}); // silent stretch
    const std::vector<RenderPosition> positions = MovingPositions(9, 30);
    EXPECT_EQ(RenderStream(test::RenderOnPath(GetParam()), set, clip, positions),
              RenderStream(RenderBinauralBlockScalar, set, clip, positions));
}

TEST_P(VectorPathTest, ASilentWindowDrainsTheOverlapWhateverTheTapsHold)
{
    // Loud blocks through finite taps fill the overlap buffers; the silent windows after them
    // are rendered through taps holding infinities and NaN, which the definition's sums turn
    // into NaN and the rescaling into 0.
    std::vector<double> finite = test::OneTap(60000.0);
    finite[9] = -25000.0;
    std::vector<double> broken = test::OneTap(std::numeric_limits<double>::infinity());
    broken[3] = std::numeric_limits<double>::quiet_NaN();
    const HrirSet set = test::MakeSet({{0, {{0, finite, finite}, {180, broken, broken}}}});
    std::vector<int16_t> clip = MakeRandomClip(11, 1024, 12000.0);
    clip.resize(4 * 512, 0);
    const std::vector<RenderPosition> positions = {
        {0, 0, 0.3, 0.3}, {0, 0, 0.3, 0.3}, {180, 0, 0.3, 0.3}, {180, 0, 0.3, 0.3}};
    const std::vector<int16_t> expected =
        RenderStream(RenderBinauralBlockScalar, set, clip, positions);
    EXPECT_EQ(RenderStream(test::RenderOnPath(GetParam()), set, clip, positions), expected);
    EXPECT_NE(std::count(expected.begin() + 2048, expected.begin() + 3072, int16_t{0}), 1024);
}

// The kernel against ConvolveBlock followed by the gain, compared as bit patterns (so +0 and
// -0 differ).
void ExpectKernelMatches(VectorPath path, const std::vector<double>& x,
                         const std::vector<double>& left, const std::vector<double>& right,
                         double gain)
{
    std::vector<double> padded(render::kPaddedLength, 0.0);
    std::copy(x.begin(), x.end(), padded.begin() + render::kLeadingZeros);
    std::vector<double> yLeft(1024), yRight(1024);
    switch (path)
    {
    case VectorPath::Sse2:
        render::ConvolveEarsSse2(padded.data(), left.data(), right.data(), gain, yLeft.data(),
                                 yRight.data());
        break;
    case VectorPath::Avx2:
        render::ConvolveEarsAvx2(padded.data(), left.data(), right.data(), gain, yLeft.data(),
                                 yRight.data());
        break;
    case VectorPath::Avx512:
        render::ConvolveEarsAvx512(padded.data(), left.data(), right.data(), gain, yLeft.data(),
                                   yRight.data());
        break;
    }
    std::vector<double> expectedLeft(1151), expectedRight(1151);
    ConvolveBlock(x.data(), left.data(), expectedLeft.data());
    ConvolveBlock(x.data(), right.data(), expectedRight.data());
    for (int i = 0; i < 1024; ++i)
    {
        double l = expectedLeft[i] * gain;
        double r = expectedRight[i] * gain;
        ASSERT_EQ(std::memcmp(&yLeft[i], &l, sizeof l), 0)
            << "left " << i << ": " << yLeft[i] << " vs " << l;
        ASSERT_EQ(std::memcmp(&yRight[i], &r, sizeof r), 0)
            << "right " << i << ": " << yRight[i] << " vs " << r;
    }
}

TEST_P(VectorPathTest, KernelMatchesTheOrderedSumBitForBit)
{
    std::mt19937 random(10);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> x(1024), left(128), right(128);
    for (double& v : x)
    {
        v = noise(random) * 9000.0;
    }
    for (int t = 0; t < 128; ++t)
    {
        left[t] = noise(random) * 30000.0;
        right[t] = noise(random) * 1e-3; // small taps: every last bit of the sum matters
    }
    ExpectKernelMatches(GetParam(), x, left, right, 1.0);
    ExpectKernelMatches(GetParam(), x, left, right, static_cast<double>(DistanceGain(0.7, 0.3)));
    ExpectKernelMatches(GetParam(), x, left, right, 0.0);
}

TEST_P(VectorPathTest, KernelKeepsTheSignOfZeroSums)
{
    // x: silence with -0.0 (a negative sample under w[1023] = 0) and a few isolated values;
    // negative taps turn the zeros into -0.0 products. The definition's sum starts at +0.0, so
    // every all-zero output is +0.0, while a sum started from its first product (+0 x -1) would
    // end as -0.0.
    std::vector<double> x(1024, 0.0), left(128), right(128);
    x[1023] = -0.0;
    x[0] = -0.0;
    x[700] = -3.0;
    x[701] = 3.0;
    for (int t = 0; t < 128; ++t)
    {
        left[t] = -1.0 - t;
        right[t] = t % 2 == 0 ? -0.0 : 2.0;
    }
    ExpectKernelMatches(GetParam(), x, left, right, 1.0);
    ExpectKernelMatches(GetParam(), x, left, right, 0.25);

    // Infinite taps beyond the first outputs' reach: masked, never multiplied by zeros.
    std::vector<double> infinite(128, 1.0);
    infinite[127] = std::numeric_limits<double>::infinity();
    infinite[90] = -std::numeric_limits<double>::infinity();
    std::vector<double> ramp(1024);
    for (int k = 0; k < 1024; ++k)
    {
        ramp[k] = k + 1.0;
    }
    ExpectKernelMatches(GetParam(), ramp, infinite, right, 1.0);
}

// The vector mixing replaces the divisions by 65538 and 1.25 with multiplications; it must
// still give the scalar result for every quotient, at the division's boundaries, with any
// overlap value.
TEST(MixBlockHalvesAvx2Test, MatchesScalarForEveryQuotient)
{
    if (!IsVectorPathSupported(VectorPath::Avx2))
    {
        GTEST_SKIP() << "AVX2 not supported by this CPU";
    }
    // y values just at, inside and just beyond each multiple of 65538, for every quotient.
    const double offsets[] = {0.0, 0.5, 65537.75, -0.25, 65537.999, -65537.999};
    std::vector<double> values;
    for (int64_t q = -32769; q <= 32768; ++q)
    {
        for (double offset : offsets)
        {
            values.push_back(static_cast<double>(q * 65538) + offset);
        }
    }
    const double special[] = {3.1e9,
                              -3.1e9,
                              1e300,
                              -1e300,
                              -0.0,
                              0.0,
                              std::numeric_limits<double>::infinity(),
                              -std::numeric_limits<double>::infinity(),
                              std::numeric_limits<double>::quiet_NaN()};
    values.insert(values.end(), std::begin(special), std::end(special));
    std::mt19937 random(12);
    std::uniform_int_distribution<int> overlapValue(-32768, 32767);
    const int16_t edges[] = {-32768, -32767, -1, 0, 1, 32766, 32767};
    for (size_t begin = 0; begin < values.size(); begin += 2048)
    {
        std::vector<double> yLeft(1024), yRight(1024);
        for (size_t n = 0; n < 1024; ++n)
        {
            yLeft[n] = values[(begin + n) % values.size()];
            yRight[n] = values[(begin + 1024 + n) % values.size()];
        }
        std::vector<int16_t> overlap(1024);
        for (size_t n = 0; n < overlap.size(); ++n)
        {
            overlap[n] = n % 3 == 0 ? edges[(begin / 2048 + n) % 7]
                                    : static_cast<int16_t>(overlapValue(random));
        }
        std::vector<int16_t> expectedOverlap = overlap, expected(1024);
        std::vector<int16_t> actualOverlap = overlap, actual(1024);
        render::MixBlockHalves(yLeft.data(), yRight.data(), expectedOverlap.data(),
                               expectedOverlap.data() + 512, expected.data());
        render::MixBlockHalvesAvx2(yLeft.data(), yRight.data(), actualOverlap.data(),
                                   actualOverlap.data() + 512, actual.data());
        ASSERT_EQ(actual, expected) << "values from " << begin;
        ASSERT_EQ(actualOverlap, expectedOverlap) << "values from " << begin;
    }
}

INSTANTIATE_TEST_SUITE_P(EveryPath, VectorPathTest,
                         ::testing::Values(VectorPath::Sse2, VectorPath::Avx2, VectorPath::Avx512),
                         [](const ::testing::TestParamInfo<VectorPath>& tested) {
                             return std::string(VectorPathName(tested.param));
                         });

TEST(VectorPathSelectionTest, FastestPathIsSupportedAndUsedByDefault)
{
    const VectorPath fastest = FastestVectorPath();
    EXPECT_TRUE(IsVectorPathSupported(fastest));
    EXPECT_TRUE(IsVectorPathSupported(VectorPath::Sse2));
    if (IsVectorPathSupported(VectorPath::Avx512))
    {
        EXPECT_EQ(fastest, VectorPath::Avx512);
    }
    else if (IsVectorPathSupported(VectorPath::Avx2))
    {
        EXPECT_EQ(fastest, VectorPath::Avx2);
    }
    // What the machine offers, for the test log.
    std::printf("vector paths: sse2 avx2=%d avx512=%d, fastest %s\n",
                IsVectorPathSupported(VectorPath::Avx2), IsVectorPathSupported(VectorPath::Avx512),
                VectorPathName(fastest));
}

} // namespace
} // namespace yumo
