#include "gui/window/night_picture_dialog.h"

#include <utility>

#include <QBuffer>
#include <QFileDialog>
#include <QHBoxLayout>
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
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        labels.kinds[static_cast<size_t>(kind)] = VoiceKindText(kind);
    }
    return labels;
}

} // namespace

NightPictureDialog::NightPictureDialog(QWidget* parent)
    : QDialog(parent), save_(new QPushButton(this)), close_(new QPushButton(this))
{
    setObjectName(QStringLiteral("nightPictureDialog"));
    setModal(false);
    ShowText(this, UiText::LastNightCaption);
    ShowText(save_, UiText::LastNightSave);
    ShowText(close_, UiText::LastNightClose);
    save_->setObjectName(QStringLiteral("savePictureButton"));
    auto* buttons = new QHBoxLayout;
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

void NightPictureDialog::ShowEvents(std::vector<NightEvent> events)
{
    events_ = std::move(events);
    update();
    show();
    raise();
}

bool NightPictureDialog::SavePng(const QString& path) const
{
    const QImage image = DrawNightPlot(events_, TranslatedLabels());
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
    PaintNightPlot(painter, QRect(8, 8, kNightPlotWidth, kNightPlotHeight), events_,
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
