// yumo-tool import, check wav, check mp3: run a file through the import routes.

#include <cstdio>
#include <string>
#include <vector>

#include "common/byte_io.h"
#include "common/report.h"
#include "import/mp3_import.h"
#include "import/wav_import.h"
#include "tools/command.h"

namespace yumo::tool
{
namespace
{

enum class Route
{
    ByExtension,
    Wav,
    Mp3,
};

// Why an import that returned 0 failed. WAV import is silent for an unreadable file and for
// empty data; the format record tells them apart (only empty data fills it). MP3 import is
// silent for an unusable frame header, which ReadMp3File names.
std::string FailureReason(const std::string& path, bool mp3, const CapturingReporter& reporter,
                          const PcmFormat& format)
{
    if (!reporter.messages.empty())
    {
        return reporter.messages.front().text;
    }
    if (mp3)
    {
        Mp3File file;
        SilentReporter silent;
        ReadMp3File(path, file, silent);
        return DescribeMp3HeaderProblem(file.problem);
    }
    return format.formatTag == 0 ? "the file could not be opened"
                                 : "the data chunk holds no samples";
}

// Imports `path`; on failure prints "refused: <why>" and returns kExitRefused.
int RunImport(const std::string& path, Route route, ImportedAudio& audio, PcmFormat& format)
{
    CapturingReporter reporter;
    bool mp3 = route == Route::Mp3 || (route == Route::ByExtension && HasMp3Extension(path));
    int32_t length = mp3 ? ImportMp3File(path, audio, format, reporter)
                         : ImportWavFile(path, audio, format, reporter);
    if (length <= 0)
    {
        return Refuse(FailureReason(path, mp3, reporter, format));
    }
    return kExitOk;
}

int RunImportCommand(const std::vector<std::string>& args)
{
    if (args.size() != 1)
    {
        return UsageError("", "import", "expected one FILE");
    }
    ImportedAudio audio;
    PcmFormat format;
    if (int status = RunImport(args[0], Route::ByExtension, audio, format); status != kExitOk)
    {
        return status;
    }
    std::printf("format tag: %u\n", format.formatTag);
    std::printf("channels: %u\n", format.channels);
    std::printf("sample rate: %u\n", format.sampleRate);
    std::printf("average bytes per second: %u\n", format.avgBytesPerSecond);
    std::printf("block alignment: %u\n", format.blockAlign);
    std::printf("bits per sample: %u\n", format.bitsPerSample);
    std::printf("byte length: %d\n", audio.byteLength);
    ReleaseImportedAudio(audio);
    return kExitOk;
}

int RunCheck(const std::vector<std::string>& args, Route route, const char* name)
{
    if (args.size() != 1)
    {
        return UsageError("check", name, "expected one FILE");
    }
    ImportedAudio audio;
    PcmFormat format;
    if (int status = RunImport(args[0], route, audio, format); status != kExitOk)
    {
        return status;
    }
    std::printf("accepted\n");
    return kExitOk;
}

int RunCheckWav(const std::vector<std::string>& args) { return RunCheck(args, Route::Wav, "wav"); }
int RunCheckMp3(const std::vector<std::string>& args) { return RunCheck(args, Route::Mp3, "mp3"); }

const CommandRegistration kImport({"", "import", "FILE",
                                   "import a WAV or MP3 file (\".mp3\" exactly: MP3) and print its "
                                   "format record and byte length",
                                   RunImportCommand});
const CommandRegistration kCheckWav({"check", "wav", "FILE",
                                     "run WAV import on FILE: prints accepted or refused: <why>",
                                     RunCheckWav});
const CommandRegistration kCheckMp3({"check", "mp3", "FILE",
                                     "run MP3 import on FILE: prints accepted or refused: <why>",
                                     RunCheckMp3});

} // namespace
} // namespace yumo::tool
