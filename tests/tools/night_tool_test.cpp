// yumo-tool night: the whole pipeline on the offline device, run as a user runs it.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "common/byte_io.h"
#include "support/night_data.h"
#include "support/test_support.h"
#include "voices/voice_data_file.h"
#include "voices/voice_data_layout.h"

namespace yumo::test
{
namespace
{

const std::string kTool = YUMO_TOOL_PATH;
constexpr size_t kWavHeaderBytes = 44;

struct EventLine
{
    uint64_t block = 0;
    std::string clock;
    int state = 0;
    int clipIndex = 0;
    int depth = 0;
    double azimuth = 0;
    double elevation = 0;
    std::string event;
    int fields = 0;
};

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::stringstream stream(text);
    std::string part;
    while (std::getline(stream, part, separator))
    {
        parts.push_back(part);
    }
    return parts;
}

std::vector<EventLine> ParseEvents(const std::string& text, std::string& header)
{
    std::vector<std::string> lines = Split(text, '\n');
    std::vector<EventLine> events;
    if (lines.empty())
    {
        return events;
    }
    header = lines[0];
    for (size_t i = 1; i < lines.size(); ++i)
    {
        const std::vector<std::string> f = Split(lines[i], '\t');
        EventLine e;
        e.fields = static_cast<int>(f.size());
        if (f.size() == 12)
        {
            e.event = f[11];
            e.block = std::stoull(f[0]);
            e.clock = f[1];
            e.state = std::stoi(f[2]);
            e.clipIndex = std::stoi(f[3]);
            e.depth = std::stoi(f[4]);
            e.azimuth = std::stod(f[9]);
            e.elevation = std::stod(f[10]);
        }
        events.push_back(e);
    }
    return events;
}

// start + floor(512000 k / 44100) ms as HH:MM:SS.mmm, wrapping at midnight.
std::string ExpectedClock(int startSeconds, uint64_t k)
{
    const uint64_t ms =
        (static_cast<uint64_t>(startSeconds) * 1000 + 512000 * k / 44100) % (24ull * 3600 * 1000);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000),
                  static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
                  static_cast<int>(ms % 1000));
    return text;
}

class NightTool : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WriteBytesFile(dir / "head.bir", SerializeHrirSet(MakePassThroughHrirSet()));
        WriteVoiceSet("voice.ymv", 0);
    }

    // Kind 0 has a three-block clip whose stored play position is `goodNightPosition`; kinds
    // 1-10 a two-block clip each; no recorded silence.
    void WriteVoiceSet(const std::string& name, int goodNightPosition)
    {
        VoiceSet set;
        EstablishBuiltInSilences(set);
        AppendTestClip(set, 0, MakeTriangleClip(3, 9000));
        for (int kind = 1; kind <= 10; ++kind)
        {
            AppendTestClip(set, kind, MakeTriangleClip(2, 1000 * kind, 50 + 20 * kind));
        }
        SilentReporter reporter;
        ASSERT_EQ(WriteVoiceDataFile((dir / name).string(), set, reporter), 0);
        if (goodNightPosition != 0)
        {
            // Saves store no position; an older file may carry one.
            std::fstream file(dir / name, std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(static_cast<std::streamoff>(kTrackTableOffset +
                                                   kTrackSpareColumns * kColumnBytes +
                                                   offsetof(VoiceTrackTable, playPosition)));
            file.write(reinterpret_cast<const char*>(&goodNightPosition), sizeof(int32_t));
            ASSERT_TRUE(file.good());
        }
    }

    std::string Path(const std::string& name) const { return (dir / name).string(); }

    int Night(const std::string& arguments, std::string* out = nullptr, std::string* err = nullptr)
    {
        return RunCommand(kTool + " night --voice " + Path("voice.ymv") + " --hrir " +
                              Path("head.bir") + " " + arguments,
                          out, err);
    }

    TempDir dir;
};

