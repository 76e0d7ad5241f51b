#include "night/night_events.h"

#include <algorithm>
#include <array>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "common/atomic_file.h"
#include "common/regular_file.h"
#include "common/text_numbers.h"
#include "night/app_state.h"
#include "night/behaviour.h"

namespace yumo
{
namespace
{

constexpr size_t kColumnsWithEvent = 12;
constexpr size_t kColumnsWithoutEvent = 11;
// A ten-hour night is well under a megabyte; the window keeps at most 65536 lines (about 4 MB).
constexpr size_t kMaxEventsFileBytes = size_t{64} << 20;
constexpr size_t kReadPieceBytes = size_t{1} << 20;
constexpr size_t kMaxLineBytes = 4096; // a line of numbers and one word

constexpr uint32_t kMsPerDay = 24u * 60u * 60u * 1000u;

std::string_view TrimLineEnd(std::string_view line)
{
    return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
}

// The line's fields; more than the table has make the count one more than the columns.
struct Fields
{
    std::array<std::string_view, kColumnsWithEvent> at;
    size_t size = 0;
    std::string_view operator[](size_t i) const { return at[i]; }
};

Fields SplitTabs(std::string_view line)
{
    Fields fields;
    for (size_t start = 0;;)
    {
        const size_t tab = line.find('\t', start);
        if (fields.size == kColumnsWithEvent)
        {
            ++fields.size;
            return fields;
        }
        fields.at[fields.size++] =
            line.substr(start, tab == std::string_view::npos ? tab : tab - start);
        if (tab == std::string_view::npos)
        {
            return fields;
        }
        start = tab + 1;
    }
}

bool ParseBlock(std::string_view text, uint64_t& value)
{
    if (text.empty() || text.size() > 19)
    {
        return false;
    }
    value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9')
        {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

// HH:MM:SS.mmm, each field exactly that wide.
bool ParseClock(std::string_view text, uint32_t& ms)
{
    if (text.size() != 12 || text[2] != ':' || text[5] != ':' || text[8] != '.')
    {
        return false;
    }
    auto digits = [&](size_t at, size_t count, uint32_t& out) {
        out = 0;
        for (size_t i = at; i < at + count; ++i)
        {
            if (text[i] < '0' || text[i] > '9')
            {
                return false;
            }
            out = out * 10 + static_cast<uint32_t>(text[i] - '0');
        }
        return true;
    };
    uint32_t h = 0;
    uint32_t m = 0;
    uint32_t s = 0;
    uint32_t f = 0;
    if (!digits(0, 2, h) || !digits(3, 2, m) || !digits(6, 2, s) || !digits(9, 3, f) || h > 23 ||
        m > 59 || s > 59)
    {
        return false;
    }
    ms = ((h * 60 + m) * 60 + s) * 1000 + f;
    return true;
}

bool ParseInt(std::string_view text, int32_t& value)
{
    return ParseTextInt32(text, value) == TextNumberStatus::Ok;
}

bool ParseDouble(std::string_view text, double& value)
{
    return ParseTextDouble(text, value) == TextNumberStatus::Ok;
}

bool ParseLine(const Fields& f, NightEvent& e)
{
    if (!ParseBlock(f[0], e.block) || !ParseClock(f[1], e.clockMs) || !ParseInt(f[2], e.state) ||
        !ParseInt(f[3], e.clipIndex) || !ParseInt(f[4], e.depth) || !ParseInt(f[5], e.dreaming) ||
        !ParseInt(f[6], e.alertness) || !ParseInt(f[7], e.facing) ||
        !ParseInt(f[8], e.rolledOver) || !ParseDouble(f[9], e.azimuth) ||
        !ParseDouble(f[10], e.elevation))
    {
        return false;
    }
    if (f.size == kColumnsWithEvent)
    {
        // A word is printable ASCII without spaces: it is written back with %s, and a control
        // character or a NUL in it would break the line it is written into.
        if (f[11].empty() || std::any_of(f[11].begin(), f[11].end(), [](char c) {
                return static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) > '~';
            }))
        {
            return false;
        }
        e.event.assign(f[11]);
    }
    else
    {
        e.event = kEventClip;
    }
    return true;
}

} // namespace

NightEvent NightEventOf(const AppState& state, uint64_t block, uint32_t clockMs,
                        std::string_view event)
{
    NightEvent e;
    e.block = block;
    e.clockMs = clockMs % kMsPerDay;
    e.state = state.behaviourState;
    e.clipIndex = state.clipIndex;
    e.depth = state.sleep.depth;
    e.dreaming = state.sleep.dreaming;
    e.alertness = state.sleep.alertness;
    e.facing = state.sleep.facing;
    e.rolledOver = state.sleep.rolledOver;
    e.azimuth = state.blockTracks.values[kTrackAzimuth][0];
    e.elevation = state.blockTracks.values[kTrackElevation][0];
    e.event.assign(event);
    return e;
}

size_t FormatNightEvent(const NightEvent& e, char* out, size_t room)
{
    const uint32_t ms = e.clockMs % kMsPerDay;
    const int length = std::snprintf(
        out, room, "%" PRIu64 "\t%02u:%02u:%02u.%03u\t%d\t%d\t%d\t%d\t%d\t%d\t%d\t%g\t%g\t%s\n",
        e.block, ms / 3600000, ms / 60000 % 60, ms / 1000 % 60, ms % 1000, e.state, e.clipIndex,
        e.depth, e.dreaming, e.alertness, e.facing, e.rolledOver, e.azimuth, e.elevation,
        e.event.c_str());
    if (length < 0 || static_cast<size_t>(length) >= room)
    {
        return 0;
    }
    return static_cast<size_t>(length);
}

bool WriteNightEventsFile(const std::filesystem::path& path, const std::vector<NightEvent>& events,
                          std::string* why)
{
    AtomicFile file;
    if (OpenAtomicFile(file, path) && CommitNightEvents(file, events))
    {
        return true;
    }
    if (why != nullptr)
    {
        *why = DescribeAtomicFileFailure(file);
    }
    return false;
}

bool CommitNightEvents(AtomicFile& file, const std::vector<NightEvent>& events)
{
    AppendToAtomicFile(file, kNightEventsHeader, sizeof kNightEventsHeader - 1);
    std::vector<char> line(256);
    for (const NightEvent& e : events)
    {
        line.resize(std::max<size_t>(line.size(), e.event.size() + 256));
        AppendToAtomicFile(file, line.data(), FormatNightEvent(e, line.data(), line.size()));
    }
    return CommitAtomicFile(file);
}

size_t NightEventsColumns(std::string_view header)
{
    const std::string_view full(kNightEventsHeader, sizeof kNightEventsHeader - 2);
    const std::string_view older = full.substr(0, full.rfind('\t'));
    header = TrimLineEnd(header);
    return header == full ? kColumnsWithEvent : header == older ? kColumnsWithoutEvent : 0;
}

bool ParseNightEventLine(std::string_view line, size_t columns, NightEvent& event)
{
    const Fields fields = SplitTabs(TrimLineEnd(line));
    return fields.size == columns && ParseLine(fields, event);
}

bool NightEventLines::Take(std::string_view line, std::string& why)
{
    ++lineNumber_;
    if (columns_ == 0)
    {
        columns_ = NightEventsColumns(line);
        if (columns_ == 0)
        {
            why = "line 1 is not the events header";
            return false;
        }
        return true;
    }
    if (!ParseNightEventLine(line, columns_, event_))
    {
        why = "line " + std::to_string(lineNumber_) + " is not " + std::to_string(columns_) +
              " valid columns";
        return false;
    }
    return true;
}

bool ParseNightEvents(std::string_view text, std::vector<NightEvent>& events, std::string& why)
{
    events.clear();
    NightEventLines lines;
    while (!text.empty())
    {
        const size_t newline = text.find('\n');
        if (!lines.Take(text.substr(0, newline), why))
        {
            events.clear();
            return false;
        }
        if (lines.HasEvent())
        {
            events.push_back(std::move(lines.event()));
        }
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    }
    if (lines.columns() == 0)
    {
        why = "line 1 is not the events header";
        return false;
    }
    return true;
}

bool ReadNightEventsFile(const std::filesystem::path& path, std::vector<NightEvent>& events,
                         std::string& why)
{
    events.clear();
    const bool read = ReadNightEventsLines(
        path,
        [&](NightEvent&& event) {
            events.push_back(std::move(event));
            return true;
        },
        why);
    if (!read)
    {
        events.clear();
    }
    return read;
}

bool ReadNightEventsLines(const std::filesystem::path& path,
                          const std::function<bool(NightEvent&&)>& take, std::string& why,
                          int64_t* modifiedSeconds)
{
    RegularFile file;
    if (file.Open(path) != FileReadResult::Ok)
    {
        why = "cannot read the events file";
        return false;
    }
    if (file.Size() > kMaxEventsFileBytes)
    {
        why = "the events file is larger than " + std::to_string(kMaxEventsFileBytes >> 20) + " MB";
        return false;
    }
    if (modifiedSeconds != nullptr)
    {
        *modifiedSeconds = file.ModifiedSeconds();
    }
    // Read a piece at a time: the file is never held whole, a line at most.
    NightEventLines lines;
    std::string carry;
    std::vector<char> piece(kReadPieceBytes);
    const auto tooLong = [&] {
        why = "line " + std::to_string(lines.lineNumber() + 1) + " is longer than " +
              std::to_string(kMaxLineBytes) + " bytes";
        return false;
    };
    const auto takeLine = [&](std::string_view line) {
        if (line.size() > kMaxLineBytes)
        {
            return tooLong();
        }
        if (!lines.Take(line, why))
        {
            return false;
        }
        return !lines.HasEvent() || take(std::move(lines.event())) ||
               (why = "line " + std::to_string(lines.lineNumber()) + " was not taken", false);
    };
    for (uint64_t at = 0; at < file.Size();)
    {
        const size_t count =
            static_cast<size_t>(std::min<uint64_t>(piece.size(), file.Size() - at));
        if (!file.ReadAt(at, piece.data(), count))
        {
            why = "cannot read the events file";
            return false;
        }
        at += count;
        std::string_view rest(piece.data(), count);
        for (size_t newline = rest.find('\n'); newline != std::string_view::npos;
             newline = rest.find('\n'))
        {
            bool taken = false;
            if (carry.empty())
            {
                taken = takeLine(rest.substr(0, newline));
            }
            else
            {
                carry.append(rest.substr(0, newline));
                taken = takeLine(carry);
                carry.clear();
            }
            if (!taken)
            {
                return false;
            }
            rest.remove_prefix(newline + 1);
        }
        if (carry.size() + rest.size() > kMaxLineBytes)
        {
            return tooLong();
        }
        carry.append(rest);
    }
    if (!carry.empty() && !takeLine(carry))
    {
        return false;
    }
    if (lines.columns() == 0)
    {
        why = "line 1 is not the events header";
        return false;
    }
    return true;
}

NightEventRecorder::NightEventRecorder(size_t reserved, size_t capacity) : capacity_(capacity)
{
    events_.reserve(std::min(reserved, capacity));
}

void NightEventRecorder::Begin()
{
    events_.clear();
    dropped_ = 0;
    wakeMarked_ = false;
}

void NightEventRecorder::Record(const AppState& state, uint64_t block, uint32_t clockMs,
                                std::string_view event)
{
    if (events_.size() >= capacity_)
    {
        ++dropped_;
        return;
    }
    events_.push_back(NightEventOf(state, block, clockMs, event));
}

void NightEventRecorder::RecordClip(const AppState& state, uint64_t block, uint32_t clockMs)
{
    const int now = static_cast<int>(clockMs % kMsPerDay / 60000);
    // As the behaviour compares them: minutes of the day, without a wrap at midnight.
    if (!wakeMarked_ && state.alarm.mode == kWakeUserSet &&
        std::abs(now - state.alarm.minuteOfDay) < kWakeWindowMinutes)
    {
        wakeMarked_ = true;
        Record(state, block, clockMs, kEventWakeWindow);
    }
    Record(state, block, clockMs, kEventClip);
}

} // namespace yumo
