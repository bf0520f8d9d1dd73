// renderJob, placement and the passes, on layers drawn as round boxes (no font
// needed) and checked against sizes and positions worked out by hand.
#include "render/pipeline.h"

#include <gtest/gtest.h>

#include "render/compose.h"
#include "render/engine.h"
#include "test_support.h"

namespace vornel {
namespace {

struct PipelineFixture : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  VornelDocument& doc = engine.doc;

  void SetUp() override {
    initializeDocument(doc);
    doc.prefs.antialiasing = 0;
  }
  // The Message as a plain w x h box: its canvas is then exactly w x h when both are
  // multiples of 4 and there are no effects.
  void messageBox(int w, int h) {
    LayerRecord& m = doc.layer(kMessageLayer);
    m.kind = kLayerRoundBox;
    m.box[0] = w;
    m.box[1] = h;
  }
  int blue(DibImage& image, int x, int y) { return DibRowAccess(image)[y][x * 3]; }
};

EffectRecord fill(std::uint32_t color, int x = 0, int y = 0) {
  EffectRecord r;
  r.type = kSingleColor;
  r.param(1) = static_cast<std::int32_t>(color);
  r.param(3) = x;
  r.param(4) = y;
  r.param(5) = 2;
  return r;
}

TEST(PipelinePressed, OffsetsAreHalvedTowardZero) {
  EffectRecord r = fill(0, 5, -3);
  EffectRecord p = pressedRecord(r);
  EXPECT_EQ(p.param(3), 2);
  EXPECT_EQ(p.param(4), -1);
  r.param(3) = -5;
  r.param(4) = 1;
  p = pressedRecord(r);
  EXPECT_EQ(p.param(3), -2);
  EXPECT_EQ(p.param(4), 0);
  EXPECT_EQ(p.param(1), r.param(1));
}

TEST_F(PipelineFixture, AllNoneGivesAnEmptyOutput) {
  doc.layer(kMessageLayer).kind = kLayerNone;
  EXPECT_TRUE(renderJob(engine));
  EXPECT_EQ(doc.outputWidth, 0);
  EXPECT_EQ(doc.outputHeight, 0);
  EXPECT_EQ(doc.outputImage.width(), 0);
  EXPECT_EQ(doc.outputImage.height(), 0);
}

TEST_F(PipelineFixture, TemplateRoundBoxIsPlacedAroundTheMessage) {
  messageBox(200, 60);
  doc.layer(kTemplateLayer).kind = kLayerRoundBox;
  doc.outputStale = true;
  ASSERT_TRUE(renderJob(engine));
  EXPECT_FALSE(doc.outputStale);
  const LayerRecord& t = doc.layer(kTemplateLayer);
  // 95 % of 200 x 60, corners a tenth of that (57 x 0.1 = 5.7 truncated).
  EXPECT_EQ(t.box[0], 190);
  EXPECT_EQ(t.box[1], 57);
  EXPECT_EQ(t.box[2], 19);
  EXPECT_EQ(t.box[3], 5);
  EXPECT_EQ(t.width, 190);
  EXPECT_EQ(t.height, 57);
  EXPECT_EQ(t.x, 5);  // 100 - 95
  EXPECT_EQ(t.y, 2);  // 30 - 28
  EXPECT_EQ(doc.outputWidth, 200);
  EXPECT_EQ(doc.outputHeight, 60);
  EXPECT_EQ(doc.originX, 0);
}

TEST_F(PipelineFixture, TemplateRoundBoxUsesTheMessageTextAreaAndItsOwnExtent) {
  messageBox(200, 60);
  doc.layer(kMessageLayer).effects = {fill(0, -4, -8)};  // text origin (4, 8)
  LayerRecord& t = doc.layer(kTemplateLayer);
  t.kind = kLayerRoundBox;
  t.effects = {fill(0, 6, 2)};  // extent 6 x 2
  ASSERT_TRUE(renderJob(engine));
  const LayerRecord& m = doc.layer(kMessageLayer);
  ASSERT_EQ(m.width, 204);  // (4 + 200 + 3) rounded down to 4
  ASSERT_EQ(m.height, 68);
  EXPECT_EQ(t.box[0], 186);  // (204 - 8) x 0.95 = 186.2
  EXPECT_EQ(t.box[1], 49);   // (68 - 16) x 0.95 = 49.4
  EXPECT_EQ(t.width, 192);
  EXPECT_EQ(t.height, 51);
  EXPECT_EQ(t.x, 102 - 96);
  EXPECT_EQ(t.y, 34 - 25);
}

TEST_F(PipelineFixture, BulletinRoundBoxSitsLeftOfTheMessage) {
  messageBox(200, 60);
  doc.layer(kBulletinLayer).kind = kLayerRoundBox;
  ASSERT_TRUE(renderJob(engine));
  const LayerRecord& b = doc.layer(kBulletinLayer);
  EXPECT_EQ(b.box[0], 30);
  EXPECT_EQ(b.box[1], 30);
  EXPECT_EQ(b.box[2], 15);
  EXPECT_EQ(b.box[3], 15);
  EXPECT_EQ(b.x, -36);  // -(30 + 0) - 6
  EXPECT_EQ(b.y, 15);
  EXPECT_EQ(b.width, 30);
  EXPECT_EQ(b.height, 30);
  EXPECT_EQ(doc.originX, -36);
  EXPECT_EQ(doc.originY, 0);
  EXPECT_EQ(doc.outputWidth, 236);
  EXPECT_EQ(doc.outputHeight, 60);
}

TEST_F(PipelineFixture, TextTemplatesShareTheMessageWidthOutAmongTheirCharacters) {
  messageBox(200, 60);
  LayerRecord& t = doc.layer(kTemplateLayer);
  t.kind = kLayerStretchedFont;
  t.text = "abcdefg";  // 200 / 7 = 28
  t.font.lfWidth = 3;
  ASSERT_TRUE(renderJob(engine));
  EXPECT_EQ(t.stretchedFontWidth, 28);
  EXPECT_EQ(t.font.lfWidth, 28);
  EXPECT_EQ(t.x, 100 - t.width / 2);
  EXPECT_EQ(t.y, 30 - t.height / 2);

  t.kind = kLayerFont;
  t.text = "\xED\x95\x9C\xEA\xB8\x80";  // two Hangul characters: 100 each
  t.font.lfWidth = 3;
  ASSERT_TRUE(renderJob(engine));
  EXPECT_EQ(t.stretchedFontWidth, 100);
  EXPECT_EQ(t.font.lfWidth, 3);  // a Font template keeps its font

  t.kind = kLayerStretchedFont;
  t.text.clear();
  ASSERT_TRUE(renderJob(engine));
  EXPECT_EQ(t.font.lfWidth, 0);  // nothing to share out: the natural width
}

TEST_F(PipelineFixture, BulletinTextSitsFlushLeft) {
  messageBox(200, 60);
  LayerRecord& b = doc.layer(kBulletinLayer);
  b.kind = kLayerRoundBox;
  ASSERT_TRUE(renderJob(engine));
  b.kind = kLayerFont;  // laid out by the text rasteriser: only the rule is checked
  ASSERT_TRUE(renderJob(engine));
  EXPECT_EQ(b.x, -b.width);
  EXPECT_EQ(b.y, 30 - b.height / 2);
}

TEST_F(PipelineFixture, SingleFillEqualsTheMessageCanvasOverTheBackground) {
  messageBox(8, 4);
  doc.layer(kMessageLayer).effects = {fill(0x102030)};
  doc.projectBackgroundColor = 0x0000FF;
  ASSERT_TRUE(renderJob(engine));
  ASSERT_EQ(doc.outputWidth, 8);
  ASSERT_EQ(doc.outputHeight, 4);
  const LayerImage& li = doc.layer(kMessageLayer).image;
  ASSERT_EQ(li.width, 8);
  DibRowAccess rows(doc.outputImage);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 8; ++x)
      for (int k = 0; k < 3; ++k) {
        std::size_t i = static_cast<std::size_t>(y) * 8 + x;
        int a = li.alpha[i], l = li.pixels[i * 3 + k];
        int bg = k == 2 ? 255 : 0;
        int expect = a == 255 ? l : std::min(255, l + ((bg * (255 - a)) >> 8));
        EXPECT_EQ(rows[y][x * 3 + k], expect) << x << "," << y << "," << k;
      }
  // The box is lit everywhere, so the fill covers it fully: blue 0x10 x 255 >> 8.
  EXPECT_EQ(li.alpha[9], 255);
  EXPECT_EQ(rows[1][3], (0x10 * 255) >> 8);
}

