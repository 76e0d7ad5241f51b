// The voice editor's commands: choosing a file, adding it as a clip, previewing it, starting a
// new set and saving. The slow parts run on a worker thread (gui/editor/editor_jobs.h); what they
// bring back is taken here, on the window's thread, between two block refills.

#include <cstdint>
#include <memory>
#include <utility>

#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QTimer>

#include "gui/editor/new_voice_dialog.h"
#include "gui/editor/path_field.h"
#include "gui/editor/voice_editor.h"
#include "gui/sound/preview_player.h"
#include "gui/texts/texts.h"
#include "night/behaviour.h"
#include "voices/add_clip.h"

namespace yumo
{
namespace
{

// "48 kHz、24ビット、ステレオ" in the window's language.
QString DescribeWavFormat(const WavFileFormat& format)
{
    const QString rate =
        Text(UiText::WavRateKhz).arg(QString::number(format.sampleRate / 1000.0, 'g', 6));
    const QString bits =
        Text(format.type == WavSampleType::Float ? UiText::WavBitsFloat : UiText::WavBitsInteger)
            .arg(format.bitsPerSample);
    const QString channels = format.channels == 1 ? Text(UiText::WavMono)
                             : format.channels == 2
                                 ? Text(UiText::WavStereo)
                                 : Text(UiText::WavChannels).arg(format.channels);
    const QString separator = Text(UiText::WavListSeparator);
    return rate + separator + bits + separator + channels;
}

} // namespace

void VoiceEditor::Choose(int kind)
{
    PathField& field = *rows_[static_cast<size_t>(kind)].path;
    const QString path = prompts_.ChooseFile(this, FileChooserKind::VoiceClip, field.text());
    if (!path.isEmpty())
    {
        field.setText(path);
    }
}

// The limit first (a running preview goes on), then the preview stops, then the import and
// conversion on the worker; the clip is appended and the field emptied when they succeed.
void VoiceEditor::Add(int kind)
{
    if (CheckClipRoom(state_.voices, kind, reporter_) != AddClipResult::Added)
    {
        return;
    }
    StopPreview();
    const QString path = rows_[static_cast<size_t>(kind)].path->text();
    if (path.isEmpty())
    {
        return;
    }
    const uint64_t generation = setGeneration_;
    addGeneration_[static_cast<size_t>(kind)] = generation;
    ShowRowBusy(kind);
    RunOnWorker<ClipImport>(
        this,
        [file = FilePath(path),
         level = keepLevel_->isChecked() ? ClipLevel::Kept : ClipLevel::Matched] {
            return ImportForAdd(file, level);
        },
        [this, kind, generation, path](ClipImport job) {
            FinishAdd(kind, generation, path, std::move(job));
        });
}

void VoiceEditor::FinishAdd(int kind, uint64_t generation, const QString& path, ClipImport job)
{
    addGeneration_[static_cast<size_t>(kind)] = 0;
    ShowRowBusy(kind);
    if (generation != setGeneration_)
    {
        return; // the set it was meant for is gone
    }
    // A file the conversion reads is offered for it first, described as it is; nothing was
    // refused, and declining adds nothing.
    if (job.convertible)
    {
        if (!prompts_.AskYesNo(this, Text(UiText::ConvertCaption),
                               Text(UiText::ConvertQuestion).arg(DescribeWavFormat(job.format))) ||
            generation != setGeneration_)
        {
            return;
        }
        addGeneration_[static_cast<size_t>(kind)] = generation;
        ShowRowBusy(kind);
        RunOnWorker<ClipImport>(
            this, [file = FilePath(path), level = job.level] { return ConvertForAdd(file, level); },
            [this, kind, generation, path](ClipImport converted) {
                FinishAdd(kind, generation, path, std::move(converted));
            });
        return;
    }
    reporter_.ReportAll(job.messages);
    if (job.result == AddClipResult::ImportFailed && job.messages.empty())
    {
        ReportNotOpened(path);
    }
    if (job.result != AddClipResult::Added ||
        AppendClipSamples(state_.voices, kind, std::move(job.samples), path.toStdU16String(),
                          reporter_) != AddClipResult::Added)
    {
        return;
    }
    unsavedClips_ = true;
    ++changes_;
    rows_[static_cast<size_t>(kind)].path->clear();
    ShowCounts();
}

// A press while a preview plays, or while its file is still being imported, only stops it.
void VoiceEditor::Preview(int kind)
{
    const bool wasPlaying = preview_->IsPlaying() || previewJob_ != 0;
    StopPreview();
    const QString path = rows_[static_cast<size_t>(kind)].path->text();
    if (wasPlaying || path.isEmpty())
    {
        return;
    }
    const uint64_t job = nextJob_++;
    previewJob_ = job;
    previewRow_ = kind;
    ShowRowBusy(kind);
    RunOnWorker<PreviewImport>(
        this, [file = FilePath(path)] { return ImportForPreview(file); },
        [this, job, path](PreviewImport import) { FinishPreview(job, path, std::move(import)); });
}

void VoiceEditor::FinishPreview(uint64_t job, const QString& path, PreviewImport import)
{
    if (job != previewJob_)
    {
        return; // stopped while it was imported
    }
    previewJob_ = 0;
    ShowRowBusy(previewRow_);
    reporter_.ReportAll(import.messages);
    if (!import.ok)
    {
        if (import.messages.empty())
        {
            ReportNotOpened(path);
        }
        return;
    }
    preview_->Play(std::move(import.audio), import.format);
}

void VoiceEditor::StopPreview()
{
    preview_->Stop();
    if (previewJob_ != 0)
    {
        previewJob_ = 0;
        ShowRowBusy(previewRow_);
    }
}

void VoiceEditor::ReportNotOpened(const QString& path)
{
    prompts_.ShowMessage(this, Text(UiText::FileOpenErrorCaption),
                         Text(UiText::EditorClipNotOpened).arg(path), MessageKind::Error);
}

// A night plays from the set: it ends as 起きます ends it before the set is emptied, so no
// clip is freed while it plays.
void VoiceEditor::StartNewSet()
{
    if (!prompts_.AskYesNo(this, Text(UiText::NewSetCaption), Text(UiText::NewSetQuestion)))
    {
        return;
    }
    if (NightStarted(state_.phase))
    {
        StopNight(state_);
    }
    ++setGeneration_;
    StartNewVoiceSet(state_.voices);
    voiceFile_.clear();
    unsavedClips_ = false;
    ShowCounts();
    emit SetChanged(); // the owner display keeps its text until a name is entered
    newDialog_->ShowEmpty();
}

void VoiceEditor::TakeNewOwner(const QString& name)
{
    SetOwnerName(state_.voices, name.toStdString());
    ShowOwner();
    emit SetChanged();
}

// The check comes before any chooser; the chooser offers the set's own file or its owner's
// name, never a clip's path; the file is written on the worker from a copy taken in slices, so
// a night goes on.
bool VoiceEditor::Save()
{
    // One save at a time. The button stays enabled: disabling it would push the keyboard focus
    // on to キャンセル.
    if (saving_ || !CheckVoiceSetSavable(state_.voices, reporter_))
    {
        return false;
    }
    StopPreview();
    const QString offered =
        OfferedVoiceFileName(voiceFile_, QFileInfo(QFileInfo(voiceFile_).path()).isWritable(),
                             QString::fromStdString(OwnerNameUtf8(state_.voices)));
    const QString path = prompts_.ChooseFile(this, FileChooserKind::SaveVoice, offered);
    if (path.isEmpty())
    {
        return false;
    }
    saving_ = true;
    saveProgress_->show();
    pendingSave_ = std::make_unique<PendingSave>(
        PendingSave{BeginVoiceSetCopy(state_.voices), path, setGeneration_, changes_});
    CopyForSave();
    return true;
}

// A slice of the copy per turn of the event loop; the worker writes it once it is whole. A set
// replaced meanwhile is not saved: the user let it go. When the program quits first, the rest
// is copied at once (`WriteBeforeQuit`).
void VoiceEditor::CopyForSave(size_t maxSamples)
{
    if (pendingSave_ == nullptr)
    {
        return;
    }
    if (pendingSave_->generation != setGeneration_)
    {
        pendingSave_.reset();
        saving_ = false;
        saveProgress_->hide();
        emit SaveFinished(false);
        return;
    }
    if (!ContinueVoiceSetCopy(state_.voices, pendingSave_->copy, maxSamples))
    {
        QTimer::singleShot(0, this, [this] { CopyForSave(); });
        return;
    }
    const std::unique_ptr<PendingSave> save = std::move(pendingSave_);
    RunOnWorker<VoiceSave>(
        this,
        [file = FilePath(save->path), set = std::shared_ptr<const VoiceSet>(save->copy.set)] {
            return SaveVoiceSetCopy(file, set);
        },
        [this, generation = save->generation, changes = save->changes, path = save->path](
            VoiceSave job) { FinishSave(generation, changes, path, std::move(job)); });
}

// The worker threads are waited for at exit, so a write started now still lands.
void VoiceEditor::WriteBeforeQuit() { CopyForSave(SIZE_MAX); }

void VoiceEditor::FinishSave(uint64_t generation, uint64_t changes, const QString& path,
                             VoiceSave job)
{
    saving_ = false;
    saveProgress_->hide();
    reporter_.ReportAll(job.messages);
    if (job.ok && generation == setGeneration_)
    {
        voiceFile_ = path;
        // Clips added while it was written are not in the file.
        if (changes == changes_)
        {
            unsavedClips_ = false;
        }
    }
    emit SaveFinished(job.ok);
}

} // namespace yumo
