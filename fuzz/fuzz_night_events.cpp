// The events reader over arbitrary bytes: no crash, and what it accepts it writes back into
// lines it accepts again, as many as before.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "night/night_events.h"

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
    return 0;
}
