#include "voices/position_record.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/constants.h"
#include "common/results.h"
#include "common/ui_text.h"
#include "common/utf16.h"

namespace yumo
{
namespace
{

constexpr int32_t kPositionRecordMark = -1;
constexpr int32_t kPositionRecordVersion = 101;

// The entries of track t that are really there: a count larger than the arrays (and their
// pattern), or negative, is never followed past them.
int32_t UsableCount(const PositionTracks& tracks, int t)
{
    const size_t held = std::min(tracks.positions[t].size(), tracks.values[t].size());
    const int64_t most = tracks.patternBytes > 0 ? INT32_MAX : static_cast<int64_t>(held);
    return static_cast<int32_t>(std::clamp<int64_t>(tracks.counts[t], 0, most));
}

void AppendTrackData(std::vector<uint8_t>& out, const PositionTracks& tracks, int first, int last)
{
    for (int t = first; t <= last; ++t)
    {
        AppendI32(out, UsableCount(tracks, t));
    }
    int32_t position = 0;
    double value = 0;
    for (int t = first; t <= last; ++t)
    {
        for (int32_t i = 0; i < UsableCount(tracks, t) && TrackEntry(tracks, t, i, position, value);
             ++i)
        {
            AppendI32(out, position);
        }
    }
    for (int t = first; t <= last; ++t)
    {
        for (int32_t i = 0; i < UsableCount(tracks, t) && TrackEntry(tracks, t, i, position, value);
             ++i)
        {
            AppendF64(out, value);
        }
    }
}

void AppendTrackRecord(std::vector<uint8_t>& out, const PositionTracks& tracks)
{
    AppendTrackData(out, tracks, 0, 2);
    AppendTrackData(out, tracks, 3, 3);
}

} // namespace

std::vector<uint8_t> MakePositionRecord(const PositionRecordInput& input,
                                        const KeyframeTracks& keyframes, const BlockTracks& blocks)
{
    std::vector<uint8_t> out;
    AppendI32(out, kPositionRecordMark);
    AppendI32(out, kPositionRecordVersion);
    AppendI32(out, input.musicLoadCount);
    std::array<char16_t, kSharedPathUnits> path{};
    StoreUtf16Field(Utf8ToUtf16(input.musicPath), path.data(), path.size());
    AppendI32(out, static_cast<int32_t>(sizeof path));
    AppendBytes(out, path.data(), sizeof path);
    for (int32_t value : {input.lengthFrames, input.lengthBytes, input.channels, input.sampleRate,
                          input.bitsPerSample, 0, 0})
    {
        AppendI32(out, value);
    }
    const PcmFormat& format = input.format;
    AppendU16(out, format.formatTag);
    AppendU16(out, format.channels);
    AppendU32(out, format.sampleRate);
    AppendU32(out, format.avgBytesPerSecond);
    AppendU16(out, format.blockAlign);
    AppendU16(out, format.bitsPerSample);
    AppendTrackRecord(out, keyframes);
    AppendTrackRecord(out, blocks);
    AppendF64(out, input.referenceDistance);
    return out;
}

int WritePositionRecord(const std::string& path, const PositionRecordInput& input,
                        const KeyframeTracks& keyframes, const BlockTracks& blocks,
                        Reporter& reporter)
{
    std::error_code error;
    const bool existed = std::filesystem::exists(std::filesystem::symlink_status(path, error));
    if (!WriteFileAtomically(path, MakePositionRecord(input, keyframes, blocks)))
    {
        ReportMessage(
            reporter,
            existed ? YUMO_TEXT("位置情報を保存できませんでした。以前のファイルはそのままです。")
                    : YUMO_TEXT("位置情報を保存できませんでした。"),
            YUMO_TEXT("保存エラー"));
        return kWriteFailed;
    }
    return kOk;
}

} // namespace yumo
