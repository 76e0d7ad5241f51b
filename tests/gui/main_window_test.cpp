// The main window's wiring: the menu through a night, the keys, dropped files, the volume
// arrows and the close question, driven as a user would through an offscreen window.

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <sys/stat.h>
#include <utility>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QBackingStore>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include "display/level_gauge.h"
#include "gui/texts/message_reporter.h"
#include "gui/window/arrow_buttons.h"
#include "gui/window/client_area.h"
#include "gui/window/pane_widget.h"
#include "gui/window_fixture.h"
#include "night/behaviour.h"
#include "night/gentle_stage.h"
#include "night/offline_device.h"
#include "support/night_data.h"
#include "support/test_support.h"

namespace yumo::test
{
namespace
{

// Counts the paints one widget receives.
class PaintCounter final : public QObject
{
public:
    PaintCounter(QWidget& widget, int& paints) : paints_(paints)
    {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints_ += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }

private:
    int& paints_;
};

struct MenuEnabled
{
    bool load, close, goodNight, wakeUp, version;
};

void ExpectMenu(const MainMenu& menu, MenuEnabled expected)
{
    EXPECT_EQ(menu.loadVoice->isEnabled(), expected.load);
    EXPECT_EQ(menu.closeVoice->isEnabled(), expected.close);
    EXPECT_EQ(menu.goodNight->isEnabled(), expected.goodNight);
    EXPECT_EQ(menu.wakeUp->isEnabled(), expected.wakeUp);
    EXPECT_EQ(menu.version->isEnabled(), expected.version);
    EXPECT_TRUE(menu.editVoice->isEnabled());
    EXPECT_TRUE(menu.quit->isEnabled());
    EXPECT_FALSE(menu.beWoken->isEnabled()); // 起こしてもらう... never
}

TEST_F(WindowTest, MenuFollowsTheNightThroughEnterKeysAndItsOwnEnd)
{
    const MainMenu& menu = window->menu();
    ExpectMenu(menu, {true, false, false, false, true}); // NoVoice
    ShowWithDefaultVoice();
    ExpectMenu(menu, {true, true, true, false, true}); // Loaded
    EXPECT_TRUE(prompts.chooserKinds.empty());         // the default voice needs no chooser

    PressKey(Qt::Key_Return);
    EXPECT_TRUE(NightPlays(state->phase));
    ExpectMenu(menu, {false, false, false, true, false}); // Running
    EXPECT_FALSE(window->client().comeHereButton->isEnabled());
    EXPECT_EQ(device.writtenBlocks, 10u); // the stream was primed

    PressKey(Qt::Key_W, Qt::ControlModifier); // closing the voice is blocked in a night
    EXPECT_TRUE(VoiceLoaded(state->phase));
    PressKey(Qt::Key_O, Qt::ControlModifier); // so is loading
    EXPECT_TRUE(prompts.chooserKinds.empty());

    PressKey(Qt::Key_Enter); // the keypad's Enter too
    EXPECT_FALSE(NightPlays(state->phase));
    ExpectMenu(menu, {true, true, true, false, true}); // Stopped
    EXPECT_TRUE(window->client().comeHereButton->isEnabled());

    // A night that ended by itself keeps 起きます until the window hears of it; Enter then
    // starts a new night instead of doing nothing.
    PressKey(Qt::Key_Return);
    DrainNight(*state);
    window->Tick();
    ExpectMenu(menu, {false, false, false, true, false});
    PressKey(Qt::Key_Return);
    EXPECT_TRUE(NightPlays(state->phase));

    window->menu().wakeUp->trigger();
    EXPECT_EQ(MenuStateOf(state->phase), MenuState::Stopped);
    PressKey(Qt::Key_W, Qt::ControlModifier);
    EXPECT_FALSE(VoiceLoaded(state->phase));
    ExpectMenu(menu, {true, false, false, false, true});
    PressKey(Qt::Key_Return); // nothing to start
    EXPECT_FALSE(NightPlays(state->phase));
}

// With an output that runs ahead of the ear, the gauge shows the block being heard: her short
// greeting while the ear is on it, though the newest blocks written are silent again.
TEST_F(WindowTest, TheGaugeShowsTheBlockBeingHeardNotTheNewestWritten)
{
    ShowWithDefaultVoice();
    uint64_t heard = 0;
    window->SetHeardClock([&heard](uint64_t& bytes) {
        bytes = heard;
        return true;
    });
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(NightPlays(state->phase));
    for (int i = 0; i < 100; ++i)
    {
        ASSERT_TRUE(PumpOfflineDevice(device));
    }
    ASSERT_EQ(LiveFacts(*state).peaks.left, 0); // the greeting has long been written

    window->Tick(); // the ear at the night's silent start
    EXPECT_EQ(window->shownFacts().peaks.left, 0);
    const QImage silent = window->client().gauge->grab().toImage();
    heard = 15 * kBytesPerBlock; // in her greeting
    window->Tick();
    EXPECT_GT(window->shownFacts().peaks.left, 1000);
    EXPECT_NE(window->client().gauge->grab().toImage(), silent);
}

// The gauge repaints when a bar gains or loses a segment or a lamp turns, not for every peak:
// the ear moves through blocks of chosen peaks, and each step repaints the gauge once or not.
TEST_F(WindowTest, TheGaugeRepaintsOnlyWhenASegmentOrLampChanges)
{
    ShowWithDefaultVoice();
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(NightPlays(state->phase));
    constexpr uint64_t kFar = uint64_t{1} << 40; // beyond what the night writes
    uint64_t heard = kFar;
    window->SetHeardClock([&heard](uint64_t& bytes) {
        bytes = heard;
        return true;
    });
    PaneWidget& gauge = *window->client().gauge;
    int paints = 0;
    PaintCounter counter(gauge, paints);
    const int width = gauge.width();
    // The peak at which a bar of `segments` segments begins (its level, inverted).
    const auto peakFor = [width](int segments) {
        const double end = kGaugeMargin + kGaugeSegmentPitch * segments + 0.5;
        return 32767 *
               std::exp(((end - kGaugeMargin) * kGaugeFullScale / (width - 20) - kGaugeFullScale) /
                        10);
    };
    const struct
    {
        double left, right;
        int repaints;
    } steps[] = {
        {peakFor(20), peakFor(20), 1},               // the first face differs from the greeting's
        {peakFor(20), peakFor(20), 0},               // steady
        {peakFor(20) * 1.01, peakFor(20) * 1.02, 0}, // louder, but not by a segment
        {peakFor(21), peakFor(20), 1},               // one segment more on the left
        {peakFor(21), peakFor(19), 1},               // one fewer on the right
        {32767, peakFor(19), 1},                     // the left lamp turns red
        {32767, peakFor(19), 0},
    };
    for (size_t i = 0; i < std::size(steps); ++i)
    {
        heard += kBytesPerBlock;
        HeardFacts facts = LiveFacts(*state);
        facts.peaks = {steps[i].left, steps[i].right};
        state->stream.heard.Record(heard, facts);
        const int before = paints;
        window->Tick();
        if (steps[i].repaints > 0)
        {
            EXPECT_TRUE(QTest::qWaitFor([&] { return paints > before; }, 2000)) << i;
        }
        QTest::qWait(2 * kTickMilliseconds); // the timer's own ticks repaint nothing more
        EXPECT_EQ(paints - before, steps[i].repaints) << "step " << i;
    }
}

// Her bounce moves what the window shows instead of painting her again; after many ticks of it
// what the window holds of her pane is still her frame, pixel for pixel, bands behind her too.
TEST_F(WindowTest, HerBounceMovedOnScreenStaysHerFrame)
{
    // A picture whose left half is transparent, so the bands show inside her rectangle.
    QImage picture(200, 150, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
    {
        for (int x = 0; x < picture.width(); ++x)
        {
            picture.setPixel(x, y, x < 100 ? 0 : qRgb(x, y, (x * y) % 256));
        }
    }
    std::filesystem::create_directories(dir / "img");
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "img" / "her.png").string())));
    WriteTextFile(dir / "img" / "Image.txt", "img/her.png\n");
    window.reset();
    window = std::make_unique<MainWindow>(*state, device, prompts);
    ShowWithDefaultVoice();
    PressKey(Qt::Key_Return);
    PaneWidget& pane = *window->client().character;
    const QRect onWindow(pane.mapTo(window.get(), QPoint()), pane.size());
    for (int i = 0; i < 120; ++i)
    {
        window->Tick();
        QCoreApplication::processEvents();
    }
    QTest::qWait(50);
    const auto* store = dynamic_cast<const QImage*>(window->backingStore()->paintDevice());
    ASSERT_NE(store, nullptr);
    const QImage shown = store->copy(onWindow);
    const QImage frame = pane.grab().toImage().convertToFormat(shown.format());
    ASSERT_EQ(shown.size(), frame.size());
    EXPECT_TRUE(shown == frame) << "her pane on the window differs from her frame";
}

