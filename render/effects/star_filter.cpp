#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

// The highest scaled weight on the bottom row and the outer columns of ring `ring` (its
// top row is looked at by the trimming itself).
float ringSidesHighest(const EffectKernel& star, const float* scale, int ring) {
  float highest = 0.0f;
  for (int dx = -star.rx; dx <= star.rx; ++dx)
    for (int k = 0; k < 3; ++k)
      highest = std::max(highest, scale[k] * star.cell(star.ry - ring, dx)[k]);
  for (int dy = -star.ry; dy <= star.ry; ++dy)
    for (int k = 0; k < 3; ++k) {
      highest = std::max(highest, scale[k] * star.cell(dy, ring - star.rx)[k]);
      highest = std::max(highest, scale[k] * star.cell(dy, star.rx - ring)[k]);
    }
  return highest;
}

// The star scaled by intensity and colour, with the outer rings cut away while their
// top row stays below 1: such weights would add nothing after truncation, and cutting
// them keeps the stamp small. The same number of rings goes from all four sides. An
// enlarged star (allSides) is not centred on its middle cell, so there a ring goes only
// while all four of its sides stay below 1.
EffectKernel scaledStar(const EffectKernel& star, std::uint32_t color, float intensity,
                        bool allSides = false) {
  const float scale[3] = {intensity * static_cast<float>(colorChannel(color, 0)),
                          intensity * static_cast<float>(colorChannel(color, 1)),
                          intensity * static_cast<float>(colorChannel(color, 2))};
  const int side = 2 * star.rx + 1;
  int rings = 0;
  float highest = 0.0f;
  while (rings < star.ry && highest < 1.0f) {
    const float* w = star.cell(rings - star.ry, -star.rx);
    for (int c = 0; c < side; ++c)
      for (int k = 0; k < 3; ++k) highest = std::max(highest, scale[k] * w[c * 3 + k]);
    if (allSides) highest = std::max(highest, ringSidesHighest(star, scale, rings));
    ++rings;
  }
  rings = std::min(rings, star.rx);
  EffectKernel out = makeKernel(side - 2 * rings, 2 * star.ry + 1 - 2 * rings);
  for (int dy = -out.ry; dy <= out.ry; ++dy)
    for (int dx = -out.rx; dx <= out.rx; ++dx) {
      const float* src = star.cell(dy, dx);
      float* dst = out.cell(dy, dx);
      for (int k = 0; k < 3; ++k) dst[k] = scale[k] * src[k];
    }
  return out;
}

// The scaled star with, per kernel row, the runs of cells that can change a colour.
// The rest of the kernel (weights in [0, 0.5)) leaves every channel as it is after
// truncation, and a non-negative coverage value too; only a coverage value that has
// wrapped below zero still moves toward zero under them. Most of a star is such faint
// glow, so the stamp does the full work only on the runs.
struct PreparedStar {
  struct Run {
    int lo, hi;  // dx, inclusive
  };
  EffectKernel kernel;
  std::vector<std::vector<Run>> runs;  // indexed dy + ry

  explicit PreparedStar(EffectKernel k) : kernel(std::move(k)), runs(2 * kernel.ry + 1) {
    for (int dy = -kernel.ry; dy <= kernel.ry; ++dy) {
      std::vector<Run>& row = runs[dy + kernel.ry];
      for (int dx = -kernel.rx; dx <= kernel.rx; ++dx) {
        const float* w = kernel.cell(dy, dx);
        bool quiet = true;
        for (int k = 0; k < 3; ++k) quiet = quiet && w[k] >= 0.0f && w[k] < 0.5f;
        if (quiet) continue;
        if (!row.empty() && row.back().hi == dx - 1)
          row.back().hi = dx;
        else
          row.push_back({dx, dx});
      }
    }
  }

