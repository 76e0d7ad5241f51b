#pragma once
// The window's audio output.
//
//   std::unique_ptr<SoundOutput> output = CreateSoundOutput(reporter);
//   OpenOutputStream(state, *output); // after each voice-data load, as with any AudioDevice
//
// SoundOutput is the AudioDevice the window hands to the output stream. It plays on the sound
// card (a QAudioSink on the default output) when a sink opens, and otherwise on a real-time
// silent device, so a night still advances and the panes move; UsesSoundCard() and the
// OutputChanged signal say which. Falling back to silence is told to the user once, through
// the Reporter, and not again for every night while it stays silent.
//
// Blocks come back when they have been heard (within 12 ms: two per wake-up of the event
// loop), on the GUI thread through the event loop, never inside Write. When the sound card fails
// during a night (the server went away), the pending blocks come back at once and the next Write
// returns false, so the night ends with the core's message and the window never waits on a dead
// device. The next night (the first block written while nothing is queued) tries a new sink and
// falls back to silence if none opens; while silent, every new night tries the sound card again.
//
// Lives on the GUI thread and needs a running Qt event loop. Not to be destroyed from inside
// its own block-done notification. Qt Multimedia 6.4 connects to the sound server once, when
// first used: a server that only starts later is not found until the program restarts. The previews
// of the voice editor use a PreviewPlayer (gui/preview_player.h), an output of their own.

#include <memory>

#include <QObject>

#include "common/report.h"
#include "gui/sound/null_audio_device.h"
#include "gui/sound/sound_card_device.h"
#include "night/audio_device.h"

namespace yumo
{

class SoundOutput final : public QObject, public AudioDevice
{
    Q_OBJECT

public:
    explicit SoundOutput(Reporter& reporter, QObject* parent = nullptr);

    // True on the sound card or, failing that, on the silent device; false only when the
    // format is not 16-bit PCM with one or two channels (or the system has no timers left).
    bool Open(const PcmFormat& format, BlockDone onBlockDone) override;
    bool Write(int blockIndex, const int16_t* data, size_t byteCount) override;
    void Reset() override;
    void Close() override;

    bool UsesSoundCard() const { return active_ == &card_; }

    // Whether anybody sees what follows the notifications (the window): unwatched, both
    // devices wake less often and only keep the pace.
    void SetWatched(bool watched);

signals:
    void OutputChanged(bool soundCard);

private:
    bool UseSoundCard();
    bool FallBackToSilence();
    int PendingBlocks() const;

    Reporter& reporter_;
    SoundCardDevice card_;
    NullAudioDevice silent_;
    AudioDevice* active_ = nullptr; // card_, silent_ or nothing while closed
    PcmFormat format_;
    BlockDone onBlockDone_;
    bool toldSilent_ = false; // the user heard of the fallback since the card last worked
};

// The output the window uses for its nights; it opens nothing until the stream opens it.
std::unique_ptr<SoundOutput> CreateSoundOutput(Reporter& reporter);

} // namespace yumo
