#include "common/text_numbers.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <istream>
#include <streambuf>

#include "common/byte_io.h"

namespace yumo
{
namespace
{

bool IsTextSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Takes the next item. False when only white space (or nothing) is left. An over-long item is
// cut; its remainder is left unread because the item is refused anyway.
bool ReadItem(std::istream& in, std::string& item, bool& tooLong)
{
    item.clear();
    tooLong = false;
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr)
    {
        return false;
    }
    int c = buffer->sgetc();
    while (c != std::char_traits<char>::eof() && IsTextSpace(c))
    {
        c = buffer->snextc();
    }
    while (c != std::char_traits<char>::eof() && !IsTextSpace(c))
    {
        if (item.size() == kMaxTextNumberItem)
        {
            tooLong = true;
            break;
        }
        item.push_back(static_cast<char>(c));
        c = buffer->snextc();
    }
    if (item.empty())
    {
        in.setstate(std::ios::eofbit);
        return false;
    }
    return true;
}

// from_chars does not take a leading '+', which tables written by other tools may carry.
const char* SkipPlus(std::string_view item)
{
    const char* first = item.data();
    if (item.size() > 1 && item[0] == '+' && item[1] != '-' && item[1] != '+')
    {
        ++first;
    }
    return first;
}

} // namespace

TextNumberStatus ParseTextInt32(std::string_view item, int32_t& value)
{
    if (item.size() > kMaxTextNumberItem)
    {
        return TextNumberStatus::NotNumber;
    }
    const char* first = SkipPlus(item);
    const char* last = item.data() + item.size();
    int32_t parsed = 0;
    auto [end, error] = std::from_chars(first, last, parsed);
    if (error == std::errc::result_out_of_range && end == last)
    {
        return TextNumberStatus::OutOfRange;
    }
    if (error != std::errc() || end != last)
    {
        return TextNumberStatus::NotNumber;
    }
    value = parsed;
    return TextNumberStatus::Ok;
}

TextNumberStatus ParseTextDouble(std::string_view item, double& value)
{
    if (item.size() > kMaxTextNumberItem)
    {
        return TextNumberStatus::NotNumber;
    }
    const char* first = SkipPlus(item);
    const char* last = item.data() + item.size();
    double parsed = 0.0;
    auto [end, error] = std::from_chars(first, last, parsed, std::chars_format::general);
    if (end != last || (error != std::errc() && error != std::errc::result_out_of_range))
    {
        return TextNumberStatus::NotNumber;
    }
    if (error == std::errc::result_out_of_range)
    {
        // Too small is a harmless zero; too large is refused. strtod tells the two apart.
        errno = 0;
        parsed = std::strtod(std::string(item).c_str(), nullptr);
        if (!std::isfinite(parsed))
        {
            return TextNumberStatus::OutOfRange;
        }
    }
    if (!std::isfinite(parsed))
    {
        return TextNumberStatus::NotNumber; // "nan", "inf"
    }
    value = parsed;
    return TextNumberStatus::Ok;
}

TextNumberStatus ReadTextInt32(std::istream& in, int32_t& value, std::string& item)
{
    bool tooLong = false;
    if (!ReadItem(in, item, tooLong))
    {
        return TextNumberStatus::End;
    }
    return tooLong ? TextNumberStatus::NotNumber : ParseTextInt32(item, value);
}

TextNumberStatus ReadTextDouble(std::istream& in, double& value, std::string& item)
{
    bool tooLong = false;
    if (!ReadItem(in, item, tooLong))
    {
        return TextNumberStatus::End;
    }
    return tooLong ? TextNumberStatus::NotNumber : ParseTextDouble(item, value);
}

void SkipUtf8ByteOrderMark(std::istream& in)
{
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr || buffer->sgetc() != 0xEF)
    {
        return;
    }
    // Only consume the mark when all three bytes are there; otherwise put back what was taken.
    static constexpr unsigned char kMark[3] = {0xEF, 0xBB, 0xBF};
    int taken = 0;
    while (taken < 3 && buffer->sgetc() == kMark[taken])
    {
        buffer->sbumpc();
        ++taken;
    }
    while (taken > 0 && taken < 3)
    {
        buffer->sungetc();
        --taken;
    }
}

std::string QuoteTextItem(const std::string& item)
{
    std::string quoted = "'";
    for (char c : item)
    {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
        {
            quoted.push_back(c);
        }
        else
        {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            quoted += hex;
        }
    }
    if (item.size() == kMaxTextNumberItem)
    {
        quoted += "...";
    }
    return quoted + "'";
}

std::string DescribeTextNumberProblem(TextNumberStatus status, const std::string& item,
                                      bool wantInteger)
{
    switch (status)
    {
    case TextNumberStatus::Ok:
        return "no problem";
    case TextNumberStatus::End:
        return "ends early";
    case TextNumberStatus::NotNumber:
        return "holds " + QuoteTextItem(item) + " where " +
               (wantInteger ? "an integer" : "a finite number") + " is needed";
    case TextNumberStatus::OutOfRange:
        return "holds " + QuoteTextItem(item) + ", which is out of range" +
               (wantInteger ? " for a 32-bit integer" : "");
    }
    return "unreadable";
}

FileReadResult OpenTextTable(const std::filesystem::path& path, std::istringstream& table)
{
    std::vector<uint8_t> bytes;
    const FileReadResult result = ReadWholeFile(path, bytes, kMaxTextTableBytes);
    table = std::istringstream(
        result == FileReadResult::Ok ? std::string(bytes.begin(), bytes.end()) : std::string());
    return result;
}

std::string DescribeTextTableProblem(FileReadResult result)
{
    switch (result)
    {
    case FileReadResult::Ok:
        return "can be read";
    case FileReadResult::NotOpened:
        return "cannot be opened";
    case FileReadResult::NotRegular:
        return "is a folder, pipe or device, not a file";
    case FileReadResult::TooLarge:
        return "is larger than " + std::to_string(kMaxTextTableBytes) + " bytes";
    case FileReadResult::ReadError:
        break;
    }
    return "cannot be read";
}

} // namespace yumo
