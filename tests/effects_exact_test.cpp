// The kernel effects against their definitions: each reference below is the effect as
// its Part describes it, one kernel cell at a time (the way the effects were written
// before they learnt to skip work), and every case compares every byte of the canvas
// and every coverage value. Shapes, colours, coverage (negative and near saturation
// too), offsets and radii are random, seeded, and regenerated on every run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
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

// The blur kernel as the dispatcher builds it: a dome of radius r, normalised to
// opacity x 0.02.
EffectKernel blurKernel(int radius, int opacity) {
  EffectKernel k = makeKernel(2 * radius + 1, 2 * radius + 1);
  makeDomeKernel(k, static_cast<float>(radius));
  normalizeKernel(k, static_cast<float>(opacity * 0.02));
  return k;
}

// Drop shadow: every lit text pixel, in text order, adds its moved kernel into one float
// per pixel; then every pixel is blended by min(sum, 1).
void referenceDropShadow(EffectCanvas& c, int x, int y, const EffectKernel& k,
                         std::uint32_t color) {
  std::vector<float> acc(static_cast<std::size_t>(c.w) * c.h, 0.0f);
  for (int i = 0; i < c.h; ++i)
    for (int j = 0; j < c.w; ++j) {
      if (c.textRows().pixel(i, j)[0] == 0) continue;
      for (int dy = -k.ry; dy <= k.ry; ++dy)
        for (int dx = -k.rx; dx <= k.rx; ++dx) {
          const long long r = static_cast<long long>(i) + y + dy;
          const long long col = static_cast<long long>(j) + x + dx;
          if (r < 0 || r >= c.h || col < 0 || col >= c.w) continue;
          acc[static_cast<std::size_t>(r) * c.w + col] += k.cell(dy, dx)[0];
        }
    }
  for (int r = 0; r < c.h; ++r)
    for (int col = 0; col < c.w; ++col) {
      const double a = std::min(acc[static_cast<std::size_t>(r) * c.w + col], 1.0f);
      std::int16_t& cover = c.cover(r, col);
      if (cover > 255) cover = 255;
      std::uint8_t* px = c.canvasRows().pixel(r, col);
      for (int ch = 0; ch < 3; ++ch)
        px[ch] = effects::truncToByte((1.0 - a) * px[ch] + a * colorChannel(color, ch));
      effects::storePlane(cover, effects::truncToInt(a * 255.0 + cover));
    }
}

// Depth of field: every pixel, the kernel over a copy, edge pixels repeating outward.
void referenceDepthOfField(EffectCanvas& c, const EffectKernel& k) {
  const std::vector<std::uint8_t> src = c.canvas;
  for (int i = 0; i < c.h; ++i)
    for (int col = 0; col < c.w; ++col) {
      float sum[3] = {0.0f, 0.0f, 0.0f};
      for (int dy = -k.ry; dy <= k.ry; ++dy)
        for (int dx = -k.rx; dx <= k.rx; ++dx) {
          const int r = std::clamp(i + dy, 0, c.h - 1), q = std::clamp(col + dx, 0, c.w - 1);
          const std::uint8_t* s = &src[(static_cast<std::size_t>(r) * c.w + q) * 3];
          for (int ch = 0; ch < 3; ++ch) sum[ch] += k.cell(dy, dx)[ch] * static_cast<float>(s[ch]);
        }
      std::uint8_t* px = c.canvasRows().pixel(i, col);
      for (int ch = 0; ch < 3; ++ch) px[ch] = effects::truncToByte(std::min(sum[ch], 255.0f));
    }
}

