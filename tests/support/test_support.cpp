#include "support/test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>

#include "common/byte_io.h"
#include "common/wav_writer.h"

namespace yumo::test
{

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "yumo-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
    {
        std::abort();
    }
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void WriteBytesFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

void WriteTextFile(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
}

std::vector<uint8_t> ReadBytesFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

namespace
{

std::string Slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

int RunCommand(const std::string& commandLine, std::string* out, std::string* err)
{
    TempDir dir;
    std::string full = commandLine + " >" + (dir / "out").string() + " 2>" +
                       (dir / "err").string() + " </dev/null";
    int status = std::system(full.c_str());
    if (out != nullptr)
    {
        *out = Slurp(dir / "out");
    }
    if (err != nullptr)
    {
        *err = Slurp(dir / "err");
    }
    if (status == -1 || !WIFEXITED(status))
    {
        return -1;
    }
    return WEXITSTATUS(status);
}

std::vector<uint8_t> MakeWavBytes(const std::vector<int16_t>& samples, uint16_t channels,
                                  uint32_t sampleRate)
{
    return MakeWavImage(samples.data(), samples.size(), channels, sampleRate);
}

namespace
{

// A field of /proc/self/status ("VmRSS", "VmHWM") in bytes, or -1.
long long StatusBytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
    {
        if (line.rfind(field + ":", 0) == 0)
        {
            return std::atoll(line.c_str() + field.size() + 1) * 1024;
        }
    }
    return -1;
}

} // namespace

PeakResidentGrowth::PeakResidentGrowth()
{
    std::ofstream reset("/proc/self/clear_refs");
    reset << "5";
    reset.close();
    if (reset)
    {
        start_ = StatusBytes("VmRSS");
    }
}

long long PeakResidentGrowth::Bytes() const
{
    const long long peak = StatusBytes("VmHWM");
    return start_ < 0 || peak < 0 ? -1 : peak - start_;
}

bool ResidentSizesAreMeaningful()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return false;
#endif
#endif
    // Without a writable clear_refs (some containers) the peak cannot be reset: nothing to
    // measure, rather than a check that passes on -1.
    return PeakResidentGrowth().Bytes() >= 0;
}

std::vector<uint8_t> MakeWavFile(const WavShape& f, const std::vector<std::vector<double>>& frames)
{
    std::vector<uint8_t> data;
    for (const std::vector<double>& frame : frames)
    {
        for (double v : frame)
        {
            if (f.tag == 3)
            {
                const auto x = static_cast<float>(v);
                AppendBytes(data, &x, 4);
                continue;
            }
            const auto scaled = static_cast<int64_t>(std::llround(v * std::ldexp(1.0, f.bits - 1)));
            const auto clamped = std::min<int64_t>(scaled, (int64_t{1} << (f.bits - 1)) - 1);
            const auto raw = static_cast<uint32_t>(f.bits == 8 ? clamped + 128 : clamped);
            AppendBytes(data, &raw, f.bits / 8u); // little-endian low bytes
        }
    }
    std::vector<uint8_t> out;
    AppendBytes(out, "RIFF", 4);
    AppendU32(out, 0);
    AppendBytes(out, "WAVE", 4);
    AppendBytes(out, "LIST", 4);
    AppendU32(out, 3);
    AppendBytes(out, "abc\0", 4); // odd length, padded
    AppendBytes(out, "fmt ", 4);
    AppendU32(out, f.extensible ? 40 : 16);
    AppendU16(out, f.extensible ? 0xFFFE : f.tag);
    AppendU16(out, f.channels);
    AppendU32(out, f.rate);
    AppendU32(out, f.rate * f.channels * f.bits / 8u);
    AppendU16(out, static_cast<uint16_t>(f.channels * f.bits / 8u));
    AppendU16(out, f.bits);
    if (f.extensible)
    {
        static constexpr uint8_t kTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
        AppendU16(out, 22);
        AppendU16(out, f.bits);
        AppendU32(out, 0); // channel mask
        AppendU16(out, f.tag);
        AppendBytes(out, kTail, sizeof kTail);
    }
    AppendBytes(out, "data", 4);
    AppendU32(out, static_cast<uint32_t>(data.size()));
    AppendBytes(out, data.data(), data.size());
    return out;
}

} // namespace yumo::test
