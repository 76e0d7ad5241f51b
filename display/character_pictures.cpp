#include "display/character_pictures.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <memory>
#include <system_error>
#include <vector>

#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/results.h"
#include "common/ui_text.h"
#include "common/utf16.h"
#include "display/character_data_file.h"
#include "display/picture_format.h"
#include "display/picture_list.h"

namespace yumo
{
namespace
{

const char* const kCharacterCaption = YUMO_TEXT("キャラクターデータエラー");

// True when `file`, with symbolic links and ".." resolved, lies inside the folder `base`.
bool LiesInside(const std::filesystem::path& base, const std::filesystem::path& file)
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::weakly_canonical(base, error);
    if (error)
    {
        return false;
    }
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(file, error);
    if (error)
    {
        return false;
    }
    const auto [inFolder, inFile] =
        std::mismatch(folder.begin(), folder.end(), resolved.begin(), resolved.end());
    // "a/b/" ends in an empty element; a file directly in the folder still lies inside it.
    return inFolder == folder.end() || (std::next(inFolder) == folder.end() && inFolder->empty());
}

// The window's words for a picture the lists name but the build does not use: %1 the list, %2
// its line, %3 the line's text (%4 the limit in MB).
constexpr char kPictureOutsideText[] =
    YUMO_TEXT("img/Image.txt と img/Mask.txt の画像の一部を使いません。\n（%1 の %2 行目"
              "「%3」はデータフォルダの外にあります。）");
constexpr char kPictureNotUsableText[] =
    YUMO_TEXT("img/Image.txt と img/Mask.txt の画像の一部を使いません。\n（%1 の %2 行目"
              "「%3」は使える画像（PNG、JPEG、BMP、GIF）ではないか、大きすぎます。）");
constexpr char kPictureBudgetText[] =
    YUMO_TEXT("img/Image.txt と img/Mask.txt の画像の一部を使いません。\n（%1 の %2 行目"
              "「%3」で、画像とマスクが展開後 %4 MB を超えます。）");

MessageFormat ShownProblem(const char* text, const char* list, int line, const std::string& path)
{
    return {text,
            {list, std::to_string(line), EscapeControls(path),
             std::to_string(kMaxDecodedCharacterBytes >> 20)}};
}

enum class PictureRead
{
    Ok,
    Unreadable, // missing, unreadable or empty: the list simply ends
    Refused,    // there, but not to be used: the user is told
};

// The file a list line names into `bytes`, when it is a picture inside the data folder; `why`
// says what is wrong otherwise. `info` receives the picture's header.
PictureRead ReadPictureFile(const std::filesystem::path& baseDir, const std::string& line,
                            std::vector<uint8_t>& bytes, PictureInfo& info, std::string& why)
{
    bytes.clear();
    if (line.empty())
    {
        why = "the line is empty";
        return PictureRead::Unreadable;
    }
    // An absolute path replaces the folder here; it is refused like any path leading out.
    const std::filesystem::path path = baseDir / line;
    if (!LiesInside(baseDir, path))
    {
        why = "'" + EscapeControls(line) + "' lies outside the data folder";
        return PictureRead::Refused;
    }
    if (ReadWholeFile(path, bytes, kMaxPictureFileBytes) != FileReadResult::Ok)
    {
        bytes.clear();
        why = "'" + EscapeControls(line) + "' cannot be read";
        return PictureRead::Unreadable;
    }
    if (!RecognisePicture(bytes, info, why))
    {
        bytes.clear();
        why = "'" + EscapeControls(line) + "' is " + why;
        return PictureRead::Refused;
    }
    return PictureRead::Ok;
}

// A list that cannot be read counts as absent.
bool ReadList(const std::filesystem::path& path, std::string& text)
{
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(path, bytes, kMaxPictureListBytes) != FileReadResult::Ok)
    {
        return false;
    }
    text.assign(bytes.begin(), bytes.end());
    return true;
}

} // namespace

