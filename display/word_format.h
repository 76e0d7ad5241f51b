#pragma once
// printf-like formatting of the status texts whose formats come from a translation table.
// A translated format is outside data: a directive that does not match its argument, a missing
// argument or a stray '%' must never read the wrong type or run past the arguments, so each
// directive is checked against the argument it takes and formatted by that argument's kind.

#include <initializer_list>
#include <string>
#include <string_view>

namespace yumo
{

struct WordArg
{
    enum Kind
    {
        kInteger,
        kReal,
        kText,
    };
    Kind kind;
    long long integer = 0;
    double real = 0;
    std::string_view text;

    WordArg(int value) : kind(kInteger), integer(value) {}
    WordArg(double value) : kind(kReal), real(value) {}
    WordArg(std::string_view value) : kind(kText), text(value) {}
    WordArg(const std::string& value) : kind(kText), text(value) {}
    WordArg(const char* value) : kind(kText), text(value) {}
};

// Understands %d, %f (also written %lf) and %s with the flags "-+ 0", a width and a precision of
// up to two digits each, and "%%". A directive of the wrong kind for its argument formats the
// argument by its own kind (%d, %f or %s) with the directive's flags, width and precision; a
// directive without an argument left, or one it does not understand, is copied as it stands. Widths
// count code points, so "%2s" pads Japanese text as it pads Latin text.
std::string FormatWords(std::string_view format, std::initializer_list<WordArg> args);

} // namespace yumo
