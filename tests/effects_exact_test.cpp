// The kernel effects against their definitions: each reference below is the effect as
// its Part describes it, one kernel cell at a time (the way the effects were written
// before they learnt to skip work), and every case compares every byte of the canvas
// and every coverage value. Shapes, colours, coverage (negative and near saturation
// too), offsets and radii are random, seeded, and regenerated on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "render/effects/effect_kernel.h"
#include "render/effects/effect_math.h"
#include "render/effects/effects.h"
#include "tests/effects_test_support.h"

namespace vornel {
namespace {

using test::EffectCanvas;

// --- References ---------------------------------------------------------------------

// The outline's disc from the formula alone: 1 closer than floor(T), floor(T) + 1 - e on
// the rim, 0 beyond.
float referenceDiscWeight(int radius, int dx, int dy) {
  double e = std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy);
  double whole = std::floor(static_cast<double>(static_cast<float>(radius)));
  return static_cast<float>(e < whole ? 1.0 : (e < whole + 1.0 ? whole + 1.0 - e : 0.0));
}

// Outline: for each edge pixel in edge order, the disc stamped over the canvas.
void referenceOutline(EffectCanvas& c, int radius, std::uint32_t color, int x, int y) {
  const double colour[3] = {double(colorChannel(color, 0)), double(colorChannel(color, 1)),
                            double(colorChannel(color, 2))};
  for (int i = 0; i < c.h; ++i)
    for (int j = 0; j < c.w; ++j) {
      if (c.edge[static_cast<std::size_t>(i) * c.w + j] == 0) continue;
      const long long cy = static_cast<long long>(i) + y, cx = static_cast<long long>(j) + x;
      for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx) {
          const long long row = cy + dy, col = cx + dx;
          if (row < 0 || row >= c.h || col < 0 || col >= c.w) continue;
          const double w = referenceDiscWeight(radius, dx, dy);
          std::uint8_t* px = c.canvasRows().pixel(static_cast<int>(row), static_cast<int>(col));
          for (int k = 0; k < 3; ++k)
            px[k] = effects::truncToByte((1.0 - w) * px[k] + w * colour[k]);
          std::int16_t& cover = c.cover(static_cast<int>(row), static_cast<int>(col));
          effects::storePlane(cover, effects::truncToInt(cover + 255.0 * w));
        }
    }
}

// --- Random cases -------------------------------------------------------------------

struct Case {
  int w, h;
  int radius;
  int x, y;
  std::uint32_t color;
  std::string what;
};

// Letters of random blobs: rectangles, discs, single pixels and speckle, so that edges
// come straight, round, isolated and dense; then the edge mask by its rule.
void randomShapes(EffectCanvas& c, std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 3);
  const int blobs = std::uniform_int_distribution<int>(1, 6)(rng);
  for (int b = 0; b < blobs; ++b) {
    int cx = std::uniform_int_distribution<int>(0, c.w - 1)(rng);
    int cy = std::uniform_int_distribution<int>(0, c.h - 1)(rng);
    int size = std::uniform_int_distribution<int>(1, std::max(1, std::min(c.w, c.h) / 3))(rng);
    int k = kind(rng);
    for (int i = std::max(0, cy - size); i <= std::min(c.h - 1, cy + size); ++i)
      for (int j = std::max(0, cx - size); j <= std::min(c.w - 1, cx + size); ++j) {
        bool on = k == 0   ? true
                  : k == 1 ? (i - cy) * (i - cy) + (j - cx) * (j - cx) <= size * size
                  : k == 2 ? (i == cy && j == cx)
                           : (rng() % 3 == 0);
        if (on) c.lightText(i, j);
      }
  }
  auto lit = [&](int i, int j) { return c.textRows().pixel(i, j)[0] != 0; };
  for (int i = 1; i < c.h - 1; ++i)
    for (int j = 1; j < c.w - 1; ++j)
      if (lit(i, j) && !(lit(i - 1, j) && lit(i + 1, j) && lit(i, j - 1) && lit(i, j + 1)))
        c.edge[static_cast<std::size_t>(i) * c.w + j] = 255;
}

