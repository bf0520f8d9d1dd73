#include <algorithm>

#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

// The star scaled by intensity and colour, with the outer rings cut away while their
// top row stays below 1: such weights would add nothing after truncation, and cutting
// them keeps the stamp small. The same number of rings goes from all four sides.
EffectKernel scaledStar(const EffectKernel& star, std::uint32_t color, float intensity) {
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

}  // namespace

void starFilter(RgbRows canvas, const std::uint8_t* edgeMask, const EffectKernel& star,
                std::uint32_t color, float intensity, int x, int y, std::int16_t* plane) {
  if (star.rx < 0 || star.ry < 0 ||
      star.weights.size() < static_cast<std::size_t>(2 * star.rx + 1) * (2 * star.ry + 1) * 3)
    return;  // an unloaded star draws nothing
  const EffectKernel kernel = scaledStar(star, color, intensity);
  const int reach = std::max(kernel.rx, kernel.ry);
  for (int i = 0; i < canvas.height; ++i) {
    const std::uint8_t* edge = edgeMask + static_cast<std::size_t>(i) * canvas.width;
    for (int j = 0; j < canvas.width; ++j) {
      if (edge[j] == 0) continue;
      stampKernelAdd(canvas, kernel, effects::clampedCentre(j, x, canvas.width, reach),
                     effects::clampedCentre(i, y, canvas.height, reach), plane);
    }
  }
}

}  // namespace vornel