TEST_F(WindowTest, HeldKeysCountOnceAndKeysReachTheWindowFromASlider)
{
    ShowWithDefaultVoice();
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(NightPlays(state->phase));
    for (int i = 0; i < 5; ++i)
    {
        PressKey(Qt::Key_Return, Qt::NoModifier, true); // auto-repeat while held
    }
    EXPECT_TRUE(NightPlays(state->phase));
    PressKey(Qt::Key_Return);
    EXPECT_FALSE(NightPlays(state->phase));

    QSlider* slider = window->client().personality[0].slider;
    slider->setFocus();
    ASSERT_TRUE(slider->hasFocus());
    PressKey(Qt::Key_Right); // the keyboard moves the slider and the value follows
    EXPECT_EQ(state->personality.netsuki, 6);
    PressKey(Qt::Key_Return);
    EXPECT_TRUE(NightPlays(state->phase));

    // Clicking a button leaves the focus with the window.
    QTest::mouseClick(window->client().swapButton, Qt::LeftButton);
    EXPECT_FALSE(window->client().swapButton->hasFocus());

    PressKey(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(NightPlays(state->phase)); // closing ended the night
}

TEST_F(WindowTest, CtrlOAndTheMenuLoadThroughTheChooserAndEndANightOnlyWhenAFileWasChosen)
{
    ShowWithDefaultVoice();
    PressKey(Qt::Key_Return);
    ASSERT_TRUE(NightPlays(state->phase));

    // The music chooser cancelled: the night goes on.
    QTest::mouseClick(window->client().musicButton, Qt::LeftButton);
    ASSERT_EQ(prompts.chooserKinds.size(), 1u);
    EXPECT_EQ(prompts.chooserKinds[0], FileChooserKind::Music);
    EXPECT_TRUE(NightPlays(state->phase));

    const QString rain = QString::fromStdString(WriteMusicFile("rain.wav").string());
    prompts.files.push_back(rain);
    QTest::mouseClick(window->client().musicButton, Qt::LeftButton);
    // The file is read on a worker: until its result is in, the night and the menu go on.
    EXPECT_TRUE(window->IsLoading());
    EXPECT_EQ(state->music.loadCount, 0);
    EXPECT_TRUE(NightPlays(state->phase));
    EXPECT_EQ(MenuStateOf(state->phase), MenuState::Running);
    WaitForLoads();
    EXPECT_EQ(state->music.loadCount, 1);
    EXPECT_FALSE(NightPlays(state->phase));
    EXPECT_EQ(MenuStateOf(state->phase), MenuState::Stopped);

    prompts.files.push_back(QString::fromStdString(WriteVoiceFile("other.ymv").string()));
    PressKey(Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(prompts.chooserKinds.back(), FileChooserKind::OpenVoice);
    EXPECT_EQ(MenuStateOf(state->phase), MenuState::Stopped);
    WaitForLoads();
    EXPECT_EQ(MenuStateOf(state->phase), MenuState::Loaded);

    // After a voice load the music chooser offers the last music, not the voice data.
    EXPECT_TRUE(prompts.offeredNames.front().isEmpty());
    QTest::mouseClick(window->client().musicButton, Qt::LeftButton);
    EXPECT_EQ(prompts.chooserKinds.back(), FileChooserKind::Music);
    EXPECT_EQ(prompts.offeredNames.back(), rain);

    // A file that cannot be read: nothing stays loaded, and the user hears why.
    prompts.files.push_back(QString::fromStdString((dir / "missing.ymv").string()));
    window->menu().loadVoice->trigger();
    WaitForLoads();
    EXPECT_FALSE(VoiceLoaded(state->phase));
    EXPECT_EQ(MenuStateOf(state->phase), MenuState::NoVoice);
    EXPECT_FALSE(window->menu().goodNight->isEnabled());
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].contains(QStringLiteral("missing.ymv")));
}

