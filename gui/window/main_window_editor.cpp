// The main window's side of the voice editor: opening it, the question before clips that were
// never saved are lost, and telling it when a load or close replaces the set under it.

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
