// renderJob, placement and the passes, on layers drawn as round boxes (no font
// needed) and checked against sizes and positions worked out by hand.
#include "render/pipeline.h"

#include <gtest/gtest.h>

#include "core/style_file.h"
#include "render/canvas_layout.h"
#include "render/compose.h"
#include "render/dispatch.h"
#include "render/engine.h"
#include "render/job_commands.h"
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

// An empty text is laid out with the extent of the layer measured just before it: in
// both the layout pass and the render that is the Template, so the Bulletin's stored
// size is the size of its render and it is placed by it.
TEST_F(PipelineFixture, EmptyBulletinTakesTheExtentOfTheLayerBeforeIt) {
  messageBox(200, 60);
  EffectRecord outline;
  outline.type = kOutLine;
  outline.param(5) = 10;  // extent 20 x 20
  LayerRecord& t = doc.layer(kTemplateLayer);
  t.kind = kLayerRoundBox;
  t.effects = {outline};
  LayerRecord& b = doc.layer(kBulletinLayer);
  b.kind = kLayerFont;
  b.text.clear();
  ASSERT_TRUE(renderJob(engine));
  // (20 + 4) rounded down to a multiple of 4, flush left of the Message, centred on 30.
  EXPECT_EQ(b.width, 24);
  EXPECT_EQ(b.height, 24);
  EXPECT_EQ(b.image.width, 24);
  EXPECT_EQ(b.image.height, 24);
  EXPECT_EQ(b.x, -24);
  EXPECT_EQ(b.y, 18);
  // The Template (190 x 57 box plus its extent, 210 x 77) is centred: x = 100 - 105.
  EXPECT_EQ(t.x, -5);
  EXPECT_EQ(doc.originX, -24);
  EXPECT_EQ(doc.outputWidth, 229);  // -24 ... 205
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

TEST_F(PipelineFixture, ExtremeRoundBoxFactorsAreRefusedNotOverflowed) {
  // 200 x 2147483647 / 1000 = 429496729 fits an int, but the corner, 429496729 x
  // 2147483647 / 1000, does not. The boxes are far beyond any picture: refused.
  messageBox(200, 60);
  doc.layer(kTemplateLayer).kind = kLayerRoundBox;
  doc.layer(kBulletinLayer).kind = kLayerRoundBox;
  doc.templateFactors = {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
  doc.bulletinFactors = doc.templateFactors;
  std::string reason;
  EXPECT_FALSE(renderJob(engine, &reason));
  EXPECT_NE(reason.find("pixels"), std::string::npos);
  EXPECT_EQ(doc.outputWidth, 0);
  // Negative factors give boxes of negative size, whose corners overflow an int just
  // the same; such boxes draw nothing.
  doc.templateFactors = {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
  doc.bulletinFactors = doc.templateFactors;
  renderJob(engine);
  EXPECT_EQ(doc.layer(kTemplateLayer).box[0], -429496729);  // 200 x -2147483648 / 1000
  EXPECT_EQ(doc.layer(kBulletinLayer).box[1], -128849018);  // 60 x -2147483648 / 1000
  // Large but sane factors still work: 200 x 2000 / 1000 = 400, corners 400 x 3 / 1000.
  doc.templateFactors = {2000, 1500, 3, 1000};
  doc.bulletinFactors = {500, 500, 500, 500};
  ASSERT_TRUE(renderJob(engine));
  const LayerRecord& t = doc.layer(kTemplateLayer);
  EXPECT_EQ(t.box[0], 400);
  EXPECT_EQ(t.box[1], 90);
  EXPECT_EQ(t.box[2], 1);
  EXPECT_EQ(t.box[3], 90);
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

namespace vornel {
namespace {

TEST_F(PipelineFixture, NewProjectAsksFirstAndCancelChangesNothing) {
  doc.projectModified = true;
  doc.layer(kMessageLayer).text = "Edited";
  host.answers = {MsgAnswer::Cancel};
  EXPECT_FALSE(newProject(engine));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Save change to Untitled.vrn");
  EXPECT_EQ(host.messages[0].caption, "Warning!");
  EXPECT_EQ(doc.layer(kMessageLayer).text, "Edited");
  EXPECT_TRUE(doc.projectModified);
}

TEST_F(PipelineFixture, NewProjectResetsTheJobButKeepsOtherFontFields) {
  LayerRecord& m = doc.layer(kMessageLayer);
  m.text = "Edited";
  m.font.setFaceName("Courier New");
  m.font.lfHeight = -40;
  m.font.lfWidth = 0;
  m.font.lfWeight = 700;
  m.font.lfItalic = 1;
  m.effects = {fill(0xFF)};
  doc.layer(kTemplateLayer).kind = kLayerRoundBox;
  doc.projectBackgroundColor = doc.ws.backgroundColor = 0x123456;
  doc.projectModified = true;
  host.answers = {MsgAnswer::No};
  ASSERT_TRUE(newProject(engine));
  EXPECT_EQ(m.text, "Hello Vornel!");
  EXPECT_EQ(m.font.faceName(), "Arial");
  EXPECT_EQ(m.font.lfHeight, 20);
  EXPECT_EQ(m.font.lfWidth, 10);
  EXPECT_EQ(m.font.lfWeight, 700);
  EXPECT_EQ(m.font.lfItalic, 1);
  EXPECT_TRUE(m.effects.empty());
  EXPECT_EQ(doc.layer(kTemplateLayer).kind, kLayerNone);
  EXPECT_EQ(doc.projectBackgroundColor, 0xFFFFFFu);
  EXPECT_EQ(doc.ws.backgroundColor, 0xFFFFFFu);
  EXPECT_FALSE(doc.projectModified);
  // Rendered afresh: the output is the plain Message over white.
  EXPECT_EQ(doc.outputWidth, doc.layer(kMessageLayer).width);
}

TEST_F(PipelineFixture, ChoosingAStyleAssignsItAndRenders) {
  test::TempDir dir;
  doc.appDirectory = dir.path() + "/";
  doc.ws.effects = {fill(0x00FF00)};
  doc.ws.backgroundColor = 0x0000FF;
  ASSERT_TRUE(writeStyle(dir.file("green.sty"), doc));
  clearWorkingStyle(doc);
  doc.ws.backgroundColor = 0xFFFFFF;
  messageBox(8, 4);
  ASSERT_TRUE(chooseStyleForLayer(engine, kMessageLayer, "green.sty"));
  EXPECT_EQ(doc.layer(kMessageLayer).effects.size(), 1u);
  EXPECT_EQ(doc.messageStyleName, dir.file("green.sty"));
  // Template and Bulletin are None, so the style's background colour is the job's.
  EXPECT_EQ(doc.projectBackgroundColor, 0x0000FFu);
  ASSERT_EQ(doc.outputWidth, 8);
  EXPECT_EQ(DibRowAccess(doc.outputImage)[1][1 * 3 + 1], 254);  // green fill, full cover

  // A style that cannot be read leaves the layer as it was, and the job is rendered
  // all the same: the picture follows the box's new size.
  messageBox(12, 4);
  doc.outputStale = true;
  EXPECT_TRUE(chooseStyleForLayer(engine, kMessageLayer, "missing.sty"));
  EXPECT_EQ(doc.layer(kMessageLayer).effects.size(), 1u);
  EXPECT_FALSE(doc.outputStale);
  EXPECT_EQ(doc.outputWidth, 12);

  doc.messageStyleModified = true;
  host.answers = {MsgAnswer::Cancel};
  EXPECT_FALSE(chooseStyleForLayer(engine, kMessageLayer, "green.sty"));
  EXPECT_EQ(host.messages.back().text, "Save change to " + dir.file("green.sty"));
}

TEST_F(PipelineFixture, DispatcherSkipsUnknownTypesAndMissingStars) {
  messageBox(8, 4);
  ASSERT_TRUE(renderJob(engine));
  RenderCanvas& c = engine.canvas;
  clearCanvasToBlack(c);
  std::vector<std::uint8_t> before = c.canvas;
  for (int type : {-1, 13, 1000}) {
    EffectRecord r = fill(0xFFFFFF);
    r.type = type;
    runEffect(engine, r, c.textRows(), c.canvasRows(), c.coverage.data());
  }
  EffectRecord star;
  star.type = kStarFilter;
  star.param(1) = 0xFFFFFF;
  star.param(2) = 3;  // no such star image
  star.param(6) = 10;
  runEffect(engine, star, c.textRows(), c.canvasRows(), c.coverage.data());
  EXPECT_EQ(c.canvas, before);
  // Any fill kind but 4 and 5 is the colour fill.
  for (int kind : {0, 3}) {
    EffectRecord r = fill(0xFFFFFF);
    r.param(5) = kind;
    r.setTexture("missing.bmp");
    clearCanvasToBlack(c);
    runEffect(engine, r, c.textRows(), c.canvasRows(), c.coverage.data());
    EXPECT_EQ(c.canvas[0], 254) << kind;
  }
}

TEST_F(PipelineFixture, DispatcherBoundsKernelRadii) {
  messageBox(8, 4);
  ASSERT_TRUE(renderJob(engine));
  RenderCanvas& c = engine.canvas;
  for (int type : {kOutLine, kDropShadow, kDepthField, kCutOut}) {
    for (int radius : {-5, 0, 1000000}) {
      EffectRecord r;
      r.type = type;
      r.param(5) = type == kOutLine ? radius : 50;
      r.param(6) = radius;
      runEffect(engine, r, c.textRows(), c.canvasRows(), c.coverage.data());
    }
  }
  SUCCEED();  // defined results and no out-of-bounds access (checked under ASan)
}

TEST_F(PipelineFixture, MaskedMessageTakesThePictureShape) {
  // An "F" in a 6 x 5 picture; lit pixels are drawn in black over white.
  const char* shape[] = {"......", ".####.", ".#....", ".###..", ".#...."};
  ShapeMask& mask = engine.messageMask;
  mask.width = 6;
  mask.height = 5;
  mask.lit.assign(30, 0);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) mask.lit[static_cast<std::size_t>(y) * 6 + x] = shape[y][x] == '#';
  doc.layer(kMessageLayer).effects = {fill(0)};
  for (int clip : {0, 1}) {
    doc.prefs.clipBlank = clip;
    ASSERT_TRUE(renderJob(engine));
    // Clip on: the 4 x 4 ink box (columns 1-4, rows 1-4), canvas (4 + 3) and (4 + 3)
    // rounded down: 4 x 4. Clip off: the picture rounded up, 8 x 8.
    const int side = clip ? 4 : 8, shift = clip ? 1 : 0;
    ASSERT_EQ(doc.outputWidth, side);
    ASSERT_EQ(doc.outputHeight, side);
    DibRowAccess rows(doc.outputImage);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        int mx = x + shift, my = y + shift;
        bool lit = mx < 6 && my < 5 && shape[my][mx] == '#';
        EXPECT_EQ(rows[y][x * 3], lit ? 0 : 254) << clip << ": " << x << "," << y;
      }
  }
  EXPECT_EQ(doc.layer(kMessageLayer).kind, kLayerFont);
  EXPECT_EQ(doc.ws.kind, kLayerFont);
}

}  // namespace
}  // namespace vornel
