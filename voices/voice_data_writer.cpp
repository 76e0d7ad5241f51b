#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <zlib.h>

#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/results.h"
#include "common/ui_text.h"
#include "voices/voice_captions.h"
#include "voices/voice_data_file.h"
#include "voices/voice_data_layout.h"
#include "voices/voice_data_room.h"

namespace yumo
{

// The writer produces the same layout (voices/voice_data_layout.h), always as version 101.
// The image goes straight to where it is kept, a clip at a time, so a save holds no second
// copy of the set: into memory (EncodeVoiceData) or into the file being saved.
namespace
{

struct DeflateStream
{
    z_stream z{};
    bool live = false;
    ~DeflateStream()
    {
        if (live)
        {
            deflateEnd(&z);
        }
    }
};

// Deflate's output is taken in pieces of this size and passed on.
constexpr size_t kDeflatePieceBytes = size_t{1} << 20;

struct MemorySink
{
    std::vector<uint8_t>& image;
    bool Append(const void* data, size_t count)
    {
        AppendBytes(image, data, count);
        return true;
    }
    bool Patch(uint64_t offset, const void* data, size_t count)
    {
        std::memcpy(image.data() + offset, data, count);
        return true;
    }
    uint64_t Size() const { return image.size(); }
};

struct FileSink
{
    AtomicFile& file;
    uint64_t size = 0;
    bool Append(const void* data, size_t count)
    {
        size += count;
        return AppendToAtomicFile(file, data, count);
    }
    bool Patch(uint64_t offset, const void* data, size_t count)
    {
        return OverwriteAtomicFile(file, offset, data, count);
    }
    uint64_t Size() const { return size; }
};

enum class EncodeResult
{
    Done,
    Refused, // the set cannot be saved: why says so
    WriteFailed,
};

void StoreLittleEndian32(uint8_t* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

template <typename Sink> bool AppendI32To(Sink& sink, int32_t value)
{
    uint8_t bytes[4];
    StoreLittleEndian32(bytes, static_cast<uint32_t>(value));
    return sink.Append(bytes, sizeof bytes);
}

// One clip's record: its compressed length, then a zlib stream of its S sample bytes made as
// one deflate call with room S * 1.001 + 12 makes it (level 9, 15-bit window, memory level 8),
// taken a piece at a time; the length is filled in once the stream is complete.
template <typename Sink>
EncodeResult AppendRecord(Sink& sink, const int16_t* samples, int32_t byteSize, int kind,
                          int position, std::vector<uint8_t>& piece, MessageFormat& why)
{
    DeflateStream stream;
    if (deflateInit2(&stream.z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    {
        why = {YUMO_TEXT("ボイスデータファイルを保存できません。圧縮を開始できません。"), {}};
        return EncodeResult::Refused;
    }
    stream.live = true;
    uint8_t none = 0;
    stream.z.next_in =
        byteSize > 0 ? reinterpret_cast<Bytef*>(const_cast<int16_t*>(samples)) : &none;
    stream.z.avail_in = static_cast<uInt>(byteSize);
    const uint64_t lengthAt = sink.Size();
    if (!AppendI32To(sink, 0))
    {
        return EncodeResult::WriteFailed;
    }
    int result = Z_OK;
    while (result != Z_STREAM_END)
    {
        stream.z.next_out = piece.data();
        stream.z.avail_out = static_cast<uInt>(piece.size());
        result = deflate(&stream.z, Z_FINISH);
        if (result != Z_OK && result != Z_STREAM_END)
        {
            why = {YUMO_TEXT("ボイスデータファイルを保存できません。種類 %1・位置 %2 "
                             "のボイスを圧縮できません。"),
                   {std::to_string(kind), std::to_string(position)}};
            return EncodeResult::Refused;
        }
        if (!sink.Append(piece.data(), piece.size() - stream.z.avail_out))
        {
            return EncodeResult::WriteFailed;
        }
    }
    uint8_t length[4];
    StoreLittleEndian32(length, static_cast<uint32_t>(stream.z.total_out));
    return sink.Patch(lengthAt, length, sizeof length) ? EncodeResult::Done
                                                       : EncodeResult::WriteFailed;
}

// Why a set cannot be saved: whole messages, as the save reports them.
bool CheckVoiceDataSavable(const VoiceSet& set, MessageFormat& why)
{
    for (int kind = 0; kind < kKindsWithRecords; ++kind)
    {
        const int32_t count = set.clipCounts[kind];
        if (count < 0 || count > kMaxClipsPerKind)
        {
            why = {YUMO_TEXT("ボイスデータファイルを保存できません。種類 %1 のボイス数 %2 が 0～10 "
                             "の範囲外です。"),
                   {std::to_string(kind), std::to_string(count)}};
            return false;
        }
        for (int position = 0; position < count; ++position)
        {
            const int slot = ClipSlot(kind, position);
            const int32_t byteSize = set.catalog.byteSize[slot];
            // Never read past the clip's samples, whatever its catalogue entry says.
            if (byteSize < 0 ||
                static_cast<size_t>(byteSize) > set.samples[slot].size() * sizeof(int16_t))
            {
                why = {YUMO_TEXT("ボイスデータファイルを保存できません。種類 %1・位置 %2 "
                                 "のボイスのバイト数 %3 がサンプルと合いません。"),
                       {std::to_string(kind), std::to_string(position), std::to_string(byteSize)}};
                return false;
            }
        }
    }
    // A file that the reader would refuse is never written.
    if (const int64_t room = VoiceDataRoomBytes(set); room < 0)
    {
        why = DescribeVoiceDataOverLimit(room);
        return false;
    }
    return true;
}

template <typename Sink>
EncodeResult EncodeVoiceDataTo(const VoiceSet& set, Sink& sink, MessageFormat& why)
{
    if (!CheckVoiceDataSavable(set, why))
    {
        return EncodeResult::Refused;
    }
    bool ok = AppendI32To(sink, kVoiceDataWriteVersion) &&
              sink.Append(set.ownerName.data(), sizeof(VoiceText));
    for (int32_t count : set.clipCounts)
    {
        ok = ok && AppendI32To(sink, count);
    }
    static constexpr std::array<uint8_t, kColumnBytes> kSpareColumn{};
    ok = ok && sink.Append(&set.catalog, sizeof(ClipCatalog));
    for (size_t i = 0; i < kCatalogSpareColumns + kTrackSpareColumns; ++i)
    {
        ok = ok && sink.Append(kSpareColumn.data(), kSpareColumn.size());
    }
    // A set saved during a night would keep where its playing clip stood, and every night from
    // the file would start that clip midway (or, at its end, not at all): saved, clips start
    // at their beginnings.
    VoiceTrackTable tracks = set.tracks;
    tracks.playPosition.fill(0);
    tracks.outputByteCounter.fill(0);
    ok = ok && sink.Append(&tracks, sizeof(VoiceTrackTable));
    if (!ok)
    {
        return EncodeResult::WriteFailed;
    }
    std::vector<uint8_t> piece(kDeflatePieceBytes);
    for (int kind = 0; kind < kKindsWithRecords; ++kind)
    {
        for (int position = 0; position < set.clipCounts[kind]; ++position)
        {
            const int slot = ClipSlot(kind, position);
            const EncodeResult result =
                AppendRecord(sink, set.samples[slot].data(), set.catalog.byteSize[slot], kind,
                             position, piece, why);
            if (result != EncodeResult::Done)
            {
                return result;
            }
        }
    }
    return EncodeResult::Done;
}

} // namespace

bool EncodeVoiceData(const VoiceSet& set, std::vector<uint8_t>& out, std::string& why)
{
    std::vector<uint8_t> image;
    image.reserve(kVoiceDataHeaderSize);
    MemorySink sink{image};
    MessageFormat message;
    if (EncodeVoiceDataTo(set, sink, message) != EncodeResult::Done)
    {
        why = FillMessageFormat(message.format, message.arguments);
        return false;
    }
    out = std::move(image);
    return true;
}

int WriteVoiceDataFile(const std::string& path, const VoiceSet& set, Reporter& reporter)
{
    // Whatever is wrong with the set is found before anything is created.
    MessageFormat why;
    if (!CheckVoiceDataSavable(set, why))
    {
        ReportFormatted(reporter, why, kSaveErrorCaption);
        return kWriteFailed;
    }
    std::error_code error;
    const bool existed = std::filesystem::exists(std::filesystem::symlink_status(path, error));
    AtomicFile file;
    EncodeResult result = EncodeResult::WriteFailed;
    if (OpenAtomicFile(file, path))
    {
        FileSink sink{file};
        result = EncodeVoiceDataTo(set, sink, why);
    }
    if (result == EncodeResult::Refused)
    {
        ReportFormatted(reporter, why, kSaveErrorCaption);
        return kWriteFailed;
    }
    if (result != EncodeResult::Done || !CommitAtomicFile(file))
    {
        // The previous file is spoken of only where there was one.
        ReportFormatted(reporter,
                        {existed ? YUMO_TEXT("ボイスデータファイルを書き込めませんでした。%1"
                                             "以前のファイルはそのままです。")
                                 : YUMO_TEXT("ボイスデータファイルを書き込めませんでした。%1"),
                         {DescribeAtomicFileFailure(file)}},
                        kSaveErrorCaption);
        return kWriteFailed;
    }
    return kOk;
}

} // namespace yumo
