#include <algorithm>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

#include "common/byte_io.h"
#include "import/import_messages.h"
#include "import/wav_import.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

// The parts of a RIFF/WAVE image a test varies; the rest is canonical.
struct WavImage
{
    const char* form = "WAVE";
    uint16_t tag = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint32_t avg = 176400;
    uint16_t bitsField = 16;                    // what the file claims; import derives its own
    std::vector<uint8_t> fmtExtra = {};         // appended to the 16-byte fmt body
    std::vector<uint8_t> between = {};          // whole chunks between fmt and data
    std::optional<uint32_t> declaredBytes = {}; // the data length field; the data size if unset
    std::vector<uint8_t> data = {};
};

std::vector<uint8_t> Build(const WavImage& w)
{
    std::vector<uint8_t> out;
    AppendBytes(out, "RIFF", 4);
    AppendU32(out, 0); // never examined
    AppendBytes(out, w.form, 4);
    AppendBytes(out, "fmt ", 4);
    AppendU32(out, static_cast<uint32_t>(16 + w.fmtExtra.size()));
    AppendU16(out, w.tag);
    AppendU16(out, w.channels);
    AppendU32(out, w.rate);
    AppendU32(out, w.avg);
    AppendU16(out, static_cast<uint16_t>(w.channels * w.bitsField / 8));
    AppendU16(out, w.bitsField);
    AppendBytes(out, w.fmtExtra.data(), w.fmtExtra.size());
    AppendBytes(out, w.between.data(), w.between.size());
    AppendBytes(out, "data", 4);
    AppendU32(out, w.declaredBytes.value_or(static_cast<uint32_t>(w.data.size())));
    AppendBytes(out, w.data.data(), w.data.size());
    return out;
}

// Recognisable, never zero, so padding is told apart from data.
std::vector<uint8_t> Pattern(size_t count)
{
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
    {
        bytes[i] = static_cast<uint8_t>(i % 251 + 1);
    }
    return bytes;
}

std::vector<uint8_t> Chunk(const char* id, const std::string& body)
{
    std::vector<uint8_t> out;
    AppendBytes(out, id, 4);
    AppendU32(out, static_cast<uint32_t>(body.size()));
    AppendBytes(out, body.data(), body.size());
    return out;
}

// Records pre-filled with values no import produces, to see what a failure touched.
PcmFormat SentinelFormat() { return PcmFormat{77, 7, 7777, 777, 7, 7, 5}; }

ImportedAudio SentinelAudio()
{
    ImportedAudio audio;
    audio.allocated = true;
    audio.buffer = {9, 9, 9};
    audio.byteLength = 3;
    return audio;
}

void ExpectSameFormat(const PcmFormat& a, const PcmFormat& b)
{
    EXPECT_EQ(a.formatTag, b.formatTag);
    EXPECT_EQ(a.channels, b.channels);
    EXPECT_EQ(a.sampleRate, b.sampleRate);
    EXPECT_EQ(a.avgBytesPerSecond, b.avgBytesPerSecond);
    EXPECT_EQ(a.blockAlign, b.blockAlign);
    EXPECT_EQ(a.bitsPerSample, b.bitsPerSample);
    EXPECT_EQ(a.extraSize, b.extraSize);
}

void ExpectSentinelAudio(const ImportedAudio& audio)
{
    EXPECT_TRUE(audio.allocated);
    EXPECT_EQ(audio.buffer, (std::vector<uint8_t>{9, 9, 9}));
    EXPECT_EQ(audio.byteLength, 3);
}

void ExpectOneWavMessage(const CapturingReporter& reporter, const char* text)
{
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, text);
    EXPECT_EQ(reporter.messages[0].caption, "ファイルオープンエラー");
}

