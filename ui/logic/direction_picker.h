// The Linear Gradient dialog's direction pane: the angle a mouse position points at
// from the pane's centre, and the pane's pixels (the gradient itself, a frame, and a
// line from the centre along the angle).
#pragma once

#include <cstdint>

#include "imageio/dib_image.h"

namespace vornel {

// Degrees from the centre (width / 2, height / 2) to (x, y), y downwards, with 3.14 for
// pi as the gradient itself turns degrees into radians: 90 straight down, 270 straight
// up when x is the centre's column; otherwise arctan((y - cy) / (x - cx)) in degrees,
// 180 more left of the centre (so up and to the right gives a negative angle).
double directionAngle(int x, int y, int width, int height);

// Length of the line from the centre that shows the direction.
inline constexpr int kDirectionLineLength = 40;

// The pane of width x height: every pixel as the Linear Gradient effect colours a fully
// covered text pixel (colours color1 and color2, 0x00BBGGRR, half-length halfLength,
// the whole degrees of angle, centred on the pane), a one-pixel black frame, and a
// black line kDirectionLineLength pixels long from the centre along angle.
RgbPicture paintDirectionPane(int width, int height, std::uint32_t color1, std::uint32_t color2,
                              int halfLength, double angle);

}  // namespace vornel
