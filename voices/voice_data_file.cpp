#include "voices/voice_data_file.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <zlib.h>

#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/regular_file.h"
#include "common/results.h"
#include "common/ui_text.h"
#include "voices/voice_data_layout.h"
#include "voices/voice_data_room.h"

namespace yumo
{

const char* const kVoiceOpenErrorCaption = YUMO_TEXT("Yumoオープンエラー");

bool FileStoresSlot(const VoiceSet& set, int slot)
{
    const int kind = slot / kMaxClipsPerKind;
    return slot >= 0 && kind < kKindsWithRecords && slot % kMaxClipsPerKind < set.clipCounts[kind];
}

namespace
{

// Deflate never compresses better than 1032:1, so a record of L bytes cannot inflate to more
// than this many bytes per compressed byte; larger byte sizes are refused before allocating.
constexpr int64_t kMaxInflateRatio = 1032;

const char* const kSaveErrorCaption = YUMO_TEXT("ymv保存エラー");

// A zlib stream that is ended on every way out once its init succeeded.
struct InflateStream
{
    z_stream z{};
    bool live = false;
    ~InflateStream()
    {
        if (live)
        {
            inflateEnd(&z);
        }
    }
};

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

int KindsWithRecords(int32_t version)
{
    return version > kLastVersionWithoutKind12 ? kKindsWithRecords : kKindsWithRecordsOld;
}

bool Refuse(VoiceDataRefusal& refusal, VoiceDataProblem problem, int kind = -1, int position = -1,
            int64_t value = 0)
{
    refusal = VoiceDataRefusal{problem, kind, position, value};
    return false;
}

// Where the records are read from: a whole image in memory, or an open file read piece by
// piece, so that only the header and the records are ever read and nothing after them.
struct RecordSource
{
    const uint8_t* image = nullptr;
    const RegularFile* file = nullptr;
    uint64_t size = 0;

