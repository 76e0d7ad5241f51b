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
    // The record's length must end with its stream: bytes after it are no part of the clip.
    if (const uint64_t after = stream.z.avail_in + inputLeft; after > 0)
    {
        return Refuse(refusal, VoiceDataProblem::BytesAfterStream, kind, position,
                      static_cast<int64_t>(after));
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

    // Versions count from 1 (the writer's is 101); 0 is a header that was never written.
    if (version <= 0)
    {
        return Refuse(refusal, VoiceDataProblem::VersionOutOfRange, -1, -1, version);
    }
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

} // namespace yumo
