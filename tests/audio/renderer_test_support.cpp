#include "audio/renderer_test_support.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "common/constants.h"

namespace yumo::test
{

std::vector<double> OneTap(double value)
{
    std::vector<double> taps(kHrirTapCount, 0.0);
    taps[0] = value;
    return taps;
}

HrirSet MakeSet(const std::vector<TestRow>& rows)
{
    HrirSet set;
    set.rowCount = static_cast<int32_t>(rows.size());
    for (size_t r = 0; r < rows.size(); ++r)
    {
        set.directionsPerRow.push_back(static_cast<int32_t>(rows[r].directions.size()));
        for (size_t c = 0; c < rows[r].directions.size(); ++c)
        {
            HrirDirection& direction = set.directions[r][c];
            direction.azimuth = rows[r].directions[c].azimuth;
            direction.elevation = rows[r].elevation;
            direction.tapCount = kHrirTapCount;
            direction.left = rows[r].directions[c].left;
            direction.right = rows[r].directions[c].right;
        }
    }
    return set;
}

HrirSet MakeOneDirectionSet(const std::vector<double>& left, const std::vector<double>& right)
{
    return MakeSet({{90, {{0, left, right}}}});
}

HrirSet MakeRandomSet(uint32_t seed, double tapScale)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, tapScale);
    auto taps = [&]() {
        std::vector<double> out(kHrirTapCount);
        for (int t = 0; t < kHrirTapCount; ++t)
        {
            out[t] = noise(random) * std::exp(-t / 40.0);
        }
        return out;
    };
    std::vector<TestRow> rows;
    for (int elevation : {-40, 0, 40})
    {
        TestRow row{elevation, {}};
        for (int azimuth = 0; azimuth < 360; azimuth += 30)
        {
            row.directions.push_back({azimuth, taps(), taps()});
        }
        rows.push_back(row);
    }
    rows.push_back({90, {{0, taps(), taps()}}});
    return MakeSet(rows);
}

std::vector<int16_t> MakeRandomClip(uint32_t seed, size_t count, double deviation)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, deviation);
    std::vector<int16_t> clip(count);
    for (int16_t& sample : clip)
    {
        sample = static_cast<int16_t>(std::clamp(std::round(noise(random)), -32768.0, 32767.0));
    }
    return clip;
}

RenderFunction RenderOnPath(VectorPath path)
{
    return [path](const HrirSet& set, const int16_t* samples, size_t count, int64_t start,
                  double azimuth, double elevation, double distance, double reference,
                  int16_t* overlapLeft, int16_t* overlapRight, int16_t* destination) {
        return RenderBinauralBlockOnPath(path, set, samples, count, start, azimuth, elevation,
                                         distance, reference, overlapLeft, overlapRight,
                                         destination);
    };
}

std::vector<int16_t> RenderStream(RenderFunction render, const HrirSet& set,
                                  const std::vector<int16_t>& clip,
                                  const std::vector<RenderPosition>& positions)
{
    std::vector<int16_t> overlapLeft(kFramesPerBlock, 0);
    std::vector<int16_t> overlapRight(kFramesPerBlock, 0);
    std::vector<int16_t> out;
    std::vector<int16_t> block(2 * kFramesPerBlock);
    int64_t start = 0;
    for (const RenderPosition& p : positions)
    {
        render(set, clip.data(), clip.size(), start, p.azimuth, p.elevation, p.distance,
               p.reference, overlapLeft.data(), overlapRight.data(), block.data());
        out.insert(out.end(), block.begin(), block.end());
        start += kFramesPerBlock;
    }
    return out;
}

} // namespace yumo::test
