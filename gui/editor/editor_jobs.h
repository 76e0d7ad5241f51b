#pragma once
// The voice editor's slow work, run on a worker thread (as are the main window's loads) so that the
// window's thread keeps refilling the stream: importing a file to preview, importing and converting
// a file to add, and writing a copy of the set. Each works only on what it is given and keeps the
// messages it would show, for the editor to show when the result arrives.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent/QtConcurrentRun>

#include "common/report.h"
#include "import/pcm_audio.h"
#include "import/wav_convert.h"
#include "voices/add_clip.h"
#include "voices/voice_set.h"

namespace yumo
{

// Runs `work` on the worker threads and hands its result to `done` on the thread of `owner`;
// the result is dropped when `owner` is gone by then.
template <typename Result, typename Work, typename Done>
void RunOnWorker(QObject* owner, Work work, Done done)
{
    auto* watcher = new QFutureWatcher<Result>(owner);
    QObject::connect(watcher, &QFutureWatcherBase::finished, owner, [watcher, done] {
        watcher->deleteLater();
        done(watcher->future().takeResult());
    });
    watcher->setFuture(QtConcurrent::run(std::move(work)));
}

struct PreviewImport
{
    bool ok = false;
    ImportedAudio audio;
    PcmFormat format;
    std::vector<UserMessage> messages;
};

struct ClipImport
{
    AddClipResult result = AddClipResult::ImportFailed;
    // A WAV the import would refuse for its rate, width or samples but the conversion reads:
    // nothing was imported yet, the conversion is offered first.
    bool convertible = false;
    WavFileFormat format;                 // the convertible file's format, to describe it
    ClipLevel level = ClipLevel::Matched; // as asked when the add began, for its conversion too
    std::vector<int16_t> samples;         // the new clip, padded to whole blocks
    std::vector<UserMessage> messages;
};

struct VoiceSave
{
    bool ok = false;
    std::vector<UserMessage> messages;
};

// A copy of a set for a save, taken a slice at a time on the window's thread so that a long
// clip never holds it: the tables at once, then the samples that a voice-data file stores.
// Between two slices the set may gain clips (they land in slots the copy leaves alone) but must
// not be emptied or replaced.
struct VoiceSetCopy
{
    std::shared_ptr<VoiceSet> set;
    int slot = 0;    // the slot being copied
    size_t done = 0; // its samples copied so far
};

VoiceSetCopy BeginVoiceSetCopy(const VoiceSet& from);
// Copies at most `maxSamples` more samples; true once the copy is whole.
bool ContinueVoiceSetCopy(const VoiceSet& from, VoiceSetCopy& copy, size_t maxSamples);

// The file as imported, by its extension; a WAV the import refuses but the conversion reads is
// converted in memory (mono, 44.1 kHz, 16 bits) and played so.
PreviewImport ImportForPreview(const std::string& path);
// The file imported by its extension and converted to a clip, matched to the loudness target
// unless its level is kept.
ClipImport ImportForAdd(const std::string& path, ClipLevel level);
// The WAV at `path` converted to mono 44.1 kHz 16 bits and made a clip, matched as above.
ClipImport ConvertForAdd(const std::string& path, ClipLevel level);
// Writes `set` (a copy the caller no longer touches) to `path` through a temporary file.
VoiceSave SaveVoiceSetCopy(const std::string& path, std::shared_ptr<const VoiceSet> set);

} // namespace yumo
