// yumo-tool voice info/new/add/extract and check ymv: voice-data files from the command line.

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/report.h"
#include "common/results.h"
#include "common/text_numbers.h"
#include "common/utf16.h"
#include "common/wav_writer.h"
#include "import/wav_convert.h"
#include "tools/command.h"
#include "voices/add_clip.h"
#include "voices/voice_data_file.h"
#include "voices/voice_data_room.h"

namespace yumo::tool
{
namespace
{

// Reads a voice-data file; on failure prints "refused: <why>" and returns kExitRefused.
int LoadSet(const std::string& path, VoiceSet& set, int32_t* version)
{
    CapturingReporter reporter;
    const int result = ReadVoiceDataFile(path, set, reporter, version);
    if (result == kFileNotOpened)
    {
        return Refuse(path + ": the file could not be opened");
    }
    if (result != kOk)
    {
        return Refuse(reporter.messages.empty() ? "the file was refused"
                                                : reporter.messages.back().text);
    }
    return kExitOk;
}

// A name or path from a file as the terminal should show it: control characters (C0, DEL, C1)
// and the bidirectional embeddings, overrides and isolates, which would move the cursor, clear
// the line or reorder it, are written as \xNN or \uNNNN, and a backslash is doubled so an
// escape cannot be faked.
std::string PrintableText(std::u16string_view text)
{
    std::u16string shown;
    for (char16_t unit : text)
    {
        const bool control = unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
        const bool bidi = (unit >= 0x202A && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069);
        if (!control && !bidi)
        {
            shown += unit;
            if (unit == u'\\')
            {
                shown += u'\\';
            }
            continue;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, control ? "\\x%02X" : "\\u%04X",
                      static_cast<unsigned>(unit));
        for (const char* p = escape; *p != '\0'; ++p)
        {
            shown += static_cast<char16_t>(*p);
        }
    }
    return Utf16ToUtf8(shown);
}

std::string PrintableField(const VoiceText& field)
{
    return PrintableText(TerminatedUtf16(field.data(), field.size()));
}

struct ClipArgument
{
    int kind = -1;
    std::string path;
};

// KIND=FILE, KIND a number 0-11 or the editor's label of the kind.
bool ParseClipArgument(const std::string& text, ClipArgument& clip)
{
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals + 1 == text.size())
    {
        return false;
    }
    const std::string kind = text.substr(0, equals);
    int32_t number = -1;
    if (ParseTextInt32(kind, number) == TextNumberStatus::Ok)
    {
        if (number < 0 || number >= kEditableVoiceKindCount)
        {
            return false;
        }
        clip.kind = static_cast<int>(number);
    }
    else
    {
        clip.kind = FindVoiceKindByLabel(kind);
        if (clip.kind < 0)
        {
            return false;
        }
    }
    clip.path = text.substr(equals + 1);
    return true;
}

// Adds every clip, then checks and saves the set as the editor's save does.
// With --convert, a WAV the import refuses for its rate, width or sample type is converted to
// mono 44.1 kHz 16 bits; the import's message is printed first.
int AddClipsAndSave(const std::string& command, VoiceSet& set, const std::vector<std::string>& args,
                    size_t firstClip, const std::string& outPath)
{
    std::vector<ClipArgument> clips;
    bool convert = false;
    ClipLevel level = ClipLevel::Matched;
    std::filesystem::path base;
    for (size_t i = firstClip; i < args.size(); ++i)
    {
        if (args[i] == "--convert")
        {
            convert = true;
            continue;
        }
        if (args[i] == "--keep-level")
        {
            level = ClipLevel::Kept;
            continue;
        }
        if (args[i] == "--names-from")
        {
            if (i + 1 >= args.size())
            {
                return UsageError("voice", command, "--names-from needs a folder");
            }
            base = std::filesystem::absolute(args[++i]).lexically_normal();
            continue;
        }
        ClipArgument clip;
        if (!ParseClipArgument(args[i], clip))
        {
            return UsageError("voice", command,
                              "'" + args[i] + "' is not KIND=FILE with KIND 0-11 or a kind label");
        }
        clips.push_back(clip);
    }
    for (const ClipArgument& clip : clips)
    {
        CapturingReporter reporter;
        // The stored name is the path as given, or relative to the folder it was asked from.
        std::string name = clip.path;
        if (!base.empty())
        {
            name = std::filesystem::absolute(clip.path)
                       .lexically_normal()
                       .lexically_relative(base)
                       .generic_string();
        }
        std::vector<int16_t> samples;
        AddClipResult result = CheckClipRoom(set, clip.kind, reporter);
        // A WAV the conversion reads is converted without the import's refusal first; one it
        // cannot read is refused for the field that stops it.
        const WavConversionCheck check =
            convert ? CheckWavConversionOfFile(clip.path) : WavConversionCheck{};
        const bool converting = check.verdict == WavConversion::Convertible;
        if (result == AddClipResult::Added && converting)
        {
            result = ImportConvertedClip(clip.path, samples, reporter, level);
        }
        else if (result == AddClipResult::Added)
        {
            CapturingReporter imported;
            result = ImportVoiceClip(clip.path, samples, imported, level);
            if (result == AddClipResult::ImportFailed && check.verdict == WavConversion::Refused)
            {
                ReportWavConversionRefusal(check, reporter);
            }
            else
            {
                reporter.messages = std::move(imported.messages);
            }
        }
        if (result == AddClipResult::Added)
        {
            result =
                AppendClipSamples(set, clip.kind, std::move(samples), Utf8ToUtf16(name), reporter);
        }
        if (result != AddClipResult::Added)
        {
            return Refuse(EscapeControls(clip.path) + ": " +
                          (reporter.messages.empty() ? std::string("could not be imported")
                                                     : reporter.messages.back().text));
        }
        if (converting)
        {
            std::fprintf(stderr, "%s: converted from %s to mono 44.1 kHz 16-bit\n",
                         EscapeControls(clip.path).c_str(),
                         DescribeWavFileFormat(check.format).c_str());
        }
        for (const UserMessage& message : reporter.messages)
        {
            std::fprintf(stderr, "%s: %s\n", EscapeControls(clip.path).c_str(),
                         message.text.c_str());
        }
    }
    CapturingReporter reporter;
    if (!CheckVoiceSetSavable(set, reporter) || WriteVoiceDataFile(outPath, set, reporter) != kOk)
    {
        return Refuse(reporter.messages.back().text);
    }
    return kExitOk;
}

int RunNew(const std::vector<std::string>& args)
{
    if (args.size() < 3 || args[1] != "--owner")
    {
        return UsageError("voice", "new", "expected OUT.ymv --owner NAME and clips");
    }
    // The set as the program holds it at start-up: built-in kinds present, nothing else.
    auto set = std::make_unique<VoiceSet>();
    StartNewVoiceSet(*set);
    SetOwnerName(*set, args[2]);
    return AddClipsAndSave("new", *set, args, 3, args[0]);
}

int RunAdd(const std::vector<std::string>& args)
{
    if (args.size() < 2)
    {
        return UsageError("voice", "add", "expected FILE.ymv and at least one KIND=FILE");
    }
    auto set = std::make_unique<VoiceSet>();
    if (const int status = LoadSet(args[0], *set, nullptr); status != kExitOk)
    {
        return status;
    }
    return AddClipsAndSave("add", *set, args, 1, args[0]);
}

int RunInfo(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("voice", "info", "expected one FILE.ymv");
    }
    auto set = std::make_unique<VoiceSet>();
    int32_t version = 0;
    if (const int status = LoadSet(args[0], *set, &version); status != kExitOk)
    {
        return status;
    }
    std::printf("version: %d\n", version);
    std::printf("owner: %s\n", PrintableField(set->ownerName).c_str());
    for (int kind = 0; kind < kVoiceKindCount; ++kind)
    {
        const char* label = VoiceKindLabel(kind);
        std::printf("kind %d (%s): count %d\n", kind,
                    label != nullptr ? label : (kind == kKindFileOnly ? "file only" : "built in"),
                    set->clipCounts[kind]);
        for (int position = 0; position < kMaxClipsPerKind; ++position)
        {
            const int slot = ClipSlot(kind, position);
            if (!FileStoresSlot(*set, slot))
            {
                continue; // beyond the count, or a built-in silence: nothing of the file's own
            }
            std::printf("  slot %d: samples %d, bytes %d, play position %d, path %s\n", slot,
                        set->catalog.sampleCount[slot], set->catalog.byteSize[slot],
                        set->tracks.playPosition[slot],
                        PrintableField(set->catalog.sourcePath[slot]).c_str());
        }
    }
    const int64_t room = VoiceDataRoomBytes(*set);
    std::printf(
        "room: %lld bytes (%s)\n", static_cast<long long>(room),
        FillMessageFormat(DescribeVoiceDataRoom(room).format, DescribeVoiceDataRoom(room).arguments)
            .c_str());
    return kExitOk;
}

