#include "render/effects/space.h"

#include <algorithm>
#include <cmath>

#include "render/effects/effect_math.h"
#include "render/effects/fog.h"

namespace vornel {

namespace {

constexpr double kC1 = 3.7469147814359997e-16;
constexpr double kC2 = 0.014404347826086955;
constexpr double kRed = 7e-7, kGreen = 6e-7, kBlue = 5e-7;
// Scales the radiance of a star to byte values.
constexpr double kRadianceScale = 1e-10;

struct StarColor {
  double x = 0, y = 0, z = 0;  // red, green, blue
  void add(double temperature, double brightness) {
    x += planckRadiance(kRed, temperature) * brightness * kRadianceScale;
    y += planckRadiance(kGreen, temperature) * brightness * kRadianceScale;
    z += planckRadiance(kBlue, temperature) * brightness * kRadianceScale;
  }
};

// The draws (tests, then u and v) happen in exactly this order for every pixel.
StarColor drawStar(NoiseState& noise, double gx, double gy, int sparsity) {
  RandomGenerator& random = noise.random;
  StarColor star;
  if (randomBelow(random, sparsity) < 100) {
    double e = fBm(noise, gx * 0.1, gy * 0.1, 20, 3, 2, 2);
    int u = randomBelow(random, 1000);
    int v = randomBelow(random, 1000);
    star.add(u + (e + 1) * 0.8 * 5000, v * 0.0001 + 0.021);
  }
  if (randomBelow(random, static_cast<int>(sparsity * 0.6)) < 100) {
    double e = fBm(noise, gx * 0.3, gy * 0.3 + 120, 120, 3, 2, 2);
    int u = randomBelow(random, 3000);
    int v = randomBelow(random, 800);
    star.add(u + (e + 1) * 0.8 * 3000, v * 0.00005 + 0.01);
  }
  return star;
}

void paintStar(const StarColor& star, std::uint8_t* px, std::int16_t& cover) {
  px[0] = lowByteOfTrunc(std::fmin(star.z, 255));
  px[1] = lowByteOfTrunc(std::fmin(star.y, 255));
  px[2] = lowByteOfTrunc(std::fmin(star.x, 255));
  effects::addToPlane(cover, 255);
}

// Blocks are laid on the text raster from its corner: with the offset scaled as well,
// each block is one pixel of the job at scale 1, and its noise is sampled there.
void spaceBlocks(NoiseState& noise, RgbRows text, RgbRows canvas, const EffectRecord& record,
                 std::int16_t* plane, int grain) {
  const int x = record.param(3), y = record.param(4);
  const std::int64_t size = record.param(5);
  const int sparsity = record.param(6);
  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span columns = effects::shiftedSpan(x, canvas.width);
  if (rows.empty() || columns.empty()) return;
  const int trLo = rows.lo - y, trHi = rows.hi - y, tcLo = columns.lo - x, tcHi = columns.hi - x;
  for (int br = trLo / grain * grain; br < trHi; br += grain) {
    const int r0 = std::max(br, trLo), r1 = std::min(br + grain, trHi);
    for (int bc = tcLo / grain * grain; bc < tcHi; bc += grain) {
      const int c0 = std::max(bc, tcLo), c1 = std::min(bc + grain, tcHi);
      bool lit = false;
      for (int tr = r0; tr < r1 && !lit; ++tr)
        for (int tc = c0; tc < c1 && !lit; ++tc) lit = text.pixel(tr, tc)[0] != 0;
      if (!lit) continue;
      double gx = static_cast<double>(bc / grain * size) * 0.001;
      double gy = static_cast<double>(br / grain * size) * 0.001;
      StarColor star = drawStar(noise, gx, gy, sparsity);
      if (star.x + star.y + star.z == 0) continue;
      for (int tr = r0; tr < r1; ++tr)
        for (int tc = c0; tc < c1; ++tc) {
          if (text.pixel(tr, tc)[0] == 0) continue;
          const int r = tr + y, c = tc + x;
          paintStar(star, canvas.pixel(r, c),
                    plane[static_cast<std::size_t>(r) * canvas.width + c]);
        }
    }
  }
}

}  // namespace

double planckRadiance(double lambda, double t) {
  if (t == 0.0) return 0.0;  // the limit from above, without dividing by zero
  return kC1 / (std::pow(lambda, 5) * (std::exp(kC2 / (lambda * t)) - 1));
}

void space(NoiseState& noise, RgbRows text, RgbRows canvas, const EffectRecord& record,
           std::int16_t* plane, int grain) {
  if (grain > 1) return spaceBlocks(noise, text, canvas, record, plane, grain);
  const int x = record.param(3), y = record.param(4);
  const std::int64_t size = record.param(5);
  const int sparsity = record.param(6);
  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span columns = effects::shiftedSpan(x, canvas.width);
  for (int r = rows.lo; r < rows.hi; ++r) {
    for (int c = columns.lo; c < columns.hi; ++c) {
      const int tr = r - y, tc = c - x;
      if (text.pixel(tr, tc)[0] == 0) continue;
      double gx = static_cast<double>(tc * size) * 0.001;
      double gy = static_cast<double>(tr * size) * 0.001;
      StarColor star = drawStar(noise, gx, gy, sparsity);
      if (star.x + star.y + star.z == 0) continue;
      paintStar(star, canvas.pixel(r, c), plane[static_cast<std::size_t>(r) * canvas.width + c]);
    }
  }
}

}  // namespace vornel
