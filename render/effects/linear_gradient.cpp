#include <cmath>

#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

// Degrees to radians with 3.14 for pi: the gradient's directions depend on it.
constexpr double kDegree = 0.017444444444444446;

enum class Axis { Vertical, Horizontal, General };

// The gradient's set-up, hoisted out of the pixel loop. The geometry is kept in floats.
struct Ramp {
  int base[3];
  int delta[3];
  Axis axis;
  float sx, sy;  // start point
  float m, b;    // axis y = m x + b
  float mPerp;   // slope of the lines of equal colour
  float length;  // 2 x half-length

  float position(int px, int py) const {
    float dist;
    switch (axis) {
      case Axis::Vertical:
        dist = std::fabs(static_cast<float>(py) - sy);
        break;
      case Axis::Horizontal:
        dist = std::fabs(static_cast<float>(px) - sx);
        break;
      default: {
        // Foot of the line of equal colour through (px, py) on the axis.
        float bp = static_cast<float>(py) - mPerp * static_cast<float>(px);
        float fx = (bp - b) / (m - mPerp);
        float fy = m * fx + b;
        dist = static_cast<float>(
            std::sqrt(static_cast<double>((sx - fx) * (sx - fx) + (sy - fy) * (sy - fy))));
      }
    }
    // A zero length puts every point off the start line at the end colour.
    float t = length != 0.0f ? dist / length : (dist > 0.0f ? 1.0f : 0.0f);
    if (!(t >= 0.0f)) t = 0.0f;  // also NaN
    if (t > 1.0f) t = 1.0f;
    return t;
  }
};

Ramp makeRamp(int centerX, int centerY, int angle, std::uint32_t color1, std::uint32_t color2,
              int halfLength) {
  Ramp ramp{};
  for (int k = 0; k < 3; ++k) {
    ramp.base[k] = colorChannel(color1, k);
    ramp.delta[k] = colorChannel(color2, k) - ramp.base[k];
  }
  const float cx = static_cast<float>(centerX), cy = static_cast<float>(centerY);
  const float d = static_cast<float>(halfLength);
  ramp.length = 2.0f * d;
  const float a = static_cast<float>(angle);
  if (a == 90.0f || a == 270.0f) {
    ramp.axis = Axis::Vertical;
    ramp.sx = cx;
    ramp.sy = a == 90.0f ? cy - d : cy + d;
  } else if (a == 0.0f || a == 180.0f) {
    ramp.axis = Axis::Horizontal;
    ramp.sx = a == 0.0f ? cx - d : cx + d;
    ramp.sy = cy;
  } else {
    ramp.axis = Axis::General;
    const double theta = static_cast<double>(a) * kDegree;
    ramp.sx = static_cast<float>(cx - d * std::cos(theta));
    ramp.sy = static_cast<float>(cy - d * std::sin(theta));
    ramp.m = static_cast<float>(std::tan(theta));
    ramp.b = ramp.sy - ramp.m * ramp.sx;
    ramp.mPerp = static_cast<float>(std::tan((static_cast<double>(a) + 90.0) * kDegree));
  }
  return ramp;
}

}  // namespace

void linearGradient(RgbRows text, RgbRows canvas, int centerX, int centerY, int x, int y, int angle,
                    std::uint32_t color1, std::uint32_t color2, int halfLength,
                    std::int16_t* plane) {
  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span cols = effects::shiftedSpan(x, canvas.width);
  if (rows.empty() || cols.empty()) return;
  const Ramp ramp = makeRamp(centerX, centerY, angle, color1, color2, halfLength);
  for (int r = rows.lo; r < rows.hi; ++r) {
    const std::uint8_t* src = text.pixel(r - y, cols.lo - x);
    std::uint8_t* dst = canvas.pixel(r, cols.lo);
    std::int16_t* cover = plane + static_cast<std::size_t>(r) * canvas.width + cols.lo;
    for (int c = cols.lo; c < cols.hi; ++c, src += 3, dst += 3, ++cover) {
      if (src[0] == 0) continue;
      // The colour is taken where the pixel lies in the text's own frame.
      const float t = ramp.position(c - x, r - y);
      for (int k = 0; k < 3; ++k) {
        int f = effects::truncToInt(t * static_cast<float>(ramp.delta[k]) +
                                    static_cast<float>(ramp.base[k])) &
                0xFF;
        dst[k] = static_cast<std::uint8_t>(((255 - src[k]) * dst[k] + src[k] * f) >> 8);
      }
      effects::addToPlane(*cover, src[2]);
    }
  }
}

}  // namespace vornel
