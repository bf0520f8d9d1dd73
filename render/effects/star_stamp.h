// The two ways a scaled star is added at an edge pixel. PlainStarStamp does each cell's
// float sums as the light they describe; IntegerStarStamp gets the same bytes from
// whole-number weights with saturating adds, which hold only where the float sums
// cannot round up to the next whole number (see its make).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "render/effects/effect_kernel.h"
#include "render/pixel_rows.h"

namespace vornel {

// Cells of one kernel row, dx inclusive.
struct StarRun {
  int lo = 0, hi = -1;
};

class PlainStarStamp {
 public:
  explicit PlainStarStamp(EffectKernel scaled);
  const EffectKernel& kernel() const { return kernel_; }
  void stamp(RgbRows canvas, int cx, int cy, std::int16_t* plane) const;

 private:
  EffectKernel kernel_;
  std::vector<std::vector<StarRun>> runs_;  // indexed dy + ry
};

class IntegerStarStamp {
 public:
  // Empty when a weight is negative or not a number: then coverage may fall below zero,
  // where the float sum truncates toward zero and whole-number adds do not.
  static std::optional<IntegerStarStamp> make(const EffectKernel& scaled);
  // The stamp equals PlainStarStamp's only over a plane with no value below zero.
  static bool planeFits(const std::int16_t* plane, int width, int height);
  void stamp(RgbRows canvas, int cx, int cy, std::int16_t* plane) const;

 private:
  IntegerStarStamp() = default;
  EffectKernel kernel_;                  // the float weights, for the exceptional cells
  std::vector<std::uint8_t> light_;      // per cell three channel bytes
  std::vector<std::int16_t> cover_;      // per cell
  std::vector<StarRun> span_;            // per row: the cells that change anything
  std::vector<std::vector<int>> exact_;  // per row: dx of cells summed in floats
};

}  // namespace vornel
