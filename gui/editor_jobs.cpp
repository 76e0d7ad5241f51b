#include "gui/editor_jobs.h"

#include <utility>

#include "common/results.h"
#include "import/mp3_import.h"
#include "voices/voice_data_file.h"

namespace yumo
{

PreviewImport ImportForPreview(const std::string& path)
{
    PreviewImport job;
    CapturingReporter reporter;
    job.ok = ImportAudioByExtension(path, job.audio, job.format, reporter) > 0;
    if (!job.ok)
    {
        ReleaseImportedAudio(job.audio);
    }
    job.messages = std::move(reporter.messages);
    return job;
}

ClipImport ImportForAdd(const std::string& path)
{
    ClipImport job;
    CapturingReporter reporter;
    job.result = ImportVoiceClip(path, job.samples, reporter);
    job.messages = std::move(reporter.messages);
    return job;
}

VoiceSave SaveVoiceSetCopy(const std::string& path, std::shared_ptr<const VoiceSet> set)
{
    VoiceSave job;
    CapturingReporter reporter;
    job.ok = WriteVoiceDataFile(path, *set, reporter) == kOk;
    job.messages = std::move(reporter.messages);
    return job;
}

} // namespace yumo
