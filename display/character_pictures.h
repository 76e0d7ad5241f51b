#pragma once
// Where the companion's pictures come from at window creation: built from the picture lists
// "img/Image.txt" and "img/Mask.txt" (and then compiled into "ymv/Yumone.ymi"), or loaded from
// that character-data file.

#include <filesystem>
#include <string>
#include <string_view>

#include "common/report.h"
#include "night/app_state.h"
#include "voices/character_animation.h"

namespace yumo
{

struct PictureBuild
{
    int count = 0;           // pictures stored, 0-255
    int masksMissing = 0;    // of those, pictures without a usable mask
    std::string listEnd;     // why the picture list ended before its text did; empty if it did not
    bool refused = false;    // it ended at a picture refused (too large, outside the folder), not
                             // merely unreadable
    std::string maskProblem; // the first mask refused so, if any
    // The same two in the window's words, the line's text with its control characters escaped.
    MessageFormat listEndShown;
    MessageFormat maskProblemShown;
};

// Reads the files the lists name, paths resolved against `baseDir`. The pictures end at the
// first line whose file cannot be read, is not a PNG, JPEG, BMP or GIF picture, lies outside
// `baseDir` (after ".." and symbolic links), or would take the decoded pictures and masks past
// kMaxDecodedCharacterBytes; mask i is stored only when it passes the same checks, and is left
// empty otherwise (also when `maskList` is null).
PictureBuild BuildCharacterPictures(std::string_view imageList, const std::string_view* maskList,
                                    const std::filesystem::path& baseDir,
                                    CharacterPictures& pictures);

// Fills state.characterPictures at window creation, after LoadAnimationScript. With
// img/Image.txt present the pictures are built and, when at least one was stored, written with
// the table in memory to ymv/Yumone.ymi through a temporary file (a file that cannot be written
// leaves the pictures in memory in use). Otherwise, and when the build stored none, the
// existing ymv/Yumone.ymi is loaded and its table replaces the script's. A missing file is
// silent (kFileNotOpened); a damaged one is reported and changes nothing (kFileDamaged).
// A built file goes to rebuiltDir/ymv/Yumone.ymi instead when rebuiltDir is given: an installed
// data folder is read-only, so the file goes to the user's folder.
int LoadCharacterPictures(AppState& state, const std::filesystem::path& workDir);
int LoadCharacterPictures(AppState& state, const std::filesystem::path& workDir,
                          const std::filesystem::path& rebuiltDir);

} // namespace yumo
