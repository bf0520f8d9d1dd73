// Composition of layer renders: expected pixels are worked out by hand from the
// blending and smoothing rules, on tiny synthetic layers.
#include "render/compose.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>

namespace vornel {
namespace {

// A layer whose every pixel has colour (v, v, v) and alpha a, with single pixels
// changed by set().
struct TestLayer {
  LayerImage image;
  TestLayer(int w, int h, int v, int a) {
    image.width = w;
    image.height = h;
    image.pixels.assign(static_cast<std::size_t>(w) * h * 3, static_cast<std::uint8_t>(v));
    image.alpha.assign(static_cast<std::size_t>(w) * h, static_cast<std::uint8_t>(a));
  }
  void set(int x, int y, int b, int g, int r, int a) {
    std::size_t i = static_cast<std::size_t>(y) * image.width + x;
    image.pixels[i * 3] = static_cast<std::uint8_t>(b);
    image.pixels[i * 3 + 1] = static_cast<std::uint8_t>(g);
    image.pixels[i * 3 + 2] = static_cast<std::uint8_t>(r);
    image.alpha[i] = static_cast<std::uint8_t>(a);
  }
};

// Channel k (0 blue, 1 green, 2 red) of output pixel (x, y), top row 0.
int px(DibImage& image, int x, int y, int k = 0) {
  DibRowAccess rows(image);
  return rows[y][x * 3 + k];
}

// Blue channel of every pixel as rows of numbers, for readable failures.
std::vector<std::vector<int>> blues(DibImage& image) {
  std::vector<std::vector<int>> out;
  for (int y = 0; y < image.height(); ++y) {
    out.emplace_back();
    for (int x = 0; x < image.width(); ++x) out.back().push_back(px(image, x, y));
  }
  return out;
}

TEST(Compose, FullAlphaCopiesAndLowerAlphaAddsScaledBackground) {
  DibImage out;
  createFilledOutput(out, 4, 1, 0xC8C8FF);  // red 255, green 200, blue 200
  TestLayer layer(4, 1, 0, 0);
  layer.set(0, 0, 10, 20, 30, 255);
  layer.set(1, 0, 10, 20, 30, 253);
  layer.set(2, 0, 10, 20, 30, 128);
  layer.set(3, 0, 100, 100, 100, 0);
  compositeLayer(out, layer.image, 0, 0, false);
  // Alpha 255: the layer pixel as it is, bright background or not.
  EXPECT_EQ(px(out, 0, 0, 0), 10);
  EXPECT_EQ(px(out, 0, 0, 2), 30);
  // 253: plus (background x 2) >> 8 = 1 on every channel (200 x 2 = 400, 255 x 2 = 510).
  EXPECT_EQ(px(out, 1, 0, 0), 11);
  EXPECT_EQ(px(out, 1, 0, 2), 31);
  // 128: 200 x 127 >> 8 = 99, 255 x 127 >> 8 = 126.
  EXPECT_EQ(px(out, 2, 0, 0), 109);
  EXPECT_EQ(px(out, 2, 0, 1), 119);
  EXPECT_EQ(px(out, 2, 0, 2), 156);
  // 0: 100 + 199 (blue) capped at 255; red 100 + 254 capped too.
  EXPECT_EQ(px(out, 3, 0, 0), 255);
  EXPECT_EQ(px(out, 3, 0, 2), 255);
}

TEST(Compose, UncoveredBlackOverWhiteGives254) {
  DibImage out;
  createFilledOutput(out, 1, 1, 0xFFFFFF);
  TestLayer layer(1, 1, 0, 0);
  compositeLayer(out, layer.image, 0, 0, false);
  EXPECT_EQ(px(out, 0, 0, 0), 254);  // 255 x 255 >> 8
}

TEST(Compose, AlphaOf254LetsTheBackgroundThroughByOne256th) {
  DibImage out;
  createFilledOutput(out, 2, 1, 0xFFFFFF);
  TestLayer layer(2, 1, 40, 254);
  layer.set(1, 0, 40, 40, 40, 255);
  compositeLayer(out, layer.image, 0, 0, false);
  // 255 x 1 >> 8 = 0: at byte precision 254 and 255 give the same pixel.
  EXPECT_EQ(px(out, 0, 0), 40);
  EXPECT_EQ(px(out, 1, 0), 40);
}

TEST(Compose, LayersAreClippedToTheOutputOnEverySide) {
  for (auto [ox, oy] : std::vector<std::pair<int, int>>{
           {-2, -1}, {3, 2}, {-10, 0}, {0, 7}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}}) {
    DibImage out;
    createFilledOutput(out, 5, 4, 0x0A0A0A);
    TestLayer layer(4, 3, 77, 255);
    compositeLayer(out, layer.image, ox, oy, true);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) {
        bool inside = static_cast<long long>(x) >= ox && x < static_cast<long long>(ox) + 4 &&
                      static_cast<long long>(y) >= oy && y < static_cast<long long>(oy) + 3;
        EXPECT_EQ(px(out, x, y), inside ? 77 : 10) << ox << "," << oy << " at " << x << "," << y;
      }
  }
}

