// The main window's commands: loading and closing voice data, loading music, the night, the
// volumes, the position record and the version box.

#include <algorithm>
#include <memory>

#include <QFile>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include "common/results.h"
#include "gui/editor/editor_jobs.h"
#include "gui/texts/texts.h"
#include "gui/window/client_area.h"
#include "gui/window/main_window.h"
#include "night/behaviour.h"
#include "night/load_commands.h"
#include "voices/position_record.h"

namespace yumo
{
namespace
{

constexpr double kVolumeLimit = 300; // tenths of a dB
// Kept on purpose, odd as it looks: cancelling the music chooser after exactly ten music
// loads marks the position record as changed.
constexpr int32_t kMusicLoadsThatMarkRecord = 10;

} // namespace

// A load during a night ends it as 起きます does, once the file is known.
void MainWindow::EndNightBeforeLoad()
{
    if (NightStarted(state_.phase))
    {
        StopNight(state_);
    }
}

bool MainWindow::FinishAfterFadeOut(std::function<void()> finish)
{
    if (!NightPlays(state_.phase) || (!BeginGentleStop(state_) && state_.gentle.stopAtFrame < 0))
    {
        return false;
    }
    afterFade_ = std::move(finish); // a newer load supersedes an older one that waits
    if (!timer_.isActive())
    {
        timer_.start(); // Tick runs it once the night is over
    }
    RepaintAll();
    return true;
}

void MainWindow::LoadDefaultVoiceData(const QString& path)
{
    firstLoad_ = true;
    firstLoadPath_ = path;
    LoadVoiceData();
}

// The file is read and checked on a worker while the night goes on; the night ends and the set
// is replaced only when the result is in. The start-up load, before anything plays, is read at
// once. A later load or a close supersedes a load still under way.
void MainWindow::LoadVoiceData(std::optional<QString> dropped)
{
    QString path;
    const bool firstLoad = firstLoad_;
    firstLoad_ = false;
    if (!firstLoad && !ConfirmDiscardClips())
    {
        return;
    }
    if (firstLoad)
    {
        path = firstLoadPath_;
    }
    else if (dropped)
    {
        path = *dropped;
    }
    else
    {
        path = prompts_.ChooseFile(this, FileChooserKind::OpenVoice, pathBuffer_);
        if (path.isEmpty())
        {
            return;
        }
    }
    // The start-up load leaves no name behind, so the first chooser offers none.
    pathBuffer_ = firstLoad ? QString() : path;
    const uint64_t job = ++loadJobs_;
    voiceLoadJob_ = job;
    if (firstLoad)
    {
        FinishVoiceLoad(job, path, true, PrepareVoiceData(FilePath(path)));
        return;
    }
    RunOnWorker<PreparedVoiceData>(
        this, [file = FilePath(path)] { return PrepareVoiceData(file); },
        [this, job, path](PreparedVoiceData prepared) {
            FinishVoiceLoad(job, path, false, std::move(prepared));
        });
}

void MainWindow::FinishVoiceLoad(uint64_t job, const QString& path, bool firstLoad,
                                 PreparedVoiceData prepared)
{
    if (job != voiceLoadJob_)
    {
        return; // superseded
    }
    auto held = std::make_shared<PreparedVoiceData>(std::move(prepared));
    if (FinishAfterFadeOut([this, job, path, firstLoad, held] {
            FinishVoiceLoad(job, path, firstLoad, std::move(*held));
        }))
    {
        return;
    }
    voiceLoadJob_ = 0;
    EndNightBeforeLoad();
    PrepareEditorForOtherSet();
    const int result = InstallVoiceData(state_, std::move(*held), device_);
    TellEditorOfOtherSet(result == kOk ? path : QString());
    if (result == kFileNotOpened && !firstLoad)
    {
        prompts_.ShowMessage(this, Text(UiText::FileOpenErrorCaption),
                             Text(UiText::VoiceNotOpened).arg(path), MessageKind::Error);
    }
    RepaintAll();
    emit Changed(); // another set: another owner, another file to remember
}

void MainWindow::CloseVoiceData()
{
    if (!ConfirmDiscardClips())
    {
        return;
    }
    voiceLoadJob_ = 0; // a load under way would bring back what the user just closed
    PrepareEditorForOtherSet();
    ClearVoiceClips(state_.voices);
    state_.voices.ownerName.fill(0);
    TellEditorOfOtherSet(QString());
    EnterNightPhase(state_, NightPhase::NoVoice);
    RepaintAll();
    emit Changed();
}

// Imported and split on a worker, as the voice data is read; the night ends when it is in.
void MainWindow::LoadMusicFile(std::optional<QString> dropped)
{
    // The music chooser offers the last music file, never the voice data the shared buffer
    // may name (a chooser that saves nothing must not suggest a .ymv as music).
    const QString path =
        dropped ? *dropped : prompts_.ChooseFile(this, FileChooserKind::Music, musicPath_);
    ReturnFocus();
    if (path.isEmpty())
    {
        if (state_.music.loadCount == kMusicLoadsThatMarkRecord)
        {
            state_.positionRecordSaved = false;
        }
        return;
    }
    const uint64_t job = ++loadJobs_;
    musicLoadJob_ = job;
    RunOnWorker<PreparedMusicLoad>(
        this, [file = FilePath(path)] { return PrepareMusicLoad(file); },
        [this, job, path](PreparedMusicLoad prepared) {
            FinishMusicLoad(job, path, std::move(prepared));
        });
}

void MainWindow::FinishMusicLoad(uint64_t job, const QString& path, PreparedMusicLoad prepared)
{
    if (job != musicLoadJob_)
    {
        return; // superseded
    }
    auto held = std::make_shared<PreparedMusicLoad>(std::move(prepared));
    if (FinishAfterFadeOut(
            [this, job, path, held] { FinishMusicLoad(job, path, std::move(*held)); }))
    {
        return;
    }
    musicLoadJob_ = 0;
    EndNightBeforeLoad();
    if (InstallMusicLoad(state_, std::move(*held)) > 0)
    {
        client_->musicOnButton->setChecked(false);
        musicPath_ = path;
    }
    pathBuffer_.clear();
    RepaintAll();
}

bool MainWindow::SavePositionRecord()
{
    // The record has a file of its own: never the voice data or music the last chooser named.
    QString target = positionRecordPath_;
    if (target.isEmpty())
    {
        target = prompts_.ChooseFile(this, FileChooserKind::SavePositionRecord, QString());
        if (target.isEmpty())
        {
            return false;
        }
    }
    const MusicSlot& music = state_.music;
    PositionRecordInput input;
    input.musicLoadCount = music.loadCount;
    input.musicPath = music.path;
    // The record's fields are 32 bits wide: longer music is written as the longest they hold.
    input.lengthFrames = static_cast<int32_t>(std::min<int64_t>(music.lengthFrames, INT32_MAX));
    input.lengthBytes = static_cast<int32_t>(std::min<int64_t>(music.lengthBytes, INT32_MAX));
    input.channels = music.format.channels;
    input.sampleRate = static_cast<int32_t>(music.format.sampleRate);
    input.bitsPerSample = music.format.bitsPerSample;
    input.format = music.format;
    // The live value: saving does not change how loud the voice is rendered.
    input.referenceDistance = state_.referenceDistance[kKindGoodNight];
    if (WritePositionRecord(FilePath(target), input, music.keyframes, state_.blockTracks,
                            *state_.reporter) != kOk)
    {
        return false;
    }
    positionRecordPath_ = target;
    state_.positionRecordSaved = true;
    return true;
}

void MainWindow::StartNightCommand()
{
    StartNight(state_);
    RepaintAll();
}

void MainWindow::StopNightCommand()
{
    if (!BeginGentleStop(state_))
    {
        StopNight(state_);
    }
    RepaintAll();
}

// The chosen length is kept for the nights to come; a night under way ends that much from now.
void MainWindow::SetSleepTimer(int minutes)
{
    const int64_t frames = int64_t{ClampSleepTimerMinutes(minutes)} * kMinuteFrames;
    state_.gentle.settings.sleepTimerFrames = frames;
    if (NightPlays(state_.phase))
    {
        SetNightSleepTimer(state_, frames);
    }
    RepaintAll();
    emit Changed();
}

// The buttons step the chosen length as 設定 keeps it; during a night they move that night's end
// from the present instead of setting it to the new length.
void MainWindow::StepSleepTimer(int steps)
{
    state_.gentle.settings.sleepTimerFrames =
        int64_t{ClampSleepTimerMinutes(SleepTimerMinutes() + kSleepTimerStepMinutes * steps)} *
        kMinuteFrames;
    if (NightPlays(state_.phase))
    {
        StepNightSleepTimer(state_, steps);
    }
    RepaintAll();
    emit Changed();
}

int MainWindow::SleepTimerMinutes() const
{
    return static_cast<int>(state_.gentle.settings.sleepTimerFrames / kMinuteFrames);
}

int MainWindow::TimerMinutesLeft() const
{
    return NightStarted(state_.phase) ? SleepTimerMinutesLeft(state_.gentle) : 0;
}

void MainWindow::ToggleNight()
{
    if (NightPlays(state_.phase))
    {
        StopNightCommand();
        return;
    }
    // A night that ended by itself, or drained for a load, is closed before the next begins.
    EndNightBeforeLoad();
    StartNightCommand();
}

void MainWindow::StepVolume(bool music, int step)
{
    double& volume = music ? state_.stream.musicVolume : state_.stream.voiceVolume;
    volume = std::clamp(volume + step, -kVolumeLimit, kVolumeLimit);
    QSlider* slider = music ? client_->music.slider : client_->voice.slider;
    const QSignalBlocker blocker(slider);
    slider->setValue(static_cast<int>(volume)); // truncated toward zero
    ReturnFocus();
    RefreshPanes();
    emit Changed();
}

void MainWindow::ResetVolume(bool music)
{
    (music ? state_.stream.musicVolume : state_.stream.voiceVolume) = 0;
    QSlider* slider = music ? client_->music.slider : client_->voice.slider;
    const QSignalBlocker blocker(slider);
    slider->setValue(0);
    ReturnFocus();
    RefreshPanes();
    emit Changed();
}

// "M" checked means the music is off; the mix reads musicOn at the next block.
void MainWindow::SetMusicOff(bool off)
{
    state_.music.musicOn = !off;
    ReturnFocus();
    emit Changed();
}

void MainWindow::ShowVersion()
{
    prompts_.ShowMessage(this, Text(UiText::VersionCaption), Text(UiText::VersionText),
                         MessageKind::Information);
}

} // namespace yumo
