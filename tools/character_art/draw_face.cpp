#include "tools/character_art/draw_face.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>

#include "tools/character_art/palette.h"

namespace yumo::art
{
namespace
{

constexpr double kEyeY = 96.0;
constexpr double kEyeApart = 13.0; // from the face's centre
constexpr double kMouthY = 108.0;

void DrawIris(QPainter& p, QPointF centre, double rx, double ry)
{
    QLinearGradient fill(0, centre.y() - ry, 0, centre.y() + ry);
    fill.setColorAt(0.0, kIris.darker(120));
    fill.setColorAt(1.0, kIrisLight);
    p.setPen(Line(kIris.darker(130), 0.8));
    p.setBrush(fill);
    p.drawEllipse(centre, rx, ry);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(centre + QPointF(1.4, -ry * 0.4), rx * 0.38, rx * 0.38);
    p.drawEllipse(centre + QPointF(-1.2, ry * 0.45), rx * 0.18, rx * 0.18);
}

// The lid's line over an open eye, with a lash at the outer corner (`outward` is -1 or +1).
void DrawLid(QPainter& p, double x, double y, double outward)
{
    QPainterPath lid;
    lid.moveTo(x - 7, y + 2);
    lid.quadTo(x, y - 3, x + 7, y + 2);
    lid.moveTo(x + 7 * outward, y + 2);
    lid.lineTo(x + 9.5 * outward, y);
    p.setPen(Line(kOutline, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(lid);
}

void DrawEye(QPainter& p, const Pose& pose, double x, double outward)
{
    const double y = kEyeY;
    switch (pose.eyes)
    {
    case Eyes::Closed:
    case Eyes::Frown:
    {
        QPainterPath line;
        const double sag = pose.eyes == Eyes::Closed ? 4.5 : 1.5;
        line.moveTo(x - 7, y - 1);
        line.quadTo(x, y - 1 + sag, x + 7, y - 1);
        line.moveTo(x + 7 * outward, y - 1);
        line.lineTo(x + 9.5 * outward, y - 2.5);
        if (pose.eyes == Eyes::Frown)
        {
            line.moveTo(x - 4 * outward, y - 4.5); // a pressed crease above
            line.lineTo(x + 3 * outward, y - 5.5);
        }
        p.setPen(Line(kOutline, 1.9));
        p.setBrush(Qt::NoBrush);
        p.drawPath(line);
        return;
    }
    case Eyes::Drowsy:
    {
        // Relaxed: the lid rests over the top of the iris.
        p.save();
        p.setClipRect(QRectF(x - 8, y - 3.5, 16, 12));
        DrawIris(p, QPointF(x, y + 1.0), 4.8, 6.0);
        p.restore();
        QPainterPath lid;
        lid.moveTo(x - 7, y - 1);
        lid.quadTo(x, y - 6.5, x + 7, y - 1);
        lid.moveTo(x + 7 * outward, y - 1);
        lid.lineTo(x + 9.5 * outward, y - 2.5);
        p.setPen(Line(kOutline, 2.1));
        p.setBrush(Qt::NoBrush);
        p.drawPath(lid);
        return;
    }
    case Eyes::Open:
        DrawIris(p, QPointF(x, y + 0.5), 4.8, 6.2);
        DrawLid(p, x, y - 6.5, outward);
        return;
    case Eyes::LookLeft:
    case Eyes::LookRight:
    case Eyes::Wide:
    {
        p.setPen(Line(kOutline, 0.8));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(x, y + 0.5), 6.2, 7.0);
        if (pose.eyes == Eyes::Wide)
        {
            DrawIris(p, QPointF(x, y + 1), 2.8, 3.6);
        }
        else
        {
            const double look = pose.eyes == Eyes::LookLeft ? -2.2 : 2.2;
            DrawIris(p, QPointF(x + look, y + 1), 4.2, 5.6);
        }
        DrawLid(p, x, y - 7.0, outward);
        return;
    }
    case Eyes::Squeezed:
    {
        // > on her right eye (the picture's left), < on the other: both point to the nose.
        QPainterPath mark;
        mark.moveTo(x + 5 * outward, y - 4);
        mark.lineTo(x - 4 * outward, y);
        mark.lineTo(x + 5 * outward, y + 4);
        p.setPen(Line(kOutline, 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawPath(mark);
        return;
    }
    }
}

void DrawCheeks(QPainter& p, QPointF centre)
{
    for (int sign : {-1, 1})
    {
        const QPointF cheek(centre.x() + sign * 20.0, 103.5);
        QRadialGradient blush(cheek, 7.5);
        blush.setColorAt(0.0, kBlush);
        blush.setColorAt(1.0, QColor(kBlush.red(), kBlush.green(), kBlush.blue(), 0));
        p.setPen(Qt::NoPen);
        p.setBrush(blush);
        p.drawEllipse(cheek, 8.0, 5.0);
        p.setPen(Line(QColor(236, 120, 140, 150), 0.9));
        for (int i = -1; i <= 1; ++i)
        {
            p.drawLine(QPointF(cheek.x() + 2.6 * i + 1, cheek.y() - 1.5),
                       QPointF(cheek.x() + 2.6 * i - 0.6, cheek.y() + 1.5));
        }
    }
}

// An open mouth: its inside, a little tongue, and the lip line around it.
void DrawOpenMouth(QPainter& p, const QPainterPath& shape, double tongueY, double tongueWidth)
{
    p.setPen(Line(kLip, 1.4));
    p.setBrush(kMouthInside);
    p.drawPath(shape);
    p.save();
    p.setClipPath(shape);
    p.setPen(Qt::NoPen);
    p.setBrush(kTongue);
    const QRectF bounds = shape.boundingRect();
    p.drawEllipse(QPointF(bounds.center().x(), tongueY), tongueWidth, 3.0);
    p.restore();
}

void DrawMouth(QPainter& p, const Pose& pose, QPointF centre)
{
    const double x = centre.x();
    const double y = kMouthY;
    QPainterPath path;
    switch (pose.mouth)
    {
    case Mouth::Smile:
        path.moveTo(x - 4, y - 1);
        path.quadTo(x, y + 2.5, x + 4, y - 1);
        break;
    case Mouth::Rest:
        path.moveTo(x - 2.5, y);
        path.quadTo(x, y + 1, x + 2.5, y);
        break;
    case Mouth::Wavy:
        path.moveTo(x - 5, y);
        path.quadTo(x - 3.5, y - 2, x - 2, y);
        path.quadTo(x - 0.5, y + 2, x + 1, y);
        path.quadTo(x + 2.5, y - 2, x + 4, y);
        break;
    case Mouth::Pout:
        path.moveTo(x - 4, y + 1.5);
        path.quadTo(x, y - 2.5, x + 4, y + 1.5);
        break;
    case Mouth::Small:
        p.setPen(Line(kLip, 1.2));
        p.setBrush(kMouthInside);
        p.drawEllipse(QPointF(x, y + 0.5), 2.2, 1.5);
        return;
    case Mouth::Round:
        p.setPen(Line(kLip, 1.3));
        p.setBrush(kMouthInside);
        p.drawEllipse(QPointF(x, y + 1), 2.8, 3.4);
        return;
    case Mouth::Sigh:
        p.setPen(Line(kLip, 1.3));
        p.setBrush(kMouthInside);
        p.drawEllipse(QPointF(x, y + 1), 3.6, 2.2);
        return;
    case Mouth::Snore:
    case Mouth::Yawn:
    {
        const double rx = pose.mouth == Mouth::Snore ? 4.2 : 5.0;
        const double ry = pose.mouth == Mouth::Snore ? 4.8 : 6.5;
        QPainterPath open;
        open.addEllipse(QPointF(x, y + 2), rx, ry);
        DrawOpenMouth(p, open, y + 2 + ry * 0.75, rx * 0.7);
        return;
    }
    case Mouth::Talk:
    case Mouth::Call:
    {
        const double w = pose.mouth == Mouth::Talk ? 4.5 : 6.0;
        const double d = pose.mouth == Mouth::Talk ? 6.0 : 8.0;
        QPainterPath open;
        open.moveTo(x - w, y - 1);
        open.quadTo(x, y + 0.5, x + w, y - 1);
        open.cubicTo(x + w, y + d * 0.7, x + w * 0.4, y + d, x, y + d);
        open.cubicTo(x - w * 0.4, y + d, x - w, y + d * 0.7, x - w, y - 1);
        DrawOpenMouth(p, open, y + d * 0.85, w * 0.6);
        return;
    }
    }
    p.setPen(Line(kLip, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void DrawZ(QPainter& p, QPointF centre, double size)
{
    QPainterPath z;
    z.moveTo(centre.x() - size, centre.y() - size);
    z.lineTo(centre.x() + size, centre.y() - size);
    z.lineTo(centre.x() - size, centre.y() + size);
    z.lineTo(centre.x() + size, centre.y() + size);
    p.setPen(Line(kMark, 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(z);
}

void DrawNote(QPainter& p, QPointF at)
{
    p.setPen(Line(kMark, 1.8));
    p.setBrush(kMark);
    p.drawEllipse(at, 3.4, 2.6);
    p.drawLine(at + QPointF(3.0, -0.5), at + QPointF(3.0, -13));
    QPainterPath flag;
    flag.moveTo(at + QPointF(3.0, -13));
    flag.quadTo(at + QPointF(9, -10), at + QPointF(8, -5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(flag);
}

} // namespace

void DrawFace(QPainter& p, const Pose& pose, QPointF centre)
{
    DrawCheeks(p, centre);
    DrawEye(p, pose, centre.x() - kEyeApart, -1.0);
    DrawEye(p, pose, centre.x() + kEyeApart, 1.0);
    DrawMouth(p, pose, centre);
}

void DrawBrows(QPainter& p, const Pose& pose, QPointF centre)
{
    if (!pose.browsUp && !pose.browsDown)
    {
        return;
    }
    p.setPen(Line(kHairDark, 1.6));
    p.setBrush(Qt::NoBrush);
    for (int sign : {-1, 1})
    {
        const double inner = centre.x() + sign * 7.0;
        const double outer = centre.x() + sign * 18.0;
        QPainterPath brow;
        if (pose.browsDown)
        {
            brow.moveTo(outer, 81.5);
            brow.lineTo(inner, 85.5);
        }
        else
        {
            brow.moveTo(outer, 84.0);
            brow.quadTo((inner + outer) / 2, 79.0, inner, 82.5);
        }
        p.drawPath(brow);
    }
}

void DrawMark(QPainter& p, const Pose& pose)
{
    const double side = pose.side < 0 ? -1.0 : 1.0;
    const double x = kPictureWidth / 2.0 + side * 56.0;
    switch (pose.mark)
    {
    case Mark::None:
        return;
    case Mark::Sleep:
        DrawZ(p, QPointF(x, 58), 3.5);
        DrawZ(p, QPointF(x + 12 * side, 46), 5.0);
        return;
    case Mark::SleepBig:
        DrawZ(p, QPointF(x + 2 * side, 55), 4.0);
        DrawZ(p, QPointF(x + 15 * side, 42), 6.0);
        return;
    case Mark::Note:
        DrawNote(p, QPointF(x + 4 * side, 58));
        return;
    case Mark::Startle:
    {
        const QPointF top(x - 4 * side, 40);
        QPainterPath bar;
        bar.moveTo(top + QPointF(-2.6, 0));
        bar.lineTo(top + QPointF(2.6, 0));
        bar.lineTo(top + QPointF(0.8, 14));
        bar.lineTo(top + QPointF(-0.8, 14));
        bar.closeSubpath();
        p.setPen(Line(kMarkWarm, 1.2));
        p.setBrush(kMarkWarm);
        p.drawPath(bar);
        p.drawEllipse(top + QPointF(0, 19), 1.9, 1.9);
        p.setPen(Line(kMarkWarm, 1.5));
        p.drawLine(top + QPointF(9 * side, 4), top + QPointF(14 * side, 1));
        p.drawLine(top + QPointF(10 * side, 10), top + QPointF(16 * side, 10));
        return;
    }
    case Mark::Grumble:
    {
        // Four little curved ticks around a point: cross.
        const QPointF c(x - 8 * side, 56);
        p.setPen(Line(kMarkWarm, 1.8));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 4; ++i)
        {
            const double dx = (i % 2 == 0 ? 1 : -1) * 3.5;
            const double dy = (i < 2 ? 1 : -1) * 3.5;
            QPainterPath tick;
            tick.moveTo(c + QPointF(dx, dy * 2.2));
            tick.quadTo(c + QPointF(dx, dy), c + QPointF(dx * 2.2, dy));
            p.drawPath(tick);
        }
        return;
    }
    case Mark::Puff:
    {
        p.setPen(Line(QColor(180, 170, 210), 1.2));
        p.setBrush(QColor(246, 244, 255));
        const QPointF c(x - 10 * side, 100);
        p.drawEllipse(c, 5.5, 4.5);
        p.drawEllipse(c + QPointF(6 * side, -4), 4.5, 3.8);
        p.drawEllipse(c + QPointF(11 * side, -9), 3.0, 2.6);
        return;
    }
    }
}

} // namespace yumo::art
