#pragma once
// The voice editor (VOICE_EDIT): a modeless dialog owned by the main window that appends clips
// to the live voice set, one row per editable kind (label, path field, 選択..., プレビュー,
// 追加 and how many clips the kind holds), shows the owner's name, starts a new set and saves
// the set. Imports, conversions and saves run on a worker thread; the row or the save button
// waits meanwhile, and the result is taken on the window's thread. Clips land in the set the
// night plays from, so the scheduler draws them at once. Messages are boxes over the editor.

#include <array>
#include <cstdint>
#include <memory>

#include <QCheckBox>
#include <QDialog>
#include <QString>

#include "common/constants.h"
#include "gui/editor/editor_jobs.h"
#include "gui/editor/owned_reporter.h"
#include "gui/texts/user_prompts.h"
#include "night/app_state.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace yumo
{

class ElidedLabel;
class NewVoiceDialog;
class PathField;
class PreviewOutput;
class PreviewPlayer;

// The name the save chooser offers: the file the set was last loaded from or saved to (only its
// name when its folder cannot be written, as an installed one), else the owner's name with
// ".ymv" (characters a file name cannot hold become '_'), else nothing.
QString OfferedVoiceFileName(const QString& voiceFile, bool folderWritable,
                             const QString& ownerName);

struct EditorRow
{
    QLabel* label = nullptr;
    PathField* path = nullptr;
    QPushButton* choose = nullptr;
    QPushButton* preview = nullptr;
    QPushButton* add = nullptr;
    QLabel* count = nullptr;          // "n/10"
    QProgressBar* progress = nullptr; // shown while the row's file is imported
};

class VoiceEditor final : public QDialog
{
    Q_OBJECT

public:
    // `voiceFile` names the file the live set came from (empty when none).
    VoiceEditor(AppState& state, UserPrompts& prompts, const QString& voiceFile, QWidget* owner);
    ~VoiceEditor() override;

    // The menu command: an empty owner name becomes "名無しさん"; the owner, the counts shown;
    // the editor shown and brought forward.
    void Open();

    // The main window is about to replace or empty the set (a load or a close): the preview
    // stops before anything is freed, imports under way will add nothing, and a new set's
    // name is no longer asked for.
    void PrepareForOtherSet();
    // The set was replaced from `voiceFile` (empty: closed): counts, owner and offered name.
    void FollowOtherSet(const QString& voiceFile);

    // Clips were added since the set was loaded, saved or started, or an add is under way.
    bool HasUnsavedClips() const;
    // An import or a save is running on the worker thread.
    bool IsBusy() const;
    // A save is under way: its copy is being taken or its file written.
    bool IsSaving() const { return saving_; }
    // 保存... as the button does it: the check, the chooser, the write. False when no save
    // started (one is under way, the set cannot be saved, or the chooser was cancelled).
    bool Save();
    // Previews play here instead of on the editor's own player (tests).
    void UsePreview(PreviewOutput& preview) { preview_ = &preview; }

    const EditorRow& row(int kind) const { return rows_[static_cast<size_t>(kind)]; }
    ElidedLabel& ownerDisplay() const { return *owner_; }
    NewVoiceDialog& newVoiceDialog() const { return *newDialog_; }

signals:
    // The owner name changed or the night was ended: the main window repaints what it shows.
    void SetChanged();
    // A save is done, its messages shown; `saved` is false when nothing was written.
    void SaveFinished(bool saved);

public slots:
    // キャンセル, Escape, the close box: the preview stops, the editor hides.
    void reject() override;

protected:
    void changeEvent(QEvent* event) override; // a new language: its texts again

private:
    void BuildRows(QWidget* group);
    void ShowRowTexts();
    void ShowOwner();
    void ShowCounts(); // and the room left in the set
    void ShowRowBusy(int kind);

    // The commands (voice_editor_commands.cpp).
    void Choose(int kind);
    void Add(int kind);
    void Preview(int kind);
    void StartNewSet();
    void TakeNewOwner(const QString& name);
    void StopPreview();
    void FinishAdd(int kind, uint64_t generation, const QString& path, ClipImport job);
    void FinishPreview(uint64_t job, const QString& path, PreviewImport import);
    void CopyForSave(size_t maxSamples = kSaveCopySliceSamples);
    void WriteBeforeQuit();
    void FinishSave(uint64_t generation, uint64_t changes, const QString& path, VoiceSave job);
    void ReportNotOpened(const QString& path);

    AppState& state_;
    UserPrompts& prompts_;
    OwnedReporter reporter_;
    std::unique_ptr<PreviewPlayer> ownPreview_;
    PreviewOutput* preview_;
    std::array<EditorRow, kEditableVoiceKindCount> rows_;
    ElidedLabel* owner_;
    QLabel* room_;               // what the set may still take
    QCheckBox* keepLevel_;       // checked: clips are added at their own level, not matched
    QProgressBar* saveProgress_; // shown while a save is under way
    NewVoiceDialog* newDialog_;
    QString voiceFile_;          // where the set was loaded from or saved to last
    bool unsavedClips_ = false;  // clips added since
    uint64_t setGeneration_ = 1; // changes when the set is replaced: older adds are dropped
    uint64_t changes_ = 0;       // counts adds, so a save knows whether it saved them all
    uint64_t nextJob_ = 1;
    uint64_t previewJob_ = 0; // the preview whose import is under way; 0 when none
    int previewRow_ = 0;
    // Per row, the set generation an add under way was started for; 0 when none.
    std::array<uint64_t, kEditableVoiceKindCount> addGeneration_{};
    bool saving_ = false; // from the chooser's answer until the write is done

    // A save whose copy is being taken, between the chooser and the worker.
    struct PendingSave
    {
        VoiceSetCopy copy;
        QString path;
        uint64_t generation;
        uint64_t changes;
    };
    // About 2 MB a turn: a millisecond or two of the window's thread.
    static constexpr size_t kSaveCopySliceSamples = size_t{1} << 20;
    std::unique_ptr<PendingSave> pendingSave_;
};

} // namespace yumo
