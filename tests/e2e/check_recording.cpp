// Checks a recording of the program's real output (16-bit stereo 44.1 kHz WAV): the voice is
// there, and the stream never broke off. A device that runs dry mid-stream inserts digital
// silence right after loud sound and resumes loud; the renderer never does that by itself,
// since its output fades through the 128-tap responses and the 512-frame crossfade, so such a
// cut is counted as a gap. Quiet passages that truncate to zero start and end quietly.
//
//   yumo-check-recording REC.wav [--min-peak P]
// Prints the figures; exits 0 when the voice was heard and no gap was found, 1 otherwise.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/report.h"
#include "import/wav_import.h"

namespace
{

constexpr int kSampleRate = 44100;
constexpr int kMinGapFrames = 32; // 0.7 ms of exact silence
constexpr int kEdgeFrames = 64;   // looked at on each side of a silent run
constexpr int kLoudEdge = 100; // a cut: this loud right before and right after (quiet runs: < 10)
constexpr int kDefaultMinPeak = 3000; // the greeting is clearly audible
constexpr int kOnsetLevel = 200;      // where the voice starts

struct Frame
{
    int left = 0;
    int right = 0;
};

int Magnitude(const Frame& f) { return std::max(std::abs(f.left), std::abs(f.right)); }

int EdgePeak(const std::vector<Frame>& frames, size_t from, size_t to)
{
    int peak = 0;
    for (size_t i = from; i < to && i < frames.size(); ++i)
    {
        peak = std::max(peak, Magnitude(frames[i]));
    }
    return peak;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: yumo-check-recording REC.wav [--min-peak P]\n");
        return 2;
    }
    int minPeak = kDefaultMinPeak;
    if (argc == 4 && std::string(argv[2]) == "--min-peak")
    {
        minPeak = std::atoi(argv[3]);
    }
    yumo::StderrReporter reporter;
    yumo::ImportedAudio audio;
    yumo::PcmFormat format;
    if (yumo::ImportWavFile(argv[1], audio, format, reporter) <= 0 || format.channels != 2)
    {
        std::fprintf(stderr, "%s: not a 16-bit stereo 44.1 kHz recording\n", argv[1]);
        return 1;
    }
    std::vector<Frame> frames(static_cast<size_t>(audio.byteLength) / 4);
    for (size_t i = 0; i < frames.size(); ++i)
    {
        const uint8_t* p = audio.buffer.data() + 4 * i;
        frames[i].left = static_cast<int16_t>(p[0] | (p[1] << 8));
        frames[i].right = static_cast<int16_t>(p[2] | (p[3] << 8));
    }

    size_t onset = 0;
    while (onset < frames.size() && Magnitude(frames[onset]) < kOnsetLevel)
    {
        ++onset;
    }
    const int peak = EdgePeak(frames, 0, frames.size());
    int gaps = 0;
    size_t longestGap = 0;
    for (size_t i = onset; i < frames.size();)
    {
        if (Magnitude(frames[i]) != 0)
        {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < frames.size() && Magnitude(frames[end]) == 0)
        {
            ++end;
        }
        const size_t run = end - i;
        if (run >= kMinGapFrames && i >= kEdgeFrames &&
            EdgePeak(frames, i - kEdgeFrames, i) >= kLoudEdge &&
            EdgePeak(frames, end, end + kEdgeFrames) >= kLoudEdge)
        {
            ++gaps;
            longestGap = std::max(longestGap, run);
            std::printf("gap: %zu frames of silence at %.3f s between loud sound\n", run,
                        static_cast<double>(i) / kSampleRate);
        }
        i = end;
    }
    std::printf("recorded %.2f s; voice from %.3f s; peak %d; gaps %d (longest %.1f ms)\n",
                static_cast<double>(frames.size()) / kSampleRate,
                static_cast<double>(onset) / kSampleRate, peak, gaps,
                1000.0 * static_cast<double>(longestGap) / kSampleRate);
    if (onset == frames.size() || peak < minPeak)
    {
        std::printf("FAIL: the voice was not heard (peak below %d)\n", minPeak);
        return 1;
    }
    if (gaps > 0)
    {
        std::printf("FAIL: the stream broke off %d times\n", gaps);
        return 1;
    }
    return 0;
}
