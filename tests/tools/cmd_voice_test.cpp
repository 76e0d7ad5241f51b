#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "voices/loudness.h"

namespace yumo
{
namespace
{

std::string Tool() { return YUMO_TOOL_PATH; }

std::string Quote(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

std::vector<int16_t> Ramp(size_t count, int step)
{
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i)
    {
        samples[i] = static_cast<int16_t>(static_cast<int>(i) * step % 60000 - 30000);
    }
    return samples;
}

// Clip lengths are whole multiples of 1024 samples, so neither the import's padding to 2048
// bytes nor the clip's to 512 samples adds anything.
class VoiceToolTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::WriteBytesFile(dir_ / "night.wav", test::MakeWavBytes(night_));
        test::WriteBytesFile(dir_ / "wake.wav", test::MakeWavBytes(wake_));
        test::WriteBytesFile(dir_ / "snore.wav", test::MakeWavBytes(snore_));
    }

    int Run(const std::string& arguments, std::string* out = nullptr, std::string* err = nullptr)
    {
        return test::RunCommand(Tool() + " " + arguments, out, err);
    }

    std::filesystem::path Path(const std::string& name) const { return dir_ / name; }

    test::TempDir dir_;
    const std::vector<int16_t> night_ = Ramp(2048, 13);
    const std::vector<int16_t> wake_ = Ramp(1024, 101);
    const std::vector<int16_t> snore_ = Ramp(3072, 7);
};

// The integrated loudness of an extracted clip, skipping the WAV header.
double ClipLufs(const std::vector<uint8_t>& wav)
{
    std::vector<int16_t> samples((wav.size() - 44) / 2);
    std::memcpy(samples.data(), wav.data() + 44, samples.size() * 2);
    double lufs = 0;
    EXPECT_TRUE(MeasureLoudness(samples.data(), samples.size(), 1, lufs));
    return lufs;
}

TEST_F(VoiceToolTest, ClipsAreMatchedUnlessTheLevelIsKeptAndNamesCanBeRelative)
{
    // One second of a quiet tone, well below the target.
    std::vector<int16_t> quiet(44032); // whole 1024s, as the other clips
    for (size_t i = 0; i < quiet.size(); ++i)
    {
        quiet[i] = static_cast<int16_t>(std::lround(400 * std::sin(0.05 * static_cast<double>(i))));
    }
    std::filesystem::create_directories(Path("data/src"));
    test::WriteBytesFile(Path("data/src/quiet.wav"), test::MakeWavBytes(quiet));
    const std::string clips =
        " 0=" + Quote(Path("data/src/quiet.wav")) + " 10=" + Quote(Path("wake.wav"));
    ASSERT_EQ(Run("voice new " + Quote(Path("m.ymv")) + " --owner x --names-from " +
                  Quote(Path("data")) + clips),
              0);
    ASSERT_EQ(Run("voice new " + Quote(Path("k.ymv")) + " --owner x --keep-level" + clips), 0);
    ASSERT_EQ(Run("voice extract " + Quote(Path("m.ymv")) + " " + Quote(Path("m"))), 0);
    ASSERT_EQ(Run("voice extract " + Quote(Path("k.ymv")) + " " + Quote(Path("k"))), 0);
    EXPECT_NEAR(ClipLufs(test::ReadBytesFile(Path("m/k00_0.wav"))), kClipLoudnessTarget, 1.0);
    EXPECT_EQ(test::ReadBytesFile(Path("k/k00_0.wav")), test::MakeWavBytes(quiet));

    std::string info;
    ASSERT_EQ(Run("voice info " + Quote(Path("m.ymv")), &info), 0);
    EXPECT_NE(info.find("src/quiet.wav"), std::string::npos) << info;
    EXPECT_EQ(info.find(dir_.path().string()), std::string::npos) << info;
}

