#include "gui/test_application.h"

#include <gtest/gtest.h>
#include <memory>

#include <QApplication>
#include <QTemporaryDir>

namespace yumo::test
{
namespace
{

class QtEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        // A night's log is kept in the state folder: the tests' nights never reach the user's.
        qputenv("XDG_STATE_HOME", state_.path().toLocal8Bit());
        application_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "yumo_gui_tests";
    char* argv_[2] = {name_, nullptr};
    QTemporaryDir state_;
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

void EnsureTestApplication() { ASSERT_NE(QCoreApplication::instance(), nullptr); }

} // namespace yumo::test
