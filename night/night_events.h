#pragma once
// A night's events as a tab-separated table: one line per clip chosen and one per mark (a
// fade, the sleep timer's end, the sound going away and coming back, the wake window opening),
// each with the values of that moment. Written by the tool and at the end of a night in the
// window, read back for the night's picture.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace yumo
{

struct AppState;
struct AtomicFile;

inline constexpr char kEventClip[] = "clip";
inline constexpr char kEventWakeWindow[] = "wake-window"; // the alarm's window has opened
inline constexpr char kEventTimerEnd[] = "timer-end";
inline constexpr char kEventSoundAway[] = "sound-away";
inline constexpr char kEventSoundBack[] = "sound-back";
inline constexpr char kEventMusicDry[] = "music-dry";     // the music's worker fell behind
inline constexpr char kEventMusicEnded[] = "music-ended"; // its file could no longer be read

struct NightEvent
{
    uint64_t block = 0;   // output blocks handed back since the night started
    uint32_t clockMs = 0; // local time of day, milliseconds
    int32_t state = 0;    // the activity (voice kind) or 100 when not asleep
    int32_t clipIndex = 0;
    int32_t depth = 0;
    int32_t dreaming = 0;
    int32_t alertness = 0;
    int32_t facing = 0;
    int32_t rolledOver = 0;
    double azimuth = 0;
    double elevation = 0;
    std::string event = kEventClip; // words the reader does not know are kept as they stand
};

inline constexpr char kNightEventsHeader[] =
    "block\tclock\tstate\tclipIndex\tdepth\tdreaming\talertness\tfacing\trolledOver\tazimuth"
    "\televation\tevent\n";

// The values of `state` at this moment.
NightEvent NightEventOf(const AppState& state, uint64_t block, uint32_t clockMs,
                        std::string_view event);

// One line with its newline, into `out` (no allocation); the length written, 0 when the
// line does not fit.
size_t FormatNightEvent(const NightEvent& event, char* out, size_t room);

// The header and every line; the file is replaced atomically. False when it cannot be written,
// with `why` (when given) saying so in the atomic writer's words.
bool WriteNightEventsFile(const std::filesystem::path& path, const std::vector<NightEvent>& events,
                          std::string* why = nullptr);
// The same into a file opened earlier (so a target that cannot be written is known at once),
// committed.
bool CommitNightEvents(AtomicFile& file, const std::vector<NightEvent>& events);

// The columns a header line (without its newline) announces: 12 for the header above, 11 for
// the older one without the event column (every line then a clip), 0 for anything else.
size_t NightEventsColumns(std::string_view header);
// One line (without its newline) of a table of `columns` columns; false when it is not one.
bool ParseNightEventLine(std::string_view line, size_t columns, NightEvent& event);

// The lines of a table taken one at a time: the header first, then one event a line.
class NightEventLines
{
public:
    // False, with `why` naming the line, when it is not the header (the first line) or not an
    // event of the header's columns.
    bool Take(std::string_view line, std::string& why);
    size_t columns() const { return columns_; } // 0 until the header is taken
    bool HasEvent() const { return lineNumber_ > 1; }
    NightEvent& event() { return event_; } // the line just taken, when HasEvent()
    size_t lineNumber() const { return lineNumber_; }

private:
    size_t columns_ = 0;
    size_t lineNumber_ = 0;
    NightEvent event_;
};

// Reads a table with the header above, or the older one without the event column (every line
// then a clip). False, with `why` naming the line, when the text is no such table.
bool ParseNightEvents(std::string_view text, std::vector<NightEvent>& events, std::string& why);
// The whole file, every line kept (night/night_record.h reads it for a picture).
bool ReadNightEventsFile(const std::filesystem::path& path, std::vector<NightEvent>& events,
                         std::string& why);
// The file read a piece at a time, never whole: `take` gets each event in turn (false stops the
// reading). `modifiedSeconds`, when given, receives the file's modification time.
bool ReadNightEventsLines(const std::filesystem::path& path,
                          const std::function<bool(NightEvent&&)>& take, std::string& why,
                          int64_t* modifiedSeconds = nullptr);

// Collects a night's events in memory. The window's recorder takes its room once and never
// allocates while it records (events beyond `capacity` are counted, not kept); the tool's may
// grow. Marks the wake window's opening at the first clip inside it.
class NightEventRecorder
{
public:
    explicit NightEventRecorder(size_t reserved = 65536, size_t capacity = 65536);

    void Begin();
    void Record(const AppState& state, uint64_t block, uint32_t clockMs, std::string_view event);
    // A clip line, preceded by the wake-window mark when the clock has just entered it.
    void RecordClip(const AppState& state, uint64_t block, uint32_t clockMs);

    const std::vector<NightEvent>& Events() const { return events_; }
    size_t Dropped() const { return dropped_; }

private:
    std::vector<NightEvent> events_;
    size_t capacity_;
    size_t dropped_ = 0;
    bool wakeMarked_ = false;
};

} // namespace yumo
