#include "ui/logic/direction_picker.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "render/effects/effects.h"
#include "ui/logic/number_box.h"

namespace vornel {

namespace {

// The gradient's own degree factor, 3.14 / 180, and its inverse.
constexpr double kDegree = 0.017444444444444446;
constexpr double kToDegrees = 180.0 / 3.14;

void setBlack(RgbPicture& picture, int x, int y) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height) return;
  std::uint8_t* p = &picture.rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
  p[0] = p[1] = p[2] = 0;
}

// A one-pixel line from (x0, y0) to (x1, y1), both ends drawn (Bresenham).
void drawLine(RgbPicture& picture, int x0, int y0, int x1, int y1) {
  const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  for (;;) {
    setBlack(picture, x0, y0);
    if (x0 == x1 && y0 == y1) return;
    const int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y0 += sy;
    }
  }
}

}  // namespace

double directionAngle(int x, int y, int width, int height) {
  const int cx = width / 2, cy = height / 2;
  if (x == cx) return y > cy ? 90.0 : 270.0;
  double angle = std::atan(static_cast<double>(y - cy) / static_cast<double>(x - cx)) * kToDegrees;
  if (x < cx) angle += 180.0;
  return angle;
}

RgbPicture paintDirectionPane(int width, int height, std::uint32_t color1, std::uint32_t color2,
                              int halfLength, double angle) {
  RgbPicture pane;
  if (width <= 0 || height <= 0) return pane;
  pane.width = width;
  pane.height = height;
  const std::size_t pixels = static_cast<std::size_t>(width) * height;

  // The effect itself paints the pane: a fully lit text raster over a black canvas.
  std::vector<std::uint8_t> text(pixels * 3, 255), canvas(pixels * 3, 0);
  std::vector<std::int16_t> plane(pixels, 0);
  linearGradient({text.data(), width, height}, {canvas.data(), width, height}, width / 2,
                 height / 2, 0, 0, truncToInt32(angle), color1, color2, halfLength, plane.data());
  pane.rgb.resize(pixels * 3);
  for (std::size_t i = 0; i < pixels; ++i) {
    pane.rgb[i * 3] = canvas[i * 3 + 2];
    pane.rgb[i * 3 + 1] = canvas[i * 3 + 1];
    pane.rgb[i * 3 + 2] = canvas[i * 3];
  }

  for (int x = 0; x < width; ++x) {
    setBlack(pane, x, 0);
    setBlack(pane, x, height - 1);
  }
  for (int y = 0; y < height; ++y) {
    setBlack(pane, 0, y);
    setBlack(pane, width - 1, y);
  }
  const int cx = width / 2, cy = height / 2;
  const double a = angle * kDegree;
  drawLine(pane, cx, cy, cx + static_cast<int>(kDirectionLineLength * std::cos(a)),
           cy + static_cast<int>(kDirectionLineLength * std::sin(a)));
  return pane;
}

}  // namespace vornel
