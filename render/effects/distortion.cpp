#include "render/effects/distortion.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/memory.h"
#include "render/canvas_layout.h"

namespace vornel {

namespace {

// Degrees to radians with the program's 3.14 / 180, not pi / 180.
constexpr double kDegree = 0.017444444444444446;
constexpr double kFractalDepth = 56.54;  // z of the row displacement's noise slice

// Source row and column for one destination pixel, before truncation.
struct SourcePoint {
  double row, column;
};

// Truncates toward zero and tells whether the result indexes 0 ... limit - 1. Done in
// double so a huge or non-finite source never reaches an int conversion.
bool sourceIndex(double value, int limit, int& index) {
  double whole = std::trunc(value);
  if (!(whole >= 0.0 && whole < limit)) return false;
  index = static_cast<int>(whole);
  return true;
}

template <class SourceOf>
void warp(RgbRows text, SourceOf sourceOf) {
  std::size_t bytes = static_cast<std::size_t>(text.width) * text.height * 3;
  std::vector<std::uint8_t> copy = allocate<std::uint8_t>(bytes);
  std::memcpy(copy.data(), text.data, bytes);
  RgbRows source{copy.data(), text.width, text.height};
  for (int i = 0; i < text.height; ++i) {
    for (int k = 0; k < text.width; ++k) {
      SourcePoint s = sourceOf(i, k);
      std::uint8_t* dst = text.pixel(i, k);
      int sr = 0, sc = 0;
      if (sourceIndex(s.row, text.height, sr) && sourceIndex(s.column, text.width, sc)) {
        std::memcpy(dst, source.pixel(sr, sc), 3);
      } else {
        dst[0] = dst[1] = dst[2] = 0;
      }
    }
  }
}

// Random Dot at a grain above 1: one draw per block that holds a lit pixel, blocks in
// row order, so dots keep the size and share they have at grain 1.
void randomBlocks(RandomGenerator& random, RgbRows text, float a, int grain) {
  for (int bi = 0; bi < text.height; bi += grain) {
    const int rows = std::min(grain, text.height - bi);
    for (int bk = 0; bk < text.width; bk += grain) {
      const int columns = std::min(grain, text.width - bk);
      bool lit = false;
      for (int i = 0; i < rows && !lit; ++i)
        for (int k = 0; k < columns && !lit; ++k) lit = text.pixel(bi + i, bk + k)[0] != 0;
      if (!lit || a > randomBelow(random, 100)) continue;
      for (int i = 0; i < rows; ++i) std::memset(text.pixel(bi + i, bk), 0, columns * 3u);
    }
  }
}

void randomDot(RandomGenerator& random, RgbRows text, float a, int grain) {
  if (grain > 1) return randomBlocks(random, text, a, grain);
  for (int i = 0; i < text.height; ++i) {
    for (int k = 0; k < text.width; ++k) {
      std::uint8_t* px = text.pixel(i, k);
      if (px[0] == 0) continue;  // black pixels draw nothing, which keeps the sequence
      int r = randomBelow(random, 100);
      if (a <= r) px[0] = px[1] = px[2] = 0;
    }
  }
}

}  // namespace

void distortTextRaster(NoiseState& noise, RgbRows text, int t, int frequency, int amplitude,
                       int grain) {
  if (text.width <= 0 || text.height <= 0) return;
  // Single precision where the effect has always kept these values in floats.
  const float a = static_cast<float>(amplitude * 0.1);
  const float b = static_cast<float>(frequency * 0.01 / text.width * 360);
  const float c = static_cast<float>(b * 0.1);
  auto fractal = [&](int i, int k, double z) {
    return fBm(noise, static_cast<double>(c * k), static_cast<double>(c * i), z, 3, 2, 2);
  };

  switch (t) {
    case kSinX:
      warp(text, [&](int i, int k) -> SourcePoint {
        return {double(i), k + a * std::sin(b * i * kDegree)};
      });
      break;
    case kSinY:
      warp(text, [&](int i, int k) -> SourcePoint {
        return {i + a * std::sin(b * k * kDegree), double(k)};
      });
      break;
    case kSinXY:
      warp(text, [&](int i, int k) -> SourcePoint {
        return {i + a * std::cos(b * k * kDegree), k + a * std::sin(b * i * kDegree)};
      });
      break;
    case kFractalX:
      warp(text, [&](int i, int k) -> SourcePoint {
        return {double(i), a * fractal(i, k, 0) + k};
      });
      break;
    case kFractalY:
      warp(text, [&](int i, int k) -> SourcePoint {
        return {a * fractal(i, k, kFractalDepth) + i, double(k)};
      });
      break;
    case kFractalXY:
      warp(text, [&](int i, int k) -> SourcePoint {
        // Column noise first, as the effect has always drawn them.
        double column = a * fractal(i, k, 0) + k;
        double row = a * fractal(i, k, kFractalDepth) + i;
        return {row, column};
      });
      break;
    case kRandomDot:
      randomDot(noise.random, text, a, grain);
      break;
    default:
      break;
  }
}

}  // namespace vornel

namespace vornel {

void disturbTemplet(RenderCanvas& canvas, NoiseState& noise, int t, int frequency, int amplitude,
                    int grain) {
  if (t == kOriginalFont) {
    restoreTextRaster(canvas);
  } else {
    distortTextRaster(noise, canvas.textRows(), t, frequency, amplitude, grain);
  }
  computeEdgeMask(canvas);
}

}  // namespace vornel
