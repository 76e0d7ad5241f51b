#include <QIcon>
#include <QImage>
#include <QString>

#include "gui/panes/status_panes.h"

// Q_INIT_RESOURCE declares its function where it is used: it must be the global namespace.
static void RegisterCompiledResources() { Q_INIT_RESOURCE(yumo_gui); }

namespace yumo
{

namespace
{

constexpr int kIconSize = 32; // each icon of a strip
constexpr int kIconsPerStrip = 8;

QImage LoadStrip(const char* name)
{
    QImage strip(QStringLiteral(":/yumo/%1.png").arg(QLatin1String(name)));
    return strip.convertToFormat(QImage::Format_RGB32);
}

} // namespace

void InitGuiResources()
{
    // Static libraries do not register their resources by themselves; once is enough.
    static const bool registered = (RegisterCompiledResources(), true);
    (void)registered;
}

PlayBarStrips LoadPlayBarStrips()
{
    InitGuiResources();
    return {LoadStrip("pbbar"), LoadStrip("pbbaron"), LoadStrip("pbbarp")};
}

void PaintPlayButton(QPainter& painter, const PlayBarStrips& strips, int slot, int slotState)
{
    if (slot < 0 || slot >= kIconsPerStrip)
    {
        return;
    }
    const QImage& strip =
        slotState == 1 ? strips.raised : (slotState == 2 ? strips.pressed : strips.normal);
    painter.drawImage(QPoint(0, 0), strip, QRect(kIconSize * slot, 0, kIconSize, kIconSize));
}

QIcon YumoIcon()
{
    InitGuiResources();
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
    {
        icon.addFile(QStringLiteral(":/yumo/yumo_icon_%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

} // namespace yumo
