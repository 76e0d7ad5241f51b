#include "display/animation_script.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

#include "common/byte_io.h"
#include "common/results.h"
#include "common/text_numbers.h"
#include "common/ui_text.h"

namespace yumo
{
namespace
{

const char* const kScriptCaption = YUMO_TEXT("アニメーションスクリプトエラー");

std::string FormatFloat(float value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

enum class Read
{
    Ok,
    End,     // the text has ended
    Problem, // the script stops here; the reading says why
};

// Takes numbers from the script one by one and remembers the first problem.
class ScriptTokens
{
public:
    ScriptTokens(std::string_view text, ScriptReading& reading)
        : text_(text), in_(std::string(text)), reading_(reading)
    {
        SkipUtf8ByteOrderMark(in_);
    }

    Read Int(int32_t& value)
    {
        std::string item;
        last_ = Position();
        const TextNumberStatus status = ReadTextInt32(in_, value, item);
        return Finish(status, item, true);
    }

    // Single precision, rounded once from the decimal text (not by way of a double).
    Read Float(float& value)
    {
        std::string item;
        double wide = 0.0;
        last_ = Position();
        TextNumberStatus status = ReadTextDouble(in_, wide, item);
        if (status == TextNumberStatus::Ok)
        {
            const char* first = item.data() + (item[0] == '+' ? 1 : 0);
            const auto [end, error] = std::from_chars(first, item.data() + item.size(), value);
            if (error == std::errc::result_out_of_range)
            {
                value = static_cast<float>(wide); // below the smallest float: a harmless zero
            }
            if (end != item.data() + item.size() || !std::isfinite(value))
            {
                status = TextNumberStatus::OutOfRange;
            }
        }
        return Finish(status, item, false);
    }

    // The time of an explicit step: one number up to 1, else a numerator and a divisor. A
    // step's end is a fraction of the animation: a divisor of 0 (or -0) or a negative time is
    // no time at all.
    Read Time(float& value)
    {
        Read read = Float(value);
        if (read != Read::Ok || !(value > 1.0f))
        {
            return read == Read::Ok ? CheckTime(value) : read;
        }
        float divisor = 0.0f;
        const float numerator = value;
        read = Float(divisor);
        value = value / divisor;
        if (read == Read::Ok && !(std::isfinite(value) && value >= 0.0f))
        {
            return Stop("the time " + FormatFloat(numerator) + " / " + FormatFloat(divisor) +
                        " is not a finite time of 0 or more");
        }
        return read;
    }

    // A single time, as a closing step gives it.
    Read CheckTime(float value)
    {
        return value >= 0.0f ? Read::Ok : Stop("the time " + FormatFloat(value) + " is below 0");
    }

    // Problems with the number read last.
    Read Stop(const std::string& why)
    {
        reading_.stopped = true;
        Note("line " + std::to_string(Line(last_)) + ": " + why);
        return Read::Problem;
    }

    // Only the first problem is kept, so later ones are counted without being put into words.
    template <typename Why> void Skip(Why why)
    {
        ++reading_.skipped;
        if (reading_.problem.empty())
        {
            Note("line " + std::to_string(Line(last_)) + ": " + std::string(why()) + " (left out)");
        }
    }

    // The text ended inside a block: what came before is kept, the rest is lost.
    Read Cut(Read read, int id)
    {
        if (read == Read::End)
        {
            return Stop("the script ends inside the block of animation " + std::to_string(id));
        }
        return read;
    }

private:
    Read Finish(TextNumberStatus status, const std::string& item, bool integer)
    {
        if (status == TextNumberStatus::Ok)
        {
            return Read::Ok;
        }
        if (status == TextNumberStatus::End)
        {
            return Read::End;
        }
        reading_.stopped = true;
        Note("line " + std::to_string(Line(last_)) + " " +
             DescribeTextNumberProblem(status, item, integer) + "; the script stops there");
        return Read::Problem;
    }

    size_t Position()
    {
        const std::streamoff pos = in_.tellg();
        return pos < 0 ? text_.size() : static_cast<size_t>(pos);
    }

    // The line of the next item at or after `pos`. Lines are counted on from the position asked
    // last, so asking in reading order costs one pass over the text in all.
    int Line(size_t pos)
    {
        while (pos < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos])))
        {
            ++pos;
        }
        pos = std::min(pos, text_.size());
        if (pos < countedTo_)
        {
            countedTo_ = 0;
            linesBefore_ = 0;
        }
        linesBefore_ +=
            static_cast<int>(std::count(text_.begin() + static_cast<std::ptrdiff_t>(countedTo_),
                                        text_.begin() + static_cast<std::ptrdiff_t>(pos), '\n'));
        countedTo_ = pos;
        return 1 + linesBefore_;
    }

