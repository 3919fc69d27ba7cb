#pragma once

class SimWorld;

// What the preview draws over the moving bodies, for the records that ask for it: the centre's
// trail, the velocity and acceleration arrows and the rotation axis, each in a colour of its own,
// unlit. Nothing is drawn for a zero vector or a trail of one point, so the picture at the start
// of a preview is the ordinary frame. Needs the context current and the camera in place; every
// state it changes is put back.
void drawPreviewMarks(const SimWorld& world);

// How long each arrow is drawn: the velocity as the way covered in velocityArrowSeconds, the
// acceleration as accelerationArrowScale times its value (gravity is then about one unit).
inline constexpr double velocityArrowSeconds = 0.25;
inline constexpr double accelerationArrowScale = 0.1;
