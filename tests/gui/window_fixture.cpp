#include "gui/window_fixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include "gui/window/client_area.h"
#include "support/night_data.h"
#include "voices/voice_data_file.h"

namespace yumo::test
{

void WindowTest::SetUp()
{
    previousDir = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::filesystem::create_directories(dir / "ymv");
    std::filesystem::copy_file(WriteVoiceFile("voice.ymv"), dir / "ymv" / "Yumone.ymv");
    state = CreateAppState(reporter);
    state->hrir = MakePassThroughHrirSet();
    window = std::make_unique<MainWindow>(*state, device, prompts);
}

void WindowTest::TearDown()
{
    window.reset();
    std::filesystem::current_path(previousDir);
}

std::filesystem::path WindowTest::WriteVoiceFile(const std::string& name) const
{
    VoiceSet set;
    EstablishBuiltInSilences(set);
    SetOwnerName(set, "テスト");
    for (int kind :
         {kKindGoodNight, kKindBreathInOut, kKindBreathIn, kKindBreathOut, kKindWakeCall})
    {
        AppendTestClip(set, kind, MakeTriangleClip(8, 8000));
    }
    const std::filesystem::path path = dir / name;
    SilentReporter silent;
    EXPECT_EQ(WriteVoiceDataFile(path.string(), set, silent), 0);
    return path;
}

std::filesystem::path WindowTest::WriteMusicFile(const std::string& name) const
{
    const std::filesystem::path path = dir / name;
    WriteBytesFile(path, MakeWavBytes(std::vector<int16_t>(4096, 1000)));
    return path;
}

void WindowTest::ShowWithDefaultVoice()
{
    window->LoadDefaultVoiceData();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(VoiceLoaded(state->phase));
}

void WindowTest::WaitForLoads()
{
    ASSERT_TRUE(QTest::qWaitFor([this] { return !window->IsLoading(); }, 20000));
}

void WindowTest::PressKey(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat)
{
    // Where the window's keyboard focus is, as the platform would deliver it.
    QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : &window->client();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(target, &release);
}

void WindowTest::Drop(const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPointF at(100, 100);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
}

} // namespace yumo::test
