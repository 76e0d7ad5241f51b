#include <gtest/gtest.h>

#include "support/test_support.h"

namespace yumo
{
namespace
{

std::string Tool() { return YUMO_TOOL_PATH; }

TEST(ImportCommand, PrintsTheFormatRecordAndLength)
{
    test::TempDir dir;
    test::WriteBytesFile(dir / "clip.wav", test::MakeWavBytes(std::vector<int16_t>(1500, 7)));
    std::string out;
    EXPECT_EQ(test::RunCommand(Tool() + " import " + (dir / "clip.wav").string(), &out), 0);
    EXPECT_EQ(out, "format tag: 1\n"
                   "channels: 1\n"
                   "sample rate: 44100\n"
                   "average bytes per second: 88200\n"
                   "block alignment: 2\n"
                   "bits per sample: 16\n"
                   "byte length: 4096\n");

    std::string mp3 = std::string(YUMO_TEST_DATA_DIR) + "/mp3/stereo_24k.mp3";
    EXPECT_EQ(test::RunCommand(Tool() + " import " + mp3, &out), 0);
    EXPECT_NE(out.find("channels: 2\nsample rate: 44100\n"), std::string::npos) << out;
}

TEST(ImportCommand, RefusalsPrintTheReasonAndExitOne)
{
    test::TempDir dir;
    test::WriteBytesFile(dir / "song.MP3", test::ReadBytesFile(std::string(YUMO_TEST_DATA_DIR) +
                                                               "/mp3/mono_44k.mp3"));
    std::string err;
    EXPECT_EQ(test::RunCommand(Tool() + " import " + (dir / "song.MP3").string(), nullptr, &err),
              1);
    EXPECT_EQ(err, "refused: このファイルは開けません。wavファイルではありません。\n");

    std::string bad = std::string(YUMO_TEST_DATA_DIR) + "/bad/mp3/";
    EXPECT_EQ(test::RunCommand(Tool() + " check mp3 " + bad + "layer2.mp3", nullptr, &err), 1);
    EXPECT_EQ(err, "refused: the audio is not MPEG Layer III\n");
    EXPECT_EQ(test::RunCommand(Tool() + " check wav " + (dir / "none.wav").string(), nullptr, &err),
              1);
    EXPECT_EQ(err, "refused: the file could not be opened\n");

    std::string out;
    EXPECT_EQ(test::RunCommand(Tool() + " check mp3 " + (dir / "song.MP3").string(), &out), 0);
    EXPECT_EQ(out, "accepted\n");
    EXPECT_EQ(test::RunCommand(Tool() + " check wav"), 2);
}

} // namespace
} // namespace yumo