  void stamp(RgbRows canvas, int cx, int cy, std::int16_t* plane) const {
    const effects::Footprint f =
        effects::stampFootprint(canvas.width, canvas.height, kernel.rx, kernel.ry, cx, cy);
    if (f.empty()) return;
    for (int dy = f.dyLo; dy <= f.dyHi; ++dy) {
      const int row = cy + dy;
      // Pointers are formed only at the footprint's first cell: the centre itself may lie
      // off the canvas, and a pointer there would lie outside the buffers.
      std::uint8_t* px = canvas.pixel(row, cx + f.dxLo);
      std::int16_t* cover = plane + static_cast<std::size_t>(row) * canvas.width + (cx + f.dxLo);
      const float* w = kernel.cell(dy, f.dxLo);
      int next = f.dxLo;
      for (const Run& run : runs[dy + kernel.ry]) {
        if (run.hi < f.dxLo) continue;
        if (run.lo > f.dxHi) break;
        const int lo = std::max(run.lo, f.dxLo), hi = std::min(run.hi, f.dxHi);
        faintCells(cover, w, next - f.dxLo, lo - 1 - f.dxLo);
        for (int i = lo - f.dxLo; i <= hi - f.dxLo; ++i)
          effects::addLightCell(px + i * 3, cover + i, w + i * 3);
        next = hi + 1;
      }
      faintCells(cover, w, next - f.dxLo, f.dxHi - f.dxLo);
    }
  }

  // Cells lo ... hi counted from the pointers' first cell.
  static void faintCells(std::int16_t* cover, const float* w, int lo, int hi) {
    for (int i = lo; i <= hi; ++i)
      if (cover[i] < 0) effects::addPlaneWeight(cover + i, w[i * 3]);
  }
};

}  // namespace

namespace {

bool blockHasEdge(const std::uint8_t* edgeMask, int width, int height, int top, int left,
                  int grain) {
  for (int i = top; i < std::min(top + grain, height); ++i)
    for (int j = left; j < std::min(left + grain, width); ++j)
      if (edgeMask[static_cast<std::size_t>(i) * width + j] != 0) return true;
  return false;
}

}  // namespace

std::int64_t starStampCount(const std::uint8_t* edgeMask, int width, int height, int grain) {
  std::int64_t n = 0;
  const int g = std::max(grain, 1);
  for (int i = 0; i < height; i += g)
    for (int j = 0; j < width; j += g) n += blockHasEdge(edgeMask, width, height, i, j, g);
  return n;
}

void starFilter(RgbRows canvas, const std::uint8_t* edgeMask, const EffectKernel& star,
                std::uint32_t color, float intensity, int x, int y, std::int16_t* plane,
                int grain) {
  if (star.rx < 0 || star.ry < 0 ||
      star.weights.size() < static_cast<std::size_t>(2 * star.rx + 1) * (2 * star.ry + 1) * 3)
    return;  // an unloaded star draws nothing
  const PreparedStar prepared(scaledStar(star, color, intensity, grain > 1));
  const int reach = std::max(prepared.kernel.rx, prepared.kernel.ry);
  if (grain > 1) {
    // One stamp per block holding an edge pixel, at its top-left pixel: as many stamps
    // along an edge as at grain 1, each of the enlarged star, so the light they sum to
    // (each stamp's weights truncated on their own) is what grain 1 gives.
    for (int i = 0; i < canvas.height; i += grain)
      for (int j = 0; j < canvas.width; j += grain)
        if (blockHasEdge(edgeMask, canvas.width, canvas.height, i, j, grain))
          prepared.stamp(canvas, effects::clampedCentre(j, x, canvas.width, reach),
                         effects::clampedCentre(i, y, canvas.height, reach), plane);
    return;
  }
  for (int i = 0; i < canvas.height; ++i) {
    const std::uint8_t* edge = edgeMask + static_cast<std::size_t>(i) * canvas.width;
    for (int j = 0; j < canvas.width; ++j) {
      if (edge[j] == 0) continue;
      prepared.stamp(canvas, effects::clampedCentre(j, x, canvas.width, reach),
                     effects::clampedCentre(i, y, canvas.height, reach), plane);
    }
  }
}

void starPreview(RgbRows canvas, const EffectKernel& star, std::uint32_t color, float intensity,
                 std::int16_t* plane) {
  if (canvas.width <= 0 || canvas.height <= 0) return;
  std::memset(canvas.data, 0, static_cast<std::size_t>(canvas.width) * canvas.height * 3);
  if (star.rx < 0 || star.ry < 0 ||
      star.weights.size() < static_cast<std::size_t>(2 * star.rx + 1) * (2 * star.ry + 1) * 3)
    return;
  const EffectKernel scaled = scaledStar(star, color, intensity);
  // Fifty stamps side by side: the glow a straight edge of that length gets.
  for (int c = 25; c <= 74; ++c) stampKernelAdd(canvas, scaled, c, canvas.height / 2, plane);
}

}  // namespace vornel
