#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

void outline(RgbRows canvas, const std::uint8_t* edgeMask, const EffectKernel& disc,
             std::uint32_t color, int x, int y, std::int16_t* plane) {
  const double b = colorChannel(color, 0), g = colorChannel(color, 1), r = colorChannel(color, 2);
  const int reach = std::max(disc.rx, disc.ry);
  // Stamps overlap, each adding coverage again, so their order is part of the result.
  for (int i = 0; i < canvas.height; ++i) {
    const std::uint8_t* edge = edgeMask + static_cast<std::size_t>(i) * canvas.width;
    for (int j = 0; j < canvas.width; ++j) {
      if (edge[j] == 0) continue;
      stampKernelOver(canvas, disc, effects::clampedCentre(j, x, canvas.width, reach),
                      effects::clampedCentre(i, y, canvas.height, reach), b, g, r, plane);
    }
  }
}

}  // namespace vornel
