#include <filesystem>
#include <gtest/gtest.h>

#include "import/import_messages.h"
#include "import/mp3_import.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

TEST(ImportRoute, OnlyAnExactMp3ExtensionOfTheFileNameCounts)
{
    struct Case
    {
        const char* path;
        bool mp3;
    };
    const Case cases[] = {
        {"song.mp3", true},      {"/music/a.b/song.mp3", true},
        {"song.wav.mp3", true},  {".mp3", true},
        {"song.MP3", false},     {"song.Mp3", false},
        {"song.mp3.wav", false}, {"/music/x.mp3/song", false},
        {"song", false},         {"song.mp3 ", false},
        {"song.mp", false},      {"song.", false},
        {"song.mp3x", false},    {"", false},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(HasMp3Extension(c.path), c.mp3) << '"' << c.path << '"';
    }
}

TEST(ImportRoute, ImportAudioByExtensionPicksTheRoute)
{
    test::TempDir dir;
    std::vector<uint8_t> mp3 =
        test::ReadBytesFile(std::string(YUMO_TEST_DATA_DIR) + "/mp3/mono_44k.mp3");
    std::vector<uint8_t> wav = test::MakeWavBytes(std::vector<int16_t>(100, 1000));
    test::WriteBytesFile(dir / "a.mp3", mp3);
    test::WriteBytesFile(dir / "b.MP3", mp3);
    test::WriteBytesFile(dir / "c.wav", wav);
    test::WriteBytesFile(dir / "d.mp3", wav);

    ImportedAudio audio;
    PcmFormat format;
    CapturingReporter reporter;
    // MP3 import: decoded.
    EXPECT_EQ(ImportAudioByExtension((dir / "a.mp3").string(), audio, format, reporter), 17640);
    // WAV import: padded.
    EXPECT_EQ(ImportAudioByExtension((dir / "c.wav").string(), audio, format, reporter), 2048);
    // A WAV file named .mp3 meets the frame-header check and is refused silently.
    EXPECT_EQ(ImportAudioByExtension((dir / "d.mp3").string(), audio, format, reporter), 0);
    EXPECT_TRUE(reporter.messages.empty());
    // An MP3 file named .MP3 goes to WAV import and is refused for its form type.
    EXPECT_EQ(ImportAudioByExtension((dir / "b.MP3").string(), audio, format, reporter), 0);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, kNotWavText);
    EXPECT_EQ(reporter.messages[0].caption, kWavErrorCaption);
}

} // namespace
} // namespace yumo
