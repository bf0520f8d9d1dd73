// The letter relief shared by 3D Single Color and Fog: a height field holding every
// lit pixel's distance to the nearest unlit one (normalised to 0 ... 1), and the shape
// profile that turns such a distance into a height.
#pragma once

#include <cstdint>
#include <vector>

#include "render/effects/effect_record.h"
#include "render/pixel_rows.h"

namespace vornel {

struct ShapeProfile {
  int shape = 0;     // 0 waves with a plateau, 2 sine to the fifth, anything else identity
  double hs = 1.0;   // relief height scale
  double f = 1.0;    // wave frequency (shape 0)
  double cap = 1.0;  // cap on the relief, as a fraction of hs
  double thr = 1.0;  // plateau threshold (shape 0)
  double lvl = 1.0;  // plateau level (shape 0)
};

// Sets the profile from p5 ... p10 of a 3D Single Color or Fog record.
void loadShapeProfile(ShapeProfile& profile, const EffectRecord& record);
// The record words the "3D Shape" dialog writes back for a profile.
void storeShapeProfile(const ShapeProfile& profile, EffectRecord& record);

double profileHeight(const ShapeProfile& profile, double x);

struct HeightField {
  int width = 0, height = 0;
  std::vector<float> values;  // index x + y * width
  float at(int row, int column) const {
    return values[static_cast<std::size_t>(row) * width + column];
  }
};

// Sample offsets of the rings of radius 0 ... 255 around a pixel, each offset once,
// each ring's nearest first.
// Rings are added as a search first needs them: small text never reaches the outer
// rings, which hold most of the offsets.
struct RingTable {
  struct Offset {
    int dr, dc;
    int squared;  // dr * dr + dc * dc
    float distance;
  };
  std::vector<Offset> offsets;
  std::vector<int> start;  // ring k is offsets[start[k]] ... offsets[start[k + 1] - 1]
  // Per ring, for each squared distance v from its nearest sample's to its farthest's,
  // the first of its samples at least that far: atLeast[atLeastStart[k] + v - nearest].
  std::vector<int> atLeast, atLeastStart;
  // Per offset of the first stepRings rings, dr * stepWidth + dc: where a sample lies
  // in a raster stepWidth pixels wide, counted from the centre's index.
  std::vector<std::ptrdiff_t> step;
  int stepWidth = -1, stepRings = 0;
  int rings() const { return start.empty() ? 0 : static_cast<int>(start.size()) - 1; }
};

inline constexpr int kMaxRing = 255;

// The relief state the engine keeps between dispatches.
struct ReliefState {
  HeightField field;
  ShapeProfile profile;
  RingTable rings;  // grown as searches need it
};

// Adds rings until ring k (at most kMaxRing) is in the table.
void extendRingTable(RingTable& rings, int k);
// The whole table, rings 0 ... kMaxRing.
void buildRingTable(RingTable& rings);

// Rebuilds the field from the text raster with the ring search. A raster with no lit
// pixel gives a field of zeros. With samplesLeft, each ring sample looked at is taken
// from it, and the search gives up (returning false, the field unfinished) when it would
// go below zero: the search's cost depends on the shape (an isolated unlit pixel in a
// lit field sends it through every ring), so the work budget holds it to an allowance.
bool buildHeightField(ReliefState& relief, RgbRows text, std::int64_t* samplesLeft = nullptr);

// Rebuilds the field when stale (or when the raster's size no longer matches it), then
// clears the stale flag. False, the flag left set, when the build gave up.
bool refreshHeightField(ReliefState& relief, RgbRows text, bool& stale,
                        std::int64_t* samplesLeft = nullptr);

// The smoothed, profiled height at (column, row); 0 within two pixels of the left and
// top edges and one pixel of the right and bottom edges.
double surfaceHeight(const ReliefState& relief, int column, int row);

}  // namespace vornel
