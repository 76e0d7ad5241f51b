// The voice editor's wiring, driven through its buttons in an offscreen window: the fields after
// an add, whose messages they are, the preview toggle, the save's order, the new-set flow, the
// counts, and the question before unsaved clips are lost. The conversion, the limits and the
// save check themselves are tested in the core.

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "gui/editor/editor_jobs.h"
#include "gui/editor/elided_label.h"
#include "gui/editor/new_voice_dialog.h"
#include "gui/editor/path_field.h"
#include "gui/editor/voice_editor.h"
#include "gui/sound/preview_player.h"
#include "gui/test_application.h"
#include "gui/texts/language.h"
#include "gui/texts/texts.h"
#include "gui/window_fixture.h"
#include "support/night_data.h"
#include "voices/voice_data_file.h"

namespace yumo::test
{
namespace
{

// Plays nothing; says whether a preview runs, as a device that opened would.
class FakePreview final : public PreviewOutput
{
public:
    bool Play(ImportedAudio audio, const PcmFormat&) override
    {
        ++starts;
        playing = opens;
        lastBytes = audio.byteLength;
        return playing;
    }
    void Stop() override
    {
        if (playing && onStop)
        {
            onStop();
        }
        playing = false;
    }
    bool IsPlaying() const override { return playing; }

    bool opens = true; // false: as when no output device opens
    bool playing = false;
    int starts = 0;
    int32_t lastBytes = 0;
    std::function<void()> onStop;
};

size_t CopiedSamples(const VoiceSet& set)
{
    size_t total = 0;
    for (const std::vector<int16_t>& samples : set.samples)
    {
        total += samples.size();
    }
    return total;
}

class EditorTest : public WindowTest
{
protected:
    VoiceEditor& OpenEditor()
    {
        window->menu().editVoice->trigger();
        window->voiceEditor()->UsePreview(preview);
        return *window->voiceEditor();
    }
    void WaitIdle(const VoiceEditor& editor)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !editor.IsBusy(); }, 20000));
    }
    QString Clip(const std::string& name, size_t samples = 3000)
    {
        WriteBytesFile(dir / name, MakeWavBytes(std::vector<int16_t>(samples, 700)));
        return QString::fromStdString((dir / name).string());
    }
    using RowButton = QPushButton* EditorRow::*;
    void Press(VoiceEditor& editor, int kind, RowButton button, const QString& path)
    {
        editor.row(kind).path->setText(path);
        (editor.row(kind).*button)->click();
        WaitIdle(editor);
    }
    QString Count(const VoiceEditor& editor, int kind) const
    {
        return editor.row(kind).count->text();
    }

    FakePreview preview;
};

TEST_F(EditorTest, OpensWithTheDefaultOwnerAndEnterInAFieldPressesNothing)
{
    VoiceEditor& editor = OpenEditor();
    EXPECT_TRUE(editor.isVisible());
    EXPECT_FALSE(editor.isModal());
    EXPECT_EQ(OwnerNameUtf8(state->voices), "名無しさん"); // the set itself, not only the display
    EXPECT_EQ(editor.ownerDisplay().fullText(), QStringLiteral("名無しさん"));
    window->menu().editVoice->trigger(); // a second press: the same editor, forward
    EXPECT_EQ(window->voiceEditor(), &editor);

    for (const QPushButton* button : editor.findChildren<QPushButton*>())
    {
        if (button->window() != &editor)
        {
            continue; // VOICE_NEW's OK is its default
        }
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
    }
    editor.row(0).path->setText(Clip("a.wav"));
    QTest::keyClick(editor.row(0).path, Qt::Key_Return);
    WaitIdle(editor);
    EXPECT_EQ(state->voices.clipCounts[kKindGoodNight], 0);
    EXPECT_TRUE(editor.isVisible());
}