TEST(WavImport, AcceptsCanonicalStereoAndMono)
{
    struct Case
    {
        uint16_t channels;
        uint32_t avg;
        uint16_t blockAlign;
    };
    for (Case c : {Case{2, 176400, 4}, Case{1, 88200, 2}})
    {
        SCOPED_TRACE(c.channels);
        WavImage w;
        w.channels = c.channels;
        w.avg = c.avg;
        w.data = Pattern(100);
        std::vector<uint8_t> image = Build(w);
        ASSERT_EQ(image.size(), 44u + 100u);
        ImportedAudio audio;
        PcmFormat format = SentinelFormat();
        CapturingReporter reporter;
        EXPECT_EQ(ImportWavBytes(image, audio, format, reporter), 2048);
        EXPECT_TRUE(reporter.messages.empty());
        EXPECT_EQ(format.formatTag, 1);
        EXPECT_EQ(format.channels, c.channels);
        EXPECT_EQ(format.sampleRate, 44100u);
        EXPECT_EQ(format.avgBytesPerSecond, c.avg);
        EXPECT_EQ(format.blockAlign, c.blockAlign);
        EXPECT_EQ(format.bitsPerSample, 16);
        EXPECT_EQ(format.extraSize, 5); // not WAV import's to write
        EXPECT_TRUE(audio.allocated);
        EXPECT_EQ(audio.byteLength, 2048);
        ASSERT_EQ(audio.buffer.size(), 2048u);
        EXPECT_TRUE(std::equal(w.data.begin(), w.data.end(), audio.buffer.begin()));
    }
}

TEST(WavImport, PadsDataToWholeBlocksWithZeros)
{
    for (size_t dataBytes : {2048u, 2049u, 1u, 4095u, 4096u})
    {
        SCOPED_TRACE(dataBytes);
        WavImage w;
        w.data = Pattern(dataBytes);
        ImportedAudio audio;
        PcmFormat format;
        CapturingReporter reporter;
        int32_t expected = static_cast<int32_t>((dataBytes + 2047) / 2048 * 2048);
        EXPECT_EQ(ImportWavBytes(Build(w), audio, format, reporter), expected);
        ASSERT_EQ(audio.buffer.size(), static_cast<size_t>(expected));
        EXPECT_TRUE(std::equal(w.data.begin(), w.data.end(), audio.buffer.begin()));
        for (size_t i = dataBytes; i < audio.buffer.size(); ++i)
        {
            ASSERT_EQ(audio.buffer[i], 0) << "at " << i;
        }
    }
}

TEST(WavImport, EmptyDataYieldsEmptyBufferAndZeroWithoutMessage)
{
    ImportedAudio audio = SentinelAudio();
    PcmFormat format;
    CapturingReporter reporter;
    EXPECT_EQ(ImportWavBytes(Build(WavImage{}), audio, format, reporter), 0);
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_TRUE(audio.allocated);
    EXPECT_TRUE(audio.buffer.empty());
    EXPECT_EQ(audio.byteLength, 0);
    EXPECT_EQ(format.bitsPerSample, 16);
}