TEST_F(WindowTest, DropsLoadByExactExtensionAfterTheDropHasReturned)
{
    ShowWithDefaultVoice();
    PressKey(Qt::Key_W, Qt::ControlModifier);
    ASSERT_FALSE(VoiceLoaded(state->phase));

    const QString voice = QString::fromStdString(WriteVoiceFile("drop.YMV").string());
    Drop({QUrl::fromLocalFile(voice)});
    QCoreApplication::processEvents();
    EXPECT_FALSE(VoiceLoaded(state->phase)); // capitals are another extension

    Drop({QUrl(QStringLiteral("https://example.org/voice.ymv"))});
    QCoreApplication::processEvents();
    EXPECT_FALSE(VoiceLoaded(state->phase));

    const QString lower = QString::fromStdString(WriteVoiceFile("drop.ymv").string());
    Drop({QUrl::fromLocalFile(lower), QUrl::fromLocalFile(voice)});
    EXPECT_FALSE(VoiceLoaded(state->phase)); // not inside the drop event
    QCoreApplication::processEvents();
    WaitForLoads();
    EXPECT_TRUE(VoiceLoaded(state->phase));
    EXPECT_TRUE(prompts.chooserKinds.empty());

    // Music alone does not make a night startable.
    PressKey(Qt::Key_W, Qt::ControlModifier);
    Drop({QUrl::fromLocalFile(QString::fromStdString(WriteMusicFile("a.mp3.wav").string()))});
    QCoreApplication::processEvents();
    WaitForLoads();
    EXPECT_EQ(state->music.loadCount, 1);
    EXPECT_EQ(state->phase, NightPhase::NoVoice);
    EXPECT_EQ(PlayPaneState(state->phase), PlayPaneLook::Greyed);

    // A pipe named like a data file is refused at once with the reader's message, and changes
    // nothing: opened as a file, it would wait for a writer for ever.
    for (const char* name : {"pipe.wav", "pipe.ymv"})
    {
        ASSERT_EQ(::mkfifo((dir / name).c_str(), 0600), 0);
        const auto told = [&] { return reporter.messages.size() + prompts.messages.size(); };
        const size_t before = told();
        Drop({QUrl::fromLocalFile(QString::fromStdString((dir / name).string()))});
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window->IsLoading(); }, 1000)) << name;
        EXPECT_EQ(told(), before + 1) << name;
        EXPECT_EQ(state->music.loadCount, 1);
        EXPECT_EQ(state->phase, NightPhase::NoVoice);
    }

    EXPECT_EQ(ClassifyDroppedFile(QStringLiteral("/a/b.mp3")), DropTarget::Music);
    EXPECT_EQ(ClassifyDroppedFile(QStringLiteral("/a.ymv/noext")), DropTarget::None);
    EXPECT_EQ(ClassifyDroppedFile(QStringLiteral("/a/b")), DropTarget::None);
    EXPECT_EQ(ClassifyDroppedFile(QStringLiteral("/a/b.Wav")), DropTarget::None);
}

