// The strict reader of whitespace-separated numbers shared by the text tables.

#include <gtest/gtest.h>
#include <sstream>

#include "common/text_numbers.h"

namespace yumo
{
namespace
{

TEST(TextNumbers, IntegersAreWholeItemsOnly)
{
    std::istringstream in(" 12\t-7\r\n+3 2147483647 -2147483648 40.0 ");
    int32_t value = 0;
    std::string item;
    const int32_t expected[] = {12, -7, 3, 2147483647, -2147483647 - 1};
    for (int32_t want : expected)
    {
        ASSERT_EQ(ReadTextInt32(in, value, item), TextNumberStatus::Ok) << item;
        EXPECT_EQ(value, want);
    }
    value = 99;
    EXPECT_EQ(ReadTextInt32(in, value, item), TextNumberStatus::NotNumber);
    EXPECT_EQ(item, "40.0");
    EXPECT_EQ(value, 99); // a refused item changes nothing
    EXPECT_EQ(ReadTextInt32(in, value, item), TextNumberStatus::End);
    EXPECT_EQ(ReadTextInt32(in, value, item), TextNumberStatus::End);
}

TEST(TextNumbers, IntegerRangeAndJunkAreToldApart)
{
    int32_t value = 0;
    std::string item;
    for (const char* text : {"2147483648", "-2147483649", "99999999999999999999"})
    {
        std::istringstream in(text);
        EXPECT_EQ(ReadTextInt32(in, value, item), TextNumberStatus::OutOfRange) << text;
    }
    for (const char* text : {"1e3", "0x10", "--1", "+-1", "+", "-", "12abc", "1,000"})
    {
        std::istringstream in(text);
        EXPECT_EQ(ReadTextInt32(in, value, item), TextNumberStatus::NotNumber) << text;
    }
}

TEST(TextNumbers, AnOptionValueIsReadAsStrictlyAsATableItem)
{
    double number = 42.0;
    int32_t whole = 42;
    for (const char* text :
         {" 5", "5 ", "", "0x1p3", "0x10", "nan", "inf", "-infinity", "5x", "1e999"})
    {
        EXPECT_NE(ParseTextDouble(text, number), TextNumberStatus::Ok) << text;
        EXPECT_NE(ParseTextInt32(text, whole), TextNumberStatus::Ok) << text;
    }
    EXPECT_EQ(number, 42.0); // a refused value changes nothing
    EXPECT_EQ(whole, 42);
    EXPECT_EQ(ParseTextDouble("+2.5e1", number), TextNumberStatus::Ok);
    EXPECT_EQ(number, 25.0);
    EXPECT_EQ(ParseTextInt32("-7", whole), TextNumberStatus::Ok);
    EXPECT_EQ(whole, -7);
}

TEST(TextNumbers, DoublesAcceptDecimalFormsAndRefuseTheRest)
{
    std::istringstream in("1 -0.5 .25 3. 1e-3 -2.5E+2 +7 1e-400 0.1");
    const double expected[] = {1.0, -0.5, 0.25, 3.0, 1e-3, -250.0, 7.0, 0.0, 0.1};
    double value = -1.0;
    std::string item;
    for (double want : expected)
    {
        ASSERT_EQ(ReadTextDouble(in, value, item), TextNumberStatus::Ok) << item;
        EXPECT_EQ(value, want) << item; // 1e-400 underflows harmlessly to zero
    }
    EXPECT_EQ(ReadTextDouble(in, value, item), TextNumberStatus::End);

    for (const char* text : {"nan", "inf", "-infinity", "0x1p3", "1,5", "1.5.2", "e5", "."})
    {
        std::istringstream bad(text);
        EXPECT_EQ(ReadTextDouble(bad, value, item), TextNumberStatus::NotNumber) << text;
    }
    std::istringstream huge("1e400 -1e999");
    EXPECT_EQ(ReadTextDouble(huge, value, item), TextNumberStatus::OutOfRange);
    EXPECT_EQ(ReadTextDouble(huge, value, item), TextNumberStatus::OutOfRange);
}

TEST(TextNumbers, OverlongItemsAreCutAndRefused)
{
    const std::string digits(1000, '1');
    std::istringstream in(digits + " 5");
    double value = 0.0;
    std::string item;
    EXPECT_EQ(ReadTextDouble(in, value, item), TextNumberStatus::NotNumber);
    EXPECT_EQ(item.size(), kMaxTextNumberItem);
    EXPECT_NE(QuoteTextItem(item).find("..."), std::string::npos);
}

TEST(TextNumbers, ByteOrderMarkIsSkippedOnlyWhenWhole)
{
    std::istringstream marked("\xEF\xBB\xBF"
                              "42");
    SkipUtf8ByteOrderMark(marked);
    int32_t value = 0;
    std::string item;
    EXPECT_EQ(ReadTextInt32(marked, value, item), TextNumberStatus::Ok);
    EXPECT_EQ(value, 42);

    std::istringstream partial("\xEF\xBB"
                               "42");
    SkipUtf8ByteOrderMark(partial);
    EXPECT_EQ(ReadTextInt32(partial, value, item), TextNumberStatus::NotNumber);
    EXPECT_EQ(QuoteTextItem(item), "'\\xEF\\xBB42'");
}

TEST(TextNumbers, ProblemsAreDescribedWithTheItem)
{
    EXPECT_EQ(DescribeTextNumberProblem(TextNumberStatus::End, "", true), "ends early");
    EXPECT_EQ(DescribeTextNumberProblem(TextNumberStatus::NotNumber, "4.5", true),
              "holds '4.5' where an integer is needed");
    EXPECT_EQ(DescribeTextNumberProblem(TextNumberStatus::NotNumber, "x", false),
              "holds 'x' where a finite number is needed");
}

} // namespace
} // namespace yumo