// Cut out: at lit pixels, the kernel over the moved text, each cell weighing how far its
// pixel is from white, outside the raster counting as black.
void referenceCutOut(EffectCanvas& c, int x, int y, const EffectKernel& k, std::uint32_t color) {
  const float inv255 = 0.003921568859368563f;
  for (int i = 0; i < c.h; ++i)
    for (int col = 0; col < c.w; ++col) {
      if (c.textRows().pixel(i, col)[0] == 0) continue;
      float sum[3] = {0.0f, 0.0f, 0.0f};
      for (int dy = -k.ry; dy <= k.ry; ++dy)
        for (int dx = -k.rx; dx <= k.rx; ++dx) {
          const long long tr = static_cast<long long>(i) + dy - y;
          const long long tc = static_cast<long long>(col) + dx - x;
          const float* cell = k.cell(dy, dx);
          for (int ch = 0; ch < 3; ++ch) {
            if (tr < 0 || tr >= c.h || tc < 0 || tc >= c.w) {
              sum[ch] += cell[ch] * 255.0f * inv255;
            } else {
              const std::uint8_t* t =
                  c.textRows().pixel(static_cast<int>(tr), static_cast<int>(tc));
              sum[ch] += cell[ch] * static_cast<float>(255 - t[ch]) * inv255;
            }
          }
        }
      std::uint8_t* px = c.canvasRows().pixel(i, col);
      for (int ch = 0; ch < 3; ++ch) {
        const double a = std::min(sum[ch], 1.0f);
        px[ch] = effects::truncToByte((1.0 - a) * px[ch] + a * colorChannel(color, ch));
      }
      std::int16_t& cover = c.cover(i, col);
      effects::storePlane(cover, effects::truncToInt(std::min(sum[0], 1.0f) * 255.0 + cover));
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

// Opacities below, at and above 150 (where a wholly covered window reaches 1), zero and
// negative ones too.
int randomOpacity(std::mt19937& rng) {
  static const int kOpacities[] = {0, 37, 100, 149, 150, 151, 300, -60};
  return kOpacities[rng() % 8];
}

// Canvases of two or three flat colours with a few random pixels, the pictures a depth
// of field meets: large windows of one colour, and edges between them.
void flatCanvas(EffectCanvas& c, std::mt19937& rng, bool specks = true) {
  const std::uint8_t colours[3][3] = {{static_cast<std::uint8_t>(rng()), 7, 200},
                                      {255, 255, 255},
                                      {0, static_cast<std::uint8_t>(rng()), 90}};
  for (int i = 0; i < c.h; ++i)
    for (int j = 0; j < c.w; ++j) {
      const std::uint8_t* from = colours[c.textRows().pixel(i, j)[0] ? 0 : (j * 3 / c.w) % 2 + 1];
      std::memcpy(c.canvasRows().pixel(i, j), from, 3);
      if (specks && rng() % 50 == 0)
        c.canvasRows().pixel(i, j)[rng() % 3] = static_cast<std::uint8_t>(rng());
    }
}

TEST(EffectsExact, BlursMatchTheirCellByCellDefinitions) {
  std::mt19937 rng(314159);
  for (int n = 0; n < 240; ++n) {
    Case k = randomCase(rng, 24);
    k.radius = std::min(k.radius, 24);
    const EffectKernel kernel = blurKernel(k.radius, randomOpacity(rng));
    EffectCanvas want(k.w, k.h);
    randomShapes(want, rng);
    if (n % 2)
      randomCanvas(want, rng);
    else
      flatCanvas(want, rng);
    // A few grey text pixels: the cut out weighs them by their own value.
    if (n % 5 == 0) want.lightText(k.h / 2, k.w / 2, 77);
    const std::string what = k.what + " case " + std::to_string(n);
    {
      EffectCanvas ref = want, got = want;
      referenceDropShadow(ref, k.x, k.y, kernel, k.color);
      dropShadow(got.textRows(), got.canvasRows(), k.x, k.y, kernel, k.color, got.plane.data());
      expectSame(ref, got, "drop shadow " + what);
    }
    {
      EffectCanvas ref = want, got = want;
      referenceCutOut(ref, k.x, k.y, kernel, k.color);
      cutOut(got.textRows(), got.canvasRows(), k.x, k.y, kernel, k.color, got.plane.data());
      expectSame(ref, got, "cut out " + what);
    }
    {
      EffectCanvas ref = want, got = want;
      referenceDepthOfField(ref, kernel);
      depthOfField(got.canvasRows(), kernel);
      expectSame(ref, got, "depth of field " + what);
    }
    if (HasFatalFailure()) return;
  }
}

// Letters larger than the windows, where most windows are wholly lit, unlit or flat,
// at radii up to 100.
TEST(EffectsExact, BlursMatchOverLargeLettersUpToRadiusOneHundred) {
  std::mt19937 rng(2718);
  for (int radius : {3, 17, 40, 100}) {
    // Radius 100 on a canvas smaller than its window, which keeps the references quick.
    const int w = radius == 100 ? 64 : 120, h = radius == 100 ? 48 : 90;
    EffectCanvas want(w, h);
    for (int i = h / 11; i < h - h / 11; ++i)
      for (int j = w / 18; j < w - w / 15; ++j)
        if ((i - h / 2) * (i - h / 2) + (j - w / 2) * (j - w / 2) < w * w / 9 ||
            (j > w * 2 / 3 && i > h / 4))
          want.lightText(i, j);
    flatCanvas(want, rng, false);
    const EffectKernel kernel = blurKernel(radius, radius == 40 ? 300 : 150);
    const int x = radius / 3, y = -radius / 4;
    const std::string what = "radius " + std::to_string(radius);
    EffectCanvas ref = want, got = want;
    referenceDropShadow(ref, x, y, kernel, 0x00102030);
    dropShadow(got.textRows(), got.canvasRows(), x, y, kernel, 0x00102030, got.plane.data());
    expectSame(ref, got, "drop shadow " + what);
    ref = want, got = want;
    referenceCutOut(ref, x, y, kernel, 0x00102030);
    cutOut(got.textRows(), got.canvasRows(), x, y, kernel, 0x00102030, got.plane.data());
    expectSame(ref, got, "cut out " + what);
    ref = want, got = want;
    referenceDepthOfField(ref, kernel);
    depthOfField(got.canvasRows(), kernel);
    expectSame(ref, got, "depth of field " + what);
    if (HasFatalFailure()) return;
  }
}

// The counts the work budget charges leave out the windows answered without their
// cells: inside a large lit block, and over one flat colour.
TEST(EffectsExact, WindowsAnsweredWholeAreNotCounted) {
  EffectCanvas c(200, 160);
  for (int i = 10; i < 150; ++i)
    for (int j = 10; j < 190; ++j) c.lightText(i, j);
  c.fillCanvas(40, 50, 60);
  const std::int64_t lit = 140 * 180;
  // Radius 15: 961 cells; radius 3: 49.
  // Only pixels 30 or more inside the block are spared: (140 - 60) x (180 - 60) of them.
  EXPECT_LE(dropShadowCells(c.textRows(), 2, 3, blurKernel(15, 150)), (lit - 80 * 120) * 961);
  EXPECT_EQ(dropShadowCells(c.textRows(), 2, 3, blurKernel(3, 150)), lit * 49);
  EXPECT_LT(cutOutCells(c.textRows(), 2, 3, blurKernel(3, 150)), lit * 49 / 4);
  EXPECT_LT(depthOfFieldCells(c.canvasRows(), blurKernel(3, 150)), 200 * 160 * 49 / 4);
}

}  // namespace
}  // namespace vornel
