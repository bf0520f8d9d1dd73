#include "render/effects/three_d.h"

#include <algorithm>
#include <cmath>

#include "render/effects/effect_math.h"

namespace vornel {

namespace {

struct Vec3 {
  double x, y, z;
};

Vec3 normalized(Vec3 v) {
  double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length == 0.0) return {0.0, 0.0, 0.0};
  return {v.x / length, v.y / length, v.z / length};
}

// Where the light sits, in the frame whose origin is the canvas centre, x to the right,
// y up out of the image and z down the rows.
constexpr Vec3 kLight{4000.0, 10000.0, -4000.0};
// 255/256: the shade is scaled as the integer blends scale a full value.
constexpr double kDiffuse = 0.99609375;

std::uint8_t litChannel(int value, double d) {
  double shaded = value * d * kDiffuse + static_cast<double>(value / 3);
  int result = static_cast<int>(shaded);
  return static_cast<std::uint8_t>(result > 255 ? 255 : result);
}

}  // namespace

std::array<std::uint8_t, 3> shadeRelief(const ReliefState& relief, int row, int column,
                                        std::uint32_t color, int grain) {
  const int w = relief.field.width, h = relief.field.height;
  const double g = std::max(grain, 1);  // multiplying or dividing by 1 changes no bit
  double h0 = surfaceHeight(relief, column, row);
  double hx = surfaceHeight(relief, column + 1, row);
  double hy = surfaceHeight(relief, column, row + 1);
  Vec3 n = normalized({g * (hx - h0), 1.0, -(g * (hy - h0))});
  Vec3 p{static_cast<double>(column - w / 2) / g, h0, static_cast<double>(row - h / 2) / g};
  Vec3 l = normalized({kLight.x - p.x, kLight.y - p.y, kLight.z - p.z});
  double d = n.x * l.x + n.y * l.y + n.z * l.z;
  if (!(d >= 0.0)) d = 0.0;
  return {litChannel(colorChannel(color, 0), d), litChannel(colorChannel(color, 1), d),
          litChannel(colorChannel(color, 2), d)};
}

void threeDSingleColor(const ReliefState& relief, RgbRows text, RgbRows canvas,
                       const EffectRecord& record, std::int16_t* plane, int grain) {
  if (relief.field.width != text.width || relief.field.height != text.height) return;
  const int x = record.param(3), y = record.param(4);
  const std::uint32_t color = static_cast<std::uint32_t>(record.param(1));
  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span columns = effects::shiftedSpan(x, canvas.width);
  for (int r = rows.lo; r < rows.hi; ++r) {
    for (int c = columns.lo; c < columns.hi; ++c) {
      const std::uint8_t* m = text.pixel(r - y, c - x);
      if (m[0] == 0) continue;
      std::array<std::uint8_t, 3> shade = shadeRelief(relief, r - y, c - x, color, grain);
      std::uint8_t* px = canvas.pixel(r, c);
      for (int k = 0; k < 3; ++k)
        px[k] = static_cast<std::uint8_t>((m[k] * shade[k] + (255 - m[k]) * px[k]) >> 8);
      std::int16_t& cover = plane[static_cast<std::size_t>(r) * canvas.width + c];
      effects::addToPlane(cover, m[0]);
    }
  }
}

}  // namespace vornel