PictureBuild BuildCharacterPictures(std::string_view imageList, const std::string_view* maskList,
                                    const std::filesystem::path& baseDir,
                                    CharacterPictures& pictures)
{
    PictureBuild build;
    pictures = CharacterPictures{};
    const PictureList images = ParsePictureList(imageList);
    const PictureList masks = maskList != nullptr ? ParsePictureList(*maskList) : PictureList{};
    build.listEnd = images.cutShort;
    // What the window will hold once it decodes them: each picture, and for each a mask, of
    // the picture's size until a mask of its own is read.
    std::array<int64_t, kPictureSlotCount> pictureBytes{};
    int64_t total = 0;
    for (const std::string& line : images.paths)
    {
        const std::string where = " (line " + std::to_string(build.count + 1) + ")";
        PictureInfo info;
        std::string why;
        std::vector<uint8_t> file;
        PictureRead read = ReadPictureFile(baseDir, line, file, info, why);
        const int64_t bytes = read == PictureRead::Ok ? DecodedPictureBytes(info) : 0;
        if (read == PictureRead::Ok && total + 2 * bytes > kMaxDecodedCharacterBytes)
        {
            why = "'" + EscapeControls(line) + "' would take the pictures and masks past " +
                  std::to_string(kMaxDecodedCharacterBytes >> 20) + " MB decoded";
            read = PictureRead::Refused;
            build.listEndShown =
                ShownProblem(kPictureBudgetText, "img/Image.txt", build.count + 1, line);
        }
        if (read != PictureRead::Ok)
        {
            build.listEnd = why + where;
            build.refused = read == PictureRead::Refused;
            if (build.refused && build.listEndShown.format.empty())
            {
                build.listEndShown =
                    ShownProblem(LiesInside(baseDir, baseDir / line) ? kPictureNotUsableText
                                                                     : kPictureOutsideText,
                                 "img/Image.txt", build.count + 1, line);
            }
            break;
        }
        const size_t slot = static_cast<size_t>(build.count);
        pictureBytes[slot] = bytes;
        total += 2 * bytes;
        pictures.pictureFiles[slot] = std::move(file);
        ++build.count;
    }
    pictures.count = build.count;
    for (int i = 0; i < build.count; ++i)
    {
        const size_t slot = static_cast<size_t>(i);
        if (slot < masks.paths.size())
        {
            PictureInfo info;
            std::string why;
            std::vector<uint8_t> mask;
            PictureRead read = ReadPictureFile(baseDir, masks.paths[slot], mask, info, why);
            const int64_t change =
                read == PictureRead::Ok ? DecodedPictureBytes(info) - pictureBytes[slot] : 0;
            if (read == PictureRead::Ok && total + change > kMaxDecodedCharacterBytes)
            {
                why = "mask '" + EscapeControls(masks.paths[slot]) +
                      "' would take the pictures and masks past " +
                      std::to_string(kMaxDecodedCharacterBytes >> 20) + " MB decoded";
                read = PictureRead::Refused;
                build.maskProblemShown =
                    ShownProblem(kPictureBudgetText, "img/Mask.txt", i + 1, masks.paths[slot]);
            }
            if (read == PictureRead::Refused && build.maskProblem.empty())
            {
                build.maskProblem = why + " (mask line " + std::to_string(i + 1) + ")";
                if (build.maskProblemShown.format.empty())
                {
                    build.maskProblemShown = ShownProblem(
                        LiesInside(baseDir, baseDir / masks.paths[slot]) ? kPictureNotUsableText
                                                                         : kPictureOutsideText,
                        "img/Mask.txt", i + 1, masks.paths[slot]);
                }
            }
            if (read == PictureRead::Ok)
            {
                total += change;
                pictures.maskFiles[slot] = std::move(mask);
            }
        }
        build.masksMissing += pictures.maskFiles[slot].empty() ? 1 : 0;
    }
    return build;
}

int LoadCharacterPictures(AppState& state, const std::filesystem::path& workDir)
{
    return LoadCharacterPictures(state, workDir, workDir);
}

int LoadCharacterPictures(AppState& state, const std::filesystem::path& workDir,
                          const std::filesystem::path& rebuiltDir)
{
    const std::filesystem::path dataPath = workDir / "ymv" / "Yumone.ymi";
    std::string imageList;
    std::string maskList;
    if (ReadList(workDir / "img" / "Image.txt", imageList))
    {
        const bool haveMasks = ReadList(workDir / "img" / "Mask.txt", maskList);
        const std::string_view masks = maskList;
        auto built = std::make_unique<CharacterPictures>();
        const PictureBuild build =
            BuildCharacterPictures(imageList, haveMasks ? &masks : nullptr, workDir, *built);
        // A picture refused for its size or its place is told; the rest are used.
        for (const MessageFormat* problem :
             {build.refused ? &build.listEndShown : nullptr,
              build.maskProblem.empty() ? nullptr : &build.maskProblemShown})
        {
            if (problem != nullptr)
            {
                ReportFormatted(*state.reporter, *problem, kCharacterCaption, MessageKind::Warning);
            }
        }
        if (build.count > 0)
        {
            // Written whole, then renamed: a failed write leaves the previous file as it was.
            const std::filesystem::path rebuiltPath = rebuiltDir / "ymv" / "Yumone.ymi";
            if (rebuiltDir != workDir)
            {
                // The user's folder may not exist yet; the data folder's ymv/ is never made.
                std::error_code error;
                std::filesystem::create_directories(rebuiltPath.parent_path(), error);
            }
            WriteFileAtomically(rebuiltPath, EncodeCharacterData(state.character, *built));
            state.characterPictures = std::move(*built);
            return kOk;
        }
    }

    std::vector<uint8_t> bytes;
    const FileReadResult read = ReadWholeFile(dataPath, bytes, kMaxCharacterDataBytes);
    if (read == FileReadResult::NotOpened)
    {
        return kFileNotOpened;
    }
    std::string why = read == FileReadResult::NotRegular
                          ? "it is a folder, pipe or device, not a file"
                          : "the file is too large or cannot be read";
    auto pictures = std::make_unique<CharacterPictures>();
    if (read != FileReadResult::Ok || !ParseCharacterData(bytes, state.character, *pictures, why))
    {
        ReportFormatted(*state.reporter,
                        YUMO_TEXT("%1 の内容が正しくないため読み込めません。\n(%2)"),
                        {"ymv/Yumone.ymi", why}, kCharacterCaption);
        return kFileDamaged;
    }
    state.characterPictures = std::move(*pictures);
    return kOk;
}

} // namespace yumo
