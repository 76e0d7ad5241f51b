#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <sstream>

#include "support/test_support.h"

namespace yumo
{
namespace
{

// Clip counts per kind, from `yumo-tool voice info`'s "kind N (label): count C" lines.
std::map<int, int> ReadClipCounts(const std::filesystem::path& voice)
{
    std::string out;
    EXPECT_EQ(test::RunCommand(std::string(YUMO_TOOL_PATH) + " voice info '" + voice.string() + "'",
                               &out),
              0);
    std::map<int, int> counts;
    std::regex line(R"(^kind (\d+) .*: count (\d+)$)");
    std::istringstream lines(out);
    for (std::string text; std::getline(lines, text);)
    {
        std::smatch match;
        if (std::regex_match(text, match, line))
        {
            counts[std::stoi(match[1])] = std::stoi(match[2]);
        }
    }
    return counts;
}

// The set-up script's default voice, made in a scratch build folder that holds only the two
// programs it needs.
TEST(DefaultVoiceScript, FillsEveryEditorKindAndSkipsWorkWhenUpToDate)
{
    test::TempDir build;
    std::filesystem::create_symlink(YUMO_TOOL_PATH, build / "yumo-tool");
    std::filesystem::create_symlink(YUMO_VOICEGEN_PATH, build / "yumo-voicegen");
    const std::string command = std::string(YUMO_SOURCE_DIR) + "/scripts/make_default_voice.sh '" +
                                build.path().string() + "'";
    std::string out;
    std::string err;
    ASSERT_EQ(test::RunCommand(command, &out, &err), 0) << out << err;
    const std::filesystem::path voice = build / "data/ymv/Yumone.ymv";
    ASSERT_TRUE(std::filesystem::exists(voice));

    // Every kind the editor shows is full.
    std::map<int, int> counts = ReadClipCounts(voice);
    for (int kind = 0; kind <= 11; ++kind)
    {
        EXPECT_EQ(counts[kind], 10) << "kind " << kind;
    }

    // Source names relative to the data folder: no absolute path, no trace of the build folder.
    std::string info;
    ASSERT_EQ(test::RunCommand(std::string(YUMO_TOOL_PATH) + " voice info '" + voice.string() + "'",
                               &info),
              0);
    std::regex pathLine(R"(^  slot \d+: .*, path (.*)$)");
    std::istringstream lines(info);
    int paths = 0;
    for (std::string text; std::getline(lines, text);)
    {
        std::smatch match;
        if (std::regex_match(text, match, pathLine))
        {
            ++paths;
            EXPECT_TRUE(match[1].str().starts_with("../voice-clips/")) << text;
        }
    }
    EXPECT_EQ(paths, 120);
    EXPECT_EQ(info.find(build.path().string()), std::string::npos) << info;

    const auto written = std::filesystem::last_write_time(voice);
    ASSERT_EQ(test::RunCommand(command, &out), 0);
    EXPECT_NE(out.find("up to date"), std::string::npos) << out;
    EXPECT_EQ(std::filesystem::last_write_time(voice), written);

    EXPECT_EQ(test::RunCommand(std::string(YUMO_SOURCE_DIR) + "/scripts/make_default_voice.sh"), 2);
}

} // namespace
} // namespace yumo
