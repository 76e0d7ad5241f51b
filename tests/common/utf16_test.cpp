#include <array>
#include <gtest/gtest.h>
#include <string>
#include <utility>

#include "common/utf16.h"

namespace yumo
{
namespace
{

TEST(Utf16, ConvertsJapaneseAndSupplementaryCharactersBothWays)
{
    const std::string text = "ゆも 名無しさん …はっ \xF0\x9F\x98\xB4"; // U+1F634 needs a pair
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"ゆも 名無しさん …はっ \U0001F634");
    EXPECT_EQ(wide.size(), 15u);
    EXPECT_EQ(Utf16ToUtf8(wide), text);
}

TEST(Utf16, ReplacesEachMalformedUtf8SequenceAndResynchronises)
{
    // A stray continuation byte, an overlong '/', an encoded surrogate, a value above
    // U+10FFFF, and a three-byte sequence cut short by an ASCII letter.
    EXPECT_EQ(Utf8ToUtf16("a\x80z"), u"a\uFFFDz");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xE3\x81x"), u"\uFFFDx");
    EXPECT_EQ(Utf8ToUtf16("\xE3\x81"), u"\uFFFD"); // truncated at the end of the input
}

TEST(Utf16, ReplacesUnpairedSurrogatesWhenGoingBackToUtf8)
{
    const std::u16string lone = {u'a', char16_t(0xD800), u'b', char16_t(0xDC00)};
    EXPECT_EQ(Utf16ToUtf8(lone), "a\xEF\xBF\xBD"
                                 "b\xEF\xBF\xBD");
}

TEST(Utf16Field, StoresAtMostCapacityLessOneUnitsAndTerminates)
{
    std::array<char16_t, 8> field;
    field.fill(u'#');
    EXPECT_EQ(StoreUtf16Field(u"abc", field.data(), field.size()), 3u);
    EXPECT_EQ(TerminatedUtf16(field.data(), field.size()), u"abc");
    for (size_t i = 3; i < field.size(); ++i)
    {
        EXPECT_EQ(field[i], u'\0') << i; // stale units after the terminator are cleared
    }

    EXPECT_EQ(StoreUtf16Field(u"0123456789", field.data(), field.size()), 7u);
    EXPECT_EQ(TerminatedUtf16(field.data(), field.size()), u"0123456");
    EXPECT_EQ(field[7], u'\0');

    // A pair that would straddle the limit is left out whole.
    EXPECT_EQ(StoreUtf16Field(u"012345\U0001F634", field.data(), field.size()), 6u);
    EXPECT_EQ(TerminatedUtf16(field.data(), field.size()), u"012345");
}

TEST(Utf16Field, ReadsAFieldWithoutTerminatorOnlyUpToItsCapacity)
{
    const std::array<char16_t, 4> full = {u'w', u'x', u'y', u'z'};
    EXPECT_EQ(TerminatedUtf16(full.data(), full.size()), u"wxyz");
}

// Outside text echoed to a terminal or a window: control characters (an ESC sequence, CR, DEL,
// a C1 control) and bytes that are no UTF-8 are shown as codes; Japanese and the rest stay.
TEST(EscapeControls, ShowsControlsAndBadBytesAsCodesAndKeepsTheRest)
{
    const std::pair<std::string, std::string> cases[] = {
        {"plain/path.png", "plain/path.png"},
        {"a\rb\x1b[2Jc\x7f", "a\\x0Db\\x1B[2Jc\\x7F"},
        {"夢\xC2\x9B"
         "31m",
         "夢\\u{9B}31m"},
        {"\xFF\xC3(", "\\xFF\\xC3("},
        {"\xEF\xBF\xBD", "\xEF\xBF\xBD"},
        {std::string("nul\0end", 7), "nul\\x00end"},
    };
    for (const auto& [text, shown] : cases)
    {
        EXPECT_EQ(EscapeControls(text), shown);
        EXPECT_EQ(EscapeControls(EscapeControls(text)), shown);
    }
}

} // namespace
} // namespace yumo
