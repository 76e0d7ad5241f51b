#include "tools/hrir/position_path.h"

#include <sstream>

#include "common/text_numbers.h"

namespace yumo
{
namespace
{

// Reads the three numbers of one line; false with `why` set when it does not hold exactly them.
bool ParsePathLine(const std::string& line, PathPosition& position, std::string& why)
{
    std::istringstream in(line);
    double* fields[] = {&position.azimuth, &position.elevation, &position.distance};
    const char* names[] = {"azimuth", "elevation", "distance"};
    for (int i = 0; i < 3; ++i)
    {
        std::string item;
        TextNumberStatus status = ReadTextDouble(in, *fields[i], item);
        if (status == TextNumberStatus::End)
        {
            why = std::string("the ") + names[i] +
                  " is missing (a line holds azimuth, elevation and distance)";
            return false;
        }
        if (status != TextNumberStatus::Ok)
        {
            why = std::string("the ") + names[i] + " " +
                  DescribeTextNumberProblem(status, item, false);
            return false;
        }
    }
    double extra = 0.0;
    std::string item;
    if (ReadTextDouble(in, extra, item) != TextNumberStatus::End)
    {
        why = "holds " + QuoteTextItem(item) + " after the distance (three numbers per line)";
        return false;
    }
    if (position.distance < 0.0)
    {
        std::ostringstream message;
        message << "the distance " << position.distance << " is negative";
        why = message.str();
        return false;
    }
    return true;
}

} // namespace

bool ParsePositionPath(const std::string& text, std::vector<PathPosition>& positions,
                       std::string& why)
{
    std::vector<PathPosition> parsed;
    size_t lineNumber = 0;
    size_t begin = 0;
    while (begin < text.size())
    {
        size_t end = text.find('\n', begin);
        if (end == std::string::npos)
        {
            end = text.size();
        }
        std::string line = text.substr(begin, end - begin);
        begin = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#')
        {
            continue;
        }
        if (parsed.size() == kMaxPathPositions)
        {
            why = "more than " + std::to_string(kMaxPathPositions) + " positions";
            return false;
        }
        PathPosition position;
        std::string problem;
        if (!ParsePathLine(line, position, problem))
        {
            why = "line " + std::to_string(lineNumber) + ": " + problem;
            return false;
        }
        parsed.push_back(position);
    }
    if (parsed.empty())
    {
        why = "no position: each line holds azimuth, elevation and distance";
        return false;
    }
    positions = std::move(parsed);
    return true;
}

} // namespace yumo
