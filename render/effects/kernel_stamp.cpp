#include <algorithm>

#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

// The kernel rows and columns whose canvas pixel lies inside the canvas; callers keep
// the centre within a kernel's reach of the canvas, so none of this overflows.
struct Footprint {
  int dyLo, dyHi, dxLo, dxHi;  // inclusive
  bool empty() const { return dyLo > dyHi || dxLo > dxHi; }
};

Footprint footprint(RgbRows canvas, const EffectKernel& kernel, int cx, int cy) {
  long long dyLo = std::max<long long>(-kernel.ry, -static_cast<long long>(cy));
  long long dyHi = std::min<long long>(kernel.ry, static_cast<long long>(canvas.height) - 1 - cy);
  long long dxLo = std::max<long long>(-kernel.rx, -static_cast<long long>(cx));
  long long dxHi = std::min<long long>(kernel.rx, static_cast<long long>(canvas.width) - 1 - cx);
  if (dyLo > dyHi || dxLo > dxHi) return {0, -1, 0, -1};
  return {static_cast<int>(dyLo), static_cast<int>(dyHi), static_cast<int>(dxLo),
          static_cast<int>(dxHi)};
}

bool usable(const EffectKernel& kernel) {
  return kernel.rx >= 0 && kernel.ry >= 0 &&
         kernel.weights.size() >=
             static_cast<std::size_t>(2 * kernel.rx + 1) * (2 * kernel.ry + 1) * 3;
}

}  // namespace

void stampKernelOver(RgbRows canvas, const EffectKernel& kernel, int cx, int cy, double b, double g,
                     double r, std::int16_t* plane) {
  if (!usable(kernel)) return;
  const Footprint f = footprint(canvas, kernel, cx, cy);
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
  const Footprint f = footprint(canvas, kernel, cx, cy);
  if (f.empty()) return;
  for (int dy = f.dyLo; dy <= f.dyHi; ++dy) {
    const int row = cy + dy;
    std::uint8_t* px = canvas.pixel(row, cx + f.dxLo);
    std::int16_t* cover = plane + static_cast<std::size_t>(row) * canvas.width + (cx + f.dxLo);
    const float* w = kernel.cell(dy, f.dxLo);
    for (int dx = f.dxLo; dx <= f.dxHi; ++dx, px += 3, ++cover, w += 3) {
      // The light saturates at white; the sum is a float, as the weights are.
      for (int k = 0; k < 3; ++k) px[k] = effects::truncToByte(std::min(255.0f, px[k] + w[k]));
      effects::storePlane(*cover, effects::truncToInt(*cover + std::min(255.0f, w[0])));
    }
  }
}

}  // namespace vornel