    bool Read(uint64_t offset, void* out, size_t count) const
    {
        if (offset > size || count > size - offset)
        {
            return false;
        }
        if (image != nullptr)
        {
            if (count > 0)
            {
                std::memcpy(out, image + offset, count);
            }
            return true;
        }
        return file->ReadAt(offset, out, count);
    }
};

// Compressed input is handed to zlib this much at a time from a file.
constexpr size_t kInflateInputChunk = size_t{1} << 20;
// The samples grow by this much as the stream fills them: a clip claiming more than its
// stream holds never costs more than what the stream really gives. Even: whole samples.
constexpr size_t kInflateOutputStep = size_t{4} << 20;
static_assert(kInflateOutputStep % kBytesPerSample == 0);

// Checks the header fields of every clip that carries a record, and that the file is long
// enough for what they claim, before any clip is allocated. `recordBytes` is the length of the
// file after the header.
bool CheckClipFields(const VoiceSet& set, int kinds, bool compressed, uint64_t recordBytes,
                     VoiceDataRefusal& refusal)
{
    for (int kind = 0; kind < kinds; ++kind)
    {
        const int32_t count = set.clipCounts[kind];
        if (count < 0 || count > kMaxClipsPerKind)
        {
            return Refuse(refusal, VoiceDataProblem::CountOutOfRange, kind, -1, count);
        }
    }
    for (int kind = 0; kind < kinds; ++kind)
    {
        for (int position = 0; position < set.clipCounts[kind]; ++position)
        {
            const int slot = ClipSlot(kind, position);
            const int32_t byteSize = set.catalog.byteSize[slot];
            // Clips hold whole 16-bit samples.
            if (byteSize < 0 || byteSize % kBytesPerSample != 0)
            {
                return Refuse(refusal, VoiceDataProblem::ByteSizeOutOfRange, kind, position,
                              byteSize);
            }
            // The renderer and the panes index the samples by these lengths.
            const int32_t samples = byteSize / kBytesPerSample;
            for (int32_t length : {set.catalog.sampleCount[slot], set.tracks.lengthFrames[slot]})
            {
                if (length < 0 || length > samples)
                {
                    return Refuse(refusal, VoiceDataProblem::LengthBeyondSamples, kind, position,
                                  length);
                }
            }
            for (int32_t counter :
                 {set.tracks.playPosition[slot], set.tracks.outputByteCounter[slot]})
            {
                if (counter < 0)
                {
                    return Refuse(refusal, VoiceDataProblem::NegativePlayCounter, kind, position,
                                  counter);
                }
            }
        }
    }
    // Every record may be small and still inflate a thousandfold: the sum decides the memory.
    // The least each record takes of the file: its samples, or its length field and the
    // shortest stream that could inflate to its byte size.
    int64_t total = 0;
    uint64_t least = 0;
    for (int kind = 0; kind < kinds; ++kind)
    {
        for (int position = 0; position < set.clipCounts[kind]; ++position)
        {
            const int32_t byteSize = set.catalog.byteSize[ClipSlot(kind, position)];
            total += byteSize;
            least += compressed ? sizeof(int32_t) : static_cast<uint64_t>(byteSize);
            if (least > recordBytes)
            {
                return Refuse(refusal, VoiceDataProblem::RecordTruncated, kind, position);
            }
            if (compressed)
            {
                least +=
                    (static_cast<uint64_t>(byteSize) + kMaxInflateRatio - 1) / kMaxInflateRatio;
                if (least > recordBytes)
                {
                    return Refuse(refusal, VoiceDataProblem::ByteSizeTooLarge, kind, position,
                                  byteSize);
                }
            }
        }
    }
    if (total > kMaxVoiceDataSampleBytes)
    {
        return Refuse(refusal, VoiceDataProblem::TotalTooLarge, -1, -1, total);
    }
    return true;
}

// Inflates the record of `length` bytes at `offset` into `samples` (exactly byteSize bytes),
// insisting on one complete stream of exactly that size. The samples are reserved whole but
// filled step by step, so memory is taken only as the stream yields bytes.
bool InflateRecord(const RecordSource& source, uint64_t offset, uint32_t length,
                   std::vector<int16_t>& samples, size_t byteSize, int kind, int position,
                   VoiceDataRefusal& refusal)
{
    InflateStream stream;
    if (inflateInit(&stream.z) != Z_OK)
    {
        return Refuse(refusal, VoiceDataProblem::StreamDamaged, kind, position);
    }
    stream.live = true;
    samples.clear();
    samples.reserve(byteSize / kBytesPerSample);
    std::vector<uint8_t> chunk;
    if (source.image == nullptr)
    {
        chunk.resize(std::min<size_t>(length, kInflateInputChunk));
    }
    uint64_t inputLeft = length;
    size_t room = 0;   // bytes of samples handed to zlib so far
    uint8_t spare = 0; // one byte past the byte size: a stream that fills it is too long
    bool probing = false;
    for (;;)
    {
        if (stream.z.avail_in == 0 && inputLeft > 0)
        {
            const size_t take =
                source.image != nullptr
                    ? static_cast<size_t>(inputLeft)
                    : static_cast<size_t>(std::min<uint64_t>(inputLeft, chunk.size()));
            const uint8_t* in = source.image != nullptr ? source.image + offset : chunk.data();
            if (source.image == nullptr && !source.Read(offset, chunk.data(), take))
            {
                return Refuse(refusal, VoiceDataProblem::RecordTruncated, kind, position);
            }
            stream.z.next_in = const_cast<Bytef*>(in);
            stream.z.avail_in = static_cast<uInt>(take);
            offset += take;
            inputLeft -= take;
        }
        if (stream.z.avail_out == 0)
        {
            if (probing)
            {
                return Refuse(refusal, VoiceDataProblem::InflatedSizeMismatch, kind, position,
                              static_cast<int64_t>(byteSize) + 1);
            }
            if (room < byteSize)
            {
                const size_t grown = std::min(byteSize, room + kInflateOutputStep);
                samples.resize(grown / kBytesPerSample); // within the reserve: never moves
                stream.z.next_out = reinterpret_cast<Bytef*>(samples.data()) + room;
                stream.z.avail_out = static_cast<uInt>(grown - room);
                room = grown;
            }
            else
            {
                // The room is used up before the stream's end was seen: the stream goes on
                // past the byte size, is cut off there, or only its trailer is left.
                stream.z.next_out = &spare;
                stream.z.avail_out = 1;
                probing = true;
            }
        }
        const int result = inflate(&stream.z, Z_NO_FLUSH);
        if (result == Z_STREAM_END)
        {
            break;
        }
        if (result == Z_BUF_ERROR && stream.z.avail_in == 0 && inputLeft == 0)
        {
            return Refuse(refusal, VoiceDataProblem::StreamDamaged, kind, position); // cut off
        }
        if (result != Z_OK && result != Z_BUF_ERROR)
        {
            return Refuse(refusal, VoiceDataProblem::StreamDamaged, kind, position);
        }
    }
    if (probing && stream.z.avail_out == 0)
    {
        return Refuse(refusal, VoiceDataProblem::InflatedSizeMismatch, kind, position,
                      static_cast<int64_t>(byteSize) + 1);
    }
    if (stream.z.total_out != byteSize)
    {
        return Refuse(refusal, VoiceDataProblem::InflatedSizeMismatch, kind, position,
                      static_cast<int64_t>(stream.z.total_out));
    }
    return true;
}

bool ReadRecords(const RecordSource& source, int32_t version, VoiceSet& set,
                 VoiceDataRefusal& refusal)
{
    const bool compressed = version >= kFirstCompressedVersion;
    uint64_t offset = kVoiceDataHeaderSize;
    for (int kind = 0; kind < KindsWithRecords(version); ++kind)
    {
        for (int position = 0; position < set.clipCounts[kind]; ++position)
        {
            const int slot = ClipSlot(kind, position);
            const auto byteSize = static_cast<size_t>(set.catalog.byteSize[slot]);
            std::vector<int16_t>& samples = set.samples[slot];
            const uint64_t remaining = source.size - offset;
            if (!compressed)
            {
                if (byteSize > remaining)
                {
                    return Refuse(refusal, VoiceDataProblem::RecordTruncated, kind, position);
                }
                samples.resize(byteSize / kBytesPerSample);
                if (!source.Read(offset, samples.data(), byteSize))
                {
                    return Refuse(refusal, VoiceDataProblem::RecordTruncated, kind, position);
                }
                offset += byteSize;
                continue;
            }
            uint8_t lengthField[4];
            if (remaining < sizeof lengthField ||
                !source.Read(offset, lengthField, sizeof lengthField))
            {
                return Refuse(refusal, VoiceDataProblem::RecordTruncated, kind, position);
            }
            offset += sizeof lengthField;
            const int32_t length = LoadI32(lengthField);
            if (length < 0 || static_cast<uint64_t>(length) > remaining - sizeof lengthField)
            {
                return Refuse(refusal, VoiceDataProblem::CompressedLengthBad, kind, position,
                              length);
            }
            if (static_cast<int64_t>(byteSize) > kMaxInflateRatio * length)
            {
                return Refuse(refusal, VoiceDataProblem::ByteSizeTooLarge, kind, position,
                              static_cast<int64_t>(byteSize));
            }
            if (!InflateRecord(source, offset, static_cast<uint32_t>(length), samples, byteSize,
                               kind, position, refusal))
            {
                return false;
            }
            offset += static_cast<uint64_t>(length);
        }
    }
    return true;
}

// Entries beyond the counts may still hold a previous file's values, so the whole set is made
// afresh rather than cleared kind by kind.
void EmptyVoiceSet(VoiceSet& set)
{
    set = VoiceSet{};
    EstablishBuiltInSilences(set);
}

// The reader walks the layout drawn in voices/voice_data_layout.h in file order: version, owner
// name, counts, catalogue and track table as whole column images (offsets 0-161375), then the
// records.
bool ParseVoiceSource(const RecordSource& source, VoiceSet& out, int32_t& version,
                      VoiceDataRefusal& refusal)
{
    refusal = VoiceDataRefusal{};
    if (source.size > kMaxVoiceDataFileBytes)
    {
        return Refuse(refusal, VoiceDataProblem::TooLarge, -1, -1,
                      static_cast<int64_t>(source.size));
    }
    if (source.size < kVoiceDataHeaderSize)
    {
        return Refuse(refusal, VoiceDataProblem::ShortHeader, -1, -1,
                      static_cast<int64_t>(source.size));
    }
    std::vector<uint8_t> header(kVoiceDataHeaderSize);
    if (!source.Read(0, header.data(), header.size()))
    {
        return Refuse(refusal, VoiceDataProblem::ShortHeader, -1, -1,
                      static_cast<int64_t>(source.size));
    }
    ByteReader reader = MakeByteReader(header);
    out = VoiceSet{};
    version = ReadI32(reader);
    ReadBytes(reader, out.ownerName.data(), sizeof(VoiceText));
    // At most 255 units of name: a field without a terminator is cut to keep one.
    out.ownerName.back() = u'\0';
    for (int32_t& count : out.clipCounts)
    {
        count = ReadI32(reader);
    }
    ReadBytes(reader, &out.catalog, sizeof(ClipCatalog));
    SkipBytes(reader, kCatalogSpareColumns * kColumnBytes);
    SkipBytes(reader, kTrackSpareColumns * kColumnBytes);
    ReadBytes(reader, &out.tracks, sizeof(VoiceTrackTable));

    // Such files carry no kind-12 records, whatever their count field says.
    if (version <= kLastVersionWithoutKind12)
    {
        out.clipCounts[kKindFileOnly] = 0;
    }
    if (!CheckClipFields(out, KindsWithRecords(version), version >= kFirstCompressedVersion,
                         source.size - kVoiceDataHeaderSize, refusal) ||
        !ReadRecords(source, version, out, refusal))
    {
        return false;
    }
    // Bytes after the last record (records for kinds 13 and 14, say) are ignored, unread.
    EstablishBuiltInSilences(out);
    return true;
}

// Parses into a scratch set, so that a refused file changes nothing but the emptied set.
int LoadVoiceSource(const RecordSource& source, VoiceSet& set, Reporter& reporter, int32_t* version)
{
    auto scratch = std::make_unique<VoiceSet>();
    int32_t fileVersion = 0;
    VoiceDataRefusal refusal;
    if (!ParseVoiceSource(source, *scratch, fileVersion, refusal))
    {
        scratch.reset();
        EmptyVoiceSet(set);
        ReportFormatted(reporter, DescribeVoiceDataRefusalFormat(refusal), kVoiceOpenErrorCaption);
        return kFileDamaged;
    }
    set = std::move(*scratch);
    if (version != nullptr)
    {
        *version = fileVersion;
    }
    return kOk;
}

} // namespace

bool ParseVoiceData(const uint8_t* data, size_t size, VoiceSet& out, int32_t& version,
                    VoiceDataRefusal& refusal)
{
    return ParseVoiceSource(RecordSource{data, nullptr, size}, out, version, refusal);
}

MessageFormat DescribeVoiceDataRefusalFormat(const VoiceDataRefusal& refusal)
{
    const std::string value = std::to_string(refusal.value);
    const std::string kind = std::to_string(refusal.kind);
    const std::string position = std::to_string(refusal.position);
    // Each text whole, so that a translation can order its values as its language needs.
    switch (refusal.problem)
    {
    case VoiceDataProblem::None:
        return {};
    case VoiceDataProblem::TooLarge:
        return {YUMO_TEXT("ボイスデータファイルが大きすぎます（%1 バイト）。"), {value}};
    case VoiceDataProblem::ShortHeader:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。ヘッダーが途中で切れています（%1 "
                          "バイト）。"),
                {value}};
    case VoiceDataProblem::CountOutOfRange:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1 のボイス数 %2 が 0～10 "
                          "の範囲外です。"),
                {kind, value}};
    case VoiceDataProblem::ByteSizeOutOfRange:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスのバイト数 %3 が不正です。"),
                {kind, position, value}};
    case VoiceDataProblem::LengthBeyondSamples:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの長さ %3 "
                          "がサンプル数と合いません。"),
                {kind, position, value}};
    case VoiceDataProblem::NegativePlayCounter:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの再生位置 %3 が負です。"),
                {kind, position, value}};
    case VoiceDataProblem::RecordTruncated:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスのデータが途中で切れています。"),
                {kind, position}};
    case VoiceDataProblem::CompressedLengthBad:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの圧縮データ長 %3 が不正です。"),
                {kind, position, value}};
    case VoiceDataProblem::ByteSizeTooLarge:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスのバイト数 %3 が圧縮データに対して大きすぎます。"),
                {kind, position, value}};
    case VoiceDataProblem::TotalTooLarge:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。ボイスの合計 %1 バイトが上限の %2 "
                          "バイトを超えています。"),
                {value, std::to_string(kMaxVoiceDataSampleBytes)}};
    case VoiceDataProblem::StreamDamaged:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの圧縮データが壊れています。"),
                {kind, position}};
    case VoiceDataProblem::InflatedSizeMismatch:
        return {YUMO_TEXT("ボイスデータファイルが壊れています。種類 %1・位置 %2 "
                          "のボイスの展開後のサイズがバイト数と一致しません。"),
                {kind, position}};
    }
    return {YUMO_TEXT("ボイスデータファイルが壊れています。"), {}};
}

