#include <gtest/gtest.h>
#include <memory>

#include "display/character_tick.h"

namespace yumo
{
namespace
{

class CharacterTickTest : public ::testing::Test
{
protected:
    void SetUp() override { state_ = CreateAppState(reporter_); }

    CharacterAnimation& Animation() { return state_->character; }

    SilentReporter reporter_;
    std::unique_ptr<AppState> state_;
};

TEST_F(CharacterTickTest, AsleepTheStateFacingAndRollOverPickTheAnimation)
{
    struct Case
    {
        int state, facing, rolledOver, animation;
    };
    for (const Case c : {Case{4, 0, 0, 24}, Case{4, 1, 0, 64}, Case{14, 1, 0, 74},
                         Case{5, 0, 1, 50}, Case{9, 1, 1, 51}})
    {
        state_->behaviourState = c.state;
        state_->sleep.facing = c.facing;
        state_->sleep.rolledOver = c.rolledOver;
        AdvanceCharacterTick(*state_);
        EXPECT_EQ(Animation().currentAnimation, c.animation) << c.state;
        EXPECT_EQ(Animation().playing, 1);
    }
    EXPECT_EQ(state_->rng.state, 1u); // asleep, the tick draws nothing

    Animation().tickCounter = 19999;
    AdvanceCharacterTick(*state_);
    EXPECT_EQ(Animation().tickCounter, 0);
}

TEST_F(CharacterTickTest, BeforeSleepEachTickDrawsOnceUntilAnIdleAnimationStarts)
{
    Rng oracle;
    int started = 0;
    for (int tick = 0; tick < 3000 && started == 0; ++tick)
    {
        AdvanceCharacterTick(*state_);
        const int r = DrawRandom(oracle) % 1000;
        started = r == 100 ? 3 : r == 900 ? 2 : r > 990 ? 1 : 0;
        ASSERT_EQ(Animation().playing, started != 0 ? 1 : 0) << tick;
    }
    ASSERT_NE(started, 0);
    EXPECT_EQ(Animation().currentAnimation, started);
    AdvanceCharacterTick(*state_); // a running idle animation is not interrupted, nor drawn for
    EXPECT_EQ(state_->rng.state, oracle.state);
}

TEST_F(CharacterTickTest, SelectionFindsTheFirstStepThatReachesTheProgress)
{
    Animation().playing = 1;
    Animation().currentAnimation = 7;
    Animation().stepPicture[7] = {};
    Animation().stepPicture[7][0] = 3;
    Animation().stepPicture[7][1] = 4;
    Animation().stepEnd[7][0] = 0.5f;
    Animation().stepEnd[7][1] = 1.0f;
    EXPECT_EQ(SelectCharacterPicture(Animation(), 0.0f), 3);
    EXPECT_EQ(SelectCharacterPicture(Animation(), 0.5f), 3);
    EXPECT_EQ(SelectCharacterPicture(Animation(), 0.51f), 4);
    EXPECT_EQ(Animation().playing, 1);
    Animation().stepCounter = 12;
    EXPECT_EQ(SelectCharacterPicture(Animation(), 1.0f), 4); // shown, and the animation ends
    EXPECT_EQ(Animation().playing, 0);
    EXPECT_EQ(Animation().stepCounter, 0);
    EXPECT_EQ(SelectCharacterPicture(Animation(), 0.5f), 0); // the resting picture
    Animation().playing = 1;
    Animation().stepPicture[7][127] = 9;
    EXPECT_EQ(SelectCharacterPicture(Animation(), 2.0f), 9); // the search stops at step 127
}

TEST_F(CharacterTickTest, SelfTimedAnimationsShowDurationPlusOnePaints)
{
    state_->behaviourState = kStateNotAsleep;
    Animation().playing = 1;
    Animation().currentAnimation = 2;
    Animation().duration[2] = 4;
    for (int step = 0; step <= 4; ++step)
    {
        Animation().stepPicture[2][step] = 10 + step;
        Animation().stepEnd[2][step] = static_cast<float>(step) / 4.0f;
    }
    std::vector<int> shown;
    while (Animation().playing == 1 && shown.size() < 10)
    {
        shown.push_back(ChooseCharacterPicture(*state_));
    }
    EXPECT_EQ(shown, (std::vector<int>{10, 11, 12, 13, 14}));
    EXPECT_EQ(ChooseCharacterPicture(*state_), 0);

    // A duration of 0 would divide 0 by 0 and never end: it ends on its first paint.
    Animation().playing = 1;
    Animation().duration[2] = 0;
    EXPECT_EQ(ChooseCharacterPicture(*state_), 14);
    EXPECT_EQ(Animation().playing, 0);
}

TEST_F(CharacterTickTest, AsleepTheProgressIsTheClipsPlayPosition)
{
    state_->behaviourState = 4;
    state_->clipIndex = 1;
    const size_t slot = static_cast<size_t>(ClipSlot(4, 1));
    state_->voices.tracks.lengthFrames[slot] = 4000;
    state_->voices.tracks.playPosition[slot] = 1000;
    Animation().stepCounter = 5;
    EXPECT_EQ(AdvanceCharacterProgress(*state_), 0.25f);
    EXPECT_EQ(Animation().stepCounter, 5); // only self-timed animations count paints
    state_->voices.tracks.lengthFrames[slot] = 0;
    EXPECT_EQ(AdvanceCharacterProgress(*state_), 0.0f);
}

} // namespace
} // namespace yumo
