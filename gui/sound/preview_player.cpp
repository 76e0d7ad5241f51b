#include "gui/sound/preview_player.h"

#include <algorithm>
#include <utility>

#include "gui/texts/texts.h"
#include "night/byte_clock.h"

namespace yumo
{

PreviewPlayer::PreviewPlayer(Reporter& reporter, std::unique_ptr<ServerLink> link, QObject* parent)
    : QObject(parent), reporter_(reporter), device_(std::move(link))
{
    device_.SetStreamName(Text(UiText::EditorPreview).toStdString());
    // A server found missing while a preview plays: it goes on in silence, and the user hears
    // why once.
    connect(&device_, &SoundOutput::ServerAwayChanged, this, [this](bool away) {
        if (away && playing_)
        {
            TellMissing();
        }
    });
}

PreviewPlayer::~PreviewPlayer() { Stop(); }

bool PreviewPlayer::Play(ImportedAudio audio, const PcmFormat& format)
{
    Stop();
    if (!IsPlayableFormat(format))
    {
        ReportMessage(reporter_, Text(UiText::PreviewFormatRefused).toStdString(),
                      Text(UiText::PreviewErrorCaption).toStdString());
        return false;
    }
    audio_ = std::move(audio);
    const size_t length =
        std::min(audio_.buffer.size(), static_cast<size_t>(std::max(audio_.byteLength, 0)));
    const size_t wholeFrames = length - length % format.blockAlign;
    if (wholeFrames == 0)
    {
        audio_ = ImportedAudio{};
        return false;
    }
    // Without a server the preview passes in silence; the server is looked for again by
    // every preview.
    if (!device_.Open(format, [this](int) { OnHeard(); }))
    {
        audio_ = ImportedAudio{};
        return false;
    }
    if (device_.ServerAway())
    {
        TellMissing();
    }
    // The device reads the bytes as they play; they stay in audio_ until the preview ends.
    if (!device_.Write(0, reinterpret_cast<const int16_t*>(audio_.buffer.data()), wholeFrames))
    {
        Stop();
        return false;
    }
    playing_ = true;
    return true;
}

void PreviewPlayer::Stop()
{
    device_.Close();
    playing_ = false;
    audio_ = ImportedAudio{};
}

void PreviewPlayer::TellMissing()
{
    if (!toldMissing_)
    {
        toldMissing_ = true;
        ReportMessage(reporter_, Text(UiText::PreviewNoDevice).toStdString(),
                      Text(UiText::PreviewErrorCaption).toStdString(), MessageKind::Warning);
    }
}

void PreviewPlayer::OnHeard()
{
    if (device_.OnServer())
    {
        toldMissing_ = false;
    }
    Stop();
    // Told from the event loop, not from inside the device's notification, so that a receiver
    // may delete the player or play the next preview at once.
    QMetaObject::invokeMethod(this, &PreviewPlayer::Finished, Qt::QueuedConnection);
}

} // namespace yumo