std::string DescribeVoiceDataRefusal(const VoiceDataRefusal& refusal)
{
    const MessageFormat message = DescribeVoiceDataRefusalFormat(refusal);
    return FillMessageFormat(message.format, message.arguments);
}

int ReadVoiceDataBytes(const uint8_t* data, size_t size, VoiceSet& set, Reporter& reporter,
                       int32_t* version)
{
    return LoadVoiceSource(RecordSource{data, nullptr, size}, set, reporter, version);
}

// The file is read as the layout asks, header first, each record straight into its clip:
// never whole, so bytes after the records cost nothing and a claim the file cannot hold is
// refused before anything is allocated for it.
int ReadVoiceDataFile(const std::string& path, VoiceSet& set, Reporter& reporter, int32_t* version)
{
    RegularFile file;
    if (file.Open(path) != FileReadResult::Ok)
    {
        // A folder, pipe or device named like voice data is no more a voice-data file than a
        // missing one.
        EmptyVoiceSet(set);
        return kFileNotOpened;
    }
    return LoadVoiceSource(RecordSource{nullptr, &file, file.Size()}, set, reporter, version);
}

// The writer produces the same layout (voices/voice_data_layout.h), always as version 101.
// The image goes straight to where it is kept, a clip at a time, so a save holds no second
// copy of the set: into memory (EncodeVoiceData) or into the file being saved.
namespace
{

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
    ok = ok && sink.Append(&set.tracks, sizeof(VoiceTrackTable));
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
        ReportFormatted(reporter,
                        {YUMO_TEXT("ボイスデータファイルを書き込めませんでした。%1"
                                   "以前のファイルはそのままです。"),
                         {DescribeAtomicFileFailure(file)}},
                        kSaveErrorCaption);
        return kWriteFailed;
    }
    return kOk;
}

} // namespace yumo
