#include "platform/text_raster.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace vornel {
namespace {

LogFont font(const std::string& face, int height, int width = 0) {
  LogFont f;
  f.setFaceName(face);
  f.lfHeight = height;
  f.lfWidth = width;
  return f;
}

struct Raster {
  int width = 0, height = 0;
  std::vector<std::uint8_t> bgr;
  Raster(int w, int h, std::uint8_t fill = 0)
      : width(w), height(h), bgr(static_cast<std::size_t>(w) * h * 3, fill) {}
  bool lit(int x, int y) const { return bgr[(static_cast<std::size_t>(y) * width + x) * 3] == 255; }
  int litCount() const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += lit(x, y);
    return n;
  }
  InkBounds bounds() const {
    InkBounds b{width, height, 0, 0};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (lit(x, y)) {
          b.left = std::min(b.left, x), b.top = std::min(b.top, y);
          b.right = std::max(b.right, x + 1), b.bottom = std::max(b.bottom, y + 1);
        }
    return b.empty() ? InkBounds{} : b;
  }
};

Raster drawn(TextRasterizer& t, const LogFont& f, const std::string& text, int margin = 0) {
  TextExtent e = t.measure(f, text);
  Raster r(e.width + 2 * margin, e.height + 2 * margin);
  t.draw(f, text, r.bgr.data(), r.width, r.height, margin, margin);
  return r;
}

// Glyphs kept from earlier walks draw what a rasterizer meeting them first draws: after
// other sizes and styles, clipped, and on a layout grid.
TEST(TextRasterTest, AGlyphMetAgainDrawsAsTheFirstTime) {
  LogFont italic = font("Arial", 30);
  italic.lfItalic = 1;
  italic.lfWeight = 700;
  const std::vector<LogFont> fonts = {font("Arial", 20), font("Arial", 31), font("Arial", 31, 9),
                                      italic};
  TextRasterizer warm;
  for (const LogFont& f : fonts) drawn(warm, f, "Batch AaBb");
  for (const LogFont& f : fonts) {
    TextRasterizer fresh;
    EXPECT_EQ(drawn(warm, f, "aB tacB").bgr, drawn(fresh, f, "aB tacB").bgr);
    Raster clippedWarm(9, 7), clippedFresh(9, 7);
    warm.draw(f, "Bat", clippedWarm.bgr.data(), 9, 7, -3, -2);
    fresh.draw(f, "Bat", clippedFresh.bgr.data(), 9, 7, -3, -2);
    EXPECT_EQ(clippedWarm.bgr, clippedFresh.bgr);
  }
  // A 2x layout draws the unscaled size's outlines enlarged: met first at scale 1, they
  // are not taken as they were drawn there. The fresh one only draws, its first walk.
  drawn(warm, font("Arial", 10), "aB tac");
  warm.setLayoutGrid(2);
  const Raster warmRaster = drawn(warm, fonts[0], "aB tac");
  Raster freshRaster(warmRaster.width, warmRaster.height);
  TextRasterizer fresh;
  fresh.setLayoutGrid(2);
  fresh.draw(fonts[0], "aB tac", freshRaster.bgr.data(), freshRaster.width, freshRaster.height, 0,
             0);
  EXPECT_EQ(warmRaster.bgr, freshRaster.bgr);
}

TEST(TextRasterTest, GlyphsAreBiLevelAndOnlyGlyphPixelsAreWritten) {
  TextRasterizer t;
  LogFont f = font("Arial", 20, 10);
  TextExtent e = t.measure(f, "Hello Vornel!");
  Raster r(e.width, e.height, 7);
  t.draw(f, "Hello Vornel!", r.bgr.data(), r.width, r.height, 0, 0);
  int lit = 0;
  for (std::size_t i = 0; i < r.bgr.size(); i += 3) {
    std::uint8_t b = r.bgr[i];
    ASSERT_TRUE(b == 7 || b == 255) << "pixel " << i / 3 << " is " << int(b);
    ASSERT_EQ(r.bgr[i + 1], b);
    ASSERT_EQ(r.bgr[i + 2], b);
    lit += b == 255;
  }
  EXPECT_GT(lit, 200);
  EXPECT_EQ(t.resolvedFace(), "Liberation Sans");
  EXPECT_FALSE(t.usedFallbackFace());
  // The ink box the rasteriser reports is the one it draws.
  Raster fresh = drawn(t, f, "Hello Vornel!");
  InkBounds ink = t.inkBounds(f, "Hello Vornel!", e.width, e.height);
  InkBounds seen = fresh.bounds();
  EXPECT_EQ(ink.left, seen.left);
  EXPECT_EQ(ink.top, seen.top);
  EXPECT_EQ(ink.right, seen.right);
  EXPECT_EQ(ink.bottom, seen.bottom);
}

