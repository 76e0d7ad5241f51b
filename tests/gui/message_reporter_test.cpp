// The core's messages reach the user as message boxes from the event loop, in order, one at a
// time, never inside the call that reported them.

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "gui/texts/message_reporter.h"
#include "gui/window_fixture.h"

namespace yumo::test
{
namespace
{

// Reports another message while the first box is open, as a block refill during a modal box
// would.
class NestingPrompts final : public UserPrompts
{
public:
    void ShowMessage(QWidget*, const QString& caption, const QString& text,
                     MessageKind kind) override
    {
        shown.push_back(caption + QLatin1Char('|') + text);
        kinds.push_back(kind);
        if (reporter != nullptr && shown.size() == 1)
        {
            reporter->Report({"二つ目", "", MessageKind::Warning, {}, {}});
            QCoreApplication::processEvents(); // the box's own event loop
            EXPECT_EQ(shown.size(), 1u) << "a second box opened over the first";
        }
    }
    Answer AskYesNoCancel(QWidget*, const QString&, const QString&) override
    {
        return Answer::Cancel;
    }
    bool AskYesNo(QWidget*, const QString&, const QString&) override { return false; }
    QString ChooseFile(QWidget*, FileChooserKind, const QString&) override { return {}; }

    MessageReporter* reporter = nullptr;
    std::vector<QString> shown;
    std::vector<MessageKind> kinds;
};

TEST(MessageReporter, ShowsFromTheEventLoopInOrderOneBoxAtATime)
{
    NestingPrompts prompts;
    MessageReporter reporter(prompts);
    prompts.reporter = &reporter;
    reporter.Report({"一つ目", "オーディオエラー", MessageKind::Error, {}, {}});
    EXPECT_TRUE(prompts.shown.empty()); // not inside the reporting call
    QCoreApplication::processEvents();
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0], QStringLiteral("オーディオエラー|一つ目"));
    EXPECT_EQ(prompts.shown[1], QStringLiteral("Yumo|二つ目")); // no caption: the program's name
    EXPECT_EQ(prompts.kinds[1], MessageKind::Warning);
    EXPECT_EQ(reporter.WaitingCount(), 0u);

    // At start-up, before the event loop runs, waiting messages can be shown at once.
    prompts.reporter = nullptr;
    reporter.Report({"応答セットがありません", "Yumoオープンエラー", MessageKind::Error, {}, {}});
    reporter.ShowWaitingMessages();
    EXPECT_EQ(prompts.shown.size(), 3u);
}

} // namespace
} // namespace yumo::test
