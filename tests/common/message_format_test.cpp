// Messages with values: one pass over the format, so values are never read as directives.

#include <gtest/gtest.h>

#include "common/report.h"

namespace yumo::test
{
namespace
{

TEST(MessageFormat, FillsEachDirectiveOnceInAnyOrder)
{
    EXPECT_EQ(FillMessageFormat("voice %2 of kind %1", {"4", "2"}), "voice 2 of kind 4");
    // A value holding a directive stays as it is; "%%" is a percent sign.
    EXPECT_EQ(FillMessageFormat("%1 and %2", {"%2", "x"}), "%2 and x");
    EXPECT_EQ(FillMessageFormat("100%% of %1", {"it"}), "100% of it");
    // Directives without a value, and a lone '%' at the end, stay.
    EXPECT_EQ(FillMessageFormat("%1 %3 %", {"a"}), "a %3 %");
    EXPECT_EQ(FillMessageFormat("", {"a"}), "");

    CapturingReporter reporter;
    ReportFormatted(reporter, "種類 %1 のボイス数 %2", {"3", "11"}, "caption",
                    MessageKind::Warning);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text, "種類 3 のボイス数 11");
    EXPECT_EQ(reporter.messages[0].format, "種類 %1 のボイス数 %2");
    EXPECT_EQ(reporter.messages[0].arguments, (std::vector<std::string>{"3", "11"}));
    EXPECT_EQ(reporter.messages[0].kind, MessageKind::Warning);
}

} // namespace
} // namespace yumo::test
