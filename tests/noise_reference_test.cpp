// noise3 away from the lattice, against values from an independent model of the
// classic gradient noise written from its definition (draw order, shuffle, s-curve and
// trilinear blend), so a slip in the corner indices or offsets shows up as a number.
#include <gtest/gtest.h>

#include "render/effects/noise.h"

namespace vornel {
namespace {

TEST(NoiseReference, OffLatticeValuesMatchAnIndependentModel) {
  NoiseState noise;
  EXPECT_NEAR(noise3(noise, 0.5, 0.25, 0.125), 0.32327697622221185, 1e-12);
  EXPECT_NEAR(noise3(noise, 1.3, -2.7, 56.54), 0.2279173850494574, 1e-12);
  // Below -4096 the shifted coordinate is negative and truncates toward zero.
  EXPECT_NEAR(noise3(noise, -4100.2, 7.9, 0.0), 0.074210014833478, 1e-12);
  EXPECT_NEAR(noise3(noise, 123.456, 78.9, 20.0), 0.23671078999367506, 1e-12);
  EXPECT_EQ(noise.random.state, 4077366934u);  // the set-up's 1791 draws, nothing more
}

}  // namespace
}  // namespace vornel
