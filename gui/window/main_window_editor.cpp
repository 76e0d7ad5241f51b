// The main window's side of the voice editor: opening it, the question before clips that were
// never saved are lost, waiting at quit for a save under way, and telling it when a load or
// close replaces the set under it.

#include <QTimer>

#include "gui/editor/voice_editor.h"
#include "gui/texts/texts.h"
#include "gui/window/main_window.h"

namespace yumo
{

void MainWindow::OpenVoiceEditor()
{
    if (voiceEditor_ == nullptr)
    {
        voiceEditor_ = new VoiceEditor(state_, prompts_, voiceFile_, this);
        connect(voiceEditor_, &VoiceEditor::SetChanged, this, &MainWindow::RepaintAll);
        connect(voiceEditor_, &VoiceEditor::SaveFinished, this, &MainWindow::FollowSaveAtQuit);
    }
    voiceEditor_->Open();
}

void MainWindow::CloseVoiceEditor()
{
    if (voiceEditor_ != nullptr)
    {
        voiceEditor_->reject();
    }
}

bool MainWindow::WaitForSaveBeforeClosing()
{
    if (voiceEditor_ == nullptr || !voiceEditor_->IsSaving())
    {
        return false;
    }
    closeAfterSave_ = true;
    voiceEditor_->Open(); // where the save shows that it is under way
    return true;
}

// The save's own message has been shown by now. One that failed may be tried elsewhere, which
// is then waited for in turn, or given up, and then the clips are not asked about again.
void MainWindow::FollowSaveAtQuit(bool saved)
{
    if (!closeAfterSave_)
    {
        return;
    }
    closeAfterSave_ = false;
    if (!saved)
    {
        if (prompts_.AskYesNo(voiceEditor_, Text(UiText::UnsavedClipsCaption),
                              Text(UiText::SaveFailedAtQuitQuestion)))
        {
            closeAfterSave_ = voiceEditor_->Save();
            return; // the chooser cancelled: the program stays
        }
        clipsGivenUp_ = true;
    }
    QTimer::singleShot(0, this, &QWidget::close);
}

bool MainWindow::ConfirmDiscardClips()
{
    if (voiceEditor_ == nullptr || !voiceEditor_->HasUnsavedClips())
    {
        return true;
    }
    return prompts_.AskYesNo(this, Text(UiText::UnsavedClipsCaption),
                             Text(UiText::UnsavedClipsQuestion));
}

// The preview stops before the load or close frees anything.
void MainWindow::PrepareEditorForOtherSet()
{
    if (voiceEditor_ != nullptr)
    {
        voiceEditor_->PrepareForOtherSet();
    }
}

void MainWindow::TellEditorOfOtherSet(const QString& voiceFile)
{
    voiceFile_ = voiceFile;
    if (voiceEditor_ != nullptr)
    {
        voiceEditor_->FollowOtherSet(voiceFile);
    }
}

} // namespace yumo