TEST_F(VoiceToolTest, NewThenExtractGivesTheClipsBackBitForBit)
{
    const std::string set = Quote(Path("set.ymv"));
    ASSERT_EQ(Run("voice new " + set + " --owner ゆも おやすみ=" + Quote(Path("night.wav")) +
                  " 10=" + Quote(Path("wake.wav")) + " ぐぅぐぅ=" + Quote(Path("snore.wav"))),
              0);
    std::string out;
    ASSERT_EQ(Run("voice extract " + set + " " + Quote(Path("out")), &out), 0);
    EXPECT_EQ(test::ReadBytesFile(Path("out/k00_0.wav")), test::MakeWavBytes(night_));
    EXPECT_EQ(test::ReadBytesFile(Path("out/k10_0.wav")), test::MakeWavBytes(wake_));
    EXPECT_EQ(test::ReadBytesFile(Path("out/k04_0.wav")), test::MakeWavBytes(snore_));
    EXPECT_NE(out.find("k04_0.wav"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path("out/k13_0.wav"))); // built-in kinds stay inside

    ASSERT_EQ(Run("voice info " + set, &out), 0);
    EXPECT_NE(out.find("version: 101\nowner: ゆも\nkind 0 (おやすみ): count 1\n  slot 0: "
                       "samples 2048, bytes 4096, play position 0, path " +
                       Path("night.wav").string() + "\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("kind 13 (built in): count 4\n"), std::string::npos) << out;

    ASSERT_EQ(Run("check ymv " + set, &out), 0);
    EXPECT_EQ(out, "accepted\n");
}

TEST_F(VoiceToolTest, AddAppendsUpToTenClipsPerKind)
{
    const std::string set = Quote(Path("set.ymv"));
    ASSERT_EQ(Run("voice new " + set + " --owner x 0=" + Quote(Path("night.wav")) +
                  " 起きて=" + Quote(Path("wake.wav"))),
              0);
    std::string adds;
    for (int i = 0; i < 9; ++i)
    {
        adds += " 0=" + Quote(Path("snore.wav"));
    }
    ASSERT_EQ(Run("voice add " + set + adds), 0);
    const std::vector<uint8_t> full = test::ReadBytesFile(Path("set.ymv"));

    std::string err;
    EXPECT_EQ(Run("voice add " + set + " おやすみ=" + Quote(Path("snore.wav")), nullptr, &err), 1);
    EXPECT_NE(err.find("登録できる最大ボイス数を超えています。"), std::string::npos) << err;
    EXPECT_EQ(test::ReadBytesFile(Path("set.ymv")), full); // nothing saved

    std::string out;
    ASSERT_EQ(Run("voice extract " + set + " " + Quote(Path("out")), &out), 0);
    EXPECT_EQ(test::ReadBytesFile(Path("out/k00_9.wav")), test::MakeWavBytes(snore_));
    EXPECT_FALSE(std::filesystem::exists(Path("out/k00_10.wav")));
}

TEST_F(VoiceToolTest, StereoClipsAreMixedDownOnTheWayIn)
{
    std::vector<int16_t> stereo(2048, 0);
    for (size_t i = 0; i < stereo.size(); i += 2)
    {
        stereo[i] = (i / 2) % 2 == 0 ? 3 : -3; // right channel stays 0
    }
    test::WriteBytesFile(Path("stereo.wav"), test::MakeWavBytes(stereo, 2));
    const std::string set = Quote(Path("set.ymv"));
    ASSERT_EQ(Run("voice new " + set + " --owner x 0=" + Quote(Path("stereo.wav")) +
                  " 10=" + Quote(Path("wake.wav"))),
              0);
    ASSERT_EQ(Run("voice extract " + set + " " + Quote(Path("out"))), 0);
    std::vector<int16_t> mono(1024);
    for (size_t i = 0; i < mono.size(); ++i)
    {
        mono[i] = i % 2 == 0 ? 1 : -1;
    }
    EXPECT_EQ(test::ReadBytesFile(Path("out/k00_0.wav")), test::MakeWavBytes(mono));
}

// A 96 kHz file: refused as it stands; with --convert it is converted without the import's
// refusal, its format told, and the clip added at half its frames. A rate the conversion cannot
// take is refused for it, with the range it takes.
TEST_F(VoiceToolTest, ConvertAddsWhatTheImportRefuses)
{
    const std::string set = Quote(Path("set.ymv"));
    ASSERT_EQ(Run("voice new " + set + " --owner x 0=" + Quote(Path("night.wav")) +
                  " 10=" + Quote(Path("wake.wav"))),
              0);
    test::WriteBytesFile(Path("96k.wav"),
                         test::MakeWavBytes(std::vector<int16_t>(4096, 500), 1, 96000));
    std::string err;
    EXPECT_EQ(Run("voice add " + set + " 4=" + Quote(Path("96k.wav")), nullptr, &err), 1);
    EXPECT_NE(err.find("44.1kHz、16ビットに変換してください。"), std::string::npos) << err;
    ASSERT_EQ(Run("voice add " + set + " --convert 4=" + Quote(Path("96k.wav")), nullptr, &err), 0)
        << err;
    EXPECT_EQ(err.find("44.1kHz、16ビットに変換してください。"), std::string::npos) << err;
    EXPECT_NE(err.find("converted from 96000 Hz, 16-bit integer, 1 channel to mono"),
              std::string::npos)
        << err;
    test::WriteBytesFile(Path("8hz.wav"), test::MakeWavBytes(std::vector<int16_t>(64, 500), 1, 8));
    EXPECT_EQ(Run("voice add " + set + " --convert 4=" + Quote(Path("8hz.wav")), nullptr, &err), 1);
    EXPECT_NE(err.find("サンプリングレートが8 Hzです（変換できるのは1000～768000 Hzです）"),
              std::string::npos)
        << err;
    std::string out;
    ASSERT_EQ(Run("voice info " + set, &out), 0);
    // 4096 frames at 96 kHz are 1882 at 44.1 kHz, in whole blocks 2048.
    EXPECT_NE(out.find("kind 4 (ぐぅぐぅ): count 1\n  slot 40: samples 2048,"), std::string::npos)
        << out;
}

TEST_F(VoiceToolTest, RefusalsExitOneAndLeaveNoFile)
{
    std::string err;
    EXPECT_EQ(
        Run("voice new " + Quote(Path("a.ymv")) + " --owner x おやすみ=" + Quote(Path("night.wav")),
            nullptr, &err),
        1);
    EXPECT_EQ(err,
              "refused: 「おやすみ」ボイスと「起きて」ボイスをそれぞれ1つ以上登録してください。\n");
    EXPECT_FALSE(std::filesystem::exists(Path("a.ymv")));

    EXPECT_EQ(Run("voice new " + Quote(Path("a.ymv")) + " --owner x 0=" +
                      Quote(Path("missing.wav")) + " 10=" + Quote(Path("wake.wav")),
                  nullptr, &err),
              1);
    EXPECT_FALSE(std::filesystem::exists(Path("a.ymv")));

    // Kinds 12-14 have no editor row; unknown labels are usage errors.
    EXPECT_EQ(
        Run("voice new " + Quote(Path("a.ymv")) + " --owner x 12=" + Quote(Path("night.wav"))), 2);
    EXPECT_EQ(
        Run("voice new " + Quote(Path("a.ymv")) + " --owner x ねむい=" + Quote(Path("night.wav"))),
        2);

    std::vector<uint8_t> damaged(1000, 0);
    test::WriteBytesFile(Path("short.ymv"), damaged);
    EXPECT_EQ(Run("voice info " + Quote(Path("short.ymv")), nullptr, &err), 1);
    EXPECT_EQ(err.rfind("refused: ボイスデータファイルが壊れています。", 0), 0u) << err;
    EXPECT_EQ(Run("check ymv " + Quote(Path("none.ymv")), nullptr, &err), 1);
    EXPECT_NE(err.find("could not be opened"), std::string::npos);
}

TEST_F(VoiceToolTest, InfoShowsControlCharactersInNamesEscaped)
{
    // The owner and the path are the file's own: an escape sequence there would clear the
    // terminal, a line feed fake a line, a right-to-left override reorder what follows.
    ASSERT_EQ(Run("voice new " + Quote(dir_ / "v.ymv") + " --owner " +
                  Quote(std::string("a\x1b[2Jb\\x41\u202Ec")) + " 0=" + Quote(dir_ / "night.wav") +
                  " 10=" + Quote(dir_ / "wake.wav")),
              0);
    std::vector<uint8_t> bytes = test::ReadBytesFile(dir_ / "v.ymv");
    const uint8_t newline[2] = {'\n', 0};
    std::copy(newline, newline + 2, bytes.begin() + 576 + 2); // slot 0's path, second unit
    test::WriteBytesFile(dir_ / "v.ymv", bytes);
    std::string out;
    ASSERT_EQ(Run("voice info " + Quote(dir_ / "v.ymv"), &out), 0);
    EXPECT_NE(out.find("owner: a\\x1B[2Jb\\\\x41\\u202Ec\n"), std::string::npos) << out;
    EXPECT_NE(out.find("path /\\x0A"), std::string::npos) << out;
}

TEST(VoiceToolBadFiles, EveryDamagedFixtureIsRefused)
{
    const std::filesystem::path bad = std::filesystem::path(YUMO_TEST_DATA_DIR) / "bad" / "ymv";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(bad))
    {
        std::string err;
        EXPECT_EQ(test::RunCommand(Tool() + " check ymv " + Quote(entry.path()), nullptr, &err), 1)
            << entry.path();
        EXPECT_EQ(err.rfind("refused: ", 0), 0u) << err;
        ++files;
    }
    EXPECT_GE(files, 5);
}

} // namespace
} // namespace yumo