int RunExtract(const std::vector<std::string>& args)
{
    if (args.size() != 2)
    {
        return UsageError("voice", "extract", "expected FILE.ymv and DIR");
    }
    auto set = std::make_unique<VoiceSet>();
    if (const int status = LoadSet(args[0], *set, nullptr); status != kExitOk)
    {
        return status;
    }
    const std::filesystem::path dir = args[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    for (int slot = 0; slot < kClipSlotCount; ++slot)
    {
        if (!FileStoresSlot(*set, slot))
        {
            continue;
        }
        const std::vector<int16_t>& samples = set->samples[static_cast<size_t>(slot)];
        char name[32];
        std::snprintf(name, sizeof name, "k%02d_%d.wav", slot / kMaxClipsPerKind,
                      slot % kMaxClipsPerKind);
        const std::vector<uint8_t> image =
            MakeWavImage(samples.data(), samples.size(), 1, kSampleRate);
        if (!WriteFileAtomically(dir / name, image))
        {
            return Refuse((dir / name).string() + ": could not be written");
        }
        std::printf("%s\n", (dir / name).string().c_str());
    }
    return kExitOk;
}

int RunCheckYmv(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("check", "ymv", "expected one FILE");
    }
    auto set = std::make_unique<VoiceSet>();
    if (const int status = LoadSet(args[0], *set, nullptr); status != kExitOk)
    {
        return status;
    }
    std::printf("accepted\n");
    return kExitOk;
}

