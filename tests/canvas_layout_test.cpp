#include "render/canvas_layout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/engine.h"
#include "test_support.h"

namespace vornel {
namespace {

EffectRecord effect(std::int32_t type, std::int32_t p3, std::int32_t p4, std::int32_t p5 = 0,
                    std::int32_t p6 = 0) {
  EffectRecord r;
  r.type = type;
  r.param(3) = p3;
  r.param(4) = p4;
  r.param(5) = p5;
  r.param(6) = p6;
  return r;
}

struct Job {
  test::ScriptedHost host;
  Engine engine{host};
  WorkingSet& ws = engine.doc.ws;
  RenderCanvas& c = engine.canvas;
  Job() {
    initializeDocument(engine.doc);
    engine.doc.prefs = Preferences{};
  }
  bool lit(int x, int y) const {
    return c.textRaster[(static_cast<std::size_t>(y) * c.width + x) * 3] != 0;
  }
  InkBounds litBounds() const {
    InkBounds b{c.width, c.height, 0, 0};
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x)
        if (lit(x, y)) {
          b.left = std::min(b.left, x), b.top = std::min(b.top, y);
          b.right = std::max(b.right, x + 1), b.bottom = std::max(b.bottom, y + 1);
        }
    return b;
  }
};

void expectEnvelope(const std::vector<EffectRecord>& effects, std::int64_t ox, std::int64_t oy,
                    std::int64_t ew, std::int64_t eh) {
  OffsetEnvelope e = effectOffsetEnvelope(effects);
  EXPECT_EQ(e.originX, ox);
  EXPECT_EQ(e.originY, oy);
  EXPECT_EQ(e.extentWidth, ew);
  EXPECT_EQ(e.extentHeight, eh);
}

TEST(CanvasLayoutTest, OffsetEnvelopeRules) {
  // A shadow of size 2 at (-5, -5) reaches -6 ... -4 both ways; the envelope starts at 0.
  expectEnvelope({effect(kDropShadow, -5, -5, 50, 2)}, 6, 6, 6, 6);
  // The star uses |p4|: 7 ... 13 down, not -13 ... -7; across -3 ... 3.
  expectEnvelope({effect(kStarFilter, 0, -10)}, 3, 0, 6, 13);
  expectEnvelope({effect(kDepthField, 40, 40, 5, 9)}, 0, 0, 0, 0);
  for (int type : {kDisturbTemplet, kTile, kRoundBoxEffect, kCutOut})
    expectEnvelope({effect(type, -50, 70, 9, 9)}, 0, 0, 0, 0);
  for (int type : {kSingleColor, kLinearGradient, k3dSingleColor, kFog, kSpace})
    expectEnvelope({effect(type, -3, 4, 9, 9)}, 3, 0, 3, 4);
  // Outline of size 3 at (2, 0): -1 ... 5 across, -3 ... 3 down.
  expectEnvelope({effect(kOutLine, 2, 0, 3)}, 1, 3, 6, 6);
  expectEnvelope(
      {effect(kOutLine, 2, 0, 3), effect(kSingleColor, 10, -8), effect(kDropShadow, 0, 0, 50, 1)},
      1, 8, 11, 11);
  // A shadow of radius 0 (or below) paints nothing, and its range x - d + 1 ... x + d - 1
  // is empty: it widens nothing, not even by the point of its offset.
  expectEnvelope({effect(kDropShadow, 0, 0, 150, 0)}, 0, 0, 0, 0);
  expectEnvelope({effect(kDropShadow, 7, -4, 150, 0)}, 0, 0, 0, 0);
  expectEnvelope({effect(kDropShadow, 7, -4, 150, -3)}, 0, 0, 0, 0);
  expectEnvelope({effect(kSingleColor, -2, 3), effect(kDropShadow, 9, 9, 150, 0)}, 2, 0, 2, 3);
  // Offsets as large as a style file can hold do not wrap around.
  OffsetEnvelope huge = effectOffsetEnvelope(
      {effect(kOutLine, INT32_MIN, INT32_MAX, INT32_MAX), effect(kStarFilter, 0, INT32_MIN)});
  EXPECT_GT(huge.extentWidth, std::int64_t{1} << 32);
  EXPECT_GT(huge.extentHeight, std::int64_t{INT32_MAX});
}

TEST(CanvasLayoutTest, ClippedStartupMessageStartsAtTheCorner) {
  Job job;
  ASSERT_TRUE(prepareCanvas(job.engine));
  InkBounds ink = job.litBounds();
  EXPECT_EQ(ink.left, 0);
  EXPECT_EQ(ink.top, 0);
  EXPECT_EQ(job.c.width, (ink.right + 3) / 4 * 4);
  EXPECT_EQ(job.c.height, (ink.bottom + 3) / 4 * 4);
  EXPECT_GT(job.c.clipLeft + job.c.clipTop, 0);
  EXPECT_EQ(job.c.width % 4, 0);

  // The shadow's envelope moves the text to (6, 6) and adds 6 to each side.
  job.ws.effects = {effect(kDropShadow, -5, -5, 50, 2)};
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.c.textOriginX, 6);
  EXPECT_EQ(job.c.textOriginY, 6);
  EXPECT_EQ(job.c.extentWidth, 6);
  InkBounds moved = job.litBounds();
  EXPECT_EQ(moved.left, 6);
  EXPECT_EQ(moved.top, 6);
  EXPECT_EQ(moved.right - moved.left, ink.right);
  EXPECT_EQ(job.c.width, (6 + ink.right + 3) / 4 * 4);
  EXPECT_EQ(job.c.height, (6 + ink.bottom + 3) / 4 * 4);

