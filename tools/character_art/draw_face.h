#pragma once
// Her face and the little marks around her: eyes, cheeks, mouth, brows, and the z, note, !
// or puff that tell what she is doing. Drawn in the head's own coordinates, whose face centre
// is at x = centre.x(), eyes on row 96 and mouth on row 108.

#include <QPainter>
#include <QPointF>

#include "tools/character_art/pose.h"

namespace yumo::art
{

void DrawFace(QPainter& p, const Pose& pose, QPointF centre);
void DrawBrows(QPainter& p, const Pose& pose, QPointF centre);

// In picture coordinates, beside the pillow on the side she faces.
void DrawMark(QPainter& p, const Pose& pose);

} // namespace yumo::art
