#pragma once
// 昨夜の様子: the night's picture (gui/plot/night_plot.h) in a modeless dialog, with a button
// that saves it as PNG.

#include <vector>

#include <QDialog>
#include <QString>

#include "night/night_record.h"

class QLabel;
class QPushButton;

namespace yumo
{

class NightPictureDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit NightPictureDialog(QWidget* parent = nullptr);

    // A record made ready for the picture (night/night_record.h); the note line is cleared.
    void ShowRecord(NightRecord record);
    const std::vector<NightEvent>& events() const { return record_.events; }
    const NightRecord& record() const { return record_; }
    // A quiet line beside the buttons (the record could not be kept); empty hides it.
    void ShowNote(const QString& note);
    QString note() const;
    // The picture at its full size into `path` (atomically); false when it cannot be written.
    bool SavePng(const QString& path) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ChooseAndSave();

    NightRecord record_;
    QLabel* note_;
    QPushButton* save_;
    QPushButton* close_;
};

} // namespace yumo
