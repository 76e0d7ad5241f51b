// The response set from its four text tables: elevations (with the leading value), azimuths,
// left and right responses, all whitespace-separated decimal numbers in direction order.
//
// Row boundaries are found twice - where the elevation changes and where the azimuth stops
// rising - and the two must agree. Reading stops at the first problem; nothing is read past
// the numbers the directions need, and the set is only replaced when everything was sound.

#include <istream>
#include <memory>

#include "audio/hrir_set.h"
#include "common/text_numbers.h"

namespace yumo
{
namespace
{

constexpr int kZenithElevation = 90;

std::string RowName(int row) { return "row " + std::to_string(row); }

bool ReadElevations(std::istream& in, HrirSet& set, std::string& why)
{
    std::string item;
    TextNumberStatus status = ReadTextInt32(in, set.leadingValue, item);
    if (status != TextNumberStatus::Ok)
    {
        why = "IR_elev.txt leading value: " + DescribeTextNumberProblem(status, item, true);
        return false;
    }
    int32_t elevation = 0;
    int directions = 0;
    int row = 0;
    int column = 0;
    set.directionsPerRow.clear();
    for (;;)
    {
        status = ReadTextInt32(in, elevation, item);
        if (status == TextNumberStatus::End)
        {
            why = "IR_elev.txt ends after " + std::to_string(directions) +
                  " elevations without reaching the zenith (90 or more)";
            return false;
        }
        if (status != TextNumberStatus::Ok)
        {
            why = "IR_elev.txt elevation " + std::to_string(directions) + ": " +
                  DescribeTextNumberProblem(status, item, true);
            return false;
        }
        if (directions > 0 && elevation == set.directions[row][0].elevation)
        {
            ++column;
            if (column >= kMaxHrirDirectionsPerRow)
            {
                why = "IR_elev.txt " + RowName(row) + " (elevation " + std::to_string(elevation) +
                      ") has more than " + std::to_string(kMaxHrirDirectionsPerRow) + " directions";
                return false;
            }
        }
        else if (directions > 0)
        {
            ++row;
            column = 0;
            if (row >= kMaxHrirRows)
            {
                why = "IR_elev.txt has more than " + std::to_string(kMaxHrirRows) +
                      " rows (elevation " + std::to_string(elevation) + " would open row " +
                      std::to_string(row + 1) + ")";
                return false;
            }
        }
        if (column == 0)
        {
            set.directionsPerRow.push_back(0);
        }
        HrirDirection& direction = set.directions[row][column];
        direction.elevation = elevation;
        direction.tapCount = kHrirTapCount;
        ++set.directionsPerRow[row];
        ++directions;
        if (column == 0 && elevation >= kZenithElevation)
        {
            break; // the zenith row has one direction; what follows is ignored
        }
    }
    set.rowCount = row + 1;
    return true;
}

bool ReadAzimuths(std::istream& in, HrirSet& set, std::string& why)
{
    std::string item;
    int32_t value = 0;
    auto readValue = [&](const std::string& where) {
        TextNumberStatus status = ReadTextInt32(in, value, item);
        if (status != TextNumberStatus::Ok)
        {
            why = "IR_azim.txt " + where + ": " + DescribeTextNumberProblem(status, item, true);
            return false;
        }
        return true;
    };
    if (!readValue("first azimuth"))
    {
        return false;
    }
    set.directions[0][0].azimuth = value;
    // Every row below the zenith takes values while they rise; the first that does not rise
    // opens the next row. The zenith takes just the value that ended the row before it.
    for (int row = 0; row + 1 < set.rowCount; ++row)
    {
        const int expected = set.directionsPerRow[row];
        int taken = 1;
        for (;;)
        {
            if (!readValue(RowName(row) + " azimuth " + std::to_string(taken)))
            {
                return false;
            }
            const int32_t previous = set.directions[row][taken - 1].azimuth;
            if (value <= previous)
            {
                break;
            }
            if (taken == expected)
            {
                why = "IR_elev.txt and IR_azim.txt disagree on " + RowName(row) + ": " +
                      std::to_string(expected) + " elevations, but the azimuths keep rising (" +
                      std::to_string(previous) + " then " + std::to_string(value) + ")";
                return false;
            }
            set.directions[row][taken].azimuth = value;
            ++taken;
        }
        if (taken != expected)
        {
            why = "IR_elev.txt and IR_azim.txt disagree on " + RowName(row) + ": " +
                  std::to_string(expected) + " elevations, but the azimuths fall after " +
                  std::to_string(taken) + " (" + std::to_string(value) + " follows " +
                  std::to_string(set.directions[row][taken - 1].azimuth) + ")";
            return false;
        }
        set.directions[row + 1][0].azimuth = value;
    }
    return true;
}

bool ReadResponses(std::istream& in, const char* file, HrirSet& set, bool left, std::string& why)
{
    std::string item;
    int index = 0;
    for (int row = 0; row < set.rowCount; ++row)
    {
        for (int column = 0; column < set.directionsPerRow[row]; ++column, ++index)
        {
            HrirDirection& direction = set.directions[row][column];
            std::vector<double>& taps = left ? direction.left : direction.right;
            taps.assign(kHrirTapCount, 0.0);
            for (int k = 0; k < kHrirTapCount; ++k)
            {
                TextNumberStatus status = ReadTextDouble(in, taps[k], item);
                if (status != TextNumberStatus::Ok)
                {
                    why = std::string(file) + " direction " + std::to_string(index) + " (" +
                          RowName(row) + ", column " + std::to_string(column) + ") tap " +
                          std::to_string(k) + ": " + DescribeTextNumberProblem(status, item, false);
                    return false;
                }
            }
        }
    }
    return true;
}

// A table that holds more than its directions need was made for another layout (another tap
// count, other directions); reading it as it stands would pair responses with wrong directions.
bool CheckNothingFollows(std::istream& in, const char* file, const std::string& need,
                         std::string& why)
{
    std::string item;
    double ignored = 0.0;
    if (ReadTextDouble(in, ignored, item) == TextNumberStatus::End)
    {
        return true;
    }
    why = std::string(file) + " holds more than the " + need +
          " the directions need (next: " + QuoteTextItem(item) + ")";
    return false;
}

} // namespace

bool ImportHrirText(std::istream& elevations, std::istream& azimuths, std::istream& lefts,
                    std::istream& rights, HrirSet& set, std::string& why)
{
    for (std::istream* in : {&elevations, &azimuths, &lefts, &rights})
    {
        SkipUtf8ByteOrderMark(*in);
    }
    auto imported = std::make_unique<HrirSet>();
    if (!ReadElevations(elevations, *imported, why) || !ReadAzimuths(azimuths, *imported, why))
    {
        return false;
    }
    int directions = 0;
    for (int count : imported->directionsPerRow)
    {
        directions += count;
    }
    const std::string azimuthNeed = std::to_string(directions) + " azimuths";
    const std::string tapNeed =
        std::to_string(directions) + " x " + std::to_string(kHrirTapCount) + " taps";
    if (!CheckNothingFollows(azimuths, "IR_azim.txt", azimuthNeed, why) ||
        !ReadResponses(lefts, "IR_L.txt", *imported, true, why) ||
        !CheckNothingFollows(lefts, "IR_L.txt", tapNeed, why) ||
        !ReadResponses(rights, "IR_R.txt", *imported, false, why) ||
        !CheckNothingFollows(rights, "IR_R.txt", tapNeed, why) || !CheckHrirSet(*imported, why))
    {
        return false;
    }
    set = std::move(*imported);
    return true;
}

} // namespace yumo
