// The refill runs once per 11.6 ms block on the GUI thread: it must not allocate. Every
// allocation of this test program is counted while a night with music plays.

#include <cstdlib>
#include <gtest/gtest.h>

#include "night/behaviour.h"
#include "night/music_slot.h"
#include "night/output_stream.h"
#include "stream_fixture.h"
#include "support/night_data.h"
#include "support/test_support.h"
#include "tools/figures/allocation_counter.h"

namespace yumo::test
{
namespace
{

TEST(StreamAllocation, RefillingBlocksAllocatesNothing)
{
    auto rig = MakeStreamRig(MakeTriangleClip(6, 9000));
    AppState& state = *rig->state;
    TempDir dir;
    std::vector<int16_t> music(2 * 3000);
    for (size_t i = 0; i < music.size(); ++i)
    {
        music[i] = static_cast<int16_t>(i * 31 % 4000);
    }
    ASSERT_GT(LoadMusicFile(state, WriteMusicWav((dir / "m.wav").string(), music, 2)), 0);
    rig->device.sink = nullptr; // the test's recorder would allocate
    state.stream.voiceVolume = 50;
    state.stream.musicVolume = -50;
    StartNight(state);
    PumpBlocks(*rig, 20);

    const long before = CountedAllocations();
    const int returned = PumpBlocks(*rig, 20000);
    const long during = CountedAllocations() - before;
    EXPECT_EQ(returned, 20000);
    EXPECT_EQ(during, 0);
}

} // namespace
} // namespace yumo::test