    void Note(const std::string& why)
    {
        if (reading_.problem.empty())
        {
            reading_.problem = why;
        }
    }

    std::string_view text_;
    size_t last_ = 0;      // where the number read last begins, or white space before it
    size_t countedTo_ = 0; // the line breaks before this position are counted in linesBefore_
    int linesBefore_ = 0;
    std::istringstream in_;
    ScriptReading& reading_;
};

void StoreStep(CharacterAnimation& table, int id, int64_t step, int picture, float end)
{
    table.stepPicture[id][static_cast<size_t>(step)] = picture;
    table.stepEnd[id][static_cast<size_t>(step)] = end;
}

// Steps `id` j picture time ... -1.
Read ReadExplicitSteps(ScriptTokens& tokens, CharacterAnimation& table, int id, bool keep)
{
    for (;;)
    {
        int32_t step = 0;
        int32_t picture = 0;
        float time = 0.0f;
        Read read = tokens.Int(step);
        if (read != Read::Ok || step == -1)
        {
            return read == Read::End ? Read::Ok : read; // an explicit block may end the text
        }
        if ((read = tokens.Int(picture)) != Read::Ok || (read = tokens.Time(time)) != Read::Ok)
        {
            return read;
        }
        if (!keep)
        {
            continue;
        }
        if (!IsAnimationStep(step))
        {
            tokens.Skip([&] { return "step " + std::to_string(step) + " is outside 0-127"; });
        }
        else if (!IsPictureIndex(picture))
        {
            tokens.Skip([&] { return "picture " + std::to_string(picture) + " is outside 0-254"; });
        }
        else
        {
            StoreStep(table, id, step, picture, time);
        }
    }
}

// n choices, L pattern entries, R, j0, then the closing picture and time.
Read ReadGeneratedSteps(ScriptTokens& tokens, CharacterAnimation& table, int id, bool keep,
                        int32_t choiceCount, Rng& rng, uint32_t seed)
{
    SeedRandom(rng, seed);
    if (choiceCount > kMaxScriptChoices)
    {
        return tokens.Stop(std::to_string(choiceCount) + " random choices, more than " +
                           std::to_string(kMaxScriptChoices));
    }
    std::vector<int32_t> choices(static_cast<size_t>(choiceCount));
    for (int32_t& choice : choices)
    {
        if (const Read read = tokens.Int(choice); read != Read::Ok)
        {
            return read;
        }
    }
    int32_t patternLength = 0;
    if (const Read read = tokens.Int(patternLength); read != Read::Ok)
    {
        return read;
    }
    if (patternLength > kMaxScriptPattern)
    {
        return tokens.Stop("a pattern of " + std::to_string(patternLength) +
                           " entries, more than " + std::to_string(kMaxScriptPattern));
    }
    std::vector<int32_t> pattern(static_cast<size_t>(std::max(patternLength, 0)));
    for (int32_t& entry : pattern)
    {
        if (const Read read = tokens.Int(entry); read != Read::Ok)
        {
            return read;
        }
    }
    int32_t repeats = 0;
    int32_t firstStep = 0;
    int32_t closingPicture = 0;
    float closingTime = 0.0f;
    for (int32_t* value : {&repeats, &firstStep})
    {
        if (const Read read = tokens.Int(*value); read != Read::Ok)
        {
            return read;
        }
    }
    // 64 bits: up to 2^31 rounds of 128 entries do not overflow.
    const int64_t count =
        repeats > 0 && patternLength > 0 ? int64_t{repeats} * int64_t{patternLength} : 0;
    if (keep && firstStep < 0)
    {
        tokens.Skip([&] { return "first step " + std::to_string(firstStep) + " is negative"; });
        keep = false;
    }
    if (keep)
    {
        // Steps past 127 are neither stored nor drawn for.
        const int64_t stored = std::min<int64_t>(count, kAnimationStepCount - int64_t{firstStep});
        for (int64_t k = 1; k <= stored; ++k)
        {
            const int32_t entry = pattern[static_cast<size_t>((k - 1) % patternLength)];
            const int32_t picture =
                entry == -1 ? choices[static_cast<size_t>(DrawRandom(rng) % choiceCount)] : entry;
            if (!IsPictureIndex(picture))
            {
                tokens.Skip(
                    [&] { return "picture " + std::to_string(picture) + " is outside 0-254"; });
                continue;
            }
            StoreStep(table, id, firstStep + k - 1, picture,
                      static_cast<float>(k) / static_cast<float>(count + 1));
        }
    }
    if (const Read read = tokens.Int(closingPicture); read != Read::Ok)
    {
        return read;
    }
    if (const Read read = tokens.Float(closingTime); read != Read::Ok)
    {
        return read;
    }
    if (const Read read = tokens.CheckTime(closingTime); read != Read::Ok)
    {
        return read;
    }
    if (!keep)
    {
        return Read::Ok;
    }
    const int64_t closingStep = int64_t{firstStep} + count;
    if (!IsAnimationStep(closingStep))
    {
        tokens.Skip(
            [&] { return "closing step " + std::to_string(closingStep) + " is outside 0-127"; });
    }
    else if (!IsPictureIndex(closingPicture))
    {
        tokens.Skip(
            [&] { return "picture " + std::to_string(closingPicture) + " is outside 0-254"; });
    }
    else
    {
        StoreStep(table, id, closingStep, closingPicture, closingTime);
    }
    return Read::Ok;
}

