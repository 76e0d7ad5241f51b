#include "tools/figures/repeated_mp3.h"

#include <fstream>

#include "common/byte_io.h"
#include "common/report.h"
#include "import/mp3_import.h"

namespace yumo
{

std::vector<uint8_t> RepeatMp3Frames(const std::string& source, double seconds)
{
    std::vector<uint8_t> bytes;
    if (ReadWholeFile(source, bytes, 1 << 24) != FileReadResult::Ok)
    {
        return {};
    }
    Mp3File file;
    SilentReporter silent;
    ImportedAudio audio;
    PcmFormat format;
    if (ReadMp3Bytes(bytes, file) != Mp3HeaderProblem::None ||
        ImportMp3Bytes(bytes, audio, format, silent) <= 0 || format.avgBytesPerSecond == 0)
    {
        return {};
    }
    const double once = static_cast<double>(audio.byteLength) / format.avgBytesPerSecond;
    // After the tag and the first frame, which may be an information frame.
    const auto frames =
        bytes.begin() + static_cast<long>(file.audioOffset + file.descriptor.blockSize);
    std::vector<uint8_t> out;
    for (double total = 0; total < seconds; total += once)
    {
        out.insert(out.end(), frames, bytes.end());
    }
    return out;
}

bool WriteRepeatedMp3(const std::string& source, double seconds, const std::filesystem::path& path)
{
    const std::vector<uint8_t> mp3 = RepeatMp3Frames(source, seconds);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(mp3.data()), static_cast<std::streamsize>(mp3.size()));
    out.close();
    return !mp3.empty() && static_cast<bool>(out);
}

} // namespace yumo
