#pragma once
// 設定 → 頭の形: the chooser of response sets. The built-in head, the sets converted before
// (kept in ~/.local/share/yumo/hrtf/) and 追加..., which converts a SOFA file with
// `yumo-tool hrir from-sofa` in a process of its own, so the window stays responsive; a bar
// shows it working and 中止 ends it. 試聴 plays a phrase from the left, the front and the right
// through the chosen set, then through the current one.

#include <memory>

#include <QDialog>
#include <QString>
#include <QTimer>

#include "audio/hrir_set.h"

class QLabel;
class QListWidget;
class QProcess;
class QProgressBar;
class QPushButton;

namespace yumo
{

class PreviewOutput;
class UserPrompts;

// $XDG_DATA_HOME/yumo/hrtf, ~/.local/share/yumo/hrtf without it.
QString OwnHeadFolder();

class HeadChooser final : public QDialog
{
    Q_OBJECT

public:
    // `current` is the set the night plays with; `chosenPath` the remembered choice (empty:
    // the built-in head); `toolPath` the yumo-tool that converts.
    HeadChooser(const HrirSet& current, const QString& chosenPath, const QString& toolPath,
                PreviewOutput& preview, UserPrompts& prompts, QWidget* parent = nullptr);
    ~HeadChooser() override;

    // Converts `sofaPath` into the folder; the list gains the set when it is done.
    void Convert(const QString& sofaPath);
    void CancelConversion();
    bool Converting() const;
    // The list's entries: "" for the built-in head, else the set's path.
    QStringList Paths() const;
    void Select(const QString& path);
    // Plays the comparison; false when the selected set cannot be read or nothing played.
    // While it plays, the status line says so.
    bool PlayComparison();
    // The list's texts as shown, the head in use marked; the status line under it.
    QStringList ShownNames() const;
    QString StatusText() const;

signals:
    // 使う: the path chosen ("" for the built-in head) and its set, read.
    void Chosen(const QString& path, const HrirSet& set);
    // A conversion ended: true when the set was placed.
    void ConversionFinished(bool placed);

protected:
    void changeEvent(QEvent* event) override;

private:
    void Refill();
    QString SelectedPath() const;
    bool ReadSelected(HrirSet& set) const;
    void Finish(int exitCode, bool crashed);
    void ShowBusy(bool busy);

    const HrirSet& current_;
    QString toolPath_;
    PreviewOutput& preview_;
    UserPrompts& prompts_;
    QListWidget* list_;
    QPushButton* add_;
    QPushButton* listen_;
    QPushButton* use_;
    QPushButton* close_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    QLabel* status_;
    QProcess* process_ = nullptr;
    QString target_; // the set being made
    QString partial_;
    QString source_;   // the SOFA file's name, as the messages show it
    QString inUse_;    // the head the night plays with: "" for the built-in one
    QTimer limit_;     // the conversion's time limit
    QTimer listening_; // watches the comparison until it has played
};

} // namespace yumo
