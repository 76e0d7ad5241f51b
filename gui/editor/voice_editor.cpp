#include "gui/editor/voice_editor.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/editor/elided_label.h"
#include "gui/editor/new_voice_dialog.h"
#include "gui/editor/path_field.h"
#include "gui/sound/preview_player.h"
#include "gui/texts/live_texts.h"
#include "gui/texts/texts.h"
#include "voices/voice_data_room.h"

namespace yumo
{
namespace
{

constexpr int kPathFieldMinWidth = 320; // pixels: room for a folder and a file name

QPushButton* MakeButton(QWidget* parent, UiText text, const QString& name)
{
    auto* button = new QPushButton(parent);
    ShowText(button, text);
    button->setObjectName(name);
    // Enter in a path field presses nothing.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QString Numbered(const char* name, int kind) { return QLatin1String(name) + QString::number(kind); }

QString AbsoluteOrEmpty(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

} // namespace

QString OfferedVoiceFileName(const QString& voiceFile, bool folderWritable,
                             const QString& ownerName)
{
    if (!voiceFile.isEmpty())
    {
        return folderWritable ? voiceFile : QFileInfo(voiceFile).fileName();
    }
    QString name = ownerName.trimmed();
    for (QChar& c : name)
    {
        if (c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c))
        {
            c = QLatin1Char('_');
        }
    }
    if (name.startsWith(QLatin1Char('.'))) // not hidden, not "." or ".."
    {
        name[0] = QLatin1Char('_');
    }
    return name.isEmpty() ? QString() : name + QStringLiteral(".ymv");
}

VoiceEditor::VoiceEditor(AppState& state, UserPrompts& prompts, const QString& voiceFile,
                         QWidget* owner)
    : QDialog(owner), state_(state), prompts_(prompts), reporter_(prompts, this),
      ownPreview_(std::make_unique<PreviewPlayer>(reporter_)), preview_(ownPreview_.get()),
      owner_(new ElidedLabel(this)), room_(new QLabel(this)), keepLevel_(new QCheckBox(this)),
      saveProgress_(new QProgressBar(this)), newDialog_(new NewVoiceDialog(this)),
      voiceFile_(AbsoluteOrEmpty(voiceFile))
{
    setObjectName(QStringLiteral("VOICE_EDIT"));
    ShowText(this, UiText::EditorCaption);
    setModal(false);

    auto* group = new QGroupBox(this);
    ShowText(group, UiText::EditorGroup);
    BuildRows(group);

    owner_->setObjectName(QStringLiteral("ownerDisplay"));
    owner_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    owner_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* ownerRow = new QHBoxLayout;
    auto* ownerLabel = new QLabel(this);
    ShowText(ownerLabel, UiText::EditorOwner);
    ownerRow->addWidget(ownerLabel);
    ownerRow->addWidget(owner_, 1);
    room_->setObjectName(QStringLiteral("roomLabel"));
    ownerRow->addWidget(room_);

    QPushButton* newVoice = MakeButton(this, UiText::EditorNewVoice, QStringLiteral("newButton"));
    QPushButton* save = MakeButton(this, UiText::EditorSave, QStringLiteral("saveButton"));
    QPushButton* cancel = MakeButton(this, UiText::EditorCancel, QStringLiteral("cancelButton"));
    connect(newVoice, &QPushButton::clicked, this, &VoiceEditor::StartNewSet);
    connect(save, &QPushButton::clicked, this, &VoiceEditor::Save);
    connect(cancel, &QPushButton::clicked, this, &VoiceEditor::reject);
    connect(newDialog_, &NewVoiceDialog::NameEntered, this, &VoiceEditor::TakeNewOwner);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &VoiceEditor::WriteBeforeQuit);
    // The keyboard goes through the rows, then the buttons from left to right.
    setTabOrder(rows_.back().add, newVoice);
    setTabOrder(newVoice, save);
    setTabOrder(save, cancel);
    saveProgress_->setObjectName(QStringLiteral("saveProgress"));
    saveProgress_->setRange(0, 0); // busy: the write cannot tell how far it is
    saveProgress_->setTextVisible(false);
    saveProgress_->setFixedWidth(save->sizeHint().width());
    saveProgress_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(newVoice);
    keepLevel_->setObjectName(QStringLiteral("keepLevelBox"));
    ShowText(keepLevel_, UiText::EditorKeepLevel);
    buttons->addWidget(keepLevel_);
    buttons->addStretch();
    buttons->addWidget(saveProgress_);
    buttons->addWidget(save);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(ownerRow);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    ShowRowTexts();
    rows_[0].path->setFocus(); // where the editor starts when it is first shown
}

VoiceEditor::~VoiceEditor() = default;

void VoiceEditor::BuildRows(QWidget* group)
{
    auto* grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    const int countWidth = fontMetrics().horizontalAdvance(QStringLiteral("10/10")) + 12;
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        EditorRow& row = rows_[static_cast<size_t>(kind)];
        row.label = new QLabel(group);
        row.path = new PathField(group);
        row.path->setObjectName(Numbered("pathField", kind));
        row.path->setMinimumWidth(kPathFieldMinWidth);
        row.choose = MakeButton(group, UiText::EditorChoose, Numbered("chooseButton", kind));
        row.preview = MakeButton(group, UiText::EditorPreview, Numbered("previewButton", kind));
        row.add = MakeButton(group, UiText::EditorAdd, Numbered("addButton", kind));
        row.count = new QLabel(group);
        row.count->setObjectName(Numbered("countLabel", kind));
        row.count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        row.count->setMinimumWidth(countWidth);
        row.progress = new QProgressBar(group);
        row.progress->setObjectName(Numbered("importProgress", kind));
        row.progress->setRange(0, 0); // the import cannot tell how far it is: busy
        row.progress->setTextVisible(false);
        row.progress->setFixedWidth(countWidth);
        row.progress->hide();

        connect(row.choose, &QPushButton::clicked, this, [this, kind] { Choose(kind); });
        connect(row.preview, &QPushButton::clicked, this, [this, kind] { Preview(kind); });
        connect(row.add, &QPushButton::clicked, this, [this, kind] { Add(kind); });

        grid->addWidget(row.label, kind, 0);
        grid->addWidget(row.path, kind, 1);
        grid->addWidget(row.choose, kind, 2);
        grid->addWidget(row.preview, kind, 3);
        grid->addWidget(row.add, kind, 4);
        grid->addWidget(row.count, kind, 5);
        grid->addWidget(row.progress, kind, 5);
    }
}