const CommandRegistration
    kInfo({"voice", "info", "FILE.ymv",
           "print a voice-data file's version, owner and, per kind, its clips: slot, "
           "samples, bytes, play position, source path; then the room left for clips",
           RunInfo});
const CommandRegistration
    kNew({"voice", "new",
          "OUT.ymv --owner NAME [--convert] [--keep-level] [--names-from DIR] KIND=FILE...",
          "make a voice-data file from WAV/MP3 clips (KIND 0-11 or its label, e.g. "
          "おやすみ=a.wav 起きて=b.wav; both are required); each clip is matched to -23 LUFS "
          "(EBU R128), true peaks limited at -1 dBTP, unless --keep-level; --names-from stores the "
          "source names relative to DIR",
          RunNew});
const CommandRegistration
    kAdd({"voice", "add", "FILE.ymv [--convert] [--keep-level] [--names-from DIR] KIND=FILE...",
          "append WAV/MP3 clips to a voice-data file and save it again (--convert: WAVs of "
          "other rates, widths or float samples are converted to mono 44.1 kHz 16-bit); levels "
          "and names as for voice new",
          RunAdd});
const CommandRegistration kExtract({"voice", "extract", "FILE.ymv DIR",
                                    "write every clip as a mono 44.1 kHz WAV named kKK_P.wav",
                                    RunExtract});
const CommandRegistration kCheck({"check", "ymv", "FILE",
                                  "read a voice-data file: prints accepted or refused: <why>",
                                  RunCheckYmv});

} // namespace
} // namespace yumo::tool
