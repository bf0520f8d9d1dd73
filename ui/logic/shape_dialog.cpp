#include "ui/logic/shape_dialog.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/engine.h"
#include "ui/logic/number_box.h"

namespace vornel {

namespace {

// The profile's values back in the record's units. Rounded, not truncated: a value
// loaded as 29 x 0.01 is 0.28999999999999998, which truncation would show as 28.
std::int32_t inUnits(double value, double units) {
  return truncToInt32(std::round(value * units));
}

// An upright slider's position for a value; the most negative value has no negation.
int upright(std::int32_t value) {
  return value == std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<int>::max()
                                                           : -value;
}

}  // namespace

std::vector<CurvePoint> reliefCurve(const ShapeProfile& profile, int width, int height) {
  std::vector<CurvePoint> points;
  if (width <= 0 || height <= 0) return points;
  points.push_back({0, height});
  for (int i = 0; i < width; ++i) {
    double y =
        (1.0 - profileHeight(profile, static_cast<double>(i) / width) / profile.hs) * height / 2.0;
    if (!std::isfinite(y)) y = height;
    y = std::clamp(y, -static_cast<double>(height), 2.0 * height);
    points.push_back({i, static_cast<int>(std::trunc(y))});
  }
  return points;
}

ShapeDialogLogic::ShapeDialogLogic(Engine& engine) : engine_(engine) {}

const ShapeProfile& ShapeDialogLogic::profile() const {
  return engine_.relief.profile;
}

ShapeDialogView ShapeDialogLogic::view() const {
  ShapeDialogView out;
  const std::int32_t* v = values_;
  out.positions = {v[1], v[2], upright(v[3]), v[4], upright(v[5])};
  out.thresholdMaximum = std::max(1, v[2]);
  out.heightText = decimalBoxText(profile().hs);
  out.wavelengthText = decimalBoxText(profile().f);
  return out;
}

ShapeDialogView ShapeDialogLogic::open() {
  const ShapeProfile& p = profile();
  values_[0] = p.shape;
  values_[1] = inUnits(p.hs, 100);
  values_[2] = inUnits(p.f, 100);
  values_[3] = inUnits(p.cap, 1000);
  values_[4] = inUnits(p.thr, 100);
  values_[5] = inUnits(p.lvl, 1000);
  return view();
}

ShapeDialogView ShapeDialogLogic::slidersMoved(const ShapeSliders& positions) {
  values_[1] = positions.height;
  values_[2] = positions.wavelength;
  values_[3] = -positions.cap;
  values_[4] = positions.threshold;
  values_[5] = -positions.level;
  EffectRecord& relief = engine_.doc.effectDefaults[k3dSingleColor];
  for (int p = 6; p <= 10; ++p) relief.param(p) = values_[p - 5];
  ShapeProfile& profile = engine_.relief.profile;
  const int shape = profile.shape;
  loadShapeProfile(profile, relief);
  profile.shape = shape;
  return view();
}

EffectRecord ShapeDialogLogic::values() const {
  EffectRecord record;
  for (int p = 5; p <= 10; ++p) record.param(p) = values_[p - 5];
  return record;
}

}  // namespace vornel
