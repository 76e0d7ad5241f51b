#include "gui/window/head_chooser.h"

#include <string>
#include <utility>

#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "audio/head_preview.h"
#include "common/constants.h"
#include "common/sofa_problem.h"
#include "common/utf16.h"
#include "gui/sound/preview_player.h"
#include "gui/texts/live_texts.h"
#include "gui/texts/texts.h"
#include "gui/texts/user_prompts.h"

namespace yumo
{
namespace
{

constexpr int kPathRole = Qt::UserRole;
// A measured set converts in a few seconds; the tool's own reading of the file stops at 20 s.
constexpr int kConversionLimitMs = 90000;
constexpr int kTimedOut = -2;      // Finish's exit code when the limit stopped the tool
constexpr int kListenPollMs = 200; // how soon the status line notices the comparison's end

// What went wrong, from the tool's "reason:" line, in the window's language with what to do.
QString ReasonText(const QString& said, bool ran, bool timedOut)
{
    if (timedOut)
    {
        return Text(UiText::HeadWhyTooLong).arg(kConversionLimitMs / 1000);
    }
    if (!ran)
    {
        return Text(UiText::HeadWhyNoTool);
    }
    QString word;
    for (const QString& line : said.split(QLatin1Char('\n')))
    {
        if (line.startsWith(QStringLiteral("reason: ")))
        {
            word = line.mid(8).trimmed();
        }
    }
    switch (SofaProblemOfWord(word.toStdString()))
    {
    case SofaProblem::Cut:
        return Text(UiText::HeadWhyCut);
    case SofaProblem::NotSofa:
        return Text(UiText::HeadWhyNotSofa);
    case SofaProblem::Unsuitable:
        return Text(UiText::HeadWhyUnsuitable);
    case SofaProblem::Unreadable:
        return Text(UiText::HeadWhyUnreadable);
    case SofaProblem::NotWritten:
        return Text(UiText::HeadWhyNotWritten);
    case SofaProblem::Damaged:
    case SofaProblem::None:
        break;
    }
    return Text(UiText::HeadWhyDamaged); // a crash, or words the window does not know
}

} // namespace

QString OwnHeadFolder()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
    {
        data = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return data + QStringLiteral("/yumo/hrtf");
}

HeadChooser::HeadChooser(const HrirSet& current, const QString& chosenPath, const QString& toolPath,
                         PreviewOutput& preview, UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), current_(current), toolPath_(toolPath), preview_(preview), prompts_(prompts),
      list_(new QListWidget(this)), add_(new QPushButton(this)), listen_(new QPushButton(this)),
      use_(new QPushButton(this)), close_(new QPushButton(this)), progress_(new QProgressBar(this)),
      cancel_(new QPushButton(this)), status_(new QLabel(this))
{
    setObjectName(QStringLiteral("headChooser"));
    ShowText(this, UiText::HeadCaption);
    ShowText(add_, UiText::HeadAdd);
    ShowText(listen_, UiText::HeadListen);
    ShowText(use_, UiText::HeadUse);
    ShowText(close_, UiText::LastNightClose);
    ShowText(cancel_, UiText::HeadCancel);
    add_->setObjectName(QStringLiteral("headAddButton"));
    listen_->setObjectName(QStringLiteral("headListenButton"));
    use_->setObjectName(QStringLiteral("headUseButton"));
    cancel_->setObjectName(QStringLiteral("headCancelButton"));
    progress_->setRange(0, 0); // the tool tells no fraction: a bar that shows it works
    auto* busy = new QHBoxLayout;
    busy->addWidget(progress_, 1);
    busy->addWidget(cancel_);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(listen_);
    buttons->addStretch();
    buttons->addWidget(use_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addWidget(status_);
    layout->addLayout(busy);
    layout->addLayout(buttons);
    resize(420, 320);
    inUse_ = chosenPath;
    ShowBusy(false);
    Refill();
    Select(chosenPath);
    listening_.setInterval(kListenPollMs);
    connect(&listening_, &QTimer::timeout, this, [this] {
        if (!preview_.IsPlaying())
        {
            listening_.stop();
            status_->clear();
        }
    });

    connect(add_, &QPushButton::clicked, this, [this] {
        const QString path = prompts_.ChooseFile(this, FileChooserKind::HeadSofa, QString());
        if (!path.isEmpty())
        {
            Convert(path);
        }
    });
    connect(listen_, &QPushButton::clicked, this, [this] { PlayComparison(); });
    limit_.setSingleShot(true);
    connect(&limit_, &QTimer::timeout, this, [this] {
        if (process_ != nullptr)
        {
            process_->disconnect(this);
            process_->kill();
            process_->waitForFinished(2000);
            Finish(kTimedOut, true);
        }
    });
    connect(cancel_, &QPushButton::clicked, this, &HeadChooser::CancelConversion);
    connect(close_, &QPushButton::clicked, this, &QDialog::close);
    connect(use_, &QPushButton::clicked, this, [this] {
        HrirSet set;
        if (ReadSelected(set))
        {
            preview_.Stop();
            inUse_ = SelectedPath();
            Refill();
            Select(inUse_);
            emit Chosen(inUse_, set);
        }
    });
}

HeadChooser::~HeadChooser() { CancelConversion(); }

void HeadChooser::Refill()
{
    list_->clear();
    const auto add = [this](const QString& name, const QString& path) {
        auto* item =
            new QListWidgetItem(path == inUse_ ? Text(UiText::HeadInUse).arg(name) : name, list_);
        item->setData(kPathRole, path);
    };
    add(Text(UiText::HeadBuiltIn), QString());
    const QDir folder(OwnHeadFolder());
    for (const QFileInfo& file :
         folder.entryInfoList({QStringLiteral("*.bir")}, QDir::Files, QDir::Name))
    {
        add(file.completeBaseName(), file.absoluteFilePath());
    }
}

// The list's names are the chooser's own texts: made again in the new language, the selection
// kept.
void HeadChooser::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
    {
        const QString selected = SelectedPath();
        Refill();
        Select(selected);
    }
}

QStringList HeadChooser::ShownNames() const
{
    QStringList names;
    for (int i = 0; i < list_->count(); ++i)
    {
        names << list_->item(i)->text();
    }
    return names;
}

QString HeadChooser::StatusText() const { return status_->text(); }

QStringList HeadChooser::Paths() const
{
    QStringList paths;
    for (int i = 0; i < list_->count(); ++i)
    {
        paths << list_->item(i)->data(kPathRole).toString();
    }
    return paths;
}

void HeadChooser::Select(const QString& path)
{
    const int row = static_cast<int>(Paths().indexOf(path));
    list_->setCurrentRow(row < 0 ? 0 : row);
}

QString HeadChooser::SelectedPath() const
{
    const QListWidgetItem* item = list_->currentItem();
    return item == nullptr ? QString() : item->data(kPathRole).toString();
}

bool HeadChooser::ReadSelected(HrirSet& set) const
{
    const QString path =
        SelectedPath().isEmpty() ? QStringLiteral("hrtf/head01.bir") : SelectedPath();
    std::string why;
    if (ReadHrirSetFile(QFile::encodeName(path).toStdString(), set, why) != HrirFileStatus::Ok)
    {
        prompts_.ShowMessage(const_cast<HeadChooser*>(this), Text(UiText::HeadCaption),
                             Text(UiText::HeadNotRead).arg(QString::fromStdString(why)),
                             MessageKind::Error);
        return false;
    }
    return true;
}

bool HeadChooser::PlayComparison()
{
    HrirSet chosen;
    if (!ReadSelected(chosen))
    {
        return false;
    }
    const std::vector<int16_t> stereo =
        RenderHeadComparison(chosen, current_, MakeHeadPreviewPhrase());
    ImportedAudio audio = MakeImportedAudio(stereo);
    const PcmFormat format = Pcm16Format(kOutputChannels);
    if (!preview_.Play(std::move(audio), format))
    {
        return false;
    }
    if (!Converting())
    {
        status_->setText(Text(UiText::HeadListening));
        listening_.start();
    }
    return true;
}

void HeadChooser::Convert(const QString& sofaPath)
{
    if (Converting())
    {
        return;
    }
    QDir().mkpath(OwnHeadFolder());
    target_ = OwnHeadFolder() + QLatin1Char('/') + QFileInfo(sofaPath).completeBaseName() +
              QStringLiteral(".bir");
    // Written beside its place under another name, so a cancelled or failed conversion leaves
    // nothing the list would show.
    partial_ = target_ + QStringLiteral(".part");
    source_ = QString::fromStdString(EscapeControls(QFileInfo(sofaPath).fileName().toStdString()));
    process_ = new QProcess(this);
    process_->setProcessChannelMode(QProcess::SeparateChannels);
    connect(process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        Finish(code, status == QProcess::CrashExit);
    });
    connect(process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
        {
            Finish(-1, true);
        }
    });
    ShowBusy(true);
    limit_.start(kConversionLimitMs);
    process_->start(toolPath_,
                    {QStringLiteral("hrir"), QStringLiteral("from-sofa"), sofaPath, partial_});
}

