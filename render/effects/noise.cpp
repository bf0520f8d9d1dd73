#include "render/effects/noise.h"

#include <cmath>
#include <cstdint>

namespace vornel {

namespace {

constexpr int kLatticeMask = kNoiseTableBase - 1;
constexpr double kLatticeShift = 4096.0;

double gradientComponent(RandomGenerator& random) {
  return static_cast<double>(random.draw() % (2 * kNoiseTableBase) - kNoiseTableBase) /
         kNoiseTableBase;
}

// A zero vector (all draws 256) is left as it is instead of becoming NaN.
template <std::size_t N>
void normalize(std::array<double, N>& v) {
  double sum = 0.0;
  for (double c : v) sum += c * c;
  double length = std::sqrt(sum);
  if (length == 0.0) return;
  for (double& c : v) c /= length;
}

struct LatticeAxis {
  int b0, b1;
  double r0, r1;
};

// Lattice cell and offsets of one coordinate. The integer part is taken in double and
// reduced modulo 256 there, so huge or non-finite coordinates cannot overflow an int;
// within the int range this equals (int)t & 255.
LatticeAxis latticeAxis(double coordinate) {
  double t = coordinate + kLatticeShift;
  if (!std::isfinite(t)) t = 0.0;
  double whole = std::trunc(t);
  int low = static_cast<int>(std::fmod(whole, 256.0));
  LatticeAxis axis;
  axis.b0 = low & kLatticeMask;
  axis.b1 = (axis.b0 + 1) & kLatticeMask;
  axis.r0 = t - whole;
  axis.r1 = axis.r0 - 1.0;
  return axis;
}

double sCurve(double t) {
  return t * t * (3.0 - 2.0 * t);
}
double lerp(double t, double a, double b) {
  return a + t * (b - a);
}

}  // namespace

void buildNoiseTables(NoiseState& noise) {
  if (noise.tablesBuilt) return;
  RandomGenerator& random = noise.random;
  // The draw order (one for g1, two for g2, three for g3 per entry, then the shuffle)
  // fixes which numbers the rest of the program's sequence continues with.
  for (int i = 0; i < kNoiseTableBase; ++i) {
    noise.perm[i] = i;
    noise.g1[i] = gradientComponent(random);
    for (double& c : noise.g2[i]) c = gradientComponent(random);
    normalize(noise.g2[i]);
    for (double& c : noise.g3[i]) c = gradientComponent(random);
    normalize(noise.g3[i]);
  }
  for (int i = kNoiseTableBase - 1; i > 0; --i) {
    int j = randomBelow(random, kNoiseTableBase);
    std::swap(noise.perm[i], noise.perm[j]);
  }
  for (int i = 0; i < kNoiseTableBase + 2; ++i) {
    noise.perm[kNoiseTableBase + i] = noise.perm[i];
    noise.g1[kNoiseTableBase + i] = noise.g1[i];
    noise.g2[kNoiseTableBase + i] = noise.g2[i];
    noise.g3[kNoiseTableBase + i] = noise.g3[i];
  }
  noise.tablesBuilt = true;
}

double noise3(NoiseState& noise, double x, double y, double z) {
  buildNoiseTables(noise);
  const auto& p = noise.perm;
  const auto& g3 = noise.g3;
  LatticeAxis ax = latticeAxis(x), ay = latticeAxis(y), az = latticeAxis(z);

  int i = p[ax.b0];
  int j = p[ax.b1];
  int b00 = p[i + ay.b0];
  int b10 = p[j + ay.b0];
  int b01 = p[i + ay.b1];
  int b11 = p[j + ay.b1];

  double sx = sCurve(ax.r0);
  double sy = sCurve(ay.r0);
  double sz = sCurve(az.r0);

  auto at = [&](int index, double rx, double ry, double rz) {
    const auto& q = g3[index];
    return rx * q[0] + ry * q[1] + rz * q[2];
  };

  double a = lerp(sx, at(b00 + az.b0, ax.r0, ay.r0, az.r0), at(b10 + az.b0, ax.r1, ay.r0, az.r0));
  double b = lerp(sx, at(b01 + az.b0, ax.r0, ay.r1, az.r0), at(b11 + az.b0, ax.r1, ay.r1, az.r0));
  double c = lerp(sy, a, b);
  a = lerp(sx, at(b00 + az.b1, ax.r0, ay.r0, az.r1), at(b10 + az.b1, ax.r1, ay.r0, az.r1));
  b = lerp(sx, at(b01 + az.b1, ax.r0, ay.r1, az.r1), at(b11 + az.b1, ax.r1, ay.r1, az.r1));
  double d = lerp(sy, a, b);
  return lerp(sz, c, d);
}

double fBm(NoiseState& noise, double x, double y, double z, double h, double lacunarity,
           double octaves) {
  if (!noise.exponentsBuilt) {
    double frequency = 1.0;
    for (double& e : noise.exponents) {
      e = std::pow(frequency, -h);
      frequency *= lacunarity;
    }
    noise.exponentsBuilt = true;
  }
  // The exponent table has 21 entries: 20 whole octaves and one fractional one.
  constexpr double kMaxOctaves = kFbmExponents - 1;
  if (!(octaves >= 0.0)) octaves = 0.0;
  if (octaves > kMaxOctaves) octaves = kMaxOctaves;

  double value = 0.0;
  int i = 0;
  for (; i < octaves; ++i) {
    value += noise3(noise, x, y, z) * noise.exponents[i];
    x *= lacunarity;
    y *= lacunarity;
    z *= lacunarity;
  }
  double remainder = octaves - std::trunc(octaves);
  if (remainder != 0.0) value += remainder * noise3(noise, x, y, z) * noise.exponents[i];
  return value;
}

}  // namespace vornel