TEST_F(WindowTest, VolumeArrowsStepATenthOfADecibelWithinThirtyAndTheSliderFollows)
{
    ShowWithDefaultVoice();
    const VolumeRow& voice = window->client().voice;
    for (int i = 0; i < 20; ++i)
    {
        QTest::mouseClick(voice.arrows->upButton(), Qt::LeftButton);
    }
    EXPECT_EQ(state->stream.voiceVolume, 20); // +2.0 dB
    EXPECT_EQ(voice.slider->value(), 20);
    QTest::mouseClick(voice.arrows->downButton(), Qt::LeftButton);
    EXPECT_EQ(state->stream.voiceVolume, 19);

    const VolumeRow& music = window->client().music;
    music.slider->setValue(299);
    EXPECT_EQ(state->stream.musicVolume, 299);
    QTest::mouseClick(music.arrows->upButton(), Qt::LeftButton);
    QTest::mouseClick(music.arrows->upButton(), Qt::LeftButton);
    EXPECT_EQ(state->stream.musicVolume, 300);
    EXPECT_EQ(music.slider->pageStep(), 120);

    QTest::mouseClick(voice.reset, Qt::LeftButton);
    EXPECT_EQ(state->stream.voiceVolume, 0);
    EXPECT_EQ(voice.slider->value(), 0);
    EXPECT_EQ(state->stream.musicVolume, 300);

    // "M" checked is music off; loading music clears it again.
    QPushButton* m = window->client().musicOnButton;
    QTest::mouseClick(m, Qt::LeftButton);
    EXPECT_TRUE(m->isChecked());
    EXPECT_FALSE(state->music.musicOn);
    prompts.files.push_back(QString::fromStdString(WriteMusicFile("m.wav").string()));
    QTest::mouseClick(window->client().musicButton, Qt::LeftButton);
    WaitForLoads();
    EXPECT_FALSE(m->isChecked());
    EXPECT_TRUE(state->music.musicOn);
    QTest::mouseClick(m, Qt::LeftButton);
    QTest::mouseClick(m, Qt::LeftButton);
    EXPECT_TRUE(state->music.musicOn);
}

