#include "tools/character_art/draw_character.h"

#include <algorithm>
#include <cmath>

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "tools/character_art/draw_face.h"
#include "tools/character_art/palette.h"

namespace yumo::art
{
namespace
{

constexpr double kCentreX = kPictureWidth / 2.0;
constexpr double kNeckY = 124.0;

double Bump(double x, double centre, double width)
{
    const double d = (x - centre) / width;
    return std::exp(-d * d);
}

double SmoothStep(double edge0, double edge1, double x)
{
    const double t = std::clamp((x - edge0) / (edge1 - edge0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// The blanket's upper edge: under her chin in the middle, over her shoulder and hip on the side
// her back is turned to, falling away toward the bed's edges. Rises with each breath.
double BlanketTop(const Pose& pose, double x)
{
    const double shoulder = kCentreX - 58.0 * pose.side;
    const double hip = kCentreX - 124.0 * pose.side;
    return 121.0 - 3.2 * pose.breath -
           13.0 * Bump(x, shoulder, 36.0) * (0.6 + 0.4 * std::fabs(pose.side)) -
           7.0 * Bump(x, hip, 30.0) * std::fabs(pose.side) +
           24.0 * SmoothStep(96.0, 170.0, std::fabs(x - kCentreX));
}

void DrawPillow(QPainter& p)
{
    const QRectF pillow(50, 48, 240, 76);
    QLinearGradient fill(0, pillow.top(), 0, pillow.bottom());
    fill.setColorAt(0.0, kPillowTop);
    fill.setColorAt(1.0, kPillowBottom);
    QPainterPath shape;
    // Slightly pinched sides, like a soft pillow with its corners.
    shape.moveTo(pillow.left() + 20, pillow.top() + 4);
    shape.cubicTo(pillow.center().x() - 60, pillow.top() - 3, pillow.center().x() + 60,
                  pillow.top() - 3, pillow.right() - 20, pillow.top() + 4);
    shape.cubicTo(pillow.right() + 4, pillow.top() + 12, pillow.right() - 6, pillow.bottom() - 20,
                  pillow.right() + 2, pillow.bottom() - 6);
    shape.cubicTo(pillow.center().x() + 60, pillow.bottom() + 3, pillow.center().x() - 60,
                  pillow.bottom() + 3, pillow.left() - 2, pillow.bottom() - 6);
    shape.cubicTo(pillow.left() + 6, pillow.bottom() - 20, pillow.left() - 4, pillow.top() + 12,
                  pillow.left() + 20, pillow.top() + 4);
    p.setPen(Line(kPillowLine, 1.5));
    p.setBrush(fill);
    p.drawPath(shape);
    // A soft crease along the pillow.
    p.setPen(Line(QColor(214, 200, 230), 1.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath crease;
    crease.moveTo(pillow.left() + 24, pillow.bottom() - 16);
    crease.quadTo(pillow.left() + 40, pillow.bottom() - 22, pillow.left() + 52,
                  pillow.bottom() - 14);
    crease.moveTo(pillow.right() - 24, pillow.bottom() - 16);
    crease.quadTo(pillow.right() - 40, pillow.bottom() - 22, pillow.right() - 52,
                  pillow.bottom() - 14);
    p.drawPath(crease);
}

// Long hair behind the head: two soft locks down beside her face into the blanket, and one
// spread over the pillow behind her neck.
void DrawBackHair(QPainter& p, const Pose& pose)
{
    const double lean = pose.side;
    QPainterPath hair;
    hair.moveTo(kCentreX, 48);
    hair.cubicTo(kCentreX + 46, 48, kCentreX + 52, 84, kCentreX + 45, 104);
    hair.cubicTo(kCentreX + 50, 112, kCentreX + 58 - 6 * lean, 116, kCentreX + 54 - 8 * lean, 128);
    hair.lineTo(kCentreX - 54 - 8 * lean, 128);
    hair.cubicTo(kCentreX - 58 - 6 * lean, 116, kCentreX - 50, 112, kCentreX - 45, 104);
    hair.cubicTo(kCentreX - 52, 84, kCentreX - 46, 48, kCentreX, 48);
    // The lock over the pillow, on the side away from her face.
    const double away = lean == 0.0 ? 1.0 : (lean > 0 ? -1.0 : 1.0);
    QPainterPath lock;
    lock.moveTo(kCentreX + away * 40, 86);
    lock.cubicTo(kCentreX + away * 64, 84, kCentreX + away * 80, 96, kCentreX + away * 80, 108);
    lock.cubicTo(kCentreX + away * 80, 117, kCentreX + away * 71, 120, kCentreX + away * 64, 116);
    lock.cubicTo(kCentreX + away * 60, 122, kCentreX + away * 50, 123, kCentreX + away * 44, 116);
    lock.closeSubpath();
    QRadialGradient fill(kCentreX, 80, 76);
    fill.setColorAt(0.0, kHair);
    fill.setColorAt(1.0, kHairDark.lighter(112));
    p.setPen(Line(kHairDark, 1.5));
    p.setBrush(fill);
    p.drawPath(lock.united(hair));
    p.setPen(Line(kHairDark, 1.0));
    p.setBrush(Qt::NoBrush);
    for (int sign : {-1, 1})
    {
        QPainterPath strand;
        strand.moveTo(kCentreX + sign * 40, 98);
        strand.quadTo(kCentreX + sign * 48, 110, kCentreX + sign * 48 - 6 * lean, 124);
        p.drawPath(strand);
    }
    QPainterPath flow;
    flow.moveTo(kCentreX + away * 50, 92);
    flow.quadTo(kCentreX + away * 68, 96, kCentreX + away * 72, 110);
    p.drawPath(flow);
}

// The hair over the forehead, with its scalloped fringe and a springy strand on top.
void DrawFringe(QPainter& p)
{
    QPainterPath cap;
    cap.moveTo(kCentreX - 33, 100);
    cap.cubicTo(kCentreX - 38, 66, kCentreX - 22, 52, kCentreX, 52);
    cap.cubicTo(kCentreX + 22, 52, kCentreX + 38, 66, kCentreX + 33, 100);
    // Back along the fringe: notches up, tips down.
    cap.quadTo(kCentreX + 30, 86, kCentreX + 24, 78);
    cap.quadTo(kCentreX + 22, 84, kCentreX + 19, 88);
    cap.quadTo(kCentreX + 15, 80, kCentreX + 9, 73);
    cap.quadTo(kCentreX + 7, 80, kCentreX + 3, 86);
    cap.quadTo(kCentreX - 2, 78, kCentreX - 9, 72);
    cap.quadTo(kCentreX - 11, 80, kCentreX - 16, 87);
    cap.quadTo(kCentreX - 19, 80, kCentreX - 24, 77);
    cap.quadTo(kCentreX - 29, 86, kCentreX - 33, 100);
    QLinearGradient fill(0, 52, 0, 96);
    fill.setColorAt(0.0, kHair.darker(104));
    fill.setColorAt(1.0, kHair.lighter(106));
    p.setPen(Line(kHairDark, 1.5));
    p.setBrush(fill);
    p.drawPath(cap);
    // A soft shine across the crown.
    p.setPen(Line(kHairLight, 2.2));
    p.setBrush(Qt::NoBrush);
    QPainterPath shine;
    shine.moveTo(kCentreX - 20, 62);
    shine.quadTo(kCentreX - 6, 57, kCentreX + 8, 60);
    p.drawPath(shine);
    QPainterPath sprout;
    sprout.moveTo(kCentreX + 2, 53);
    sprout.cubicTo(kCentreX + 4, 44, kCentreX + 14, 42, kCentreX + 16, 47);
    sprout.cubicTo(kCentreX + 12, 45, kCentreX + 8, 47, kCentreX + 6, 53);
    p.setPen(Line(kHairDark, 1.2));
    p.setBrush(kHair);
    p.drawPath(sprout);
}

void DrawHead(QPainter& p, const Pose& pose)
{
    p.save();
    // Tilted toward the side she faces; the face turns a little with it.
    p.translate(kCentreX, kNeckY);
    p.rotate(14.0 * pose.side);
    p.scale(1.08, 1.08);
    p.translate(-kCentreX, -kNeckY - 1.2 * pose.breath);
    DrawBackHair(p, pose);
    QRadialGradient skin(kCentreX - 8, 86, 40);
    skin.setColorAt(0.0, kSkin);
    skin.setColorAt(0.85, kSkin);
    skin.setColorAt(1.0, kSkinShade);
    p.setPen(Line(kOutline, 1.5));
    p.setBrush(skin);
    p.drawEllipse(QPointF(kCentreX, 92), 31.0, 29.0);
    DrawFace(p, pose, QPointF(kCentreX + 2.0 * pose.side, 0));
    DrawFringe(p);
    DrawBrows(p, pose, QPointF(kCentreX + 2.0 * pose.side, 0));
    p.restore();
}

constexpr double kBlanketLeft = 10.0;
constexpr double kBlanketRight = kPictureWidth - 10.0;

QPainterPath BlanketEdge(const Pose& pose, double below = 0.0)
{
    QPainterPath edge;
    edge.moveTo(kBlanketLeft, BlanketTop(pose, kBlanketLeft) + below);
    for (double x = kBlanketLeft + 4; x <= kBlanketRight; x += 4)
    {
        edge.lineTo(x, BlanketTop(pose, x) + below);
    }
    return edge;
}

// The whole blanket: its edge, rounded sides and a soft lower rim over the futon.
QPainterPath BlanketShape(const Pose& pose)
{
    QPainterPath blanket = BlanketEdge(pose);
    const double rightTop = BlanketTop(pose, kBlanketRight);
    const double leftTop = BlanketTop(pose, kBlanketLeft);
    blanket.cubicTo(kBlanketRight + 7, rightTop + 4, kBlanketRight + 7, 156, kBlanketRight - 4,
                    161);
    blanket.quadTo(kCentreX, 166, kBlanketLeft + 4, 161);
    blanket.cubicTo(kBlanketLeft - 7, 156, kBlanketLeft - 7, leftTop + 4, kBlanketLeft, leftTop);
    blanket.closeSubpath();
    return blanket;
}

// The futon she lies on, peeking out under the blanket.
void DrawFuton(QPainter& p)
{
    const QRectF futon(2, 144, kPictureWidth - 4, 22);
    QLinearGradient fill(0, futon.top(), 0, futon.bottom());
    fill.setColorAt(0.0, QColor(255, 252, 246));
    fill.setColorAt(1.0, QColor(244, 234, 226));
    p.setPen(Line(kPillowLine, 1.4));
    p.setBrush(fill);
    p.drawRoundedRect(futon, 9, 9);
}

void DrawBlanket(QPainter& p, const Pose& pose)
{
    const QPainterPath blanket = BlanketShape(pose);
    QLinearGradient fill(0, 100, 0, kPictureHeight);
    fill.setColorAt(0.0, kBlanketTop);
    fill.setColorAt(1.0, kBlanketBottom);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(blanket);

    p.save();
    p.setClipPath(blanket);
    // Little stars, only where the blanket is well below its edge.
    p.setPen(Qt::NoPen);
    p.setBrush(kStar);
    const double stars[][2] = {{26, 156},  {48, 146},  {76, 158},  {104, 142}, {132, 156},
                               {160, 146}, {188, 158}, {216, 144}, {244, 156}, {272, 146},
                               {300, 157}, {318, 146}, {90, 128},  {250, 130}};
    for (const auto& star : stars)
    {
        const double x = star[0];
        const double y = star[1] - 2.0 * pose.breath;
        if (y < BlanketTop(pose, x) + 12)
        {
            continue;
        }
        QPainterPath sparkle;
        const double r = 4.2;
        sparkle.moveTo(x, y - r);
        sparkle.quadTo(x, y, x + r, y);
        sparkle.quadTo(x, y, x, y + r);
        sparkle.quadTo(x, y, x - r, y);
        sparkle.quadTo(x, y, x, y - r);
        p.drawPath(sparkle);
    }
    // Soft folds.
    p.setPen(Line(QColor(176, 152, 214), 1.2));
    p.setBrush(Qt::NoBrush);
    for (double x : {kCentreX - 40 + 20 * pose.side, kCentreX + 70 + 10 * pose.side})
    {
        QPainterPath fold;
        fold.moveTo(x, BlanketTop(pose, x) + 14);
        fold.quadTo(x + 6, 150, x + 2, kPictureHeight);
        p.drawPath(fold);
    }
    // The turned-down sheet along the top.
    QPainterPath hem = BlanketEdge(pose);
    hem.connectPath(BlanketEdge(pose, 8).toReversed());
    hem.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kHem);
    p.drawPath(hem);
    p.setPen(Line(QColor(190, 170, 220), 1.1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(BlanketEdge(pose, 8));
    p.restore();

    p.setPen(Line(kBlanketLine, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(blanket);
}

// A small round hand with three finger bumps, drawn at `centre`, turned by `angle` degrees.
void DrawHand(QPainter& p, QPointF centre, double angle)
{
    p.save();
    p.translate(centre);
    p.rotate(angle);
    QPainterPath hand;
    hand.moveTo(-7, 5);
    hand.cubicTo(-9, -2, -7, -7, -4, -8);
    hand.quadTo(-2, -11, 0, -8);
    hand.quadTo(2, -11, 4, -8);
    hand.cubicTo(8, -7, 9, -2, 7, 5);
    hand.closeSubpath();
    p.setPen(Line(kOutline, 1.3));
    p.setBrush(kSkin);
    p.drawPath(hand);
    p.restore();
}

// Her hand holding the blanket's edge by her chin.
void DrawHandOnBlanket(QPainter& p, const Pose& pose)
{
    const double x = kCentreX - 34.0 * pose.side;
    DrawHand(p, QPointF(x, BlanketTop(pose, x) + 3), -10.0 * pose.side);
}

// An arm in its sleeve from under the blanket to `hand`, bowed sideways by `bend` pixels, with
// the hand turned along it.
void DrawArm(QPainter& p, QPointF shoulder, QPointF hand, double bend)
{
    const QPointF along = hand - shoulder;
    const double length = std::hypot(along.x(), along.y());
    const QPointF normal(-along.y() / length, along.x() / length);
    const QPointF control = (shoulder + hand) / 2 + normal * bend;
    QPainterPath sleeve;
    sleeve.moveTo(shoulder);
    sleeve.quadTo(control, hand);
    p.setBrush(Qt::NoBrush);
    p.setPen(Line(kOutline, 11.5));
    p.drawPath(sleeve);
    p.setPen(Line(kSleeve, 9.0));
    p.drawPath(sleeve);
    const QPointF end = hand - control;
    const QPointF direction = end / std::hypot(end.x(), end.y());
    const QPointF across(-direction.y(), direction.x());
    p.setPen(Line(kHem, 2.4)); // the cuff
    p.drawLine(hand - direction * 2 + across * 3.6, hand - direction * 2 - across * 3.6);
    DrawHand(p, hand + direction * 5,
             std::atan2(direction.x(), -direction.y()) * 180.0 / 3.14159265358979);
}

// Arms raised out of the blanket, drawn before it so that they come out from under its edge.
void DrawRaisedArms(QPainter& p, const Pose& pose)
{
    if (pose.stretch > 0)
    {
        const double s = pose.stretch;
        for (int sign : {-1, 1})
        {
            const double x = kCentreX + sign * 30;
            const QPointF shoulder(x, BlanketTop(pose, x) + 10);
            const QPointF hand(kCentreX + sign * (46 + 24 * s), 110 - 58 * s);
            DrawArm(p, shoulder, hand, sign * 8.0);
        }
        return;
    }
    if (pose.waving)
    {
        // A hand up beside her face, waving: little arcs beside it.
        const double side = pose.side < 0 ? -1.0 : 1.0;
        const double x = kCentreX + 38.0 * side;
        const QPointF shoulder(x, BlanketTop(pose, x) + 12);
        const QPointF hand(kCentreX + 60.0 * side, 86);
        DrawArm(p, shoulder, hand, side * 6.0);
        p.setPen(Line(kMark, 1.4));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 2; ++i)
        {
            const double r = 9.0 + 5.0 * i;
            const double cx = hand.x() + 6.0 * side;
            QPainterPath wave;
            wave.moveTo(cx + 0.4 * r * side, 72 - 0.5 * r);
            wave.quadTo(cx + r * side, 76, cx + 0.4 * r * side, 80 + 0.4 * r);
            p.drawPath(wave);
        }
    }
}

} // namespace

QImage DrawCharacter(const Pose& pose)
{
    QImage image(kPictureWidth, kPictureHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
    DrawFuton(p);
    DrawPillow(p);
    DrawHead(p, pose);
    DrawRaisedArms(p, pose);
    DrawBlanket(p, pose);
    if (pose.stretch <= 0 && !pose.waving)
    {
        DrawHandOnBlanket(p, pose);
    }
    DrawMark(p, pose);
    p.end();
    return image;
}

} // namespace yumo::art
