#include "gui/desktop/settings_keeper.h"

#include <algorithm>

#include <QSettings>
#include <QtConcurrent/QtConcurrentRun>

#include "common/report.h"
#include "common/ui_text.h"

namespace yumo
{

// In the program's namespace, where the translation tool looks for the core's texts.
const char* const kSettingsNotWrittenText =
    YUMO_TEXT("設定を保存できません。変更はYumoを終了するまで有効です。");
const char* const kSettingsErrorCaption = YUMO_TEXT("設定エラー");

SettingsKeeper::SettingsKeeper(Writer writer, const SavedSettings& written, Reporter& reporter,
                               KeeperTimings timings, QObject* parent)
    : QObject(parent), writer_(std::move(writer)), reporter_(reporter), timings_(timings),
      wanted_(written), written_(written)
{
    timer_.setSingleShot(true);
    timer_.setInterval(timings_.quietMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        ++wakeUps_;
        Write();
    });
}

// A write under way finishes before its writer's owner goes; nobody is left to hear how it went.
SettingsKeeper::~SettingsKeeper()
{
    if (writing_)
    {
        write_.waitForFinished();
    }
}

void SettingsKeeper::Offer(const SavedSettings& settings)
{
    if (settings == wanted_)
    {
        return; // nothing new: a wait under way (or a back-off) runs on as it is
    }
    wanted_ = settings;
    if (wanted_ == written_)
    {
        timer_.stop(); // changed back before it was written
        return;
    }
    // Each change starts the quiet wait again, unless a failed write is backing off.
    if (failures_ == 0)
    {
        timer_.start(timings_.quietMs);
    }
    else if (!timer_.isActive())
    {
        timer_.start();
    }
}

void SettingsKeeper::Flush()
{
    WaitForWrite();
    if (!(wanted_ == written_))
    {
        Written(wanted_, writer_(wanted_));
    }
    timer_.stop(); // nothing waits any more, and no retry follows a failure at the end
}

// Takes the end of a write under way here and now, so its queued end is not waited for.
void SettingsKeeper::WaitForWrite()
{
    if (!writing_)
    {
        return;
    }
    write_.waitForFinished();
    ++generation_;
    Written(inFlight_, write_.result());
}

void SettingsKeeper::Write()
{
    if (writing_)
    {
        return; // its end looks again at what is wanted
    }
    writing_ = true;
    inFlight_ = wanted_;
    const int generation = generation_;
    write_ =
        QtConcurrent::run([writer = writer_, settings = inFlight_] { return writer(settings); });
    write_.then(this, [this, generation](bool ok) {
        if (generation == generation_)
        {
            Written(inFlight_, ok);
        }
    });
}

void SettingsKeeper::Written(const SavedSettings& settings, bool ok)
{
    writing_ = false;
    ++attempts_;
    if (ok)
    {
        written_ = settings;
        failures_ = 0;
        told_ = false;
        timer_.setInterval(timings_.quietMs);
        if (!(wanted_ == written_))
        {
            timer_.start(); // changed while it was written
        }
        return;
    }
    ++failures_;
    if (failures_ >= timings_.failuresBeforeMessage && !told_)
    {
        told_ = true;
        ReportMessage(reporter_, kSettingsNotWrittenText, kSettingsErrorCaption,
                      MessageKind::Warning);
    }
    // Twice the last wait, so a disk that stays full is asked less and less often.
    timer_.start(std::min(timer_.interval() * 2, timings_.longestRetryMs));
}

SettingsKeeper::Writer SettingsFileWriter(const QString& path)
{
    return [path](const SavedSettings& settings) {
        QSettings file(path, QSettings::IniFormat);
        return WriteSettings(file, settings);
    };
}

} // namespace yumo
