#include "imageio/dib_image.h"

#include <gtest/gtest.h>

#include "imageio/byte_reader.h"

namespace vornel {
namespace {

TEST(DibImage, NewImageIsEmptyAndReportsNoDepth) {
  DibImage image;
  EXPECT_TRUE(image.empty());
  EXPECT_EQ(image.width(), 1);
  EXPECT_EQ(image.height(), 1);
  EXPECT_EQ(image.bitsPerPixel(), -1);
  EXPECT_FALSE(image.hasPalette());
}

TEST(DibImage, RowLengthsArePaddedToFourBytes) {
  for (auto [width, rowBytes] : {std::pair{1, 4}, {3, 12}, {5, 16}, {7, 24}}) {
    DibImage image;
    ASSERT_EQ(image.create(width, 2, 24), 1);
    EXPECT_EQ(image.rowBytes(), static_cast<std::size_t>(rowBytes)) << width;
    EXPECT_EQ(image.block().size(), 40u + 2u * rowBytes);
    EXPECT_EQ(image.bitsPerPixel(), 24);
    EXPECT_FALSE(image.hasPalette());
  }
}

TEST(DibImage, EightBitImageHasGreyRampAnd1064ExtraBytes) {
  DibImage image;
  ASSERT_EQ(image.create(5, 3, 8), 1);
  std::size_t rows = 8 * 3;
  EXPECT_EQ(image.block().size() - rows, 1064u);
  EXPECT_EQ(image.colorCount(), 256);
  ASSERT_EQ(image.palette().size(), 256u);
  EXPECT_EQ(image.palette()[0], (PaletteColor{0, 0, 0}));
  EXPECT_EQ(image.palette()[255], (PaletteColor{255, 255, 255}));
  EXPECT_EQ(image.palette()[100], (PaletteColor{100, 100, 100}));
  EXPECT_EQ(image.pixelOffset(), 1064u);
}

TEST(DibImage, ColourTriplesAreStoredBlueGreenRed) {
  std::vector<std::uint8_t> colours(256 * 3, 0);
  colours[3] = 10;  // entry 1: blue 10, green 20, red 30
  colours[4] = 20;
  colours[5] = 30;
  DibImage image;
  ASSERT_EQ(image.create(2, 2, 8, colours.data()), 1);
  EXPECT_EQ(image.palette()[1], (PaletteColor{30, 20, 10}));
  const std::uint8_t* entry = image.block().data() + 40 + 4;
  EXPECT_EQ(entry[0], 10);
  EXPECT_EQ(entry[1], 20);
  EXPECT_EQ(entry[2], 30);
  EXPECT_EQ(entry[3], 0);
}

TEST(DibImage, ColoursUsedFieldSizesTheColourTable) {
  DibImage image;
  ASSERT_EQ(image.create(4, 1, 8), 1);
  storeU32le(image.block().data() + 32, 16);
  EXPECT_EQ(image.colorCount(), 16);
  EXPECT_EQ(image.colorTableBytes(), 64u);
  EXPECT_EQ(image.pixelOffset(), 104u);
}

TEST(DibRowAccess, ListsRowsTopFirstFromTheEndOfTheBlock) {
  DibImage image;
  ASSERT_EQ(image.create(3, 4, 24), 1);
  DibRowAccess rows(image);
  ASSERT_EQ(rows.rowCount(), 4);
  std::uint8_t* base = image.block().data() + 40;
  EXPECT_EQ(rows[0], base + 3 * 12);  // top row is the last in memory
  EXPECT_EQ(rows[3], base);
}

TEST(DibRowAccess, BlockTooShortForItsRowsGivesNoRows) {
  DibImage image;
  ASSERT_EQ(image.create(3, 4, 24), 1);
  image.block().resize(image.block().size() - 1);
  DibRowAccess rows(image);
  EXPECT_EQ(rows.rowCount(), 0);
}

TEST(DibImage, FlipRowsOnOddHeightKeepsTheMiddleRow) {
  DibImage image;
  ASSERT_EQ(image.create(2, 3, 24), 1);
  {
    DibRowAccess rows(image);
    for (int y = 0; y < 3; ++y)
      for (int i = 0; i < 6; ++i) rows[y][i] = static_cast<std::uint8_t>(10 * y + i);
  }
  image.flipRows();
  DibRowAccess rows(image);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(rows[0][i], 20 + i);
    EXPECT_EQ(rows[1][i], 10 + i);
    EXPECT_EQ(rows[2][i], i);
  }
}

TEST(DibImage, CopyFromDuplicatesTheBlockAndPalette) {
  DibImage a;
  ASSERT_EQ(a.create(3, 3, 8), 1);
  {
    DibRowAccess rows(a);
    rows[1][1] = 77;
  }
  DibImage b;
  b.copyFrom(a);
  EXPECT_EQ(b.block(), a.block());
  EXPECT_EQ(b.width(), 3);
  EXPECT_EQ(b.palette().size(), 256u);
  DibImage empty, c;
  ASSERT_EQ(c.create(1, 1, 24), 1);
  c.copyFrom(empty);
  EXPECT_TRUE(c.empty());
}

TEST(DibImage, ReleaseKeepsTheSizeButDropsBlockAndPalette) {
  DibImage image;
  ASSERT_EQ(image.create(6, 5, 8), 1);
  image.release();
  EXPECT_TRUE(image.empty());
  EXPECT_FALSE(image.hasPalette());
  EXPECT_EQ(image.width(), 6);
  EXPECT_EQ(image.height(), 5);
}

TEST(DibImage, ToRgbIsTopDownRedGreenBlue) {
  DibImage image;
  ASSERT_EQ(image.create(2, 2, 24), 1);
  {
    DibRowAccess rows(image);
    rows[0][0] = 1;  // top-left blue
    rows[0][1] = 2;
    rows[0][2] = 3;  // red
  }
  RgbPicture rgb = image.toRgb();
  ASSERT_EQ(rgb.rgb.size(), 12u);
  EXPECT_EQ(rgb.rgb[0], 3);
  EXPECT_EQ(rgb.rgb[1], 2);
  EXPECT_EQ(rgb.rgb[2], 1);
}

TEST(DibImage, ConvertEightBitsToTwentyFourThroughThePalette) {
  std::vector<std::uint8_t> colours(256 * 3, 0);
  colours[9 * 3 + 0] = 200;  // entry 9 blue
  colours[9 * 3 + 2] = 50;   // entry 9 red
  DibImage image;
  ASSERT_EQ(image.create(3, 2, 8, colours.data()), 1);
  {
    DibRowAccess rows(image);
    rows[1][2] = 9;
  }
  ASSERT_EQ(convertTo24Bits(image), 1);
  EXPECT_EQ(image.bitsPerPixel(), 24);
  DibRowAccess rows(image);
  EXPECT_EQ(rows[1][6], 200);
  EXPECT_EQ(rows[1][7], 0);
  EXPECT_EQ(rows[1][8], 50);
}

TEST(DibImage, CreateRefusesImpossibleSizes) {
  DibImage image;
  EXPECT_EQ(image.create(-1, 3, 24), 0);
  EXPECT_EQ(image.create(1 << 20, 1 << 20, 24), 0);
  EXPECT_TRUE(image.empty());
}

}  // namespace
}  // namespace vornel
