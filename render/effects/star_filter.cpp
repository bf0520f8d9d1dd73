#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "render/effects/effect_math.h"
#include "render/effects/effects.h"
#include "render/effects/star_stamp.h"

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

namespace {

// One stamp per edge pixel, or per grain x grain block holding one, moved by (x, y).
template <class Stamp>
void stampEdges(const Stamp& stamp, RgbRows canvas, const std::uint8_t* edgeMask, int reach, int x,
                int y, std::int16_t* plane, int grain) {
  if (grain > 1) {
    // One stamp per block holding an edge pixel, at its top-left pixel: as many stamps
    // along an edge as at grain 1, each of the enlarged star, so the light they sum to
    // (each stamp's weights truncated on their own) is what grain 1 gives.
    for (int i = 0; i < canvas.height; i += grain)
      for (int j = 0; j < canvas.width; j += grain)
        if (blockHasEdge(edgeMask, canvas.width, canvas.height, i, j, grain))
          stamp.stamp(canvas, effects::clampedCentre(j, x, canvas.width, reach),
                      effects::clampedCentre(i, y, canvas.height, reach), plane);
    return;
  }
  for (int i = 0; i < canvas.height; ++i) {
    const std::uint8_t* edge = edgeMask + static_cast<std::size_t>(i) * canvas.width;
    for (int j = 0; j < canvas.width; ++j) {
      if (edge[j] == 0) continue;
      stamp.stamp(canvas, effects::clampedCentre(j, x, canvas.width, reach),
                  effects::clampedCentre(i, y, canvas.height, reach), plane);
    }
  }
}

bool usableStar(const EffectKernel& star) {
  return star.rx >= 0 && star.ry >= 0 &&
         star.weights.size() >= static_cast<std::size_t>(2 * star.rx + 1) * (2 * star.ry + 1) * 3;
}

}  // namespace

void starFilter(RgbRows canvas, const std::uint8_t* edgeMask, const EffectKernel& star,
                std::uint32_t color, float intensity, int x, int y, std::int16_t* plane,
                int grain) {
  if (!usableStar(star)) return;  // an unloaded star draws nothing
  EffectKernel scaled = scaledStar(star, color, intensity, grain > 1);
  const int reach = std::max(scaled.rx, scaled.ry);
  // Whole-number adds where they give the same bytes, the float sums otherwise.
  if (IntegerStarStamp::planeFits(plane, canvas.width, canvas.height))
    if (const auto fast = IntegerStarStamp::make(scaled)) {
      stampEdges(*fast, canvas, edgeMask, reach, x, y, plane, grain);
      return;
    }
  stampEdges(PlainStarStamp(std::move(scaled)), canvas, edgeMask, reach, x, y, plane, grain);
}

void starPreview(RgbRows canvas, const EffectKernel& star, std::uint32_t color, float intensity,
                 std::int16_t* plane) {
  if (canvas.width <= 0 || canvas.height <= 0) return;
  std::memset(canvas.data, 0, static_cast<std::size_t>(canvas.width) * canvas.height * 3);
  if (!usableStar(star)) return;
  const EffectKernel scaled = scaledStar(star, color, intensity);
  // Fifty stamps side by side: the glow a straight edge of that length gets.
  std::optional<IntegerStarStamp> fast;
  if (IntegerStarStamp::planeFits(plane, canvas.width, canvas.height))
    fast = IntegerStarStamp::make(scaled);
  for (int c = 25; c <= 74; ++c) {
    if (fast)
      fast->stamp(canvas, c, canvas.height / 2, plane);
    else
      stampKernelAdd(canvas, scaled, c, canvas.height / 2, plane);
  }
}

}  // namespace vornel
