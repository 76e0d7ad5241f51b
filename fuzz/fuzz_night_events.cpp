// The events reader over arbitrary bytes: no crash, and what it accepts it writes back into
// lines it accepts again, as many as before; the picture's thinning of what it accepts keeps
// within its bound and accounts for every line.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "night/night_events.h"
#include "night/night_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<yumo::NightEvent> events;
    std::string why;
    if (!yumo::ParseNightEvents(text, events, why))
    {
        if (why.empty() || !events.empty())
        {
            std::abort();
        }
        return 0;
    }
    std::string again = yumo::kNightEventsHeader;
    std::vector<char> line;
    for (const yumo::NightEvent& e : events)
    {
        line.resize(e.event.size() + 256);
        const size_t length = yumo::FormatNightEvent(e, line.data(), line.size());
        if (length == 0)
        {
            std::abort();
        }
        again.append(line.data(), length);
    }
    std::vector<yumo::NightEvent> reread;
    if (!yumo::ParseNightEvents(again, reread, why) || reread.size() != events.size())
    {
        std::abort();
    }
    constexpr size_t kColumns = 16;
    const size_t count = events.size();
    const yumo::NightRecord record = yumo::MakeNightRecord(std::move(events), kColumns, 0);
    // Two bins a column, each keeping at most 24 roles' lines, and the night's last line.
    if (record.events.size() > 2 * kColumns * 24 + 1 ||
        record.events.size() + record.thinnedOut + record.leftOut != count)
    {
        std::abort();
    }
    uint64_t low = UINT64_MAX;
    uint64_t high = 0;
    for (const yumo::NightEvent& e : record.events)
    {
        low = std::min(low, e.block);
        high = std::max(high, e.block);
    }
    if (!record.events.empty() && high - low > yumo::kNightRecordBlocks)
    {
        std::abort();
    }
    return 0;
}
