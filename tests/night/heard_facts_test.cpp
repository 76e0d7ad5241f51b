// What the panes show follows what is heard: each block written keeps its facts at the output
// byte where it starts, and the facts found at a played position are those of the block the
// device was playing there.

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

#include "night/behaviour.h"
#include "night/heard_facts.h"
#include "night/output_stream.h"
#include "stream_fixture.h"
#include "support/night_data.h"

namespace yumo::test
{
namespace
{

HeardFacts FactsOfState(int32_t behaviour)
{
    HeardFacts facts;
    facts.behaviourState = behaviour;
    return facts;
}

TEST(HeardHistory, FindsTheBlockHoldingAPositionAndStartsAgainForANewStream)
{
    HeardHistory history;
    EXPECT_EQ(history.At(0), nullptr);
    for (int32_t block = 0; block < 200; ++block)
    {
        history.Record(static_cast<uint64_t>(block) * kBytesPerBlock, FactsOfState(block));
    }
    EXPECT_EQ(history.Count(), HeardHistory::kCapacity); // the oldest have gone
    EXPECT_EQ(history.At(0), nullptr);                   // older than anything kept
    ASSERT_NE(history.At(150 * kBytesPerBlock + 7), nullptr);
    EXPECT_EQ(history.At(150 * kBytesPerBlock + 7)->behaviourState, 150);
    EXPECT_EQ(history.At(151 * kBytesPerBlock - 1)->behaviourState, 150);
    EXPECT_EQ(history.At(1u << 30)->behaviourState, 199); // beyond the last: the last

    history.Record(0, FactsOfState(7)); // a new stream counts from 0 again
    EXPECT_EQ(history.Count(), 1u);
    EXPECT_EQ(history.At(150 * kBytesPerBlock)->behaviourState, 7);
}

// Over a night's first blocks (the ten silent ones it starts with, then the greeting), the
// peaks kept for each output position are those of the block the device played there.
TEST(HeardHistory, APlayedPositionShowsThePeaksOfTheBlockPlayedThere)
{
    auto rig = MakeStreamRig(MakeTriangleClip(12, 9000));
    StartNight(*rig->state);
    ASSERT_EQ(PumpBlocks(*rig, 20), 20);
    const OutputStream& stream = rig->state->stream;
    EXPECT_EQ(stream.bytesWritten, 30u * kBytesPerBlock);
    int loud = 0;
    for (size_t block = 0; block < rig->played.size(); ++block)
    {
        int left = 0;
        const std::vector<int16_t>& samples = rig->played[block];
        for (size_t i = 0; i < samples.size(); i += 2)
        {
            left = std::max(left, std::abs(static_cast<int>(samples[i])));
        }
        loud += left > 1000;
        const HeardFacts* facts = stream.heard.At(block * kBytesPerBlock + kBytesPerBlock / 2);
        ASSERT_NE(facts, nullptr) << "block " << block;
        EXPECT_EQ(facts->peaks.left, left) << "block " << block;
    }
    EXPECT_GE(loud, 8); // the greeting was heard, not only the silent start
}

} // namespace
} // namespace yumo::test
