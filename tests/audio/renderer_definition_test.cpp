// Block-by-block rendering against the definition evaluated frame by frame, without overlap
// buffers: frame m of call b = clamp(Q(y_b[m]) / 1.25 + trunc(Q(y_(b-1)[m + 512]) / 1.25)),
// where y_b is call b's windowed block convolved with its direction's response and gained.

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

#include "audio/renderer.h"
#include "audio/renderer_test_support.h"

namespace yumo
{
namespace
{

using test::RenderPosition;

struct Oracle
{
    const HrirSet& set;
    const std::vector<int16_t>& clip;
    const std::vector<RenderPosition>& positions;

    double Sample(int64_t index) const
    {
        return index >= 0 && index < static_cast<int64_t>(clip.size()) ? clip[index] : 0;
    }

    // y_b[i] for 0 <= i < 1024.
    double Convolution(int b, int i, bool leftEar) const
    {
        const RenderPosition& p = positions[b];
        HrirIndex index = FindHrirDirection(set, p.azimuth, p.elevation);
        const HrirDirection& d = set.directions[index.row][index.column];
        const std::vector<double>& h = leftEar ? d.left : d.right;
        const double* w = CrossfadeWindow();
        double sum = 0.0;
        for (int k = std::max(0, i - 127); k <= i; ++k)
        {
            sum += Sample(512LL * b + k) * w[k] * h[i - k];
        }
        float ratio = static_cast<float>(p.distance / p.reference);
        float square = ratio * ratio;
        float gain = std::min(1.0f, 1.0f / square);
        return sum * gain;
    }

    static double Quotient(double y)
    {
        int64_t q = static_cast<int64_t>(y) / 65538;
        return static_cast<double>(std::clamp<int64_t>(q, -32768, 32767));
    }

    int16_t Frame(int b, int m, bool leftEar) const
    {
        double carried = 0.0;
        if (b > 0)
        {
            carried = std::trunc(Quotient(Convolution(b - 1, m + 512, leftEar)) / 1.25);
        }
        double value = Quotient(Convolution(b, m, leftEar)) / 1.25 + carried;
        return static_cast<int16_t>(std::clamp(value, -32768.0, 32767.0));
    }
};

class RendererDefinitionTest : public ::testing::TestWithParam<bool>
{
};

TEST_P(RendererDefinitionTest, BlocksEqualTheDefinitionFrameByFrame)
{
    const HrirSet set = test::MakeRandomSet(31, 60000.0);
    const std::vector<int16_t> clip = test::MakeRandomClip(32, 5 * 512 + 200, 9000.0);
    const std::vector<RenderPosition> positions = {{90, -40, 0.3, 0.3}, {95, -40, 0.3, 0.3},
                                                   {270, 10, 0.6, 0.3}, {359, 45, 0.2, 1.0},
                                                   {0, 90, 1.3, 1.0},   {30, -70, 0.3, 0.3}};
    const std::vector<int16_t> out =
        test::RenderStream(GetParam() ? test::RenderFunction(RenderBinauralBlock)
                                      : test::RenderFunction(RenderBinauralBlockScalar),
                           set, clip, positions);
    const Oracle oracle{set, clip, positions};
    int loud = 0;
    for (int b = 0; b < static_cast<int>(positions.size()); ++b)
    {
        for (int m = 0; m < 512; ++m)
        {
            size_t frame = 512 * static_cast<size_t>(b) + m;
            ASSERT_EQ(out[2 * frame], oracle.Frame(b, m, true)) << "block " << b << " frame " << m;
            ASSERT_EQ(out[2 * frame + 1], oracle.Frame(b, m, false))
                << "block " << b << " frame " << m;
            loud += std::abs(out[2 * frame]) > 10000;
        }
    }
    EXPECT_GT(loud, 100); // the responses carry the source at a real level
}

INSTANTIATE_TEST_SUITE_P(ScalarAndFast, RendererDefinitionTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& tested) {
                             return tested.param ? "Fast" : "Scalar";
                         });

} // namespace
} // namespace yumo
