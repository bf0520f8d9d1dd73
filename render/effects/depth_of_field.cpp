#include <algorithm>
#include <cstring>

#include "platform/memory.h"
#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

void depthOfField(RgbRows canvas, const EffectKernel& kernel) {
  const int w = canvas.width, h = canvas.height;
  const std::size_t bytes = static_cast<std::size_t>(w) * h * 3;
  if (bytes == 0) return;
  if (kernel.rx < 0 || kernel.ry < 0 ||
      kernel.weights.size() < static_cast<std::size_t>(2 * kernel.rx + 1) * (2 * kernel.ry + 1) * 3)
    return;
  // The blur reads from a copy so that it can overwrite the canvas in place.
  std::vector<std::uint8_t> source = allocate<std::uint8_t>(bytes);
  std::memcpy(source.data(), canvas.data, bytes);
  const RgbRows src{source.data(), w, h};
  for (int i = 0; i < h; ++i) {
    for (int k = 0; k < w; ++k) {
      float sum[3] = {0.0f, 0.0f, 0.0f};
      for (int dy = -kernel.ry; dy <= kernel.ry; ++dy) {
        // Beyond the canvas the edge pixels repeat outward.
        const int row =
            static_cast<int>(std::clamp<long long>(static_cast<long long>(i) + dy, 0, h - 1));
        const float* cell = kernel.cell(dy, -kernel.rx);
        for (int dx = -kernel.rx; dx <= kernel.rx; ++dx, cell += 3) {
          const int col =
              static_cast<int>(std::clamp<long long>(static_cast<long long>(k) + dx, 0, w - 1));
          const std::uint8_t* s = src.pixel(row, col);
          for (int c = 0; c < 3; ++c) sum[c] += cell[c] * static_cast<float>(s[c]);
        }
      }
      std::uint8_t* dst = canvas.pixel(i, k);
      for (int c = 0; c < 3; ++c) dst[c] = effects::truncToByte(std::min(sum[c], 255.0f));
    }
  }
}

}  // namespace vornel