TEST(TextRasterTest, PositiveHeightIsTheCellNegativeTheEm) {
  TextRasterizer t;
  for (const char* face : {"Arial", "Times New Roman", "Courier New"})
    for (int h : {9, 12, 20, 37, 100}) EXPECT_EQ(t.measure(font(face, h), "Hx").height, h) << face;
  // Liberation Sans: 2048 units per em, Windows ascent 1854, descent 434. An em of 20
  // pixels gives a cell of round(18.11) + round(4.24) = 22, an em of 100 one of 91 + 21.
  EXPECT_EQ(t.measure(font("Arial", -20), "Hx").height, 22);
  EXPECT_EQ(t.measure(font("Arial", -100), "Hx").height, 112);
  // Its capital height is 1409 units: 68.8 pixels on a 100-pixel em, and 61.6 pixels
  // when the whole cell is 100 (an em of 100 * 2048 / 2288 = 89.5).
  Raster em = drawn(t, font("Arial", -100), "H");
  EXPECT_NEAR(em.bounds().bottom - em.bounds().top, 68.8, 1.5);
  Raster cell = drawn(t, font("Arial", 100), "H");
  EXPECT_NEAR(cell.bounds().bottom - cell.bounds().top, 61.6, 1.5);
}

TEST(TextRasterTest, WidthStretchesGlyphsToTheAverageCharacterWidth) {
  TextRasterizer t;
  const std::string text = "Hello Vornel!";
  double natural = t.measure(font("Arial", -40), text).width;
  double w10 = t.measure(font("Arial", -40, 10), text).width;
  double w20 = t.measure(font("Arial", -40, 20), text).width;
  double w40 = t.measure(font("Arial", -40, 40), text).width;
  EXPECT_NEAR(w20 / w10, 2.0, 0.1);
  EXPECT_NEAR(w40 / w20, 2.0, 0.05);
  // The face's average width (the weighted mean of a-z and space) is 904 of 2048 units:
  // 17.66 pixels on a 40-pixel em, so asking for 20 stretches by 20 / 17.66.
  EXPECT_NEAR(w20 / natural, 20 / 17.66, 0.05);
  // A negative width means the same as a positive one; the height does not change.
  EXPECT_EQ(t.measure(font("Arial", -40, -20), text).width, static_cast<int>(w20));
  EXPECT_EQ(t.measure(font("Arial", -40, 20), text).height,
            t.measure(font("Arial", -40), text).height);
  // The ink really is wider, not only the advances.
  Raster narrow = drawn(t, font("Arial", -40, 10), "H");
  Raster wide = drawn(t, font("Arial", -40, 30), "H");
  EXPECT_NEAR(double(wide.bounds().right - wide.bounds().left) /
                  (narrow.bounds().right - narrow.bounds().left),
              3.0, 0.4);
}

TEST(TextRasterTest, BoldIsWiderAndItalicLeans) {
  TextRasterizer t;
  LogFont regular = font("Arial", 30);
  LogFont bold = regular;
  bold.lfWeight = 700;
  EXPECT_GT(t.measure(bold, "Hello Vornel!").width, t.measure(regular, "Hello Vornel!").width);
  LogFont semi = regular;
  semi.lfWeight = 599;
  EXPECT_EQ(t.measure(semi, "Hello Vornel!").width, t.measure(regular, "Hello Vornel!").width);
  Raster heavy = drawn(t, bold, "l");
  Raster light = drawn(t, regular, "l");
  EXPECT_GT(heavy.litCount(), light.litCount() * 5 / 4);

  // NanumGothic has no italic member, so its slant is synthesised; Arial has one.
  for (const char* face : {"NanumGothic", "Arial"}) {
    LogFont italic = font(face, 40);
    italic.lfItalic = 1;
    Raster r = drawn(t, italic, "l", 8);
    InkBounds b = r.bounds();
    auto firstLit = [&](int y) {
      for (int x = 0; x < r.width; ++x)
        if (r.lit(x, y)) return x;
      return -1;
    };
    EXPECT_GT(firstLit(b.top + 1), firstLit(b.bottom - 2) + 2) << face;
  }
}

