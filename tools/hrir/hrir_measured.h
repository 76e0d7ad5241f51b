#pragma once
// Measured head-related responses (as a SOFA file holds them) and their conversion into a
// response set on the program's grid: rows of whole-degree elevations, whole-degree azimuths
// strictly ascending, a one-direction zenith row last, 128 taps per ear on the renderer's scale.

#include <filesystem>
#include <string>
#include <vector>

#include "audio/hrir_set.h"
#include "tools/hrir/hrir_stats.h"
#include "tools/hrir/sofa_precheck.h"

namespace yumo
{

struct MeasuredDirection
{
    double azimuth = 0.0;     // degrees anticlockwise from the front, seen from above
    double elevation = 0.0;   // degrees, negative below ear level
    double distance = 0.0;    // metres from the head's centre
    std::vector<double> left; // at 44.1 kHz, measured scale, onset delay included
    std::vector<double> right;
};

struct MeasuredHrir
{
    std::vector<MeasuredDirection> directions;
    std::vector<std::string> notes; // what reading did to the data (resampling, swapped ears)
};

struct HrirConversionOptions
{
    // Divide out the diffuse-field average (what every direction shares: the measuring
    // loudspeaker, the microphones, the ear canal), as headphone playback needs.
    bool equalise = true;
    // How long libmysofa may take to read the file before it is taken for damaged.
    int loadLimitMs = 20000;
};

struct HrirConversionSummary
{
    int measuredDirections = 0;
    int droppedOtherDistances = 0; // measured at a distance other than the one kept
    double keptDistance = 0.0;     // metres
    int droppedDuplicateAzimuths = 0;
    int droppedByThinning = 0; // directions left out to keep rows within 75 (or rows within 20)
    bool zenithMeasured = false;
    int leadingSamplesRemoved = 0;     // common delay before the earliest onset, removed from all
    double worstTruncatedEnergy = 0.0; // largest share of a response's energy past 128 taps
    bool equalised = false;
    double equaliserRangeDb = 0.0;  // largest minus smallest gain of the equaliser
    double speechBandLevel = 0.0;   // diffuse-field RMS gain, 200 Hz-4 kHz, before scaling
    bool speechPeakLimited = false; // the scale was lowered to keep speech below the ceiling
    double scale = 0.0;             // stored tap = measured (and equalised) tap x scale
    HrirSetStats stats;             // of the finished set
    std::vector<std::string> notes;
};

// Taps kept before the earliest onset of the whole set (0.18 ms): the measured responses'
// pre-ringing and any resampling filter's stay intact.
constexpr int kOnsetMarginTaps = 8;
// The last taps fade out (raised cosine) so the cut at 128 taps does not ring.
constexpr int kFadeOutTaps = 16;

// The equaliser works from 100 Hz to 16 kHz (held flat beyond, where measurements carry
// little) and its gains span at most 30 dB, so no notch or band edge is boosted without bound.
constexpr double kEqualiserLowHz = 100.0;
constexpr double kEqualiserHighHz = 16000.0;
constexpr double kEqualiserRangeDb = 30.0;

// Scale: the diffuse-field average plays at the source's level over the speech band
// (200 Hz-4 kHz) - unless a full-scale speech-like signal would then peak above this ceiling
// (-3 dBFS) at some direction, in which case the whole set is lowered until it does not. The
// ceiling leaves room below 0.8 of full scale, where the renderer's 16-bit intermediate
// saturates.
constexpr double kSpeechPeakCeiling = 0.7079457843841379; // 10^(-3/20)

// A minimum-phase filter (1024 taps, 44.1 kHz) whose gain is the inverse of the mean power
// spectrum of `responses`, smoothed over a third of an octave, within the limits above.
std::vector<double>
DesignDiffuseFieldEqualiser(const std::vector<const std::vector<double>*>& responses,
                            double& rangeDb);

// Fits measured responses to the grid (see the header comment); every step that drops or
// thins data is counted in the summary. False with `why` when nothing usable remains.
bool BuildHrirSetFromMeasurements(const MeasuredHrir& measured,
                                  const HrirConversionOptions& options, HrirSet& set,
                                  HrirConversionSummary& summary, std::string& why);

// Reads a SOFA (AES69, SimpleFreeFieldHRIR) file with libmysofa: not loudness-normalised,
// not made minimum-phase, resampled to 44.1 kHz when it was measured at another rate, left ear
// identified from the receiver positions. The file's superblock is checked first (a cut file
// is refused at once), and libmysofa reads it in a child process within a time limit, so a
// file that crashes or hangs the library is refused as damaged. On failure `problem`, when
// given, says what kind of failure it was.
bool ReadSofaMeasurements(const std::filesystem::path& path, MeasuredHrir& measured,
                          std::string& why, SofaProblem* problem = nullptr,
                          int limitMs = HrirConversionOptions{}.loadLimitMs);

// ReadSofaMeasurements then BuildHrirSetFromMeasurements (whose failures are Unsuitable).
bool ConvertSofaToHrirSet(const std::filesystem::path& path, const HrirConversionOptions& options,
                          HrirSet& set, HrirConversionSummary& summary, std::string& why,
                          SofaProblem* problem = nullptr);

} // namespace yumo