TEST_F(WindowTest, CloseQuestionSavesTheRecordToItsOwnFileOrKeepsTheWindowOpen)
{
    ShowWithDefaultVoice();
    state->positionRecordSaved = false;
    PressKey(Qt::Key_Return);

    prompts.answers = {Answer::Cancel};
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(NightPlays(state->phase)); // the night ended before the question
    ASSERT_EQ(prompts.questions.size(), 1u);
    EXPECT_EQ(prompts.questions[0], QStringLiteral("位置情報は変更されています。保存しますか？"));

    prompts.answers = {Answer::Yes}; // and the chooser is cancelled
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(prompts.chooserKinds.back(), FileChooserKind::SavePositionRecord);
    state->referenceDistance[0] = 0.7; // whatever the night left, a save keeps it

    // A target that cannot be written: still open, still unsaved.
    prompts.answers = {Answer::Yes};
    prompts.files.push_back(QString::fromStdString((dir / "no" / "such" / "x.ypos").string()));
    window->close();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(state->positionRecordSaved);
    reporter.messages.clear();

    const std::filesystem::path record = dir / "night.ypos";
    prompts.answers = {Answer::Yes};
    prompts.files.push_back(QString::fromStdString(record.string()));
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(std::filesystem::exists(record));
    EXPECT_TRUE(state->positionRecordSaved);
    EXPECT_EQ(state->referenceDistance[0], 0.7);

    // No: closes without writing; saved: closes without asking.
    window->show();
    state->positionRecordSaved = false;
    prompts.answers = {Answer::No};
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(state->positionRecordSaved);
    const size_t asked = prompts.questions.size();
    state->positionRecordSaved = true;
    window->show();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(prompts.questions.size(), asked);
}

