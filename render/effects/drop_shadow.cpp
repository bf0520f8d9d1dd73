#include <algorithm>

#include "platform/memory.h"
#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

// Adds the kernel's channel-0 weights around every covered text pixel moved by (x, y).
// Scattering once per text pixel is cheaper than gathering per canvas pixel, since most
// of the canvas is far from any letter.
void scatterShadow(RgbRows text, int x, int y, const EffectKernel& kernel,
                   std::vector<float>& acc) {
  const int w = text.width, h = text.height;
  for (int i = 0; i < h; ++i) {
    const long long cy = static_cast<long long>(i) + y;
    if (cy + kernel.ry < 0 || cy - kernel.ry >= h) continue;
    const int r0 = static_cast<int>(std::max<long long>(cy - kernel.ry, 0));
    const int r1 = static_cast<int>(std::min<long long>(cy + kernel.ry, h - 1));
    for (int j = 0; j < w; ++j) {
      if (text.pixel(i, j)[0] == 0) continue;
      const long long cx = static_cast<long long>(j) + x;
      if (cx + kernel.rx < 0 || cx - kernel.rx >= w) continue;
      const int c0 = static_cast<int>(std::max<long long>(cx - kernel.rx, 0));
      const int c1 = static_cast<int>(std::min<long long>(cx + kernel.rx, w - 1));
      for (int r = r0; r <= r1; ++r) {
        const float* cell = kernel.cell(static_cast<int>(r - cy), static_cast<int>(c0 - cx));
        float* dst = acc.data() + static_cast<std::size_t>(r) * w + c0;
        for (int c = c0; c <= c1; ++c, cell += 3) *dst++ += cell[0];
      }
    }
  }
}

}  // namespace

void dropShadow(RgbRows text, RgbRows canvas, int x, int y, const EffectKernel& kernel,
                std::uint32_t color, std::int16_t* plane) {
  const std::size_t count = static_cast<std::size_t>(canvas.width) * canvas.height;
  if (count == 0) return;
  std::vector<float> acc = allocate<float>(count);
  if (kernel.rx >= 0 && kernel.ry >= 0 &&
      kernel.weights.size() >=
          static_cast<std::size_t>(2 * kernel.rx + 1) * (2 * kernel.ry + 1) * 3)
    scatterShadow(text, x, y, kernel, acc);
  const double colour[3] = {static_cast<double>(colorChannel(color, 0)),
                            static_cast<double>(colorChannel(color, 1)),
                            static_cast<double>(colorChannel(color, 2))};
  std::uint8_t* px = canvas.data;
  for (std::size_t n = 0; n < count; ++n, px += 3) {
    const double a = std::min(acc[n], 1.0f);
    // Every pixel is capped, shadowed or not: a shadow resets piled-up coverage first.
    if (plane[n] > 255) plane[n] = 255;
    for (int k = 0; k < 3; ++k) px[k] = effects::truncToByte((1.0 - a) * px[k] + a * colour[k]);
    effects::storePlane(plane[n], effects::truncToInt(a * 255.0 + plane[n]));
  }
}

}  // namespace vornel
