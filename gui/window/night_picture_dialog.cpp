#include "gui/window/night_picture_dialog.h"

#include <utility>

#include <QBuffer>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/atomic_file.h"
#include "gui/plot/night_plot.h"
#include "gui/texts/live_texts.h"
#include "gui/texts/texts.h"

namespace yumo
{
namespace
{

// In the language the window shows now: the labels are made anew for each drawing.
NightPlotLabels TranslatedLabels()
{
    NightPlotLabels labels;
    labels.sound = Text(UiText::PlotSound);
    labels.light = Text(UiText::PlotLight);
    labels.deep = Text(UiText::PlotDeep);
    labels.rollOver = Text(UiText::PlotRollOver);
    labels.leftOut = Text(UiText::PlotLeftOut);
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        labels.kinds[static_cast<size_t>(kind)] = VoiceKindText(kind);
    }
    return labels;
}

} // namespace

NightPictureDialog::NightPictureDialog(QWidget* parent)
    : QDialog(parent), note_(new QLabel(this)), save_(new QPushButton(this)),
      close_(new QPushButton(this))
{
    setObjectName(QStringLiteral("nightPictureDialog"));
    setModal(false);
    ShowText(this, UiText::LastNightCaption);
    ShowText(save_, UiText::LastNightSave);
    ShowText(close_, UiText::LastNightClose);
    save_->setObjectName(QStringLiteral("savePictureButton"));
    note_->setObjectName(QStringLiteral("nightPictureNote"));
    note_->setWordWrap(true);
    note_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(note_, 1);
    buttons->addStretch();
    buttons->addWidget(save_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addLayout(buttons);
    setFixedSize(kNightPlotWidth + 16, kNightPlotHeight + 60);
    connect(save_, &QPushButton::clicked, this, &NightPictureDialog::ChooseAndSave);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
}

void NightPictureDialog::ShowRecord(NightRecord record)
{
    record_ = std::move(record);
    ShowNote(QString());
    update();
    show();
    raise();
}

void NightPictureDialog::ShowNote(const QString& note)
{
    note_->setText(note);
    note_->setVisible(!note.isEmpty());
}

QString NightPictureDialog::note() const { return note_->text(); }

bool NightPictureDialog::SavePng(const QString& path) const
{
    const QImage image = DrawNightPlot(record_, TranslatedLabels());
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    return image.save(&buffer, "PNG") &&
           WriteFileAtomically(QFile::encodeName(path).toStdString(),
                               std::vector<uint8_t>(png.begin(), png.end()));
}

void NightPictureDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintNightPlot(painter, QRect(8, 8, kNightPlotWidth, kNightPlotHeight), record_,
                   TranslatedLabels());
}

void NightPictureDialog::ChooseAndSave()
{
    const QString path =
        QFileDialog::getSaveFileName(this, Text(UiText::LastNightSave),
                                     QStringLiteral("last-night.png"), Text(UiText::FilterPng));
    if (!path.isEmpty() && !SavePng(path))
    {
        QMessageBox::warning(this, Text(UiText::LastNightCaption),
                             Text(UiText::LastNightSaveFailed).arg(path));
    }
}

} // namespace yumo