// Text is drawn into the rectangle from (left, top) to the raster's far corner and
// clipped to it, so a drawing moved by (dx, dy) is the drawing at (0, 0) moved by
// (dx, dy) - also for italic j and f, whose ink reaches left of where they start.
TEST(TextRasterTest, DrawingIsClippedToItsRectangle) {
  TextRasterizer t;
  LogFont italic = font("Arial", 40);
  italic.lfItalic = 1;
  for (const char* text : {"j", "f", "fj\njf"}) {
    TextExtent e = t.measure(italic, text);
    Raster atCorner(e.width + 20, e.height + 20);
    t.draw(italic, text, atCorner.bgr.data(), atCorner.width, atCorner.height, 0, 0);
    ASSERT_GT(atCorner.litCount(), 30) << text;
    for (int dx : {0, 3, 9})
      for (int dy : {0, 5}) {
        Raster moved(atCorner.width, atCorner.height);
        t.draw(italic, text, moved.bgr.data(), moved.width, moved.height, dx, dy);
        for (int y = 0; y < moved.height; ++y)
          for (int x = 0; x < moved.width; ++x) {
            bool expected = x >= dx && y >= dy && atCorner.lit(x - dx, y - dy);
            ASSERT_EQ(moved.lit(x, y), expected)
                << text << " at " << dx << "," << dy << ": " << x << "," << y;
          }
      }
  }
}

TEST(TextRasterTest, SynthesisedBoldThickensAFaceWithoutABoldMember) {
  TextRasterizer t;
  LogFont regular = font("Droid Sans Fallback", 40);
  t.measure(regular, "l");
  if (t.usedFallbackFace() || t.resolvedFace() != "Droid Sans Fallback")
    GTEST_SKIP() << "no face without a bold member installed";
  LogFont bold = regular;
  bold.lfWeight = 700;
  EXPECT_GT(drawn(t, bold, "l").litCount(), drawn(t, regular, "l").litCount() * 5 / 4);
}

TEST(TextRasterTest, LinesFollowAtTheCellHeight) {
  TextRasterizer t;
  LogFont f = font("Arial", 20);
  TextExtent one = t.measure(f, "Hello");
  EXPECT_EQ(one.height, 20);
  EXPECT_EQ(t.measure(f, "Hello\nVornel\n!").height, 60);
  EXPECT_EQ(t.measure(f, "Hello\r\nVornel").height, 40);
  EXPECT_EQ(t.measure(f, "a\r\r\nb").height, 40);
  EXPECT_EQ(t.measure(f, "a\n\nb").height, 60);
  EXPECT_EQ(t.measure(f, "Hi\nHello\nHi").width, one.width);
  // The same glyphs one cell lower, whatever the line above holds.
  Raster two = drawn(t, f, "x\nH");
  Raster single = drawn(t, f, "H");
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < single.width; ++x)
      ASSERT_EQ(two.lit(x, y + 20), single.lit(x, y)) << x << "," << y;
}

TEST(TextRasterTest, AmpersandAndFallbackCharactersDraw) {
  TextRasterizer t;
  LogFont f = font("Arial", 24);
  // Drawn as typed: no prefix underlining eats it or the character after it.
  EXPECT_GT(drawn(t, f, "&").litCount(), 30);
  EXPECT_GT(t.measure(f, "A&B").width, t.measure(f, "AB").width);
  EXPECT_EQ(drawn(t, f, "&&").litCount(), 2 * drawn(t, f, "&").litCount());

  // Hangul is not in Liberation Sans; a fallback face draws it, and the face the
  // font reports is still the one asked for.
  Raster hangul = drawn(t, f, "\xea\xb0\x80\xeb\x82\x98");  // two syllables
  EXPECT_GT(hangul.litCount(), 40);
  EXPECT_GT(t.measure(f, "\xea\xb0\x80").width, 10);
  EXPECT_EQ(t.resolvedFace(), "Liberation Sans");
  EXPECT_FALSE(t.usedFallbackFace());
  Raster greek = drawn(t, f, "\xce\xa9\xce\xb1");  // capital omega, small alpha
  EXPECT_GT(greek.litCount(), 40);
}

