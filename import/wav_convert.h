#pragma once
// Converting WAV files the import refuses (other rates, 8/24/32-bit integers, float samples,
// extensible headers) into a clip's form: mono, 44.1 kHz, 16 bits. Unlike the import, which
// reads the fixed offsets of a canonical header, this walks the chunks and reads an extensible
// header for the format its sub-format names.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/report.h"

namespace yumo
{

enum class WavSampleType
{
    Integer, // 8 bits unsigned, 16/24/32 bits signed
    Float,   // IEEE 754, 32 or 64 bits
};

struct WavFileFormat
{
    WavSampleType type = WavSampleType::Integer;
    uint16_t channels = 0;
    uint32_t sampleRate = 0;
    uint16_t bitsPerSample = 0; // the container's width: 8, 16, 24, 32 or 64
    uint16_t blockAlign = 0;
    bool extensible = false;
    size_t dataOffset = 0; // the first sample byte
    size_t dataBytes = 0;  // whole frames present in the file
};

// Reads the "fmt " and "data" chunks; false when the file is no WAV this conversion can read.
bool ReadWavFileFormat(const std::vector<uint8_t>& file, WavFileFormat& format);

enum class WavConversion
{
    NotWav,      // no RIFF/WAVE with its fmt and data chunks: the import's refusal holds
    ImportTakes, // canonical PCM at 44.1 kHz, 16 bits: nothing to convert
    Convertible, // the conversion reads it
    Refused,     // a WAV the conversion cannot read: `refusal` says which field, its value and
                 // the values it takes
};

struct WavConversionCheck
{
    WavConversion verdict = WavConversion::NotWav;
    WavFileFormat format; // as read, when the fmt chunk was there
    MessageFormat refusal;
};

// What the conversion would make of the file, before anything is converted: an editor offers
// the conversion exactly when it is Convertible (the size limit included).
WavConversionCheck CheckWavConversion(const std::vector<uint8_t>& file);
WavConversionCheck CheckWavConversionOfFile(const std::string& path);
// Reports a Refused check's reason (or the not-a-WAV text) under "ファイルオープンエラー".
void ReportWavConversionRefusal(const WavConversionCheck& check, Reporter& reporter);

// "48000 Hz, 24-bit integer, 2 channels", for the tool's notes.
std::string DescribeWavFileFormat(const WavFileFormat& format);

// Whether the import takes the file as it stands (canonical PCM at 44.1 kHz, 16 bits).
bool ImportTakesFormat(const WavFileFormat& format);

// Whether the file at `path` is a WAV the import refuses but the conversion can read.
bool WavFileConvertible(const std::string& path);

// The file's samples, every channel mixed to their mean, resampled to 44.1 kHz (very high
// quality) and brought to 16 bits with triangular dither; a mono 16-bit file at 44.1 kHz is
// taken as it stands. False after reporting why under "ファイルオープンエラー". Samples beyond
// full scale (floats may hold any size) are clipped, and a warning says how many.
bool ConvertWavBytes(const std::vector<uint8_t>& file, std::vector<int16_t>& mono,
                     Reporter& reporter);
bool ConvertWavFile(const std::string& path, std::vector<int16_t>& mono, Reporter& reporter);

} // namespace yumo
