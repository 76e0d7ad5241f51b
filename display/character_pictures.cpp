#include "display/character_pictures.h"

#include <memory>
#include <system_error>
#include <vector>

#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/results.h"
#include "common/ui_text.h"
#include "display/character_data_file.h"
#include "display/picture_format.h"
#include "display/picture_list.h"

namespace yumo
{
namespace
{

const char* const kCharacterCaption = YUMO_TEXT("キャラクターデータエラー");

// The file a list line names, when it is a picture; empty otherwise.
std::vector<uint8_t> ReadPictureFile(const std::filesystem::path& baseDir, const std::string& line)
{
    std::vector<uint8_t> bytes;
    if (line.empty() ||
        ReadWholeFile(baseDir / line, bytes, kMaxPictureFileBytes) != FileReadResult::Ok)
    {
        return {};
    }
    PictureInfo info;
    std::string why;
    if (!RecognisePicture(bytes, info, why))
    {
        return {};
    }
    return bytes;
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
    for (const std::string& line : images.paths)
    {
        std::vector<uint8_t> file = ReadPictureFile(baseDir, line);
        if (file.empty())
        {
            build.listEnd = "'" + line + "' (line " + std::to_string(build.count + 1) +
                            ") cannot be read or is not a picture";
            break;
        }
        pictures.pictureFiles[static_cast<size_t>(build.count)] = std::move(file);
        ++build.count;
    }
    pictures.count = build.count;
    for (int i = 0; i < build.count; ++i)
    {
        const size_t slot = static_cast<size_t>(i);
        if (slot < masks.paths.size())
        {
            pictures.maskFiles[slot] = ReadPictureFile(baseDir, masks.paths[slot]);
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
