#include <cmath>
#include <gtest/gtest.h>
#include <memory>

#include "common/results.h"
#include "display/animation_script.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

struct Parsed
{
    std::unique_ptr<CharacterAnimation> table = std::make_unique<CharacterAnimation>();
    ScriptReading reading;
    Rng rng;
};

Parsed Parse(std::string_view text, uint32_t seed = 7)
{
    Parsed parsed;
    parsed.reading = ParseAnimationScript(text, *parsed.table, parsed.rng, seed);
    return parsed;
}

TEST(AnimationScript, ExplicitStepsWithSingleTimesFractionsAndEnds)
{
    // The worked example, then entries 5 12 0.5, 5 12 3 4 (0.75) and a time of exactly 1.
    const Parsed p = Parse("1 50 0 0 3 0.5 1 4 1 -1\n"
                           "2 0 0 5 12 0.5 -1 3 0 0 5 12 3 4 6 9 1 7 8 1e-1 -1");
    EXPECT_TRUE(p.reading.problem.empty()) << p.reading.problem;
    EXPECT_EQ(p.table->duration[1], 50);
    EXPECT_EQ(p.table->stepPicture[1][0], 3);
    EXPECT_EQ(p.table->stepEnd[1][0], 0.5f);
    EXPECT_EQ(p.table->stepPicture[1][1], 4);
    EXPECT_EQ(p.table->stepEnd[1][1], 1.0f);
    EXPECT_EQ(p.table->stepEnd[2][5], 0.5f);
    EXPECT_EQ(p.table->stepEnd[3][5], 0.75f);
    EXPECT_EQ(p.table->stepPicture[3][6], 9); // "1" read no divisor: "7" is the next step
    EXPECT_EQ(p.table->stepPicture[3][7], 8);
    EXPECT_EQ(p.table->stepEnd[3][7], 0.1f);
}

TEST(AnimationScript, GeneratedBlockDrawsItsChoicesFromTheSeededGenerator)
{
    const Parsed p = Parse("21 0 2 5 6 3 -1 7 -1 2 0 8 1", 12345);
    // The oracle: the same generator, seeded the same, drawn once per -1 entry in order.
    Rng oracle;
    SeedRandom(oracle, 12345);
    const int pattern[3] = {-1, 7, -1};
    for (int k = 1; k <= 6; ++k)
    {
        const int entry = pattern[(k - 1) % 3];
        const int expected = entry == -1 ? (DrawRandom(oracle) % 2 == 0 ? 5 : 6) : entry;
        EXPECT_EQ(p.table->stepPicture[21][k - 1], expected) << k;
        EXPECT_EQ(p.table->stepEnd[21][k - 1], static_cast<float>(k) / 7.0f) << k;
    }
    EXPECT_EQ(p.table->stepPicture[21][6], 8);
    EXPECT_EQ(p.table->stepEnd[21][6], 1.0f);
    EXPECT_EQ(p.table->stepEnd[21][7], 0.0f);
    EXPECT_EQ(p.rng.state, oracle.state); // the night's draws go on from here
}

TEST(AnimationScript, LaterBlockOverwritesOnlyTheStepsItNames)
{
    EXPECT_TRUE(Parse("4 1 0 0 1 1").reading.problem.empty()); // the text may end a step list
    const Parsed p = Parse("4 10 0 0 1 0.25 1 2 0.5 2 3 1 -1  4 20 0 1 9 0.75 -1");
    EXPECT_EQ(p.table->duration[4], 20);
    EXPECT_EQ(p.table->stepPicture[4][0], 1);
    EXPECT_EQ(p.table->stepPicture[4][1], 9);
    EXPECT_EQ(p.table->stepEnd[4][1], 0.75f);
    EXPECT_EQ(p.table->stepPicture[4][2], 3);
}

TEST(AnimationScript, TimesAreRoundedOnceToSinglePrecision)
{
    // Just above the midpoint between 0.5 and the next float: a double would land exactly on
    // the midpoint and then round to even (0.5).
    const Parsed p = Parse("5 0 0 0 1 0.50000002980232239 -1");
    EXPECT_EQ(p.table->stepEnd[5][0], std::nextafter(0.5f, 1.0f));
}

