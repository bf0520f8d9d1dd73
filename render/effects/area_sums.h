// Counts over rectangles in constant time (a summed-area table), for the blur effects:
// they ask, before visiting a kernel's cells, whether a window is all lit, all unlit or
// all one colour, where the answer is known without the cells.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "platform/memory.h"

namespace vornel::effects {

class AreaCounts {
 public:
  // counts(x, y) for 0 <= x < width, 0 <= y < height: how many of the flagged pixels
  // lie in a rectangle. flagged(x, y) is asked once per pixel, rows top to bottom.
  template <class Flagged>
  AreaCounts(int width, int height, Flagged flagged)
      : w_(width),
        h_(height),
        sums_(allocate<std::uint32_t>((static_cast<std::size_t>(width) + 1) *
                                      (static_cast<std::size_t>(height) + 1))) {
    for (int y = 0; y < h_; ++y) {
      std::uint32_t row = 0;
      const std::uint32_t* above = &sums_[static_cast<std::size_t>(y) * (w_ + 1)];
      std::uint32_t* here = &sums_[static_cast<std::size_t>(y + 1) * (w_ + 1)];
      for (int x = 0; x < w_; ++x) {
        row += flagged(x, y) ? 1u : 0u;
        here[x + 1] = above[x + 1] + row;
      }
    }
  }

  // Flagged pixels in columns x0 ... x1 and rows y0 ... y1 (inclusive), the rectangle
  // clipped to the raster first; 64-bit corners so that any offset is safe.
  std::int64_t count(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) const {
    x0 = std::max<std::int64_t>(x0, 0);
    y0 = std::max<std::int64_t>(y0, 0);
    x1 = std::min<std::int64_t>(x1, w_ - 1);
    y1 = std::min<std::int64_t>(y1, h_ - 1);
    if (x0 > x1 || y0 > y1) return 0;
    auto at = [&](std::int64_t x, std::int64_t y) {
      return static_cast<std::int64_t>(sums_[static_cast<std::size_t>(y) * (w_ + 1) + x]);
    };
    return at(x1 + 1, y1 + 1) - at(x0, y1 + 1) - at(x1 + 1, y0) + at(x0, y0);
  }
  // The part of the rectangle inside the raster, in pixels.
  std::int64_t inside(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) const {
    x0 = std::max<std::int64_t>(x0, 0);
    y0 = std::max<std::int64_t>(y0, 0);
    x1 = std::min<std::int64_t>(x1, w_ - 1);
    y1 = std::min<std::int64_t>(y1, h_ - 1);
    if (x0 > x1 || y0 > y1) return 0;
    return (x1 - x0 + 1) * (y1 - y0 + 1);
  }

 private:
  int w_, h_;
  std::vector<std::uint32_t> sums_;  // (width + 1) x (height + 1), a zero row and column first
};

}  // namespace vornel::effects