TEST(TextRasterTest, UnknownFaceFallsBackAndSaysSo) {
  TextRasterizer t;
  LogFont f = font("No Such Face Anywhere", 20);
  EXPECT_GT(drawn(t, f, "Hello").litCount(), 50);
  EXPECT_TRUE(t.usedFallbackFace());
  EXPECT_FALSE(t.resolvedFace().empty());
  t.measure(font("Times New Roman", 20), "x");
  EXPECT_FALSE(t.usedFallbackFace());
  EXPECT_EQ(t.resolvedFace(), "Liberation Serif");
  t.measure(font("Courier New", 20), "x");
  EXPECT_EQ(t.resolvedFace(), "Liberation Mono");
}

// Blanks draw nothing, so the only ink is the line: one band of rows spanning the whole
// advance width, below the baseline for the underline and above it for the strike-out.
TEST(TextRasterTest, UnderlineAndStrikeOutSpanTheLine) {
  TextRasterizer t;
  LogFont f = font("Arial", 40);
  EXPECT_EQ(drawn(t, f, "    ").litCount(), 0);
  // Liberation Sans puts its baseline 40 * 1854 / 2288 = 32.4 rows down the cell.
  const int baseline = 32;
  for (int kind = 0; kind < 2; ++kind) {
    LogFont g = f;
    (kind == 0 ? g.lfUnderline : g.lfStrikeOut) = 1;
    Raster r = drawn(t, g, "    ");
    InkBounds b = r.bounds();
    ASSERT_FALSE(b.empty());
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.right, r.width);
    EXPECT_EQ(r.litCount(), (b.right - b.left) * (b.bottom - b.top));
    if (kind == 0)
      EXPECT_GE(b.top, baseline);
    else
      EXPECT_LT(b.bottom, baseline - 5);
    EXPECT_LE(b.bottom, 40);
  }
}

TEST(TextRasterTest, HostileInputStaysInsideTheRaster) {
  TextRasterizer t;
  Raster r(16, 12);
  LogFont f = font("Arial", 20);
  for (int x : {-1000, -5, 0, 10, 15, 16, 1000})
    for (int y : {-1000, -7, 0, 11, 12, 1000})
      t.draw(f, "Hello\nVornel", r.bgr.data(), r.width, r.height, x, y);
  t.draw(font("Arial", -20000), "W", r.bgr.data(), r.width, r.height, -500, -500);
  t.draw(font("Arial", INT_MIN, INT_MIN), "Wj", r.bgr.data(), r.width, r.height, 0, 0);
  t.draw(font("Arial", INT_MAX, INT_MAX), "Wj", r.bgr.data(), r.width, r.height, 0, 0);
  t.draw(f, "", r.bgr.data(), r.width, r.height, 0, 0);
  t.draw(f, "x", nullptr, 0, 0, 0, 0);
  EXPECT_GT(t.measure(font("Arial", INT_MIN), "W").height, 10000);
  EXPECT_GE(t.measure(font("Arial", 20, INT_MIN), "WWWW").width, 0);
  // Broken UTF-8 and control characters.
  std::string junk = "\xff\xfe\xc3(\xe2\x82\x01\xf4\x90\x80\x80\t\x7f\x01 ok";
  EXPECT_GT(t.measure(f, junk).width, 0);
  t.draw(f, junk, r.bgr.data(), r.width, r.height, 0, 0);
  std::string longText(5000, 'W');
  TextExtent e = t.measure(f, longText);
  EXPECT_GT(e.width, 5000 * 10);
  t.draw(f, longText, r.bgr.data(), r.width, r.height, -e.width + 8, 0);
  EXPECT_TRUE(t.inkBounds(f, "", 10, 10).empty());
  EXPECT_TRUE(t.inkBounds(f, "   ", 100, 100).empty());
}

}  // namespace
}  // namespace vornel
