// yumo-editor-figures [MP3]: the voice editor's figures on the window's thread, as a user meets
// them: presses 追加 with an MP3 of over ten minutes (MP3 frames repeated, default
// tests/data/mp3/stereo_44k.mp3) and 保存... with that clip in a set, and prints for each the
// whole time until the editor is idle again and the longest stall of the window's thread
// meanwhile (the longest gap between two turns of a 1 ms probe timer). The output stream keeps
// 116 ms queued; a stall past 50 ms is what the editor must not cause.
//
//   QT_QPA_PLATFORM=offscreen build/yumo-editor-figures

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>

#include "gui/editor/path_field.h"
#include "gui/editor/voice_editor.h"
#include "gui/texts/user_prompts.h"
#include "night/app_state.h"
#include "tools/figures/repeated_mp3.h"
#include "voices/add_clip.h"

namespace
{

using namespace yumo;

constexpr double kTenMinutes = 600.0;
constexpr int64_t kProbeMs = 1;

// Answers as a user who confirms everything; the chooser gives the file to save to.
class ConfirmingPrompts final : public UserPrompts
{
public:
    explicit ConfirmingPrompts(QString target) : target_(std::move(target)) {}
    void ShowMessage(QWidget*, const QString& caption, const QString& text, MessageKind) override
    {
        std::fprintf(stderr, "message: %s: %s\n", caption.toUtf8().constData(),
                     text.toUtf8().constData());
    }
    Answer AskYesNoCancel(QWidget*, const QString&, const QString&) override { return Answer::Yes; }
    bool AskYesNo(QWidget*, const QString&, const QString&) override { return true; }
    QString ChooseFile(QWidget*, FileChooserKind, const QString&) override { return target_; }

private:
    QString target_;
};

struct Stall
{
    double totalMs = 0;
    double longestMs = 0;
};

// Runs `press` and the event loop until the editor is idle (and `atLeastMs` have passed),
// timing the probe's gaps.
template <typename Press> Stall Measure(VoiceEditor& editor, Press press, double atLeastMs = 0)
{
    Stall stall;
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    probe.setInterval(kProbeMs);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        stall.longestMs =
            std::max(stall.longestMs, static_cast<double>(sinceTick.nsecsElapsed()) / 1e6);
        sinceTick.restart();
        if (!editor.IsBusy() && static_cast<double>(clock.nsecsElapsed()) / 1e6 >= atLeastMs)
        {
            QApplication::exit(0);
        }
    });
    clock.start();
    sinceTick.start();
    probe.start();
    press(); // its own time counts as a stall too
    QApplication::exec();
    stall.totalMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    return stall;
}

void Print(const char* what, const Stall& stall)
{
    std::printf("%-34s %8.1f ms in all, window's thread stalled at most %6.1f ms\n", what,
                stall.totalMs, stall.longestMs);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const std::string source =
        argc > 1 ? argv[1] : std::string(YUMO_SOURCE_DIR) + "/tests/data/mp3/stereo_44k.mp3";
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("yumo-editor-figures-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::filesystem::path clip = dir / "ten_minutes.mp3";
    if (!WriteRepeatedMp3(source, kTenMinutes, clip))
    {
        std::fprintf(stderr, "could not make a ten-minute MP3 from %s\n", source.c_str());
        return 1;
    }

    SilentReporter silent;
    std::unique_ptr<AppState> state = CreateAppState(silent);
    ConfirmingPrompts prompts(QString::fromStdString((dir / "figures.ymv").string()));
    VoiceEditor editor(*state, prompts, QString(), nullptr);
    editor.Open();
    // The smallest savable set beside the long clip.
    for (const int kind : {kKindGoodNight, kKindWakeCall})
    {
        AppendClipSamples(state->voices, kind, std::vector<int16_t>(44100 / 512 * 512, 100),
                          u"short.wav", silent);
    }

    // What the machine itself does to the probe: the figures below are read against it.
    const auto nothing = [] {};
    Print("nothing pressed, for a second", Measure(editor, nothing, 1000));
    const QString path = QString::fromStdString(clip.string());
    Print("追加: a long MP3", Measure(editor, [&] {
              editor.row(kKindSnore).path->setText(path);
              editor.row(kKindSnore).add->click();
          }));
    const int32_t samples = state->voices.catalog.sampleCount[ClipSlot(kKindSnore, 0)];
    std::printf("%-34s %8.1f s of audio\n", "  the clip", samples / 44100.0);
    Print("保存...: the set with that clip", Measure(editor, [&] {
              editor.findChild<QPushButton*>(QStringLiteral("saveButton"))->click();
          }));
    std::error_code ignored;
    std::printf("%-34s %8.1f MB\n", "  the saved file",
                static_cast<double>(std::filesystem::file_size(dir / "figures.ymv", ignored)) /
                    1e6);
    std::filesystem::remove_all(dir, ignored);
    return samples > 0 ? 0 : 1;
}
