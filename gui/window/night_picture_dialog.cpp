#include "gui/window/night_picture_dialog.h"

#include <algorithm>
#include <utility>

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "common/atomic_file.h"
#include "gui/plot/night_plot.h"
#include "gui/texts/live_texts.h"
#include "gui/texts/texts.h"
#include "gui/texts/user_prompts.h"

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

constexpr int kMargin = 8; // around the picture

} // namespace

NightPictureDialog::NightPictureDialog(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts), note_(new QLabel(this)), save_(new QPushButton(this)),
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
    // The picture's own size where the screen has room; a smaller screen gets the dialog at its
    // available size, the picture scaled down.
    QSize wanted(kNightPlotWidth + 2 * kMargin, kNightPlotHeight + 60);
    if (const QScreen* screen =
            parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen())
    {
        wanted = wanted.boundedTo(screen->availableGeometry().size());
    }
    setMinimumSize(layout->minimumSize().expandedTo(QSize(320, 200)));
    resize(wanted.expandedTo(minimumSize()));
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

QRect NightPictureDialog::PictureArea() const
{
    const int top = save_->geometry().top() - kMargin;
    const QSize room(width() - 2 * kMargin, std::min(top, height()) - kMargin);
    if (room.width() <= 0 || room.height() <= 0)
    {
        return {};
    }
    const QSize fitted = QSize(kNightPlotWidth, kNightPlotHeight)
                             .scaled(room, Qt::KeepAspectRatio)
                             .boundedTo(QSize(kNightPlotWidth, kNightPlotHeight));
    return {kMargin + (room.width() - fitted.width()) / 2, kMargin, fitted.width(),
            fitted.height()};
}

void NightPictureDialog::paintEvent(QPaintEvent*)
{
    const QRect area = PictureArea();
    if (area.isEmpty())
    {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.translate(area.topLeft());
    painter.scale(static_cast<double>(area.width()) / kNightPlotWidth,
                  static_cast<double>(area.height()) / kNightPlotHeight);
    PaintNightPlot(painter, QRect(0, 0, kNightPlotWidth, kNightPlotHeight), record_,
                   TranslatedLabels());
}

void NightPictureDialog::ChooseAndSave()
{
    const QString path =
        prompts_.ChooseFile(this, FileChooserKind::SavePicture, QStringLiteral("last-night.png"));
    if (!path.isEmpty() && !SavePng(path))
    {
        prompts_.ShowMessage(this, Text(UiText::LastNightCaption),
                             Text(UiText::LastNightSaveFailed).arg(path), MessageKind::Warning);
    }
}

} // namespace yumo
