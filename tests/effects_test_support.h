// A small canvas for the effect tests: text raster, canvas, edge mask and coverage
// plane of one size, all zero to start with.
#pragma once

#include <cstdint>
#include <vector>

#include "render/pixel_rows.h"

namespace vornel::test {

struct EffectCanvas {
  int w, h;
  std::vector<std::uint8_t> text, canvas, edge;
  std::vector<std::int16_t> plane;

  EffectCanvas(int width, int height)
      : w(width),
        h(height),
        text(static_cast<std::size_t>(width) * height * 3),
        canvas(static_cast<std::size_t>(width) * height * 3),
        edge(static_cast<std::size_t>(width) * height),
        plane(static_cast<std::size_t>(width) * height) {}

  RgbRows textRows() { return {text.data(), w, h}; }
  RgbRows canvasRows() { return {canvas.data(), w, h}; }

  void lightText(int row, int col, std::uint8_t v = 255) {
    std::uint8_t* p = textRows().pixel(row, col);
    p[0] = p[1] = p[2] = v;
  }
  void lightAllText() {
    for (auto& b : text) b = 255;
  }
  void fillCanvas(std::uint8_t b, std::uint8_t g, std::uint8_t r) {
    for (std::size_t i = 0; i < canvas.size(); i += 3) {
      canvas[i] = b;
      canvas[i + 1] = g;
      canvas[i + 2] = r;
    }
  }
  std::uint8_t at(int row, int col, int channel) { return canvasRows().pixel(row, col)[channel]; }
  std::int16_t& cover(int row, int col) { return plane[static_cast<std::size_t>(row) * w + col]; }
};

}  // namespace vornel::test
