#include <gtest/gtest.h>

#include "render/effects/effect_kernel.h"
#include "render/effects/effects.h"
#include "tests/effects_test_support.h"

namespace vornel {
namespace {

using test::EffectCanvas;

// The blur kernel of a record: radius p6, total p5 x 0.02.
EffectKernel blur(int radius, int opacity) {
  EffectKernel k = makeKernel(2 * radius + 1, 2 * radius + 1);
  makeDomeKernel(k, static_cast<float>(radius));
  normalizeKernel(k, static_cast<float>(opacity * 0.02));
  return k;
}

// Radius 2 dome: 1 at the centre, sqrt 3 / 2 beside it, sqrt 2 / 2 diagonally, 0 at
// distance 2. One channel sums to 1 + 4 x 0.8660254 + 4 x 0.7071068 = 7.2925287, so
// with opacity 150 the weights are these divided by that sum.
constexpr double kDomeSum2 = 7.2925287;
constexpr double kCentre2 = 1.0 / kDomeSum2;          // 0.137127
constexpr double kSide2 = 0.8660254 / kDomeSum2;      // 0.118755
constexpr double kDiagonal2 = 0.7071068 / kDomeSum2;  // 0.096964

TEST(EffectsBlur, DomeKernels) {
  EffectKernel one = makeKernel(3, 3);
  makeDomeKernel(one, 1.0f);
  EXPECT_EQ(one.cell(0, 0)[0], 1.0f);
  for (int dy = -1; dy <= 1; ++dy)
    for (int dx = -1; dx <= 1; ++dx) {
      if (dy || dx) {
        EXPECT_EQ(one.cell(dy, dx)[2], 0.0f) << dy << "," << dx;
      }
    }
  EXPECT_FLOAT_EQ(blur(1, 150).cell(0, 0)[1], 1.0f);

  EffectKernel two = blur(2, 150);
  EXPECT_NEAR(two.cell(0, 0)[0], kCentre2, 1e-6);
  EXPECT_NEAR(two.cell(-1, 0)[1], kSide2, 1e-6);
  EXPECT_NEAR(two.cell(1, -1)[2], kDiagonal2, 1e-6);
  EXPECT_EQ(two.cell(0, 2)[0], 0.0f);

  for (float w : blur(0, 150).weights) EXPECT_EQ(w, 0.0f);
  for (float w : blur(4, 0).weights) EXPECT_EQ(w, 0.0f);
  EffectKernel damaged = makeKernel(-5, -5);  // a negative radius in a record
  EXPECT_EQ(damaged.weights.size(), 3u);
}

TEST(EffectsBlur, ShadowOfRadiusZeroOnlyCapsCoverage) {
  EffectCanvas c(4, 4);
  c.lightAllText();
  c.fillCanvas(10, 20, 30);
  c.cover(0, 0) = 300;
  c.cover(0, 1) = 255;
  c.cover(0, 2) = -5;
  c.cover(0, 3) = 100;
  dropShadow(c.textRows(), c.canvasRows(), 0, 0, blur(0, 150), 0xFFFFFF, c.plane.data());
  EXPECT_EQ(c.cover(0, 0), 255);
  EXPECT_EQ(c.cover(0, 1), 255);
  EXPECT_EQ(c.cover(0, 2), -5);
  EXPECT_EQ(c.cover(0, 3), 100);
  EXPECT_EQ(c.at(2, 2, 0), 10);
  EXPECT_EQ(c.at(2, 2, 2), 30);
}

TEST(EffectsBlur, ShadowOfRadiusOneIsAHardSilhouette) {
  EffectCanvas c(8, 8);
  c.lightText(1, 1);
  c.lightText(1, 2, 1);  // the coverage value is only tested, never used as a weight
  dropShadow(c.textRows(), c.canvasRows(), 2, 1, blur(1, 75), 0x000000C8, c.plane.data());
  // a = 75 / 150 = 0.5 under the moved silhouette.
  EXPECT_EQ(c.at(2, 3, 2), 100);
  EXPECT_EQ(c.at(2, 4, 2), 100);
  EXPECT_EQ(c.at(2, 3, 0), 0);
  EXPECT_EQ(c.cover(2, 3), 127);
  EXPECT_EQ(c.at(2, 5, 2), 0);
  EXPECT_EQ(c.at(1, 1, 2), 0);

  EffectCanvas strong(8, 8);
  strong.lightText(1, 1);
  dropShadow(strong.textRows(), strong.canvasRows(), 2, 1, blur(1, 300), 0x000000C8,
             strong.plane.data());
  EXPECT_EQ(strong.at(2, 3, 2), 200) << "a is capped at 1";
  EXPECT_EQ(strong.cover(2, 3), 255);
}

TEST(EffectsBlur, ShadowOfRadiusTwoSpreadsTheDome) {
  EffectCanvas c(10, 10);
  c.lightText(4, 4);
  dropShadow(c.textRows(), c.canvasRows(), 1, 2, blur(2, 150), 0x00FFFFFF, c.plane.data());
  EXPECT_EQ(c.at(6, 5, 1), 34);  // 255 x 0.137127 = 34.97
  EXPECT_EQ(c.cover(6, 5), 34);
  EXPECT_EQ(c.at(6, 6, 1), 30);  // 255 x 0.118755 = 30.28
  EXPECT_EQ(c.at(7, 6, 1), 24);  // 255 x 0.096964 = 24.73
  EXPECT_EQ(c.at(6, 7, 1), 0);
  EXPECT_EQ(c.cover(8, 5), 0);
}

TEST(EffectsBlur, ShadowsMovedOffATinyCanvasAreDropped) {
  for (int off : {-20, 20}) {
    EffectCanvas c(4, 4);
    c.lightAllText();
    dropShadow(c.textRows(), c.canvasRows(), off, off, blur(10, 150), 0xFFFFFF, c.plane.data());
    dropShadow(c.textRows(), c.canvasRows(), off, 0, blur(10, 150), 0xFFFFFF, c.plane.data());
    for (std::uint8_t v : c.canvas) ASSERT_EQ(v, 0);
  }
  EffectCanvas empty(0, 0);
  dropShadow(empty.textRows(), empty.canvasRows(), 0, 0, blur(3, 150), 0xFFFFFF,
             empty.plane.data());
  depthOfField(empty.canvasRows(), blur(3, 150));
  cutOut(empty.textRows(), empty.canvasRows(), 0, 0, blur(3, 150), 0xFFFFFF, empty.plane.data());
}

TEST(EffectsBlur, DepthOfFieldScalesBlackensAndKeepsBrightness) {
  EffectCanvas c(4, 4);
  c.fillCanvas(200, 101, 255);
  c.cover(1, 1) = 77;
  depthOfField(c.canvasRows(), blur(1, 75));
  EXPECT_EQ(c.at(3, 3, 0), 100);
  EXPECT_EQ(c.at(0, 2, 1), 50);
  EXPECT_EQ(c.at(1, 0, 2), 127);
  EXPECT_EQ(c.cover(1, 1), 77) << "coverage is not touched";

  depthOfField(c.canvasRows(), blur(0, 150));
  for (std::uint8_t v : c.canvas) ASSERT_EQ(v, 0);

  EffectCanvas flat(12, 8);
  flat.fillCanvas(180, 60, 255);
  depthOfField(flat.canvasRows(), blur(3, 150));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 12; ++x) {
      ASSERT_NEAR(flat.at(y, x, 0), 180, 1);
      ASSERT_NEAR(flat.at(y, x, 1), 60, 1);
      ASSERT_NEAR(flat.at(y, x, 2), 255, 1);
    }
}

TEST(EffectsBlur, DepthOfFieldRepeatsTheCornerOutward) {
  EffectCanvas c(8, 8);
  c.canvasRows().pixel(0, 0)[0] = 200;
  depthOfField(c.canvasRows(), blur(2, 150));
  // (0, 0) gathers every cell up and left of it from the corner:
  // (1 + 2 x 0.8660 + 0.7071) / 7.2925 = 0.47161 of 200.
  EXPECT_EQ(c.at(0, 0, 0), 94);
  // (0, 1) reads the corner through the cells one and two columns left:
  // (0.8660 + 0.7071) / 7.2925 = 0.21572 of 200.
  EXPECT_EQ(c.at(0, 1, 0), 43);
  EXPECT_EQ(c.at(1, 1, 0), 19);  // 0.096964 x 200
  EXPECT_EQ(c.at(2, 2, 0), 0);
  EXPECT_EQ(c.at(0, 0, 1), 0);
}

TEST(EffectsBlur, CutOutShadesLettersAlongTheCanvasEdge) {
  EffectCanvas c(8, 4);
  c.lightAllText();
  cutOut(c.textRows(), c.canvasRows(), 1, 0, blur(1, 150), 0x000000C8, c.plane.data());
  for (int r = 0; r < 4; ++r) {
    // Column 0 looks at text column -1, which counts as empty: full shade.
    EXPECT_EQ(c.at(r, 0, 2), 200);
    EXPECT_EQ(c.at(r, 0, 0), 0);
    EXPECT_EQ(c.cover(r, 0), 255);
    EXPECT_EQ(c.at(r, 1, 2), 0);
    EXPECT_EQ(c.cover(r, 1), 0);
  }

  EffectCanvas corner(8, 8);
  corner.lightAllText();
  corner.lightText(5, 5, 0);
  corner.fillCanvas(9, 9, 9);
  cutOut(corner.textRows(), corner.canvasRows(), 0, 0, blur(2, 150), 0x00FF0000,
         corner.plane.data());
  // (0, 0): every cell up or left of it is outside: 1 - 0.47161 = 0.52839.
  EXPECT_EQ(corner.at(0, 0, 0), 138);  // 9 + 0.52839 x (255 - 9) = 138.98
  EXPECT_EQ(corner.at(0, 0, 2), 4);    // 9 x 0.47161
  EXPECT_EQ(corner.cover(0, 0), 134);  // 0.52839 x 255
  // (0, 3): the rows above: (0.8660 + 2 x 0.7071) / 7.2925 = 0.31268.
  EXPECT_EQ(corner.cover(0, 3), 79);
  EXPECT_EQ(corner.at(5, 5, 0), 9) << "no text, no shade";
  EXPECT_EQ(corner.cover(5, 5), 0);
  EXPECT_EQ(corner.cover(4, 4), 24) << "the empty pixel diagonally below shades (4, 4)";

  EffectCanvas none(8, 4);
  none.lightAllText();
  cutOut(none.textRows(), none.canvasRows(), 3, 3, blur(2, 0), 0xFFFFFF, none.plane.data());
  for (std::uint8_t v : none.canvas) ASSERT_EQ(v, 0);
}

}  // namespace
}  // namespace vornel
