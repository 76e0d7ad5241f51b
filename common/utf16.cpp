#include "common/utf16.h"

#include <algorithm>
#include <cstdio>

namespace yumo
{
namespace
{

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendCodePoint(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000)
    {
        out.push_back(static_cast<char16_t>(cp));
        return;
    }
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80)
    {
        out.push_back(static_cast<char>(cp));
    }
    else if (cp < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else if (cp < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace

std::u16string Utf8ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size())
    {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80)
        {
            out.push_back(lead);
            ++i;
            continue;
        }
        // Sequence length and the allowed range of the second byte (which excludes overlong
        // forms, surrogates and values above U+10FFFF).
        size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        char32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
        {
            length = 2;
            cp = lead & 0x1F;
        }
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            length = 3;
            cp = lead & 0x0F;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            length = 4;
            cp = lead & 0x07;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        }
        if (length == 0)
        {
            out.push_back(static_cast<char16_t>(kReplacementCharacter));
            ++i;
            continue;
        }
        size_t taken = 1;
        bool valid = true;
        while (taken < length)
        {
            if (i + taken >= utf8.size())
            {
                valid = false;
                break;
            }
            const auto next = static_cast<unsigned char>(utf8[i + taken]);
            const bool inRange = taken == 1 ? (next >= low && next <= high) : IsContinuation(next);
            if (!inRange)
            {
                valid = false;
                break;
            }
            cp = (cp << 6) | (next & 0x3F);
            ++taken;
        }
        if (!valid)
        {
            // The bytes taken so far form one maximal bad subsequence; the byte that broke
            // the sequence starts afresh.
            out.push_back(static_cast<char16_t>(kReplacementCharacter));
            i += taken;
            continue;
        }
        AppendCodePoint(out, cp);
        i += length;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16)
{
    std::string out;
    out.reserve(utf16.size() * 3);
    for (size_t i = 0; i < utf16.size(); ++i)
    {
        const char16_t unit = utf16[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF)
        {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                                (static_cast<char32_t>(utf16[i + 1]) - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        }
        else if (unit >= 0xD800 && unit <= 0xDFFF)
        {
            AppendUtf8(out, kReplacementCharacter);
        }
        else
        {
            AppendUtf8(out, unit);
        }
    }
    return out;
}

std::u16string_view TerminatedUtf16(const char16_t* field, size_t capacity)
{
    const char16_t* end = std::find(field, field + capacity, u'\0');
    return std::u16string_view(field, static_cast<size_t>(end - field));
}

size_t StoreUtf16Field(std::u16string_view text, char16_t* field, size_t capacity)
{
    if (capacity == 0)
    {
        return 0;
    }
    size_t count = std::min(text.size(), capacity - 1);
    // Cutting between the halves of a pair would leave a lone high surrogate.
    if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF)
    {
        --count;
    }
    // A NUL inside the text ends the field there.
    count = std::min(count, text.substr(0, count).find(u'\0'));
    std::copy_n(text.data(), count, field);
    std::fill(field + count, field + capacity, u'\0');
    return count;
}

std::string EscapeControls(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    const auto hex = [&out](const char* format, unsigned value) {
        char code[12];
        std::snprintf(code, sizeof code, format, value);
        out += code;
    };
    for (size_t i = 0; i < text.size();)
    {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte == 0x7F)
        {
            hex("\\x%02X", byte);
            ++i;
            continue;
        }
        if (byte < 0x80)
        {
            out.push_back(text[i++]);
            continue;
        }
        // One whole sequence when it is valid UTF-8, else its first byte escaped.
        const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        const std::string_view sequence = text.substr(i, length);
        const std::u16string decoded =
            length > 1 && sequence.size() == length ? Utf8ToUtf16(sequence) : std::u16string();
        const bool valid = !decoded.empty() &&
                           (decoded.front() != kReplacementCharacter || sequence == "\xEF\xBF\xBD");
        if (!valid)
        {
            hex("\\x%02X", byte);
            ++i;
            continue;
        }
        if (decoded.front() >= 0x80 && decoded.front() <= 0x9F)
        {
            hex("\\u{%02X}", decoded.front());
        }
        else
        {
            out.append(text.substr(i, length));
        }
        i += length;
    }
    return out;
}

} // namespace yumo
