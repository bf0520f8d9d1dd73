// The random sequence, the noise set-up, the distortion templates and the round box,
// checked against values worked out by hand from their formulas.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "render/canvas_layout.h"
#include "render/effects/distortion.h"
#include "render/effects/noise.h"
#include "render/effects/random.h"
#include "render/effects/round_box.h"
#include "tests/effects_test_support.h"

namespace vornel {
namespace {

// The generator written out afresh, to predict how far effects move the sequence.
struct ModelLcg {
  std::uint64_t state = 1;
  int draw() {
    state = (state * 214013 + 2531011) % (std::uint64_t{1} << 32);
    return static_cast<int>((state >> 16) & 0x7FFF);
  }
  void skip(int n) {
    for (int i = 0; i < n; ++i) draw();
  }
};

constexpr int kNoiseSetUpDraws = 256 * 6 + 255;

TEST(EffectsRandom, FirstDrawsFromStateOne) {
  RandomGenerator random;
  const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
  for (int e : expected) EXPECT_EQ(random.draw(), e);
}

TEST(EffectsRandom, RandomBelowTakesTheRemainderAndZeroDrawsNothing) {
  RandomGenerator random;
  EXPECT_EQ(randomBelow(random, 0), 0);
  EXPECT_EQ(random.state, 1u);  // nothing drawn
  EXPECT_EQ(randomBelow(random, 100), 41);
  EXPECT_EQ(randomBelow(random, 1000), 467);
  EXPECT_EQ(randomBelow(random, -1000), 334);  // the sign of n does not matter
  EXPECT_EQ(randomBelow(random, INT_MIN), 26500);
  EXPECT_EQ(randomBelow(random, 1), 0);
}

TEST(EffectsNoise, SetUpDrawsInOrderOnFirstUseOnly) {
  NoiseState noise;
  EXPECT_FALSE(noise.tablesBuilt);
  noise3(noise, 0.5, 0.25, 0.125);
  ModelLcg model;
  model.skip(kNoiseSetUpDraws);
  EXPECT_EQ(noise.random.state, model.state);
  noise3(noise, 1.5, 2.25, 3.125);
  EXPECT_EQ(noise.random.state, model.state);

  // Draws 1 (g1), 2-3 (g2), 4-6 (g3) of the sequence: 41, 18467, 6334, 26500, 19169, 15724.
  EXPECT_DOUBLE_EQ(noise.g1[0], (41 - 256) / 256.0);
  double g2x = 35 - 256, g2y = 190 - 256;  // 18467 % 512, 6334 % 512
  double l2 = std::sqrt(g2x * g2x + g2y * g2y);
  EXPECT_DOUBLE_EQ(noise.g2[0][0], g2x / l2);
  EXPECT_DOUBLE_EQ(noise.g2[0][1], g2y / l2);
  double g3[3] = {388 - 256, 225 - 256, 364 - 256};  // 26500, 19169, 15724 mod 512
  double l3 = std::sqrt(g3[0] * g3[0] + g3[1] * g3[1] + g3[2] * g3[2]);
  for (int k = 0; k < 3; ++k) EXPECT_DOUBLE_EQ(noise.g3[0][k], g3[k] / l3);

  std::set<int> values(noise.perm.begin(), noise.perm.begin() + 256);
  EXPECT_EQ(values.size(), 256u);
  EXPECT_EQ(*values.begin(), 0);
  EXPECT_EQ(*values.rbegin(), 255);
  for (int i = 0; i < 258; ++i) {
    EXPECT_EQ(noise.perm[256 + i], noise.perm[i]);
    EXPECT_EQ(noise.g3[256 + i], noise.g3[i]);
  }
}

TEST(EffectsNoise, LatticeZerosBoundsAndFbmOctaves) {
  NoiseState noise;
  const double lattice[][3] = {{0, 0, 0}, {3, -7, 20}, {-5000, 12, 56}, {1e6, 4, -9}};
  for (const auto& p : lattice) EXPECT_EQ(noise3(noise, p[0], p[1], p[2]), 0.0);

  bool varied = false;
  for (int i = 0; i < 500; ++i) {
    double x = i * 0.37, y = i * 0.11 - 20, z = i * 0.05;
    double v = noise3(noise, x, y, z);
    EXPECT_LE(std::fabs(v), 1.5);
    if (std::fabs(v) > 0.05) varied = true;
    // Two octaves: the point, then twice the point at an eighth of the weight.
    EXPECT_DOUBLE_EQ(fBm(noise, x, y, z, 3, 2, 2),
                     noise3(noise, x, y, z) + noise3(noise, 2 * x, 2 * y, 2 * z) / 8);
  }
  EXPECT_TRUE(varied);
  // Later calls keep the first call's exponents (8^-i) whatever they pass.
  EXPECT_DOUBLE_EQ(fBm(noise, 0.3, 0.6, 0.9, 1, 3, 2),
                   noise3(noise, 0.3, 0.6, 0.9) + noise3(noise, 0.9, 1.8, 2.7) / 8);
  // A fractional octave count adds that share of one more octave.
  EXPECT_DOUBLE_EQ(fBm(noise, 0.3, 0.6, 0.9, 3, 2, 1.5),
                   noise3(noise, 0.3, 0.6, 0.9) + noise3(noise, 0.6, 1.2, 1.8) / 8 +
                       0.5 * noise3(noise, 1.2, 2.4, 3.6) / 64);
  // Coordinates far outside the int range and non-finite ones still give a number.
  EXPECT_TRUE(std::isfinite(noise3(noise, 1e300, -1e300, NAN)));
  EXPECT_TRUE(std::isfinite(fBm(noise, INFINITY, 1, 1, 3, 2, 1e9)));
  EXPECT_TRUE(std::isfinite(fBm(noise, 1, 1, 1, 3, 2, -4)));
}

// A raster whose pixels tell where they came from: blue = column low byte, green = 0x80
// plus the column's high bit, red = row; never black.
test::EffectCanvas labelledRaster(int w, int h) {
  test::EffectCanvas c(w, h);
  for (int r = 0; r < h; ++r) {
    for (int k = 0; k < w; ++k) {
      std::uint8_t* p = c.textRows().pixel(r, k);
      p[0] = static_cast<std::uint8_t>(k & 255);
      p[1] = static_cast<std::uint8_t>(0x80 | (k >> 8));
      p[2] = static_cast<std::uint8_t>(r);
    }
  }
  return c;
}

// The source column of pixel (row, column), or -1 when it was made black.
int sourceColumn(test::EffectCanvas& c, int row, int column) {
  const std::uint8_t* p = c.textRows().pixel(row, column);
  if (p[0] == 0 && p[1] == 0 && p[2] == 0) return -1;
  return p[0] | ((p[1] & 1) << 8);
}

int sourceRow(test::EffectCanvas& c, int row, int column) {
  const std::uint8_t* p = c.textRows().pixel(row, column);
  if (p[0] == 0 && p[1] == 0 && p[2] == 0) return -1;
  return p[2];
}

TEST(EffectsDistortion, SinXOnA360PixelCanvasShiftsRowsByTenSinDegrees) {
  NoiseState noise;
  auto c = labelledRaster(360, 272);
  // b = 100 x 0.01 / 360 x 360 = 1 degree per row, amplitude 10 pixels.
  distortTextRaster(noise, c.textRows(), kSinX, 100, 100);
  for (int k : {0, 100, 359}) EXPECT_EQ(sourceColumn(c, 0, k), k);
  // Row 90: 10 sin(90 x 3.14 / 180) = 9.99999..., truncated to a shift of 9.
  EXPECT_EQ(sourceColumn(c, 90, 0), 9);
  EXPECT_EQ(sourceColumn(c, 90, 350), 359);
  EXPECT_EQ(sourceColumn(c, 90, 351), -1);
  // Row 30: 10 sin(0.5233) = 4.997...
  EXPECT_EQ(sourceColumn(c, 30, 100), 104);
  // Row 270: -9.99997: column 9 reads -0.99997, truncated to column 0; column 8 reads
  // -1.99997, which is off the canvas.
  EXPECT_EQ(sourceColumn(c, 270, 20), 10);
  EXPECT_EQ(sourceColumn(c, 270, 10), 0);
  EXPECT_EQ(sourceColumn(c, 270, 9), 0);
  EXPECT_EQ(sourceColumn(c, 270, 8), -1);
  EXPECT_EQ(sourceRow(c, 270, 20), 270 & 255);
  // The shift returns to 0 half a period later: 10 sin(3.14) = 0.016.
  EXPECT_EQ(sourceColumn(c, 180, 77), 77);
}

TEST(EffectsDistortion, SourcesTruncateTowardZero) {
  NoiseState noise;
  // Row 270 with amplitude 0.7: column 0 reads -0.69999 and takes column 0.
  auto c = labelledRaster(360, 272);
  distortTextRaster(noise, c.textRows(), kSinX, 100, 7);
  EXPECT_EQ(sourceColumn(c, 270, 0), 0);
  EXPECT_EQ(sourceColumn(c, 270, 1), 0);
  EXPECT_EQ(sourceColumn(c, 270, 2), 1);
  // Amplitude 1.2: column 0 reads -1.19999 and becomes black, column 1 reads -0.19999.
  auto d = labelledRaster(360, 272);
  distortTextRaster(noise, d.textRows(), kSinX, 100, 12);
  EXPECT_EQ(sourceColumn(d, 270, 0), -1);
  EXPECT_EQ(sourceColumn(d, 270, 1), 0);
}

TEST(EffectsDistortion, SinYAndSinXYMoveTheRightAxes) {
  NoiseState noise;
  auto c = labelledRaster(360, 272);
  distortTextRaster(noise, c.textRows(), kSinY, 100, 100);
  // Column 90 reads row i + 9; columns are kept.
  EXPECT_EQ(sourceRow(c, 5, 90), 14);
  EXPECT_EQ(sourceColumn(c, 5, 90), 90);
  EXPECT_EQ(sourceRow(c, 263, 90), -1);  // 272 is past the last row

  auto d = labelledRaster(360, 272);
  distortTextRaster(noise, d.textRows(), kSinXY, 100, 100);
  // Row 90, column 0: column 0 + 9.99999 -> 9, row 90 + 10 cos(0) = 100.
  EXPECT_EQ(sourceColumn(d, 90, 0), 9);
  EXPECT_EQ(sourceRow(d, 90, 0), 100);
}

TEST(EffectsDistortion, FractalTemplatesMoveOnlyTheirAxis) {
  for (int t : {kFractalX, kFractalY, kFractalXY}) {
    NoiseState noise;
    auto c = labelledRaster(64, 48);
    distortTextRaster(noise, c.textRows(), t, 300, 80);
    int moved = 0;
    for (int r = 0; r < 48; ++r) {
      for (int k = 0; k < 64; ++k) {
        int sc = sourceColumn(c, r, k), sr = sourceRow(c, r, k);
        if (sc < 0) continue;
        if (t == kFractalY) {
          EXPECT_EQ(sc, k);
        }
        if (t == kFractalX) {
          EXPECT_EQ(sr, r);
        }
        EXPECT_LE(std::abs(sc - k), 9);  // |fBm| stays below 1.125 at amplitude 8
        EXPECT_LE(std::abs(sr - r), 9);
        if (sc != k || sr != r) ++moved;
      }
    }
    EXPECT_GT(moved, 100) << "template " << t;
  }
  // Amplitude 0 leaves every pixel where it was.
  NoiseState noise;
  auto c = labelledRaster(64, 48);
  auto before = c.text;
  distortTextRaster(noise, c.textRows(), kFractalXY, 300, 0);
  EXPECT_EQ(c.text, before);
}

TEST(EffectsDistortion, RandomDotKeepsPixelsByTheirDraws) {
  auto makeText = [] {
    test::EffectCanvas c(40, 30);
    for (int r = 0; r < 30; ++r)
      for (int k = 0; k < 40; ++k)
        if ((r * 7 + k) % 3 != 0) c.lightText(r, k);
    return c;
  };
  for (int p7 : {1000, 5, 9, 1, 0}) {
    NoiseState noise;
    auto c = makeText();
    auto original = c.text;
    distortTextRaster(noise, c.textRows(), kRandomDot, 100, p7);
    ModelLcg model;
    int kept = 0;
    for (int r = 0; r < 30; ++r) {
      for (int k = 0; k < 40; ++k) {
        bool wasLit = original[(r * 40 + k) * 3] != 0;
        bool lit = c.textRows().pixel(r, k)[0] != 0;
        if (!wasLit) {
          EXPECT_FALSE(lit);
          continue;
        }
        int draw = model.draw() % 100;
        bool keep = p7 == 1000 || (p7 > 0 && draw == 0);
        EXPECT_EQ(lit, keep) << "p7 " << p7 << " at " << r << "," << k;
        kept += lit;
      }
    }
    EXPECT_EQ(noise.random.state, model.state);  // one draw per lit pixel, none for black
    if (p7 == 1000) {
      EXPECT_EQ(kept, 800);
    }
    if (p7 == 0) {
      EXPECT_EQ(kept, 0);
    }
  }
}

TEST(EffectsDistortion, ExtremeParametersGiveCopiesOrBlack) {
  const int values[] = {0, -1, -600, 1, INT_MAX, INT_MIN, 100000};
  for (int t = 0; t <= 9; ++t) {
    for (int p6 : values) {
      for (int p7 : {0, -10, INT_MAX, INT_MIN}) {
        NoiseState noise;
        auto c = labelledRaster(16, 8);
        distortTextRaster(noise, c.textRows(), t, p6, p7);
        for (int r = 0; r < 8; ++r) {
          for (int k = 0; k < 16; ++k) {
            int sc = sourceColumn(c, r, k);
            EXPECT_TRUE(sc == -1 || (sc >= 0 && sc < 16));
          }
        }
      }
    }
  }
  // Template numbers with no warp of their own leave the raster as it is.
  NoiseState noise;
  auto c = labelledRaster(16, 8);
  auto before = c.text;
  for (int t : {0, 8, -1, 1000}) distortTextRaster(noise, c.textRows(), t, 100, 100);
  EXPECT_EQ(c.text, before);
}

// A 12 x 8 canvas whose text is a 6 x 4 block, with an extra coverage mark.
RenderCanvas blockCanvas() {
  RenderCanvas c;
  c.width = 12;
  c.height = 8;
  c.textRaster.assign(12 * 8 * 3, 0);
  for (int r = 2; r < 6; ++r)
    for (int k = 3; k < 9; ++k)
      for (int ch = 0; ch < 3; ++ch) c.textRaster[(r * 12 + k) * 3 + ch] = 255;
  c.savedTextRaster = c.textRaster;
  c.edgeMask.assign(12 * 8, 0);
  c.canvas.assign(12 * 8 * 3, 0);
  c.pressedCanvas.assign(12 * 8 * 3, 0);
  c.coverage.assign(12 * 8, 0);
  c.pressedCoverage.assign(12 * 8, 0);
  computeEdgeMask(c);
  c.coverage[20] = 77;
  return c;
}

TEST(EffectsDistortion, OriginalFontRestoresAndEveryTemplateRebuildsTheEdgeMask) {
  NoiseState noise;
  RenderCanvas c = blockCanvas();
  const auto edges = c.edgeMask;
  EXPECT_EQ(edges[2 * 12 + 3], 255);
  EXPECT_EQ(edges[3 * 12 + 4], 0);

  disturbTemplet(c, noise, kRandomDot, 100, 0);  // every lit pixel goes
  for (std::uint8_t e : c.edgeMask) EXPECT_EQ(e, 0);
  EXPECT_EQ(c.coverage[20], 77);

  disturbTemplet(c, noise, kOriginalFont, 0, 0);
  EXPECT_EQ(c.textRaster, c.savedTextRaster);
  EXPECT_EQ(c.edgeMask, edges);
  EXPECT_EQ(c.coverage[20], 0);  // coverage painted so far is lost

  // Two sin(y) warps add up; an unknown template only rebuilds the mask.
  disturbTemplet(c, noise, kSinY, 0, 0);
  EXPECT_EQ(c.textRaster, c.savedTextRaster);
  c.edgeMask.assign(c.edgeMask.size(), 9);
  disturbTemplet(c, noise, 42, 100, 100);
  EXPECT_EQ(c.edgeMask, edges);
}

int litCount(test::EffectCanvas& c) {
  int n = 0;
  for (int r = 0; r < c.h; ++r)
    for (int k = 0; k < c.w; ++k) n += c.textRows().pixel(r, k)[0] == 255;
  return n;
}

EffectRecord roundBoxRecord(int p5, int p6, int p7, int p8) {
  EffectRecord rec;
  rec.type = kRoundBoxEffect;
  rec.param(5) = p5;
  rec.param(6) = p6;
  rec.param(7) = p7;
  rec.param(8) = p8;
  return rec;
}

TEST(EffectsRoundBox, FullSizeAndOversizeBoxesLightTheWholeRaster) {
  for (int factor : {1000, 2000, INT_MAX}) {
    test::EffectCanvas c(40, 20);
    roundBox(c.textRows(), roundBoxRecord(factor, factor, 0, 0));
    EXPECT_EQ(litCount(c), 800) << factor;
  }
}

TEST(EffectsRoundBox, HalfSizeBoxIsCentred) {
  test::EffectCanvas c(40, 20);
  c.lightText(0, 0);  // the old text is cleared first
  // cx = 20, dx = 40 x 500 x 0.0005 = 10: columns 10 ... 29; cy = 10, dy = 5: rows 5 ... 14.
  roundBox(c.textRows(), roundBoxRecord(500, 500, 0, 0));
  for (int r = 0; r < 20; ++r)
    for (int k = 0; k < 40; ++k)
      EXPECT_EQ(c.textRows().pixel(r, k)[2], (r >= 5 && r < 15 && k >= 10 && k < 30) ? 255 : 0)
          << r << "," << k;
  // Rounded corners take pixels from the corners only.
  test::EffectCanvas d(40, 20);
  roundBox(d.textRows(), roundBoxRecord(500, 500, 200, 400));
  EXPECT_EQ(d.textRows().pixel(5, 10)[0], 0);
  EXPECT_EQ(d.textRows().pixel(10, 10)[0], 255);
  EXPECT_EQ(d.textRows().pixel(5, 20)[0], 255);
  EXPECT_LT(litCount(d), 200);
}

TEST(EffectsRoundBox, ZeroAndNegativeFactorsLeaveTheRasterBlack) {
  for (int factor : {0, -500, INT_MIN}) {
    test::EffectCanvas c(40, 20);
    c.lightAllText();
    roundBox(c.textRows(), roundBoxRecord(factor, 1000, factor, factor));
    EXPECT_EQ(litCount(c), 0) << factor;
  }
  test::EffectCanvas c(40, 20);
  roundBox(c.textRows(), roundBoxRecord(1000, 1000, INT_MAX, INT_MIN));
  EXPECT_EQ(c.textRows().pixel(10, 20)[0], 255);
}

}  // namespace
}  // namespace vornel