TEST_F(PipelineFixture, PressedImageDrawsHalfTheOffset) {
  messageBox(8, 8);
  doc.layer(kMessageLayer).effects = {fill(0x000000, 5, -3)};
  doc.pressedImage = true;
  ASSERT_TRUE(renderJob(engine));
  // Envelope (0..5, -3..0): text origin (0, 3), canvas (5 + 8 + 3) x (3 + 8 + 3) -> 16 x 12.
  ASSERT_EQ(doc.outputWidth, 16);
  ASSERT_EQ(doc.outputHeight, 12);
  // Normal: the box (0..7, 3..10) moved by (5, -3); pressed: by (2, -1). Uncovered
  // pixels show the white background at 254.
  auto dark = [&](DibImage& image, int x, int y) { return blue(image, x, y) < 128; };
  EXPECT_TRUE(dark(doc.outputImage, 5, 0));
  EXPECT_TRUE(dark(doc.outputImage, 12, 7));
  EXPECT_FALSE(dark(doc.outputImage, 4, 0));
  EXPECT_FALSE(dark(doc.outputImage, 12, 8));
  EXPECT_TRUE(dark(doc.pressedOutputImage, 2, 2));
  EXPECT_TRUE(dark(doc.pressedOutputImage, 9, 9));
  EXPECT_FALSE(dark(doc.pressedOutputImage, 1, 2));
  EXPECT_FALSE(dark(doc.pressedOutputImage, 10, 9));
  EXPECT_FALSE(dark(doc.pressedOutputImage, 2, 1));
  EXPECT_EQ(blue(doc.pressedOutputImage, 0, 0), 254);
}

