// Draws the window's artwork and writes it as PNG files into the folder given as argument:
//   pbbar.png, pbbaron.png, pbbarp.png  play-bar strips, 256 x 32: eight 32 x 32 icons
//       (skip to start, rewind, play, pause, stop, fast forward, skip to end, repeat),
//       greyed / black on raised buttons / black on pressed buttons
//   yumo_icon_<size>.png                the program's icon, a crescent moon over a pillow
//   yumo_icon.svg                       the same icon, scalable (the desktop's icon theme)
// Usage: yumo-artwork gui/resources   (the files are committed; run this after a change)

#include <cstdio>

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRadialGradient>
#include <QString>
#include <QSvgGenerator>

namespace
{

constexpr int kIcon = 32;
constexpr int kIcons = 8;

enum class Face
{
    Greyed,
    Raised,
    Pressed,
};

QPolygonF Triangle(QPointF a, QPointF b, QPointF c) { return QPolygonF({a, b, c}); }

// One play-bar glyph in a 32 x 32 cell, in `colour`.
void DrawGlyph(QPainter& painter, int index, const QColor& colour)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    switch (index)
    {
    case 0: // skip to start: bar and left triangle
        painter.drawRect(QRectF(9, 10, 2.5, 12));
        painter.drawPolygon(Triangle({22, 10}, {22, 22}, {12, 16}));
        break;
    case 1: // rewind: two left triangles
        painter.drawPolygon(Triangle({16, 10}, {16, 22}, {7, 16}));
        painter.drawPolygon(Triangle({25, 10}, {25, 22}, {16, 16}));
        break;
    case 2: // play
        painter.drawPolygon(Triangle({11, 9}, {11, 23}, {23, 16}));
        break;
    case 3: // pause
        painter.drawRect(QRectF(10, 10, 4, 12));
        painter.drawRect(QRectF(18, 10, 4, 12));
        break;
    case 4: // stop
        painter.drawRect(QRectF(10, 10, 12, 12));
        break;
    case 5: // fast forward
        painter.drawPolygon(Triangle({7, 10}, {7, 22}, {16, 16}));
        painter.drawPolygon(Triangle({16, 10}, {16, 22}, {25, 16}));
        break;
    case 6: // skip to end
        painter.drawPolygon(Triangle({10, 10}, {10, 22}, {20, 16}));
        painter.drawRect(QRectF(20.5, 10, 2.5, 12));
        break;
    case 7: // repeat: an open circle with an arrow head
    {
        QPen pen(colour, 2.4);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(9.5, 9.5, 13, 13), 100 * 16, 290 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour);
        painter.drawPolygon(Triangle({13, 6.5}, {19, 10}, {13, 13.5}));
        break;
    }
    default:
        break;
    }
}

void DrawFace(QPainter& painter, QRect cell, Face face)
{
    const QColor light(255, 255, 255);
    const QColor shadow(128, 128, 128);
    const QColor dark(64, 64, 64);
    switch (face)
    {
    case Face::Greyed:
        painter.fillRect(cell, QColor(240, 240, 240));
        break;
    case Face::Raised:
    {
        QLinearGradient gradient(cell.topLeft(), cell.bottomLeft());
        gradient.setColorAt(0, QColor(250, 250, 250));
        gradient.setColorAt(1, QColor(216, 216, 216));
        painter.fillRect(cell, gradient);
        painter.fillRect(cell.left(), cell.top(), cell.width(), 1, light);
        painter.fillRect(cell.left(), cell.top(), 1, cell.height(), light);
        painter.fillRect(cell.left(), cell.bottom(), cell.width(), 1, dark);
        painter.fillRect(cell.right(), cell.top(), 1, cell.height(), dark);
        painter.fillRect(cell.left() + 1, cell.bottom() - 1, cell.width() - 2, 1, shadow);
        painter.fillRect(cell.right() - 1, cell.top() + 1, 1, cell.height() - 2, shadow);
        break;
    }
    case Face::Pressed:
        painter.fillRect(cell, QColor(200, 200, 200));
        painter.fillRect(cell.left(), cell.top(), cell.width(), 1, dark);
        painter.fillRect(cell.left(), cell.top(), 1, cell.height(), dark);
        painter.fillRect(cell.left() + 1, cell.top() + 1, cell.width() - 2, 1, shadow);
        painter.fillRect(cell.left() + 1, cell.top() + 1, 1, cell.height() - 2, shadow);
        painter.fillRect(cell.left(), cell.bottom(), cell.width(), 1, light);
        painter.fillRect(cell.right(), cell.top(), 1, cell.height(), light);
        break;
    }
}