  // A shadow of radius 0 leaves the text where it was.
  job.ws.effects = {effect(kDropShadow, 0, 0, 150, 0)};
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.litBounds().left, 0);
  EXPECT_EQ(job.litBounds().top, 0);
  EXPECT_EQ(job.c.width, (ink.right + 3) / 4 * 4);
  job.ws.effects = {effect(kDropShadow, -5, -5, 50, 2)};
  ASSERT_TRUE(prepareCanvas(job.engine));

  // Every buffer has the canvas's size, coverage starts at 0 and the copy is saved.
  std::size_t n = static_cast<std::size_t>(job.c.width) * job.c.height;
  EXPECT_EQ(job.c.textRaster.size(), n * 3);
  EXPECT_EQ(job.c.canvas.size(), n * 3);
  EXPECT_EQ(job.c.pressedCanvas.size(), n * 3);
  EXPECT_EQ(job.c.edgeMask.size(), n);
  EXPECT_EQ(job.c.coverage, std::vector<std::int16_t>(n, 0));
  EXPECT_EQ(job.c.pressedCoverage.size(), n);
  EXPECT_EQ(job.c.savedTextRaster, job.c.textRaster);
}

TEST(CanvasLayoutTest, ClipBlankOffKeepsTheMeasuringRectangle) {
  Job job;
  job.engine.doc.prefs.clipBlank = 0;
  job.ws.effects = {effect(kSingleColor, -3, -2)};
  ASSERT_TRUE(prepareCanvas(job.engine));
  TextExtent e = job.engine.text.measure(job.ws.font, job.ws.message);
  int mw = (e.width + 3) / 4 * 4, mh = (e.height + 3) / 4 * 4;
  EXPECT_EQ(job.c.clipLeft, 0);
  EXPECT_EQ(job.c.clipTop, 0);
  EXPECT_EQ(job.c.width, (3 + mw + 3) / 4 * 4);
  EXPECT_EQ(job.c.height, (2 + mh + 3) / 4 * 4);
  // The text is drawn as it would be from (0, 0), moved by the offset.
  std::vector<std::uint8_t> alone(static_cast<std::size_t>(mw) * mh * 3);
  job.engine.text.draw(job.ws.font, job.ws.message, alone.data(), mw, mh, 0, 0);
  for (int y = 0; y < mh; ++y)
    for (int x = 0; x < mw; ++x)
      ASSERT_EQ(job.lit(x + 3, y + 2), alone[(static_cast<std::size_t>(y) * mw + x) * 3] != 0)
          << x << "," << y;
  TextOnlySize text = measureTextOnly(job.engine);
  EXPECT_EQ(text.width, mw);
  EXPECT_EQ(text.height, mh);
}