// A canvas of random colours and a coverage plane that is zero, moderate, near the top
// of its range or partly negative.
void randomCanvas(EffectCanvas& c, std::mt19937& rng) {
  for (auto& v : c.canvas) v = static_cast<std::uint8_t>(rng());
  const int mode = static_cast<int>(rng() % 4);
  for (auto& p : c.plane) {
    switch (mode) {
      case 0:
        p = 0;
        break;
      case 1:
        p = static_cast<std::int16_t>(rng() % 600);
        break;
      case 2:
        p = static_cast<std::int16_t>(32767 - static_cast<int>(rng() % 700));
        break;
      default:
        p = static_cast<std::int16_t>(static_cast<int>(rng() % 1400) - 1000);
        break;
    }
  }
}

Case randomCase(std::mt19937& rng, int maxRadius) {
  Case k;
  k.w = std::uniform_int_distribution<int>(1, 60)(rng);
  k.h = std::uniform_int_distribution<int>(1, 60)(rng);
  // Mostly small radii, as styles use them, and now and then up to maxRadius.
  k.radius = rng() % 4 == 0 ? std::uniform_int_distribution<int>(0, maxRadius)(rng)
                            : std::uniform_int_distribution<int>(0, 12)(rng);
  const int reach = k.radius + std::max(k.w, k.h);
  k.x = std::uniform_int_distribution<int>(-reach, reach)(rng) / (rng() % 3 == 0 ? 1 : 8);
  k.y = std::uniform_int_distribution<int>(-reach, reach)(rng) / (rng() % 3 == 0 ? 1 : 8);
  k.color = static_cast<std::uint32_t>(rng()) & 0xFFFFFF;
  k.what = std::to_string(k.w) + "x" + std::to_string(k.h) + " radius " + std::to_string(k.radius) +
           " offset " + std::to_string(k.x) + "," + std::to_string(k.y);
  return k;
}

void expectSame(const EffectCanvas& want, const EffectCanvas& got, const std::string& what) {
  ASSERT_EQ(want.canvas.size(), got.canvas.size());
  for (std::size_t n = 0; n < want.canvas.size(); ++n)
    ASSERT_EQ(int(want.canvas[n]), int(got.canvas[n]))
        << what << ": pixel " << n / 3 % want.w << "," << n / 3 / want.w << " channel " << n % 3;
  for (std::size_t n = 0; n < want.plane.size(); ++n)
    ASSERT_EQ(want.plane[n], got.plane[n])
        << what << ": coverage " << n % want.w << "," << n / want.w;
}

TEST(EffectsExact, OutlineMatchesStampingTheDisc) {
  std::mt19937 rng(20240611);
  for (int n = 0; n < 400; ++n) {
    Case k = randomCase(rng, 100);
    EffectCanvas want(k.w, k.h);
    randomShapes(want, rng);
    randomCanvas(want, rng);
    EffectCanvas got = want;
    referenceOutline(want, k.radius, k.color, k.x, k.y);
    outline(got.canvasRows(), got.edge.data(), k.radius, k.color, k.x, k.y, got.plane.data());
    expectSame(want, got, k.what);
    if (HasFatalFailure()) return;
  }
}

// Radius 100 over larger letters, where discs overlap by the thousand and the coverage
// saturates, and a ring of single pixels whose discs leave rim-only pixels between them.
TEST(EffectsExact, OutlineMatchesAtRadiusOneHundred) {
  std::mt19937 rng(7);
  for (int n = 0; n < 6; ++n) {
    EffectCanvas want(120 + n * 17, 90 + n * 11);
    randomShapes(want, rng);
    randomCanvas(want, rng);
    EffectCanvas got = want;
    const int x = n % 2 ? -30 : 12, y = n % 3 ? 40 : -7;
    referenceOutline(want, 100, 0x00C08040, x, y);
    outline(got.canvasRows(), got.edge.data(), 100, 0x00C08040, x, y, got.plane.data());
    expectSame(want, got, "radius 100, case " + std::to_string(n));
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace vornel
