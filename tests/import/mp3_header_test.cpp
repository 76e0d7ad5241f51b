#include <cstring>
#include <gtest/gtest.h>

#include "import/mp3_import.h"

namespace yumo
{
namespace
{

Mp3FormatDescriptor SentinelDescriptor()
{
    Mp3FormatDescriptor d;
    d.head.formatTag = 77;
    d.blockSize = 7777;
    return d;
}

TEST(Mp3FrameHeader, Mpeg1At128kbitWithAndWithoutPadding)
{
    struct Case
    {
        uint8_t h1;
        uint8_t h2;
        uint16_t blockSize;
        uint32_t flags;
    };
    // FB and FA differ only in the protection bit, which is ignored.
    for (Case c : {Case{0xFB, 0x90, 417, 2}, Case{0xFB, 0x92, 418, 1}, Case{0xFA, 0x90, 417, 2}})
    {
        SCOPED_TRACE(c.h2);
        const uint8_t header[4] = {0xFF, c.h1, c.h2, 0x00};
        Mp3FormatDescriptor d;
        ASSERT_TRUE(ParseMp3FrameHeader(header, d));
        EXPECT_EQ(d.head.formatTag, 85);
        EXPECT_EQ(d.head.channels, 2);
        EXPECT_EQ(d.head.sampleRate, 44100u);
        EXPECT_EQ(d.head.avgBytesPerSecond, 16000u);
        EXPECT_EQ(d.head.blockAlign, 1);
        EXPECT_EQ(d.head.bitsPerSample, 0);
        EXPECT_EQ(d.head.extraSize, 12);
        EXPECT_EQ(d.id, 1);
        EXPECT_EQ(d.flags, c.flags);
        EXPECT_EQ(d.blockSize, c.blockSize);
        EXPECT_EQ(d.framesPerBlock, 1);
        EXPECT_EQ(d.codecDelay, 1393);
    }
}

TEST(Mp3FrameHeader, Mpeg2MonoAt64kbitHasHalfLengthFrames)
{
    const uint8_t header[4] = {0xFF, 0xF3, 0x80, 0xC0};
    Mp3FormatDescriptor d;
    ASSERT_TRUE(ParseMp3FrameHeader(header, d));
    EXPECT_EQ(d.head.channels, 1);
    EXPECT_EQ(d.head.sampleRate, 22050u);
    EXPECT_EQ(d.head.avgBytesPerSecond, 8000u);
    EXPECT_EQ(d.blockSize, 208);
    EXPECT_EQ(d.flags, 2u);
}

TEST(Mp3FrameHeader, RatesBitRatesAndChannelModes)
{
    struct Case
    {
        uint8_t h1, h2, h3;
        uint32_t rate;
        uint32_t avg;
        uint16_t channels;
        uint16_t blockSize;
    };
    // Frame lengths of ISO/IEC 11172-3 and 13818-3 Layer III at the table's corners.
    const Case cases[] = {
        {0xFB, 0xE4, 0x00, 48000, 40000, 2, 960}, // MPEG-1 320 kbit/s, 48 kHz
        {0xFB, 0x18, 0x40, 32000, 4000, 2, 144},  // MPEG-1 32 kbit/s, 32 kHz, joint stereo
        {0xFB, 0x10, 0x80, 44100, 4000, 2, 104},  // MPEG-1 32 kbit/s, 44.1 kHz, dual channel
        {0xF3, 0x18, 0xC0, 16000, 1000, 1, 36},   // MPEG-2 8 kbit/s, 16 kHz
        {0xF3, 0xE4, 0x00, 24000, 20000, 2, 480}, // MPEG-2 160 kbit/s, 24 kHz
        {0xF3, 0xD2, 0x00, 22050, 18000, 2, 471}, // MPEG-2 144 kbit/s, 22.05 kHz, padded
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << int{c.h1} << ' ' << int{c.h2});
        const uint8_t header[4] = {0xFF, c.h1, c.h2, c.h3};
        Mp3FormatDescriptor d;
        ASSERT_TRUE(ParseMp3FrameHeader(header, d));
        EXPECT_EQ(d.head.sampleRate, c.rate);
        EXPECT_EQ(d.head.avgBytesPerSecond, c.avg);
        EXPECT_EQ(d.head.channels, c.channels);
        EXPECT_EQ(d.blockSize, c.blockSize);
    }
}

TEST(Mp3FrameHeader, RefusesUnusableHeadersWithoutTouchingTheDescriptor)
{
    struct Case
    {
        uint8_t h[4];
        Mp3HeaderProblem problem;
    };
    const Case cases[] = {
        {{0xFE, 0xFB, 0x90, 0x00}, Mp3HeaderProblem::NoSync},
        {{0xFF, 0xDB, 0x90, 0x00}, Mp3HeaderProblem::NoSync},
        {{'I', 'D', '3', 0x03}, Mp3HeaderProblem::NoSync},
        {{0xFF, 0xE3, 0x90, 0x00}, Mp3HeaderProblem::Mpeg25}, // 8 to 12 kHz files
        {{0xFF, 0xEB, 0x90, 0x00}, Mp3HeaderProblem::ReservedVersion},
        {{0xFF, 0xFD, 0x90, 0x00}, Mp3HeaderProblem::NotLayer3},       // Layer II
        {{0xFF, 0xFF, 0x90, 0x00}, Mp3HeaderProblem::NotLayer3},       // Layer I
        {{0xFF, 0xF9, 0x90, 0x00}, Mp3HeaderProblem::NotLayer3},       // reserved layer
        {{0xFF, 0xFB, 0x00, 0x00}, Mp3HeaderProblem::UnusableBitRate}, // free format
        {{0xFF, 0xF3, 0xF0, 0x00}, Mp3HeaderProblem::UnusableBitRate}, // forbidden index
        {{0xFF, 0xFB, 0x9C, 0x00}, Mp3HeaderProblem::ReservedSampleRate},
        {{0xFF, 0xF3, 0x8C, 0xC0}, Mp3HeaderProblem::ReservedSampleRate},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(DescribeMp3HeaderProblem(c.problem));
        Mp3FormatDescriptor d = SentinelDescriptor();
        EXPECT_EQ(CheckMp3FrameHeader(c.h, d), c.problem);
        EXPECT_FALSE(ParseMp3FrameHeader(c.h, d));
        EXPECT_EQ(d.head.formatTag, 77);
        EXPECT_EQ(d.blockSize, 7777);
    }
}

std::vector<uint8_t> Id3Tag(const uint8_t size[4], size_t bodyBytes)
{
    std::vector<uint8_t> tag = {'I', 'D', '3', 3, 0, 0, size[0], size[1], size[2], size[3]};
    tag.resize(10 + bodyBytes, 0);
    return tag;
}

const std::vector<uint8_t> kFrameStart = {0xFF, 0xFB, 0x90, 0x00, 0x00, 0x00};

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(ReadMp3Bytes, SkipsOneLeadingId3v2Tag)
{
    struct Case
    {
        const char* name;
        uint8_t size[4];
        size_t audioOffset;
    };
    const Case cases[] = {
        {"size 257", {0, 0, 2, 1}, 267},
        {"empty tag", {0, 0, 0, 0}, 10},
        // Bytes are taken whole, even with the top bit set against the format's rule.
        {"top bit in the last byte", {0, 0, 0, 0x80}, 138},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = Concat(Id3Tag(c.size, c.audioOffset - 10), kFrameStart);
        Mp3File file;
        EXPECT_EQ(ReadMp3Bytes(bytes, file), Mp3HeaderProblem::None);
        EXPECT_EQ(file.audioOffset, c.audioOffset);
        EXPECT_EQ(file.audioLength, kFrameStart.size());
        EXPECT_EQ(file.bytes, bytes);
        EXPECT_EQ(file.descriptor.blockSize, 417);
    }

    Mp3File untagged;
    EXPECT_EQ(ReadMp3Bytes(kFrameStart, untagged), Mp3HeaderProblem::None);
    EXPECT_EQ(untagged.audioOffset, 0u);
    EXPECT_EQ(untagged.audioLength, kFrameStart.size());
}

TEST(ReadMp3Bytes, RefusesAnythingButAFrameWhereTheAudioStarts)
{
    const uint8_t tenBytes[4] = {0, 0, 0, 10};
    struct Case
    {
        const char* name;
        std::vector<uint8_t> bytes;
        Mp3HeaderProblem problem;
    };
    const Case cases[] = {
        {"junk byte", Concat({0x00}, kFrameStart), Mp3HeaderProblem::NoSync},
        {"second tag", Concat(Id3Tag(tenBytes, 10), Concat(Id3Tag(tenBytes, 10), kFrameStart)),
         Mp3HeaderProblem::NoSync},
        {"tag runs past the end", Id3Tag(tenBytes, 4), Mp3HeaderProblem::TooShort},
        {"tag then three bytes", Concat(Id3Tag(tenBytes, 10), {0xFF, 0xFB, 0x90}),
         Mp3HeaderProblem::TooShort},
        {"cut tag header", {'I', 'D', '3', 3, 0}, Mp3HeaderProblem::TooShort},
        {"three bytes", {0xFF, 0xFB, 0x90}, Mp3HeaderProblem::TooShort},
        {"empty", {}, Mp3HeaderProblem::TooShort},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Mp3File file;
        EXPECT_EQ(ReadMp3Bytes(c.bytes, file), c.problem);
        EXPECT_EQ(file.problem, c.problem);
        EXPECT_TRUE(file.bytes.empty());
    }
}

} // namespace
} // namespace yumo
