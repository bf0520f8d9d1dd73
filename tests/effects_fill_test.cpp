#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "render/effects/effects.h"
#include "tests/effects_test_support.h"

namespace vornel {
namespace {

using test::EffectCanvas;

TEST(EffectsFill, WhiteUnderFullCoverageLandsAs254) {
  EffectCanvas c(8, 4);
  c.lightAllText();
  colorFill(c.textRows(), c.canvasRows(), 0, 0, 0x00FFFFFF, c.plane.data());
  for (std::uint8_t v : c.canvas) ASSERT_EQ(v, 254);
  for (std::int16_t v : c.plane) ASSERT_EQ(v, 255);
  // A second fill blends again from 254 and adds its coverage again.
  colorFill(c.textRows(), c.canvasRows(), 0, 0, 0x00FFFFFF, c.plane.data());
  EXPECT_EQ(c.at(0, 0, 0), (254 * 0 + 255 * 255) >> 8);
  EXPECT_EQ(c.cover(3, 7), 510);
}

TEST(EffectsFill, ChannelOrderPartialCoverageAndUncoveredPixels) {
  EffectCanvas c(4, 4);
  c.fillCanvas(100, 100, 100);
  c.lightText(1, 2, 128);
  c.lightText(2, 1, 255);
  // COLORREF 0x00BBGGRR: blue 0x11 goes to byte 0, red 0x33 to byte 2.
  colorFill(c.textRows(), c.canvasRows(), 0, 0, 0x00112233, c.plane.data());
  // (127 * 100 + 128 * f) >> 8 for f = 17, 34, 51.
  EXPECT_EQ(c.at(1, 2, 0), 58);  // (12700 + 2176) / 256 = 58.1
  EXPECT_EQ(c.at(1, 2, 1), 66);  // (12700 + 4352) / 256 = 66.6
  EXPECT_EQ(c.at(1, 2, 2), 75);  // (12700 + 6528) / 256 = 75.1
  EXPECT_EQ(c.cover(1, 2), 128);
  // Full coverage: 255 * f / 256 floored.
  EXPECT_EQ(c.at(2, 1, 0), 16);
  EXPECT_EQ(c.at(2, 1, 1), 33);
  EXPECT_EQ(c.at(2, 1, 2), 50);
  EXPECT_EQ(c.at(0, 0, 0), 100);
  EXPECT_EQ(c.cover(0, 0), 0);
}

TEST(EffectsFill, NegativeOffsetShowsLaterTextColumnsAndLeavesTheRightEdge) {
  EffectCanvas c(8, 4);
  c.fillCanvas(7, 7, 7);
  for (int r = 0; r < 4; ++r) c.lightText(r, 3);
  colorFill(c.textRows(), c.canvasRows(), -3, 0, 0x00FFFFFF, c.plane.data());
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(c.at(r, 0, 1), 254) << "column 0 shows text column 3";
    for (int col = 1; col < 8; ++col) EXPECT_EQ(c.at(r, col, 1), 7) << col;
  }
  EffectCanvas full(8, 4);
  full.fillCanvas(7, 7, 7);
  full.lightAllText();
  colorFill(full.textRows(), full.canvasRows(), -3, 0, 0x00FFFFFF, full.plane.data());
  for (int col = 0; col < 8; ++col)
    EXPECT_EQ(full.at(2, col, 2), col < 5 ? 254 : 7) << "columns W-3 .. W-1 unpainted";
}

TEST(EffectsFill, OffsetsBeyondATinyCanvasDrawNothing) {
  for (int x : {-20, 20, 4, -4})
    for (int y : {-20, 0, 20}) {
      if (y == 0 && std::abs(x) < 4) continue;
      EffectCanvas c(4, 4);
      c.lightAllText();
      colorFill(c.textRows(), c.canvasRows(), x, y, 0x00FFFFFF, c.plane.data());
      linearGradient(c.textRows(), c.canvasRows(), 2, 2, x, y, 45, 0, 0xFFFFFF, 3, c.plane.data());
      for (std::uint8_t v : c.canvas) ASSERT_EQ(v, 0);
      for (std::int16_t v : c.plane) ASSERT_EQ(v, 0);
    }
  EffectCanvas empty(0, 0);
  colorFill(empty.textRows(), empty.canvasRows(), 1, 1, 0xFFFFFF, empty.plane.data());
}

TEST(EffectsFill, CoverageSaturatesInsteadOfWrapping) {
  // A wrapped sum would turn a fully painted pixel transparent when layers are composed.
  EffectCanvas c(4, 4);
  c.lightAllText();
  c.cover(0, 0) = 32700;
  colorFill(c.textRows(), c.canvasRows(), 0, 0, 0, c.plane.data());
  EXPECT_EQ(c.cover(0, 0), 32767);
  EXPECT_EQ(c.cover(1, 1), 255);
}

// Canvas value after a full-coverage gradient pixel over black: red runs 0 ... 200.
int redAt(double t) {
  return (255 * static_cast<int>(t * 200)) >> 8;
}

TEST(EffectsFill, HorizontalGradientMeasuresUnsignedDistanceFromTheStart) {
  EffectCanvas c(200, 4);
  c.lightAllText();
  linearGradient(c.textRows(), c.canvasRows(), 100, 2, 0, 0, 0, 0x000000, 0x0000C8, 50,
                 c.plane.data());
  // Start at column 50, length 100: t = |c - 50| / 100, clamped to 1.
  EXPECT_EQ(c.at(1, 50, 2), 0);
  EXPECT_EQ(c.at(1, 75, 2), 49);    // t 0.25: f 50
  EXPECT_EQ(c.at(1, 125, 2), 149);  // t 0.75: f 150
  EXPECT_EQ(c.at(1, 150, 2), 199);  // t 1: f 200
  EXPECT_EQ(c.at(1, 199, 2), 199);
  EXPECT_EQ(c.at(1, 25, 2), 49);  // left of the start climbs back
  EXPECT_EQ(c.at(1, 0, 2), 99);   // t 0.5
  EXPECT_EQ(c.at(1, 0, 0), 0);
  EXPECT_EQ(redAt(0.75), 149);
}

TEST(EffectsFill, GradientColourFollowsTheTextFrameAndCoverageUsesChannel2) {
  EffectCanvas c(200, 4);
  c.lightAllText();
  std::uint8_t* p = c.textRows().pixel(0, 70);
  p[1] = 0;
  p[2] = 100;  // channel 0 lit, channel 2 partial
  linearGradient(c.textRows(), c.canvasRows(), 100, 2, 10, 0, 180, 0x000000, 0x0000C8, 50,
                 c.plane.data());
  // Angle 180 starts at column 150 of the text, which lands on canvas column 160.
  EXPECT_EQ(c.at(1, 160, 2), 0);
  EXPECT_EQ(c.at(1, 135, 2), 49);
  EXPECT_EQ(c.at(1, 5, 2), 0) << "left of the offset is not visited";
  EXPECT_EQ(c.cover(0, 80), 100) << "text column 70 lands on canvas column 80";
  EXPECT_EQ(c.cover(1, 80), 255);
}

TEST(EffectsFill, VerticalGradient) {
  EffectCanvas c(4, 200);
  c.lightAllText();
  linearGradient(c.textRows(), c.canvasRows(), 2, 100, 0, 0, 90, 0x0000C8, 0x000000, 50,
                 c.plane.data());
  // From red 200 at row 50 to 0 from row 150 on.
  EXPECT_EQ(c.at(50, 1, 2), 199);
  EXPECT_EQ(c.at(100, 1, 2), 99);
  EXPECT_EQ(c.at(160, 1, 2), 0);
  EXPECT_EQ(c.at(0, 1, 2), 99);
}

TEST(EffectsFill, ZeroLengthGradientSplitsAtTheStartLine) {
  EffectCanvas c(8, 8);
  c.lightAllText();
  linearGradient(c.textRows(), c.canvasRows(), 4, 4, 0, 0, 0, 0x000000, 0x0000C8, 0,
                 c.plane.data());
  for (int col = 0; col < 8; ++col) EXPECT_EQ(c.at(3, col, 2), col == 4 ? 0 : 199) << col;
  EffectCanvas v(8, 8);
  v.lightAllText();
  linearGradient(v.textRows(), v.canvasRows(), 4, 4, 0, 0, 270, 0x000000, 0x0000C8, 0,
                 v.plane.data());
  for (int row = 0; row < 8; ++row) EXPECT_EQ(v.at(row, 1, 2), row == 4 ? 0 : 199) << row;
}

// The gradient position by vectors in double precision: the start point lies half a
// length before the centre along the direction; the lines of equal colour run at the
// angle + 90, both angles turned into radians with 3.14 for pi.
double slantedT(int px, int py, int cx, int cy, int d, int angle) {
  const double k = 3.14 / 180.0;
  const double th = angle * k, ph = (angle + 90) * k;
  const double sx = cx - d * std::cos(th), sy = cy - d * std::sin(th);
  const double ux = std::cos(th), uy = std::sin(th), vx = std::cos(ph), vy = std::sin(ph);
  // S + s u = P + q v, solved for s by Cramer's rule.
  const double s = ((px - sx) * vy - (py - sy) * vx) / (ux * vy - uy * vx);
  return std::min(1.0, std::fabs(s) / (2.0 * d));
}

void checkSlanted(int angle) {
  EffectCanvas c(200, 200);
  c.lightAllText();
  linearGradient(c.textRows(), c.canvasRows(), 100, 100, 0, 0, angle, 0x000000, 0x0000FF, 60,
                 c.plane.data());
  for (int y = 3; y < 200; y += 13)
    for (int x = 5; x < 200; x += 11) {
      int expected = (255 * static_cast<int>(slantedT(x, y, 100, 100, 60, angle) * 255)) >> 8;
      ASSERT_NEAR(c.at(y, x, 2), expected, 1) << angle << " at " << x << "," << y;
    }
}

TEST(EffectsFill, SlantedGradientUses314ForPi) {
  checkSlanted(45);
  checkSlanted(120);
  // Ten turns on, 3.14 for pi leaves the direction about 2 degrees away from 45.
  checkSlanted(3645);
}

}  // namespace
}  // namespace vornel