TEST_F(EditorTest, AddEmptiesTheFieldOnlyOnSuccessAndItsMessagesStandOverTheEditor)
{
    ShowWithDefaultVoice();
    VoiceEditor& editor = OpenEditor();
    EXPECT_EQ(Count(editor, kKindGoodNight), QStringLiteral("1/10"));
    // The room left, in minutes of mono audio: a one-minute clip takes one of them.
    const auto minutesLeft = [&editor] {
        const QString text = editor.findChild<QLabel*>(QStringLiteral("roomLabel"))->text();
        const qsizetype at = text.indexOf(QStringLiteral("約 "));
        return at < 0 ? -1 : text.mid(at + 2).section(QLatin1Char(' '), 0, 0).toInt();
    };
    const int before = minutesLeft();
    EXPECT_GT(before, 200);

    const QString wav = Clip("おやすみ.wav", 60 * 44100);
    Press(editor, kKindGoodNight, &EditorRow::add, wav);
    EXPECT_TRUE(editor.row(kKindGoodNight).path->text().isEmpty());
    EXPECT_EQ(Count(editor, kKindGoodNight), QStringLiteral("2/10"));
    EXPECT_EQ(minutesLeft(), before - 1);
    EXPECT_EQ(SourcePathUtf8(state->voices, ClipSlot(kKindGoodNight, 1)), wav.toStdString());

    // A capitalised ".MP3" goes to the WAV import, which refuses it.
    const std::string mp3 = std::string(YUMO_TEST_DATA_DIR) + "/mp3/mono_44k.mp3";
    std::filesystem::copy_file(mp3, dir / "loud.MP3");
    const QString shouting = QString::fromStdString((dir / "loud.MP3").string());
    const QString missing = QString::fromStdString((dir / "none.wav").string());
    for (const QString& bad : {shouting, missing})
    {
        prompts.messages.clear();
        Press(editor, kKindSnore, &EditorRow::add, bad);
        EXPECT_EQ(editor.row(kKindSnore).path->text(), bad);
        ASSERT_EQ(prompts.messages.size(), 1u) << bad.toStdString();
        EXPECT_TRUE(prompts.messages[0].startsWith(QStringLiteral("ファイルオープンエラー: ")))
            << prompts.messages[0].toStdString();
        EXPECT_EQ(prompts.messageOwners[0], &editor);
    }
    EXPECT_EQ(Count(editor, kKindSnore), QStringLiteral("0/10"));

    Press(editor, kKindSnore, &EditorRow::add, QString::fromStdString(mp3));
    EXPECT_EQ(Count(editor, kKindSnore), QStringLiteral("1/10"));
    EXPECT_EQ(state->voices.catalog.sampleCount[ClipSlot(kKindSnore, 0)] % kFramesPerBlock, 0);
}

