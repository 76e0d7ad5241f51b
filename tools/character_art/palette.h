#pragma once
// The default companion's colours: soft pastels with warm outlines instead of black, so that
// she sits gently on the pane's pale pink.

#include <QColor>
#include <QPen>

namespace yumo::art
{

inline const QColor kOutline(118, 84, 92);
inline const QColor kSkin(255, 238, 228);
inline const QColor kSkinShade(246, 212, 204);
inline const QColor kBlush(255, 140, 160, 120);
inline const QColor kHair(170, 116, 110);
inline const QColor kHairDark(132, 86, 90);
inline const QColor kHairLight(206, 158, 146);
inline const QColor kPillowTop(255, 253, 250);
inline const QColor kPillowBottom(234, 224, 246);
inline const QColor kPillowLine(180, 160, 198);
inline const QColor kBlanketTop(214, 196, 240);
inline const QColor kBlanketBottom(186, 164, 226);
inline const QColor kBlanketLine(140, 114, 176);
inline const QColor kHem(252, 247, 255);
inline const QColor kStar(255, 247, 206);
inline const QColor kLip(196, 98, 112);
inline const QColor kMouthInside(176, 78, 96);
inline const QColor kTongue(242, 150, 162);
inline const QColor kIris(112, 72, 112);
inline const QColor kIrisLight(178, 126, 176);
inline const QColor kSleeve(255, 238, 190);
inline const QColor kMark(150, 120, 190);
inline const QColor kMarkWarm(226, 110, 130);

inline QPen Line(const QColor& colour, double width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace yumo::art