TEST(AnimationScript, NamesOutsideTheTablesAreLeftOutWithoutTouchingAnythingElse)
{
    const Parsed p = Parse("200 9 0 0 1 0.5 -1\n" // id beyond 127: the block is dropped
                           "-3 9 0 0 1 0.5 -1\n"  // negative id
                           "6 9 0 128 1 0.5 -2 1 0.5 0 255 0.5 1 -4 0.5 2 254 1 -1\n"
                           "7 0 1 300 1 -1 1 0 9 1\n" // choice outside 0-254: step left out
                           "8 0 1 2 1 -1 1 -5 9 1\n"  // negative first step: block empty
                           "9 0 1 3 1 -1 2 127 9 1"); // closing step 129: left out
    EXPECT_FALSE(p.reading.stopped);
    EXPECT_EQ(p.reading.skipped, 9);
    EXPECT_EQ(p.table->duration[6], 9);
    for (int step = 0; step < 2; ++step)
    {
        EXPECT_EQ(p.table->stepPicture[6][step], 0);
    }
    EXPECT_EQ(p.table->stepPicture[6][2], 254);
    EXPECT_EQ(p.table->stepPicture[7][0], 0);
    EXPECT_EQ(p.table->stepPicture[7][1], 9);
    EXPECT_EQ(p.table->stepPicture[8][0], 0);
    EXPECT_EQ(p.table->stepPicture[9][127], 3);
    EXPECT_EQ(p.table->stepEnd[9][127], 1.0f / 3.0f); // k / (R*L + 1) with R*L = 2
}

TEST(AnimationScript, HugeRepeatCountsFillOnlyTheTable)
{
    // 2^31 - 1 rounds of 128 entries: the product needs 64 bits; only 128 steps exist.
    std::string text = "10 0 1 4 128";
    for (int i = 0; i < 128; ++i)
    {
        text += " -1";
    }
    const Parsed p = Parse(text + " 2147483647 0 9 1  11 3 0 0 1 1 -1");
    EXPECT_FALSE(p.reading.stopped);
    EXPECT_EQ(p.reading.skipped, 1) << p.reading.problem; // the closing step lies far beyond
    EXPECT_EQ(p.table->stepPicture[10][127], 4);
    EXPECT_GT(p.table->stepEnd[10][127], 0.0f);
    EXPECT_EQ(p.table->duration[11], 3); // the script went on after the block
}

TEST(AnimationScript, ProblemsStopTheScriptAndKeepWhatCameBefore)
{
    const char* const cases[] = {
        "1 5 0 0 2 0.5 -1 2 5 0 0 x",         // a token that is not a number
        "1 5 0 0 2 0.5 -1 2 5 0 0 3 0.5x",    // a number with trailing text
        "1 5 0 0 2 0.5 -1 2 5 -1",            // negative mode
        "1 5 0 0 2 0.5 -1 2 5 129",           // more choices than a block may hold
        "1 5 0 0 2 0.5 -1 2 5 1 3 200",       // a pattern longer than a block may hold
        "1 5 0 0 2 0.5 -1 2 5 0 0 2 nan",     // not a finite time
        "1 5 0 0 2 0.5 -1 2 5 0 0 2 1e39 -1", // too large for a float
        "1 5 0 0 2 0.5 -1 2 3000000000",      // too large for a 32-bit integer
    };
    for (const char* text : cases)
    {
        const Parsed p = Parse(text);
        EXPECT_TRUE(p.reading.stopped) << text;
        EXPECT_NE(p.reading.problem.find("line 1"), std::string::npos) << p.reading.problem;
        EXPECT_EQ(p.table->stepPicture[1][0], 2) << text;
        EXPECT_EQ(p.table->stepPicture[2][0], 0) << text;
    }
}

TEST(AnimationScript, LoadReportsAProblemAndIgnoresAMissingFile)
{
    test::TempDir dir;
    CapturingReporter reporter;
    auto state = CreateAppState(reporter);
    EXPECT_EQ(LoadAnimationScript(*state, dir.path()), kFileNotOpened);
    EXPECT_TRUE(reporter.messages.empty());

    std::filesystem::create_directories(dir / "img");
    test::WriteTextFile(dir / "img" / "Anime.txt", "3 40 0 0 1 1 -1\r\n4 abc");
    EXPECT_EQ(LoadAnimationScript(*state, dir.path()), kFileDamaged);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_NE(reporter.messages[0].text.find("line 2 holds 'abc'"), std::string::npos)
        << reporter.messages[0].text;
    EXPECT_EQ(state->character.duration[3], 40);
    EXPECT_EQ(state->rng.state, 1u); // no generated block: the generator keeps its seed

    // A generated block seeds the shared generator from the clock's calendar time.
    SetClockTime(state->clock, LocalTime{1, 2, 3});
    test::WriteTextFile(dir / "img" / "Anime.txt", "21 0 2 5 6 1 -1 3 0 8 1");
    EXPECT_EQ(LoadAnimationScript(*state, dir.path()), kOk);
    const Parsed p = Parse("21 0 2 5 6 1 -1 3 0 8 1", 3723);
    EXPECT_EQ(state->rng.state, p.rng.state);
    EXPECT_NE(p.rng.state, 1u);
    EXPECT_EQ(state->character.stepPicture[21], p.table->stepPicture[21]);
}

} // namespace
} // namespace yumo
