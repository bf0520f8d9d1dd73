#include "render/effects/round_box.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "platform/round_rect.h"

namespace vornel {

namespace {

// Far enough outside any canvas that clipping gives the same picture, near enough that
// no int arithmetic on it can overflow.
constexpr double kCoordinateLimit = 1 << 24;

int truncClamped(double v) {
  if (std::isnan(v)) return 0;
  return static_cast<int>(std::trunc(std::clamp(v, -kCoordinateLimit, kCoordinateLimit)));
}

// The size times the per-mille factor: an integer product (taken in 64 bits so extreme
// factors cannot overflow) times the double constant.
double scaled(int size, std::int32_t factor, double constant) {
  return static_cast<double>(static_cast<std::int64_t>(size) * factor) * constant;
}

}  // namespace

void roundBox(RgbRows text, const EffectRecord& record) {
  if (text.width <= 0 || text.height <= 0) return;
  const int w = text.width, h = text.height;
  std::memset(text.data, 0, static_cast<std::size_t>(w) * h * 3);

  const int cx = w / 2, cy = h / 2;
  const double dx = scaled(w, record.param(5), 0.0005);
  const double dy = scaled(h, record.param(6), 0.0005);
  const int left = truncClamped(cx - dx), right = truncClamped(cx + dx);
  const int top = truncClamped(cy - dy), bottom = truncClamped(cy + dy);
  const int cornerWidth = truncClamped(scaled(w, record.param(7), 0.001));
  const int cornerHeight = truncClamped(scaled(h, record.param(8), 0.001));
  fillRoundRect(text.data, w, h, left, top, right, bottom, cornerWidth, cornerHeight);
}

}  // namespace vornel