// The text is drawn into the rectangle from (textOriginX - clipLeft, textOriginY -
// clipTop) to (W, H) and clipped to it: ink that reaches left of where the text starts
// (italic j and f) is cut there, as the measuring rectangle cut it.
TEST(CanvasLayoutTest, TextIsClippedToItsDrawingRectangle) {
  for (int clipBlank : {0, 1}) {
    Job job;
    job.engine.doc.prefs.clipBlank = clipBlank;
    job.ws.message = "jf\nfj";
    job.ws.font.lfHeight = 40;
    job.ws.font.lfWidth = 0;
    job.ws.font.lfItalic = 1;
    job.ws.effects = {effect(kSingleColor, -7, -5)};
    ASSERT_TRUE(prepareCanvas(job.engine));
    ASSERT_EQ(job.c.textOriginX, 7);
    ASSERT_EQ(job.c.textOriginY, 5);
    TextExtent e = job.engine.text.measure(job.ws.font, job.ws.message);
    int mw = (e.width + 3) / 4 * 4, mh = (e.height + 3) / 4 * 4;
    std::vector<std::uint8_t> alone(static_cast<std::size_t>(mw) * mh * 3);
    job.engine.text.draw(job.ws.font, job.ws.message, alone.data(), mw, mh, 0, 0);
    // Canvas pixel (x, y) shows measuring pixel (x - left, y - top).
    const int left = 7 - job.c.clipLeft, top = 5 - job.c.clipTop;
    for (int y = 0; y < job.c.height; ++y)
      for (int x = 0; x < job.c.width; ++x) {
        int mx = x - left, my = y - top;
        bool inside = mx >= 0 && my >= 0 && mx < mw && my < mh;
        bool expected = inside && alone[(static_cast<std::size_t>(my) * mw + mx) * 3] != 0;
        ASSERT_EQ(job.lit(x, y), expected) << clipBlank << ": " << x << "," << y;
      }
    // With clip blank on, the first lit column and row are the text origin.
    InkBounds measured = job.engine.text.inkBounds(job.ws.font, job.ws.message, mw, mh);
    InkBounds ink = job.litBounds();
    EXPECT_EQ(ink.left, left + measured.left);
    EXPECT_EQ(ink.top, top + measured.top);
    if (clipBlank) {
      EXPECT_EQ(ink.left, 7);
      EXPECT_EQ(ink.top, 5);
    }
  }
}

TEST(CanvasLayoutTest, EmptyBlankNoneAndBoxLayouts) {
  Job job;
  // An empty message: 4 more than the previous extent, rounded down.
  job.ws.effects = {effect(kDropShadow, -5, -5, 50, 2)};
  ASSERT_TRUE(prepareCanvas(job.engine));
  job.ws.message.clear();
  CanvasLayout layout;
  ASSERT_TRUE(measureLayout(job.engine, layout));
  EXPECT_EQ(layout.textOriginX, 0);
  EXPECT_EQ(layout.textOriginY, 0);
  EXPECT_EQ(layout.extentWidth, 6);
  EXPECT_EQ(layout.width, 8);
  EXPECT_EQ(layout.height, 8);
  EXPECT_EQ(measureTextOnly(job.engine).width, 8);
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.litBounds().right, 0);

  // Blanks light nothing: a 0 x 0 text area, so only the envelope remains.
  job.ws.message = "   \n  ";
  job.ws.effects = {effect(kDropShadow, -5, -5, 50, 2)};
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.c.width, 8);  // (6 + 0 + 3) rounded down
  EXPECT_EQ(job.c.height, 8);
  job.ws.effects.clear();
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.c.width, 0);
  EXPECT_EQ(job.c.height, 0);

  job.ws.kind = kLayerNone;
  job.ws.message = "Hello";
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.c.width, 0);
  EXPECT_EQ(job.c.height, 0);
  EXPECT_EQ(measureTextOnly(job.engine).width, 0);

  // A round box 100 x 40 with square corners fills its 100 x 40 canvas.
  job.ws.kind = kLayerRoundBox;
  job.ws.box[0] = 100, job.ws.box[1] = 40;
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.c.width, 100);
  EXPECT_EQ(job.c.height, 40);
  EXPECT_EQ(job.litBounds().right, 100);
  job.ws.box[2] = 20, job.ws.box[3] = 10;
  job.ws.effects = {effect(kOutLine, 0, 0, 2)};
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.c.width, 104);
  EXPECT_FALSE(job.lit(2, 2));
  EXPECT_TRUE(job.lit(12, 2));
  EXPECT_TRUE(job.lit(2, 7));
  EXPECT_TRUE(job.lit(101, 22));
  EXPECT_FALSE(job.lit(102, 22));
  EXPECT_FALSE(job.lit(101, 41));
  job.ws.box[0] = 101, job.ws.box[1] = 39;
  TextOnlySize boxOnly = measureTextOnly(job.engine);
  EXPECT_EQ(boxOnly.width, 104);
  EXPECT_EQ(boxOnly.height, 40);
}

