#pragma once
// The new-set dialog (VOICE_NEW): asks for the name of the new voice's owner. Modeless and
// owned by the voice editor. OK (also Enter) hands the name over, cut to 255 UTF-16 units;
// キャンセル, Escape and the close box hand nothing over.

#include <QDialog>
#include <QString>

class QLineEdit;

namespace yumo
{

class NewVoiceDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit NewVoiceDialog(QWidget* owner);

    // Empties the field, shows the dialog and brings it forward.
    void ShowEmpty();
    QLineEdit& field() const { return *field_; }

signals:
    void NameEntered(const QString& name);

protected:
    void changeEvent(QEvent* event) override; // a new language: its texts again

private:
    QLineEdit* field_;
};

} // namespace yumo