TEST(Compose, MalformedOrEmptyLayersAreIgnored) {
  DibImage out;
  createFilledOutput(out, 3, 3, 0x050505);
  LayerImage empty;
  compositeLayer(out, empty, 0, 0, true);
  TestLayer shortAlpha(3, 3, 9, 255);
  shortAlpha.image.alpha.resize(4);
  compositeLayer(out, shortAlpha.image, 0, 0, true);
  EXPECT_EQ(px(out, 1, 1), 5);
  DibImage none;
  createFilledOutput(none, 0, 0, 0);
  TestLayer layer(2, 2, 9, 255);
  compositeLayer(none, layer.image, 0, 0, true);
  EXPECT_EQ(none.width(), 0);
  EXPECT_EQ(none.height(), 0);
}

TEST(Compose, SmoothingSoftensOnlyStrongAlphaEdgesInsideTheRectangle) {
  DibImage out;
  createFilledOutput(out, 5, 5, 0);
  TestLayer layer(5, 5, 0, 0);
  layer.set(2, 2, 200, 200, 200, 255);
  layer.set(0, 0, 0, 0, 0, 255);  // a strong edge on the border: never smoothed
  compositeLayer(out, layer.image, 0, 0, true);
  // Centre: (0 + 0 + 0 + 0 + 200) >> 1. Its 4-neighbours see one alpha step of 255:
  // (200 >> 2) >> 1 = 25. Diagonal neighbours have no alpha difference.
  std::vector<std::vector<int>> expected = {
      {0, 0, 0, 0, 0}, {0, 0, 25, 0, 0}, {0, 25, 100, 25, 0}, {0, 0, 25, 0, 0}, {0, 0, 0, 0, 0}};
  EXPECT_EQ(blues(out), expected);

  DibImage plain;
  createFilledOutput(plain, 5, 5, 0);
  compositeLayer(plain, layer.image, 0, 0, false);
  EXPECT_EQ(px(plain, 2, 2), 200);
  EXPECT_EQ(px(plain, 1, 2), 0);
}

TEST(Compose, SmoothingThresholdIsAnAlphaDifferenceOf128) {
  for (int centre : {31, 32}) {
    DibImage out;
    createFilledOutput(out, 3, 3, 0);
    TestLayer layer(3, 3, 0, 0);
    layer.set(1, 1, 100, 100, 100, centre);
    compositeLayer(out, layer.image, 0, 0, true);
    // 4 x 32 = 128 reaches the threshold; 4 x 31 = 124 does not.
    EXPECT_EQ(px(out, 1, 1), centre == 32 ? 50 : 100) << centre;
  }
}

TEST(Compose, SmoothingReadsNeighboursFromACopy) {
  // Two lit pixels side by side: each must be softened from the other's unsoftened value.
  DibImage out;
  createFilledOutput(out, 4, 3, 0);
  TestLayer layer(4, 3, 0, 0);
  layer.set(1, 1, 200, 200, 200, 255);
  layer.set(2, 1, 120, 120, 120, 255);
  compositeLayer(out, layer.image, 0, 0, true);
  EXPECT_EQ(px(out, 1, 1), ((120 >> 2) + 200) >> 1);
  EXPECT_EQ(px(out, 2, 1), ((200 >> 2) + 120) >> 1);
}

