#pragma once
// The program's file choosers: Qt's own file dialog with the captions and filters of each
// purpose. Each chooser remembers, for as long as the program runs, the filter and the folder
// of its last confirmed choice; the first showing opens in the user's data folder (a picture in
// the pictures folder), never in the program's data folder, which start-up makes the working
// directory and which is read-only once installed.

#include <array>
#include <memory>
#include <string>

#include <QFile>
#include <QString>

class QFileDialog;
class QWidget;

namespace yumo
{

// A chosen path as the core's readers and writers take it: the file system's own bytes.
inline std::string FilePath(const QString& path) { return QFile::encodeName(path).toStdString(); }

enum class FileChooserKind
{
    OpenVoice,          // ボイス情報の読み込み: voice data to load
    Music,              // BGMファイル: background music
    SaveVoice,          // 名前を付けて保存: voice data to save
    SavePositionRecord, // 名前を付けて保存: the position record, a file of its own
    VoiceClip,          // ボイスのファイル: a WAV or MP3 clip for the voice editor
    HeadSofa,           // 頭の形のSOFAファイル: measurements to convert into a head
    SavePicture,        // 昨夜の様子を保存: the night's picture as PNG
    Count,
};

class FileChoosers
{
public:
    // Shows the chooser modally over `owner`, offering `initialName`. The chosen path, or an
    // empty string when the user cancelled.
    QString Run(FileChooserKind kind, QWidget* owner, const QString& initialName);

    // The dialog as Run shows it, set up from what earlier choices left.
    std::unique_ptr<QFileDialog> MakeDialog(FileChooserKind kind, QWidget* owner,
                                            const QString& initialName) const;
    // Keeps the filter and folder of a confirmed dialog for the next showing.
    void Remember(FileChooserKind kind, const QFileDialog& dialog);

    // Where a chooser of `kind` opens the first time.
    static QString FirstFolder(FileChooserKind kind);

private:
    struct Memory
    {
        QString filter;
        QString folder;
    };
    std::array<Memory, static_cast<size_t>(FileChooserKind::Count)> memory_;
};

} // namespace yumo
