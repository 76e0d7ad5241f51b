#pragma once
// The character-data file "ymv/Yumone.ymi": the animation table and the picture and mask files,
// the compiled form of the script and the two picture lists. Little-endian throughout.
//
//   offset  size    content
//   0       4       int32 101, the format's number (written, not checked)
//   4       4       int32 N, the number of pictures, 0-255
//   8       131584  128 animation records in id order, 1028 bytes each:
//                     int32 duration, then 128 steps of int32 picture, float32 end time
//   131592  ...     N picture entries, then N mask entries, each int32 length S, then S bytes:
//                   the picture file exactly as read (S = 0: no mask of its own)

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "voices/character_animation.h"

namespace yumo
{

constexpr int32_t kCharacterDataFormat = 101;
constexpr size_t kAnimationRecordBytes = 4 + kAnimationStepCount * 8;
constexpr size_t kAnimationTableBytes = kAnimationCount * kAnimationRecordBytes;
constexpr size_t kCharacterDataHeaderBytes = 8 + kAnimationTableBytes;
constexpr size_t kMaxCharacterDataBytes = 256u << 20;
static_assert(kAnimationRecordBytes == 1028 && kCharacterDataHeaderBytes == 131592);

// Where one entry of a file sits, for `yumo-tool character info`.
struct CharacterDataEntry
{
    size_t offset = 0; // of its length field
    int32_t bytes = 0;
};

struct CharacterDataLayout
{
    std::vector<CharacterDataEntry> pictures;
    std::vector<CharacterDataEntry> masks;
};

std::vector<uint8_t> EncodeCharacterData(const CharacterAnimation& table,
                                         const CharacterPictures& pictures);

// Reads a file image into the table fields of `table` and into `pictures`, or changes nothing
// and says why: cut short, N outside 0-255, an entry longer than what follows, bytes after the
// last entry, a picture of the table outside 0-254, or a picture entry that is empty.
bool ParseCharacterData(const std::vector<uint8_t>& bytes, CharacterAnimation& table,
                        CharacterPictures& pictures, std::string& why,
                        CharacterDataLayout* layout = nullptr);

} // namespace yumo
