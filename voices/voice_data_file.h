#pragma once
// Reading and writing voice-data files (.ymv): every format version on reading, version 101
// (one zlib stream per clip) on writing. The layout is drawn in voices/voice_data_layout.h.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/report.h"
#include "import/pcm_audio.h"
#include "voices/voice_captions.h"
#include "voices/voice_set.h"

namespace yumo
{

// Larger files are refused before anything is read into memory.
constexpr size_t kMaxVoiceDataFileBytes = size_t{1} << 30;
// The clips of one file may not decode to more than an import may hold, all of them together:
// each record is limited only by what its compressed size can inflate to, about 1000 times.
constexpr int64_t kMaxVoiceDataSampleBytes = int64_t{kMaxImportBytes};

enum class VoiceDataProblem
{
    None,
    TooLarge,             // the file exceeds kMaxVoiceDataFileBytes
    ShortHeader,          // shorter than the fixed 161376-byte header
    CountOutOfRange,      // a clip count below 0 or above 10
    ByteSizeOutOfRange,   // a clip's byte size is negative or odd
    LengthBeyondSamples,  // sample count or length in frames exceeds the samples the clip holds
    NegativePlayCounter,  // a negative play position or output byte counter
    RecordTruncated,      // the file ends inside a clip record
    CompressedLengthBad,  // a compressed length that is negative or runs past the end
    ByteSizeTooLarge,     // more bytes than the compressed record can possibly inflate to
    TotalTooLarge,        // the clips' byte sizes add up to more than kMaxVoiceDataSampleBytes
    StreamDamaged,        // the zlib stream is corrupt or ends before it is complete
    InflatedSizeMismatch, // the stream inflates to more or fewer bytes than the byte size
    VersionOutOfRange,    // a format version of 0 or below (an empty or zeroed header)
    BytesAfterStream,     // a record's length runs on past the end of its zlib stream
};

struct VoiceDataRefusal
{
    VoiceDataProblem problem = VoiceDataProblem::None;
    int kind = -1; // the clip concerned, when there is one
    int position = -1;
    int64_t value = 0; // the offending field's value, where one is to blame
};

// Parses a whole file image into `out`, replacing its contents; kinds 13 and 14 are established
// afresh. On refusal `out` is left unspecified (callers parse into a scratch set).
bool ParseVoiceData(const uint8_t* data, size_t size, VoiceSet& out, int32_t& version,
                    VoiceDataRefusal& refusal);

// The Japanese text shown for a refusal, naming what is wrong and where.
std::string DescribeVoiceDataRefusal(const VoiceDataRefusal& refusal);
// The same message as its format and values, so it can be translated whole.
MessageFormat DescribeVoiceDataRefusalFormat(const VoiceDataRefusal& refusal);

// The caption of the messages a refused load shows is kVoiceOpenErrorCaption
// (voices/voice_captions.h).

// Loads an image into `set`. On success the set holds the file's clips and the built-in kinds
// and kOk is returned. On refusal the set is emptied (owner name included) apart from the
// built-in kinds, a message is reported, and kFileDamaged is returned. `version` receives the
// file's format version when not null.
int ReadVoiceDataBytes(const uint8_t* data, size_t size, VoiceSet& set, Reporter& reporter,
                       int32_t* version = nullptr);

// The same from a file. A file that cannot be opened gives kFileNotOpened without a message
// (the set is emptied as on refusal).
int ReadVoiceDataFile(const std::string& path, VoiceSet& set, Reporter& reporter,
                      int32_t* version = nullptr);

// The version-101 image of a set. Fails, with the reason in `why` (Japanese), when a clip's
// byte size does not fit its samples, a count is outside 0-10, or compression fails.
bool EncodeVoiceData(const VoiceSet& set, std::vector<uint8_t>& out, std::string& why);

// Whether a voice-data file written from `set` stores the samples of `slot`: those of kinds 0-12
// up to each kind's count (the built-in silences are made afresh on every load, never stored).
bool FileStoresSlot(const VoiceSet& set, int slot);

// Writes the set through a temporary file that replaces `path` only once complete. Returns kOk,
// or kWriteFailed after reporting why (the previous file at `path` is left as it was).
int WriteVoiceDataFile(const std::string& path, const VoiceSet& set, Reporter& reporter);

} // namespace yumo
