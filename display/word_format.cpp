#include "display/word_format.h"

#include <cstddef>
#include <cstdio>

namespace yumo
{

namespace
{

struct Directive
{
    std::string flags;
    int width = -1;     // -1: none
    int precision = -1; // -1: none
    char conversion = 0;
    size_t length = 0; // characters from '%' to the conversion, both included
};

// Reads up to two digits; a third digit makes the directive one we do not understand.
bool ReadSmallNumber(std::string_view text, size_t& at, int& value)
{
    value = 0;
    int digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9')
    {
        if (++digits > 2)
        {
            return false;
        }
        value = value * 10 + (text[at] - '0');
        ++at;
    }
    return true;
}

// Parses the directive that starts at format[start] == '%'. False when it is not one of ours.
bool ParseDirective(std::string_view format, size_t start, Directive& directive)
{
    size_t at = start + 1;
    while (at < format.size() &&
           std::string_view("-+ 0").find(format[at]) != std::string_view::npos)
    {
        directive.flags += format[at++];
    }
    if (at < format.size() && format[at] >= '0' && format[at] <= '9')
    {
        if (!ReadSmallNumber(format, at, directive.width))
        {
            return false;
        }
    }
    if (at < format.size() && format[at] == '.')
    {
        ++at;
        if (!ReadSmallNumber(format, at, directive.precision))
        {
            return false;
        }
    }
    if (at < format.size() && format[at] == 'l')
    {
        ++at;
    }
    if (at >= format.size())
    {
        return false;
    }
    directive.conversion = format[at];
    directive.length = at - start + 1;
    return directive.conversion == 'd' || directive.conversion == 'f' ||
           directive.conversion == 's';
}

size_t CountCodePoints(std::string_view text)
{
    size_t count = 0;
    for (char c : text)
    {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

// The first `count` code points of `text`.
std::string_view FirstCodePoints(std::string_view text, size_t count)
{
    size_t seen = 0;
    for (size_t i = 0; i < text.size(); ++i)
    {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && seen++ == count)
        {
            return text.substr(0, i);
        }
    }
    return text;
}

void AppendText(std::string& out, const Directive& directive, std::string_view text)
{
    if (directive.precision >= 0)
    {
        text = FirstCodePoints(text, static_cast<size_t>(directive.precision));
    }
    const size_t points = CountCodePoints(text);
    const size_t pad = directive.width > 0 && points < static_cast<size_t>(directive.width)
                           ? static_cast<size_t>(directive.width) - points
                           : 0;
    const bool left = directive.flags.find('-') != std::string::npos;
    if (!left)
    {
        out.append(pad, ' ');
    }
    out += text;
    if (left)
    {
        out.append(pad, ' ');
    }
}

// The argument through snprintf, with a directive rebuilt from parts we checked.
template <typename Value>
void AppendNumber(std::string& out, const Directive& directive, const char* conversion, Value value)
{
    std::string format = "%" + directive.flags;
    if (directive.width >= 0)
    {
        format += std::to_string(directive.width);
    }
    if (directive.precision >= 0)
    {
        format += "." + std::to_string(directive.precision);
    }
    format += conversion;
    const int size = std::snprintf(nullptr, 0, format.c_str(), value);
    if (size <= 0)
    {
        return;
    }
    const size_t before = out.size();
    out.resize(before + static_cast<size_t>(size) + 1);
    std::snprintf(out.data() + before, static_cast<size_t>(size) + 1, format.c_str(), value);
    out.resize(before + static_cast<size_t>(size));
}

void AppendArgument(std::string& out, const Directive& directive, const WordArg& arg)
{
    switch (arg.kind)
    {
    case WordArg::kInteger:
        AppendNumber(out, directive, "lld", arg.integer);
        break;
    case WordArg::kReal:
        AppendNumber(out, directive, "f", arg.real);
        break;
    case WordArg::kText:
        AppendText(out, directive, arg.text);
        break;
    }
}

} // namespace

std::string FormatWords(std::string_view format, std::initializer_list<WordArg> args)
{
    std::string out;
    out.reserve(format.size() + 16);
    const WordArg* next = args.begin();
    size_t at = 0;
    while (at < format.size())
    {
        const size_t percent = format.find('%', at);
        if (percent == std::string_view::npos)
        {
            out += format.substr(at);
            break;
        }
        out += format.substr(at, percent - at);
        if (percent + 1 < format.size() && format[percent + 1] == '%')
        {
            out += '%';
            at = percent + 2;
            continue;
        }
        Directive directive;
        if (!ParseDirective(format, percent, directive) || next == args.end())
        {
            // Not ours, or nothing left to show: the '%' stays as text and reading goes on.
            out += '%';
            at = percent + 1;
            continue;
        }
        AppendArgument(out, directive, *next++);
        at = percent + directive.length;
    }
    return out;
}

} // namespace yumo
