// The head chooser: a SOFA file converted by yumo-tool in a process of its own while the
// window's event loop goes on, a refusal in the tool's words, a cancel, and the comparison.

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "audio/head_preview.h"
#include "gui/sound/preview_player.h"
#include "gui/test_application.h"
#include "gui/texts/language.h"
#include "gui/texts/texts.h"
#include "gui/window/head_chooser.h"
#include "gui/window_fixture.h"
#include "support/night_data.h"

namespace yumo
{
namespace
{

class RecordingPreview final : public PreviewOutput
{
public:
    bool Play(ImportedAudio audio, const PcmFormat& played) override
    {
        bytes = audio.byteLength;
        format = played;
        samples.resize(audio.buffer.size() / 2);
        for (size_t i = 0; i < samples.size(); ++i)
        {
            samples[i] = static_cast<int16_t>(audio.buffer[2 * i] | (audio.buffer[2 * i + 1] << 8));
        }
        return true;
    }
    // The energy of one side over frames [begin, end).
    double Energy(size_t begin, size_t end, int side) const
    {
        double sum = 0;
        for (size_t f = begin; f < end && 2 * f + 1 < samples.size(); ++f)
        {
            const double s = samples[2 * f + static_cast<size_t>(side)];
            sum += s * s;
        }
        return sum;
    }
    void Stop() override {}
    bool IsPlaying() const override { return false; }

    int32_t bytes = 0;
    PcmFormat format;
    std::vector<int16_t> samples; // as handed to the player, interleaved
};

class HeadChooserTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        test::EnsureTestApplication();
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.path().string()));
        current = test::MakePassThroughHrirSet();
    }
    void TearDown() override { qunsetenv("XDG_DATA_HOME"); }

    // Waits for the conversion's end; the longest gap between two turns of the event loop.
    std::chrono::milliseconds WaitForConversion(HeadChooser& chooser, bool& placed)
    {
        bool finished = false;
        const QMetaObject::Connection heard =
            QObject::connect(&chooser, &HeadChooser::ConversionFinished, &chooser, [&](bool ok) {
                finished = true;
                placed = ok;
            });
        QElapsedTimer sinceTick;
        sinceTick.start();
        qint64 longest = 0;
        QTimer probe;
        probe.setInterval(1);
        QObject::connect(&probe, &QTimer::timeout,
                         [&] { longest = std::max(longest, sinceTick.restart()); });
        probe.start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished; }, 60000));
        QObject::disconnect(heard);
        return std::chrono::milliseconds(longest);
    }

    test::TempDir dir;
    HrirSet current;
    RecordingPreview preview;
    test::FakePrompts prompts;
};

TEST_F(HeadChooserTest, ALargeSetConvertsWhileTheEventLoopGoesOn)
{
    HeadChooser chooser(current, QString(), YUMO_TOOL_PATH, preview, prompts);
    EXPECT_EQ(chooser.Paths(), QStringList{QString()});
    chooser.Convert(QStringLiteral("/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa"));
    ASSERT_TRUE(chooser.Converting());
    bool placed = false;
    const std::chrono::milliseconds longest = WaitForConversion(chooser, placed);
    ASSERT_TRUE(placed) << (prompts.messages.empty() ? "" : prompts.messages.back().toStdString());
    // A conversion on the event loop would stop it for the whole conversion (seconds); the
    // bound leaves room for a loaded machine and a sanitized build.
    EXPECT_LT(longest.count(), 250);
    const QString made = OwnHeadFolder() + QStringLiteral("/MIT_KEMAR_normal_pinna.bir");
    EXPECT_EQ(chooser.Paths(), (QStringList{QString(), made}));

    // The new set, selected, is compared with the current one: both heads' three directions.
    chooser.Select(made);
    ASSERT_TRUE(chooser.PlayComparison());
    EXPECT_EQ(preview.format.channels, 2);
    const size_t phrase = MakeHeadPreviewPhrase().size();
    EXPECT_EQ(static_cast<size_t>(preview.bytes), HeadPreviewOffset(phrase, 2, 0) * 4);
    // As the player gets them: the measured head's left, then front, then right (the current,
    // test head is louder on the left wherever the voice is).
    const size_t left = HeadPreviewOffset(phrase, 0, 0);
    const size_t right = HeadPreviewOffset(phrase, 0, 2);
    EXPECT_GT(preview.Energy(left, left + phrase, 0), 2 * preview.Energy(left, left + phrase, 1));
    EXPECT_GT(preview.Energy(right, right + phrase, 1),
              2 * preview.Energy(right, right + phrase, 0));

    // A chooser opened later lists it, with the remembered choice selected.
    HeadChooser again(current, made, YUMO_TOOL_PATH, preview, prompts);
    EXPECT_EQ(again.Paths().size(), 2);
}