// The extent an empty message keeps is the one of the layout measured just before it,
// whether or not a canvas was prepared from that layout.
TEST(CanvasLayoutTest, EmptyMessageKeepsTheLastMeasuredLayout) {
  Job job;
  job.ws.message = "o";
  job.ws.effects = {effect(kDropShadow, -5, -5, 50, 2)};
  ASSERT_TRUE(prepareCanvas(job.engine));  // the canvas holds extent 6 x 6 and o's clip
  job.ws.message = "Hello Vornel!";
  // An outline of 10 at (0, 3): -10 ... 10 across, -7 ... 13 down.
  job.ws.effects = {effect(kOutLine, 0, 3, 10)};
  CanvasLayout outlined;
  ASSERT_TRUE(measureLayout(job.engine, outlined));
  ASSERT_EQ(outlined.extentWidth, 20);
  ASSERT_EQ(outlined.extentHeight, 20);
  const int clipLeft = outlined.clipLeft, clipTop = outlined.clipTop;
  ASSERT_NE(clipTop, job.c.clipTop);

  job.ws.message.clear();
  CanvasLayout empty;
  ASSERT_TRUE(measureLayout(job.engine, empty));
  EXPECT_EQ(empty.textOriginX, 0);
  EXPECT_EQ(empty.textOriginY, 0);
  EXPECT_EQ(empty.extentWidth, 20);
  EXPECT_EQ(empty.extentHeight, 20);
  EXPECT_EQ(empty.clipLeft, clipLeft);
  EXPECT_EQ(empty.clipTop, clipTop);
  EXPECT_EQ(empty.width, 24);  // (20 + 4) rounded down to a multiple of 4
  EXPECT_EQ(empty.height, 24);
  EXPECT_EQ(measureTextOnly(job.engine).width, 24);
  // An empty layout passes the same extent on, and so does the canvas prepared from it.
  ASSERT_TRUE(measureLayout(job.engine, empty));
  EXPECT_EQ(empty.width, 24);
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.c.width, 24);
  EXPECT_EQ(job.c.extentHeight, 20);

  // A refused layout decides nothing, so the one before it still counts.
  job.ws.message = "x";
  job.ws.effects = {effect(kOutLine, 0, 0, 1)};
  ASSERT_TRUE(measureLayout(job.engine, empty));  // extent 2 x 2 ...
  job.ws.effects = {effect(kSingleColor, kMaxCanvasSide + 1, 0)};
  EXPECT_FALSE(measureLayout(job.engine, empty));  // ... and this one is refused
  job.ws.message.clear();
  ASSERT_TRUE(measureLayout(job.engine, empty));
  EXPECT_EQ(empty.width, 4);  // (2 + 4) rounded down
}

TEST(CanvasLayoutTest, LargeCanvasesRenderAndTooLargeOnesAreRefused) {
  Job job;
  // Far past the old 1000-row limit.
  job.ws.font.lfHeight = 1200;
  job.ws.font.lfWidth = 0;
  job.ws.message = "I\nI\nI";
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_GT(job.c.height, 3000);
  EXPECT_EQ(job.litBounds().top, 0);

  job.ws.kind = kLayerRoundBox;
  job.ws.box[0] = kMaxCanvasSide, job.ws.box[1] = 8;
  ASSERT_TRUE(prepareCanvas(job.engine));
  EXPECT_EQ(job.c.width, kMaxCanvasSide);

  RenderCanvas before = job.c;
  std::string reason;
  job.ws.box[0] = kMaxCanvasSide + 1;
  EXPECT_FALSE(prepareCanvas(job.engine, &reason));
  EXPECT_NE(reason.find("16384"), std::string::npos) << reason;
  EXPECT_EQ(job.c.width, before.width);
  EXPECT_EQ(job.c.textRaster, before.textRaster);

  job.ws.box[0] = 8;
  job.ws.effects = {effect(kOutLine, 0, 0, INT32_MAX)};
  EXPECT_FALSE(prepareCanvas(job.engine, &reason));
  job.ws.effects = {effect(kSingleColor, INT32_MIN, 0)};
  EXPECT_FALSE(prepareCanvas(job.engine, &reason));

  job.ws.kind = kLayerFont;
  job.ws.effects.clear();
  job.ws.message = "W";
  job.ws.font.lfHeight = 30000;
  EXPECT_FALSE(prepareCanvas(job.engine, &reason));
  job.ws.font.lfHeight = 20;
  job.ws.font.lfWidth = 1000000;
  EXPECT_FALSE(prepareCanvas(job.engine, &reason));
  // A wide run of blanks around a little ink needs no huge measuring buffer.
  job.ws.font.lfWidth = 0;
  job.ws.message = std::string(299, ' ') + ".";
  job.ws.font.lfHeight = 2000;
  ASSERT_TRUE(prepareCanvas(job.engine, &reason)) << reason;
  EXPECT_LT(job.c.width, 1000);
}

