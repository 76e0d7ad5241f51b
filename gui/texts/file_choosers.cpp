#include "gui/texts/file_choosers.h"

#include <QDir>
#include <QFileDialog>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>

#include "common/data_folder.h"
#include "gui/texts/texts.h"

namespace yumo
{
namespace
{

// Each filter is a display text and its own pattern. The dialog hides the pattern that Qt
// needs in brackets at the end, so "All Files(*.*)" is shown while "*" matches names without
// a dot too.
QString Filter(UiText display, const char* pattern)
{
    return Text(display) + QStringLiteral(" (") + QLatin1String(pattern) + QLatin1Char(')');
}

QStringList Filters(FileChooserKind kind)
{
    switch (kind)
    {
    case FileChooserKind::VoiceClip:
        // Clips are read as WAV or MP3 only.
        return {Filter(UiText::FilterWav, "*.wav"), Filter(UiText::FilterMp3, "*.mp3"),
                Filter(UiText::FilterAll, "*")};
    case FileChooserKind::Music:
        // The names libsndfile's route takes in any case; the usual spellings are listed.
        return {Filter(UiText::FilterWav, "*.wav"), Filter(UiText::FilterMp3, "*.mp3"),
                Filter(UiText::FilterSndfile,
                       "*.flac *.ogg *.opus *.FLAC *.OGG *.OPUS *.Flac *.Ogg *.Opus"),
                Filter(UiText::FilterAll, "*")};
    case FileChooserKind::SavePositionRecord:
        return {Filter(UiText::FilterPositionRecord, "*.ypos"), Filter(UiText::FilterAll, "*")};
    case FileChooserKind::HeadSofa:
        return {Filter(UiText::FilterSofa, "*.sofa"), Filter(UiText::FilterAll, "*")};
    case FileChooserKind::SavePicture:
        return {Filter(UiText::FilterPng, "*.png")};
    case FileChooserKind::OpenVoice:
    case FileChooserKind::SaveVoice:
    case FileChooserKind::Count:
        break;
    }
    return {Filter(UiText::FilterVoiceData, "*.ymv"), Filter(UiText::FilterAll, "*")};
}

QString Caption(FileChooserKind kind)
{
    switch (kind)
    {
    case FileChooserKind::OpenVoice:
        return Text(UiText::ChooserOpenVoice);
    case FileChooserKind::Music:
        return Text(UiText::ChooserMusic);
    case FileChooserKind::VoiceClip:
        return Text(UiText::ChooserVoiceClip);
    case FileChooserKind::HeadSofa:
        return Text(UiText::ChooserHead);
    case FileChooserKind::SavePicture:
        return Text(UiText::ChooserPicture);
    case FileChooserKind::SaveVoice:
    case FileChooserKind::SavePositionRecord:
    case FileChooserKind::Count:
        break;
    }
    return Text(UiText::ChooserSave);
}

const char* DefaultSuffix(FileChooserKind kind)
{
    switch (kind)
    {
    case FileChooserKind::SaveVoice:
        return "ymv";
    case FileChooserKind::SavePositionRecord:
        return "ypos";
    case FileChooserKind::SavePicture:
        return "png";
    default:
        return nullptr;
    }
}

QString UserFolder()
{
    const QString folder = QString::fromStdString(UserDataFolder().string());
    QDir().mkpath(folder);
    return folder;
}

// Beside the usual places, the user's folder and the folder of the voice data that came with
// the program, so the default voice stays one click away.
QList<QUrl> SidebarFolders()
{
    QList<QUrl> urls = {QUrl::fromLocalFile(QDir::homePath()), QUrl::fromLocalFile(UserFolder())};
    const QDir shipped(QStringLiteral("ymv"));
    if (shipped.exists())
    {
        urls.append(QUrl::fromLocalFile(shipped.absolutePath()));
    }
    return urls;
}

} // namespace

// The user's voice sets, clips, music, position records and heads start from the user's data
// folder, where the README sends them; a picture from the pictures folder while there is one.
QString FileChoosers::FirstFolder(FileChooserKind kind)
{
    if (kind == FileChooserKind::SavePicture)
    {
        const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
        if (!pictures.isEmpty() && QDir(pictures).exists())
        {
            return pictures;
        }
    }
    return UserFolder();
}

std::unique_ptr<QFileDialog> FileChoosers::MakeDialog(FileChooserKind kind, QWidget* owner,
                                                      const QString& initialName) const
{
    const Memory& memory = memory_[static_cast<size_t>(kind)];
    auto dialog = std::make_unique<QFileDialog>(owner, Caption(kind));
    // Qt's own dialog everywhere, so it looks and reads the same on every desktop.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    const char* suffix = DefaultSuffix(kind);
    const bool save = suffix != nullptr;
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save)
    {
        dialog->setDefaultSuffix(QLatin1String(suffix));
    }
    const QStringList filters = Filters(kind);
    dialog->setNameFilters(filters);
    dialog->selectNameFilter(filters.contains(memory.filter) ? memory.filter : filters.first());
    dialog->setDirectory(memory.folder.isEmpty() ? FirstFolder(kind) : memory.folder);
    dialog->setSidebarUrls(SidebarFolders());
    if (!initialName.isEmpty())
    {
        dialog->selectFile(initialName);
    }
    return dialog;
}

void FileChoosers::Remember(FileChooserKind kind, const QFileDialog& dialog)
{
    Memory& memory = memory_[static_cast<size_t>(kind)];
    // Qt 6.4 answers with the shown text, without the hidden pattern; keep the whole filter,
    // which is what selectNameFilter finds again.
    const QString shown = dialog.selectedNameFilter();
    memory.filter = shown;
    for (const QString& filter : dialog.nameFilters())
    {
        if (filter == shown || filter.left(filter.lastIndexOf(QStringLiteral(" ("))) == shown)
        {
            memory.filter = filter;
            break;
        }
    }
    memory.folder = dialog.directory().absolutePath();
}

QString FileChoosers::Run(FileChooserKind kind, QWidget* owner, const QString& initialName)
{
    const std::unique_ptr<QFileDialog> dialog = MakeDialog(kind, owner, initialName);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
    {
        return {};
    }
    Remember(kind, *dialog);
    return dialog->selectedFiles().first();
}

} // namespace yumo