bool HeadChooser::Converting() const { return process_ != nullptr; }

void HeadChooser::CancelConversion()
{
    if (process_ == nullptr)
    {
        return;
    }
    QProcess* process = std::exchange(process_, nullptr);
    process->disconnect(this);
    process->kill();
    process->waitForFinished(2000);
    process->deleteLater();
    QFile::remove(partial_);
    limit_.stop();
    ShowBusy(false);
    emit ConversionFinished(false);
}

void HeadChooser::Finish(int exitCode, bool crashed)
{
    if (process_ == nullptr)
    {
        return;
    }
    QProcess* process = std::exchange(process_, nullptr);
    const QString said = QString::fromUtf8(process->readAllStandardError()).trimmed();
    process->deleteLater();
    limit_.stop();
    ShowBusy(false);
    const bool placed = !crashed && exitCode == 0 && QFile::exists(partial_) &&
                        (!QFile::exists(target_) || QFile::remove(target_)) &&
                        QFile::rename(partial_, target_);
    if (!placed)
    {
        QFile::remove(partial_);
        // The file by its name and why in the window's words; the tool's English stays out.
        const QString why = ReasonText(said, exitCode >= 0, exitCode == kTimedOut);
        prompts_.ShowMessage(this, Text(UiText::HeadCaption),
                             Text(UiText::HeadFailed).arg(source_, why), MessageKind::Error);
        emit ConversionFinished(false);
        return;
    }
    Refill();
    Select(target_);
    emit ConversionFinished(true);
}

void HeadChooser::ShowBusy(bool busy)
{
    if (busy)
    {
        listening_.stop(); // the line tells of the conversion now
    }
    progress_->setVisible(busy);
    cancel_->setVisible(busy);
    status_->setText(busy ? Text(UiText::HeadConverting) : QString());
    add_->setEnabled(!busy);
}

} // namespace yumo