// WAVs from recorders and editors - 48 kHz 16-bit stereo, 48 kHz 24-bit stereo extensible,
// 32-bit float - are offered for conversion first, described as they are, with no refusal
// before; プレビュー plays them converted. Declined, nothing is added; accepted, the clip is
// converted to 44.1 kHz mono. A WAV the conversion cannot read is refused once, for its field.
TEST_F(EditorTest, ConvertibleWavsAreOfferedForConversionFirstAndPreviewedConverted)
{
    ShowWithDefaultVoice();
    VoiceEditor& editor = OpenEditor();
    struct Case
    {
        const char* name;
        test::WavShape shape;
        const char* described;
    };
    const Case cases[] = {
        {"48k16.wav", {1, false, 2, 48000, 16}, "48 kHz、16ビット、ステレオ"},
        {"48k24.wav", {1, true, 2, 48000, 24}, "48 kHz、24ビット、ステレオ"},
        {"float.wav", {3, false, 1, 44100, 32}, "44.1 kHz、32ビット浮動小数点、モノラル"},
    };
    for (const Case& c : cases)
    {
        std::vector<std::vector<double>> frames(9600, std::vector<double>(c.shape.channels, 0.25));
        WriteBytesFile(dir / c.name, test::MakeWavFile(c.shape, frames));
        const QString path = QString::fromStdString((dir / c.name).string());
        const int kind = kKindSnore;
        const int before = state->voices.clipCounts[kind];

        prompts.shown.clear();
        Press(editor, kind, &EditorRow::preview, path);
        ASSERT_TRUE(preview.playing) << c.name;
        EXPECT_TRUE(prompts.shown.empty()) << prompts.shown[0].toStdString();
        // Mono 16-bit at 44.1 kHz: 9600 frames at the file's rate, resampled.
        EXPECT_NEAR(preview.lastBytes, 2.0 * 9600 * 44100 / c.shape.rate, 4) << c.name;
        Press(editor, kind, &EditorRow::preview, path); // stops it

        prompts.answers = {Answer::No};
        Press(editor, kind, &EditorRow::add, path);
        ASSERT_EQ(prompts.shown.size(), 1u) << c.name;
        EXPECT_EQ(prompts.shown[0],
                  Text(UiText::ConvertQuestion).arg(QString::fromUtf8(c.described)));
        EXPECT_EQ(state->voices.clipCounts[kind], before);
        EXPECT_EQ(editor.row(kind).path->text(), path);

        prompts.answers = {Answer::Yes};
        Press(editor, kind, &EditorRow::add, path);
        EXPECT_EQ(prompts.shown.size(), 2u) << c.name; // the question, no refusal
        ASSERT_EQ(state->voices.clipCounts[kind], before + 1);
        EXPECT_TRUE(editor.row(kind).path->text().isEmpty());
        const int slot = ClipSlot(kind, before);
        EXPECT_EQ(state->voices.catalog.sampleCount[slot], c.shape.rate == 48000 ? 9216 : 9728);
        EXPECT_NEAR(state->voices.samples[slot][4000], 8192, 3);
    }

    prompts.shown.clear();
    WriteBytesFile(dir / "1hz.wav", test::MakeWavFile({1, false, 1, 1, 16}, {{0.5}, {0.5}}));
    Press(editor, kKindSnore, &EditorRow::add, QString::fromStdString((dir / "1hz.wav").string()));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0],
              QStringLiteral("ファイルオープンエラー: このファイルは変換できません。"
                             "サンプリングレートが1 Hzです（変換できるのは1000～"
                             "768000 Hzです）。"));
}

TEST_F(EditorTest, TheLimitMessageComesFirstAndAPreviewGoesOnUntilAnAddStopsIt)
{
    ShowWithDefaultVoice();
    PressKey(Qt::Key_Return); // adds go on during a night, into the set it plays from
    for (int i = state->voices.clipCounts[kKindBreathIn]; i < kMaxClipsPerKind; ++i)
    {
        AppendTestClip(state->voices, kKindBreathIn, MakeTriangleClip(1, 100));
    }
    VoiceEditor& editor = OpenEditor();
    EXPECT_EQ(Count(editor, kKindBreathIn), QStringLiteral("10/10"));
    Press(editor, kKindGoodNight, &EditorRow::preview, Clip("p.wav", 5000));
    ASSERT_TRUE(preview.playing);
    EXPECT_EQ(preview.lastBytes, 5120 * 2); // as imported: the WAV import's whole blocks

    Press(editor, kKindBreathIn, &EditorRow::add, Clip("b.wav"));
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0], QStringLiteral("ボイス追加エラー: ボイスを追加できません。"
                                                  "登録できる最大ボイス数を超えています。"));
    EXPECT_EQ(prompts.messageOwners[0], &editor);
    EXPECT_TRUE(preview.playing);
    EXPECT_FALSE(editor.row(kKindBreathIn).path->text().isEmpty());

    Press(editor, kKindBreathOut, &EditorRow::add, Clip("o.wav"));
    EXPECT_FALSE(preview.playing);
    EXPECT_EQ(Count(editor, kKindBreathOut), QStringLiteral("2/10"));
    EXPECT_TRUE(NightStarted(state->phase));
}