// Takes the stream's blocks until `limit` writes, then refuses them, as a sound server that
// went away does.
class FailingDevice final : public AudioDevice
{
public:
    bool Open(const PcmFormat& format, BlockDone onBlockDone) override
    {
        return inner.Open(format, std::move(onBlockDone));
    }
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override
    {
        return writes++ < limit && inner.Write(blockIndex, data, byteCount);
    }
    void Reset() override { inner.Reset(); }
    void Close() override { inner.Close(); }

    OfflineDevice inner;
    int writes = 0;
    int limit = 14;
};

TEST_F(WindowTest, ADeviceFailingDuringANightEndsItWithOneMessageAndTheMenuFollows)
{
    FailingDevice failing;
    MessageReporter messages(prompts);
    std::unique_ptr<AppState> night = CreateAppState(messages);
    night->hrir = MakePassThroughHrirSet();
    MainWindow failingWindow(*night, failing, prompts);
    messages.SetOwner(&failingWindow);
    failingWindow.LoadDefaultVoiceData();
    failingWindow.show();
    QTest::keyClick(&failingWindow.client(), Qt::Key_Return);
    ASSERT_TRUE(NightPlays(night->phase));

    for (int i = 0; i < 100 && PumpOfflineDevice(failing.inner); ++i)
    {
    }
    EXPECT_FALSE(NightPlays(night->phase));
    EXPECT_TRUE(prompts.messages.empty()); // not shown inside the refill
    QCoreApplication::processEvents();
    ASSERT_EQ(prompts.messages.size(), 1u);
    EXPECT_TRUE(prompts.messages[0].startsWith(QStringLiteral("オーディオエラー")));
    failingWindow.Tick();
    EXPECT_FALSE(failingWindow.menu().wakeUp->isEnabled());
    EXPECT_TRUE(failingWindow.menu().goodNight->isEnabled());
}

TEST_F(WindowTest, TimerRunsOnlyWhileTheWindowCanBeSeen)
{
    EXPECT_FALSE(window->IsTicking());
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    EXPECT_TRUE(window->IsTicking());
    window->showMinimized();
    EXPECT_FALSE(window->IsTicking());
    window->showNormal();
    EXPECT_TRUE(window->IsTicking());
    window->hide();
    EXPECT_FALSE(window->IsTicking());
}

// Closing during a night fades her out first, and the window goes once the fade has reached
// silence, also when it is closed from the task bar, where the window's tick does not run.
TEST_F(WindowTest, ClosingDuringANightFadesHerOutThenCloses)
{
    ShowWithDefaultVoice();
    state->gentle.settings.fadeFrames = kDefaultFadeFrames;
    PressKey(Qt::Key_Return);
    for (int i = 0; i < 4 * kDefaultFadeFrames / kFramesPerBlock; ++i) // past the fade-in
    {
        PumpOfflineDevice(device);
    }
    ASSERT_FLOAT_EQ(state->gentle.gain, 1.0f);
    window->showMinimized();
    ASSERT_FALSE(window->IsTicking());

    EXPECT_FALSE(window->close());
    ASSERT_TRUE(NightPlays(state->phase));
    const int64_t closedAt = state->gentle.frame;
    std::vector<float> gains;
    for (int i = 0; i < 1000 && NightPlays(state->phase); ++i)
    {
        PumpOfflineDevice(device);
        gains.push_back(state->gentle.gain);
    }
    ASSERT_FALSE(NightPlays(state->phase));
    const int64_t faded = state->gentle.frame - closedAt;
    EXPECT_GE(faded, kDefaultFadeFrames);
    EXPECT_LE(faded, kDefaultFadeFrames + (kOutputBlockCount + 2) * kFramesPerBlock);
    EXPECT_TRUE(std::is_sorted(gains.rbegin(), gains.rend())) << "the fade only falls";
    EXPECT_EQ(gains.back(), 0.0f);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000));
    EXPECT_TRUE(prompts.shown.empty());
}

