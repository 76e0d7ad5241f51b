#include "night/night_record.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "voices/voice_set.h"

namespace yumo
{
namespace
{

// Why a line is kept. Bits 0-11 are the first clip of each activity in its bin.
constexpr uint32_t kRollOver = 1u << 12;
constexpr uint32_t kWakeWindow = 1u << 13;
constexpr uint32_t kTimerEnd = 1u << 14;
constexpr uint32_t kFirstClip = 1u << 15;
constexpr uint32_t kFirstDream = 1u << 16; // the first change of dreaming in the bin
constexpr uint32_t kFirstSound = 1u << 17; // the first change of the sound's presence
constexpr uint32_t kOtherMark = 1u << 23;  // the first line of a word the picture does not draw
// Taken over by later lines of the bin.
constexpr uint32_t kLowest = 1u << 18;
constexpr uint32_t kHighest = 1u << 19;
constexpr uint32_t kLastClip = 1u << 20;
constexpr uint32_t kLastDream = 1u << 21;
constexpr uint32_t kLastSound = 1u << 22;

// Bins per picture column at most: between one and two bins fall on each column.
constexpr size_t kBinsPerColumn = 2;
constexpr size_t kLeastRethin = 4096;

uint32_t KindRole(int32_t state)
{
    return state >= 0 && state < kEditableVoiceKindCount ? 1u << state : 0;
}

} // namespace

NightRecordBuilder::NightRecordBuilder(size_t columns)
    : columns_(columns), bins_(columns * kBinsPerColumn), rethinAt_(kLeastRethin)
{
}

void NightRecordBuilder::TakeOver(size_t& holder, uint32_t role, size_t index)
{
    if (holder != SIZE_MAX)
    {
        kept_[holder].roles &= ~role;
    }
    holder = index;
    kept_.back().roles |= role;
}

void NightRecordBuilder::Place(Kept&& line)
{
    const NightEvent& e = line.event;
    Bin& bin = bins_[static_cast<size_t>((e.block - first_) / binBlocks_)];
    const auto takeFirst = [&](uint32_t role) {
        if ((bin.firsts & role) == 0 && role != 0)
        {
            bin.firsts |= role;
            line.roles |= role;
        }
    };
    line.roles = 0;
    // Roles that later lines take over, settled once the line is in place.
    bool lowest = false;
    bool highest = false;
    bool lastDream = false;
    bool lastSound = false;
    const bool clip = e.event == kEventClip;
    if (clip)
    {
        takeFirst(KindRole(e.state));
        if (e.rolledOver != 0)
        {
            takeFirst(kRollOver);
        }
        takeFirst(kFirstClip);
        if ((e.dreaming != 0) != dreaming_)
        {
            dreaming_ = e.dreaming != 0;
            lastDream = (bin.firsts & kFirstDream) != 0;
            takeFirst(kFirstDream);
        }
        lowest = bin.lowest == SIZE_MAX || e.depth < kept_[bin.lowest].event.depth;
        highest = bin.highest == SIZE_MAX || e.depth > kept_[bin.highest].event.depth;
    }
    else if (e.event == kEventWakeWindow)
    {
        takeFirst(kWakeWindow);
    }
    else if (e.event == kEventTimerEnd)
    {
        takeFirst(kTimerEnd);
    }
    else if (e.event == kEventSoundAway || e.event == kEventSoundBack)
    {
        const bool away = e.event == kEventSoundAway;
        if (away != soundAway_)
        {
            soundAway_ = away;
            lastSound = (bin.firsts & kFirstSound) != 0;
            takeFirst(kFirstSound);
        }
    }
    else
    {
        takeFirst(kOtherMark); // drawn by nothing, but one a bin tells what else happened
    }
    // A line no role wants is not kept.
    if (line.roles == 0 && !clip && !lastDream && !lastSound)
    {
        return;
    }
    const size_t index = kept_.size();
    kept_.push_back(std::move(line));
    if (clip)
    {
        TakeOver(bin.lastClip, kLastClip, index);
    }
    if (lowest)
    {
        TakeOver(bin.lowest, kLowest, index);
    }
    if (highest)
    {
        TakeOver(bin.highest, kHighest, index);
    }
    if (lastDream)
    {
        TakeOver(bin.lastDream, kLastDream, index);
    }
    if (lastSound)
    {
        TakeOver(bin.lastSound, kLastSound, index);
    }
}

// Places the kept lines anew in the bins as they now are: lines whose roles later lines took
// over go, and after the bins grew the lines of two bins compete for one.
void NightRecordBuilder::Rethin()
{
    std::vector<Kept> lines = std::move(kept_);
    kept_.clear();
    kept_.reserve(lines.size());
    bins_.assign(bins_.size(), Bin{});
    dreaming_ = false;
    soundAway_ = false;
    for (Kept& line : lines)
    {
        if (line.roles != 0)
        {
            Place(std::move(line));
        }
    }
    rethinAt_ = std::max(kLeastRethin, 2 * kept_.size());
}

void NightRecordBuilder::Add(NightEvent&& event)
{
    ++added_;
    if (!started_)
    {
        started_ = true;
        first_ = event.block;
    }
    if (event.block < first_ || event.block - first_ > kNightRecordBlocks)
    {
        ++leftOut_;
        return;
    }
    if (columns_ == 0)
    {
        kept_.push_back(Kept{std::move(event), 1});
        return;
    }
    if (!hasLatest_ || event.block >= latest_.block)
    {
        latest_ = event; // where the night ends, whatever line says so
        hasLatest_ = true;
    }
    const uint64_t offset = event.block - first_;
    bool grown = false;
    while (offset / binBlocks_ >= bins_.size())
    {
        binBlocks_ *= 2;
        grown = true;
    }
    if (grown || kept_.size() >= rethinAt_)
    {
        Rethin();
    }
    Place(Kept{std::move(event), 0});
}

NightRecord NightRecordBuilder::Finish()
{
    if (columns_ != 0)
    {
        Rethin();
        if (hasLatest_ && (kept_.empty() || kept_.back().event.block < latest_.block))
        {
            kept_.push_back(Kept{std::move(latest_), 0});
        }
    }
    NightRecord record;
    record.events.reserve(kept_.size());
    for (Kept& line : kept_)
    {
        record.events.push_back(std::move(line.event));
    }
    record.leftOut = leftOut_;
    record.thinnedOut = added_ - leftOut_ - record.events.size();
    kept_.clear();
    return record;
}

NightRecord MakeNightRecord(std::vector<NightEvent> events, size_t columns, int64_t writtenAt)
{
    NightRecordBuilder builder(columns);
    for (NightEvent& event : events)
    {
        builder.Add(std::move(event));
    }
    NightRecord record = builder.Finish();
    record.writtenAt = writtenAt;
    return record;
}

bool ReadNightRecord(const std::filesystem::path& path, size_t columns, NightRecord& record,
                     std::string& why)
{
    NightRecordBuilder builder(columns);
    int64_t modified = -1;
    if (!ReadNightEventsLines(
            path,
            [&](NightEvent&& event) {
                builder.Add(std::move(event));
                return true;
            },
            why, &modified))
    {
        record = NightRecord{};
        return false;
    }
    record = builder.Finish();
    record.writtenAt = modified;
    return true;
}

} // namespace yumo