TEST_F(EditorTest, PreviewTogglesAndCountsAsPlayingOnlyWhenItStarted)
{
    VoiceEditor& editor = OpenEditor();
    const QString wav = Clip("p.wav");
    Press(editor, kKindSigh, &EditorRow::preview, wav);
    EXPECT_TRUE(preview.playing);
    Press(editor, kKindSigh, &EditorRow::preview, wav); // stops, starts nothing
    EXPECT_FALSE(preview.playing);
    EXPECT_EQ(preview.starts, 1);
    Press(editor, kKindSigh, &EditorRow::preview, wav);
    EXPECT_EQ(preview.starts, 2);

    // A press while the file is still being imported stops that preview before it starts.
    preview.Stop();
    editor.row(kKindSigh).preview->click();
    editor.row(kKindSigh).preview->click();
    WaitIdle(editor);
    QApplication::processEvents();
    EXPECT_EQ(preview.starts, 2);

    // No output opened: the next press tries again instead of only stopping.
    preview.opens = false;
    Press(editor, kKindSigh, &EditorRow::preview, wav);
    Press(editor, kKindSigh, &EditorRow::preview, wav);
    EXPECT_EQ(preview.starts, 4);
}

TEST_F(EditorTest, SaveChecksBeforeAnyChooserAndOffersTheSetsNameNeverAClipPath)
{
    VoiceEditor& editor = OpenEditor();
    editor.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].startsWith(QStringLiteral("ymv保存エラー: ")));
    EXPECT_EQ(prompts.messageOwners[0], &editor);
    EXPECT_TRUE(prompts.chooserKinds.empty());

    Press(editor, kKindGoodNight, &EditorRow::add, Clip("g.wav"));
    Press(editor, kKindWakeCall, &EditorRow::add, Clip("w.wav"));
    EXPECT_TRUE(editor.HasUnsavedClips());
    const QString target = QString::fromStdString((dir / "mine.ymv").string());
    prompts.files = {target};
    editor.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
    WaitIdle(editor);
    ASSERT_EQ(prompts.chooserKinds.back(), FileChooserKind::SaveVoice);
    EXPECT_EQ(prompts.offeredNames.back(), QStringLiteral("名無しさん.ymv"));
    EXPECT_FALSE(editor.HasUnsavedClips());
    auto saved = std::make_unique<VoiceSet>();
    SilentReporter silent;
    ASSERT_EQ(ReadVoiceDataFile(target.toStdString(), *saved, silent), 0);
    EXPECT_EQ(saved->clipCounts[kKindWakeCall], 1);

    // Next time the file itself; a write that fails says so and keeps the clips unsaved.
    Press(editor, kKindSnore, &EditorRow::add, Clip("s.wav"));
    prompts.files = {QString::fromStdString((dir / "no" / "such.ymv").string())};
    editor.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
    WaitIdle(editor);
    EXPECT_EQ(prompts.offeredNames.back(), target);
    ASSERT_EQ(prompts.messages.size(), 2u);
    EXPECT_EQ(prompts.messageOwners[1], &editor);
    EXPECT_TRUE(editor.HasUnsavedClips());
}

TEST_F(EditorTest, ASaveConfirmedJustBeforeQuittingIsStillWritten)
{
    ShowWithDefaultVoice();
    VoiceEditor& editor = OpenEditor();
    AppendTestClip(state->voices, kKindSnore, MakeTriangleClip(4000, 300)); // copied in turns
    const std::filesystem::path target = dir / "late.ymv";
    prompts.files = {QString::fromStdString(target.string())};
    editor.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
    ASSERT_TRUE(editor.IsBusy());
    // The event loop ends: no further turn copies the rest.
    ASSERT_TRUE(QMetaObject::invokeMethod(qApp, "aboutToQuit", Qt::DirectConnection));
    for (int i = 0; i < 400 && !std::filesystem::exists(target); ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const bool writtenWithoutTheLoop = std::filesystem::exists(target);
    WaitIdle(editor);
    ASSERT_TRUE(writtenWithoutTheLoop);
    auto saved = std::make_unique<VoiceSet>();
    SilentReporter silent;
    ASSERT_EQ(ReadVoiceDataFile(target.string(), *saved, silent), 0);
    EXPECT_EQ(saved->samples[ClipSlot(kKindSnore, 1)],
              state->voices.samples[ClipSlot(kKindSnore, 1)]);
}

// A path the save cannot write to: its folder is a file.
QString UnwritablePath(const std::filesystem::path& dir)
{
    WriteBytesFile(dir / "file", {1});
    return QString::fromStdString((dir / "file" / "set.ymv").string());
}

TEST_F(EditorTest, AQuitWaitsForTheSaveAndOffersAnotherPlaceWhenItFailed)
{
    ShowWithDefaultVoice();
    VoiceEditor& editor = OpenEditor();
    Press(editor, kKindSnore, &EditorRow::add, Clip("s.wav"));
    const std::filesystem::path elsewhere = dir / "elsewhere.ymv";
    prompts.files = {UnwritablePath(dir.path()), QString::fromStdString(elsewhere.string())};
    prompts.answers = {Answer::Yes}; // save elsewhere
    editor.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
    ASSERT_TRUE(editor.IsSaving());
    window->close();
    EXPECT_TRUE(window->isVisible()); // waiting for the save
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 20000));

    // The failure was shown (of a new file: no word of a previous one), then the question, then
    // the save elsewhere; no other question.
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.messages[0],
              QStringLiteral("ymv保存エラー: ボイスデータファイルを書き込めませんでした。"
                             "保存先のフォルダがありません。"));
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], Text(UiText::SaveFailedAtQuitQuestion));
    auto saved = std::make_unique<VoiceSet>();
    SilentReporter silent;
    ASSERT_EQ(ReadVoiceDataFile(elsewhere.string(), *saved, silent), 0);
    EXPECT_EQ(saved->clipCounts[kKindSnore], 1);
}

