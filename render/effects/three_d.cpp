#include "render/effects/three_d.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

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

namespace {

std::array<std::uint8_t, 3> shadeFromHeights(const ReliefState& relief, int row, int column,
                                             double h0, double hx, double hy, std::uint32_t color,
                                             int grain) {
  const int w = relief.field.width, h = relief.field.height;
  const double g = std::max(grain, 1);  // multiplying or dividing by 1 changes no bit
  Vec3 n = normalized({g * (hx - h0), 1.0, -(g * (hy - h0))});
  Vec3 p{static_cast<double>(column - w / 2) / g, h0, static_cast<double>(row - h / 2) / g};
  Vec3 l = normalized({kLight.x - p.x, kLight.y - p.y, kLight.z - p.z});
  double d = n.x * l.x + n.y * l.y + n.z * l.z;
  if (!(d >= 0.0)) d = 0.0;
  return {litChannel(colorChannel(color, 0), d), litChannel(colorChannel(color, 1), d),
          litChannel(colorChannel(color, 2), d)};
}

// Surface heights of two neighbouring field rows, each worked out once when first asked
// for: a pixel's shade reads its own height and those to its right and below, so each
// height serves three pixels.
class SurfaceRows {
 public:
  explicit SurfaceRows(const ReliefState& relief)
      : relief_(relief), rows_{Row(relief.field.width + 1), Row(relief.field.width + 1)} {}

  // Makes `row` the upper of the two.
  void moveTo(int row) {
    if (row == top_) return;
    if (row == top_ + 1) {
      std::swap(rows_[0], rows_[1]);
    } else {
      rows_[0].clear();
    }
    rows_[1].clear();
    top_ = row;
  }
  double at(int row, int column) {
    Row& r = rows_[row - top_];
    if (!r.known[column]) {
      r.value[column] = surfaceHeight(relief_, column, row);
      r.known[column] = 1;
    }
    return r.value[column];
  }

 private:
  struct Row {
    explicit Row(int n) : value(n), known(n) {}
    void clear() { std::fill(known.begin(), known.end(), 0); }
    std::vector<double> value;
    std::vector<std::uint8_t> known;
  };
  const ReliefState& relief_;
  Row rows_[2];
  int top_ = -2;
};

}  // namespace

std::array<std::uint8_t, 3> shadeRelief(const ReliefState& relief, int row, int column,
                                        std::uint32_t color, int grain) {
  return shadeFromHeights(relief, row, column, surfaceHeight(relief, column, row),
                          surfaceHeight(relief, column + 1, row),
                          surfaceHeight(relief, column, row + 1), color, grain);
}

void threeDSingleColor(const ReliefState& relief, RgbRows text, RgbRows canvas,
                       const EffectRecord& record, std::int16_t* plane, int grain) {
  if (relief.field.width != text.width || relief.field.height != text.height) return;
  const int x = record.param(3), y = record.param(4);
  const std::uint32_t color = static_cast<std::uint32_t>(record.param(1));
  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span columns = effects::shiftedSpan(x, canvas.width);
  SurfaceRows heights(relief);
  for (int r = rows.lo; r < rows.hi; ++r) {
    const int fr = r - y;
    heights.moveTo(fr);
    for (int c = columns.lo; c < columns.hi; ++c) {
      const int fc = c - x;
      const std::uint8_t* m = text.pixel(fr, fc);
      if (m[0] == 0) continue;
      std::array<std::uint8_t, 3> shade =
          shadeFromHeights(relief, fr, fc, heights.at(fr, fc), heights.at(fr, fc + 1),
                           heights.at(fr + 1, fc), color, grain);
      std::uint8_t* px = canvas.pixel(r, c);
      for (int k = 0; k < 3; ++k)
        px[k] = static_cast<std::uint8_t>((m[k] * shade[k] + (255 - m[k]) * px[k]) >> 8);
      std::int16_t& cover = plane[static_cast<std::size_t>(r) * canvas.width + c];
      effects::addToPlane(cover, m[0]);
    }
  }
}

}  // namespace vornel