TEST_F(NightTool, SameArgumentsGiveTheSameBytes)
{
    WriteBytesFile(dir / "music.wav", MakeWavBytes(MakeTriangleClip(7, 3000, 333), 2));
    const std::string common = "--start 23:10 --minutes 1.5 --sliders 3,7,1,9 --voice-volume 4.5 "
                               "--music " +
                               Path("music.wav") + " --music-volume -12 ";
    ASSERT_EQ(Night(common + "--out " + Path("a.wav") + " --events " + Path("a.tsv")), 0);
    ASSERT_EQ(Night(common + "--out " + Path("b.wav") + " --events " + Path("b.tsv")), 0);
    const std::vector<uint8_t> a = ReadBytesFile(dir / "a.wav");
    EXPECT_GT(a.size(), 1000000u);
    EXPECT_EQ(a, ReadBytesFile(dir / "b.wav"));
    EXPECT_EQ(ReadBytesFile(dir / "a.tsv"), ReadBytesFile(dir / "b.tsv"));

    // The options take effect: a louder voice and another personality give another night.
    ASSERT_EQ(Night("--start 23:10 --minutes 1.5 --out " + Path("c.wav")), 0);
    EXPECT_NE(a, ReadBytesFile(dir / "c.wav"));
}

TEST_F(NightTool, OutputIsTheFewestWholeBlocksThatReachTheLength)
{
    struct Case
    {
        const char* minutes;
        uint64_t blocks;
    };
    // 1 minute = 2646000 frames = 5167.97 blocks; 0.05 minutes = 258.4 blocks; the ten primed
    // blocks are always written.
    for (const Case c : {Case{"1", 5168}, Case{"0.05", 259}, Case{"0.001", 10}})
    {
        ASSERT_EQ(Night(std::string("--start 22:00 --minutes ") + c.minutes + " --out " +
                        Path("len.wav")),
                  0)
            << c.minutes;
        const std::vector<uint8_t> wav = ReadBytesFile(dir / "len.wav");
        ASSERT_EQ(wav.size(), kWavHeaderBytes + c.blocks * 2048) << c.minutes;
        EXPECT_EQ(LoadU32(&wav[40]), c.blocks * 2048);
        EXPECT_EQ(LoadU16(&wav[22]), 2u);
        EXPECT_EQ(LoadU32(&wav[24]), 44100u);
        EXPECT_EQ(LoadU16(&wav[34]), 16u);
        // The ten primed blocks are silent; the good-night clip follows.
        const bool silentStart =
            std::all_of(wav.begin() + kWavHeaderBytes, wav.begin() + kWavHeaderBytes + 10 * 2048,
                        [](uint8_t b) { return b == 0; });
        EXPECT_TRUE(silentStart);
    }
}

TEST_F(NightTool, EventsListEveryClipWithItsBlockAndClock)
{
    const int start = 23 * 3600 + 59 * 60 + 30; // crosses midnight after 30 s
    ASSERT_EQ(
        Night("--start 23:59:30 --minutes 2 --out " + Path("n.wav") + " --events " + Path("n.tsv")),
        0);
    std::string header;
    const std::vector<EventLine> events =
        ParseEvents(std::string(reinterpret_cast<const char*>(ReadBytesFile(dir / "n.tsv").data()),
                                ReadBytesFile(dir / "n.tsv").size()),
                    header);
    EXPECT_EQ(header, "block\tclock\tstate\tclipIndex\tdepth\tdreaming\talertness\tfacing\t"
                      "rolledOver\tazimuth\televation\tevent");
    ASSERT_GT(events.size(), 20u);

    // The good-night clip, chosen by the night's start before any block came back.
    EXPECT_EQ(events[0].block, 0u);
    EXPECT_EQ(events[0].clock, "23:59:30.000");
    EXPECT_EQ(events[0].state, 0);
    EXPECT_EQ(events[0].clipIndex, 0);
    EXPECT_EQ(events[0].azimuth, 90);
    EXPECT_EQ(events[0].elevation, -40);
    // The first three blocks to come back carry the good night; the silence is chosen when
    // the fourth comes back.
    EXPECT_EQ(events[1].block, 4u);
    EXPECT_TRUE(events[1].state == 13 || events[1].state == 14);

    bool wrapped = false;
    const uint64_t lastBlock = 2 * 60 * 44100 / 512;
    for (size_t i = 0; i < events.size(); ++i)
    {
        const EventLine& e = events[i];
        ASSERT_EQ(e.fields, 12) << "line " << i + 2;
        EXPECT_EQ(e.event, "clip") << "line " << i + 2;
        EXPECT_EQ(e.clock, ExpectedClock(start, e.block)) << "line " << i + 2;
        EXPECT_TRUE((e.state >= 0 && e.state <= 11) || e.state == 13 || e.state == 14);
        EXPECT_LE(e.block, lastBlock);
        if (i > 0)
        {
            EXPECT_GT(e.block, events[i - 1].block);
            // Depth moves only in the seconds 0-5 and 31-34 of the clock the night sees.
            if (e.depth != events[i - 1].depth)
            {
                const int second = std::stoi(e.clock.substr(6, 2));
                EXPECT_TRUE(second <= 5 || (second >= 31 && second <= 34)) << e.clock;
            }
        }
        wrapped = wrapped || e.clock.rfind("00:00:", 0) == 0;
    }
    EXPECT_TRUE(wrapped);
}

