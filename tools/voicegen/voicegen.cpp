// yumo-voicegen: writes the default voice's wordless clips (breath, snores, mumbles, sighs,
// silences) as 44.1 kHz mono 16-bit WAV files into a folder, and lists them on stdout as
// "KIND FILE" lines for `yumo-tool voice new`.

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "common/constants.h"
#include "common/wav_writer.h"
#include "tools/voicegen/sounds.h"

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;

int PrintUsage()
{
    std::fprintf(stderr, "usage: yumo-voicegen OUT_DIR\n"
                         "  writes the synthesised clips of the default voice into OUT_DIR and\n"
                         "  prints one \"KIND FILE\" line per clip\n");
    return kExitUsage;
}

bool WriteClip(const std::filesystem::path& path, const std::vector<int16_t>& samples)
{
    yumo::WavWriter writer;
    return yumo::OpenWavWriter(writer, path, 1, yumo::kSampleRate) &&
           yumo::WriteWavSamples(writer, samples.data(), samples.size()) &&
           yumo::CloseWavWriter(writer);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")
    {
        return argc == 2 ? (PrintUsage(), kExitOk) : PrintUsage();
    }
    std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error)
    {
        std::fprintf(stderr, "yumo-voicegen: cannot create %s: %s\n", folder.c_str(),
                     error.message().c_str());
        return kExitFailed;
    }
    for (const yumo::voicegen::ClipRecipe& clip : yumo::voicegen::DefaultClipRecipes())
    {
        std::filesystem::path path = folder / clip.fileName;
        if (!WriteClip(path, yumo::voicegen::SynthesiseSound(clip.sound)))
        {
            std::fprintf(stderr, "yumo-voicegen: cannot write %s\n", path.c_str());
            return kExitFailed;
        }
        std::printf("%d %s\n", clip.kind, path.c_str());
    }
    return kExitOk;
}
