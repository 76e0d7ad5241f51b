#pragma once
// How much a voice set may still take and be saved as a file that opens again. The reader
// refuses a file over kMaxVoiceDataFileBytes and clips that decode to more than
// kMaxVoiceDataSampleBytes together; the writer's record of a clip of S bytes is at most
// 4 + floor(S * 1.001 + 12) bytes (the deflate room it grants). A set fits when both its
// decoded bytes and that bound of its file stay within the limits; the room is what one more
// clip may then hold. Adding a clip and saving both check this one rule.

#include <cstdint>

#include "common/report.h"
#include "voices/voice_set.h"

namespace yumo
{

struct VoiceDataSize
{
    int64_t sampleBytes = 0; // the byte sizes of every clip that a file stores, added up
    int64_t fileBytes = 0;   // the largest file the writer can make of them
};

VoiceDataSize MeasureVoiceData(const VoiceSet& set);

// The most sample bytes one more clip may hold, 0 when the set is full; negative when the set
// itself is over the limits, by about that many sample bytes.
int64_t VoiceDataRoomBytes(const VoiceSet& set);

// The room as the editor shows it: megabytes and about how many minutes of mono audio.
MessageFormat DescribeVoiceDataRoom(int64_t roomBytes);

// The add's refusal: a clip of `clipBytes` does not fit into `roomBytes`.
MessageFormat DescribeClipTooLargeForRoom(int64_t clipBytes, int64_t roomBytes);

// The save's refusal: the set is over the limits.
MessageFormat DescribeVoiceDataOverLimit(int64_t roomBytes);

} // namespace yumo