// The blending and softening rules pixel by pixel, as a second reading of them.
void composePlainly(DibImage& out, const LayerImage& layer, int ox, int oy) {
  DibRowAccess rows(out);
  const int w = out.width(), h = out.height();
  auto alpha = [&](int x, int y) { return layer.alpha[(y - oy) * layer.width + (x - ox)]; };
  const int left = std::max(ox, 0), top = std::max(oy, 0);
  const int right = std::min(w, ox + layer.width), bottom = std::min(h, oy + layer.height);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x)
      for (int k = 0; k < 3; ++k) {
        const int l = layer.pixels[((y - oy) * layer.width + (x - ox)) * 3 + k];
        const int a = alpha(x, y);
        rows[y][x * 3 + k] = static_cast<std::uint8_t>(
            a == 255 ? l : std::min(255, l + ((rows[y][x * 3 + k] * (255 - a)) >> 8)));
      }
  if (right - left < 3 || bottom - top < 3) return;
  DibImage copy;
  copy.copyFrom(out);
  DibRowAccess before(copy);
  for (int y = top + 1; y < bottom - 1; ++y)
    for (int x = left + 1; x < right - 1; ++x) {
      const int d = alpha(x, y);
      if (std::abs(d - alpha(x, y - 1)) + std::abs(d - alpha(x, y + 1)) +
              std::abs(d - alpha(x - 1, y)) + std::abs(d - alpha(x + 1, y)) <
          128)
        continue;
      for (int k = 0; k < 3; ++k) {
        const int c = x * 3 + k;
        rows[y][c] = static_cast<std::uint8_t>(((before[y - 1][c] >> 2) + (before[y][c - 3] >> 2) +
                                                (before[y + 1][c] >> 2) + (before[y][c + 3] >> 2) +
                                                before[y][c]) >>
                                               1);
      }
    }
}

TEST(Compose, RandomLayersComposeAsThePlainRulesSay) {
  std::mt19937 rng(1208);
  std::uniform_int_distribution<int> size(1, 70), byte(0, 255), pick(0, 3), shift(-20, 40);
  for (int round = 0; round < 40; ++round) {
    const int w = size(rng), h = size(rng);
    LayerImage layer;
    layer.width = size(rng);
    layer.height = size(rng);
    for (int i = 0; i < layer.width * layer.height; ++i) {
      const int kind = pick(rng);  // clear, full and partial coverage, and hard edges
      layer.alpha.push_back(static_cast<std::uint8_t>(kind == 0 ? 0 : kind == 1 ? 255 : byte(rng)));
      for (int k = 0; k < 3; ++k) layer.pixels.push_back(static_cast<std::uint8_t>(byte(rng)));
    }
    DibImage fast, plain;
    createFilledOutput(fast, w, h, static_cast<std::uint32_t>(byte(rng)) * 0x010101u);
    {
      DibRowAccess rows(fast);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * 3; ++x) rows[y][x] = static_cast<std::uint8_t>(byte(rng));
    }
    plain.copyFrom(fast);
    const int ox = shift(rng), oy = shift(rng);
    compositeLayer(fast, layer, ox, oy, true);
    composePlainly(plain, layer, ox, oy);
    ASSERT_EQ(fast.block(), plain.block()) << "round " << round;
  }
}

TEST(Compose, ComposeJobPlacesLayersRelativeToTheOrigin) {
  VornelDocument doc;
  initializeDocument(doc);
  doc.projectBackgroundColor = 0x101010;
  doc.prefs.antialiasing = 0;
  doc.pressedImage = true;
  // Bulletin at x = -3 left of a Message at 0: the origin is (-3, 0).
  doc.layer(kBulletinLayer).kind = kLayerRoundBox;
  doc.layer(kBulletinLayer).x = -3;
  doc.layer(kBulletinLayer).y = 1;
  doc.layer(kBulletinLayer).image = TestLayer(2, 1, 50, 255).image;
  doc.layer(kBulletinLayer).pressedImage = TestLayer(2, 1, 60, 255).image;
  doc.layer(kMessageLayer).image = TestLayer(4, 2, 90, 255).image;
  doc.layer(kMessageLayer).pressedImage = TestLayer(4, 2, 95, 255).image;
  doc.layer(kTemplateLayer).image = TestLayer(7, 2, 1, 255).image;  // None: never drawn
  doc.outputWidth = 7;
  doc.outputHeight = 2;
  doc.originX = -3;
  doc.originY = 0;
  doc.outputStale = true;
  composeJob(doc);
  EXPECT_FALSE(doc.outputStale);
  std::vector<std::vector<int>> expected = {{16, 16, 16, 90, 90, 90, 90},
                                            {50, 50, 16, 90, 90, 90, 90}};
  EXPECT_EQ(blues(doc.outputImage), expected);
  std::vector<std::vector<int>> pressed = {{16, 16, 16, 95, 95, 95, 95},
                                           {60, 60, 16, 95, 95, 95, 95}};
  EXPECT_EQ(blues(doc.pressedOutputImage), pressed);
}

}  // namespace
}  // namespace vornel
