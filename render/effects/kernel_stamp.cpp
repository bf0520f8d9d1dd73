#include <algorithm>

#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

bool usable(const EffectKernel& kernel) {
  return kernel.rx >= 0 && kernel.ry >= 0 &&
         kernel.weights.size() >=
             static_cast<std::size_t>(2 * kernel.rx + 1) * (2 * kernel.ry + 1) * 3;
}

}  // namespace

void stampKernelOver(RgbRows canvas, const EffectKernel& kernel, int cx, int cy, double b, double g,
                     double r, std::int16_t* plane) {
  if (!usable(kernel)) return;
  const effects::Footprint f =
      effects::stampFootprint(canvas.width, canvas.height, kernel.rx, kernel.ry, cx, cy);
  if (f.empty()) return;
  const double colour[3] = {b, g, r};
  for (int dy = f.dyLo; dy <= f.dyHi; ++dy) {
    const int row = cy + dy;
    std::uint8_t* px = canvas.pixel(row, cx + f.dxLo);
    std::int16_t* cover = plane + static_cast<std::size_t>(row) * canvas.width + (cx + f.dxLo);
    const float* w = kernel.cell(dy, f.dxLo);
    for (int dx = f.dxLo; dx <= f.dxHi; ++dx, px += 3, ++cover, w += 3) {
      for (int k = 0; k < 3; ++k) {
        const double wk = w[k];
        px[k] = effects::truncToByte((1.0 - wk) * px[k] + wk * colour[k]);
      }
      effects::storePlane(*cover, effects::truncToInt(*cover + 255.0 * w[0]));
    }
  }
}

void stampKernelAdd(RgbRows canvas, const EffectKernel& kernel, int cx, int cy,
                    std::int16_t* plane) {
  if (!usable(kernel)) return;
  const effects::Footprint f =
      effects::stampFootprint(canvas.width, canvas.height, kernel.rx, kernel.ry, cx, cy);
  if (f.empty()) return;
  for (int dy = f.dyLo; dy <= f.dyHi; ++dy) {
    const int row = cy + dy;
    std::uint8_t* px = canvas.pixel(row, cx + f.dxLo);
    std::int16_t* cover = plane + static_cast<std::size_t>(row) * canvas.width + (cx + f.dxLo);
    const float* w = kernel.cell(dy, f.dxLo);
    for (int dx = f.dxLo; dx <= f.dxHi; ++dx, px += 3, ++cover, w += 3) {
      effects::addLightCell(px, cover, w);
    }
  }
}

}  // namespace vornel
