#pragma once
// Response sets, clips and whole-stream rendering for the renderer's tests.

#include <cstdint>
#include <functional>
#include <vector>

#include "audio/hrir_set.h"
#include "audio/renderer.h"

namespace yumo::test
{

// 128 taps, zero except tap 0.
std::vector<double> OneTap(double value);

// A set of one direction: a zenith row, so every request selects it.
HrirSet MakeOneDirectionSet(const std::vector<double>& left, const std::vector<double>& right);

struct TestDirection
{
    int azimuth;
    std::vector<double> left;
    std::vector<double> right;
};
struct TestRow
{
    int elevation;
    std::vector<TestDirection> directions;
};
HrirSet MakeSet(const std::vector<TestRow>& rows);

// Rows at -40, 0 and 40 degrees (12 directions each) and the zenith; every tap random with the
// given standard deviation and a decay so that responses look measured.
HrirSet MakeRandomSet(uint32_t seed, double tapScale);

std::vector<int16_t> MakeRandomClip(uint32_t seed, size_t count, double deviation);

struct RenderPosition
{
    double azimuth = 90.0;
    double elevation = -40.0;
    double distance = 0.3;
    double reference = 0.3;
};

using RenderFunction = std::function<int(const HrirSet&, const int16_t*, size_t, int64_t, double,
                                         double, double, double, int16_t*, int16_t*, int16_t*)>;

// RenderBinauralBlockOnPath bound to one path.
RenderFunction RenderOnPath(VectorPath path);

// Calls `render` once per position with start 0, 512, 1024 ... and zeroed overlap buffers at
// first; returns every call's 512 stereo frames one after another.
std::vector<int16_t> RenderStream(RenderFunction render, const HrirSet& set,
                                  const std::vector<int16_t>& clip,
                                  const std::vector<RenderPosition>& positions);

} // namespace yumo::test
