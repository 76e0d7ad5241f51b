#pragma once
// The voice editor's preview: plays one imported sound once, as imported (mono or stereo,
// 16-bit, at its own rate), on a sound output of its own (its own stream on the server), so a
// preview never disturbs a night. It can be stopped at once and tells when the whole sound has
// been heard. When no sound server is there, the user is told once (again only after a preview
// has been heard since).
//
//   PreviewPlayer preview(reporter);
//   connect(&preview, &PreviewPlayer::Finished, editor, ...);
//   preview.Play(std::move(scratchAudio), scratchFormat); ... preview.Stop();

#include <memory>

#include <QObject>

#include "common/report.h"
#include "gui/sound/sound_device.h"
#include "import/pcm_audio.h"

namespace yumo
{

// What the voice editor needs of a preview; its widget tests put one that plays nothing here.
class PreviewOutput
{
public:
    virtual ~PreviewOutput() = default;
    // Stops any preview, then plays `audio` from its start; the output keeps the samples until
    // the preview ends or stops. False when nothing started.
    virtual bool Play(ImportedAudio audio, const PcmFormat& format) = 0;
    // Silences at once, then frees the samples.
    virtual void Stop() = 0;
    virtual bool IsPlaying() const = 0;
};

class PreviewPlayer final : public QObject, public PreviewOutput
{
    Q_OBJECT

public:
    // Without a link, a libpulse one.
    explicit PreviewPlayer(Reporter& reporter, std::unique_ptr<ServerLink> link = nullptr,
                           QObject* parent = nullptr);
    // Closes the output before the samples it reads go.
    ~PreviewPlayer() override;

    // False also when there is nothing to play (no whole frame), the format is not 16-bit PCM
    // with one or two channels, or no sound server is there.
    bool Play(ImportedAudio audio, const PcmFormat& format) override;
    // No Finished follows.
    void Stop() override;
    bool IsPlaying() const override { return playing_; }

signals:
    // The whole sound has been heard (or the output failed on the way).
    void Finished();

private:
    void OnHeard();
    void TellMissing();

    Reporter& reporter_;
    SoundOutput device_;
    ImportedAudio audio_;
    bool playing_ = false;
    bool toldMissing_ = false;
};

} // namespace yumo
