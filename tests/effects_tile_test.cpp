// The Tile mosaic: block means, the centre test, holes, edge blocks, and tile pictures
// read from files of every awkward kind.
#include <gtest/gtest.h>

#include <vector>

#include "imageio/bmp_file.h"
#include "imageio/dib_image.h"
#include "render/effects/tile.h"
#include "tests/effects_test_support.h"
#include "tests/test_support.h"

namespace vornel {
namespace {

// A top-down tile of one colour with optional black holes.
struct Tile {
  int w, h;
  std::vector<std::uint8_t> px;
  Tile(int width, int height, std::uint8_t b, std::uint8_t g, std::uint8_t r)
      : w(width), h(height), px(static_cast<std::size_t>(width) * height * 3) {
    for (std::size_t i = 0; i < px.size(); i += 3) {
      px[i] = b;
      px[i + 1] = g;
      px[i + 2] = r;
    }
  }
  void hole(int row, int col) {
    std::uint8_t* p = &px[(static_cast<std::size_t>(row) * w + col) * 3];
    p[0] = p[1] = p[2] = 0;
  }
  TileImage image() const { return {px.data(), w, h, static_cast<std::size_t>(w) * 3}; }
};

void paintBlock(test::EffectCanvas& c, int top, int left, int rows, int cols, std::uint8_t b,
                std::uint8_t g, std::uint8_t r, std::int16_t cover) {
  for (int y = top; y < top + rows; ++y) {
    for (int x = left; x < left + cols; ++x) {
      std::uint8_t* p = c.canvasRows().pixel(y, x);
      p[0] = b;
      p[1] = g;
      p[2] = r;
      c.cover(y, x) = cover;
    }
  }
}

TEST(EffectsTile, BlocksAreTintedByTheirOwnMeans) {
  // 64 x 32 with a 16 x 16 tile: 4 x 2 blocks.
  test::EffectCanvas c(64, 32);
  const std::uint8_t means[8] = {100, 240, 200, 20, 60, 80, 120, 160};
  for (int i = 0; i < 8; ++i)
    paintBlock(c, (i / 4) * 16, (i % 4) * 16, 16, 16, means[i], means[i], 50, 1);
  // Half of block 2 is 150 and half 250: its mean is 200.
  paintBlock(c, 0, 32, 8, 16, 150, 150, 50, 1);
  paintBlock(c, 8, 32, 8, 16, 250, 250, 50, 1);
  Tile white(16, 16, 255, 255, 200);
  tileMosaic(c.canvasRows(), white.image(), c.plane.data());
  // 255 x 100 x 0.005 is just below 127.5: 127; 255 x 240 x 0.005 = 305.99, capped.
  EXPECT_EQ(c.at(3, 3, 0), 127);
  EXPECT_EQ(c.at(3, 20, 0), 255);
  EXPECT_EQ(c.at(0, 32, 0), 255);  // 255 x 200 x 0.005
  EXPECT_EQ(c.at(15, 47, 1), 255);
  EXPECT_EQ(c.at(20, 5, 0), 76);    // 255 x 60 x 0.005 = 76.5
  EXPECT_EQ(c.at(31, 63, 0), 204);  // 160
  EXPECT_EQ(c.at(31, 63, 2), 50);   // a tile value of 200 keeps the mean
  EXPECT_EQ(c.cover(31, 63), 255);
}

TEST(EffectsTile, CentreWithoutCoverageBlanksTheBlockAndBlackTilePixelsMakeHoles) {
  test::EffectCanvas c(32, 16);
  paintBlock(c, 0, 0, 16, 32, 100, 100, 100, 255);
  c.cover(8, 8) = 0;    // centre of block 0
  c.cover(8, 24) = -3;  // any non-zero value counts
  Tile tile(16, 16, 200, 200, 200);
  tile.hole(2, 5);
  tileMosaic(c.canvasRows(), tile.image(), c.plane.data());
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ(c.at(y, x, 1), 0);
      EXPECT_EQ(c.cover(y, x), 0);
    }
  }
  EXPECT_EQ(c.at(0, 16, 1), 100);
  EXPECT_EQ(c.cover(0, 16), 255);
  EXPECT_EQ(c.at(2, 21, 1), 0);
  EXPECT_EQ(c.cover(2, 21), 0);
}

TEST(EffectsTile, EdgeBlocksAverageOnlyTheirPixelsInsideTheCanvas) {
  // 44 x 20 with a 16 x 16 tile: the third block column is 12 wide (centre column 40
  // inside); the second block row is 4 tall (centre row 24 outside, so it goes black).
  test::EffectCanvas c(44, 20);
  paintBlock(c, 0, 0, 20, 44, 100, 100, 100, 255);
  paintBlock(c, 0, 38, 16, 6, 200, 200, 200, 255);
  Tile white(16, 16, 255, 255, 255);
  tileMosaic(c.canvasRows(), white.image(), c.plane.data());
  // Mean of block (0, 32): 6 columns of 100 and 6 of 200 = 150; 255 x 150 x 0.005 = 191.
  EXPECT_EQ(c.at(0, 32, 0), 191);
  EXPECT_EQ(c.at(15, 43, 2), 191);
  EXPECT_EQ(c.at(19, 0, 0), 0);
  EXPECT_EQ(c.cover(19, 43), 0);
  EXPECT_EQ(c.at(5, 5, 0), 127);
}

TEST(EffectsTile, TilesLargerThanTheCanvasAndSinglePixelTiles) {
  test::EffectCanvas c(12, 8);
  paintBlock(c, 0, 0, 8, 12, 90, 90, 90, 255);
  Tile big(64, 64, 255, 255, 255);
  tileMosaic(c.canvasRows(), big.image(), c.plane.data());  // centre (32, 32) is outside
  for (std::uint8_t b : c.canvas) EXPECT_EQ(b, 0);
  for (std::int16_t v : c.plane) EXPECT_EQ(v, 0);

  test::EffectCanvas d(12, 8);
  paintBlock(d, 0, 0, 8, 6, 100, 100, 100, 255);
  Tile one(1, 1, 200, 255, 100);
  tileMosaic(d.canvasRows(), one.image(), d.plane.data());
  EXPECT_EQ(d.at(3, 2, 0), 100);  // 100 x 200 x 0.005
  EXPECT_EQ(d.at(3, 2, 1), 127);
  EXPECT_EQ(d.at(3, 2, 2), 50);
  EXPECT_EQ(d.at(3, 8, 0), 0);  // uncovered pixels become black
}

class EffectsTileFiles : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::EffectCanvas c{16, 8};
  void SetUp() override { paintBlock(c, 0, 0, 8, 16, 100, 100, 100, 255); }
  void expectUnchanged() {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) {
        EXPECT_EQ(c.at(y, x, 0), 100);
        EXPECT_EQ(c.cover(y, x), 255);
      }
  }
  std::string writeTile(const std::string& name, int w, int h, int bits) {
    DibImage image;
    std::vector<std::uint8_t> colours(256 * 3, 0);
    for (int i = 0; i < 256; ++i) colours[i * 3] = colours[i * 3 + 1] = colours[i * 3 + 2] = 255;
    EXPECT_EQ(image.create(w, h, bits, bits == 8 ? colours.data() : nullptr), 1);
    DibRowAccess rows(image);
    for (int y = 0; y < h; ++y) {
      if (bits == 8) {
        for (int x = 0; x < w; ++x) rows[y][x] = x == 0 && y == 0 ? 1 : 0;  // entry 1 is white too
      } else {
        for (int x = 0; x < w * 3; ++x) rows[y][x] = 255;
      }
    }
    std::string path = dir.file(name);
    EXPECT_EQ(writeBmp(image, path), 1);
    return path;
  }
};

TEST_F(EffectsTileFiles, MissingEmptyAndUnreadableTilesAreSkipped) {
  tileEffect(c.canvasRows(), dir.file("none.bmp"), c.plane.data());
  expectUnchanged();
  test::writeFileBytes(dir.file("empty.bmp"), {});
  tileEffect(c.canvasRows(), dir.file("empty.bmp"), c.plane.data());
  expectUnchanged();
  test::writeFileBytes(dir.file("junk.bmp"), {'B', 'M', 1, 2, 3});
  tileEffect(c.canvasRows(), dir.file("junk.bmp"), c.plane.data());
  expectUnchanged();
  tileEffect(c.canvasRows(), "", c.plane.data());
  expectUnchanged();
}

TEST_F(EffectsTileFiles, TwentyFourAndEightBitFilesAreUsed) {
  tileEffect(c.canvasRows(), writeTile("white.bmp", 4, 4, 24), c.plane.data());
  EXPECT_EQ(c.at(5, 13, 0), 127);
  EXPECT_EQ(c.cover(5, 13), 255);

  SetUp();
  tileEffect(c.canvasRows(), writeTile("grey.bmp", 8, 4, 8), c.plane.data());
  EXPECT_EQ(c.at(0, 0, 2), 127);

  SetUp();
  tileEffect(c.canvasRows(), writeTile("one.bmp", 1, 1, 24), c.plane.data());
  EXPECT_EQ(c.at(7, 15, 1), 127);

  SetUp();
  tileEffect(c.canvasRows(), writeTile("big.bmp", 40, 30, 24), c.plane.data());
  EXPECT_EQ(c.at(0, 0, 0), 0);  // one block whose centre lies outside the canvas
  EXPECT_EQ(c.cover(7, 15), 0);
}

}  // namespace
}  // namespace vornel