// Hands blocks back as the server takes them, as the window's output does, with the ear 436 ms
// behind what was sent and the unsent blocks ahead of that; what the server holds when the
// output is reset is never heard.
class LeadDevice final : public AudioDevice
{
public:
    static constexpr uint64_t kLeadBytes = uint64_t{kSampleRate} * 436 / 1000 * kBytesPerFrame;

    LeadDevice()
    {
        inner.sink = [this](const int16_t* data, size_t bytes) {
            sent.insert(sent.end(), data, data + bytes / 2);
        };
    }
    bool Open(const PcmFormat& format, BlockDone onBlockDone) override
    {
        sent.clear();
        return inner.Open(format, std::move(onBlockDone));
    }
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override
    {
        return inner.Write(blockIndex, data, byteCount);
    }
    void Reset() override
    {
        uint64_t bytes = 0;
        HeardSinceOpen(bytes);
        heard.assign(sent.begin(), sent.begin() + static_cast<std::ptrdiff_t>(bytes / 2));
        inner.Reset();
    }
    void Close() override { inner.Close(); }
    bool HasClock() const override { return false; } // pumped by the test as fast as it likes
    bool HeardSinceOpen(uint64_t& bytes) override
    {
        const uint64_t sentBytes = sent.size() * 2;
        bytes = sentBytes > kLeadBytes ? sentBytes - kLeadBytes : 0;
        return true;
    }

    OfflineDevice inner;
    std::vector<int16_t> sent;
    std::vector<int16_t> heard; // up to the ear's place when the output was last reset
};