TEST_F(EditorTest, AQuitAfterAFailedSaveMayGiveTheClipsUp)
{
    ShowWithDefaultVoice();
    VoiceEditor& editor = OpenEditor();
    Press(editor, kKindSnore, &EditorRow::add, Clip("s.wav"));
    prompts.files = {UnwritablePath(dir.path())};
    prompts.answers = {Answer::No}; // quit anyway
    editor.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
    window->close();
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 20000));
    EXPECT_EQ(prompts.messages.size(), 1u);
    EXPECT_EQ(prompts.questions.size(), 1u); // not asked again about the unsaved clips
}

TEST_F(EditorTest, NewSetEndsTheNightAndTheOwnerDisplayWaitsForTheName)
{
    ShowWithDefaultVoice();
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(NightStarted(state->phase));
    VoiceEditor& editor = OpenEditor();
    EXPECT_EQ(editor.ownerDisplay().fullText(), QStringLiteral("テスト"));
    const int widthBefore = editor.minimumSizeHint().width();
    QPushButton* newSet = editor.findChild<QPushButton*>(QStringLiteral("newButton"));

    prompts.answers = {Answer::No};
    newSet->click();
    EXPECT_TRUE(NightStarted(state->phase));
    EXPECT_EQ(prompts.questions.back(),
              QStringLiteral("現在開いているボイスデータは閉じられます。続行しますか？"));

    prompts.answers = {Answer::Yes};
    newSet->click();
    EXPECT_FALSE(NightStarted(state->phase));
    EXPECT_EQ(MenuStateOf(state->phase), MenuState::Stopped);
    EXPECT_TRUE(window->menu().goodNight->isEnabled()); // the menu followed at once
    EXPECT_EQ(Count(editor, kKindGoodNight), QStringLiteral("0/10"));
    EXPECT_EQ(state->voices.clipCounts[kKindBuiltInSilence], 4);
    EXPECT_EQ(state->voices.ownerName[0], u'\0');
    EXPECT_EQ(editor.ownerDisplay().fullText(), QStringLiteral("テスト"));
    NewVoiceDialog& dialog = editor.newVoiceDialog();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.isModal());

    QTest::keyClicks(&dialog.field(), QString(300, QLatin1Char('n')));
    QTest::keyClick(&dialog.field(), Qt::Key_Return); // OK
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(OwnerNameUtf8(state->voices), std::string(255, 'n'));
    EXPECT_EQ(editor.ownerDisplay().fullText(), QString(255, QLatin1Char('n')));
    // A long name does not push the editor's buttons off the screen: it ends in "…".
    EXPECT_EQ(editor.minimumSizeHint().width(), widthBefore);
    EXPECT_TRUE(editor.ownerDisplay().text().endsWith(QChar(0x2026)));

    // Cancelled: the name stays empty until the editor opens again.
    prompts.answers = {Answer::Yes};
    newSet->click();
    dialog.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    EXPECT_EQ(state->voices.ownerName[0], u'\0');
    editor.findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
    EXPECT_FALSE(editor.isVisible());
    OpenEditor();
    EXPECT_EQ(editor.ownerDisplay().fullText(), QStringLiteral("名無しさん"));
}

