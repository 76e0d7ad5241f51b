// English on request: every text of the window, its dialog, its panes and the core's messages
// switches while the window is open, and switches back.

#include <QAction>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QMenuBar>
#include <QPushButton>

#include "gui/panes/status_panes.h"
#include "gui/texts/language.h"
#include "gui/texts/live_texts.h"
#include "gui/window/client_area.h"
#include "gui/window/pane_widget.h"
#include "gui/window/wake_dialog.h"
#include "gui/window_fixture.h"

namespace yumo::test
{
namespace
{

bool HasJapanese(const QString& text)
{
    for (const QChar c : text)
    {
        if (c.unicode() >= 0x3000)
        {
            return true;
        }
    }
    return false;
}

QString ActionText(const MainWindow& window, const char* name)
{
    const auto* action = window.findChild<QAction*>(QLatin1String(name));
    return action != nullptr ? action->text() : QString();
}

TEST(Language, CodesOfTheCommandLineAndTheSettings)
{
    EXPECT_EQ(ParseLanguage(QStringLiteral("en")), Language::English);
    EXPECT_EQ(ParseLanguage(QStringLiteral("ja")), Language::Japanese);
    EXPECT_FALSE(ParseLanguage(QStringLiteral("EN")).has_value());
    EXPECT_FALSE(ParseLanguage(QString()).has_value());
    EXPECT_EQ(LanguageCode(Language::English), QStringLiteral("en"));
}

TEST_F(WindowTest, EnglishReachesEveryTextLiveAndJapaneseComesBack)
{
    ShowWithDefaultVoice();
    LanguageSwitch language;
    ASSERT_TRUE(language.Apply(Language::English)) << "yumo_en.qm is not in the resources";
    QCoreApplication::processEvents();

    for (int i = 0; i < static_cast<int>(UiText::Count); ++i)
    {
        EXPECT_FALSE(HasJapanese(Text(static_cast<UiText>(i))))
            << Text(static_cast<UiText>(i)).toStdString();
    }
    StatusWords words = TranslatedStatusWords();
    VisitStatusWords(words, [](std::string& word) {
        EXPECT_FALSE(HasJapanese(QString::fromStdString(word))) << word;
    });
    // What is on the screen follows without a restart.
    EXPECT_EQ(ActionText(*window, "goodNightAction"), QStringLiteral("Good Night\tEnter"));
    EXPECT_EQ(window->menuBar()->actions().first()->text(), QStringLiteral("File"));
    EXPECT_EQ(window->client().wakeButton->text(), QStringLiteral("Wake Me"));
    EXPECT_EQ(window->wakeDialog().windowTitle(), QStringLiteral("Wake Me"));
    const auto* stop = window->wakeDialog().findChild<QPushButton*>(QStringLiteral("stopButton"));
    ASSERT_NE(stop, nullptr);
    EXPECT_EQ(stop->text(), QStringLiteral("Stop Alarm"));
    EXPECT_GE(window->wakeDialog().width(), window->wakeDialog().sizeHint().width());

    // The core's messages: whole texts, and formats whose values keep their places.
    CapturingReporter core;
    ReportFormatted(core,
                    "ボイスデータファイルが壊れています。種類 %1・位置 %2 のボイスの長さ %3 "
                    "がサンプル数と合いません。",
                    {"4", "2", "99"}, "Yumoオープンエラー");
    ReportMessage(core, "オーディオデバイスを開けません。サウンドの設定を確認してください。",
                  "オーディオエラー");
    ASSERT_EQ(core.messages.size(), 2u);
    EXPECT_EQ(TranslateCoreMessage(core.messages[0]),
              QStringLiteral("The voice data file is damaged: the length 99 of voice 2 of kind 4 "
                             "does not match its samples."));
    EXPECT_EQ(TranslateCoreMessage(core.messages[1]),
              QStringLiteral("Cannot open the audio device. Check the sound settings."));
    // The Japanese text the core keeps is unchanged by the translation.
    EXPECT_EQ(core.messages[0].text, "ボイスデータファイルが壊れています。種類 4・位置 2 "
                                     "のボイスの長さ 99 がサンプル数と合いません。");

    ASSERT_TRUE(language.Apply(Language::Japanese));
    QCoreApplication::processEvents();
    EXPECT_EQ(ActionText(*window, "goodNightAction"), QStringLiteral("おやすみなさい\tEnter"));
    EXPECT_EQ(window->client().wakeButton->text(), QStringLiteral("起こして"));
    EXPECT_EQ(TranslatedStatusWords().sliderCaptions[0], "寝つき");
}

} // namespace
} // namespace yumo::test

namespace yumo::test
{
namespace
{

// In English as in Japanese the words fit where they stand: the volume readouts at any
// volume, the sleep timer's buttons with four pixels to spare on each side, menu items capitalised
// like their neighbours.
TEST_F(WindowTest, EnglishWordsFitTheirPanesAndButtons)
{
    ShowWithDefaultVoice();
    LanguageSwitch language;
    ClientArea& client = window->client();
    for (const Language shown : {Language::English, Language::Japanese})
    {
        ASSERT_TRUE(language.Apply(shown));
        QCoreApplication::processEvents();
        const StatusWords words = TranslatedStatusWords();
        for (const double tenths : {-300.0, -2.0, 0.0, 300.0})
        {
            for (const bool music : {false, true})
            {
                const QString text = QString::fromStdString(VolumeText(words, tenths, music));
                const int width = (music ? client.music : client.voice).readout->width();
                EXPECT_LE(QFontMetrics(FittedPaneFont(text, 14, width)).horizontalAdvance(text),
                          width)
                    << text.toStdString();
            }
        }
        for (const QPushButton* button : {client.timerShorter, client.timerLonger})
        {
            EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width())
                << button->text().toStdString();
        }
    }
    // Japanese keeps its designed size: it fits already.
    const QString japanese = QString::fromStdString(VolumeText(TranslatedStatusWords(), -2, true));
    EXPECT_EQ(FittedPaneFont(japanese, 14, client.music.readout->width()).pixelSize(), 14);

    ASSERT_TRUE(language.Apply(Language::English));
    for (const UiText item : {UiText::MenuSleepTimer, UiText::MenuTimerOff, UiText::MenuOneEar,
                              UiText::MenuKeepAwake, UiText::MenuWakeRamp})
    {
        EXPECT_TRUE(Text(item).front().isUpper()) << Text(item).toStdString();
    }
    ASSERT_TRUE(language.Apply(Language::Japanese));
}

} // namespace
} // namespace yumo::test