TEST(WavImport, RefusesOtherRatesAndWidthsLeavingTheDerivedFormat)
{
    struct Case
    {
        const char* name;
        uint16_t channels;
        uint32_t rate;
        uint32_t avg;
        uint16_t bitsField;
        uint16_t derivedBits;
        uint16_t derivedAlign;
    };
    const Case cases[] = {
        {"8-bit mono", 1, 44100, 44100, 8, 8, 1},
        {"24-bit stereo", 2, 44100, 264600, 24, 24, 6},
        {"16-bit at 48 kHz", 2, 48000, 192000, 16, 16, 4},
        // The width comes from the byte rate, whatever the bits field says.
        {"byte rate 0", 2, 44100, 0, 16, 0, 0},
        {"byte rate of 15 bits", 1, 44100, 44100 * 2 - 1, 16, 8, 1},
        // Nothing to divide by: refused without a width.
        {"rate 0", 2, 0, 176400, 16, 0, 0},
        {"no channels", 0, 44100, 176400, 16, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        WavImage w;
        w.channels = c.channels;
        w.rate = c.rate;
        w.avg = c.avg;
        w.bitsField = c.bitsField;
        w.data = Pattern(64);
        ImportedAudio audio = SentinelAudio();
        PcmFormat format = SentinelFormat();
        CapturingReporter reporter;
        EXPECT_EQ(ImportWavBytes(Build(w), audio, format, reporter), 0);
        ExpectOneWavMessage(reporter, kWrongRateOrWidthText);
        ExpectSentinelAudio(audio);
        ExpectSameFormat(format,
                         PcmFormat{1, c.channels, c.rate, c.avg, c.derivedAlign, c.derivedBits, 5});
    }
}

TEST(WavImport, RefusesFormTypeTagAndShapeLeavingRecordsUntouched)
{
    std::vector<uint8_t> canonical = Build(WavImage{.data = Pattern(16)});
    std::vector<uint8_t> noDataTag = canonical;
    std::memcpy(noDataTag.data() + 36, "DATA", 4);
    std::vector<uint8_t> tagCutShort = Build(WavImage{});
    tagCutShort.resize(tagCutShort.size() - 4); // "data" ends the file, no length after it

    struct Case
    {
        const char* name;
        std::vector<uint8_t> image;
        const char* text;
    };
    const Case cases[] = {
        {"RIFF AVI", Build(WavImage{.form = "AVI ", .data = Pattern(16)}), kNotWavText},
        {"lower-case form", Build(WavImage{.form = "wave", .data = Pattern(16)}), kNotWavText},
        {"43 bytes", std::vector<uint8_t>(canonical.begin(), canonical.begin() + 43), kNotWavText},
        {"empty file", {}, kNotWavText},
        {"float", Build(WavImage{.tag = 3, .data = Pattern(16)}), kNotLinearPcmText},
        // Extensible files holding 16-bit PCM are refused at the tag all the same.
        {"extensible",
         Build(
             WavImage{.tag = 0xFFFE, .fmtExtra = std::vector<uint8_t>(24, 0), .data = Pattern(16)}),
         kNotLinearPcmText},
        {"no data tag", noDataTag, kNotWavText},
        {"data tag without length", tagCutShort, kNotWavText},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ImportedAudio audio = SentinelAudio();
        PcmFormat format = SentinelFormat();
        CapturingReporter reporter;
        EXPECT_EQ(ImportWavBytes(c.image, audio, format, reporter), 0);
        ExpectOneWavMessage(reporter, c.text);
        ExpectSentinelAudio(audio);
        ExpectSameFormat(format, SentinelFormat());
    }
}

TEST(WavImport, FirstFailingCheckDecidesTheMessage)
{
    std::vector<uint8_t> tagAndNoData = Build(WavImage{.tag = 3});
    std::memcpy(tagAndNoData.data() + 36, "xxxx", 4);
    std::vector<uint8_t> noDataAnd48k = Build(WavImage{.rate = 48000});
    std::memcpy(noDataAnd48k.data() + 36, "xxxx", 4);
    struct Case
    {
        const char* name;
        std::vector<uint8_t> image;
        const char* text;
    };
    const Case cases[] = {
        {"form before tag", Build(WavImage{.form = "WAVX", .tag = 3}), kNotWavText},
        {"tag before rate", Build(WavImage{.tag = 3, .rate = 48000}), kNotLinearPcmText},
        {"tag before data search", tagAndNoData, kNotLinearPcmText},
        {"data search before rate", noDataAnd48k, kNotWavText},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        ImportedAudio audio;
        PcmFormat format;
        CapturingReporter reporter;
        EXPECT_EQ(ImportWavBytes(c.image, audio, format, reporter), 0);
        ExpectOneWavMessage(reporter, c.text);
    }
}

TEST(WavImport, FindsTheFirstDataTagWhereverItStands)
{
    // An 18-byte fmt body moves the data tag to 38 and the samples to 46.
    WavImage longFmt{.fmtExtra = {0, 0}, .data = Pattern(10)};
    std::vector<uint8_t> image = Build(longFmt);
    ASSERT_EQ(std::memcmp(image.data() + 38, "data", 4), 0);
    ImportedAudio audio;
    PcmFormat format;
    CapturingReporter reporter;
    EXPECT_EQ(ImportWavBytes(image, audio, format, reporter), 2048);
    EXPECT_TRUE(std::equal(longFmt.data.begin(), longFmt.data.end(), audio.buffer.begin()));

    // A LIST chunk before the data is passed over when its text has no "data" in it...
    WavImage list{.between = Chunk("LIST", "INFOISFT\x06\0\0\0Yumo\0\0"), .data = Pattern(10)};
    EXPECT_EQ(ImportWavBytes(Build(list), audio, format, reporter), 2048);
    EXPECT_TRUE(std::equal(list.data.begin(), list.data.end(), audio.buffer.begin()));

    // ...and taken when it has: the four bytes after the letters are the length.
    std::string text =
        std::string("INFOICMT\x10\0\0\0meta", 16) + "data" + std::string("\x03\0\0\0", 4) + "xyz!";
    WavImage inside{.between = Chunk("LIST", text), .data = Pattern(10)};
    EXPECT_EQ(ImportWavBytes(Build(inside), audio, format, reporter), 2048);
    EXPECT_EQ(std::string(audio.buffer.begin(), audio.buffer.begin() + 4), std::string("xyz\0", 4));
    EXPECT_TRUE(reporter.messages.empty());
}

TEST(WavImport, CutsDataLengthsThatRunPastTheEnd)
{
    struct Case
    {
        uint32_t declared;
        size_t present;
        int32_t expected;
    };
    // Streamed files write 0xFFFFFFFF; truncated ones claim more than they hold.
    for (Case c : {Case{0xFFFFFFFFu, 3000, 4096}, Case{5000, 100, 2048}, Case{5000, 0, 0}})
    {
        SCOPED_TRACE(c.declared);
        WavImage w{.declaredBytes = c.declared, .data = Pattern(c.present)};
        ImportedAudio audio;
        PcmFormat format;
        CapturingReporter reporter;
        EXPECT_EQ(ImportWavBytes(Build(w), audio, format, reporter), c.expected);
        ASSERT_EQ(audio.buffer.size(), static_cast<size_t>(c.expected));
        EXPECT_TRUE(std::equal(w.data.begin(), w.data.end(), audio.buffer.begin()));
        EXPECT_TRUE(std::all_of(audio.buffer.begin() + static_cast<long>(c.present),
                                audio.buffer.end(), [](uint8_t b) { return b == 0; }));
    }
}

TEST(WavImportFile, ReadsTheFileAsTheByteRouteDoes)
{
    test::TempDir dir;
    WavImage w{.data = Pattern(5000)};
    test::WriteBytesFile(dir / "clip.wav", Build(w));
    ImportedAudio fromFile;
    ImportedAudio fromBytes;
    PcmFormat format;
    CapturingReporter reporter;
    EXPECT_EQ(ImportWavFile((dir / "clip.wav").string(), fromFile, format, reporter), 6144);
    EXPECT_EQ(ImportWavBytes(Build(w), fromBytes, format, reporter), 6144);
    EXPECT_EQ(fromFile.buffer, fromBytes.buffer);
}

// A missing file fails silently; a folder or pipe named like one is no WAV file and says so.
TEST(WavImportFile, UnreadableFileGivesAnEmptyMarkedBuffer)
{
    test::TempDir dir;
    for (std::filesystem::path path : {dir / "missing.wav", dir.path()})
    {
        SCOPED_TRACE(path.string());
        ImportedAudio audio = SentinelAudio();
        PcmFormat format = SentinelFormat();
        CapturingReporter reporter;
        EXPECT_EQ(ImportWavFile(path.string(), audio, format, reporter), 0);
        if (path == dir.path())
        {
            ExpectOneWavMessage(reporter, kNotWavText);
        }
        else
        {
            EXPECT_TRUE(reporter.messages.empty());
        }
        EXPECT_TRUE(audio.allocated);
        EXPECT_TRUE(audio.buffer.empty());
        EXPECT_EQ(audio.byteLength, 0);
        ExpectSameFormat(format, SentinelFormat());
    }
}

TEST(WavImportFile, RefusesFilesAboveTheSizeLimitBeforeReadingThem)
{
    test::TempDir dir;
    std::filesystem::path path = dir / "huge.wav";
    test::WriteBytesFile(path, Build(WavImage{.data = Pattern(16)}));
    std::filesystem::resize_file(path, kMaxImportBytes + 1); // sparse: no disk, no reading
    ImportedAudio audio = SentinelAudio();
    PcmFormat format = SentinelFormat();
    CapturingReporter reporter;
    EXPECT_EQ(ImportWavFile(path.string(), audio, format, reporter), 0);
    ExpectOneWavMessage(reporter, kImportTooLargeText);
    ExpectSentinelAudio(audio);
    ExpectSameFormat(format, SentinelFormat());
}

TEST(ReleaseImportedAudio, FreesASetBufferOnceAndIgnoresAClearRecord)
{
    ImportedAudio audio;
    PcmFormat format;
    CapturingReporter reporter;
    ASSERT_EQ(ImportWavBytes(Build(WavImage{.data = Pattern(8)}), audio, format, reporter), 2048);
    EXPECT_EQ(ReleaseImportedAudio(audio), 0);
    EXPECT_FALSE(audio.allocated);
    EXPECT_TRUE(audio.buffer.empty());
    EXPECT_EQ(audio.byteLength, 0);
    EXPECT_EQ(ReleaseImportedAudio(audio), 0);
    EXPECT_FALSE(audio.allocated);
}

} // namespace
} // namespace yumo
