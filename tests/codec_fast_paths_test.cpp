// The codecs' fast paths (JPEG transform, nearest palette colour) against the plain code they stand
// beside, on random and hand-picked blocks: the same numbers, every one.
#include <gtest/gtest.h>

#include "imageio/color_reduce.h"
#include "imageio/jpeg_encoder.h"
#include "test_support.h"

namespace vornel {
namespace {

TEST(JpegFastPath, QuantisedBlocksEqualThePlainSums) {
  test::TestRandom rnd(4242);
  double samples[64];
  int plain[64], fast[64];
  for (int round = 0; round < 20000; ++round) {
    const int kind = round % 5;
    for (int i = 0; i < 64; ++i) {
      switch (kind) {
        case 0:  // anything
          samples[i] = rnd.below(256) - 128;
          break;
        case 1:  // flat: the AC sums cancel to (almost) zero
          samples[i] = round % 256 - 128;
          break;
        case 2:  // extremes, a checker board
          samples[i] = ((i / 8 + i % 8 + round) % 2) ? 127 : -128;
          break;
        case 3:  // a smooth ramp with a little noise
          samples[i] = std::min(127, std::max(-128, (i % 8) * 9 - 40 + rnd.below(5)));
          break;
        default:  // a few values only: sums land on the steps' edges more often
          samples[i] = (rnd.below(3) - 1) * 16;
          break;
      }
    }
    for (const auto* table : {kJpegLumaQuant.data(), kJpegChromaQuant.data()}) {
      quantizeBlockPlain(samples, table, plain);
      quantizeBlockFast(samples, table, fast);
      for (int k = 0; k < 64; ++k) ASSERT_EQ(fast[k], plain[k]) << "round " << round << " k " << k;
    }
  }
}

TEST(PaletteSearchFastPath, NearestEqualsTheFullScan) {
  test::TestRandom rnd(515);
  std::uint8_t palette[256 * 3];
  for (int round = 0; round < 200; ++round) {
    const int count = round % 3 == 0 ? 16 : (round % 3 == 1 ? 256 : 1 + rnd.below(256));
    // Few distinct values make ties (equal distances, repeated entries) common.
    const int levels = round % 2 ? 4 : 256;
    for (int i = 0; i < 256 * 3; ++i)
      palette[i] = static_cast<std::uint8_t>(rnd.below(levels) * (255 / (levels - 1)));
    PaletteSearch search(count, palette);
    for (int n = 0; n < 2000; ++n) {
      const int r = rnd.below(256), g = rnd.below(256), b = rnd.below(256);
      ASSERT_EQ(search.nearest(r, g, b), nearestPaletteIndex(count, palette, r, g, b))
          << "round " << round << " colour " << r << "," << g << "," << b;
    }
  }
}

}  // namespace
}  // namespace vornel
