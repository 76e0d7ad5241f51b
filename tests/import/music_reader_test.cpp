// Music read a piece at a time through libsndfile: FLAC, Ogg Vorbis and Opus by their names in
// any case, brought to 44.1 kHz, their first two channels kept; lossless FLAC exactly.

#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.h>

#include "common/constants.h"
#include "import/music_reader.h"
#include "support/test_support.h"

namespace yumo::test
{
namespace
{

struct SndCase
{
    const char* name;
    int format;
    int rate;
    int channels;
    bool exact; // lossless at 44.1 kHz: the very samples written
};

// 1.5 s of two tones, one per channel (a third channel is loud and must not be heard).
std::vector<int16_t> Tones(int rate, int channels)
{
    const int frames = rate * 3 / 2;
    std::vector<int16_t> samples(static_cast<size_t>(frames * channels));
    for (int f = 0; f < frames; ++f)
    {
        for (int c = 0; c < channels; ++c)
        {
            const double hz = c == 0 ? 440.0 : c == 1 ? 660.0 : 3000.0;
            samples[static_cast<size_t>(f * channels + c)] =
                static_cast<int16_t>(9000.0 * std::sin(2 * M_PI * hz * f / rate));
        }
    }
    return samples;
}

TEST(SndfileMusic, ReadsEachFormatAt44kWithItsFirstTwoChannels)
{
    const SndCase cases[] = {
        {"a.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 2, true},
        {"b.FLAC", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 44100, 3, true},
        {"c.Flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, false},
        {"d.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, false},
        {"e.OPUS", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 2, false},
    };
    TempDir dir;
    for (const SndCase& c : cases)
    {
        const std::string path = (dir / c.name).string();
        const std::vector<int16_t> written = Tones(c.rate, c.channels);
        SF_INFO info{};
        info.samplerate = c.rate;
        info.channels = c.channels;
        info.format = c.format;
        SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(out, nullptr) << c.name << ": " << sf_strerror(nullptr);
        sf_writef_short(out, written.data(), static_cast<sf_count_t>(written.size() / c.channels));
        sf_close(out);

        CapturingReporter reporter;
        MusicLayout layout;
        auto reader = OpenMusicReader(path, layout, reporter);
        ASSERT_NE(reader, nullptr) << c.name;
        const int kept = c.channels >= 2 ? 2 : 1;
        const int64_t frames = (int64_t{c.rate} * 3 / 2 * kSampleRate + c.rate / 2) / c.rate;
        EXPECT_EQ(layout.channels, kept) << c.name;
        EXPECT_EQ(layout.format.sampleRate, 44100u) << c.name;
        EXPECT_EQ(layout.importedBytes, frames * kept * 2) << c.name;
        EXPECT_EQ(layout.loopFrames % kFramesPerBlock, 0) << c.name;
        EXPECT_GE(layout.loopFrames, frames) << c.name;
        for (int pass = 0; pass < 2; ++pass) // once, and again after the loop's rewind
        {
            std::vector<int16_t> read(static_cast<size_t>(frames * kept) + 4096);
            int64_t got = 0;
            for (int64_t n = 1; n > 0; got += n)
            {
                n = reader->Read(read.data() + got * kept, 999);
                ASSERT_GE(n, 0) << c.name;
            }
            ASSERT_EQ(got, frames) << c.name;
            double energy[2] = {0, 0};
            for (int64_t f = 0; f < frames; ++f)
            {
                for (int k = 0; k < kept; ++k)
                {
                    const int16_t s = read[static_cast<size_t>(f * kept + k)];
                    energy[k] += static_cast<double>(s) * s / static_cast<double>(frames);
                    if (c.exact)
                    {
                        ASSERT_EQ(s, written[static_cast<size_t>(f * c.channels + k)]) << c.name;
                    }
                }
            }
            for (int k = 0; k < kept; ++k) // a 9000-peak tone: about 4e7 mean square
            {
                EXPECT_NEAR(energy[k], 9000.0 * 9000.0 / 2, 9000.0 * 9000.0 / 10) << c.name;
            }
            ASSERT_TRUE(reader->Rewind());
        }
    }
}

TEST(SndfileMusic, OnlyItsThreeNamesInAnyCaseTakeTheRoute)
{
    for (const char* yes : {"a.flac", "/x/B.OGG", "c.Opus", "dir.wav/e.ogg"})
    {
        EXPECT_TRUE(HasSndfileExtension(yes)) << yes;
    }
    for (const char* no : {"a.oga", "b.flac.wav", "dir.ogg/c", "opus", "d.mp3", "e.fla"})
    {
        EXPECT_FALSE(HasSndfileExtension(no)) << no;
    }
    TempDir dir;
    WriteBytesFile((dir / "junk.ogg").string(), std::vector<uint8_t>(4000, 7));
    CapturingReporter reporter;
    MusicLayout layout;
    EXPECT_EQ(OpenMusicReader((dir / "junk.ogg").string(), layout, reporter), nullptr);
    EXPECT_EQ(reporter.messages.size(), 1u); // refused, and said so
}

} // namespace
} // namespace yumo::test
