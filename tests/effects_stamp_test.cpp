#include <gtest/gtest.h>

#include <cmath>

#include "render/effects/effect_kernel.h"
#include "render/effects/effects.h"
#include "tests/effects_test_support.h"
#include "tests/test_support.h"

namespace vornel {
namespace {

using test::EffectCanvas;

EffectKernel disc(int radius) {
  EffectKernel k = makeKernel(2 * radius + 1, 2 * radius + 1);
  makeDiscKernel(k, static_cast<float>(radius));
  return k;
}

TEST(EffectsStamp, DiscKernelWeights) {
  EffectKernel zero = disc(0);
  ASSERT_EQ(zero.weights.size(), 3u);
  EXPECT_EQ(zero.cell(0, 0)[0], 1.0f);

  EffectKernel two = disc(2);
  EXPECT_EQ(two.rx, 2);
  EXPECT_EQ(two.cell(0, 0)[1], 1.0f);
  EXPECT_EQ(two.cell(1, 1)[1], 1.0f);  // distance 1.41 < 2
  EXPECT_EQ(two.cell(0, 2)[2], 1.0f);  // distance exactly 2: 3 - 2
  EXPECT_EQ(two.cell(-2, 0)[0], 1.0f);
  EXPECT_NEAR(two.cell(1, 2)[0], 0.764, 5e-4);  // 3 - sqrt 5
  EXPECT_NEAR(two.cell(-2, 1)[2], 0.764, 5e-4);
  EXPECT_NEAR(two.cell(2, 2)[0], 0.172, 5e-4);  // 3 - 2 sqrt 2
  EXPECT_NEAR(two.cell(-2, -2)[1], 0.172, 5e-4);
}

TEST(EffectsStamp, OutlineRadiusZeroStampsEdgePixelsInFullColour) {
  EffectCanvas c(6, 6);
  c.edge[2 * 6 + 3] = 255;
  c.edge[4 * 6 + 1] = 255;
  outline(c.canvasRows(), c.edge.data(), 0, 0x00C80064, 0, 0, c.plane.data());
  // The stamp blends in doubles: weight 1 gives the colour itself, not 255/256 of it.
  EXPECT_EQ(c.at(2, 3, 0), 200);
  EXPECT_EQ(c.at(2, 3, 1), 0);
  EXPECT_EQ(c.at(2, 3, 2), 100);
  EXPECT_EQ(c.cover(2, 3), 255);
  EXPECT_EQ(c.at(4, 1, 0), 200);
  EXPECT_EQ(c.at(2, 2, 0), 0);
  EXPECT_EQ(c.cover(3, 3), 0);
}

TEST(EffectsStamp, OutlineRadiusTwoBlendsTheRim) {
  EffectCanvas c(12, 12);
  c.fillCanvas(0, 0, 100);
  c.edge[5 * 12 + 5] = 255;
  outline(c.canvasRows(), c.edge.data(), 2, 0x000000C8, 1, -1, c.plane.data());
  // Centre moved to (row 4, column 6); red blends 100 -> 200 by the weight.
  EXPECT_EQ(c.at(4, 6, 2), 200);
  EXPECT_EQ(c.at(4, 8, 2), 200);
  EXPECT_EQ(c.at(5, 8, 2), 176);  // 100 + 0.764 * 100
  EXPECT_EQ(c.at(6, 8, 2), 117);  // 100 + 0.172 * 100
  EXPECT_EQ(c.at(7, 6, 2), 100);
  EXPECT_EQ(c.cover(5, 8), 194);  // 255 * 0.764
  EXPECT_EQ(c.cover(6, 8), 43);   // 255 * 0.172
  EXPECT_EQ(c.cover(4, 4), 255);
}

TEST(EffectsStamp, OverlappingOutlineStampsAddCoverageAgain) {
  EffectCanvas c(8, 8);
  c.edge[3 * 8 + 3] = 255;
  c.edge[3 * 8 + 4] = 255;
  outline(c.canvasRows(), c.edge.data(), 1, 0x00FFFFFF, 0, 0, c.plane.data());
  // Each of the two pixels gets weight 1 from its own stamp and from its neighbour's.
  EXPECT_EQ(c.cover(3, 3), 510);
  EXPECT_EQ(c.cover(3, 4), 510);
  EXPECT_EQ(c.cover(3, 2), 255);
  EXPECT_EQ(c.cover(2, 2), 149);  // 255 * (2 - sqrt 2), once
}

TEST(EffectsStamp, StampsPartlyOffTheCanvasPaintTheOverlap) {
  EffectCanvas c(4, 4);
  stampKernelOver(c.canvasRows(), disc(2), -1, 1, 0, 0, 90, c.plane.data());
  EXPECT_EQ(c.at(1, 0, 2), 90);
  EXPECT_EQ(c.at(1, 1, 2), 90);  // distance 2
  EXPECT_EQ(c.at(1, 2, 2), 0);   // distance 3: outside the disc
  // Outlines with offsets of +-20 on a 4-pixel canvas draw nothing.
  c.fillCanvas(0, 0, 0);
  c.edge[1 * 4 + 1] = 255;
  for (int off : {-20, 20}) {
    outline(c.canvasRows(), c.edge.data(), 2, 0xFFFFFF, off, 0, c.plane.data());
    outline(c.canvasRows(), c.edge.data(), 2, 0xFFFFFF, 0, off, c.plane.data());
  }
  for (std::uint8_t v : c.canvas) ASSERT_EQ(v, 0);
}

TEST(EffectsStamp, AddingStampTruncatesAndSaturates) {
  EffectKernel k = makeKernel(3, 1);
  k.cell(0, -1)[0] = 0.5f;  // 100 + 0.5 stays 100, and adds 0 coverage
  k.cell(0, 0)[1] = 300.0f;
  k.cell(0, 1)[2] = 7.75f;
  EffectCanvas c(4, 4);
  c.fillCanvas(100, 100, 100);
  stampKernelAdd(c.canvasRows(), k, 1, 2, c.plane.data());
  EXPECT_EQ(c.at(2, 0, 0), 100);
  EXPECT_EQ(c.cover(2, 0), 0);
  EXPECT_EQ(c.at(2, 1, 1), 255);
  EXPECT_EQ(c.at(2, 1, 0), 100);
  EXPECT_EQ(c.at(2, 2, 2), 107);
  EXPECT_EQ(c.cover(2, 2), 0) << "coverage comes from channel 0 only";
}

// A 101 x 101 star whose weights are 0.001 within ring `radius` of the centre.
EffectKernel squareStar(int radius) {
  EffectKernel k = makeKernel(kStarKernelSide, kStarKernelSide);
  for (int dy = -radius; dy <= radius; ++dy)
    for (int dx = -radius; dx <= radius; ++dx)
      for (int ch = 0; ch < 3; ++ch) k.cell(dy, dx)[ch] = 0.001f;
  return k;
}

TEST(EffectsStamp, StarWithAZeroColourChannelLeavesIt) {
  EffectCanvas c(8, 8);
  c.fillCanvas(10, 20, 30);
  c.edge[3 * 8 + 3] = 255;
  // Intensity 1 (x 1000): 1000 x 255 x 0.001 = 255 in blue and green, 0 in red.
  starFilter(c.canvasRows(), c.edge.data(), squareStar(50), 0x00FFFF00, 1000.0f, 0, 0,
             c.plane.data());
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      ASSERT_EQ(c.at(y, x, 0), 255);
      ASSERT_EQ(c.at(y, x, 1), 255);
      ASSERT_EQ(c.at(y, x, 2), 30);
      ASSERT_EQ(c.cover(y, x), 255);
    }
}

TEST(EffectsStamp, StarTrimCutsTheFirstRowThatReachesOne) {
  // Rows 0 ... 39 scale to 0; row 40 holds ring 10 at 255 and is cut with them, so the
  // stamp reaches 9 pixels from its centre.
  EffectCanvas c(40, 40);
  c.edge[20 * 40 + 20] = 255;
  starFilter(c.canvasRows(), c.edge.data(), squareStar(10), 0x00FFFFFF, 1000.0f, 0, 0,
             c.plane.data());
  EXPECT_EQ(c.at(20, 20, 0), 255);
  EXPECT_EQ(c.at(11, 29, 1), 255);
  EXPECT_EQ(c.at(10, 20, 1), 0);
  EXPECT_EQ(c.at(20, 30, 2), 0);
  EXPECT_EQ(c.at(29, 11, 2), 255);
}

TEST(EffectsStamp, FaintStarLightStillMovesWrappedCoverageTowardZero) {
  // Row 0 reaches 1 only in a cell the trim then cuts; all that is left adds 0.255.
  EffectKernel star = makeKernel(kStarKernelSide, kStarKernelSide);
  for (float& w : star.weights) w = 1e-6f;
  star.cell(-50, 0)[0] = 0.01f;
  EffectCanvas c(8, 8);
  c.fillCanvas(40, 40, 40);
  c.edge[3 * 8 + 3] = 255;
  c.cover(1, 1) = -5;
  c.cover(1, 2) = 5;
  starFilter(c.canvasRows(), c.edge.data(), star, 0x00FFFFFF, 1000.0f, 0, 0, c.plane.data());
  EXPECT_EQ(c.cover(1, 1), -4) << "trunc(-5 + 0.255)";
  EXPECT_EQ(c.cover(1, 2), 5);
  for (std::uint8_t v : c.canvas) ASSERT_EQ(v, 40);
}

TEST(EffectsStamp, StarFilterMatchesSingleStampsOfTheTrimmedKernel) {
  test::TestRandom random(7);
  EffectKernel star = makeKernel(kStarKernelSide, kStarKernelSide);
  for (float& w : star.weights) w = static_cast<float>(random.below(2000) - 200) * 1e-6f;
  star.cell(-50, 3)[1] = 0.01f;  // row 0 reaches 1: one ring is trimmed
  EffectCanvas c(24, 20), ref(24, 20);
  for (int i = 0; i < 20; ++i) {
    int y = 1 + random.below(18), x = 1 + random.below(22);
    c.edge[y * 24 + x] = ref.edge[y * 24 + x] = 255;
  }
  for (std::size_t i = 0; i < c.plane.size(); ++i)
    c.plane[i] = ref.plane[i] = static_cast<std::int16_t>(random.below(600) - 300);
  const std::uint32_t colour = 0x00C08040;
  starFilter(c.canvasRows(), c.edge.data(), star, colour, 2000.0f, 2, -1, c.plane.data());

  EffectKernel trimmed = makeKernel(99, 99);
  for (int dy = -49; dy <= 49; ++dy)
    for (int dx = -49; dx <= 49; ++dx)
      for (int k = 0; k < 3; ++k)
        trimmed.cell(dy, dx)[k] =
            2000.0f * static_cast<float>(colorChannel(colour, k)) * star.cell(dy, dx)[k];
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 24; ++x)
      if (ref.edge[y * 24 + x])
        stampKernelAdd(ref.canvasRows(), trimmed, x + 2, y - 1, ref.plane.data());
  EXPECT_EQ(c.canvas, ref.canvas);
  EXPECT_EQ(c.plane, ref.plane);
}

