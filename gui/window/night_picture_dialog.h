#pragma once
// 昨夜の様子: the night's picture (gui/plot/night_plot.h) in a modeless dialog, with a button
// that saves it as PNG.

#include <vector>

#include <QDialog>
#include <QString>

#include "night/night_events.h"

class QPushButton;

namespace yumo
{

class NightPictureDialog final : public QDialog
{
    Q_OBJECT

public:
    explicit NightPictureDialog(QWidget* parent = nullptr);

    void ShowEvents(std::vector<NightEvent> events);
    const std::vector<NightEvent>& events() const { return events_; }
    // The picture at its full size into `path` (atomically); false when it cannot be written.
    bool SavePng(const QString& path) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ChooseAndSave();

    std::vector<NightEvent> events_;
    QPushButton* save_;
    QPushButton* close_;
};

} // namespace yumo
