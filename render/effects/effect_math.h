// Small numeric helpers shared by the effects: conversions that keep every float-to-int
// step defined whatever the kernel or record holds, and the 16-bit coverage addition.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace vornel::effects {

// A pixel value from a blend result, truncated toward zero. Blends of in-range
// weights always land in 0..255; the clamp only guards kernels read from files.
inline std::uint8_t truncToByte(double v) {
  if (!(v > 0.0)) return 0;  // also NaN
  if (v >= 255.0) return 255;
  return static_cast<std::uint8_t>(v);
}

// Truncation toward zero into int, saturating instead of overflowing.
inline int truncToInt(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return -2147483647 - 1;
  return static_cast<int>(v);
}

// The coverage plane holds 16-bit values. Sums saturate rather than wrap: many
// overlapping stamps (thick outlines on large letters) can pass 32767, and a wrapped,
// negative coverage would make a fully painted pixel transparent.
inline void storePlane(std::int16_t& cell, int value) {
  cell = static_cast<std::int16_t>(std::clamp(value, -32768, 32767));
}
inline void addToPlane(std::int16_t& cell, int amount) {
  storePlane(cell, static_cast<int>(cell) + amount);
}

// The half-open range [lo, hi) of positions p in [0, size) for which p - offset is
// also in [0, size): where a raster shifted by offset overlaps itself. Empty when the
// shift moves it wholly away. Computed in 64 bits so any record offset is safe.
struct Span {
  int lo = 0, hi = 0;
  bool empty() const { return lo >= hi; }
};
inline Span shiftedSpan(int offset, int size) {
  long long lo = std::max<long long>(offset, 0);
  long long hi = std::min<long long>(static_cast<long long>(offset) + size, size);
  if (hi <= lo) return {};
  return {static_cast<int>(lo), static_cast<int>(hi)};
}

// Offset from a pixel position to a kernel centre, clamped so that a centre far off the
// canvas stays far off without overflowing int. `reach` bounds the kernel's half size.
inline int clampedCentre(int position, int offset, int size, int reach) {
  long long c = static_cast<long long>(position) + offset;
  long long bound = static_cast<long long>(size) + reach + 1;
  return static_cast<int>(std::clamp(c, -bound, bound));
}

// The kernel rows and columns (inclusive, relative to the centre) whose canvas pixel
// lies inside a width x height canvas; empty when the footprint misses it.
struct Footprint {
  int dyLo = 0, dyHi = -1, dxLo = 0, dxHi = -1;
  bool empty() const { return dyLo > dyHi || dxLo > dxHi; }
};
inline Footprint stampFootprint(int width, int height, int rx, int ry, int cx, int cy) {
  long long dyLo = std::max<long long>(-ry, -static_cast<long long>(cy));
  long long dyHi = std::min<long long>(ry, static_cast<long long>(height) - 1 - cy);
  long long dxLo = std::max<long long>(-rx, -static_cast<long long>(cx));
  long long dxHi = std::min<long long>(rx, static_cast<long long>(width) - 1 - cx);
  if (dyLo > dyHi || dxLo > dxHi) return {};
  return {static_cast<int>(dyLo), static_cast<int>(dyHi), static_cast<int>(dxLo),
          static_cast<int>(dxHi)};
}

// One cell of an adding stamp: light saturates at white, and the sums are floats, as
// the weights are.
inline void addPlaneWeight(std::int16_t* cover, float w0) {
  storePlane(*cover, truncToInt(*cover + std::min(255.0f, w0)));
}
inline void addLightCell(std::uint8_t* px, std::int16_t* cover, const float* w) {
  for (int k = 0; k < 3; ++k) px[k] = truncToByte(std::min(255.0f, px[k] + w[k]));
  addPlaneWeight(cover, w[0]);
}

}  // namespace vornel::effects
