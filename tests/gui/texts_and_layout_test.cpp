// Every text of the window comes through the translation, Qt's own dialogs speak Japanese, the
// choosers are set up as specified, and the client area places its panes by the layout.

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include "gui/texts/file_choosers.h"
#include "gui/texts/texts.h"
#include "gui/window/client_area.h"
#include "gui/window/pane_widget.h"
#include "gui/window_fixture.h"

namespace yumo::test
{
namespace
{

// Marks every text it translates, so an untranslated one stands out.
class MarkingTranslator final : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        if (QLatin1String(context) != QLatin1String("Yumo") &&
            QLatin1String(context) != QLatin1String("yumo"))
        {
            return {};
        }
        return QStringLiteral("<") + QString::fromUtf8(source) + QStringLiteral(">");
    }
    bool isEmpty() const override { return false; }
};

TEST(Texts, EveryWindowTextPassesThroughTheTranslation)
{
    for (int i = 0; i < static_cast<int>(UiText::Count); ++i)
    {
        EXPECT_FALSE(Text(static_cast<UiText>(i)).isEmpty()) << i;
    }
    EXPECT_EQ(Text(UiText::SaveQuestion),
              QStringLiteral("位置情報は変更されています。保存しますか？"));
    EXPECT_EQ(Text(UiText::MenuLoadVoice), QStringLiteral("ボイス情報の読み込み...\tCtrl+O"));

    MarkingTranslator marking;
    QApplication::installTranslator(&marking);
    {
        CapturingReporter reporter;
        OfflineDevice device;
        FakePrompts prompts;
        std::unique_ptr<AppState> state = CreateAppState(reporter);
        MainWindow window(*state, device, prompts);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("<Yumo>"));
        for (QAction* action : window.menuBar()->findChildren<QAction*>())
        {
            if (!action->isSeparator() && !action->text().isEmpty())
            {
                EXPECT_TRUE(action->text().startsWith(QLatin1Char('<')))
                    << action->text().toStdString();
            }
        }
        for (QPushButton* button : window.findChildren<QPushButton*>())
        {
            EXPECT_TRUE(button->text().startsWith(QLatin1Char('<')))
                << button->text().toStdString();
        }
        EXPECT_EQ(TranslateCoreText("AM"), QStringLiteral("<AM>"));
        const StatusWords words = TranslatedStatusWords();
        EXPECT_EQ(words.sliderCaptions[0], "<寝つき>");
        EXPECT_EQ(words.depths[0].front(), '<');
    }
    QApplication::removeTranslator(&marking);
}

TEST(Texts, QtsOwnButtonsSpeakJapanese)
{
    ASSERT_TRUE(InstallQtJapanese(*qApp));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"),
              QStringLiteral("キャンセル"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("はい(&Y)"));
}

TEST(FileChoosers, CaptionsFiltersAndMemory)
{
    FileChoosers choosers;
    std::unique_ptr<QFileDialog> music = choosers.MakeDialog(FileChooserKind::Music, nullptr, {});
    EXPECT_EQ(music->windowTitle(), QStringLiteral("BGM file"));
    EXPECT_EQ(music->nameFilters().size(), 3);
    EXPECT_EQ(music->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(music->fileMode(), QFileDialog::ExistingFile);
    // "All Files(*.*)" is shown but matches names without a dot too.
    EXPECT_EQ(music->nameFilters().last(), QStringLiteral("All Files(*.*) (*)"));

    TempDir dir;
    music->setDirectory(QString::fromStdString(dir.path().string()));
    music->selectNameFilter(music->nameFilters().last());
    choosers.Remember(FileChooserKind::Music, *music);
    std::unique_ptr<QFileDialog> again = choosers.MakeDialog(FileChooserKind::Music, nullptr, {});
    EXPECT_TRUE(again->selectedNameFilter().startsWith(QStringLiteral("All Files(*.*)")));
    EXPECT_EQ(again->directory().absolutePath(), QString::fromStdString(dir.path().string()));
    // Each chooser remembers on its own.
    EXPECT_TRUE(choosers.MakeDialog(FileChooserKind::OpenVoice, nullptr, {})
                    ->selectedNameFilter()
                    .startsWith(QStringLiteral("Yumo voice data(*.ymv)")));

    std::unique_ptr<QFileDialog> record =
        choosers.MakeDialog(FileChooserKind::SavePositionRecord, nullptr, {});
    EXPECT_EQ(record->windowTitle(), QStringLiteral("名前を付けて保存"));
    EXPECT_EQ(record->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(record->defaultSuffix(), QStringLiteral("ypos"));
    EXPECT_TRUE(record->nameFilters().first().contains(QStringLiteral("*.ypos")));
    EXPECT_EQ(choosers.MakeDialog(FileChooserKind::SaveVoice, nullptr, {})->defaultSuffix(),
              QStringLiteral("ymv"));
}

TEST_F(WindowTest, ClientAreaStartsAtTheDesignSizeAndHidesPanesOfNoArea)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ClientArea& client = window->client();
    EXPECT_EQ(client.size(), QSize(664, 622));
    EXPECT_EQ(client.status->geometry(), QRect(20, 25, 265, 174));
    EXPECT_EQ(client.personality[3].slider->geometry().top(), 571);
    EXPECT_EQ(client.voice.readout->geometry(), QRect(404, 366, 85, 32));

    // At a client width of 60 the character pane has no width left.
    client.resize(60, 300);
    EXPECT_FALSE(client.character->isVisible());
    EXPECT_TRUE(client.status->isVisible());
    client.resize(664, 622);
    EXPECT_TRUE(client.character->isVisible());
    EXPECT_EQ(client.minimumSize(), QSize(50, 50));

    // The background stays light grey whatever the palette of the desktop.
    const QImage face = client.grab().toImage();
    EXPECT_EQ(face.pixelColor(5, 5), QColor(240, 240, 240));
}

} // namespace
} // namespace yumo::test
