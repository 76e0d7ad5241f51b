// Reading measured responses from a SOFA (AES69) file through libmysofa.
//
// The file is read here, as every other outside file is (only a regular file, of bounded size),
// and handed to the library in memory.
// mysofa_load_data rather than mysofa_open: the "easy" entry point normalises the loudness (it
// scales every response so the frontal one has unit energy) and turns the responses into
// minimum-phase ones with their delays cut off - that would lose the interaural time
// differences and leave the level to the library. Here the set keeps its measured scale and
// onsets; the conversion chooses the scale itself. Only the sample rate is changed, by
// mysofa_resample, when the set was measured at another rate than 44.1 kHz.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <mysofa.h>

#include "common/byte_io.h"
#include "common/utf16.h"
#include "tools/hrir/child_run.h"
#include "tools/hrir/hrir_measured.h"

namespace yumo
{
namespace
{

struct SofaFree
{
    void operator()(MYSOFA_HRTF* hrtf) const { mysofa_free(hrtf); }
};
using SofaHandle = std::unique_ptr<MYSOFA_HRTF, SofaFree>;

// Measured sets are a few megabytes; the largest in use are under 100 MB.
constexpr size_t kMaxSofaFileBytes = 256u << 20;

constexpr int kMaxDelaySamples = 1024;

// The library reads a measured set in well under a second (its time limit is the caller's); a
// damaged file may make it loop or ask for memory without end.
constexpr uint64_t kLoadMemoryBytes = uint64_t{4} << 30;

std::string SofaErrorName(int error)
{
    switch (error)
    {
    case MYSOFA_INTERNAL_ERROR:
        return "internal error";
    case MYSOFA_INVALID_FORMAT:
        return "invalid format";
    case MYSOFA_UNSUPPORTED_FORMAT:
        return "unsupported format";
    case MYSOFA_NO_MEMORY:
        return "out of memory";
    case MYSOFA_READ_ERROR:
        return "read error (missing or unreadable file)";
    case MYSOFA_INVALID_ATTRIBUTES:
        return "not a SimpleFreeFieldHRIR set of impulse responses";
    case MYSOFA_INVALID_DIMENSIONS:
        return "invalid dimensions (two receivers, one emitter needed)";
    case MYSOFA_INVALID_DIMENSION_LIST:
        return "invalid dimension list";
    case MYSOFA_INVALID_COORDINATE_TYPE:
        return "invalid coordinate type";
    case MYSOFA_ONLY_EMITTER_WITH_ECI_SUPPORTED:
        return "unsupported emitter positions";
    case MYSOFA_ONLY_DELAYS_WITH_IR_OR_MR_SUPPORTED:
        return "unsupported delay layout";
    case MYSOFA_ONLY_THE_SAME_SAMPLING_RATE_SUPPORTED:
        return "more than one sample rate";
    case MYSOFA_RECEIVERS_WITH_RCI_SUPPORTED:
        return "unsupported receiver layout";
    case MYSOFA_RECEIVERS_WITH_CARTESIAN_SUPPORTED:
        return "receiver positions are not cartesian";
    case MYSOFA_INVALID_RECEIVER_POSITIONS:
        return "receivers are not placed as two ears";
    case MYSOFA_ONLY_SOURCES_WITH_MC_SUPPORTED:
        return "unsupported source position layout";
    default:
        return "error " + std::to_string(error);
    }
}

// The y coordinate of receiver `receiver`, read as libmysofa's own check reads it: one triple
// per receiver, or (R, C, M) with the measurement index varying fastest.
bool ReceiverY(const MYSOFA_HRTF& hrtf, unsigned receiver, double& y)
{
    const MYSOFA_ARRAY& positions = hrtf.ReceiverPosition;
    size_t index = 3 * receiver + 1;
    if (positions.elements == 6 * static_cast<size_t>(hrtf.M) && hrtf.M > 1)
    {
        index *= hrtf.M;
    }
    else if (positions.elements != 6)
    {
        return false;
    }
    y = positions.values[index];
    return true;
}

// Broadband delays in samples at 44.1 kHz, two per measurement (left-receiver order as stored),
// from a delay field of one pair for all or one pair per measurement. Taken before any
// resampling: libmysofa's versions differ in whether mysofa_resample rescales them.
bool ReadDelays(const MYSOFA_HRTF& hrtf, double rateRatio, std::vector<double>& delays,
                std::string& why)
{
    const MYSOFA_ARRAY& field = hrtf.DataDelay;
    const size_t m = hrtf.M;
    const bool perMeasurement = field.elements == 2 * m && m > 1;
    if (field.elements != 0 && field.elements != 2 && !perMeasurement)
    {
        why = "unsupported delay layout";
        return false;
    }
    delays.assign(2 * m, 0.0);
    if (field.elements == 0 || field.values == nullptr)
    {
        return true;
    }
    for (size_t i = 0; i < m; ++i)
    {
        for (size_t receiver = 0; receiver < 2; ++receiver)
        {
            const double value = field.values[(perMeasurement ? i * 2 : 0) + receiver];
            if (!std::isfinite(value))
            {
                why = "measurement " + std::to_string(i) + " has a delay that is not a number";
                return false;
            }
            delays[2 * i + receiver] = value * rateRatio;
        }
    }
    return true;
}

// Every response is put behind its delay, all shifted by one amount so that the earliest delay
// is 0 (delays may be negative, or all large), then padded at the end to the longest, so both
// ears of every direction have one length. Refused only when the delays span more than can be
// placed.
bool PlaceResponses(const MYSOFA_HRTF& hrtf, unsigned leftReceiver,
                    const std::vector<double>& delays, MeasuredHrir& measured, std::string& why)
{
    const auto [first, last] = std::minmax_element(delays.begin(), delays.end());
    if (*last - *first > kMaxDelaySamples)
    {
        char text[160];
        std::snprintf(text, sizeof text,
                      "the delays span %.2f samples, more than the %d a response can be moved",
                      *last - *first, kMaxDelaySamples);
        why = text;
        return false;
    }
    const double earliest = *first;
    if (earliest != 0.0)
    {
        char text[96];
        std::snprintf(text, sizeof text, "all delays moved by %+.2f samples so the earliest is 0",
                      -earliest);
        measured.notes.push_back(text);
    }
    const size_t n = hrtf.N;
    size_t longest = 0;
    for (size_t i = 0; i < measured.directions.size(); ++i)
    {
        MeasuredDirection& direction = measured.directions[i];
        for (unsigned receiver = 0; receiver < 2; ++receiver)
        {
            const long delay = std::lround(delays[2 * i + receiver] - earliest);
            std::vector<double>& taps = receiver == leftReceiver ? direction.left : direction.right;
            taps.assign(static_cast<size_t>(delay), 0.0);
            const float* source = hrtf.DataIR.values + (i * 2 + receiver) * n;
            taps.insert(taps.end(), source, source + n);
            longest = std::max(longest, taps.size());
        }
    }
    for (MeasuredDirection& direction : measured.directions)
    {
        direction.left.resize(longest, 0.0);
        direction.right.resize(longest, 0.0);
    }
    return true;
}

// The library's part, run in a child process: the file's bytes are the child's copy.
bool LoadWithLibrary(const std::vector<uint8_t>& bytes, const std::string& name,
                     MeasuredHrir& measured, std::string& why, SofaProblem& problem)
{
    problem = SofaProblem::Unsuitable;
    int error = MYSOFA_OK;
    SofaHandle hrtf(
        mysofa_load_data(reinterpret_cast<const char*>(bytes.data()), bytes.size(), &error));
    if (!hrtf || error != MYSOFA_OK)
    {
        why = "cannot read " + name + " as SOFA: " + SofaErrorName(error);
        problem =
            error == MYSOFA_UNSUPPORTED_FORMAT ? SofaProblem::Unsuitable : SofaProblem::Damaged;
        return false;
    }
    error = mysofa_check(hrtf.get());
    if (error != MYSOFA_OK)
    {
        why = name + ": " + SofaErrorName(error);
        return false;
    }

    // SOFA's axes: x to the front, y to the left, z up. The receiver on the positive y side is
    // the left ear, whatever its index.
    double y0 = 0.0;
    if (!ReceiverY(*hrtf, 0, y0) || y0 == 0.0)
    {
        why = name + ": the receiver positions do not tell the left ear from the right";
        return false;
    }
    const unsigned leftReceiver = y0 > 0.0 ? 0 : 1;
    if (leftReceiver == 1)
    {
        measured.notes.push_back(
            "receiver 1 is the left ear (positive y): ears taken in that order");
    }

    if (hrtf->DataSamplingRate.elements != 1 || hrtf->DataSamplingRate.values == nullptr)
    {
        why = name + ": one sample rate is needed";
        return false;
    }
    const double measuredRate = hrtf->DataSamplingRate.values[0];
    if (!(measuredRate >= 8000.0 && measuredRate <= 384000.0))
    {
        why = name + ": sample rate " + std::to_string(measuredRate) + " Hz is implausible";
        return false;
    }
    const size_t m = hrtf->M;
    if (m == 0 || hrtf->R != 2 || hrtf->N == 0 || hrtf->DataIR.values == nullptr ||
        hrtf->DataIR.elements != m * 2 * hrtf->N || hrtf->SourcePosition.elements != 3 * m ||
        hrtf->SourcePosition.values == nullptr)
    {
        why = name + ": the sizes of the responses and positions do not match";
        return false;
    }
    std::vector<double> delays;
    if (!ReadDelays(*hrtf, kSampleRate / measuredRate, delays, why))
    {
        why = name + ": " + why;
        return false;
    }
    if (measuredRate != kSampleRate)
    {
        error = mysofa_resample(hrtf.get(), static_cast<float>(kSampleRate));
        if (error != MYSOFA_OK || hrtf->DataIR.elements != m * 2 * hrtf->N)
        {
            why = name + ": resampling to 44.1 kHz failed: " + SofaErrorName(error);
            return false;
        }
        measured.notes.push_back(
            "resampled from " + std::to_string(static_cast<int>(measuredRate)) + " Hz to 44100 Hz");
    }

    mysofa_tospherical(hrtf.get()); // after reading the receivers: it converts them too
    measured.directions.resize(m);
    for (size_t i = 0; i < m; ++i)
    {
        MeasuredDirection& direction = measured.directions[i];
        direction.azimuth = hrtf->SourcePosition.values[3 * i];
        direction.elevation = hrtf->SourcePosition.values[3 * i + 1];
        direction.distance = hrtf->SourcePosition.values[3 * i + 2];
    }
    if (!PlaceResponses(*hrtf, leftReceiver, delays, measured, why))
    {
        why = name + ": " + why;
        return false;
    }
    return true;
}

// What the child hands back: its answer, its words and, when it read the file, the
// measurements. Read back with every size checked against what is left.
std::vector<uint8_t> PackLoad(bool ok, const MeasuredHrir& measured, const std::string& why,
                              SofaProblem problem)
{
    std::vector<uint8_t> out;
    const auto appendText = [&out](const std::string& text) {
        AppendU32(out, static_cast<uint32_t>(text.size()));
        AppendBytes(out, text.data(), text.size());
    };
    const auto appendTaps = [&out](const std::vector<double>& taps) {
        AppendU32(out, static_cast<uint32_t>(taps.size()));
        for (double tap : taps)
        {
            AppendF64(out, tap);
        }
    };
    AppendU32(out, ok ? 1 : 0);
    AppendU32(out, static_cast<uint32_t>(problem));
    appendText(why);
    AppendU32(out, static_cast<uint32_t>(measured.notes.size()));
    for (const std::string& note : measured.notes)
    {
        appendText(note);
    }
    AppendU32(out, static_cast<uint32_t>(measured.directions.size()));
    for (const MeasuredDirection& d : measured.directions)
    {
        AppendF64(out, d.azimuth);
        AppendF64(out, d.elevation);
        AppendF64(out, d.distance);
        appendTaps(d.left);
        appendTaps(d.right);
    }
    return out;
}

bool UnpackLoad(const std::vector<uint8_t>& bytes, MeasuredHrir& measured, std::string& why,
                SofaProblem& problem)
{
    ByteReader in = MakeByteReader(bytes);
    const auto readText = [&in](std::string& text) {
        const uint32_t size = ReadU32(in);
        if (!in.ok || size > RemainingBytes(in))
        {
            in.ok = false;
            return;
        }
        text.assign(reinterpret_cast<const char*>(in.data + in.pos), size);
        SkipBytes(in, size);
    };
    const auto readTaps = [&in](std::vector<double>& taps) {
        const uint32_t count = ReadU32(in);
        if (!in.ok || count > RemainingBytes(in) / 8)
        {
            in.ok = false;
            return;
        }
        taps.resize(count);
        for (double& tap : taps)
        {
            tap = ReadF64(in);
        }
    };
    const bool ok = ReadU32(in) == 1;
    problem = static_cast<SofaProblem>(ReadU32(in));
    readText(why);
    measured.notes.resize(std::min<size_t>(ReadU32(in), RemainingBytes(in) / 4));
    for (std::string& note : measured.notes)
    {
        readText(note);
    }
    measured.directions.resize(std::min<size_t>(ReadU32(in), RemainingBytes(in) / 32));
    for (MeasuredDirection& d : measured.directions)
    {
        d.azimuth = ReadF64(in);
        d.elevation = ReadF64(in);
        d.distance = ReadF64(in);
        readTaps(d.left);
        readTaps(d.right);
    }
    return in.ok && RemainingBytes(in) == 0 && ok;
}

bool ReadSofaIsolated(const std::filesystem::path& path, int limitMs, MeasuredHrir& measured,
                      std::string& why, SofaProblem& problem)
{
    measured = MeasuredHrir{};
    std::vector<uint8_t> bytes;
    problem = SofaProblem::Unreadable;
    const std::string name = EscapeControls(path.string());
    switch (ReadWholeFile(path, bytes, kMaxSofaFileBytes))
    {
    case FileReadResult::Ok:
        break;
    case FileReadResult::NotRegular:
        why = name + " is a folder, pipe or device, not a file";
        return false;
    case FileReadResult::TooLarge:
        why = name + " is larger than " + std::to_string(kMaxSofaFileBytes) + " bytes";
        return false;
    case FileReadResult::NotOpened:
    case FileReadResult::ReadError:
        why = "cannot read " + name;
        return false;
    }
    std::string said;
    problem = CheckSofaSuperblock(bytes.data(), bytes.size(), said);
    if (problem != SofaProblem::None)
    {
        why = name + ": " + said;
        return false;
    }
    // libmysofa crashes or loops on some damaged files: it reads them in a child process that
    // may take a few seconds and a few GB, and whose end is only an answer.
    const ChildResult child = RunInChild(
        [&] {
            MeasuredHrir loaded;
            std::string words;
            SofaProblem kind = SofaProblem::None;
            const bool ok = LoadWithLibrary(bytes, name, loaded, words, kind);
            return PackLoad(ok, loaded, words, kind);
        },
        limitMs, kLoadMemoryBytes);
    switch (child.outcome)
    {
    case ChildOutcome::Finished:
        break;
    case ChildOutcome::Crashed:
        problem = SofaProblem::Damaged;
        why = name + " is damaged: reading it crashed libmysofa" +
              (child.signal != 0 ? " (signal " + std::to_string(child.signal) + ")" : "");
        return false;
    case ChildOutcome::TimedOut:
    {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%g", limitMs / 1000.0);
        problem = SofaProblem::Damaged;
        why = name + " is damaged: libmysofa did not finish reading it within " + seconds + " s";
        return false;
    }
    case ChildOutcome::NotRun:
        problem = SofaProblem::Unreadable;
        why = "cannot start a process to read " + name;
        return false;
    }
    if (!UnpackLoad(child.output, measured, why, problem))
    {
        if (why.empty() || problem == SofaProblem::None)
        {
            problem = SofaProblem::Damaged;
            why = name + " is damaged: reading it gave no answer";
        }
        measured = MeasuredHrir{};
        return false;
    }
    return true;
}

} // namespace

bool ReadSofaMeasurements(const std::filesystem::path& path, MeasuredHrir& measured,
                          std::string& why, SofaProblem* problemOut, int limitMs)
{
    SofaProblem problem = SofaProblem::Unreadable;
    const bool read = ReadSofaIsolated(path, limitMs, measured, why, problem);
    if (problemOut != nullptr)
    {
        *problemOut = read ? SofaProblem::None : problem;
    }
    return read;
}

bool ConvertSofaToHrirSet(const std::filesystem::path& path, const HrirConversionOptions& options,
                          HrirSet& set, HrirConversionSummary& summary, std::string& why,
                          SofaProblem* problem)
{
    MeasuredHrir measured;
    if (!ReadSofaMeasurements(path, measured, why, problem, options.loadLimitMs))
    {
        return false;
    }
    if (!BuildHrirSetFromMeasurements(measured, options, set, summary, why))
    {
        if (problem != nullptr)
        {
            *problem = SofaProblem::Unsuitable;
        }
        return false;
    }
    return true;
}

} // namespace yumo
