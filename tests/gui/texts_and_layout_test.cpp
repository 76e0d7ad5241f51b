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
#include "gui/window/night_picture_dialog.h"
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
    EXPECT_EQ(music->windowTitle(), QStringLiteral("BGMファイル"));
    EXPECT_EQ(music->nameFilters().size(), 4);
    EXPECT_TRUE(music->nameFilters()[2].contains(QStringLiteral("*.opus")));
    EXPECT_EQ(music->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(music->fileMode(), QFileDialog::ExistingFile);
    // "すべてのファイル(*.*)" is shown but matches names without a dot too.
    EXPECT_EQ(music->nameFilters().last(), QStringLiteral("すべてのファイル(*.*) (*)"));

    TempDir dir;
    music->setDirectory(QString::fromStdString(dir.path().string()));
    music->selectNameFilter(music->nameFilters().last());
    choosers.Remember(FileChooserKind::Music, *music);
    std::unique_ptr<QFileDialog> again = choosers.MakeDialog(FileChooserKind::Music, nullptr, {});
    EXPECT_TRUE(again->selectedNameFilter().startsWith(QStringLiteral("すべてのファイル(*.*)")));
    EXPECT_EQ(again->directory().absolutePath(), QString::fromStdString(dir.path().string()));
    // Each chooser remembers on its own.
    EXPECT_TRUE(choosers.MakeDialog(FileChooserKind::OpenVoice, nullptr, {})
                    ->selectedNameFilter()
                    .startsWith(QStringLiteral("Yumoボイスデータ(*.ymv)")));

    std::unique_ptr<QFileDialog> record =
        choosers.MakeDialog(FileChooserKind::SavePositionRecord, nullptr, {});
    EXPECT_EQ(record->windowTitle(), QStringLiteral("名前を付けて保存"));
    EXPECT_EQ(record->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(record->defaultSuffix(), QStringLiteral("ypos"));
    EXPECT_TRUE(record->nameFilters().first().contains(QStringLiteral("*.ypos")));
    EXPECT_EQ(choosers.MakeDialog(FileChooserKind::SaveVoice, nullptr, {})->defaultSuffix(),
              QStringLiteral("ymv"));
}

// Start-up makes the program's data folder the working directory: no chooser may open there.
// Every one opens in the user's data folder, the picture's save in the pictures folder, and each
// is titled for what it picks, with filters in the window's language.
TEST_F(WindowTest, EveryChooserOpensInTheUsersFoldersAndNamesWhatItPicks)
{
    const QByteArray home = qgetenv("HOME"), dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("HOME", QByteArray::fromStdString((dir / "home").string()));
    qunsetenv("XDG_DATA_HOME");
    const QString userFolder = QString::fromStdString((dir / "home/.local/share/yumo").string());
    const QString pictures = QString::fromStdString((dir / "home/Pictures").string());
    std::filesystem::create_directories(dir / "home/Pictures");
    const struct
    {
        FileChooserKind kind;
        QString title, folder, firstFilter;
    } cases[] = {
        {FileChooserKind::OpenVoice, "ボイス情報の読み込み", userFolder, "Yumoボイスデータ(*.ymv)"},
        {FileChooserKind::Music, "BGMファイル", userFolder, "WAVファイル(*.wav)"},
        {FileChooserKind::SaveVoice, "名前を付けて保存", userFolder, "Yumoボイスデータ(*.ymv)"},
        {FileChooserKind::SavePositionRecord, "名前を付けて保存", userFolder,
         "Yumo位置データ(*.ypos)"},
        {FileChooserKind::VoiceClip, "ボイスのファイル", userFolder, "WAVファイル(*.wav)"},
        {FileChooserKind::HeadSofa, "頭の形のSOFAファイル", userFolder, "SOFAファイル(*.sofa)"},
        {FileChooserKind::SavePicture, "昨夜の様子を保存", pictures, "PNG画像(*.png)"},
    };
    FileChoosers choosers;
    for (const auto& c : cases)
    {
        const std::unique_ptr<QFileDialog> dialog = choosers.MakeDialog(c.kind, nullptr, {});
        EXPECT_EQ(dialog->windowTitle(), c.title);
        EXPECT_EQ(dialog->directory().absolutePath(), c.folder) << c.title.toStdString();
        EXPECT_TRUE(dialog->nameFilters().first().startsWith(c.firstFilter))
            << c.title.toStdString();
    }
    // Without a pictures folder the picture goes to the user's folder, not the working one.
    std::filesystem::remove(dir / "home/Pictures");
    EXPECT_EQ(FileChoosers::FirstFolder(FileChooserKind::SavePicture), userFolder);

    // The night picture's save asks through these choosers, as 頭の形's 追加... does.
    NightPictureDialog picture(prompts);
    picture.ChooseAndSave();
    EXPECT_EQ(prompts.chooserKinds, std::vector<FileChooserKind>{FileChooserKind::SavePicture});
    qputenv("HOME", home);
    if (!dataHome.isEmpty())
    {
        qputenv("XDG_DATA_HOME", dataHome);
    }
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

    // The client never shrinks below the size where every control lies whole: a smaller window
    // scrolls it.
    const QSize designed = window->size();
    window->resize(60, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(client.size(), QSize(kFittingClientWidth, kFittingClientHeight));
    EXPECT_TRUE(client.character->isVisible());
    EXPECT_TRUE(client.timerLonger->isVisible());
    window->resize(designed);
    QCoreApplication::processEvents();
    EXPECT_EQ(client.size(), QSize(664, 622));

    // The background stays light grey whatever the palette of the desktop.
    const QImage face = client.grab().toImage();
    EXPECT_EQ(face.pixelColor(5, 5), QColor(240, 240, 240));
}

} // namespace
} // namespace yumo::test