TEST_F(NightTool, AWakeTimeBringsTheWakeCall)
{
    // 寝起き at 10 takes 100 off the depth near the wake time, so she calls once it has come.
    const std::string common =
        "--start 6:00 --sliders 10,5,5,10 --minutes 10 --out " + Path("w.wav") + " --events ";
    ASSERT_EQ(Night(common + Path("wake.tsv") + " --wake 06:08"), 0);
    ASSERT_EQ(Night(common + Path("none.tsv")), 0);
    std::string header;
    const auto read = [&](const char* name) {
        const std::vector<uint8_t> bytes = ReadBytesFile(dir / name);
        return ParseEvents(std::string(bytes.begin(), bytes.end()), header);
    };
    int calls = 0;
    int windows = 0;
    for (const EventLine& e : read("wake.tsv"))
    {
        if (e.event == "wake-window")
        {
            // The window 05:54-06:22 is open from the start, before any call.
            EXPECT_EQ(calls, 0);
            EXPECT_EQ(e.clock, "06:00:00.000");
            ++windows;
        }
        if (e.state == 10 && e.event == "clip")
        {
            EXPECT_GE(e.clock, "06:08:00.000");
            ++calls;
        }
    }
    EXPECT_GT(calls, 0);
    EXPECT_EQ(windows, 1);
    for (const EventLine& e : read("none.tsv"))
    {
        EXPECT_NE(e.state, 10) << e.clock;
        EXPECT_EQ(e.event, "clip");
    }
}