// A refusal names the SOFA file and says in the window's words what is wrong and what to do,
// never the tool's path or its English; a cancel leaves nothing.
TEST_F(HeadChooserTest, ARefusalNamesTheFileAndSaysWhyAndACancelLeavesNothing)
{
    HeadChooser chooser(current, QString(), YUMO_TOOL_PATH, preview, prompts);
    test::WriteTextFile(dir / "not.sofa", "no measurements here\n");
    const std::string data = YUMO_TEST_DATA_DIR;
    const std::pair<std::string, UiText> cases[] = {
        {(dir / "not.sofa").string(), UiText::HeadWhyNotSofa},
        {data + "/bad/sofa/cut_to_a_tenth.sofa", UiText::HeadWhyCut},
        {data + "/bad/sofa/half_with_its_length_mended.sofa", UiText::HeadWhyDamaged},
    };
    for (const auto& [file, reason] : cases)
    {
        prompts.messages.clear();
        chooser.Convert(QString::fromStdString(file));
        bool placed = true;
        WaitForConversion(chooser, placed);
        EXPECT_FALSE(placed);
        ASSERT_EQ(prompts.messages.size(), 1u);
        const QString name =
            QString::fromStdString(std::filesystem::path(file).filename().string());
        EXPECT_TRUE(prompts.messages[0].endsWith(Text(UiText::HeadFailed).arg(name, Text(reason))))
            << prompts.messages[0].toStdString();
        EXPECT_FALSE(prompts.messages[0].contains(QStringLiteral("yumo-tool")));
        EXPECT_EQ(chooser.Paths().size(), 1);
    }
    prompts.messages.clear();

    chooser.Convert(QStringLiteral("/usr/share/libmysofa/MIT_KEMAR_normal_pinna.sofa"));
    chooser.CancelConversion();
    EXPECT_FALSE(chooser.Converting());
    EXPECT_EQ(chooser.Paths().size(), 1);
    EXPECT_TRUE(std::filesystem::is_empty(OwnHeadFolder().toStdString()));
    EXPECT_TRUE(prompts.messages.empty()); // a cancel is no failure to report
}

} // namespace
} // namespace yumo

namespace yumo
{
namespace
{

// The list marks the head the night plays with, in the window's language, and moves the mark
// on 使う; the status line says while 試聴 plays; 追加... asks for a SOFA file.
TEST_F(HeadChooserTest, TheHeadInUseIsMarkedAndListeningIsShown)
{
    QDir().mkpath(OwnHeadFolder());
    const QString own = OwnHeadFolder() + QStringLiteral("/own.bir");
    ASSERT_TRUE(WriteHrirSetFile(current, QFile::encodeName(own).toStdString()));
    LanguageSwitch language;
    const struct
    {
        Language language;
        QString inUse;
        QStringList shown;
    } cases[] = {
        {Language::Japanese, QString(), {"KEMAR (内蔵)（使用中）", "own"}},
        {Language::Japanese, own, {"KEMAR (内蔵)", "own（使用中）"}},
        {Language::English, QString(), {"KEMAR (built in) (in use)", "own"}},
    };
    for (const auto& c : cases)
    {
        HeadChooser chooser(current, QString(), YUMO_TOOL_PATH, preview, prompts);
        chooser.Select(c.inUse);
        chooser.findChild<QPushButton*>(QStringLiteral("headUseButton"))->click();
        ASSERT_TRUE(language.Apply(c.language));
        QCoreApplication::processEvents();
        EXPECT_EQ(chooser.ShownNames(), c.shown);
    }
    ASSERT_TRUE(language.Apply(Language::Japanese));

    HeadChooser chooser(current, QString(), YUMO_TOOL_PATH, preview, prompts);
    chooser.Select(own);
    ASSERT_TRUE(chooser.PlayComparison());
    EXPECT_EQ(chooser.StatusText(), Text(UiText::HeadListening));
    // This preview has played at once: the line clears.
    EXPECT_TRUE(QTest::qWaitFor([&] { return chooser.StatusText().isEmpty(); }, 2000));
    chooser.findChild<QPushButton*>(QStringLiteral("headAddButton"))->click();
    EXPECT_EQ(prompts.chooserKinds, std::vector<FileChooserKind>{FileChooserKind::HeadSofa});
}

} // namespace
} // namespace yumo
