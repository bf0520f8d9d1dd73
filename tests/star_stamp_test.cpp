#include "render/effects/star_stamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace vornel {
namespace {

// Weights of every kind the fast stamp must treat as the float sums do: faint glow,
// whole numbers, fractions just short of the next whole number (where float sums round
// up), saturating ones, and plain random values.
float randomWeight(std::mt19937& rng) {
  std::uniform_int_distribution<int> pick(0, 5), whole(0, 260), bits(6, 22);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  switch (pick(rng)) {
    case 0:
      return unit(rng) * 0.6f;
    case 1:
      return static_cast<float>(whole(rng));
    case 2:
      return static_cast<float>(whole(rng)) + 1.0f - std::ldexp(1.0f, -bits(rng));
    case 3:
      return 255.0f + unit(rng) * 1000.0f;
    default:
      return unit(rng) * 40.0f;
  }
}

TEST(StarStamp, WholeNumberStampEqualsTheFloatSums) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 60; ++round) {
    std::uniform_int_distribution<int> radius(0, 12), size(1, 40);
    EffectKernel k = makeKernel(2 * radius(rng) + 1, 2 * radius(rng) + 1);
    for (float& w : k.weights) w = randomWeight(rng);
    const int width = size(rng), height = size(rng);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 3);
    std::vector<std::int16_t> plane(static_cast<std::size_t>(width) * height);
    std::uniform_int_distribution<int> byte(0, 255), cover(0, 32767), high(32500, 32767);
    for (auto& p : pixels) p = static_cast<std::uint8_t>(byte(rng));
    for (auto& c : plane) c = static_cast<std::int16_t>(round % 2 ? high(rng) : cover(rng) / 64);
    std::vector<std::uint8_t> fastPixels = pixels;
    std::vector<std::int16_t> fastPlane = plane;

    const auto fast = IntegerStarStamp::make(k);
    ASSERT_TRUE(fast.has_value());
    ASSERT_TRUE(IntegerStarStamp::planeFits(plane.data(), width, height));
    const PlainStarStamp plain(k);
    std::uniform_int_distribution<int> cx(-15, width + 15), cy(-15, height + 15);
    for (int n = 0; n < 25; ++n) {
      const int x = cx(rng), y = cy(rng);
      plain.stamp({pixels.data(), width, height}, x, y, plane.data());
      fast->stamp({fastPixels.data(), width, height}, x, y, fastPlane.data());
    }
    ASSERT_EQ(fastPixels, pixels) << "round " << round;
    ASSERT_EQ(fastPlane, plane) << "round " << round;
  }
}

TEST(StarStamp, NegativeWeightsAndCoverageTakeTheFloatSums) {
  EffectKernel k = makeKernel(3, 3);
  for (float& w : k.weights) w = 2.5f;
  EXPECT_TRUE(IntegerStarStamp::make(k).has_value());
  k.cell(1, 0)[2] = -0.25f;
  EXPECT_FALSE(IntegerStarStamp::make(k).has_value());
  k.cell(1, 0)[2] = std::nanf("");
  EXPECT_FALSE(IntegerStarStamp::make(k).has_value());

  std::vector<std::int16_t> plane = {0, 7, 32767, 0};
  EXPECT_TRUE(IntegerStarStamp::planeFits(plane.data(), 2, 2));
  plane[3] = -1;
  EXPECT_FALSE(IntegerStarStamp::planeFits(plane.data(), 2, 2));
}

}  // namespace
}  // namespace vornel