TEST_F(NightTool, ANightThatCannotStartIsRefusedWithoutAFile)
{
    WriteVoiceSet("spent.ymv", 3 * 512); // the good-night clip's stored position is its end
    std::string err;
    EXPECT_EQ(RunCommand(kTool + " night --voice " + Path("spent.ymv") + " --hrir " +
                             Path("head.bir") + " --start 22:00 --minutes 1 --out " +
                             Path("x.wav") + " --events " + Path("x.tsv"),
                         nullptr, &err),
              1);
    EXPECT_NE(err.find("refused: "), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.wav"));
    EXPECT_FALSE(std::filesystem::exists(dir / "x.tsv"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    {
        EXPECT_EQ(entry.path().string().find(".tmp-"), std::string::npos) << entry.path();
    }

    EXPECT_EQ(RunCommand(kTool + " night --voice " + Path("none.ymv") + " --hrir " +
                         Path("head.bir") + " --start 22:00 --minutes 1 --out " + Path("x.wav")),
              1);
    EXPECT_EQ(
        Night("--start 22:00 --minutes 1 --music " + Path("none.wav") + " --out " + Path("x.wav")),
        1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.wav"));
}

TEST_F(NightTool, OutOfRangeOptionsAreUsageErrors)
{
    const std::string out = " --out " + Path("u.wav");
    for (const std::string bad :
         {"--start 22:00 --minutes 1 --sliders 5,5,5,11",
          "--start 22:00 --minutes 1 --sliders -1,5,5,5",
          "--start 22:00 --minutes 1 --sliders 5,5,5",
          "--start 22:00 --minutes 1 --sliders 5,5,5,5,5",
          "--start 22:00 --minutes 1 --sliders a,b,c,d",
          "--start 22:00 --minutes 1 --voice-volume 30.5",
          "--start 22:00 --minutes 1 --music-volume -31",
          "--start 22:00 --minutes 1 --voice-volume x", "--start 24:00 --minutes 1",
          "--start 22:60 --minutes 1", "--start 22 --minutes 1", "--start 22:00 --minutes 0",
          "--start 22:00 --minutes 1441", "--start 22:00 --minutes 1 --wake 7:00:00",
          "--start 22:00 --minutes 1 --bogus 1", "--minutes 1",
          // Numbers as strictly as the tables read them.
          "--start 22:00 --minutes ' 5'", "--start 22:00 --minutes 0x1p3",
          "--start 22:00 --minutes nan", "--start 22:00 --minutes 1 --voice-volume inf",
          "--start 22:00 --minutes 1 --sliders ' 5,5,5,5'", "--start 22:00 --minutes 1 --fade 61",
          "--start 22:00 --minutes 1 --fade -1", "--start 22:00 --minutes 1 --sleep-timer 1441",
          "--start 22:00 --minutes 1 --wake-ramp x", "--start 22:00 --minutes 1 --fade"})
    {
        std::string err;
        EXPECT_EQ(Night(bad + out, nullptr, &err), 2) << bad;
        EXPECT_NE(err.find("usage: yumo-tool night"), std::string::npos) << bad;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "u.wav"));
    // The range ends themselves are accepted.
    EXPECT_EQ(Night("--start 0:00:59 --minutes 0.01 --sliders 0,10,0,10 --voice-volume -30 "
                    "--music-volume 30 --wake 23:59 --fade 60 --sleep-timer 1440 --wake-ramp 600 "
                    "--limit --mono --swap" +
                    out),
              0);
}

// The samples of a written night, interleaved, after the canonical header.
std::vector<int16_t> WavSamples(const std::vector<uint8_t>& wav)
{
    std::vector<int16_t> samples((wav.size() - kWavHeaderBytes) / 2);
    for (size_t i = 0; i < samples.size(); ++i)
    {
        samples[i] = static_cast<int16_t>(LoadU16(&wav[kWavHeaderBytes + 2 * i]));
    }
    return samples;
}

int PeakOf(const std::vector<int16_t>& samples, size_t from, size_t to)
{
    int peak = 0;
    for (size_t i = from; i < std::min(to, samples.size()); ++i)
    {
        peak = std::max(peak, std::abs(int{samples[i]}));
    }
    return peak;
}

TEST_F(NightTool, TheSleepTimerFadesOutAndEndsTheNightWithinABlock)
{
    std::string out;
    ASSERT_EQ(Night("--start 22:00 --minutes 5 --sleep-timer 0.5 --fade 2 --out " + Path("t.wav") +
                        " --events " + Path("t.tsv"),
                    &out),
              0);
    EXPECT_NE(out.find("night: ended by the sleep timer"), std::string::npos) << out;
    const std::vector<int16_t> samples = WavSamples(ReadBytesFile(dir / "t.wav"));
    const int64_t timerEnd = 30 * 44100;
    const auto frames = static_cast<int64_t>(samples.size() / 2);
    EXPECT_LE(std::abs(frames - timerEnd), 512) << frames;
    // Sound up to the fade, silence from its end.
    EXPECT_GT(PeakOf(samples, 2 * 20 * 44100, 2 * 28 * 44100), 500);
    EXPECT_EQ(PeakOf(samples, 2 * static_cast<size_t>(timerEnd), samples.size()), 0);

    std::string header;
    const std::vector<uint8_t> bytes = ReadBytesFile(dir / "t.tsv");
    std::vector<std::string> marks;
    uint64_t fadeOutBlock = 0;
    for (const EventLine& e : ParseEvents(std::string(bytes.begin(), bytes.end()), header))
    {
        ASSERT_EQ(e.fields, 12);
        if (e.event != "clip")
        {
            marks.push_back(e.event);
            fadeOutBlock = e.event == "fade-out" ? e.block : fadeOutBlock;
        }
    }
    EXPECT_EQ(marks, (std::vector<std::string>{"fade-in", "fade-out", "timer-end"}));
    // The fade-out starts 2 s before the end, marked when its block is refilled: the refill
    // after k blocks came back writes block k + 9.
    EXPECT_EQ(fadeOutBlock, (timerEnd - 2 * 44100) / 512 - 9);
}

TEST_F(NightTool, AWakeTimeStillSoundsAfterTheSleepTimer)
{
    ASSERT_EQ(Night("--start 6:00 --sliders 10,5,5,10 --minutes 10 --sleep-timer 1 --wake 06:08 "
                    "--out " +
                    Path("w.wav") + " --events " + Path("w.tsv")),
              0);
    const std::vector<int16_t> samples = WavSamples(ReadBytesFile(dir / "w.wav"));
    EXPECT_EQ(samples.size(), 2u * 51680 * 512); // the whole ten minutes
    std::string header;
    const std::vector<uint8_t> bytes = ReadBytesFile(dir / "w.tsv");
    uint64_t firstCall = 0;
    bool fadedBackIn = false;
    for (const EventLine& e : ParseEvents(std::string(bytes.begin(), bytes.end()), header))
    {
        if (e.event == "clip" && e.state == 10 && firstCall == 0)
        {
            firstCall = e.block;
        }
        fadedBackIn = fadedBackIn || (firstCall > 0 && e.event == "fade-in");
    }
    ASSERT_GT(firstCall, 0u);
    EXPECT_TRUE(fadedBackIn);
    // Silent from the timer's end until the call, written nine blocks after it is chosen.
    const size_t callAt = 2 * 512 * static_cast<size_t>(firstCall + 9);
    EXPECT_EQ(PeakOf(samples, 2 * 60 * 44100 + 2 * 512, callAt), 0);
    EXPECT_GT(PeakOf(samples, callAt, samples.size()), 1000);
}

TEST_F(NightTool, TheDefaultResponseSetIsFoundBesideTheToolThenInTheWorkingDirectory)
{
    // Two distinguishable sets: the right ear at half or at a quarter of the left.
    std::filesystem::create_directories(dir / "bin" / "data" / "hrtf");
    std::filesystem::create_directories(dir / "work" / "hrtf");
    WriteBytesFile(dir / "bin" / "data" / "hrtf" / "head01.bir",
                   SerializeHrirSet(MakePassThroughHrirSet(0.5)));
    WriteBytesFile(dir / "work" / "hrtf" / "head01.bir",
                   SerializeHrirSet(MakePassThroughHrirSet(0.25)));
    std::filesystem::copy_file(kTool, dir / "bin" / "yumo-tool");
    // The build folder's own tool may have data/hrtf beside it (the set-up script puts the
    // default head there), so the working-directory cases use a copy with nothing beside it.
    std::filesystem::create_directories(dir / "bare");
    std::filesystem::copy_file(kTool, dir / "bare" / "yumo-tool");
    const std::string bareTool = Path("bare/yumo-tool");
    const std::string args =
        " night --voice " + Path("voice.ymv") + " --start 22:00 --minutes 0.05";

    const std::string cd = "cd " + Path("work") + " && ";
    ASSERT_EQ(RunCommand(cd + Path("bin/yumo-tool") + args + " --out " + Path("beside.wav")), 0);
    ASSERT_EQ(RunCommand(cd + bareTool + args + " --out " + Path("local.wav")), 0);
    ASSERT_EQ(RunCommand(cd + bareTool + args + " --hrir " + Path("bin/data/hrtf/head01.bir") +
                         " --out " + Path("half.wav")),
              0);
    EXPECT_EQ(ReadBytesFile(dir / "beside.wav"), ReadBytesFile(dir / "half.wav"));
    EXPECT_NE(ReadBytesFile(dir / "local.wav"), ReadBytesFile(dir / "half.wav"));
    EXPECT_EQ(
        RunCommand("cd " + Path("bin") + " && " + bareTool + args + " --out " + Path("n.wav")), 1);
}

TEST_F(NightTool, ATargetThatIsNotARegularFileIsRefusedUntouched)
{
    const auto fifo = dir / "pipe.wav";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // With a reader present a write into the pipe would not block the test.
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    std::string err;
    EXPECT_EQ(Night("--start 22:00 --minutes 0.05 --out " + fifo.string(), nullptr, &err), 1);
    EXPECT_NE(err.find("refused: cannot write"), std::string::npos) << err;
    char byte = 0;
    EXPECT_EQ(read(reader, &byte, 1), 0);
    close(reader);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

} // namespace
} // namespace yumo::test
