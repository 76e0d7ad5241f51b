// yumo: the sleep companion's window.
//   yumo [--lang en|ja]

#include <cstdio>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QFile>
#include <QSettings>

#include "gui/desktop/single_instance.h"
#include "gui/desktop_session.h"
#include "gui/startup.h"

namespace
{

constexpr char kVersion[] = "1.01";

struct Options
{
    std::optional<yumo::Language> language;
};

// Read before the window system is reached, so --help and --version work without a display.
// False when the program should end now with `status`.
bool ParseOptions(int argc, char** argv, Options& options, int& status)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
    {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Yumo, a sleep companion for headphones."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and end."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     QStringLiteral("Show the version and end."));
    const QCommandLineOption lang(QStringLiteral("lang"),
                                  QStringLiteral("Show the interface in English (en) or "
                                                 "Japanese (ja) this time."),
                                  QStringLiteral("en|ja"));
    parser.addOptions({help, version, lang});
    if (!parser.parse(arguments))
    {
        std::fprintf(stderr, "yumo: %s\n", qPrintable(parser.errorText()));
        status = 2;
        return false;
    }
    if (parser.isSet(help))
    {
        // Without an application object yet, Qt cannot name the program in its usage line.
        QString text = parser.helpText();
        text.replace(QStringLiteral("<executable_name>"), QStringLiteral("yumo"));
        std::printf("%s", qPrintable(text));
        status = 0;
        return false;
    }
    if (parser.isSet(version))
    {
        std::printf("yumo %s\n", kVersion);
        status = 0;
        return false;
    }
    if (parser.isSet(lang))
    {
        options.language = yumo::ParseLanguage(parser.value(lang));
        if (!options.language)
        {
            std::fprintf(stderr, "yumo: --lang takes en or ja, not '%s'\n",
                         qPrintable(parser.value(lang)));
            status = 2;
            return false;
        }
    }
    return true;
}

// A settings file that cannot be read is put aside (yumo.conf.damaged) and the defaults used.
yumo::SavedSettings ReadSavedSettings(const QString& path)
{
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError && QFile::exists(path))
    {
        const QString aside = path + QStringLiteral(".damaged");
        QFile::remove(aside);
        QFile::rename(path, aside);
        return {};
    }
    return yumo::ReadSettings(file);
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    int status = 0;
    if (!ParseOptions(argc, argv, options, status))
    {
        return status;
    }
    // Under X11 the panes repaint small areas up to 25 times a second. Through shared memory
    // each repaint first waits for the X server to finish reading the last one (a round trip
    // through Qt's event thread); sent with the request, it need not. The user's choice stands.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
    {
        qputenv("QT_XCB_NO_MITSHM", "1");
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("yumo"));
    QApplication::setApplicationVersion(QLatin1String(kVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.yumo.Yumo"));

    yumo::SingleInstance instance(QDBusConnection::sessionBus());
    if (instance.Claim() == yumo::InstanceRole::Another)
    {
        if (!instance.AskToRaise(10000))
        {
            std::fprintf(stderr, "yumo: another Yumo is running but did not answer\n");
        }
        return 0;
    }

    const QString settingsPath = yumo::SettingsFilePath();
    yumo::SavedSettings saved = ReadSavedSettings(settingsPath);
    const yumo::Language remembered = saved.language;
    if (options.language)
    {
        saved.language = *options.language;
    }
    yumo::Program program;
    if (!yumo::StartProgram(application, program, saved))
    {
        return 1;
    }
    saved.language = remembered; // --lang is for this run; the menu's choice is kept
    yumo::DesktopSession desktop(
        {*program.state, *program.window, *program.language, *program.reporter}, saved,
        settingsPath, {QDBusConnection::sessionBus(), QDBusConnection::systemBus()});
    QObject::connect(program.output.get(), &yumo::SoundOutput::ServerAwayChanged, &desktop,
                     &yumo::DesktopSession::SetSoundAway);
    desktop.SetSoundAway(program.output->ServerAway());
    QObject::connect(&instance, &yumo::SingleInstance::RaiseRequested, &desktop,
                     &yumo::DesktopSession::RaiseWindow);
    program.window->show();
    return QApplication::exec();
}