QImage MakeStrip(Face face)
{
    QImage strip(kIcon * kIcons, kIcon, QImage::Format_RGB32);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < kIcons; ++i)
    {
        const QRect cell(kIcon * i, 0, kIcon, kIcon);
        DrawFace(painter, cell, face);
        painter.save();
        painter.translate(cell.topLeft());
        switch (face)
        {
        case Face::Greyed: // engraved: a white copy a pixel down-right under a grey one
            painter.translate(1, 1);
            DrawGlyph(painter, i, QColor(255, 255, 255));
            painter.translate(-1, -1);
            DrawGlyph(painter, i, QColor(160, 160, 160));
            break;
        case Face::Raised:
            DrawGlyph(painter, i, Qt::black);
            break;
        case Face::Pressed: // pushed in: the glyph moves a pixel down-right
            painter.translate(1, 1);
            DrawGlyph(painter, i, Qt::black);
            break;
        }
        painter.restore();
    }
    return strip;
}

// A four-pointed sparkle centred at `centre`.
void DrawStar(QPainter& painter, QPointF centre, double radius)
{
    QPainterPath star;
    const double waist = radius * 0.28;
    star.moveTo(centre + QPointF(0, -radius));
    star.quadTo(centre + QPointF(waist, -waist), centre + QPointF(radius, 0));
    star.quadTo(centre + QPointF(waist, waist), centre + QPointF(0, radius));
    star.quadTo(centre + QPointF(-waist, waist), centre + QPointF(-radius, 0));
    star.quadTo(centre + QPointF(-waist, -waist), centre + QPointF(0, -radius));
    painter.drawPath(star);
}

// The icon, drawn on a 256-unit square scaled to `size`; small sizes drop the fine details.
void DrawIcon(QPainter& painter, int size)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);
    const bool detailed = size >= 32;

    // Night sky in a rounded square.
    QLinearGradient sky(QPointF(0, 0), QPointF(0, 256));
    sky.setColorAt(0, QColor(38, 40, 96));
    sky.setColorAt(1, QColor(92, 70, 150));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(8, 8, 240, 240), 48, 48);

    if (detailed)
    {
        painter.setBrush(QColor(255, 250, 220));
        DrawStar(painter, {62, 58}, 14);
        DrawStar(painter, {112, 34}, 8);
        DrawStar(painter, {44, 118}, 7);
    }

    // Crescent moon: a disc with a second, offset disc taken away.
    QPainterPath disc;
    disc.addEllipse(QPointF(160, 84), 62, 62);
    QPainterPath bite;
    bite.addEllipse(QPointF(130, 62), 52, 52);
    QRadialGradient glow(QPointF(180, 110), 80);
    glow.setColorAt(0, QColor(255, 236, 150));
    glow.setColorAt(1, QColor(250, 204, 90));
    painter.setBrush(glow);
    painter.drawPath(disc.subtracted(bite));

    // Pillow: a soft cushion with puffed corners across the bottom.
    QPainterPath pillow;
    pillow.moveTo(36, 170);
    pillow.quadTo(128, 146, 220, 170);
    pillow.quadTo(238, 198, 220, 226);
    pillow.quadTo(128, 244, 36, 226);
    pillow.quadTo(18, 198, 36, 170);
    QLinearGradient cloth(QPointF(0, 150), QPointF(0, 240));
    cloth.setColorAt(0, QColor(255, 255, 255));
    cloth.setColorAt(1, QColor(214, 212, 240));
    painter.setBrush(cloth);
    painter.setPen(QPen(QColor(150, 140, 200), detailed ? 4 : 8));
    painter.drawPath(pillow);
    if (detailed)
    {
        // The seam, and a dent where a head has been.
        painter.setPen(QPen(QColor(190, 184, 226), 3, Qt::DashLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath([] {
            QPainterPath seam;
            seam.moveTo(48, 178);
            seam.quadTo(128, 158, 208, 178);
            return seam;
        }());
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(200, 196, 236, 140));
        painter.drawEllipse(QPointF(128, 202), 46, 12);
    }
}

QImage MakeIcon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    DrawIcon(painter, size);
    return icon;
}

// The same drawing as a scalable icon for the desktop's icon theme.
bool SaveSvgIcon(const QString& folder)
{
    const QString path = folder + QStringLiteral("/yumo_icon.svg");
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Yumo"));
    QPainter painter;
    if (!painter.begin(&svg))
    {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    DrawIcon(painter, 256);
    painter.end();
    std::printf("wrote %s\n", qPrintable(path));
    return true;
}

bool Save(const QImage& image, const QString& folder, const QString& name)
{
    const QString path = folder + u'/' + name;
    if (!image.save(path, "PNG"))
    {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    bool ok = Save(MakeStrip(Face::Greyed), folder, QStringLiteral("pbbar.png")) &&
              Save(MakeStrip(Face::Raised), folder, QStringLiteral("pbbaron.png")) &&
              Save(MakeStrip(Face::Pressed), folder, QStringLiteral("pbbarp.png"));
    for (int size : {16, 24, 32, 48, 64, 128, 256})
    {
        ok = ok && Save(MakeIcon(size), folder, QStringLiteral("yumo_icon_%1.png").arg(size));
    }
    ok = ok && SaveSvgIcon(folder);
    return ok ? 0 : 1;
}
