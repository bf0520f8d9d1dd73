// The budget: canvases beyond kMaxCanvasPixels and jobs whose work would pass
// kRenderWorkUnits are refused before the work, with reasons that name the sizes; the
// relief's ring search keeps to its allowance; the picture-size probe never promises less
// than a reader decodes. Layers are round boxes, so no font is needed.
#include "render/work_budget.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "imageio/bmp_file.h"
#include "imageio/budget.h"
#include "imageio/dib_image.h"
#include "imageio/jpeg_encoder.h"
#include "imageio/picture_bound.h"
#include "render/effects/height_field.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "tests/effects_test_support.h"
#include "tests/test_support.h"

namespace vornel {
namespace {

struct BudgetFixture : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  VornelDocument& doc = engine.doc;

  void SetUp() override {
    initializeDocument(doc);
    doc.prefs.antialiasing = 0;
  }
  void messageBox(int w, int h, std::vector<EffectRecord> effects) {
    LayerRecord& m = doc.layer(kMessageLayer);
    m.kind = kLayerRoundBox;
    m.box[0] = w;
    m.box[1] = h;
    m.effects = std::move(effects);
  }
  std::string refusal() {
    std::string reason;
    EXPECT_FALSE(renderJob(engine, &reason));
    EXPECT_EQ(doc.outputWidth, 0);
    return reason;
  }
};

EffectRecord effect(int type, std::initializer_list<std::pair<int, int>> params) {
  EffectRecord r;
  r.type = type;
  for (auto [n, v] : params) r.param(n) = v;
  return r;
}

TEST_F(BudgetFixture, ACanvasBeyondThePixelBudgetIsRefusedByItsSize) {
  // 4100 x 4100 is within the side limit but 16.8 M pixels are the most.
  messageBox(4100, 4100, {});
  EXPECT_EQ(refusal(),
            "the canvas would be 4100 x 4100 pixels (16.8 M); at most 16.8 M pixels "
            "(16777216) can be rendered");
  // The outline's reach widens the canvas: radius 8100 around a small box.
  messageBox(40, 20, {effect(kOutLine, {{5, 8100}})});
  EXPECT_EQ(refusal(),
            "the canvas would be 16240 x 16220 pixels (263.4 M); at most 16.8 M pixels "
            "(16777216) can be rendered");
  // 4096 x 4096 is the largest square, and renders.
  messageBox(4096, 4096, {});
  std::string reason;
  EXPECT_TRUE(renderJob(engine, &reason)) << reason;
  EXPECT_EQ(doc.outputWidth, 4096);
}

TEST_F(BudgetFixture, WorkBeyondTheBudgetIsRefusedBeforeItIsDone) {
  // A depth of field of radius 100 over a gradient visits 40401 cells at each of 4 M
  // pixels (no window is of one colour).
  const EffectRecord gradient = effect(kLinearGradient, {{1, 0xFF}, {2, 0xFF0000}, {6, 1000}});
  messageBox(2000, 2000, {gradient, effect(kDepthField, {{5, 150}, {6, 100}})});
  std::string reason = refusal();
  EXPECT_EQ(reason.find("DepthField (radius 100) on a 2000 x 2000 canvas would need about "), 0u)
      << reason;
  EXPECT_NE(reason.find(" work units in all; a job may take 6000.0 M (about 6 s)"),
            std::string::npos)
      << reason;
  // The same blur on a small box is no trouble, nor is the job after it: the count
  // starts afresh for every job.
  messageBox(40, 40, {gradient, effect(kDepthField, {{5, 150}, {6, 100}})});
  EXPECT_TRUE(renderJob(engine, &reason)) << reason;
  EXPECT_FALSE(engine.meter.refused());
  // Radii beyond the largest kernel are refused whatever the canvas.
  messageBox(8, 8, {effect(kCutOut, {{5, 150}, {6, kMaxBlurRadius + 1}})});
  reason = refusal();
  EXPECT_NE(reason.find("CutOut (radius 1001) on a 8 x 8 canvas would need more than"),
            std::string::npos)
      << reason;
}

TEST_F(BudgetFixture, ChargesAddUpOverEffectsAndPasses) {
  // A tile picture whose header declares 4096 x 4096 pixels is charged as that much
  // decoding (16.8 M x 16 units), though its reader refuses it at once for want of data:
  // 22 such tiles fit in a job, the 23rd does not.
  test::TempDir dir;
  doc.appDirectory = dir.path() + "/";
  ASSERT_EQ(::mkdir(dir.file("texture").c_str(), 0755), 0);
  const std::vector<std::uint8_t> gif = {'G',  'I',  'F', '8',  '9', 'a',  1,    0, 1,    0,
                                         0,    0,    0,   0x2C, 0,   0,    0,    0, 0x00, 0x10,
                                         0x00, 0x10, 0,   2,    2,   0x4C, 0x01, 0, 0x3B};
  test::writeFileBytes(dir.file("texture/huge.gif"), gif);
  EffectRecord tile = effect(kTile, {});
  tile.setTexture("huge.gif");
  std::string reason;
  messageBox(8, 8, std::vector<EffectRecord>(22, tile));
  EXPECT_TRUE(renderJob(engine, &reason)) << reason;
  messageBox(8, 8, std::vector<EffectRecord>(23, tile));
  reason = refusal();
  EXPECT_EQ(reason.find("Tile on a 8 x 8 canvas would need about "), 0u) << reason;
  // The pressed pass is charged again: twelve tiles are 24 runs.
  doc.pressedImage = true;
  messageBox(8, 8, std::vector<EffectRecord>(11, tile));
  EXPECT_TRUE(renderJob(engine, &reason)) << reason;
  messageBox(8, 8, std::vector<EffectRecord>(12, tile));
  refusal();
}

TEST(WorkMeter, ScopesShareOneCountAndTheOutermostStartsIt) {
  WorkMeter meter;
  {
    WorkScope job(meter);
    EXPECT_TRUE(meter.charge(100, "a"));
    {
      WorkScope pass(meter);
      EXPECT_TRUE(meter.charge(50, "b"));
    }
    EXPECT_EQ(meter.spent, 150);
    EXPECT_FALSE(meter.charge(kRenderWorkUnits, "the big step"));
    EXPECT_EQ(meter.spent, 150);
    EXPECT_EQ(meter.refusal.find("the big step would need about 6000.0 M"), 0u) << meter.refusal;
    EXPECT_FALSE(meter.charge(1, "anything after it"));
  }
  WorkScope next(meter);
  EXPECT_EQ(meter.spent, 0);
  EXPECT_FALSE(meter.refused());
}

// A field lit but for one pixel sends the search through ring after ring; an allowance
// stops it, and a sufficient one gives exactly the field built without.
TEST(ReliefAllowance, TheRingSearchStopsAtItsAllowanceAndIsExactWithin) {
  test::EffectCanvas c(64, 48);
  c.lightAllText();
  c.lightText(20, 30, 0);
  ReliefState free, held, short_;
  ASSERT_TRUE(buildHeightField(free, c.textRows()));
  std::int64_t left = std::int64_t{1} << 40;
  ASSERT_TRUE(buildHeightField(held, c.textRows(), &left));
  EXPECT_EQ(held.field.values, free.field.values);
  const std::int64_t used = (std::int64_t{1} << 40) - left;
  EXPECT_GT(used, 64 * 48 * 100) << "each pixel looks at many rings";
  std::int64_t tooFew = used - 1;
  EXPECT_FALSE(buildHeightField(short_, c.textRows(), &tooFew));
  bool stale = true;
  std::int64_t none = 0;
  EXPECT_FALSE(refreshHeightField(short_, c.textRows(), stale, &none));
  EXPECT_TRUE(stale);
}

// The probe's bound against what the readers decode from files our writers made, and
// against headers that declare more than their data holds.
TEST(PictureBound, NeverLessThanTheReadersDecode) {
  DibImage picture;
  ASSERT_TRUE(picture.create(37, 21, 24));
  std::vector<std::uint8_t> jpeg, bmp;
  ASSERT_TRUE(encodeJpeg(picture, jpeg));
  ASSERT_TRUE(encodeBmp(picture, bmp));
  const std::int64_t jpegBound = decodedPixelBound(jpeg.data(), jpeg.size());
  EXPECT_GE(jpegBound, 37 * 21);
  EXPECT_LE(jpegBound, (37 + 31) * (21 + 31));
  EXPECT_GE(decodedPixelBound(bmp.data(), bmp.size()), 37 * 21);
  // A GIF whose first image comes after an extension; the screen size does not count.
  std::vector<std::uint8_t> gif = {'G',  'I', 'F',  '8',  '9', 'a',  1,    0,    1,    0, 0,
                                   0,    0,   0x21, 0xFE, 3,   'a',  'b',  'c',  0,  // a comment
                                   0x2C, 0,   0,    0,    0,   0x00, 0x02, 0x00, 0x01, 0};
  EXPECT_EQ(decodedPixelBound(gif.data(), gif.size()), 512 * 256);
  // 65535 x 65535 declared: capped where every reader refuses.
  gif[25] = gif[26] = gif[27] = gif[28] = 0xFF;
  EXPECT_EQ(decodedPixelBound(gif.data(), gif.size()), kMaxDecodedPixels);
  // Nothing that looks like a header: the bytes themselves bound a BMP.
  std::vector<std::uint8_t> plain(1000, 7);
  EXPECT_EQ(decodedPixelBound(plain.data(), plain.size()), 1000);
}

}  // namespace
}  // namespace vornel
