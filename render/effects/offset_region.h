// The canvas pixels an effect with offset (x, y) visits: rows max(y, 0) ... min(y + H, H) - 1
// and columns max(x, 0) ... min(x + W, W) - 1, the text pixel under canvas pixel (r, c)
// being (r - y, c - x). Worked out in 64 bits so an extreme offset cannot overflow.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vornel {

struct OffsetSpan {
  int begin = 0, end = 0;  // canvas indices begin ... end - 1; empty when end <= begin
};

inline OffsetSpan offsetSpan(std::int32_t offset, int size) {
  std::int64_t begin = std::max<std::int64_t>(offset, 0);
  std::int64_t end = std::min<std::int64_t>(std::int64_t{offset} + size, size);
  if (end <= begin) return {0, 0};
  return {static_cast<int>(begin), static_cast<int>(end)};
}

}  // namespace vornel
