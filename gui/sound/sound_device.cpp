#include "gui/sound/sound_device.h"

#include "gui/texts/texts.h"

namespace yumo
{

SoundOutput::SoundOutput(Reporter& reporter, QObject* parent) : QObject(parent), reporter_(reporter)
{
}

bool SoundOutput::Open(const PcmFormat& format, BlockDone onBlockDone)
{
    Close();
    format_ = format;
    onBlockDone_ = std::move(onBlockDone);
    return UseSoundCard() || FallBackToSilence();
}

bool SoundOutput::Write(int blockIndex, const int16_t* data, size_t byteCount)
{
    if (active_ == nullptr)
    {
        return false;
    }
    // A block written while nothing is queued starts a new run (a night): the moment to leave
    // the silent device, or a failed sink, for a new sink.
    if (PendingBlocks() == 0)
    {
        if (active_ == &silent_)
        {
            UseSoundCard();
        }
        else if (card_.HasFailed() && !UseSoundCard())
        {
            FallBackToSilence();
        }
    }
    return active_ != nullptr && active_->Write(blockIndex, data, byteCount);
}

void SoundOutput::Reset()
{
    if (active_ != nullptr)
    {
        active_->Reset();
    }
}

void SoundOutput::SetWatched(bool watched)
{
    card_.SetWatched(watched);
    silent_.SetWatched(watched);
}

void SoundOutput::Close()
{
    card_.Close();
    silent_.Close();
    active_ = nullptr;
}

bool SoundOutput::UseSoundCard()
{
    if (!card_.Open(format_, onBlockDone_))
    {
        return false;
    }
    silent_.Close();
    const bool changed = active_ != &card_;
    active_ = &card_;
    toldSilent_ = false;
    if (changed)
    {
        emit OutputChanged(true);
    }
    return true;
}

bool SoundOutput::FallBackToSilence()
{
    card_.Close();
    if (!silent_.Open(format_, onBlockDone_))
    {
        active_ = nullptr;
        return false;
    }
    const bool changed = active_ != &silent_;
    active_ = &silent_;
    if (!toldSilent_)
    {
        toldSilent_ = true;
        ReportMessage(reporter_, Text(UiText::SoundSilentFallback).toStdString(),
                      Text(UiText::SoundDeviceErrorCaption).toStdString(), MessageKind::Warning);
    }
    if (changed)
    {
        emit OutputChanged(false);
    }
    return true;
}

int SoundOutput::PendingBlocks() const
{
    if (active_ == &card_)
    {
        return card_.PendingBlocks();
    }
    return active_ == &silent_ ? silent_.PendingBlocks() : 0;
}

std::unique_ptr<SoundOutput> CreateSoundOutput(Reporter& reporter)
{
    return std::make_unique<SoundOutput>(reporter);
}

} // namespace yumo
