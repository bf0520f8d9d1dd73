// The "3D Shape" dialog's logic, without Qt: it edits the engine's shape profile (the
// relief of 3D Single Color and the density of Fog) through five sliders, and draws the
// profile's curve.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/effects/effect_record.h"
#include "render/effects/height_field.h"

namespace vornel {

struct Engine;

// The five sliders' positions as they stand: the two upright ones (cap, level) hold the
// negated value, so that their top (the smallest position) is the largest value.
struct ShapeSliders {
  int height = 0;      // Hs x 100, 1 ... 1000
  int wavelength = 0;  // f x 100, 1 ... 600
  int cap = 0;         // -cap x 1000, -1000 ... 1000
  int threshold = 0;   // thr x 100, 1 ... the wavelength's f x 100
  int level = 0;       // -lvl x 1000, -1000 ... 1000
};

struct ShapeDialogView {
  ShapeSliders positions;
  int thresholdMaximum = 1;                // the under-preview slider's range is 1 ... this
  std::string heightText, wavelengthText;  // the boxes show Hs and f
};

struct CurvePoint {
  int x = 0, y = 0;
};

// The relief curve for a width x height pane: from (0, height) through
// (i, (1 - profile(i / width) / Hs) x height / 2) for every column i, truncated. Heights
// off the pane (or undefined, with Hs = 0) are kept within a pane's height of it.
std::vector<CurvePoint> reliefCurve(const ShapeProfile& profile, int width, int height);

class ShapeDialogLogic {
 public:
  explicit ShapeDialogLogic(Engine& engine);

  // The sliders from the current profile. The under-preview slider starts at the
  // profile's own threshold (within its range), not at its range's end, so that opening
  // and moving another slider keeps the threshold.
  ShapeDialogView open();
  // Every slider move: the positions become p6 to p10 of the 3D Single Color working
  // record (the upright ones negated) and the profile is loaded from it, its shape
  // kept as it was.
  ShapeDialogView slidersMoved(const ShapeSliders& positions);

  const ShapeProfile& profile() const;
  // The values OK hands to the dialog that opened this one: p5 the shape, p6 to p10 the
  // profile's values in the record's units, exactly as the sliders set them.
  EffectRecord values() const;

 private:
  ShapeDialogView view() const;

  Engine& engine_;
  std::int32_t values_[6] = {};  // p5 ... p10
};

}  // namespace vornel