// However a night is ended — 起きます, closing the window, a file dropped on it, the sleep
// timer — the ear hears its fade to the end: the last audible frame is the fade's last, and
// the 20 ms before it stay below -50 dBFS.
TEST_F(WindowTest, TheEarHearsTheFadeToItsEndThoughTheOutputRunsAhead)
{
    const QString music = QString::fromStdString(WriteMusicFile("tone.wav").string());
    const QString voice = QString::fromStdString(WriteVoiceFile("other.ymv").string());
    const std::pair<const char*, std::function<void(LeadDevice&)>> endings[] = {
        {"起きます", [this](LeadDevice&) { PressKey(Qt::Key_Return); }},
        {"closing", [this](LeadDevice&) { EXPECT_FALSE(window->close()); }},
        {"a dropped voice file", [&](LeadDevice&) { Drop({QUrl::fromLocalFile(voice)}); }},
        {"the sleep timer without a wake time",
         [this](LeadDevice& lead) {
             SetNightSleepTimer(*state, 5 * kSampleRate);
             while (GentleLastFrame(state->gentle) < 0 && PumpOfflineDevice(lead.inner))
             {
             }
         }},
    };
    for (const auto& [name, end] : endings)
    {
        SCOPED_TRACE(name);
        LeadDevice lead;
        window = std::make_unique<MainWindow>(*state, lead, prompts);
        ShowWithDefaultVoice();
        Drop({QUrl::fromLocalFile(music)});
        QCoreApplication::processEvents();
        WaitForLoads();
        ASSERT_TRUE(state->music.musicOn);
        state->gentle.settings.fadeFrames = kDefaultFadeFrames;
        state->gentle.settings.limit = true;
        PressKey(Qt::Key_Return);
        for (int i = 0; i < 400; ++i) // past the fade-in
        {
            PumpOfflineDevice(lead.inner);
        }
        end(lead);
        ASSERT_TRUE(QTest::qWaitFor([&] { return GentleLastFrame(state->gentle) >= 0; }, 20000));
        const uint64_t lastByte =
            state->gentle.startByte +
            static_cast<uint64_t>(GentleLastFrame(state->gentle)) * kBytesPerFrame;
        for (int i = 0; i < 1000 && NightPlays(state->phase); ++i)
        {
            PumpOfflineDevice(lead.inner);
        }
        ASSERT_FALSE(NightPlays(state->phase));
        ASSERT_GE(lead.heard.size() * 2, lastByte);
        const auto lastAudible = static_cast<size_t>(
            std::find_if(lead.heard.rbegin(), lead.heard.rend(), [](int16_t s) { return s != 0; })
                .base() -
            lead.heard.begin());
        EXPECT_LE(lastAudible * 2, lastByte);
        EXPECT_GE(lastAudible * 2 + kSampleRate / 20 * kBytesPerFrame, lastByte); // within 50 ms
        const size_t tail = 2 * kSampleRate / 50;                                 // 20 ms
        const auto peak = [&](size_t from, size_t to) {
            return std::accumulate(lead.heard.begin() + static_cast<std::ptrdiff_t>(from),
                                   lead.heard.begin() + static_cast<std::ptrdiff_t>(to), 0,
                                   [](int p, int16_t x) { return std::max(p, std::abs(int{x})); });
        };
        EXPECT_LE(peak(lastAudible - tail, lastAudible), 103); // -50 dBFS
        EXPECT_GT(peak(lastByte / 2 - 8 * kSampleRate, lastByte / 2 - 7 * kSampleRate), 500);
        window->Tick();
        EXPECT_FALSE(window->IsLoading()); // a dropped file is in once the night is over
        window.reset();
    }
}

} // namespace
} // namespace yumo::test

namespace yumo::test
{
namespace
{

// The clock pane as the user reads it: the wake time's next coming, never a negative figure; no
// figure without a wake time; the sleep timer's minutes under a caption of their own.
TEST_F(WindowTest, TheClockPaneCountsToTheNextWakeMinuteAndNamesTheSleepTimer)
{
    ShowWithDefaultVoice();
    const QString toWaking = QStringLiteral("お目覚めまで　あと");
    const struct
    {
        int32_t mode;
        int wakeMinute;
        LocalTime now;
        bool night;
        int timerMinutes;
        QString label;
        QString shown;
    } cases[] = {
        {kWakeUserSet, 18 * 60 + 39, {18, 44, 0}, false, 0, toWaking, "23時間55分くらい"},
        {kWakeUserSet, 7 * 60 + 15, {18, 46, 0}, false, 0, toWaking, "12時間29分くらい"},
        {kWakeUserSet, 7 * 60 + 15, {18, 46, 0}, true, 30, toWaking, "12時間29分くらい"},
        {kWakeOff, 0, {18, 46, 0}, false, 0, toWaking, ""},
        {kWakeOff, 0, {18, 46, 0}, true, 30, "タイマー終了まで　あと", " 0時間30分くらい"},
    };
    for (const auto& c : cases)
    {
        state->alarm.mode = c.mode;
        state->alarm.minuteOfDay = c.wakeMinute;
        SetClockTime(state->clock, c.now);
        window->SetSleepTimer(c.timerMinutes);
        if (c.night)
        {
            window->StartNightCommand();
        }
        const ClockPaneTexts texts = window->ClockTexts();
        EXPECT_EQ(QString::fromStdString(texts.countdownLabel), c.label) << c.wakeMinute;
        EXPECT_EQ(QString::fromStdString(texts.countdown), c.shown) << c.wakeMinute;
        if (c.night)
        {
            StopNight(*state);
        }
    }
}

} // namespace
} // namespace yumo::test
