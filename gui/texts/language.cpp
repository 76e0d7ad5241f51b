#include "gui/texts/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace yumo
{

std::optional<Language> ParseLanguage(const QString& code)
{
    if (code == QLatin1String("ja"))
    {
        return Language::Japanese;
    }
    if (code == QLatin1String("en"))
    {
        return Language::English;
    }
    return std::nullopt;
}

QString LanguageCode(Language language)
{
    return language == Language::English ? QStringLiteral("en") : QStringLiteral("ja");
}

LanguageSwitch::LanguageSwitch(QObject* parent) : QObject(parent)
{
    programLoaded_ = program_.load(QStringLiteral(":/i18n/yumo_en.qm"));
    qtJapaneseLoaded_ = qtJapanese_.load(QStringLiteral("qtbase_ja"),
                                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

LanguageSwitch::~LanguageSwitch()
{
    QCoreApplication::removeTranslator(&program_);
    QCoreApplication::removeTranslator(&qtJapanese_);
}

bool LanguageSwitch::Apply(Language language)
{
    if (installed_ && language == current_)
    {
        return true;
    }
    // Qt's own texts are English without a translator.
    QCoreApplication::removeTranslator(&program_);
    QCoreApplication::removeTranslator(&qtJapanese_);
    current_ = language;
    installed_ = true;
    if (language == Language::English)
    {
        return programLoaded_ && QCoreApplication::installTranslator(&program_);
    }
    return qtJapaneseLoaded_ && QCoreApplication::installTranslator(&qtJapanese_);
}

} // namespace yumo
