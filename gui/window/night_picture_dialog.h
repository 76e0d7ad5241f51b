#pragma once
// 昨夜の様子: the night's picture (gui/plot/night_plot.h) in a modeless dialog, with a button
// that saves it as PNG. The dialog opens at the picture's size where the screen has room and may
// be made smaller: the picture is scaled down to the room above the buttons, which stay in view.

#include <vector>

#include <QDialog>
#include <QString>

#include "night/night_record.h"

class QLabel;
class QPushButton;

namespace yumo
{

class UserPrompts;

class NightPictureDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit NightPictureDialog(UserPrompts& prompts, QWidget* parent = nullptr);

    // A record made ready for the picture (night/night_record.h); the note line is cleared.
    void ShowRecord(NightRecord record);
    const std::vector<NightEvent>& events() const { return record_.events; }
    const NightRecord& record() const { return record_; }
    // A quiet line beside the buttons (the record could not be kept); empty hides it.
    void ShowNote(const QString& note);
    QString note() const;
    // The picture at its full size into `path` (atomically); false when it cannot be written.
    bool SavePng(const QString& path) const;
    // 「PNGで保存...」: the chooser, then the save; a failure is told.
    void ChooseAndSave();
    // Where the picture is drawn in the dialog, scaled to the room above the buttons.
    QRect PictureArea() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    UserPrompts& prompts_;
    NightRecord record_;
    QLabel* note_;
    QPushButton* save_;
    QPushButton* close_;
};

} // namespace yumo
