#pragma once
// The interface language. Japanese, the language the texts are written in, is the default;
// English comes from the translation yumo_en.qm built from translations/yumo_en.ts and carried
// in the program's resources. Switching installs one set of translators in place of the other,
// so every open window receives Qt's LanguageChange and shows its texts again.

#include <optional>

#include <QObject>
#include <QString>
#include <QTranslator>

class QCoreApplication;

namespace yumo
{

enum class Language
{
    Japanese,
    English,
};

// "ja" or "en" (as given to --lang and kept in the settings); nothing for anything else.
std::optional<Language> ParseLanguage(const QString& code);
QString LanguageCode(Language language);

class LanguageSwitch final : public QObject
{
    Q_OBJECT

public:
    explicit LanguageSwitch(QObject* parent = nullptr);
    ~LanguageSwitch() override;

    // Installs the translators of `language` (and removes the other language's). False when a
    // translation file was not found; the texts then stay as they are written.
    bool Apply(Language language);
    Language current() const { return current_; }

private:
    QTranslator program_;    // yumo_en: the program's own texts in English
    QTranslator qtJapanese_; // qtbase_ja: Qt's own buttons (はい, キャンセル) in Japanese
    bool programLoaded_ = false;
    bool qtJapaneseLoaded_ = false;
    bool installed_ = false;
    Language current_ = Language::Japanese;
};

} // namespace yumo