TEST_F(EditorTest, ALoadStopsThePreviewFirstAndCountsFollowLoadsAndCloses)
{
    ShowWithDefaultVoice();
    VoiceEditor& editor = OpenEditor();
    // A new set, whose name is still asked for when another set is loaded.
    prompts.answers = {Answer::Yes, Answer::Yes}; // the new set; then its unsaved clips may go
    editor.findChild<QPushButton*>(QStringLiteral("newButton"))->click();
    Press(editor, kKindGoodNight, &EditorRow::add, Clip("g.wav"));
    Press(editor, kKindGoodNight, &EditorRow::add, Clip("g2.wav"));
    Press(editor, kKindGoodNight, &EditorRow::preview, Clip("p.wav"));
    ASSERT_TRUE(preview.playing);
    int countAtStop = -1;
    preview.onStop = [&] { countAtStop = state->voices.clipCounts[kKindGoodNight]; };

    prompts.files = {QString::fromStdString(WriteVoiceFile("other.ymv").string())};
    window->menu().loadVoice->trigger();
    WaitForLoads();
    EXPECT_FALSE(editor.newVoiceDialog().isVisible()); // its OK cannot rename the loaded set
    EXPECT_FALSE(preview.playing);
    EXPECT_EQ(countAtStop, 2); // stopped while the old set was still whole
    EXPECT_EQ(Count(editor, kKindGoodNight), QStringLiteral("1/10"));
    EXPECT_FALSE(editor.HasUnsavedClips());

    window->menu().closeVoice->trigger();
    EXPECT_EQ(Count(editor, kKindBreathInOut), QStringLiteral("0/10"));
    EXPECT_TRUE(editor.ownerDisplay().fullText().isEmpty());
}

TEST_F(EditorTest, UnsavedClipsAreNotLostWithoutAQuestion)
{
    ShowWithDefaultVoice();
    VoiceEditor& editor = OpenEditor();
    window->menu().loadVoice->trigger(); // nothing added: no question, the chooser at once
    EXPECT_TRUE(prompts.questions.empty());
    EXPECT_EQ(prompts.chooserKinds.size(), 1u);
    prompts.chooserKinds.clear();
    Press(editor, kKindSnore, &EditorRow::add, Clip("s.wav"));

    prompts.answers = {Answer::No, Answer::No, Answer::No};
    window->menu().closeVoice->trigger();
    window->menu().loadVoice->trigger();
    window->close();
    EXPECT_EQ(prompts.questions.size(), 3u);
    EXPECT_TRUE(prompts.chooserKinds.empty()); // asked before the chooser
    EXPECT_EQ(state->voices.clipCounts[kKindSnore], 1);
    EXPECT_TRUE(window->isVisible());

    prompts.answers = {Answer::Yes};
    window->menu().closeVoice->trigger();
    EXPECT_EQ(state->voices.clipCounts[kKindSnore], 0);
}

TEST_F(EditorTest, FollowsALanguageSwitchWhileOpen)
{
    VoiceEditor& editor = OpenEditor();
    LanguageSwitch language;
    ASSERT_TRUE(language.Apply(Language::English));
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.windowTitle(), QStringLiteral("Edit Voice Data"));
    EXPECT_EQ(editor.findChild<QGroupBox*>()->title(), QStringLiteral("Add Voices"));
    EXPECT_EQ(editor.row(kKindGoodNight).label->text(), QStringLiteral("Good night"));
    EXPECT_EQ(editor.row(kKindGoodNight).add->text(), QStringLiteral("Add"));
    EXPECT_EQ(
        editor.newVoiceDialog().findChild<QPushButton*>(QStringLiteral("cancelButton"))->text(),
        QStringLiteral("Cancel"));
    ASSERT_TRUE(language.Apply(Language::Japanese));
    QCoreApplication::processEvents();
    EXPECT_EQ(editor.row(kKindGoodNight).label->text(), QStringLiteral("おやすみ"));
    EXPECT_EQ(editor.row(kKindGoodNight).add->text(), QStringLiteral("追加"));
}