void VoiceEditor::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
    {
        RetranslateTexts(this);
        ShowRowTexts();
    }
}

// The texts of the rows that are not fixed: kind labels, counts, the import's tool tip.
void VoiceEditor::ShowRowTexts()
{
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        EditorRow& row = rows_[static_cast<size_t>(kind)];
        row.label->setText(VoiceKindText(kind));
        row.progress->setToolTip(Text(UiText::EditorImporting));
    }
    ShowCounts();
}

void VoiceEditor::Open()
{
    if (state_.voices.ownerName[0] == u'\0')
    {
        SetOwnerName(state_.voices, Text(UiText::DefaultOwnerName).toStdString());
        emit SetChanged();
    }
    ShowOwner();
    ShowCounts();
    show();
    raise();
    activateWindow();
}

void VoiceEditor::reject()
{
    StopPreview();
    newDialog_->hide();
    hide();
}

void VoiceEditor::PrepareForOtherSet()
{
    StopPreview();
    // A name asked for a new set would otherwise rename the one that replaces it.
    newDialog_->hide();
    ++setGeneration_;
}

void VoiceEditor::FollowOtherSet(const QString& voiceFile)
{
    voiceFile_ = AbsoluteOrEmpty(voiceFile);
    unsavedClips_ = false;
    ShowOwner();
    ShowCounts();
}

bool VoiceEditor::HasUnsavedClips() const
{
    if (unsavedClips_)
    {
        return true;
    }
    for (const uint64_t generation : addGeneration_)
    {
        if (generation == setGeneration_)
        {
            return true;
        }
    }
    return false;
}

bool VoiceEditor::IsBusy() const
{
    for (const uint64_t generation : addGeneration_)
    {
        if (generation != 0)
        {
            return true;
        }
    }
    return previewJob_ != 0 || saving_;
}

void VoiceEditor::ShowOwner()
{
    owner_->SetFullText(QString::fromStdString(OwnerNameUtf8(state_.voices)));
}

void VoiceEditor::ShowCounts()
{
    for (int kind = 0; kind < kEditableVoiceKindCount; ++kind)
    {
        rows_[static_cast<size_t>(kind)].count->setText(Text(UiText::EditorClipCount)
                                                            .arg(state_.voices.clipCounts[kind])
                                                            .arg(kMaxClipsPerKind));
    }
    const MessageFormat room = DescribeVoiceDataRoom(VoiceDataRoomBytes(state_.voices));
    room_->setText(TranslateCoreMessage(
        UserMessage{{}, {}, MessageKind::Information, room.format, room.arguments}));
}

// A row whose file is being imported shows it; while it is added the row takes no other file.
void VoiceEditor::ShowRowBusy(int kind)
{
    EditorRow& row = rows_[static_cast<size_t>(kind)];
    const bool adding = addGeneration_[static_cast<size_t>(kind)] != 0;
    const bool busy = adding || (previewJob_ != 0 && previewRow_ == kind);
    row.progress->setVisible(busy);
    row.count->setVisible(!busy);
    row.path->setReadOnly(adding);
    row.choose->setEnabled(!adding);
    row.add->setEnabled(!adding);
}

} // namespace yumo
