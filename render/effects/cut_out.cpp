#include <algorithm>

#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

// 1/255 as the float the shade is computed with.
constexpr float kInv255 = 0.003921568859368563f;

}  // namespace

void cutOut(RgbRows text, RgbRows canvas, int x, int y, const EffectKernel& kernel,
            std::uint32_t color, std::int16_t* plane) {
  const int w = canvas.width, h = canvas.height;
  if (kernel.rx < 0 || kernel.ry < 0 ||
      kernel.weights.size() < static_cast<std::size_t>(2 * kernel.rx + 1) * (2 * kernel.ry + 1) * 3)
    return;
  const double colour[3] = {static_cast<double>(colorChannel(color, 0)),
                            static_cast<double>(colorChannel(color, 1)),
                            static_cast<double>(colorChannel(color, 2))};
  for (int i = 0; i < h; ++i) {
    for (int k = 0; k < w; ++k) {
      // Outside the letters the shade is 0, which leaves pixel and coverage as they are.
      if (text.pixel(i, k)[0] == 0) continue;
      float sum[3] = {0.0f, 0.0f, 0.0f};
      for (int dy = -kernel.ry; dy <= kernel.ry; ++dy) {
        const long long tr = static_cast<long long>(i) + dy - y;
        const float* cell = kernel.cell(dy, -kernel.rx);
        for (int dx = -kernel.rx; dx <= kernel.rx; ++dx, cell += 3) {
          const long long tc = static_cast<long long>(k) + dx - x;
          // Beyond the raster counts as empty: letters are shaded along the canvas edge.
          if (tr < 0 || tr >= h || tc < 0 || tc >= w) {
            for (int c = 0; c < 3; ++c) sum[c] += cell[c] * 255.0f * kInv255;
          } else {
            const std::uint8_t* t = text.pixel(static_cast<int>(tr), static_cast<int>(tc));
            for (int c = 0; c < 3; ++c)
              sum[c] += cell[c] * static_cast<float>(255 - t[c]) * kInv255;
          }
        }
      }
      std::uint8_t* px = canvas.pixel(i, k);
      for (int c = 0; c < 3; ++c) {
        const double a = std::min(sum[c], 1.0f);
        px[c] = effects::truncToByte((1.0 - a) * px[c] + a * colour[c]);
      }
      std::int16_t& cover = plane[static_cast<std::size_t>(i) * w + k];
      effects::storePlane(cover, effects::truncToInt(std::min(sum[0], 1.0f) * 255.0 + cover));
    }
  }
}

}  // namespace vornel
