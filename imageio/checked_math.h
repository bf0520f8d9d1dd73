// Size arithmetic for readers and allocations: every product or sum that sizes a
// buffer goes through these, so a tiny file cannot ask for gigabytes or wrap around.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "imageio/budget.h"

namespace vornel {

// Largest picture any reader decodes or the renderer composes (pixels): the budget's.
inline constexpr std::size_t kMaxPixels =
    static_cast<std::size_t>(std::max(kMaxDecodedPixels, kMaxOutputPixels));

inline bool checkedMul(std::size_t a, std::size_t b, std::size_t* out) {
  if (a != 0 && b > std::numeric_limits<std::size_t>::max() / a) return false;
  *out = a * b;
  return true;
}

inline bool checkedAdd(std::size_t a, std::size_t b, std::size_t* out) {
  if (b > std::numeric_limits<std::size_t>::max() - a) return false;
  *out = a + b;
  return true;
}

// True when width x height is positive and within the pixel budget.
inline bool pixelCountOk(std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0) return false;
  std::size_t n;
  if (!checkedMul(static_cast<std::size_t>(width), static_cast<std::size_t>(height), &n))
    return false;
  return n <= kMaxPixels;
}

}  // namespace vornel
