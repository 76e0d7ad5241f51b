#include "gui/texts/texts.h"

#include <array>

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "voices/voice_set.h"

namespace yumo
{
namespace
{

constexpr char kContext[] = "Yumo";
// Where the translation tools put every text the core marks with YUMO_TEXT (common/ui_text.h):
// they name the context after the namespace the text stands in.
constexpr char kCoreContext[] = "yumo";

// In the order of UiText. QT_TRANSLATE_NOOP marks each original for the translation tools.
constexpr std::array<const char*, static_cast<size_t>(UiText::Count)> kOriginals = {
    QT_TRANSLATE_NOOP("Yumo", "Yumo"),
    QT_TRANSLATE_NOOP("Yumo", "ファイル"),
    QT_TRANSLATE_NOOP("Yumo", "再生"),
    QT_TRANSLATE_NOOP("Yumo", "ヘルプ"),
    QT_TRANSLATE_NOOP("Yumo", "ボイス情報の読み込み...\tCtrl+O"),
    QT_TRANSLATE_NOOP("Yumo", "ボイス情報を閉じる"),
    QT_TRANSLATE_NOOP("Yumo", "ボイス情報の編集..."),
    QT_TRANSLATE_NOOP("Yumo", "終了\tCtrl+Q"),
    QT_TRANSLATE_NOOP("Yumo", "おやすみなさい\tEnter"),
    QT_TRANSLATE_NOOP("Yumo", "起きます\tEnter"),
    QT_TRANSLATE_NOOP("Yumo", "起こしてもらう..."),
    QT_TRANSLATE_NOOP("Yumo", "バージョン情報"),
    QT_TRANSLATE_NOOP("Yumo", "起こして"),
    QT_TRANSLATE_NOOP("Yumo", "場所交代"),
    QT_TRANSLATE_NOOP("Yumo", "BGM"),
    QT_TRANSLATE_NOOP("Yumo", "おいで"),
    QT_TRANSLATE_NOOP("Yumo", "0"),
    QT_TRANSLATE_NOOP("Yumo", "M"),
    QT_TRANSLATE_NOOP("Yumo", "Yumo Ver.1.01"),
    QT_TRANSLATE_NOOP("Yumo", "バージョン情報"),
    QT_TRANSLATE_NOOP("Yumo", "位置情報は変更されています。保存しますか？"),
    QT_TRANSLATE_NOOP("Yumo", "確認"),
    QT_TRANSLATE_NOOP("Yumo", "ボイス情報のファイルを開けません。\n%1"),
    QT_TRANSLATE_NOOP("Yumo", "ファイルオープンエラー"),
    QT_TRANSLATE_NOOP("Yumo", "ボイス情報の読み込み"),
    QT_TRANSLATE_NOOP("Yumo", "BGMファイル"),
    QT_TRANSLATE_NOOP("Yumo", "名前を付けて保存"),
    QT_TRANSLATE_NOOP("Yumo", "ボイスのファイル"),
    QT_TRANSLATE_NOOP("Yumo", "頭の形のSOFAファイル"),
    QT_TRANSLATE_NOOP("Yumo", "昨夜の様子を保存"),
    QT_TRANSLATE_NOOP("Yumo", "Yumoボイスデータ(*.ymv)"),
    QT_TRANSLATE_NOOP("Yumo", "WAVファイル(*.wav)"),
    QT_TRANSLATE_NOOP("Yumo", "MP3ファイル(*.mp3)"),
    QT_TRANSLATE_NOOP("Yumo", "FLAC・Ogg・Opusファイル(*.flac;*.ogg;*.opus)"),
    QT_TRANSLATE_NOOP("Yumo", "すべてのファイル(*.*)"),
    QT_TRANSLATE_NOOP("Yumo", "Yumo位置データ(*.ypos)"),
    QT_TRANSLATE_NOOP("Yumo", "起こして"),
    QT_TRANSLATE_NOOP("Yumo", "いつ起こしてほしいですか？"),
    QT_TRANSLATE_NOOP("Yumo", "(いつも時間通りに起こしてもらえるとは限りません)"),
    QT_TRANSLATE_NOOP("Yumo", "時"),
    QT_TRANSLATE_NOOP("Yumo", "分"),
    QT_TRANSLATE_NOOP("Yumo", "OK"),
    QT_TRANSLATE_NOOP("Yumo", "目覚ましストップ"),
    QT_TRANSLATE_NOOP("Yumo", "キャンセル"),
    QT_TRANSLATE_NOOP("Yumo", "設定"),
    QT_TRANSLATE_NOOP("Yumo", "English"),
    QT_TRANSLATE_NOOP("Yumo", "夜の間はスリープさせない"),
    QT_TRANSLATE_NOOP("Yumo", "そのまま眠ってしまう"),
    QT_TRANSLATE_NOOP("Yumo", "タイマーなし"),
    QT_TRANSLATE_NOOP("Yumo", "%1分後"),
    QT_TRANSLATE_NOOP("Yumo", "片耳で聴く"),
    QT_TRANSLATE_NOOP("Yumo", "左右を入れ替える"),
    QT_TRANSLATE_NOOP("Yumo", "起こす声の立ち上がり"),
    QT_TRANSLATE_NOOP("Yumo", "すぐに"),
    QT_TRANSLATE_NOOP("Yumo", "%1秒"),
    QT_TRANSLATE_NOOP("Yumo", "-15分"),
    QT_TRANSLATE_NOOP("Yumo", "+15分"),
    QT_TRANSLATE_NOOP("Yumo", "ボイス編集"),
    QT_TRANSLATE_NOOP("Yumo", "ボイス追加"),
    QT_TRANSLATE_NOOP("Yumo", "選択..."),
    QT_TRANSLATE_NOOP("Yumo", "プレビュー"),
    QT_TRANSLATE_NOOP("Yumo", "追加"),
    QT_TRANSLATE_NOOP("Yumo", "ボイスの持ち主"),
    QT_TRANSLATE_NOOP("Yumo", "新規ボイス作成…"),
    QT_TRANSLATE_NOOP("Yumo", "保存..."),
    QT_TRANSLATE_NOOP("Yumo", "キャンセル"),
    QT_TRANSLATE_NOOP("Yumo", "%1/%2"),
    QT_TRANSLATE_NOOP("Yumo", "元の音量のまま追加"),
    QT_TRANSLATE_NOOP("Yumo", "読み込み中…"),
    QT_TRANSLATE_NOOP("Yumo", "ファイルを開けません。\n%1"),
    QT_TRANSLATE_NOOP("Yumo", "名無しさん"),
    QT_TRANSLATE_NOOP("Yumo", "現在開いているボイスデータは閉じられます。続行しますか？"),
    QT_TRANSLATE_NOOP("Yumo", "新規ボイスデータ作成確認"),
    QT_TRANSLATE_NOOP("Yumo", "ボイス情報新規作成"),
    QT_TRANSLATE_NOOP("Yumo", "ボイスの持ち主の名前を入力してください"),
    QT_TRANSLATE_NOOP("Yumo", "OK"),
    QT_TRANSLATE_NOOP("Yumo", "キャンセル"),
    QT_TRANSLATE_NOOP("Yumo", "追加したボイスが保存されていません。保存せずに続行しますか？"),
    QT_TRANSLATE_NOOP("Yumo", "確認"),
    QT_TRANSLATE_NOOP("Yumo", "ボイスデータを保存できませんでした。別の場所に保存しますか？\n"
                              "「いいえ」を選ぶと、追加したボイスを保存せずに終了します。"),
    QT_TRANSLATE_NOOP("Yumo", "Yumo - 音が出ていません（サウンドサーバーを探しています）"),
    QT_TRANSLATE_NOOP("Yumo", "Yumo - 音が戻りました"),
    QT_TRANSLATE_NOOP("Yumo", "Yumo - BGMのファイルを読めなくなったので、BGMを止めました"),
    QT_TRANSLATE_NOOP("Yumo", "起きる時間です。"),
    QT_TRANSLATE_NOOP("Yumo", "起こして"),
    QT_TRANSLATE_NOOP("Yumo", "このファイルの形式はプレビューできません。"),
    QT_TRANSLATE_NOOP("Yumo", "サウンドデバイスを開けませんでした。プレビューできません。"),
    QT_TRANSLATE_NOOP("Yumo", "プレビューエラー"),
    QT_TRANSLATE_NOOP("Yumo", "このファイルは%1です。44.1kHz、16ビット、モノラルに変換して"
                              "追加しますか？"),
    QT_TRANSLATE_NOOP("Yumo", "変換の確認"),
    QT_TRANSLATE_NOOP("Yumo", "%1 kHz"),
    QT_TRANSLATE_NOOP("Yumo", "%1ビット"),
    QT_TRANSLATE_NOOP("Yumo", "%1ビット浮動小数点"),
    QT_TRANSLATE_NOOP("Yumo", "モノラル"),
    QT_TRANSLATE_NOOP("Yumo", "ステレオ"),
    QT_TRANSLATE_NOOP("Yumo", "%1チャンネル"),
    QT_TRANSLATE_NOOP("Yumo", "、"),
    QT_TRANSLATE_NOOP("Yumo", "昨夜の様子..."),
    QT_TRANSLATE_NOOP("Yumo", "昨夜の様子"),
    QT_TRANSLATE_NOOP("Yumo", "PNGで保存..."),
    QT_TRANSLATE_NOOP("Yumo", "閉じる"),
    QT_TRANSLATE_NOOP("Yumo", "昨夜の記録はありません。"),
    QT_TRANSLATE_NOOP("Yumo", "画像を保存できませんでした。\n%1"),
    QT_TRANSLATE_NOOP("Yumo", "この夜の記録は保存できませんでした（%1）。"
                              "次に開く昨夜の様子は、この夜ではありません。"),
    QT_TRANSLATE_NOOP("Yumo", "PNG画像(*.png)"),
    QT_TRANSLATE_NOOP("Yumo", "音"),
    QT_TRANSLATE_NOOP("Yumo", "浅い"),
    QT_TRANSLATE_NOOP("Yumo", "深い"),
    QT_TRANSLATE_NOOP("Yumo", "寝返り"),
    QT_TRANSLATE_NOOP("Yumo", "最初の行から夜の長さを超える%1行は描いていません"),
    QT_TRANSLATE_NOOP("Yumo", "頭の形..."),
    QT_TRANSLATE_NOOP("Yumo", "頭の形"),
    QT_TRANSLATE_NOOP("Yumo", "KEMAR (内蔵)"),
    QT_TRANSLATE_NOOP("Yumo", "追加..."),
    QT_TRANSLATE_NOOP("Yumo", "試聴"),
    QT_TRANSLATE_NOOP("Yumo", "使う"),
    QT_TRANSLATE_NOOP("Yumo", "中止"),
    QT_TRANSLATE_NOOP("Yumo", "変換中…"),
    QT_TRANSLATE_NOOP("Yumo", "SOFAファイル「%1」から頭の形を作れませんでした。\n%2"),
    QT_TRANSLATE_NOOP("Yumo", "ファイルが途中で切れています（ダウンロードが終わっていないか、"
                              "壊れています）。もう一度ダウンロードしてください。"),
    QT_TRANSLATE_NOOP("Yumo", "ファイルが壊れていて読めません。もう一度ダウンロードするか、"
                              "別のSOFAファイルを選んでください。"),
    QT_TRANSLATE_NOOP("Yumo", "SOFAファイルではありません。頭部伝達関数の測定データ（.sofa）を"
                              "選んでください。"),
    QT_TRANSLATE_NOOP("Yumo",
                      "このSOFAファイルは使えません（左右の耳の頭部伝達関数"
                      "（SimpleFreeFieldHRIR）が必要です）。別のSOFAファイルを選んでください。"),
    QT_TRANSLATE_NOOP("Yumo", "ファイルを読めません。ファイルがあり、読む権限があるかを"
                              "確かめてください。"),
    QT_TRANSLATE_NOOP("Yumo", "変換した頭の形を保存できませんでした。ホームフォルダの空きと"
                              "権限を確かめてください。"),
    QT_TRANSLATE_NOOP("Yumo", "変換が%1秒以内に終わりませんでした。ファイルが壊れているかも"
                              "しれません。別のSOFAファイルを選んでください。"),
    QT_TRANSLATE_NOOP("Yumo", "変換するプログラムを実行できませんでした。Yumoを"
                              "インストールし直してください。"),
    QT_TRANSLATE_NOOP("Yumo", "この頭の形は読めません。\n%1"),
    QT_TRANSLATE_NOOP("Yumo", "SOFAファイル(*.sofa)"),
    QT_TRANSLATE_NOOP("Yumo", "%1（使用中）"),
    QT_TRANSLATE_NOOP("Yumo", "試聴中：選んだ頭の形、次に今の頭の形"),
};

} // namespace

QString Text(UiText id)
{
    return QCoreApplication::translate(kContext, kOriginals[static_cast<size_t>(id)]);
}

QString VoiceKindText(int kind)
{
    const char* label = VoiceKindLabel(kind);
    if (label == nullptr)
    {
        return {};
    }
    return TranslateCoreText(label);
}

QString TranslateCoreText(const std::string& utf8)
{
    return QCoreApplication::translate(kCoreContext, utf8.c_str());
}

QString TranslateCoreMessage(const UserMessage& message)
{
    if (message.format.empty())
    {
        return TranslateCoreText(message.text);
    }
    std::vector<std::string> arguments;
    arguments.reserve(message.arguments.size());
    for (const std::string& argument : message.arguments)
    {
        arguments.push_back(TranslateCoreText(argument).toStdString());
    }
    return QString::fromStdString(
        FillMessageFormat(TranslateCoreText(message.format).toStdString(), arguments));
}

StatusWords TranslatedStatusWords()
{
    StatusWords words = DefaultStatusWords();
    VisitStatusWords(words, [](std::string& word) {
        word = QCoreApplication::translate(kCoreContext, word.c_str()).toStdString();
    });
    return words;
}

bool InstallQtJapanese(QApplication& application)
{
    auto* translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

} // namespace yumo