Read ReadBlockBody(ScriptTokens& tokens, CharacterAnimation& table, int id, bool keep, int32_t mode,
                   Rng& rng, uint32_t seed)
{
    if (mode < 0)
    {
        return tokens.Stop("mode " + std::to_string(mode) + " is negative");
    }
    if (mode == 0)
    {
        return ReadExplicitSteps(tokens, table, id, keep);
    }
    return ReadGeneratedSteps(tokens, table, id, keep, mode, rng, seed);
}

} // namespace

ScriptReading ParseAnimationScript(std::string_view text, CharacterAnimation& table, Rng& rng,
                                   uint32_t seed)
{
    ScriptReading reading;
    ScriptTokens tokens(text, reading);
    for (;;)
    {
        int32_t id = 0;
        int32_t duration = 0;
        int32_t mode = 0;
        if (tokens.Int(id) != Read::Ok) // the text has ended, or a problem stopped it
        {
            break;
        }
        const bool keep = IsAnimationId(id);
        if (!keep)
        {
            tokens.Skip([&] { return "animation id " + std::to_string(id) + " is outside 0-127"; });
        }
        Read read = tokens.Int(duration);
        if (read == Read::Ok)
        {
            if (keep)
            {
                table.duration[static_cast<size_t>(id)] = duration;
            }
            read = tokens.Int(mode);
        }
        if (read == Read::Ok)
        {
            read = ReadBlockBody(tokens, table, id, keep, mode, rng, seed);
        }
        if (tokens.Cut(read, id) != Read::Ok)
        {
            break;
        }
    }
    return reading;
}

int LoadAnimationScript(AppState& state, const std::filesystem::path& workDir)
{
    std::vector<uint8_t> bytes;
    const FileReadResult result =
        ReadWholeFile(workDir / "img" / "Anime.txt", bytes, kMaxScriptBytes);
    if (result == FileReadResult::NotOpened)
    {
        return kFileNotOpened;
    }
    if (result != FileReadResult::Ok)
    {
        ReportMessage(
            *state.reporter,
            YUMO_TEXT("img/Anime.txt を読み込めません。ファイルが大きすぎるか壊れています。"),
            kScriptCaption);
        return kFileDamaged;
    }
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const ScriptReading reading =
        ParseAnimationScript(text, state.character, state.rng, ReadCalendarSeconds(state.clock));
    if (reading.problem.empty())
    {
        return kOk;
    }
    ReportFormatted(*state.reporter,
                    reading.stopped ? YUMO_TEXT("img/Anime.txt の内容に誤りがあります。"
                                                "誤りより後は読み込みません。\n(%1)")
                                    : YUMO_TEXT("img/Anime.txt の内容に誤りがあります。"
                                                "表の範囲外の項目は使いません。\n(%1)"),
                    {reading.problem}, kScriptCaption, MessageKind::Warning);
    return reading.stopped ? kFileDamaged : kOk;
}

} // namespace yumo
