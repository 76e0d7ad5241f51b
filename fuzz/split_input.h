#pragma once
// Cuts a fuzz input into `count` texts at its first count - 1 '|' characters; missing parts are
// empty. Lets one input feed readers that take several text tables.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

inline std::vector<std::string> SplitFuzzInput(const uint8_t* data, size_t size, size_t count)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> parts;
    size_t start = 0;
    while (parts.size() + 1 < count)
    {
        const size_t bar = input.find('|', start);
        if (bar == std::string::npos)
        {
            break;
        }
        parts.push_back(input.substr(start, bar - start));
        start = bar + 1;
    }
    parts.push_back(input.substr(start));
    parts.resize(count);
    return parts;
}
