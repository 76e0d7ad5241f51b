#pragma once
// UTF-8 <-> UTF-16 for the program's wide text fields (owner names, clip paths, music paths).
// Malformed input never fails a conversion: each bad sequence becomes U+FFFD.

#include <cstddef>
#include <string>
#include <string_view>

namespace yumo
{

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Invalid UTF-8 (stray continuation bytes, overlong forms, surrogates, values above U+10FFFF,
// truncated sequences) is replaced, one U+FFFD per maximal bad subsequence.
std::u16string Utf8ToUtf16(std::string_view utf8);

// Unpaired surrogates are replaced by U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The text of a fixed field: up to the first NUL, or all `capacity` units when there is none.
std::u16string_view TerminatedUtf16(const char16_t* field, size_t capacity);

// Stores `text` in a fixed field of `capacity` units (capacity >= 1): at most capacity - 1 units,
// never splitting a surrogate pair, then a NUL and zeros to the end of the field. Returns the
// number of units stored before the NUL.
size_t StoreUtf16Field(std::u16string_view text, char16_t* field, size_t capacity);

// Outside text made safe to echo on a terminal or in a window: control characters (C0, DEL,
// C1) and bytes that are not UTF-8 become \xNN (\u{NN} for C1), a backslash stays as it is;
// everything else, Japanese included, is kept.
std::string EscapeControls(std::string_view text);

} // namespace yumo