TEST_F(PipelineFixture, ComposeJobRepeatsTheRenderFromStoredLayers) {
  messageBox(200, 60);
  doc.layer(kMessageLayer).effects = {fill(0x3366CC, 2, 1)};
  doc.layer(kTemplateLayer).kind = kLayerRoundBox;
  doc.layer(kTemplateLayer).effects = {fill(0x00FF00)};
  doc.layer(kBulletinLayer).kind = kLayerRoundBox;
  doc.layer(kBulletinLayer).effects = {fill(0xFF0000)};
  doc.prefs.antialiasing = 1;
  doc.pressedImage = true;
  ASSERT_TRUE(renderJob(engine));
  std::vector<std::uint8_t> rendered = doc.outputImage.block();
  std::vector<std::uint8_t> pressed = doc.pressedOutputImage.block();
  composeJob(doc);
  EXPECT_EQ(doc.outputImage.block(), rendered);
  EXPECT_EQ(doc.pressedOutputImage.block(), pressed);
}

TEST_F(PipelineFixture, ReducedOutputIsEightBitsWithTheBackgroundAtEntryZero) {
  messageBox(40, 20);
  doc.layer(kMessageLayer).effects = {fill(0x3366CC)};
  doc.layer(kBulletinLayer).kind = kLayerRoundBox;
  doc.layer(kBulletinLayer).effects = {fill(0x00FF00)};
  doc.projectBackgroundColor = 0x80FF40;
  doc.pressedImage = true;
  ASSERT_TRUE(renderJob(engine));
  for (int colours : {16, 256}) {
    for (int method : {0, 1}) {
      doc.prefs.reduceColorMethod = method;
      composeJobReduced(engine, colours);
      for (DibImage* image : {&doc.outputImage, &doc.pressedOutputImage}) {
        ASSERT_EQ(image->bitsPerPixel(), 8);
        ASSERT_EQ(image->palette().size(), 256u);
        EXPECT_EQ(image->palette()[0], (PaletteColor{0x40, 0xFF, 0x80}));
        DibRowAccess rows(*image);
        EXPECT_EQ(rows[0][0], 0);  // the bulletin's row band leaves the corner empty
        int highest = 0;
        for (int y = 0; y < image->height(); ++y)
          for (int x = 0; x < image->width(); ++x) highest = std::max<int>(highest, rows[y][x]);
        EXPECT_LT(highest, colours);
      }
    }
  }
}

TEST_F(PipelineFixture, PreviewsCopyTheCanvasIntoTheOutput) {
  messageBox(8, 4);
  LayerRecord& m = doc.layer(kMessageLayer);
  m.effects = {fill(0x0000FF)};
  ASSERT_TRUE(renderJob(engine));
  // The working set now holds the Message; the preview paints over the working
  // background colour.
  doc.ws.backgroundColor = 0x00FF00;
  doc.pressedImage = true;
  renderPreview(engine);
  EXPECT_EQ(host.previewRefreshes, 1);
  ASSERT_EQ(doc.outputWidth, 8);
  EXPECT_EQ(doc.outputImage.width(), 8);
  EXPECT_EQ(doc.pressedOutputImage.height(), 4);
  EXPECT_EQ(DibRowAccess(doc.outputImage)[0][2], (255 * 255) >> 8);
  renderEffectPreview(engine, fill(0xFF0000));
  EXPECT_EQ(DibRowAccess(doc.outputImage)[0][0], (255 * 255) >> 8);
  EXPECT_EQ(DibRowAccess(doc.outputImage)[0][2], 0);
}

TEST_F(PipelineFixture, HugePlacementsAreRefusedWithAReason) {
  messageBox(8, 4);
  doc.layer(kMessageLayer).x = 2000000000;
  doc.layer(kMessageLayer).y = -2000000000;
  std::string reason;
  EXPECT_FALSE(renderJob(engine, &reason));
  EXPECT_NE(reason.find("pixels"), std::string::npos);
  EXPECT_EQ(doc.outputImage.width(), 0);
  doc.layer(kMessageLayer).x = 0;
  doc.layer(kMessageLayer).y = 0;
  messageBox(20000, 4);
  EXPECT_FALSE(renderJob(engine, &reason));
  EXPECT_EQ(doc.outputWidth, 0);
}

}  // namespace
}  // namespace vornel
