#include "imageio/color_reduce.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "test_support.h"

namespace vornel {
namespace {

struct Rgb {
  int r, g, b;
};

// A picture as rows of blue-green-red bytes, reduced in one call.
struct Reduction {
  std::vector<std::uint8_t> palette = std::vector<std::uint8_t>(256 * 3, 0xAA);
  std::vector<std::vector<std::uint8_t>> indices;

  Rgb entry(int i) const { return {palette[i * 3 + 2], palette[i * 3 + 1], palette[i * 3]}; }
};

Reduction reduce(ReduceMethod method, const std::vector<std::vector<Rgb>>& rows, int colourCount,
                 Rgb background, MedianCutTables& tables) {
  int height = static_cast<int>(rows.size());
  int width = static_cast<int>(rows[0].size());
  std::vector<std::vector<std::uint8_t>> pixels(height);
  Reduction out;
  out.indices.assign(height, std::vector<std::uint8_t>(width, 0xEE));
  std::vector<const std::uint8_t*> in(height);
  std::vector<std::uint8_t*> idx(height);
  for (int y = 0; y < height; ++y) {
    for (const Rgb& c : rows[y]) {
      pixels[y].push_back(static_cast<std::uint8_t>(c.b));
      pixels[y].push_back(static_cast<std::uint8_t>(c.g));
      pixels[y].push_back(static_cast<std::uint8_t>(c.r));
    }
    in[y] = pixels[y].data();
    idx[y] = out.indices[y].data();
  }
  std::uint32_t colorRef =
      static_cast<std::uint32_t>(background.r | (background.g << 8) | (background.b << 16));
  reduceColors(method, in.data(), idx.data(), width, height, colourCount, colorRef,
               out.palette.data(), tables);
  return out;
}

Reduction reduceFresh(ReduceMethod method, const std::vector<std::vector<Rgb>>& rows,
                      int colourCount, Rgb background) {
  MedianCutTables tables;
  return reduce(method, rows, colourCount, background, tables);
}

void expectEntry(const Reduction& red, int i, Rgb want) {
  Rgb got = red.entry(i);
  EXPECT_EQ(got.r, want.r) << "entry " << i;
  EXPECT_EQ(got.g, want.g) << "entry " << i;
  EXPECT_EQ(got.b, want.b) << "entry " << i;
}

void expectBlackFrom(const Reduction& red, int first) {
  for (int i = first; i < 256; ++i) expectEntry(red, i, {0, 0, 0});
}

std::vector<Rgb> run(Rgb c, int n) {
  return std::vector<Rgb>(static_cast<std::size_t>(n), c);
}

void append(std::vector<Rgb>& row, const std::vector<Rgb>& more) {
  row.insert(row.end(), more.begin(), more.end());
}

TEST(ColorReduce, BackgroundOnlyPictureMapsEverythingToEntryZero) {
  Rgb bg{10, 20, 30};
  std::vector<std::vector<Rgb>> rows(3, run(bg, 4));
  for (ReduceMethod m : {ReduceMethod::Popularity, ReduceMethod::MedianCut}) {
    Reduction red = reduceFresh(m, rows, 256, bg);
    expectEntry(red, 0, bg);
    for (const auto& row : red.indices)
      for (std::uint8_t i : row) EXPECT_EQ(i, 0);
  }
  // Median cut also enters the background's box colour: five-bit (1, 2, 3) times 8.
  Reduction red = reduceFresh(ReduceMethod::MedianCut, rows, 256, bg);
  expectEntry(red, 1, {8, 16, 24});
  expectBlackFrom(red, 2);
}

TEST(ColorReduce, PopularityKeepsTheFourteenFrontColoursOfTwenty) {
  // Grey k (30, 40, ..., 210) appears 21 - k times and a near-black once, each in one run,
  // so no colour ever overtakes the one before it: the list is the background, then the
  // colours in order of appearance.
  Rgb bg{255, 255, 255};
  std::vector<Rgb> row = run(bg, 5);
  for (int k = 1; k <= 19; ++k) append(row, run({10 * k + 20, 10 * k + 20, 10 * k + 20}, 21 - k));
  append(row, run({3, 1, 2}, 1));
  Reduction red = reduceFresh(ReduceMethod::Popularity, {row}, 16, bg);

  expectEntry(red, 0, bg);
  for (int k = 1; k <= 14; ++k) expectEntry(red, k, {10 * k + 20, 10 * k + 20, 10 * k + 20});
  expectBlackFrom(red, 15);  // entry 15 is never filled from the list

  auto indexOf = [&](Rgb c) {
    for (std::size_t x = 0; x < row.size(); ++x)
      if (row[x].r == c.r && row[x].g == c.g && row[x].b == c.b) return red.indices[0][x];
    ADD_FAILURE() << "colour not in picture";
    return std::uint8_t{0};
  };
  EXPECT_EQ(indexOf({30, 30, 30}), 1);
  EXPECT_EQ(indexOf({160, 160, 160}), 14);
  EXPECT_EQ(indexOf({170, 170, 170}), 14);  // 30 from grey 160, 255 from white
  EXPECT_EQ(indexOf({200, 200, 200}), 14);  // 120 against 165
  EXPECT_EQ(indexOf({210, 210, 210}), 0);   // 150 against 135: white is nearer
  EXPECT_EQ(indexOf({3, 1, 2}), 15);        // 6 from the unfilled black entry, 84 from grey 30
}

TEST(ColorReduce, PopularityMovesAColourOneStepPerVisit) {
  Rgb bg{0, 0, 255}, a{200, 0, 0}, b{0, 200, 0}, c{0, 0, 100};
  // c reaches count 2 after a and b reached 1: it passes b, and not a as well.
  std::vector<Rgb> row{a, b, c, c};
  Reduction red = reduceFresh(ReduceMethod::Popularity, {row}, 16, bg);
  expectEntry(red, 0, bg);
  expectEntry(red, 1, a);
  expectEntry(red, 2, c);
  expectEntry(red, 3, b);
  // A colour counted more often than the one before it on later visits keeps climbing.
  std::vector<Rgb> row2{a, b, c, c, c, c};
  Reduction red2 = reduceFresh(ReduceMethod::Popularity, {row2}, 16, bg);
  expectEntry(red2, 1, c);
  expectEntry(red2, 2, a);
  expectEntry(red2, 3, b);
  EXPECT_EQ(red2.indices[0][0], 2);
  EXPECT_EQ(red2.indices[0][1], 3);
  EXPECT_EQ(red2.indices[0][2], 1);
}

TEST(ColorReduce, MedianCutEntersWhiteBackgroundTwice) {
  Rgb white{255, 255, 255};
  std::vector<std::vector<Rgb>> rows(20, run(white, 20));
  MedianCutTables tables;
  Reduction red = reduce(ReduceMethod::MedianCut, rows, 16, white, tables);
  expectEntry(red, 0, white);
  expectEntry(red, 1, {248, 248, 248});
  expectBlackFrom(red, 2);
  for (const auto& r : red.indices)
    for (std::uint8_t i : r) EXPECT_EQ(i, 0);
  // All counts lie in slice 31: one cut per axis there; the unset ones stay 0.
  for (int axis = 0; axis < 3; ++axis) {
    std::array<int, 9> want{0, 31, 0, 0, 0, 0, 0, 0, 32};
    for (int k = 0; k < 9; ++k) EXPECT_EQ(tables.bounds[axis][k], want[k]) << axis << " " << k;
  }
}

TEST(ColorReduce, MedianCutWithOverlappingBinsByHand) {
  // Ten black and ten pure red pixels. Red axis: slice 0 holds 10 of 20, slice 31 the
  // rest; cuts at slices 0, 1, 2 (running 10 > 2, 5, 7) and 31 (20 > 10), boundaries
  // 5-7 stay 0. Green and blue: cuts at slices 0-6. Red bin 7 is then [0, 32) and takes
  // both colours: mean five-bit red 15.5, times 8 = 124.
  Rgb black{0, 0, 0}, red{255, 0, 0}, white{255, 255, 255};
  std::vector<Rgb> row = run(black, 10);
  append(row, run(red, 10));
  MedianCutTables tables;
  Reduction r = reduce(ReduceMethod::MedianCut, {row}, 256, white, tables);
  std::array<int, 9> wantRed{0, 0, 1, 2, 31, 0, 0, 0, 32};
  std::array<int, 9> wantGreen{0, 0, 1, 2, 3, 4, 5, 6, 32};
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(tables.bounds[0][k], wantRed[k]);
    EXPECT_EQ(tables.bounds[1][k], wantGreen[k]);
    EXPECT_EQ(tables.bounds[2][k], wantGreen[k]);
  }
  expectEntry(r, 0, white);
  expectEntry(r, 1, black);
  expectEntry(r, 2, {124, 0, 0});
  expectBlackFrom(r, 3);
  EXPECT_EQ(r.indices[0][0], 1);
  EXPECT_EQ(r.indices[0][19], 2);  // 131 from (124, 0, 0), 255 from black, 510 from white

