#include "platform/round_rect.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace vornel {

namespace {

// How many pixels the corner ellipse cuts off each end of row j (counted from the
// nearer horizontal edge) of a box with corner radii a (across) and b (down). A pixel
// is covered when its centre lies inside the shape, so each row is decided once and
// mirrored, which keeps the shape exactly symmetric.
std::int64_t cornerInset(std::int64_t j, double a, double b) {
  double dy = static_cast<double>(j) + 0.5;  // centre's distance from the edge
  if (a <= 0 || b <= 0 || dy >= b) return 0;
  double t = (b - dy) / b;
  double edge = a - a * std::sqrt(1.0 - t * t);  // the ellipse's left edge on this row
  return std::max<std::int64_t>(0, static_cast<std::int64_t>(std::ceil(edge - 0.5)));
}

}  // namespace

void fillRoundRect(std::uint8_t* bgr, int width, int height, int left, int top, int right,
                   int bottom, int cornerWidth, int cornerHeight) {
  std::int64_t boxW = static_cast<std::int64_t>(right) - left;
  std::int64_t boxH = static_cast<std::int64_t>(bottom) - top;
  if (boxW <= 0 || boxH <= 0 || width <= 0 || height <= 0) return;
  // Corners larger than the box are clamped to it; negative ones mean none.
  double a = static_cast<double>(std::clamp<std::int64_t>(cornerWidth, 0, boxW)) / 2.0;
  double b = static_cast<double>(std::clamp<std::int64_t>(cornerHeight, 0, boxH)) / 2.0;

  std::int64_t firstRow = std::max<std::int64_t>(top, 0);
  std::int64_t endRow = std::min<std::int64_t>(bottom, height);
  for (std::int64_t y = firstRow; y < endRow; ++y) {
    std::int64_t j = std::min(y - top, bottom - 1 - y);
    std::int64_t inset = std::min(cornerInset(j, a, b), boxW / 2);
    std::int64_t x0 = std::max<std::int64_t>(left + inset, 0);
    std::int64_t x1 = std::min<std::int64_t>(right - inset, width);
    if (x0 >= x1) continue;
    std::uint8_t* p = bgr + (static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                             static_cast<std::size_t>(x0)) *
                                3;
    std::fill(p, p + (x1 - x0) * 3, std::uint8_t{255});
  }
}

}  // namespace vornel