TEST(VoiceSetCopy, SlicesMakeWhatAFileStoresAndLeaveLaterClipsOut)
{
    auto set = std::make_unique<VoiceSet>();
    EstablishBuiltInSilences(*set);
    SetOwnerName(*set, "ゆめ");
    AppendTestClip(*set, kKindGoodNight, MakeTriangleClip(3, 900));
    AppendTestClip(*set, kKindGoodNight, MakeTriangleClip(1, 500));
    AppendTestClip(*set, kKindFileOnly, MakeTriangleClip(2, 300));
    AppendTestClip(*set, kKindWakeCall, MakeTriangleClip(5, 700));

    VoiceSetCopy copy = BeginVoiceSetCopy(*set);
    AppendTestClip(*set, kKindSnore, MakeTriangleClip(1, 100)); // added while it is copied
    size_t copied = 0;
    int calls = 0;
    for (bool whole = false; !whole && calls < 100; ++calls)
    {
        const size_t before = CopiedSamples(*copy.set);
        whole = ContinueVoiceSetCopy(*set, copy, 700);
        EXPECT_LE(CopiedSamples(*copy.set) - before, 700u);
        copied = CopiedSamples(*copy.set);
    }
    EXPECT_EQ(copied, (3 + 1 + 2 + 5) * 512u);
    EXPECT_EQ(calls, 9); // 5632 samples in slices of 700
    for (const int slot : {ClipSlot(kKindGoodNight, 0), ClipSlot(kKindGoodNight, 1),
                           ClipSlot(kKindFileOnly, 0), ClipSlot(kKindWakeCall, 0)})
    {
        EXPECT_EQ(copy.set->samples[slot], set->samples[slot]) << slot;
    }
    EXPECT_EQ(copy.set->clipCounts[kKindSnore], 0);
    EXPECT_EQ(OwnerNameUtf8(*copy.set), "ゆめ");
}

TEST(PathField, ADroppedFileUrlBecomesItsLocalPath)
{
    EnsureTestApplication();
    PathField field;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/声 1.wav"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&field, &drop);
    EXPECT_EQ(field.text(), QStringLiteral("/tmp/声 1.wav"));

    QMimeData text;
    text.setText(QStringLiteral("file:///tmp/a%20b.mp3\nfile:///tmp/c.wav"));
    EXPECT_EQ(DroppedLocalPath(text), QStringLiteral("/tmp/a b.mp3"));
    text.setText(QStringLiteral("https://example.org/a.mp3"));
    EXPECT_TRUE(DroppedLocalPath(text).isEmpty());
}

TEST(OfferedVoiceFileName, TheSetsFileElseTheOwnersNameAsAFileName)
{
    EXPECT_EQ(OfferedVoiceFileName(QStringLiteral("/v/a.ymv"), true, QStringLiteral("x")),
              QStringLiteral("/v/a.ymv"));
    // An installed voice's folder is read-only: the chooser's own folder instead.
    EXPECT_EQ(OfferedVoiceFileName(QStringLiteral("/usr/share/yumo/ymv/Yumone.ymv"), false,
                                   QStringLiteral("x")),
              QStringLiteral("Yumone.ymv"));
    EXPECT_EQ(OfferedVoiceFileName({}, false, QStringLiteral(" ゆめ/a:b ")),
              QStringLiteral("ゆめ_a_b.ymv"));
    EXPECT_EQ(OfferedVoiceFileName({}, false, QStringLiteral("..")), QStringLiteral("_..ymv"));
    EXPECT_TRUE(OfferedVoiceFileName({}, false, QString()).isEmpty());
}

} // namespace
} // namespace yumo::test
