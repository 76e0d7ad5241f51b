#pragma once
// Appending clips to a voice set, as the voice editor's add button does, and the check the
// editor makes before it saves. An add is two steps: the import and conversion into a clip's
// samples (ImportVoiceClip, ConvertImportToClip), which touch no set and may run on another
// thread, and the append to the set (AppendClipSamples), which is quick.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/report.h"
#include "import/pcm_audio.h"
#include "voices/loudness.h"
#include "voices/voice_set.h"

namespace yumo
{

enum class AddClipResult
{
    Added,
    KindFull,     // the kind already holds 10 clips; reported
    BadKind,      // not one of the editor's kinds 0-11; reported
    ImportFailed, // the import refused the file (and reported why, if it did)
    BadFormat,    // a frame layout the conversion cannot read safely; reported
    TooLong,      // the padded clip would not fit the file's 32-bit byte size; reported
    NoRoom,       // the set's file would outgrow its limits with the clip; reported
};

// Whether `kind` is an editor kind that can take one more clip and the set has room for the
// shortest clip (VoiceDataRoomBytes): Added, or KindFull / BadKind / NoRoom after reporting why.
AddClipResult CheckClipRoom(const VoiceSet& set, int kind, Reporter& reporter);

// Converts an import into the samples of a new mono clip: n = byteLength / blockAlign frames,
// padded with zeros to the next multiple of 512; one channel is taken as it stands, more are
// mixed down to the mean of the first two, truncated toward zero.
AddClipResult ConvertImportToClip(const ImportedAudio& audio, const PcmFormat& format,
                                  std::vector<int16_t>& samples, Reporter& reporter);

// The import by extension and the conversion of the file at `path` (UTF-8); with
// ClipLevel::Matched the clip is then matched to the loudness target (a clip too short or too
// quiet to measure keeps its level).
AddClipResult ImportVoiceClip(const std::string& path, std::vector<int16_t>& samples,
                              Reporter& reporter, ClipLevel level = ClipLevel::Kept);

// The conversion of a WAV file the import refuses (import/wav_convert.h) into a clip's
// samples, padded with zeros to whole blocks, and matched as ImportVoiceClip matches.
AddClipResult ImportConvertedClip(const std::string& path, std::vector<int16_t>& samples,
                                  Reporter& reporter, ClipLevel level = ClipLevel::Kept);

// Appends converted samples (a multiple of 512) to `kind` after CheckClipRoom and, with their
// size, the room left in the set: records the catalogue and track fields and the source path
// (at most 255 UTF-16 units).
AddClipResult AppendClipSamples(VoiceSet& set, int kind, std::vector<int16_t> samples,
                                std::u16string_view sourcePath, Reporter& reporter);

// The room check, the conversion and the append in one.
AddClipResult AppendImportedClip(VoiceSet& set, int kind, const ImportedAudio& audio,
                                 const PcmFormat& format, std::u16string_view sourcePath,
                                 Reporter& reporter);

// The whole add: the limit of 10 clips, the import by extension, the conversion. The source
// path is stored as given (UTF-8, converted to UTF-16).
AddClipResult AddVoiceClip(VoiceSet& set, int kind, const std::string& path, Reporter& reporter,
                           ClipLevel level = ClipLevel::Kept);

// The same add, with a WAV the import refuses for its rate, width or sample type converted
// instead (after the import's message).
AddClipResult AddVoiceClipConverting(VoiceSet& set, int kind, const std::string& path,
                                     Reporter& reporter, ClipLevel level = ClipLevel::Kept);

// A set can be saved only with at least one おやすみ and one 起きて clip, and only while it
// fits the file's limits; otherwise the save error is reported and false returned.
bool CheckVoiceSetSavable(const VoiceSet& set, Reporter& reporter);

} // namespace yumo
