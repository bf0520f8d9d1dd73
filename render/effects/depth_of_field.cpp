// The depth of field: every pixel becomes the kernel's weighted sum over the picture as it
// was (edge pixels repeating outward), each channel limited to 255.
//
// Where a pixel's window (clamped to the canvas, as the repeated edges are) is all one
// colour, its sums are the kernel's sums times that colour, in the same order wherever
// the window lies: taken once per colour value. Only windows that hold two colours are
// gathered cell by cell: along the letters' edges, and across gradients and textures.
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/memory.h"
#include "render/effects/area_sums.h"
#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

bool usable(const EffectKernel& kernel) {
  return kernel.rx >= 0 && kernel.ry >= 0 &&
         kernel.weights.size() >=
             static_cast<std::size_t>(2 * kernel.rx + 1) * (2 * kernel.ry + 1) * 3;
}

// Where a colour changes from one pixel to the next, across and down.
struct ColourChanges {
  int rx, ry;
  effects::AreaCounts across, down;

  ColourChanges(RgbRows src, const EffectKernel& k)
      : rx(k.rx),
        ry(k.ry),
        across(src.width, src.height,
               [&](int c, int r) {
                 return c > 0 && std::memcmp(src.pixel(r, c), src.pixel(r, c - 1), 3) != 0;
               }),
        down(src.width, src.height, [&](int c, int r) {
          return r > 0 && std::memcmp(src.pixel(r, c), src.pixel(r - 1, c), 3) != 0;
        }) {}

  // The window of pixel (i, k), clamped to the canvas, holds one colour only.
  bool uniform(int i, int k) const {
    const std::int64_t left = std::int64_t{k} - rx, right = std::int64_t{k} + rx;
    const std::int64_t top = std::int64_t{i} - ry, bottom = std::int64_t{i} + ry;
    return across.count(std::max<std::int64_t>(left, 0) + 1, top, right, bottom) == 0 &&
           down.count(left, std::max<std::int64_t>(top, 0) + 1, right, bottom) == 0;
  }
};

// The kernel's sums over a window of one colour, per channel and value, made when first
// asked for: the gather's order, rows then cells ascending.
class UniformSums {
 public:
  explicit UniformSums(const EffectKernel& kernel) : kernel_(kernel) {}
  float at(int channel, std::uint8_t value) {
    std::size_t n = static_cast<std::size_t>(channel) * 256 + value;
    if (!made_[n]) {
      float sum = 0.0f;
      for (int dy = -kernel_.ry; dy <= kernel_.ry; ++dy) {
        const float* cell = kernel_.cell(dy, -kernel_.rx);
        for (int dx = -kernel_.rx; dx <= kernel_.rx; ++dx, cell += 3)
          sum += cell[channel] * static_cast<float>(value);
      }
      sums_[n] = sum;
      made_[n] = true;
    }
    return sums_[n];
  }

 private:
  const EffectKernel& kernel_;
  std::array<float, 768> sums_{};
  std::array<bool, 768> made_{};
};

}  // namespace

std::int64_t depthOfFieldCells(RgbRows canvas, const EffectKernel& kernel) {
  if (!usable(kernel) || canvas.width <= 0 || canvas.height <= 0) return 0;
  const ColourChanges changes(canvas, kernel);
  std::int64_t mixed = 0;
  std::array<bool, 768> values{};
  for (int i = 0; i < canvas.height; ++i)
    for (int k = 0; k < canvas.width; ++k) {
      if (!changes.uniform(i, k)) {
        ++mixed;
        continue;
      }
      const std::uint8_t* s = canvas.pixel(i, k);
      for (int c = 0; c < 3; ++c) values[static_cast<std::size_t>(c) * 256 + s[c]] = true;
    }
  const std::int64_t sums = std::count(values.begin(), values.end(), true);
  const std::int64_t cells = (2 * std::int64_t{kernel.rx} + 1) * (2 * kernel.ry + 1);
  return mixed * cells + (sums * cells + 2) / 3;  // a made sum is one channel's third
}

void depthOfField(RgbRows canvas, const EffectKernel& kernel) {
  const int w = canvas.width, h = canvas.height;
  const std::size_t bytes = static_cast<std::size_t>(w) * h * 3;
  if (bytes == 0 || !usable(kernel)) return;
  // The blur reads from a copy so that it can overwrite the canvas in place.
  std::vector<std::uint8_t> source = allocate<std::uint8_t>(bytes);
  std::memcpy(source.data(), canvas.data, bytes);
  const RgbRows src{source.data(), w, h};
  const ColourChanges changes(src, kernel);
  UniformSums uniformSums(kernel);
  for (int i = 0; i < h; ++i) {
    for (int k = 0; k < w; ++k) {
      float sum[3] = {0.0f, 0.0f, 0.0f};
      if (changes.uniform(i, k)) {
        const std::uint8_t* s = src.pixel(i, k);
        for (int c = 0; c < 3; ++c) sum[c] = uniformSums.at(c, s[c]);
      } else {
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
      }
      std::uint8_t* dst = canvas.pixel(i, k);
      for (int c = 0; c < 3; ++c) dst[c] = effects::truncToByte(std::min(sum[c], 255.0f));
    }
  }
}

}  // namespace vornel
