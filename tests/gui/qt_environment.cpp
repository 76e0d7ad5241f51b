// The one QApplication of the widget tests (offscreen), made before the first test and
// destroyed after the last, before the program's static objects go: a QApplication left to
// static destruction outlives Qt's own registry of input devices and crashes on the way out.

#include <gtest/gtest.h>
#include <memory>

#include <QApplication>

namespace
{

class QtEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override { application_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { application_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "yumo_gui_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> application_;
};

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace
