// Texture fills: tiled and stretched sampling, the blend and plane rules they share with
// the colour fill, and textures read from the program folder through the dispatcher.
#include "render/effects/texture_fill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "imageio/bmp_file.h"
#include "render/dispatch.h"
#include "render/engine.h"
#include "tests/effects_test_support.h"
#include "tests/test_support.h"

namespace vornel {
namespace {

// A top-down texture whose pixel (row, col) has the same value v in every channel,
// v taken from a table given row by row.
struct Texture {
  int w, h;
  std::vector<std::uint8_t> px;
  std::vector<const std::uint8_t*> rows;
  Texture(int width, int height, std::vector<std::uint8_t> values)
      : w(width), h(height), px(values.size() * 3) {
    for (std::size_t i = 0; i < values.size(); ++i)
      px[i * 3] = px[i * 3 + 1] = px[i * 3 + 2] = values[i];
    for (int r = 0; r < h; ++r) rows.push_back(px.data() + static_cast<std::size_t>(r) * w * 3);
  }
  TextureView view() const { return {rows.data(), w, h}; }
};

// Full coverage over black: floor(255 x f / 256).
int full(int f) {
  return 255 * f / 256;
}

TEST(TextureFill, TiledTwoByTwoRepeatsFromTheTextCorner) {
  // Texture values 0, 64 / 128, 255: under full coverage they land as 0, 63 / 127, 254.
  Texture tex(2, 2, {0, 64, 128, 255});
  test::EffectCanvas c(8, 4);
  c.lightAllText();
  tiledTextureFill(c.textRows(), c.canvasRows(), 0, 0, tex.view(), c.plane.data());
  const int expected[2][2] = {{0, 63}, {127, 254}};
  for (int r = 0; r < 4; ++r) {
    for (int col = 0; col < 8; ++col) {
      EXPECT_EQ(c.at(r, col, 0), expected[r % 2][col % 2]) << r << "," << col;
      EXPECT_EQ(c.at(r, col, 2), expected[r % 2][col % 2]);
      EXPECT_EQ(c.cover(r, col), 255);
    }
  }
  EXPECT_EQ(full(64), 63);
}

TEST(TextureFill, TiledOffsetMovesTheTextureWithTheText) {
  // Offset (3, 1): canvas (1, 3) shows text (0, 0) and so texture (0, 0); columns left
  // of 3 and row 0 are not painted.
  Texture tex(2, 2, {10, 20, 30, 40});
  test::EffectCanvas c(8, 4);
  c.lightAllText();
  c.fillCanvas(7, 7, 7);
  tiledTextureFill(c.textRows(), c.canvasRows(), 3, 1, tex.view(), c.plane.data());
  for (int col = 0; col < 8; ++col) EXPECT_EQ(c.at(0, col, 1), 7) << col;
  for (int r = 1; r < 4; ++r) {
    for (int col = 0; col < 3; ++col) EXPECT_EQ(c.at(r, col, 1), 7);
  }
  // Full coverage: new = (0 x old + 255 f) >> 8.
  EXPECT_EQ(c.at(1, 3, 1), full(10));
  EXPECT_EQ(c.at(1, 4, 1), full(20));
  EXPECT_EQ(c.at(2, 3, 1), full(30));
  EXPECT_EQ(c.at(3, 7, 1), full(10));  // text (2, 4): texture (0, 0)
}

TEST(TextureFill, TiledTenWideRepeatsEveryTenColumns) {
  std::vector<std::uint8_t> values(100);
  for (int i = 0; i < 100; ++i)
    values[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 10 * 20 + 5);
  Texture tex(10, 10, values);
  test::EffectCanvas c(28, 2);  // canvas widths are multiples of 4
  c.lightAllText();
  tiledTextureFill(c.textRows(), c.canvasRows(), 0, 0, tex.view(), c.plane.data());
  for (int col = 0; col < 28; ++col) EXPECT_EQ(c.at(1, col, 0), full(col % 10 * 20 + 5)) << col;
}

TEST(TextureFill, StretchedTwoByTwoMakesFourBlocks) {
  // 100 x 40 canvas: blocks of 50 x 20.
  Texture tex(2, 2, {40, 80, 120, 160});
  test::EffectCanvas c(100, 40);
  c.lightAllText();
  stretchedTextureFill(c.textRows(), c.canvasRows(), 0, 0, tex.view(), c.plane.data());
  for (int r = 0; r < 40; ++r) {
    for (int col = 0; col < 100; ++col) {
      int v = (r < 20 ? 0 : 2) + (col < 50 ? 0 : 1);
      ASSERT_EQ(c.at(r, col, 0), full(40 * (v + 1))) << r << "," << col;
    }
  }
}

TEST(TextureFill, StretchedSpansTheTextRasterNotTheCanvasPosition) {
  // Offset (10, 0): canvas column 59 is text column 49 (texture column 0), 60 is 50.
  // Odd sizes: 12 texture columns over 100 columns, text column c samples trunc(c x 0.12).
  std::vector<std::uint8_t> values(12 * 3);
  for (int i = 0; i < 36; ++i)
    values[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i % 12 * 20);
  Texture tex(12, 3, values);
  test::EffectCanvas c(100, 4);
  c.lightAllText();
  stretchedTextureFill(c.textRows(), c.canvasRows(), 10, 0, tex.view(), c.plane.data());
  for (int col = 0; col < 10; ++col) EXPECT_EQ(c.cover(0, col), 0);
  for (int col = 10; col < 100; ++col) {
    int tc = (col - 10) * 12 / 100;
    EXPECT_EQ(c.at(2, col, 0), full(tc * 20)) << col;
  }
}

TEST(TextureFill, BlendPerChannelAndPlaneChannelDifferBetweenTheFills) {
  // A text pixel that is not grey tells the rules apart: each channel blends with its
  // own coverage; the tiled fill adds channel 0 to the plane, the stretched one channel 2.
  // A pixel whose channel 0 is 0 is not painted at all.
  Texture tex(1, 1, {200});
  for (int kind : {kTiledTextureFill, kStretchedTextureFill}) {
    test::EffectCanvas c(4, 1);
    c.fillCanvas(100, 100, 100);
    std::uint8_t* t = c.textRows().pixel(0, 0);
    t[0] = 128;  // blue
    t[1] = 255;  // green
    t[2] = 40;   // red
    std::uint8_t* u = c.textRows().pixel(0, 1);
    u[0] = 0;
    u[1] = u[2] = 255;
    c.cover(0, 0) = 5;
    if (kind == kTiledTextureFill)
      tiledTextureFill(c.textRows(), c.canvasRows(), 0, 0, tex.view(), c.plane.data());
    else
      stretchedTextureFill(c.textRows(), c.canvasRows(), 0, 0, tex.view(), c.plane.data());
    // ((255 - m) x 100 + m x 200) >> 8
    EXPECT_EQ(c.at(0, 0, 0), (127 * 100 + 128 * 200) >> 8);  // 149
    EXPECT_EQ(c.at(0, 0, 1), (255 * 200) >> 8);              // 199
    EXPECT_EQ(c.at(0, 0, 2), (215 * 100 + 40 * 200) >> 8);   // 115
    EXPECT_EQ(c.cover(0, 0), kind == kTiledTextureFill ? 5 + 128 : 5 + 40);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(c.at(0, 1, k), 100);
    EXPECT_EQ(c.cover(0, 1), 0);
  }
}

TEST(TextureFill, OffsetsOffTheCanvasDrawNothing) {
  Texture tex(2, 2, {255, 255, 255, 255});
  for (auto [x, y] :
       {std::pair{8, 0}, {-8, 0}, {0, 4}, {0, -4}, {2147483647, 0}, {0, -2147483647 - 1}}) {
    test::EffectCanvas c(8, 4);
    c.lightAllText();
    tiledTextureFill(c.textRows(), c.canvasRows(), x, y, tex.view(), c.plane.data());
    stretchedTextureFill(c.textRows(), c.canvasRows(), x, y, tex.view(), c.plane.data());
    for (std::uint8_t b : c.canvas) ASSERT_EQ(b, 0);
    for (std::int16_t p : c.plane) ASSERT_EQ(p, 0);
  }
}

// Through the dispatcher, with textures in the program folder's texture folder.
struct TextureFileFixture : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  test::TempDir dir;
  test::EffectCanvas c{8, 4};

  void SetUp() override {
    engine.doc.appDirectory = dir.path() + "/";
    std::filesystem::create_directory(dir.file("texture"));
    c.lightAllText();
    c.fillCanvas(9, 9, 9);
  }
  void run(const std::string& name, int kind) {
    EffectRecord rec;
    rec.type = kSingleColor;
    rec.param(1) = 0x0000FF;  // what a colour fill would paint
    rec.param(5) = kind;
    rec.setTexture(name);
    runEffect(engine, rec, c.textRows(), c.canvasRows(), c.plane.data());
  }
  void expectUnchanged() {
    for (std::uint8_t b : c.canvas) ASSERT_EQ(b, 9);
    for (std::int16_t p : c.plane) ASSERT_EQ(p, 0);
  }
};

TEST_F(TextureFileFixture, MissingEmptyUnreadableOrUnnamedTexturesDrawNothing) {
  test::writeFileBytes(dir.file("texture/empty.bmp"), {});
  test::writeFileBytes(dir.file("texture/junk.bmp"), {'B', 'M', 1, 2, 3});
  test::writeFileBytes(dir.file("texture/noext"), {1, 2, 3});
  for (int kind : {kTiledTextureFill, kStretchedTextureFill}) {
    for (const char* name : {"", "missing.bmp", "empty.bmp", "junk.bmp", "noext"}) {
      run(name, kind);
      expectUnchanged();
    }
  }
  EXPECT_TRUE(host.messages.empty());
}

TEST_F(TextureFileFixture, EightBitTextureIsReadThroughItsColourTable) {
  // A 2 x 1 8-bit BMP: index 1 = (blue 10, green 20, red 30), index 2 = (40, 50, 60).
  std::uint8_t colours[256 * 3] = {};
  const std::uint8_t entries[] = {0, 0, 0, 10, 20, 30, 40, 50, 60};
  std::copy(std::begin(entries), std::end(entries), colours);
  DibImage image;
  ASSERT_EQ(image.create(2, 1, 8, colours), 1);
  std::uint8_t* row = image.block().data() + image.pixelOffset();
  row[0] = 1;
  row[1] = 2;
  ASSERT_EQ(writeBmp(image, dir.file("texture/pal.BmP")), 1);
  run("pal.BmP", kTiledTextureFill);
  for (int col = 0; col < 8; ++col) {
    const std::uint8_t* want = col % 2 == 0 ? entries + 3 : entries + 6;
    for (int k = 0; k < 3; ++k) EXPECT_EQ(c.at(2, col, k), full(want[k])) << col;
  }
  EXPECT_EQ(c.cover(3, 7), 255);
}

TEST_F(TextureFileFixture, StretchedTextureFromAFile) {
  DibImage image;
  ASSERT_EQ(image.create(1, 2, 24), 1);
  // Bottom row first in the block: the bottom row is white, the top row black.
  std::uint8_t* bottom = image.block().data() + image.pixelOffset();
  bottom[0] = bottom[1] = bottom[2] = 255;
  ASSERT_EQ(writeBmp(image, dir.file("texture/half.bmp")), 1);
  run("half.bmp", kStretchedTextureFill);
  for (int col = 0; col < 8; ++col) {
    EXPECT_EQ(c.at(0, col, 0), 0);
    EXPECT_EQ(c.at(1, col, 0), 0);
    EXPECT_EQ(c.at(2, col, 0), 254);
    EXPECT_EQ(c.at(3, col, 0), 254);
  }
}

TEST_F(TextureFileFixture, NamesWithAFolderReachNothingOutsideTheTextureFolder) {
  // A picture that would paint and cover everything, beside the texture folder and below.
  DibImage image;
  ASSERT_EQ(image.create(1, 1, 24), 1);
  std::fill_n(image.block().data() + image.pixelOffset(), 3, 200);
  ASSERT_EQ(writeBmp(image, dir.file("outside.bmp")), 1);
  std::filesystem::create_directory(dir.file("texture/sub"));
  ASSERT_EQ(writeBmp(image, dir.file("texture/sub/inside.bmp")), 1);
  for (const std::string& name :
       {std::string("../outside.bmp"), dir.file("outside.bmp"),
        std::string("sub/../../outside.bmp"), std::string("sub/inside.bmp"), std::string("..")}) {
    run(name, kTiledTextureFill);
    expectUnchanged();
    EffectRecord tile;
    tile.type = kTile;
    tile.setTexture(name);
    runEffect(engine, tile, c.textRows(), c.canvasRows(), c.plane.data());
    expectUnchanged();
  }
  run("../texture/missing.bmp", kStretchedTextureFill);
  expectUnchanged();
}

TEST(TextureFill, TexturePathIsTheTextureFolderOfTheProgramFolder) {
  EXPECT_EQ(texturePath("/opt/vornel/", "brick.git"), "/opt/vornel/texture/brick.git");
  EXPECT_EQ(texturePath("/opt/vornel/", "..brick.git"), "/opt/vornel/texture/..brick.git");
}

}  // namespace
}  // namespace vornel
