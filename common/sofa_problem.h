#pragma once
// Why a SOFA file gave no response set: yumo-tool hrir from-sofa names it on a line
// "reason: WORD" after its refusal, and the window's head chooser, which runs the tool, says it
// in the window's language. One list of words for both.

#include <string>

namespace yumo
{

// Why a SOFA file was refused, as yumo-tool hrir from-sofa tells it on a line "reason: WORD"
// (the window's head chooser says it in its own language).
enum class SofaProblem
{
    None,
    Unreadable, // missing, not a regular file, too large, unreadable
    NotSofa,    // not an HDF5 file at all
    Cut,        // shorter than its superblock says: cut off
    Damaged,    // its contents are malformed, or reading them failed (crashed, hung)
    Unsuitable, // a sound SOFA file, but not a set of head-related responses this program takes
    NotWritten, // the converted set could not be written
};

// The word of a problem ("cut", "damaged", ...), and back (None for a word it does not know).
const char* SofaProblemWord(SofaProblem problem);
SofaProblem SofaProblemOfWord(const std::string& word);

} // namespace yumo
