#pragma once
// Draws the default companion in one pose with QPainter paths: a pillow, her head with long
// hair, a lilac blanket with stars. Coordinates are pixels of a 340 x 168 picture, y downward;
// the top 40 rows stay nearly empty because the pane lifts the picture by up to 40 pixels.

#include <QImage>

#include "tools/character_art/pose.h"

namespace yumo::art
{

// The pose on a transparent ARGB32 picture of kPictureWidth x kPictureHeight: the figure is
// wherever alpha is above 0, anti-aliased at its edges.
QImage DrawCharacter(const Pose& pose);

} // namespace yumo::art