TEST(EffectsStamp, StarCentredLeftOfAndAboveTheCanvasLightsOnlyItsOverlap) {
  // A 7 x 7 square of 0.002 x 1000 x 255 = 510: the trim cuts its outer ring with the
  // empty ones, leaving reach 2. Offset (-2, -2) centres the stamp of edge pixel (1, 1)
  // at (-1, -1), so canvas rows and columns 0 and 1 saturate and nothing else changes.
  EffectKernel star = makeKernel(kStarKernelSide, kStarKernelSide);
  for (int dy = -3; dy <= 3; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      for (int ch = 0; ch < 3; ++ch) star.cell(dy, dx)[ch] = 0.002f;
  EffectCanvas c(8, 8);
  c.edge[1 * 8 + 1] = 255;
  starFilter(c.canvasRows(), c.edge.data(), star, 0x00FFFFFF, 1000.0f, -2, -2, c.plane.data());
  // And one centred right of and below the canvas: edge pixel (6, 6) moved by (3, 3).
  EffectCanvas d(8, 8);
  d.edge[6 * 8 + 6] = 255;
  starFilter(d.canvasRows(), d.edge.data(), star, 0x00FFFFFF, 1000.0f, 3, 3, d.plane.data());
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      const int near = x <= 1 && y <= 1 ? 255 : 0;
      const int far = x >= 7 && y >= 7 ? 255 : 0;
      for (int ch = 0; ch < 3; ++ch) {
        ASSERT_EQ(c.at(y, x, ch), near) << y << "," << x;
        ASSERT_EQ(d.at(y, x, ch), far) << y << "," << x;
      }
      ASSERT_EQ(c.cover(y, x), near);
      ASSERT_EQ(d.cover(y, x), far);
    }
}

TEST(EffectsStamp, StarWithoutAKernelDrawsNothing) {
  EffectCanvas c(8, 8);
  c.edge[3 * 8 + 3] = 255;
  starFilter(c.canvasRows(), c.edge.data(), EffectKernel{}, 0xFFFFFF, 20000.0f, 0, 0,
             c.plane.data());
  starFilter(c.canvasRows(), c.edge.data(), makeKernel(101, 101), 0xFFFFFF, 20000.0f, 0, 0,
             c.plane.data());
  for (std::uint8_t v : c.canvas) ASSERT_EQ(v, 0);
  for (std::int16_t v : c.plane) ASSERT_EQ(v, 0);
}

}  // namespace
}  // namespace vornel
