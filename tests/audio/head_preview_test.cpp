#include <cmath>
#include <gtest/gtest.h>

#include "audio/head_preview.h"
#include "audio/renderer_test_support.h"
#include "common/constants.h"

namespace yumo
{
namespace
{

// Ear level every 90 degrees: the nearer ear hears five times the farther; `gain` scales all.
HrirSet MakeSidedSet(double gain)
{
    const double near = gain * kHrirUnityTap * 0.5;
    const double far = near / 5;
    return test::MakeSet({{0,
                           {{0, test::OneTap(near), test::OneTap(near)},
                            {90, test::OneTap(near), test::OneTap(far)},
                            {180, test::OneTap(near), test::OneTap(near)},
                            {270, test::OneTap(far), test::OneTap(near)}}},
                          {90, {{0, test::OneTap(near), test::OneTap(near)}}}});
}

struct EarLevels
{
    double left = 0;
    double right = 0;
};

EarLevels Levels(const std::vector<int16_t>& stereo, size_t from, size_t frames)
{
    EarLevels levels;
    for (size_t i = from; i < from + frames; ++i)
    {
        levels.left += std::pow(stereo[2 * i], 2);
        levels.right += std::pow(stereo[2 * i + 1], 2);
    }
    levels.left = std::sqrt(levels.left / static_cast<double>(frames));
    levels.right = std::sqrt(levels.right / static_cast<double>(frames));
    return levels;
}

// The rendered output itself: the left direction is louder at the left ear, the right at the
// right, the front even; the chosen set plays first, the current one after it.
TEST(HeadPreview, EachDirectionPlaysFromItsSideChosenSetFirst)
{
    const std::vector<int16_t> phrase = MakeHeadPreviewPhrase();
    ASSERT_EQ(phrase.size(), 26460u);
    const std::vector<int16_t> out =
        RenderHeadComparison(MakeSidedSet(1.0), MakeSidedSet(0.5), phrase);
    ASSERT_EQ(out.size() % (2 * kFramesPerBlock), 0u);
    ASSERT_EQ(out.size() / 2, HeadPreviewOffset(phrase.size(), 2, 0));

    for (int which = 0; which < 2; ++which)
    {
        const EarLevels left =
            Levels(out, HeadPreviewOffset(phrase.size(), which, 0), phrase.size());
        const EarLevels front =
            Levels(out, HeadPreviewOffset(phrase.size(), which, 1), phrase.size());
        const EarLevels right =
            Levels(out, HeadPreviewOffset(phrase.size(), which, 2), phrase.size());
        EXPECT_GT(left.left, 4 * left.right) << which;
        EXPECT_GT(right.right, 4 * right.left) << which;
        EXPECT_NEAR(front.left / front.right, 1.0, 0.01) << which;
        EXPECT_GT(front.left, 500.0);
    }
    const EarLevels chosen = Levels(out, HeadPreviewOffset(phrase.size(), 0, 1), phrase.size());
    const EarLevels current = Levels(out, HeadPreviewOffset(phrase.size(), 1, 1), phrase.size());
    EXPECT_NEAR(current.left / chosen.left, 0.5, 0.02);
    // The gaps between directions are silent.
    const EarLevels gap = Levels(out, HeadPreviewOffset(phrase.size(), 0, 1) - 4096, 4096);
    EXPECT_EQ(gap.left + gap.right, 0.0);
}

} // namespace
} // namespace yumo
