#pragma once
// A night's record made ready for its picture. A night lasts ten hours, or until her call when a
// wake time keeps it going, so at most a day and her call: lines outside that time after the
// first line are left out (and counted, so the picture can say so), and lines are thinned as they
// are read to a few for each column of the picture: what a column shows - the first mark of each
// activity, a roll-over, the depth's lowest and highest points, where a dream or an absence of the
// sound begins and ends, the wake window, the timer's end - is kept, lines that would draw over
// them are not. However large the file, the record then holds a bounded number of lines and draws
// in a bounded time.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/constants.h"
#include "night/night_events.h"

namespace yumo
{

// The longest night in output blocks, rounded up: a wake time at most a day away, the two
// minutes she may be late for it, her call and its fade.
inline constexpr uint64_t kNightRecordBlocks =
    (uint64_t{24 * 3600 + 15 * 60} * kSampleRate + kFramesPerBlock - 1) / kFramesPerBlock;

struct NightRecord
{
    std::vector<NightEvent> events;
    size_t leftOut = 0;     // lines before the first one's time or a night's length after it
    size_t thinnedOut = 0;  // lines the picture does not need at its width
    int64_t writtenAt = -1; // seconds since the epoch the record was written; -1 unknown
};

// Collects a record line by line. `columns` is the picture's width in pixels; 0 keeps every
// line within the night's length.
class NightRecordBuilder
{
public:
    explicit NightRecordBuilder(size_t columns);
    void Add(NightEvent&& event);
    NightRecord Finish();

private:
    struct Kept
    {
        NightEvent event;
        uint32_t roles = 0; // why the line is kept; none left: dropped at the next thinning
    };
    struct Bin
    {
        uint32_t firsts = 0;      // roles taken once and kept by their first line
        size_t lowest = SIZE_MAX; // index in kept_ of the roles that later lines take over
        size_t highest = SIZE_MAX;
        size_t lastClip = SIZE_MAX;
        size_t lastDream = SIZE_MAX;
        size_t lastSound = SIZE_MAX;
    };
    void Place(Kept&& line);
    void Rethin();
    void TakeOver(size_t& holder, uint32_t role, size_t index);

    size_t columns_;
    bool started_ = false;
    uint64_t first_ = 0;
    uint64_t binBlocks_ = 1;
    std::vector<Kept> kept_;
    std::vector<Bin> bins_;
    size_t rethinAt_ = 0;
    bool dreaming_ = false; // the state as the lines so far leave it
    bool soundAway_ = false;
    size_t leftOut_ = 0;
    size_t added_ = 0;
    NightEvent latest_; // the line of the latest time, kept so the span ends where the night does
    bool hasLatest_ = false;
};

// The events in memory (a night just ended) made ready the same way.
NightRecord MakeNightRecord(std::vector<NightEvent> events, size_t columns, int64_t writtenAt);

// The file read a piece at a time and made ready; its modification time is when it was written.
// False, with `why`, when it is no events table.
bool ReadNightRecord(const std::filesystem::path& path, size_t columns, NightRecord& record,
                     std::string& why);

} // namespace yumo
