#include "audio/head_preview.h"

#include <cmath>

#include "audio/renderer.h"
#include "common/constants.h"

namespace yumo
{
namespace
{

constexpr double kPi = 3.14159265358979323846;

size_t WholeBlocks(size_t frames) { return RoundUpToWhole(frames, size_t{kFramesPerBlock}); }

// One direction's frames: the phrase's blocks plus one to let the filter ring out.
size_t DirectionFrames(size_t phraseFrames)
{
    return WholeBlocks(phraseFrames) + kFramesPerBlock + WholeBlocks(kHeadPreviewGapFrames);
}

void AppendDirection(const HrirSet& set, const std::vector<int16_t>& phrase, double azimuth,
                     std::vector<int16_t>& out)
{
    std::vector<int16_t> overlapLeft(kFramesPerBlock, 0);
    std::vector<int16_t> overlapRight(kFramesPerBlock, 0);
    std::vector<int16_t> block(kFramesPerBlock * kOutputChannels);
    const size_t rendered = WholeBlocks(phrase.size()) + kFramesPerBlock;
    for (size_t start = 0; start < rendered; start += kFramesPerBlock)
    {
        RenderBinauralBlock(set, phrase.data(), phrase.size(), static_cast<int64_t>(start), azimuth,
                            0.0, 1.0, 1.0, overlapLeft.data(), overlapRight.data(), block.data());
        out.insert(out.end(), block.begin(), block.end());
    }
    out.resize(out.size() + WholeBlocks(kHeadPreviewGapFrames) * kOutputChannels, 0);
}

} // namespace

std::vector<int16_t> RenderHeadDirections(const HrirSet& set, const std::vector<int16_t>& phrase)
{
    std::vector<int16_t> out;
    out.reserve(DirectionFrames(phrase.size()) * kHeadPreviewAzimuths.size() * kOutputChannels);
    for (double azimuth : kHeadPreviewAzimuths)
    {
        AppendDirection(set, phrase, azimuth, out);
    }
    return out;
}

std::vector<int16_t> RenderHeadComparison(const HrirSet& chosen, const HrirSet& current,
                                          const std::vector<int16_t>& phrase)
{
    std::vector<int16_t> out = RenderHeadDirections(chosen, phrase);
    const std::vector<int16_t> second = RenderHeadDirections(current, phrase);
    out.insert(out.end(), second.begin(), second.end());
    return out;
}

size_t HeadPreviewOffset(size_t phraseFrames, int which, int index)
{
    const size_t perSet = DirectionFrames(phraseFrames) * kHeadPreviewAzimuths.size();
    return static_cast<size_t>(which) * perSet +
           static_cast<size_t>(index) * DirectionFrames(phraseFrames);
}

std::vector<int16_t> MakeHeadPreviewPhrase()
{
    constexpr int kSyllables = 3;
    constexpr int kSyllableFrames = kSampleRate / 5; // 0.2 s each
    std::vector<int16_t> phrase(kSyllables * kSyllableFrames);
    for (int s = 0; s < kSyllables; ++s)
    {
        const double pitch = 220.0 + 30.0 * s;
        for (int i = 0; i < kSyllableFrames; ++i)
        {
            const double t = static_cast<double>(i) / kSampleRate;
            // A raised-cosine envelope and a few harmonics, like a hummed vowel.
            const double envelope = 0.5 - 0.5 * std::cos(2 * kPi * i / kSyllableFrames);
            double v = 0;
            for (int h = 1; h <= 6; ++h)
            {
                v += std::sin(2 * kPi * pitch * h * t) / h;
            }
            phrase[static_cast<size_t>(s * kSyllableFrames + i)] =
                static_cast<int16_t>(std::lround(6000.0 * envelope * v));
        }
    }
    return phrase;
}

} // namespace yumo