RenderCanvas canvasFromPicture(const std::vector<std::string>& rows) {
  RenderCanvas c;
  c.height = static_cast<int>(rows.size());
  c.width = static_cast<int>(rows[0].size());
  std::size_t n = static_cast<std::size_t>(c.width) * c.height;
  c.textRaster.assign(n * 3, 0);
  c.savedTextRaster.assign(n * 3, 0);
  c.edgeMask.assign(n, 7);
  c.coverage.assign(n, 5);
  c.pressedCoverage.assign(n, 5);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      if (rows[y][x] == '#')
        c.savedTextRaster[(static_cast<std::size_t>(y) * c.width + x) * 3] = 255;
  return c;
}

std::vector<std::string> maskPicture(const RenderCanvas& c) {
  std::vector<std::string> rows;
  for (int y = 0; y < c.height; ++y) {
    std::string s;
    for (int x = 0; x < c.width; ++x) {
      std::uint8_t m = c.edgeMask[static_cast<std::size_t>(y) * c.width + x];
      s += m == 255 ? 'E' : m == 0 ? '.' : '?';
    }
    rows.push_back(s);
  }
  return rows;
}

TEST(CanvasLayoutTest, EdgeMaskAndRestore) {
  // Lit means a non-zero first byte; the raster comes back from the saved copy.
  RenderCanvas c = canvasFromPicture({
      "#......#",
      "........",
      ".###....",
      ".###..#.",
      ".###....",
      "........",
      "#####...",
      "........",
  });
  restoreTextRaster(c);
  EXPECT_EQ(c.textRaster, c.savedTextRaster);
  EXPECT_EQ(c.coverage, std::vector<std::int16_t>(64, 0));
  EXPECT_EQ(c.pressedCoverage, std::vector<std::int16_t>(64, 0));
  EXPECT_TRUE(c.heightFieldStale);
  // The 3 x 3 square keeps its centre; an isolated pixel is all edge; the outermost
  // rows and columns are never edges.
  EXPECT_EQ(maskPicture(c), (std::vector<std::string>{
                                "........",
                                "........",
                                ".EEE....",
                                ".E.E..E.",
                                ".EEE....",
                                "........",
                                ".EEEE...",
                                "........",
                            }));
  // Only the first byte counts.
  c.textRaster[(3 * 8 + 2) * 3] = 0;
  c.textRaster[(3 * 8 + 2) * 3 + 1] = 255;
  computeEdgeMask(c);
  EXPECT_EQ(maskPicture(c)[3], ".E.E..E.");
  EXPECT_EQ(maskPicture(c)[2], ".EEE....");
  c.textRaster[(3 * 8 + 2) * 3] = 255;
  c.textRaster[(2 * 8 + 2) * 3] = 0;
  computeEdgeMask(c);
  EXPECT_EQ(maskPicture(c)[3], ".EEE..E.");
}

TEST(CanvasLayoutTest, ClearingTheCanvases) {
  RenderCanvas c = canvasFromPicture({"....", "....", "....", "...."});
  c.canvas.assign(48, 9);
  c.pressedCanvas.assign(48, 9);
  clearCanvasToBlack(c);
  EXPECT_EQ(c.canvas, std::vector<std::uint8_t>(48, 0));
  EXPECT_EQ(c.coverage, std::vector<std::int16_t>(16, 5));
  // 0x00BBGGRR is stored blue, green, red.
  clearCanvasToBackground(c, 0x00112233);
  for (std::size_t i = 0; i < 48; i += 3) {
    EXPECT_EQ(c.canvas[i], 0x11);
    EXPECT_EQ(c.canvas[i + 1], 0x22);
    EXPECT_EQ(c.canvas[i + 2], 0x33);
  }
  EXPECT_EQ(c.coverage, std::vector<std::int16_t>(16, 0));
  EXPECT_EQ(c.pressedCoverage, std::vector<std::int16_t>(16, 5));
  EXPECT_EQ(c.pressedCanvas, std::vector<std::uint8_t>(48, 9));
  clearPressedCanvas(c);
  EXPECT_EQ(c.pressedCanvas, std::vector<std::uint8_t>(48, 0));
}

}  // namespace
}  // namespace vornel
