#include "platform/round_rect.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace vornel {
namespace {

struct Raster {
  int width, height;
  std::vector<std::uint8_t> bgr;
  Raster(int w, int h, std::uint8_t fill = 0)
      : width(w), height(h), bgr(static_cast<std::size_t>(w) * h * 3, fill) {}
  bool lit(int x, int y) const { return bgr[(static_cast<std::size_t>(y) * width + x) * 3] == 255; }
  int count() const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += lit(x, y);
    return n;
  }
  std::string picture() const {
    std::string s;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) s += lit(x, y) ? '#' : '.';
      s += '\n';
    }
    return s;
  }
};

Raster filled(int w, int h, int left, int top, int right, int bottom, int cw, int ch) {
  Raster r(w, h);
  fillRoundRect(r.bgr.data(), w, h, left, top, right, bottom, cw, ch);
  return r;
}

TEST(RoundRectTest, SquareCornersCoverExactlyTheBox) {
  Raster r(8, 8, 9);
  fillRoundRect(r.bgr.data(), 8, 8, 2, 3, 6, 7, 0, 0);
  EXPECT_EQ(r.count(), 16);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
      const std::uint8_t* p = &r.bgr[(static_cast<std::size_t>(y) * 8 + x) * 3];
      std::uint8_t want = inside ? 255 : 9;  // pixels outside are left as they were
      EXPECT_TRUE(p[0] == want && p[1] == want && p[2] == want) << x << "," << y;
    }
  // A box the size of the raster fills it; an empty or inverted box draws nothing.
  EXPECT_EQ(filled(12, 5, 0, 0, 12, 5, 0, 0).count(), 60);
  EXPECT_EQ(filled(8, 8, 3, 3, 3, 6, 0, 0).count(), 0);
  EXPECT_EQ(filled(8, 8, 5, 5, 2, 2, 4, 4).count(), 0);
}

// A pixel is covered when its centre lies inside the shape. Worked by hand for corner
// radius 2 (a 4 x 4 corner ellipse): the centre (0.5, 0.5) is 1.5 from the corner circle's
// centre in both directions, outside; (0.5, 1.5) is at (1.5, 0.5), inside.
TEST(RoundRectTest, SmallCornersByHand) {
  EXPECT_EQ(filled(8, 6, 0, 0, 8, 6, 4, 4).picture(),
            ".######.\n"
            "########\n"
            "########\n"
            "########\n"
            "########\n"
            ".######.\n");
  // A 10-pixel circle: row 0 spans centres with |dx| <= sqrt(25 - 4.5^2) = 2.18, so
  // columns 3 ... 6; rows 1 and 2 lose one column a side; rows 3 and beyond none.
  EXPECT_EQ(filled(10, 10, 0, 0, 10, 10, 10, 10).picture(),
            "...####...\n"
            ".########.\n"
            ".########.\n"
            "##########\n"
            "##########\n"
            "##########\n"
            "##########\n"
            ".########.\n"
            ".########.\n"
            "...####...\n");
}

// With corners as large as the box the shape is the inscribed ellipse.
TEST(RoundRectTest, FullCornersGiveTheInscribedEllipse) {
  for (int w : {1, 2, 5, 9, 16, 31})
    for (int h : {1, 3, 8, 13, 24}) {
      Raster r = filled(w + 4, h + 4, 2, 2, w + 2, h + 2, w, h);
      double a = w / 2.0, b = h / 2.0;
      for (int y = 0; y < h + 4; ++y)
        for (int x = 0; x < w + 4; ++x) {
          double dx = (x - 2 + 0.5 - a) / a, dy = (y - 2 + 0.5 - b) / b;
          double d = dx * dx + dy * dy;
          if (std::fabs(d - 1) < 1e-9) continue;  // exactly on the ellipse
          bool inBox = x >= 2 && y >= 2 && x < w + 2 && y < h + 2;
          // A one-pixel-thin box has no room for a corner: every row keeps a pixel.
          bool want = inBox && (d < 1 || w == 1 || h == 1);
          ASSERT_EQ(r.lit(x, y), want) << w << "x" << h << " at " << x << "," << y;
        }
    }
}

TEST(RoundRectTest, SymmetricAndClampedCorners) {
  test::TestRandom rnd(7);
  for (int i = 0; i < 300; ++i) {
    int w = 1 + rnd.below(30), h = 1 + rnd.below(30);
    int cw = rnd.below(40), ch = rnd.below(40);
    Raster r = filled(w, h, 0, 0, w, h, cw, ch);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        ASSERT_EQ(r.lit(x, y), r.lit(w - 1 - x, y)) << w << "x" << h << " " << cw << "," << ch;
        ASSERT_EQ(r.lit(x, y), r.lit(x, h - 1 - y)) << w << "x" << h << " " << cw << "," << ch;
      }
    Raster clamped = filled(w, h, 0, 0, w, h, std::min(cw, w), std::min(ch, h));
    ASSERT_EQ(r.bgr, clamped.bgr);
  }
  EXPECT_EQ(filled(6, 6, 0, 0, 6, 6, -5, -5).count(), 36);
}

// A box partly outside is the same shape cut to the raster.
TEST(RoundRectTest, ClippedToTheRaster) {
  const int w = 20, h = 14;
  Raster big = filled(w + 60, h + 60, 30 - 7, 30 - 5, 30 + 15, 30 + 20, 12, 9);
  Raster small = filled(w, h, -7, -5, 15, 20, 12, 9);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      ASSERT_EQ(small.lit(x, y), big.lit(x + 30, y + 30)) << x << "," << y;
  // The round box effect's widest case: a box twice the raster with square corners.
  EXPECT_EQ(filled(w, h, -w / 2, -h / 2, w + w / 2, h + h / 2, 0, 0).count(), w * h);
  EXPECT_EQ(filled(w, h, w, 0, w + 10, h, 0, 0).count(), 0);
  EXPECT_EQ(filled(w, h, 0, -10, w, 0, 0, 0).count(), 0);
  EXPECT_EQ(filled(w, h, INT_MIN, INT_MIN, INT_MAX, INT_MAX, INT_MAX, INT_MAX).count(), w * h);
  EXPECT_EQ(filled(w, h, INT_MAX, 0, INT_MIN, h, 3, 3).count(), 0);
  fillRoundRect(nullptr, 0, 0, 0, 0, 5, 5, 1, 1);
}

}  // namespace
}  // namespace vornel
