#pragma once
// The program's one strict reader of decimal numbers: whitespace-separated items of text
// tables, and the tool's option values.
//
// An item (a run of characters between white space) is accepted only when the whole of it is
// one decimal number: "40.0" is not an integer, "1,5" is not a number, " 5" and "0x1p3" are
// not numbers, and "nan" or "inf" are refused because no table or option may hold them. A
// leading '+' is allowed. Reading never runs past the end of the stream.

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <sstream>
#include <string>
#include <string_view>

#include "common/regular_file.h"

namespace yumo
{

enum class TextNumberStatus
{
    Ok,
    End,        // nothing but white space was left
    NotNumber,  // the item is not a number of the requested kind
    OutOfRange, // a number, but too large for the requested type
};

// Items longer than this are refused unread beyond this length: no number needs more.
constexpr size_t kMaxTextNumberItem = 64;

// One item already in hand (an option's value): the whole text must be the number.
TextNumberStatus ParseTextInt32(std::string_view item, int32_t& value);
TextNumberStatus ParseTextDouble(std::string_view item, double& value);

// The next item of a stream. `item` receives the text that was read (cut at kMaxTextNumberItem),
// for messages.
TextNumberStatus ReadTextInt32(std::istream& in, int32_t& value, std::string& item);
TextNumberStatus ReadTextDouble(std::istream& in, double& value, std::string& item);

// Skips a UTF-8 byte order mark at the current position, if there is one.
void SkipUtf8ByteOrderMark(std::istream& in);

// No table the program reads needs more: 1500 directions of 128 numbers of 64 characters each
// are under 13 MB.
constexpr size_t kMaxTextTableBytes = 64u << 20;

// A text table read whole from a regular file of at most kMaxTextTableBytes, as a stream to read
// the numbers from. Ok, NotOpened, NotRegular, TooLarge or ReadError (the stream then empty).
FileReadResult OpenTextTable(const std::filesystem::path& path, std::istringstream& table);

// Words for a table that OpenTextTable did not open: "is a folder, pipe or device", ...
std::string DescribeTextTableProblem(FileReadResult result);

// "'abc'" with unprintable bytes shown as \xNN, for quoting an item in a message.
std::string QuoteTextItem(const std::string& item);

// Words for a status in a message: "ends early", "holds 'x' where a number is needed", ...
std::string DescribeTextNumberProblem(TextNumberStatus status, const std::string& item,
                                      bool wantInteger);

} // namespace yumo
