#include "display/character_data_file.h"

#include <array>
#include <cstring>
#include <memory>

#include "common/byte_io.h"
#include "display/picture_format.h"

namespace yumo
{
namespace
{

void AppendF32(std::vector<uint8_t>& out, float value)
{
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    AppendU32(out, bits);
}

float ReadF32(ByteReader& reader)
{
    const uint32_t bits = ReadU32(reader);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Reads one entry; `decoded` receives what its picture takes once decoded (0 when empty).
bool ReadEntry(ByteReader& reader, const char* what, int index, std::vector<uint8_t>& file,
               CharacterDataEntry& entry, int64_t& decoded, std::string& why)
{
    entry.offset = reader.pos;
    entry.bytes = ReadI32(reader);
    const std::string name = std::string(what) + " " + std::to_string(index);
    if (!reader.ok)
    {
        why = "the file ends before the length of " + name;
        return false;
    }
    if (entry.bytes < 0 || static_cast<size_t>(entry.bytes) > RemainingBytes(reader))
    {
        why = name + " claims " + std::to_string(entry.bytes) + " bytes, but " +
              std::to_string(RemainingBytes(reader)) + " follow";
        return false;
    }
    decoded = 0;
    file.resize(static_cast<size_t>(entry.bytes));
    ReadBytes(reader, file.data(), file.size());
    if (file.empty())
    {
        return true;
    }
    PictureInfo info;
    std::string problem;
    if (!RecognisePicture(file, info, problem))
    {
        why = name + " is " + problem;
        return false;
    }
    decoded = DecodedPictureBytes(info);
    return true;
}

} // namespace

std::vector<uint8_t> EncodeCharacterData(const CharacterAnimation& table,
                                         const CharacterPictures& pictures)
{
    std::vector<uint8_t> out;
    out.reserve(kCharacterDataHeaderBytes);
    AppendI32(out, kCharacterDataFormat);
    AppendI32(out, pictures.count);
    for (int id = 0; id < kAnimationCount; ++id)
    {
        AppendI32(out, table.duration[id]);
        for (int step = 0; step < kAnimationStepCount; ++step)
        {
            AppendI32(out, table.stepPicture[id][step]);
            AppendF32(out, table.stepEnd[id][step]);
        }
    }
    for (const auto* files : {&pictures.pictureFiles, &pictures.maskFiles})
    {
        for (int i = 0; i < pictures.count; ++i)
        {
            const std::vector<uint8_t>& file = (*files)[static_cast<size_t>(i)];
            AppendI32(out, static_cast<int32_t>(file.size()));
            AppendBytes(out, file.data(), file.size());
        }
    }
    return out;
}

bool ParseCharacterData(const std::vector<uint8_t>& bytes, CharacterAnimation& table,
                        CharacterPictures& pictures, std::string& why, CharacterDataLayout* layout)
{
    ByteReader reader = MakeByteReader(bytes);
    if (bytes.size() < kCharacterDataHeaderBytes)
    {
        why = "the file is " + std::to_string(bytes.size()) + " bytes long, shorter than its " +
              std::to_string(kCharacterDataHeaderBytes) + "-byte header and animation table";
        return false;
    }
    ReadI32(reader); // the format's number, not checked
    const int32_t count = ReadI32(reader);
    if (count < 0 || count > kPictureSlotCount)
    {
        why = "the picture count " + std::to_string(count) + " is outside 0-255";
        return false;
    }
    auto newTable = std::make_unique<CharacterAnimation>();
    for (int id = 0; id < kAnimationCount; ++id)
    {
        newTable->duration[id] = ReadI32(reader);
        for (int step = 0; step < kAnimationStepCount; ++step)
        {
            const int32_t picture = ReadI32(reader);
            if (!IsPictureIndex(picture))
            {
                why = "animation " + std::to_string(id) + " step " + std::to_string(step) +
                      " shows picture " + std::to_string(picture) + ", outside 0-254";
                return false;
            }
            newTable->stepPicture[id][step] = picture;
            newTable->stepEnd[id][step] = ReadF32(reader);
        }
    }
    auto newPictures = std::make_unique<CharacterPictures>();
    newPictures->count = count;
    CharacterDataLayout newLayout;
    newLayout.pictures.resize(static_cast<size_t>(count));
    newLayout.masks.resize(static_cast<size_t>(count));
    // What the window will hold once it decodes them: each picture, and each mask, its own or
    // one of the picture's size. Bounded here too, so that a file written from pictures that
    // were never checked cannot make every later start decode too much.
    std::array<int64_t, kPictureSlotCount> pictureBytes{};
    int64_t total = 0;
    for (int i = 0; i < count; ++i)
    {
        const size_t slot = static_cast<size_t>(i);
        if (!ReadEntry(reader, "picture", i, newPictures->pictureFiles[slot],
                       newLayout.pictures[slot], pictureBytes[slot], why))
        {
            return false;
        }
        total += pictureBytes[slot];
        if (newPictures->pictureFiles[slot].empty())
        {
            why = "picture " + std::to_string(i) + " is empty";
            return false;
        }
    }
    for (int i = 0; i < count; ++i)
    {
        const size_t slot = static_cast<size_t>(i);
        int64_t maskBytes = 0;
        if (!ReadEntry(reader, "mask", i, newPictures->maskFiles[slot], newLayout.masks[slot],
                       maskBytes, why))
        {
            return false;
        }
        total += newPictures->maskFiles[slot].empty() ? pictureBytes[slot] : maskBytes;
    }
    if (total > kMaxDecodedCharacterBytes)
    {
        why = "the pictures and masks take " + std::to_string(total >> 20) +
              " MB decoded, more than " + std::to_string(kMaxDecodedCharacterBytes >> 20) + " MB";
        return false;
    }
    if (RemainingBytes(reader) != 0)
    {
        why = std::to_string(RemainingBytes(reader)) + " bytes follow the last mask";
        return false;
    }
    table.duration = newTable->duration;
    table.stepPicture = newTable->stepPicture;
    table.stepEnd = newTable->stepEnd;
    pictures = std::move(*newPictures);
    if (layout != nullptr)
    {
        *layout = std::move(newLayout);
    }
    return true;
}

} // namespace yumo
