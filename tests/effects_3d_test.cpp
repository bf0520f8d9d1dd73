// The height field's ring search, the shape profile and the 3D lighting, against values
// worked out by hand and a plain transcription of the ring search.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "render/dispatch.h"
#include "render/effects/height_field.h"
#include "render/effects/three_d.h"
#include "render/engine.h"
#include "tests/effects_test_support.h"
#include "tests/test_support.h"

namespace vornel {
namespace {

float fieldAt(const ReliefState& relief, int row, int column) {
  return relief.field.at(row, column);
}

void lightBlock(test::EffectCanvas& c, int top, int left, int rows, int columns) {
  for (int r = top; r < top + rows; ++r)
    for (int k = left; k < left + columns; ++k) c.lightText(r, k);
}

TEST(Effects3dHeightField, EdgePixelsAreOneAndTheBlockCentreIsItsDistance) {
  // A 9 x 9 block: its border touches unlit pixels at distance 1; its centre first meets
  // unlit pixels on ring 5, all at distance 5, which is the largest value.
  test::EffectCanvas c(20, 16);
  lightBlock(c, 3, 4, 9, 9);
  ReliefState relief;
  buildHeightField(relief, c.textRows());
  EXPECT_FLOAT_EQ(fieldAt(relief, 7, 8), 1.0f);
  EXPECT_FLOAT_EQ(fieldAt(relief, 3, 8), 1.0f / 5);
  EXPECT_FLOAT_EQ(fieldAt(relief, 7, 12), 1.0f / 5);
  EXPECT_FLOAT_EQ(fieldAt(relief, 4, 5), 2.0f / 5);
  EXPECT_FLOAT_EQ(fieldAt(relief, 0, 0), 0.0f);
  EXPECT_FLOAT_EQ(fieldAt(relief, 7, 3), 0.0f);
}

TEST(Effects3dHeightField, SinglePixelIsOneAndDiagonalHolesAreFoundOnRingTwo) {
  test::EffectCanvas one(12, 12);
  one.lightText(5, 6);
  ReliefState relief;
  buildHeightField(relief, one.textRows());
  EXPECT_FLOAT_EQ(fieldAt(relief, 5, 6), 1.0f);

  // The centre of a 3 x 3 block missing one corner: ring 1 (the 4-neighbours) is lit;
  // ring 2 holds the missing corner at distance sqrt 2.
  test::EffectCanvas c(12, 12);
  lightBlock(c, 4, 4, 3, 3);
  c.lightText(4, 4, 0);
  ReliefState r2;
  buildHeightField(r2, c.textRows());
  EXPECT_FLOAT_EQ(fieldAt(r2, 5, 5), 1.0f);  // sqrt 2 is the largest value
  EXPECT_FLOAT_EQ(fieldAt(r2, 5, 6), 1.0f / std::sqrt(2.0f));
}

TEST(Effects3dHeightField, FullyLitRasterReachesTheLastRing) {
  test::EffectCanvas c(16, 8);
  c.lightAllText();
  ReliefState relief;
  buildHeightField(relief, c.textRows());
  for (float v : relief.field.values) EXPECT_FLOAT_EQ(v, 1.0f);  // 258 everywhere
  test::EffectCanvas dark(16, 8);
  buildHeightField(relief, dark.textRows());
  for (float v : relief.field.values) EXPECT_EQ(v, 0.0f);
}

// The ring search exactly as described, every pixel from ring 0 with every sample.
std::vector<float> referenceRingSearch(test::EffectCanvas& c) {
  std::vector<float> values(static_cast<std::size_t>(c.w) * c.h);
  auto lit = [&](int r, int k) { return c.textRows().pixel(r, k)[0] == 255; };
  float largest = 0;
  for (int r = 0; r < c.h; ++r) {
    for (int col = 0; col < c.w; ++col) {
      float value = 0;
      for (int k = 0;; ++k) {
        bool anyUnlit = false;
        float nearest = 1e30f;
        int a = static_cast<int>(std::sin(0.785) * k + 1);
        for (int m = 0; m <= a; ++m) {
          int rad = k * k - m * m;
          if (rad < 0) continue;
          int d = static_cast<int>(std::sqrt(static_cast<double>(rad)));
          int pts[8][2] = {{m, d}, {m, -d}, {-m, d}, {-m, -d}, {d, m}, {-d, m}, {d, -m}, {-d, -m}};
          for (auto& p : pts) {
            int sr = r + p[0], sc = col + p[1];
            if (sr < 0 || sc < 0 || sr >= c.h || sc >= c.w || lit(sr, sc)) continue;
            anyUnlit = true;
            nearest =
                std::min(nearest, static_cast<float>(std::sqrt(double(p[0] * p[0] + p[1] * p[1]))));
          }
        }
        if (anyUnlit) {
          value = nearest;
          break;
        }
        if (k == 255) {
          value = 258;
          break;
        }
      }
      values[static_cast<std::size_t>(r) * c.w + col] = value;
      largest = std::max(largest, value);
    }
  }
  if (largest > 0)
    for (float& v : values) v /= largest;
  return values;
}

TEST(Effects3dHeightField, MatchesThePlainRingSearchOnRandomShapes) {
  test::TestRandom random(77);
  for (int trial = 0; trial < 6; ++trial) {
    test::EffectCanvas c(48, 36);
    // Blobs of discs and bars with a few holes, reaching the canvas edge sometimes.
    for (int n = 0; n < 4; ++n) {
      int cr = random.below(36), cc = random.below(48), rad = 2 + random.below(12);
      for (int r = 0; r < 36; ++r)
        for (int k = 0; k < 48; ++k)
          if ((r - cr) * (r - cr) + (k - cc) * (k - cc) <= rad * rad) c.lightText(r, k);
    }
    if (trial == 5) c.lightAllText();
    for (int n = 0; n < 3; ++n) c.lightText(random.below(36), random.below(48), 0);
    ReliefState relief;
    buildHeightField(relief, c.textRows());
    std::vector<float> expected = referenceRingSearch(c);
    ASSERT_EQ(relief.field.values.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
      ASSERT_FLOAT_EQ(relief.field.values[i], expected[i]) << "trial " << trial << " pixel " << i;
  }
}

TEST(Effects3dHeightField, RefreshRebuildsOnlyWhenStaleOrResized) {
  test::EffectCanvas c(16, 12);
  lightBlock(c, 2, 2, 8, 8);
  ReliefState relief;
  bool stale = true;
  refreshHeightField(relief, c.textRows(), stale);
  EXPECT_FALSE(stale);
  float centre = fieldAt(relief, 6, 6);
  c.lightAllText();  // a round box after the text: the field stays as it was
  refreshHeightField(relief, c.textRows(), stale);
  EXPECT_EQ(fieldAt(relief, 6, 6), centre);
  stale = true;
  refreshHeightField(relief, c.textRows(), stale);
  EXPECT_FLOAT_EQ(fieldAt(relief, 0, 0), 1.0f);
}

ShapeProfile profileOf(int shape, int p6, int p7, int p8, int p9, int p10) {
  EffectRecord rec;
  rec.param(5) = shape;
  rec.param(6) = p6;
  rec.param(7) = p7;
  rec.param(8) = p8;
  rec.param(9) = p9;
  rec.param(10) = p10;
  ShapeProfile p;
  loadShapeProfile(p, rec);
  EffectRecord back;
  storeShapeProfile(p, back);
  for (int n = 5; n <= 10; ++n) EXPECT_EQ(back.param(n), rec.param(n)) << n;
  return p;
}

TEST(Effects3dProfile, ShapesAndCap) {
  ShapeProfile start;
  EXPECT_DOUBLE_EQ(profileHeight(start, 0.1), std::sin(0.628));  // start-up: shape 0, all 1

  ShapeProfile identity = profileOf(1, 100, 100, 1000, 100, 1000);
  for (double x : {0.0, 0.3, 1.0}) EXPECT_DOUBLE_EQ(profileHeight(identity, x), x);
  ShapeProfile capped = profileOf(1, 100, 100, 500, 100, 1000);
  EXPECT_DOUBLE_EQ(profileHeight(capped, 0.4), 0.4);
  EXPECT_DOUBLE_EQ(profileHeight(capped, 0.8), 0.5);

  // Shape 0, f = 1, thr = 1: Hs sin(6.28 x) below 1, the plateau lvl x Hs from 1 on.
  ShapeProfile waves = profileOf(0, 200, 100, 1000, 100, 300);
  EXPECT_DOUBLE_EQ(profileHeight(waves, 0.5), 2 * std::sin(3.14));
  EXPECT_DOUBLE_EQ(profileHeight(waves, 1.0), 0.6);
  ShapeProfile fifth = profileOf(2, 300, 0, 1000, 0, 0);
  EXPECT_DOUBLE_EQ(profileHeight(fifth, 10.0), 3 * std::pow(std::sin(1.2211111111111111), 5));
  // Any other shape is the identity; a zero height scale caps positive heights at 0.
  EXPECT_DOUBLE_EQ(profileHeight(profileOf(7, 100, 0, 1000, 0, 0), 0.75), 0.75);
  EXPECT_DOUBLE_EQ(profileHeight(profileOf(1, 0, 0, 1000, 0, 0), 0.75), 0.0);
  EXPECT_DOUBLE_EQ(profileHeight(profileOf(1, 0, 0, 1000, 0, 0), -0.75), -0.75);
}

TEST(Effects3dSurface, BordersAreZeroAndTheMeanIsWeighted) {
  test::EffectCanvas c(12, 12);
  c.lightAllText();
  ReliefState relief;
  buildHeightField(relief, c.textRows());
  relief.profile = profileOf(1, 100, 0, 1000, 0, 0);
  for (int k : {0, 1, 11}) EXPECT_EQ(surfaceHeight(relief, k, 5), 0.0) << k;
  for (int r : {0, 1, 11}) EXPECT_EQ(surfaceHeight(relief, 5, r), 0.0) << r;
  EXPECT_DOUBLE_EQ(surfaceHeight(relief, 10, 10), 1.0);
  EXPECT_DOUBLE_EQ(surfaceHeight(relief, 2, 2), 1.0);
  // One raised centre: 1/4 of it at the centre, 1/8 beside it, 1/16 diagonally.
  for (float& v : relief.field.values) v = 0;
  relief.field.values[5 * 12 + 5] = 1;
  EXPECT_DOUBLE_EQ(surfaceHeight(relief, 5, 5), 0.25);
  EXPECT_DOUBLE_EQ(surfaceHeight(relief, 6, 5), 0.125);
  EXPECT_DOUBLE_EQ(surfaceHeight(relief, 6, 6), 0.0625);
}

// A fully lit 40 x 20 raster whose profile flattens every height to 0 (shape 1, cap 0).
ReliefState flatRelief(test::EffectCanvas& c) {
  c.lightAllText();
  ReliefState relief;
  buildHeightField(relief, c.textRows());
  relief.profile = profileOf(1, 100, 0, 0, 0, 0);
  return relief;
}

TEST(Effects3dShade, FlatCentreGives255And108) {
  test::EffectCanvas c(40, 20);
  ReliefState relief = flatRelief(c);
  // d = 10000 / sqrt(4000^2 + 10000^2 + 4000^2) = 0.8704: red 255 -> 306 capped to 255,
  // green and blue 90 -> trunc(78.03 + 30) = 108.
  auto shade = shadeRelief(relief, 10, 20, 0x005A5AFF);
  EXPECT_EQ(shade[2], 255);
  EXPECT_EQ(shade[1], 108);
  EXPECT_EQ(shade[0], 108);
  // Black stays black; a colour of 3 has only its ambient third plus trunc(2.6).
  EXPECT_EQ(shadeRelief(relief, 10, 20, 0)[0], 0);
  EXPECT_EQ(shadeRelief(relief, 10, 20, 0x030303)[0], 3);
}

TEST(Effects3dEffect, FullCoverageReplacesWithTheShadeOverTheOffsetRegion) {
  test::EffectCanvas c(40, 20);
  ReliefState relief = flatRelief(c);
  c.fillCanvas(9, 9, 9);
  c.cover(0, 0) = 32760;
  EffectRecord rec;
  rec.type = k3dSingleColor;
  rec.param(1) = 0x005A5AFF;
  rec.param(3) = 3;
  rec.param(4) = 2;
  threeDSingleColor(relief, c.textRows(), c.canvasRows(), rec, c.plane.data());
  // Canvas (12, 23) shows text pixel (10, 20): floor(255 x shade / 256).
  EXPECT_EQ(c.at(12, 23, 2), 254);
  EXPECT_EQ(c.at(12, 23, 1), 107);
  EXPECT_EQ(c.at(12, 23, 0), 107);
  EXPECT_EQ(c.cover(12, 23), 255);
  // Rows above the offset and columns left of it are not visited.
  EXPECT_EQ(c.at(1, 30, 0), 9);
  EXPECT_EQ(c.at(10, 2, 0), 9);
  EXPECT_EQ(c.cover(1, 30), 0);
  // Coverage saturates at the 16-bit limit instead of wrapping to a negative value.
  EXPECT_EQ(c.cover(0, 0), 32760);

  test::EffectCanvas d(40, 20);
  ReliefState r2 = flatRelief(d);
  d.cover(5, 5) = 32760;
  rec.param(3) = rec.param(4) = 0;
  threeDSingleColor(r2, d.textRows(), d.canvasRows(), rec, d.plane.data());
  EXPECT_EQ(d.cover(5, 5), 32767);
}

TEST(Effects3dEffect, OddShapesAndOffsetsStayDefined) {
  for (int shape : {7, -3, 2, 0}) {
    for (int offset : {INT_MIN, -25, 0, 39, INT_MAX}) {
      test::EffectCanvas c(16, 12);
      lightBlock(c, 2, 2, 8, 10);
      ReliefState relief;
      buildHeightField(relief, c.textRows());
      EffectRecord rec;
      rec.param(1) = 0xFFFFFF;
      rec.param(3) = offset;
      rec.param(4) = offset / 2;
      for (int n = 5; n <= 10; ++n) rec.param(n) = n == 5 ? shape : INT_MAX - n;
      loadShapeProfile(relief.profile, rec);
      threeDSingleColor(relief, c.textRows(), c.canvasRows(), rec, c.plane.data());
    }
  }
}

}  // namespace
}  // namespace vornel

namespace vornel {
namespace {

// The engine's own state carries the relief and the random sequence between dispatches.
TEST(Effects3dDispatch, ReliefEffectsRunOnTheEngineState) {
  test::ScriptedHost host;
  Engine engine(host);
  RenderCanvas& c = engine.canvas;
  c.width = 24;
  c.height = 16;
  c.textRaster.assign(24 * 16 * 3, 0);
  for (int r = 4; r < 12; ++r)
    for (int k = 4; k < 20; ++k)
      for (int ch = 0; ch < 3; ++ch) c.textRaster[(r * 24 + k) * 3 + ch] = 255;
  c.savedTextRaster = c.textRaster;
  c.edgeMask.assign(24 * 16, 0);
  c.canvas.assign(24 * 16 * 3, 0);
  c.pressedCanvas = c.canvas;
  c.coverage.assign(24 * 16, 0);
  c.pressedCoverage = c.coverage;
  c.heightFieldStale = true;

  auto run = [&](EffectType type, std::initializer_list<std::pair<int, int>> params) {
    EffectRecord rec;
    rec.type = type;
    for (auto [n, v] : params) rec.param(n) = v;
    runEffect(engine, rec, c.textRows(), c.canvasRows(), c.coverage.data());
  };
  run(k3dSingleColor, {{1, 0xFFFFFF}, {5, 7}, {6, 100}, {8, 1000}});
  EXPECT_FALSE(c.heightFieldStale);
  EXPECT_EQ(engine.relief.profile.shape, 7);
  EXPECT_GT(c.canvas[(8 * 24 + 10) * 3], 0);
  EXPECT_EQ(c.coverage[8 * 24 + 10], 255);

  run(kFog, {{1, 0xFF}, {5, 1}, {6, 100}, {8, 1000}, {11, 0}, {12, 100}});
  EXPECT_EQ(engine.noise.random.state, [] {
    RandomGenerator model;
    for (int i = 0; i < 1791; ++i) model.draw();
    return model.state;
  }());
  run(kSpace, {{5, 10}, {6, 0}});
  run(kSpace, {{5, 10}, {6, 1}});
  run(kTile, {});  // no texture by that name: nothing changes
  run(kDisturbTemplet, {{5, 7}, {6, 100}, {7, 0}});
  for (std::size_t i = 0; i < c.textRaster.size(); ++i) ASSERT_EQ(c.textRaster[i], 0);
  run(kRoundBoxEffect, {{5, 1000}, {6, 1000}});
  for (std::size_t i = 0; i < c.textRaster.size(); ++i) ASSERT_EQ(c.textRaster[i], 255);
  run(kDisturbTemplet, {{5, 0}});
  EXPECT_EQ(c.textRaster, c.savedTextRaster);
  EXPECT_EQ(c.coverage[8 * 24 + 10], 0);
  EXPECT_EQ(c.edgeMask[4 * 24 + 10], 255);
}

}  // namespace
}  // namespace vornel
