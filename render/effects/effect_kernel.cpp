#include "render/effects/effect_kernel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "imageio/checked_math.h"
#include "imageio/file_bytes.h"
#include "platform/memory.h"

namespace vornel {

EffectKernel makeKernel(int w, int h) {
  EffectKernel kernel;
  // A negative size (a damaged record) degrades to the single centre cell.
  kernel.rx = w > 1 ? (w - 1) / 2 : 0;
  kernel.ry = h > 1 ? (h - 1) / 2 : 0;
  std::size_t cells;
  std::size_t count;
  if (!checkedMul(static_cast<std::size_t>(2 * static_cast<long long>(kernel.rx) + 1),
                  static_cast<std::size_t>(2 * static_cast<long long>(kernel.ry) + 1), &cells) ||
      !checkedMul(cells, 3, &count))
    throw std::bad_alloc();
  kernel.weights = allocate<float>(count);
  return kernel;
}

double discWhole(float radius) {
  return std::floor(static_cast<double>(radius));
}

float discWeight(double whole, std::int64_t squaredDistance) {
  const double e = std::sqrt(static_cast<double>(squaredDistance));
  // Full weight inside the whole radius, a one-pixel linear rim beyond it.
  const double w = e < whole ? 1.0 : (e < whole + 1.0 ? whole + 1.0 - e : 0.0);
  return static_cast<float>(w);
}

void makeDiscKernel(EffectKernel& kernel, float radius) {
  const double whole = discWhole(radius);
  for (int dy = -kernel.ry; dy <= kernel.ry; ++dy) {
    for (int dx = -kernel.rx; dx <= kernel.rx; ++dx) {
      float w = discWeight(whole,
                           static_cast<std::int64_t>(dx) * dx + static_cast<std::int64_t>(dy) * dy);
      float* c = kernel.cell(dy, dx);
      c[0] = c[1] = c[2] = w;
    }
  }
}

void makeDomeKernel(EffectKernel& kernel, float radius) {
  // A negative radius (a damaged record) would give negative weights; no dome at all is
  // the sound reading, as for radius 0.
  if (!(radius > 0.0f)) {
    std::fill(kernel.weights.begin(), kernel.weights.end(), 0.0f);
    return;
  }
  const float rr = radius * radius;
  for (int dy = -kernel.ry; dy <= kernel.ry; ++dy) {
    for (int dx = -kernel.rx; dx <= kernel.rx; ++dx) {
      float v = rr - static_cast<float>(dy * dy) - static_cast<float>(dx * dx);
      float w = v > 0.0f ? static_cast<float>(std::sqrt(static_cast<double>(v)) / radius) : 0.0f;
      float* c = kernel.cell(dy, dx);
      c[0] = c[1] = c[2] = w;
    }
  }
}

void normalizeKernel(EffectKernel& kernel, float total) {
  // Every kernel normalised here is square, so this is the sum over (2ry + 1)^2 cells.
  float sum = 0.0f;
  for (float w : kernel.weights) sum += w;
  if (!(sum > 0.0f)) return;
  const float factor = (1.0f / sum) * total;
  for (float& w : kernel.weights) w *= factor;
}

bool loadStarKernel(const std::string& path, EffectKernel& out) {
  out = makeKernel(kStarKernelSide, kStarKernelSide);
  const std::size_t need = out.weights.size() * 4;
  // Only the first 101 x 101 x 12 bytes count; anything after them is ignored.
  std::vector<std::uint8_t> bytes;
  if (!readFileHead(path, need, bytes, nullptr) || bytes.size() != need) return false;
  for (std::size_t i = 0; i < out.weights.size(); ++i) {
    const std::uint8_t* p = bytes.data() + i * 4;
    std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
                         static_cast<std::uint32_t>(p[2]) << 16 |
                         static_cast<std::uint32_t>(p[3]) << 24;
    float w;
    std::memcpy(&w, &bits, sizeof w);
    // A damaged file must not feed NaN or infinity into the stamps.
    out.weights[i] = std::isfinite(w) ? w : 0.0f;
  }
  return true;
}

}  // namespace vornel
