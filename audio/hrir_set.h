#pragma once
// The head-related impulse response set: for each measured direction, 128 taps per ear.
//
// Axes: azimuth in whole degrees counted anticlockwise from the front as seen from above, so
// below 180 is the listener's left and above 180 the right; elevation in whole degrees,
// negative below ear level, rising row by row to the zenith (90), which holds one direction.
// Coefficients are stored on the renderer's scale: it divides convolution sums by 65538 and
// then by 1.25, so a lone tap of 81922.5 reproduces the source at its own level. Nothing
// rescales a set when it is loaded. Sets made from measurements (tools/hrir/hrir_measured.h) are
// diffuse-field equalised and scaled so that the speech band plays at the source's level on
// average, lowered where needed so a full-scale speech-like signal peaks at most at -3 dBFS in
// any direction (docs/hrir-scale.md has the figures for the default head).

#include <array>
#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "common/constants.h"
#include "common/report.h"

namespace yumo
{

struct HrirDirection
{
    int32_t azimuth = 0;   // degrees, ascending strictly along a row
    int32_t elevation = 0; // degrees, the same for every direction of a row
    int32_t tapCount = 0;  // 128 in every set the renderer uses
    std::vector<double> left;
    std::vector<double> right;
};

struct HrirSet
{
    int32_t leadingValue = 0; // carried from the text table into the file; never interpreted
    int32_t rowCount = 0;     // 1-20 once loaded
    std::vector<int32_t> directionsPerRow; // rowCount entries, each 1-75
    std::array<std::array<HrirDirection, kMaxHrirDirectionsPerRow>, kMaxHrirRows> directions;
};

// A lone tap of this value reproduces the source at its own level: the renderer divides its
// convolution sums by 65538 and then by 1.25. "Unit scale" elsewhere means taps / this value.
constexpr double kHrirUnityTap = 65538.0 * 1.25;
// The largest tap magnitude a set may hold: beyond it a single step of the 16-bit input alone
// would already exceed the whole 16-bit output range. Such a set can only be damaged.
constexpr double kMaxHrirTapMagnitude = 32768.0 * kHrirUnityTap;

// The largest response-set file the data model can describe: every row full, 128 taps each.
constexpr size_t kMaxHrirFileBytes =
    8 + 4 * kMaxHrirRows +
    (12 + 2 * 8 * kHrirTapCount) * size_t{kMaxHrirRows} * kMaxHrirDirectionsPerRow;

struct HrirIndex
{
    int row = 0;
    int column = 0;
};

// Loads from the four text tables in `workDir` when all are present (and writes
// "head_out.bir" there), else from workDir/"hrtf/head01.bir". Returns kOk; kFileNotOpened after
// reporting the "Yumoオープンエラー" message; or, for malformed tables or a malformed file,
// kFileDamaged after reporting a message under the same caption that names the source and the
// problem. The set is left empty on either failure.
int LoadHrirSet(HrirSet& set, const std::filesystem::path& workDir, Reporter& reporter);

enum class HrirFileStatus
{
    Ok,
    NotOpened, // missing or unreadable
    Damaged,   // too large or malformed
};

// Reads and parses a response-set file; otherwise `why` says what is wrong and the set is
// untouched.
HrirFileStatus ReadHrirSetFile(const std::filesystem::path& path, HrirSet& set, std::string& why);

// Reads a response-set file image. False (set untouched) when malformed; `why` says what.
bool ParseHrirSetFile(const std::vector<uint8_t>& bytes, HrirSet& set, std::string& why);
std::vector<uint8_t> SerializeHrirSet(const HrirSet& set);

// Fills the set from the four open text tables. False (set untouched) when malformed.
bool ImportHrirText(std::istream& elevations, std::istream& azimuths, std::istream& lefts,
                    std::istream& rights, HrirSet& set, std::string& why);

// Checks the invariants every loaded set keeps: 1-20 rows of 1-75 directions, 128 taps per
// ear, one elevation per row, rows ascending and below 90 except the last, which is the zenith
// with one direction, azimuths strictly ascending along a row, finite coefficients.
bool CheckHrirSet(const HrirSet& set, std::string& why);

// Writes the set in the response-set file format; false when the file could not be written.
bool WriteHrirSetFile(const HrirSet& set, const std::filesystem::path& path);

// Selects the direction for a requested azimuth and elevation (degrees): no interpolation.
HrirIndex FindHrirDirection(const HrirSet& set, double azimuth, double elevation);

} // namespace yumo
