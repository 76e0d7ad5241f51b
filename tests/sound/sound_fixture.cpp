#include "sound/sound_fixture.h"

#include <QCoreApplication>

#include "common/constants.h"

namespace yumo::test
{

void EnsureCoreApplication()
{
    if (QCoreApplication::instance() != nullptr)
    {
        return;
    }
    static int argc = 1;
    static char name[] = "yumo_sound_tests";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
}

std::chrono::nanoseconds BlocksOfTime(int blocks)
{
    return std::chrono::nanoseconds(int64_t{blocks} * kFramesPerBlock * 1000000000 / kSampleRate);
}

} // namespace yumo::test
