// Gradient noise in three dimensions and fractional Brownian motion over it, shared by
// the Fractal distortion templates, Fog and Space. The tables are built from the
// program's random sequence on first use and then kept, so the first noise call of a
// run consumes 1791 draws at that point of the sequence.
#pragma once

#include <array>

#include "render/effects/random.h"

namespace vornel {

inline constexpr int kNoiseTableBase = 256;
// 256 entries plus the 258 copied after them, so b + 1 and the summed indices stay in range.
inline constexpr int kNoiseTableSize = kNoiseTableBase + kNoiseTableBase + 2;
inline constexpr int kFbmExponents = 21;

struct NoiseState {
  RandomGenerator random;

  bool tablesBuilt = false;
  std::array<int, kNoiseTableSize> perm{};
  std::array<double, kNoiseTableSize> g1{};
  std::array<std::array<double, 2>, kNoiseTableSize> g2{};
  std::array<std::array<double, 3>, kNoiseTableSize> g3{};

  // The first fBm call's H and lacunarity fix the table for good.
  bool exponentsBuilt = false;
  std::array<double, kFbmExponents> exponents{};
};

// Builds the tables if they are not built yet (drawing from noise.random).
void buildNoiseTables(NoiseState& noise);

// Roughly -1 ... 1; exactly 0 on the integer lattice.
double noise3(NoiseState& noise, double x, double y, double z);

// Sum of octaves of noise3, each at lacunarity times the previous frequency and weighted
// by frequency^-h; a fractional octave count adds that fraction of one more octave.
// Octave counts are limited to the 20 the exponent table holds.
double fBm(NoiseState& noise, double x, double y, double z, double h, double lacunarity,
           double octaves);

}  // namespace vornel
