#pragma once
// Everything the window asks or tells the user in a modal dialog: message boxes, the yes / no /
// cancel question and the file choosers. The window reaches them through this interface, so
// tests answer in their place.

#include <QString>

#include "common/report.h"
#include "gui/texts/file_choosers.h"

class QWidget;

namespace yumo
{

enum class Answer
{
    Yes,
    No,
    Cancel,
};

class UserPrompts
{
public:
    virtual ~UserPrompts() = default;
    // A message box with an OK button; the icon follows the kind. `owner` may be null.
    virtual void ShowMessage(QWidget* owner, const QString& caption, const QString& text,
                             MessageKind kind) = 0;
    virtual Answer AskYesNoCancel(QWidget* owner, const QString& caption, const QString& text) = 0;
    // Yes and No, No being the default: asked before something is lost. True for Yes.
    virtual bool AskYesNo(QWidget* owner, const QString& caption, const QString& text) = 0;
    // The chosen path, or empty when cancelled.
    virtual QString ChooseFile(QWidget* owner, FileChooserKind kind,
                               const QString& initialName) = 0;
};

// The real dialogs: QMessageBox and the program's file choosers.
class DialogPrompts final : public UserPrompts
{
public:
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text,
                     MessageKind kind) override;
    Answer AskYesNoCancel(QWidget* owner, const QString& caption, const QString& text) override;
    bool AskYesNo(QWidget* owner, const QString& caption, const QString& text) override;
    QString ChooseFile(QWidget* owner, FileChooserKind kind, const QString& initialName) override;

private:
    FileChoosers choosers_;
};

} // namespace yumo
