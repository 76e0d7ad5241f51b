#include "voices/voice_data_room.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "common/ui_text.h"
#include "voices/voice_data_file.h"
#include "voices/voice_data_layout.h"

namespace yumo
{
namespace
{

constexpr int64_t kFileLimit = static_cast<int64_t>(kMaxVoiceDataFileBytes);
constexpr int64_t kSampleLimit = kMaxVoiceDataSampleBytes;
constexpr double kBytesPerMegabyte = 1024.0 * 1024.0;
constexpr double kMonoBytesPerMinute = 60.0 * kSampleRate * kBytesPerSample;

// The length field and the deflate room the writer grants a clip: S * 1.001 + 12, truncated.
int64_t RecordBound(int64_t sampleBytes)
{
    return 4 + static_cast<int64_t>(static_cast<double>(sampleBytes) * 1.001 + 12.0);
}

// The largest S whose record fits into `fileBytes`; -1 when not even an empty one does.
int64_t LargestRecordWithin(int64_t fileBytes)
{
    if (RecordBound(0) > fileBytes)
    {
        return -1;
    }
    auto bytes = static_cast<int64_t>(static_cast<double>(fileBytes - RecordBound(0)) / 1.001);
    while (RecordBound(bytes + 1) <= fileBytes)
    {
        ++bytes;
    }
    while (RecordBound(bytes) > fileBytes)
    {
        --bytes;
    }
    return bytes;
}

std::string Megabytes(int64_t bytes, bool roundUp)
{
    const double tenths = static_cast<double>(bytes) / kBytesPerMegabyte * 10.0;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f",
                  (roundUp ? std::ceil(tenths) : std::floor(tenths)) / 10);
    return text;
}

std::string Minutes(int64_t bytes)
{
    return std::to_string(static_cast<int64_t>(static_cast<double>(bytes) / kMonoBytesPerMinute));
}

} // namespace

VoiceDataSize MeasureVoiceData(const VoiceSet& set)
{
    VoiceDataSize size;
    size.fileBytes = static_cast<int64_t>(kVoiceDataHeaderSize);
    for (int kind = 0; kind < kKindsWithRecords; ++kind)
    {
        const int count = std::clamp(set.clipCounts[kind], 0, kMaxClipsPerKind);
        for (int position = 0; position < count; ++position)
        {
            const int64_t bytes = std::max(set.catalog.byteSize[ClipSlot(kind, position)], 0);
            size.sampleBytes += bytes;
            size.fileBytes += RecordBound(bytes);
        }
    }
    return size;
}

int64_t VoiceDataRoomBytes(const VoiceSet& set)
{
    const VoiceDataSize size = MeasureVoiceData(set);
    if (size.sampleBytes > kSampleLimit || size.fileBytes > kFileLimit)
    {
        const auto overFile = static_cast<int64_t>(
            std::ceil(static_cast<double>(size.fileBytes - kFileLimit) / 1.001));
        return -std::max<int64_t>({size.sampleBytes - kSampleLimit, overFile, 1});
    }
    return std::max<int64_t>(0, std::min(kSampleLimit - size.sampleBytes,
                                         LargestRecordWithin(kFileLimit - size.fileBytes)));
}

MessageFormat DescribeVoiceDataRoom(int64_t roomBytes)
{
    const int64_t room = std::max<int64_t>(roomBytes, 0);
    return {YUMO_TEXT("残り %1 MB（約 %2 分）"), {Megabytes(room, false), Minutes(room)}};
}

MessageFormat DescribeClipTooLargeForRoom(int64_t clipBytes, int64_t roomBytes)
{
    const int64_t room = std::max<int64_t>(roomBytes, 0);
    return {YUMO_TEXT("ボイスを追加できません。ボイスデータの上限を超えます（このボイスは %1 "
                      "MB、残りは %2 MB・約 %3 分）。"),
            {Megabytes(clipBytes, true), Megabytes(room, false), Minutes(room)}};
}

MessageFormat DescribeVoiceDataOverLimit(int64_t roomBytes)
{
    return {YUMO_TEXT("ボイスデータファイルを保存できません。ボイスの合計が上限を %1 MB "
                      "超えています。"),
            {Megabytes(-roomBytes, true)}};
}

} // namespace yumo
