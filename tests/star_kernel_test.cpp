#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/effects/effect_kernel.h"
#include "render/effects/effects.h"
#include "tests/effects_test_support.h"
#include "tests/test_support.h"

namespace vornel {
namespace {

using test::EffectCanvas;

std::string starPath(int kind) {
  return std::string(VORNEL_APPDATA_DIR) + "/star" + std::to_string(kind) + ".lit";
}

TEST(StarKernel, BuiltFilesLoad) {
  for (int kind = 0; kind < 3; ++kind) {
    EXPECT_EQ(test::readFileBytes(starPath(kind)).size(), 101u * 101u * 12u);
    EffectKernel k;
    ASSERT_TRUE(loadStarKernel(starPath(kind), k)) << kind;
    EXPECT_EQ(k.rx, 50);
    EXPECT_EQ(k.ry, 50);
  }
}

TEST(StarKernel, ReadsLittleEndianFloatsAndRefusesShortFiles) {
  test::TempDir dir;
  std::vector<std::uint8_t> bytes(101 * 101 * 12, 0);
  // Cell (-50, -50) channel 0 = 1.5, cell (0, 0) channel 2 = -2.0, one NaN.
  bytes[2] = 0xC0;
  bytes[3] = 0x3F;
  const std::size_t centre = (50 * 101 + 50) * 12 + 8;
  bytes[centre + 3] = 0xC0;
  bytes[16] = 0xFF;
  bytes[17] = 0xFF;
  bytes[18] = 0xFF;
  bytes[19] = 0x7F;
  test::writeFileBytes(dir.file("ok.lit"), bytes);
  EffectKernel k;
  ASSERT_TRUE(loadStarKernel(dir.file("ok.lit"), k));
  EXPECT_EQ(k.cell(-50, -50)[0], 1.5f);
  EXPECT_EQ(k.cell(0, 0)[2], -2.0f);
  EXPECT_EQ(k.cell(-50, -49)[1], 0.0f) << "a NaN weight is dropped";

  bytes.pop_back();
  test::writeFileBytes(dir.file("short.lit"), bytes);
  for (const std::string& name : {dir.file("short.lit"), dir.file("missing.lit")}) {
    EffectKernel z;
    EXPECT_FALSE(loadStarKernel(name, z));
    ASSERT_EQ(z.weights.size(), 101u * 101u * 3u);
    for (float w : z.weights) ASSERT_EQ(w, 0.0f);
  }
}

// What a single white star stamp at the given intensity adds to a black canvas.
EffectCanvas stampOnce(int kind, float intensity) {
  EffectCanvas c(128, 128);
  c.edge[64 * 128 + 64] = 255;
  EffectKernel k;
  loadStarKernel(starPath(kind), k);
  starFilter(c.canvasRows(), c.edge.data(), k, 0x00FFFFFF, intensity, 0, 0, c.plane.data());
  return c;
}

TEST(StarKernel, GlowIsWhiteAtTheCentreAndEndsWithinTwentyPixels) {
  EffectCanvas c = stampOnce(0, 10000.0f);
  EXPECT_GE(c.at(64, 64, 0), 250);
  EXPECT_GT(c.at(64, 64 + 10, 1), 0);
  EXPECT_GT(c.at(64 + 12, 64, 2), 0);
  for (int y = 0; y < 128; ++y)
    for (int x = 0; x < 128; ++x) {
      if (std::hypot(x - 64, y - 64) >= 20.0) {
        ASSERT_EQ(c.at(y, x, 0), 0) << x << "," << y;
      }
    }
}

TEST(StarKernel, StreaksAtIntensityTwentyReachTheKernelEdge) {
  // The outer ring always goes in trimming, so the edge of a stamp is 49 pixels out.
  EffectCanvas cross = stampOnce(1, 20000.0f);
  EXPECT_GT(cross.at(64, 64 + 49, 0), 0);
  EXPECT_GT(cross.at(64 - 49, 64, 0), 0);
  EXPECT_EQ(cross.at(64 - 30, 64 - 30, 0), 0);
  EffectCanvas diagonal = stampOnce(2, 20000.0f);
  EXPECT_GT(diagonal.at(64 + 49, 64 + 49, 0), 0);
  EXPECT_GT(diagonal.at(64 - 49, 64 + 49, 0), 0);
  // Off the diagonals only the round glow lights anything.
  EXPECT_EQ(diagonal.at(64, 64 + 30, 0), stampOnce(0, 20000.0f).at(64, 64 + 30, 0));
  // At the default intensity they stop short of the edge.
  EXPECT_EQ(stampOnce(1, 10000.0f).at(64, 64 + 49, 0), 0);
}

}  // namespace
}  // namespace vornel
