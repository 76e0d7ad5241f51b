#include "gui/editor/editor_jobs.h"

#include <algorithm>
#include <utility>

#include "common/results.h"
#include "import/mp3_import.h"
#include "import/wav_convert.h"
#include "voices/voice_data_file.h"

namespace yumo
{

PreviewImport ImportForPreview(const std::string& path)
{
    PreviewImport job;
    CapturingReporter reporter;
    if (const WavConversionCheck check = CheckWavConversionOfFile(path);
        check.verdict == WavConversion::Convertible)
    {
        std::vector<int16_t> mono;
        job.ok = ConvertWavFile(path, mono, reporter) && !mono.empty();
        if (job.ok)
        {
            job.audio = MakeImportedAudio(mono);
            job.format = Pcm16Format(1);
        }
        job.messages = std::move(reporter.messages);
        return job;
    }
    job.ok = ImportAudioByExtension(path, job.audio, job.format, reporter) > 0;
    if (!job.ok)
    {
        ReleaseImportedAudio(job.audio);
    }
    job.messages = std::move(reporter.messages);
    return job;
}

ClipImport ImportForAdd(const std::string& path, ClipLevel level)
{
    ClipImport job;
    job.level = level;
    // The conversion is offered before any refusal; a WAV it cannot read either is refused for
    // the field that stops it.
    const WavConversionCheck check = CheckWavConversionOfFile(path);
    if (check.verdict == WavConversion::Convertible)
    {
        job.convertible = true;
        job.format = check.format;
        return job;
    }
    CapturingReporter reporter;
    job.result = ImportVoiceClip(path, job.samples, reporter, level);
    if (job.result == AddClipResult::ImportFailed && check.verdict == WavConversion::Refused)
    {
        reporter.messages.clear();
        ReportWavConversionRefusal(check, reporter);
    }
    job.messages = std::move(reporter.messages);
    return job;
}

ClipImport ConvertForAdd(const std::string& path, ClipLevel level)
{
    ClipImport job;
    job.level = level;
    CapturingReporter reporter;
    job.result = ImportConvertedClip(path, job.samples, reporter, level);
    job.messages = std::move(reporter.messages);
    return job;
}

VoiceSetCopy BeginVoiceSetCopy(const VoiceSet& from)
{
    VoiceSetCopy copy;
    copy.set = std::make_shared<VoiceSet>();
    VoiceSet& to = *copy.set;
    to.ownerName = from.ownerName;
    to.clipCounts = from.clipCounts;
    to.catalog = from.catalog;
    to.tracks = from.tracks;
    return copy;
}

bool ContinueVoiceSetCopy(const VoiceSet& from, VoiceSetCopy& copy, size_t maxSamples)
{
    size_t room = maxSamples;
    for (; copy.slot < kClipSlotCount; ++copy.slot, copy.done = 0)
    {
        if (!FileStoresSlot(*copy.set, copy.slot))
        {
            continue;
        }
        const std::vector<int16_t>& source = from.samples[copy.slot];
        std::vector<int16_t>& target = copy.set->samples[copy.slot];
        if (copy.done == 0)
        {
            target.reserve(source.size());
        }
        const size_t take = std::min(room, source.size() - copy.done);
        target.insert(target.end(), source.begin() + static_cast<ptrdiff_t>(copy.done),
                      source.begin() + static_cast<ptrdiff_t>(copy.done + take));
        copy.done += take;
        room -= take;
        if (copy.done < source.size())
        {
            return false;
        }
    }
    return true;
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
