#include <gtest/gtest.h>

#include "common/atomic_file.h"
#include "common/byte_io.h"
#include "common/rng.h"
#include "common/wav_writer.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

TEST(Rng, FirstDrawsFromSeedOneMatchHandComputedValues)
{
    // x1 = 1 * 214013 + 2531011 = 2745024, and (2745024 >> 16) & 0x7FFF = 41.
    Rng rng;
    EXPECT_EQ(DrawRandom(rng), 41);
    EXPECT_EQ(DrawRandom(rng), 18467);
    EXPECT_EQ(DrawRandom(rng), 6334);
    SeedRandom(rng, 1);
    EXPECT_EQ(DrawRandom(rng), 41);
}

TEST(ByteReader, StopsAtTheEndAndStaysFailed)
{
    std::vector<uint8_t> bytes{1, 0, 0, 0, 0xFF, 0xFF};
    ByteReader reader = MakeByteReader(bytes);
    EXPECT_EQ(ReadI32(reader), 1);
    EXPECT_TRUE(reader.ok);
    EXPECT_EQ(ReadI32(reader), 0); // only two bytes left: refused, zero
    EXPECT_FALSE(reader.ok);
    EXPECT_EQ(ReadU16(reader), 0); // stays failed even though two bytes remain
    EXPECT_EQ(RemainingBytes(reader), 0u);
}

TEST(ByteIo, ValuesRoundTripLittleEndian)
{
    std::vector<uint8_t> out;
    AppendI32(out, -4);
    AppendF64(out, -0.125);
    AppendU16(out, 0xBEEF);
    EXPECT_EQ(out[0], 0xFC);
    EXPECT_EQ(out[3], 0xFF);
    ByteReader reader = MakeByteReader(out);
    EXPECT_EQ(ReadI32(reader), -4);
    EXPECT_EQ(ReadF64(reader), -0.125);
    EXPECT_EQ(ReadU16(reader), 0xBEEF);
    EXPECT_TRUE(reader.ok);
}

TEST(WriteFileAtomically, ReplacesWholeOrLeavesTheOldFile)
{
    test::TempDir dir;
    auto target = dir / "file.bin";
    test::WriteBytesFile(target, {1, 2, 3});
    ASSERT_TRUE(WriteFileAtomically(target, {9, 8}));
    EXPECT_EQ(test::ReadBytesFile(target), (std::vector<uint8_t>{9, 8}));

    // A target in a folder that does not exist cannot be written; nothing is left behind.
    EXPECT_FALSE(WriteFileAtomically(dir / "missing" / "file.bin", {1}));
    size_t entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
    {
        ++entries;
    }
    EXPECT_EQ(entries, 1u);
}

TEST(ReadWholeFile, RefusesMissingAndOversizedFiles)
{
    test::TempDir dir;
    std::vector<uint8_t> bytes{7};
    EXPECT_EQ(ReadWholeFile(dir / "none", bytes, 100), FileReadResult::NotOpened);
    EXPECT_EQ(bytes, std::vector<uint8_t>{7});
    test::WriteBytesFile(dir / "big", std::vector<uint8_t>(10, 1));
    EXPECT_EQ(ReadWholeFile(dir / "big", bytes, 9), FileReadResult::TooLarge);
    EXPECT_EQ(ReadWholeFile(dir / "big", bytes, 10), FileReadResult::Ok);
    EXPECT_EQ(bytes.size(), 10u);
}

TEST(WavWriter, StreamsSamplesAndCompletesTheHeaderOnClose)
{
    test::TempDir dir;
    WavWriter writer;
    ASSERT_TRUE(OpenWavWriter(writer, dir / "out.wav", 2, 44100));
    const int16_t first[4] = {1, -1, 32767, -32768};
    const int16_t second[2] = {5, 6};
    ASSERT_TRUE(WriteWavSamples(writer, first, 4));
    ASSERT_TRUE(WriteWavSamples(writer, second, 2));
    EXPECT_FALSE(std::filesystem::exists(dir / "out.wav")); // only complete files appear
    ASSERT_TRUE(CloseWavWriter(writer));
    const int16_t all[6] = {1, -1, 32767, -32768, 5, 6};
    EXPECT_EQ(test::ReadBytesFile(dir / "out.wav"), MakeWavImage(all, 6, 2, 44100));
    EXPECT_EQ(test::ReadBytesFile(dir / "out.wav").size(), 44u + 12u);
}

TEST(WavWriter, AFailedOrAbortedWriteLeavesThePreviousFile)
{
    test::TempDir dir;
    test::WriteBytesFile(dir / "out.wav", {1, 2, 3});
    WavWriter writer;
    ASSERT_TRUE(OpenWavWriter(writer, dir / "out.wav", 1, 44100));
    const int16_t s[1] = {7};
    WriteWavSamples(writer, s, 1);
    AbortWavWriter(writer);
    EXPECT_EQ(test::ReadBytesFile(dir / "out.wav"), (std::vector<uint8_t>{1, 2, 3}));
    size_t entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.path()))
    {
        ++entries;
    }
    EXPECT_EQ(entries, 1u); // no temporary file left behind
    EXPECT_FALSE(OpenWavWriter(writer, dir / "no" / "out.wav", 1, 44100));
}

} // namespace
} // namespace yumo