  // With a black background the black box adds to entry 1 instead of a new entry.
  MedianCutTables fresh;
  Reduction rb = reduce(ReduceMethod::MedianCut, {row}, 256, black, fresh);
  expectEntry(rb, 0, black);
  expectEntry(rb, 1, {124, 0, 0});
  expectBlackFrom(rb, 2);
}

TEST(ColorReduce, MedianCutKeepsUnsetBoundariesFromThePreviousReduction) {
  Rgb black{0, 0, 0}, red{255, 0, 0}, white{255, 255, 255};
  std::vector<Rgb> row = run(black, 10);
  append(row, run(red, 10));
  MedianCutTables tables;
  reduce(ReduceMethod::MedianCut, {row}, 256, white, tables);
  MedianCutTables before = tables;
  std::vector<std::vector<Rgb>> whiteRows(4, run(white, 4));
  Reduction r = reduce(ReduceMethod::MedianCut, whiteRows, 256, white, tables);
  for (int axis = 0; axis < 3; ++axis) {
    EXPECT_EQ(tables.bounds[axis][1], 31);
    for (int k = 2; k < 8; ++k) EXPECT_EQ(tables.bounds[axis][k], before.bounds[axis][k]);
  }
  expectEntry(r, 0, white);
  for (const auto& rr : r.indices)
    for (std::uint8_t i : rr) EXPECT_EQ(i, 0);
}

TEST(ColorReduce, HistogramCellSaturatesAt255Pixels) {
  // 1000 pixels of five-bit red 31 and 255 of red 30. Counted without a cap the joint box
  // would average 30.8 (246); with the cap both weigh 255: mean 30.5, so 244.
  Rgb bg{0, 0, 255};
  std::vector<Rgb> row = run({248, 0, 0}, 1000);
  append(row, run({240, 0, 0}, 255));
  Reduction r = reduceFresh(ReduceMethod::MedianCut, {row}, 256, bg);
  expectEntry(r, 0, bg);
  expectEntry(r, 1, {240, 0, 0});
  expectEntry(r, 2, {244, 0, 0});
  expectBlackFrom(r, 3);
  EXPECT_EQ(r.indices[0][0], 2);
  EXPECT_EQ(r.indices[0][1000], 1);
}

TEST(ColorReduce, NearestIndexTiesGoToTheLowerIndex) {
  std::vector<std::uint8_t> pal(256 * 3, 0);
  auto set = [&](int i, Rgb c) {
    pal[i * 3] = static_cast<std::uint8_t>(c.b);
    pal[i * 3 + 1] = static_cast<std::uint8_t>(c.g);
    pal[i * 3 + 2] = static_cast<std::uint8_t>(c.r);
  };
  set(0, {255, 255, 255});
  set(1, {10, 0, 0});
  set(2, {0, 10, 0});
  set(3, {5, 5, 0});
  EXPECT_EQ(nearestPaletteIndex(4, pal.data(), 5, 5, 1), 3);
  EXPECT_EQ(nearestPaletteIndex(3, pal.data(), 5, 5, 0), 1);  // 10 from both 1 and 2
  set(1, {0, 10, 0});
  set(2, {10, 0, 0});
  EXPECT_EQ(nearestPaletteIndex(3, pal.data(), 5, 5, 0), 1);
  // Nothing nearer than 765: the search starts at, and stays on, entry 0.
  std::vector<std::uint8_t> white(256 * 3, 255);
  EXPECT_EQ(nearestPaletteIndex(16, white.data(), 0, 0, 0), 0);
  // Only the first colourCount entries are searched.
  EXPECT_EQ(nearestPaletteIndex(2, pal.data(), 5, 5, 0), 1);
}

TEST(ColorReduce, PopularityListDoesNotOverflowWithManyColours) {
  // 65536 distinct colours, more than the list holds; each appears once, so the list
  // keeps the first ones in order and later colours are not entered.
  Rgb bg{0, 0, 0};
  std::vector<std::vector<Rgb>> rows;
  for (int y = 0; y < 256; ++y) {
    std::vector<Rgb> row;
    for (int x = 0; x < 256; ++x) row.push_back({x, y, 7});
    rows.push_back(row);
  }
  Reduction r = reduceFresh(ReduceMethod::Popularity, rows, 256, bg);
  expectEntry(r, 0, bg);
  for (int e = 1; e < 255; ++e) expectEntry(r, e, {e - 1, 0, 7});
  expectEntry(r, 255, {0, 0, 0});
  EXPECT_EQ(r.indices[0][10], 11);
  EXPECT_EQ(r.indices[255][255], 254);  // (255, 255, 7): nearest (253, 0, 7)
}

}  // namespace
}  // namespace vornel
