// A view of a top-down 24-bit raster (blue, green, red per pixel). Canvas widths are
// multiples of 4, so a row is exactly 3 x width bytes with no padding.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vornel {

struct RgbRows {
  std::uint8_t* data = nullptr;
  int width = 0;
  int height = 0;

  std::uint8_t* row(int y) const { return data + static_cast<std::size_t>(y) * width * 3; }
  std::uint8_t* pixel(int y, int x) const { return row(y) + static_cast<std::size_t>(x) * 3; }
  bool contains(int y, int x) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// Channel k of a COLORREF 0x00BBGGRR as stored in a pixel: 0 blue, 1 green, 2 red.
inline std::uint8_t colorChannel(std::uint32_t colorRef, int k) {
  return static_cast<std::uint8_t>(colorRef >> (8 * (2 - k)));
}

}  // namespace vornel
