// The response-set file (".bir"): reading, writing and the byte image between them.
//
// Little-endian throughout; no magic number, version or checksum. R rows, c[r] directions in
// row r, N = c[0] + ... + c[R-1], T = 128 taps per response:
//
//   offset            size     content
//   0                 4        leading value (int32, carried, never interpreted)
//   4                 4        R (int32, 1-20)
//   8                 4R       c[0] ... c[R-1] (int32, 1-75 each)
//   8+4R              4N       azimuth of each direction (int32 degrees), row by row
//   8+4R+4N           8N       per direction: elevation (int32), tap count (int32) - pairs
//   8+4R+12N          8NT      left responses (double), direction by direction
//   8+4R+12N+8NT      8NT      right responses, same order
//
// The file is exactly 8 + 4R + 12N + 16NT bytes; anything after the right responses is refused.

#include <algorithm>
#include <memory>

#include "audio/hrir_set.h"
#include "common/atomic_file.h"
#include "common/byte_io.h"

namespace yumo
{
namespace
{

constexpr size_t kResponseBytes = sizeof(double) * kHrirTapCount;

std::string Shortfall(const char* what, size_t needed, size_t have)
{
    return "file ends inside the " + std::string(what) + ": needs " + std::to_string(needed) +
           " more bytes, has " + std::to_string(have);
}

void ReadResponse(ByteReader& reader, std::vector<double>& taps)
{
    taps.resize(kHrirTapCount);
    for (double& tap : taps)
    {
        tap = ReadF64(reader);
    }
}

} // namespace

HrirFileStatus ReadHrirSetFile(const std::filesystem::path& path, HrirSet& set, std::string& why)
{
    std::vector<uint8_t> bytes;
    switch (ReadWholeFile(path, bytes, kMaxHrirFileBytes))
    {
    case FileReadResult::Ok:
        break;
    case FileReadResult::TooLarge:
        why = "file is larger than the " + std::to_string(kMaxHrirFileBytes) +
              " bytes of the largest possible set";
        return HrirFileStatus::Damaged;
    case FileReadResult::NotRegular:
        why = path.string() + " is a folder, pipe or device, not a file";
        return HrirFileStatus::Damaged;
    case FileReadResult::NotOpened:
    case FileReadResult::ReadError:
        why = "cannot read " + path.string();
        return HrirFileStatus::NotOpened;
    }
    return ParseHrirSetFile(bytes, set, why) ? HrirFileStatus::Ok : HrirFileStatus::Damaged;
}

bool ParseHrirSetFile(const std::vector<uint8_t>& bytes, HrirSet& set, std::string& why)
{
    if (bytes.size() > kMaxHrirFileBytes)
    {
        why = "file is " + std::to_string(bytes.size()) + " bytes, more than the " +
              std::to_string(kMaxHrirFileBytes) + " of the largest possible set";
        return false;
    }
    ByteReader reader = MakeByteReader(bytes);
    if (RemainingBytes(reader) < 8)
    {
        why = "file is " + std::to_string(bytes.size()) + " bytes, shorter than its 8-byte header";
        return false;
    }
    auto parsed = std::make_unique<HrirSet>();
    parsed->leadingValue = ReadI32(reader);
    parsed->rowCount = ReadI32(reader);
    if (parsed->rowCount < 1 || parsed->rowCount > kMaxHrirRows)
    {
        why = "row count " + std::to_string(parsed->rowCount) + " is outside 1-" +
              std::to_string(kMaxHrirRows);
        return false;
    }
    const size_t rows = static_cast<size_t>(parsed->rowCount);
    if (RemainingBytes(reader) < 4 * rows)
    {
        why = Shortfall("direction counts", 4 * rows, RemainingBytes(reader));
        return false;
    }
    size_t directions = 0;
    parsed->directionsPerRow.resize(rows);
    for (size_t row = 0; row < rows; ++row)
    {
        const int32_t count = ReadI32(reader);
        if (count < 1 || count > kMaxHrirDirectionsPerRow)
        {
            why = "row " + std::to_string(row) + " direction count " + std::to_string(count) +
                  " is outside 1-" + std::to_string(kMaxHrirDirectionsPerRow);
            return false;
        }
        parsed->directionsPerRow[row] = count;
        directions += static_cast<size_t>(count);
    }
    if (RemainingBytes(reader) < 12 * directions)
    {
        why = Shortfall("azimuths and elevations", 12 * directions, RemainingBytes(reader));
        return false;
    }
    for (size_t row = 0; row < rows; ++row)
    {
        for (int column = 0; column < parsed->directionsPerRow[row]; ++column)
        {
            parsed->directions[row][column].azimuth = ReadI32(reader);
        }
    }
    for (size_t row = 0; row < rows; ++row)
    {
        for (int column = 0; column < parsed->directionsPerRow[row]; ++column)
        {
            HrirDirection& direction = parsed->directions[row][column];
            direction.elevation = ReadI32(reader);
            direction.tapCount = ReadI32(reader);
            if (direction.tapCount != kHrirTapCount)
            {
                why = "row " + std::to_string(row) + " direction " + std::to_string(column) +
                      " tap count " + std::to_string(direction.tapCount) + " is not " +
                      std::to_string(kHrirTapCount) + ", the length the renderer reads";
                return false;
            }
        }
    }
    // Every tap count is now known to be 128, so the exact size of the rest is known.
    const size_t responseBytes = 2 * kResponseBytes * directions;
    if (RemainingBytes(reader) < responseBytes)
    {
        why = Shortfall("responses", responseBytes, RemainingBytes(reader));
        return false;
    }
    if (RemainingBytes(reader) > responseBytes)
    {
        const size_t extra = RemainingBytes(reader) - responseBytes;
        why = std::to_string(extra) + (extra == 1 ? " byte follows" : " bytes follow") +
              " the right responses";
        return false;
    }
    for (int ear = 0; ear < 2; ++ear)
    {
        for (size_t row = 0; row < rows; ++row)
        {
            for (int column = 0; column < parsed->directionsPerRow[row]; ++column)
            {
                HrirDirection& direction = parsed->directions[row][column];
                ReadResponse(reader, ear == 0 ? direction.left : direction.right);
            }
        }
    }
    if (!reader.ok || !CheckHrirSet(*parsed, why))
    {
        if (!reader.ok)
        {
            why = "file ends early";
        }
        return false;
    }
    set = std::move(*parsed);
    return true;
}

std::vector<uint8_t> SerializeHrirSet(const HrirSet& set)
{
    // Counts are clamped to the table so that even an unchecked set is never read out of bounds.
    std::vector<uint8_t> out;
    const int rows = std::min(static_cast<int>(set.directionsPerRow.size()), kMaxHrirRows);
    auto columns = [&](int row) {
        return std::clamp(set.directionsPerRow[row], 0, kMaxHrirDirectionsPerRow);
    };
    auto forEachDirection = [&](auto&& visit) {
        for (int row = 0; row < rows; ++row)
        {
            for (int column = 0; column < columns(row); ++column)
            {
                visit(set.directions[row][column]);
            }
        }
    };
    // Written exactly tapCount values per response, padding with zeros, so the image always
    // agrees with its own tap counts.
    auto appendResponse = [&](const std::vector<double>& taps, int32_t tapCount) {
        for (int32_t k = 0; k < tapCount; ++k)
        {
            AppendF64(out, static_cast<size_t>(k) < taps.size() ? taps[k] : 0.0);
        }
    };
    AppendI32(out, set.leadingValue);
    AppendI32(out, rows);
    for (int row = 0; row < rows; ++row)
    {
        AppendI32(out, columns(row));
    }
    forEachDirection([&](const HrirDirection& d) { AppendI32(out, d.azimuth); });
    forEachDirection([&](const HrirDirection& d) {
        AppendI32(out, d.elevation);
        AppendI32(out, d.tapCount);
    });
    forEachDirection([&](const HrirDirection& d) { appendResponse(d.left, d.tapCount); });
    forEachDirection([&](const HrirDirection& d) { appendResponse(d.right, d.tapCount); });
    return out;
}

bool WriteHrirSetFile(const HrirSet& set, const std::filesystem::path& path)
{
    std::string why;
    if (!CheckHrirSet(set, why))
    {
        return false;
    }
    return WriteFileAtomically(path, SerializeHrirSet(set));
}

} // namespace yumo
