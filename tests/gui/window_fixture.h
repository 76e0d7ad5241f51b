#pragma once
// A main window over its own AppState, an offline output device and prompts that answer as the
// test says, in a temporary working folder that holds a small voice set as ymv/Yumone.ymv.

#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

#include <QString>

#include "gui/texts/user_prompts.h"
#include "gui/window/main_window.h"
#include "night/offline_device.h"
#include "support/test_support.h"

namespace yumo::test
{

class FakePrompts final : public UserPrompts
{
public:
    void ShowMessage(QWidget* owner, const QString& caption, const QString& text,
                     MessageKind) override
    {
        messages.push_back(caption + QStringLiteral(": ") + text);
        messageOwners.push_back(owner);
        shown.push_back(messages.back());
    }
    Answer AskYesNoCancel(QWidget*, const QString&, const QString& text) override
    {
        questions.push_back(text);
        shown.push_back(text);
        Answer answer = answers.empty() ? Answer::Cancel : answers.front();
        if (!answers.empty())
        {
            answers.pop_front();
        }
        return answer;
    }
    // Answers Yes and No from the same list: Yes for Answer::Yes, No otherwise.
    bool AskYesNo(QWidget* owner, const QString& caption, const QString& text) override
    {
        return AskYesNoCancel(owner, caption, text) == Answer::Yes;
    }
    QString ChooseFile(QWidget*, FileChooserKind kind, const QString& initialName) override
    {
        chooserKinds.push_back(kind);
        offeredNames.push_back(initialName);
        QString path = files.empty() ? QString() : files.front(); // empty: cancelled
        if (!files.empty())
        {
            files.pop_front();
        }
        return path;
    }

    std::vector<QString> messages;
    std::vector<QWidget*> messageOwners;
    std::vector<QString> questions;
    std::vector<QString> shown; // messages and questions in the order they came
    std::deque<Answer> answers;
    std::vector<FileChooserKind> chooserKinds;
    std::vector<QString> offeredNames;
    std::deque<QString> files;
};

class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // A voice set with good-night, breathing and wake-up clips, written as a voice-data file.
    std::filesystem::path WriteVoiceFile(const std::string& name) const;
    std::filesystem::path WriteMusicFile(const std::string& name) const;
    // The window, shown, with the default voice data loaded as at start-up.
    void ShowWithDefaultVoice();
    void PressKey(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                  bool autoRepeat = false);
    void Drop(const QList<QUrl>& urls);
    // Until the loads read on the worker are in.
    void WaitForLoads();

    TempDir dir;
    std::filesystem::path previousDir;
    CapturingReporter reporter;
    OfflineDevice device;
    FakePrompts prompts;
    std::unique_ptr<AppState> state;
    std::unique_ptr<MainWindow> window;
};

} // namespace yumo::test
