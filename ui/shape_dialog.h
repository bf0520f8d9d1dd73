// C3dShapeDlg ("3D Shape"): the relief profile of 3D Single Color and the density of
// Fog, edited with five sliders over a drawing of the profile's curve.
#pragma once

#include <optional>

#include "render/effects/effect_record.h"

class QWidget;

namespace vornel {

struct Engine;

// Runs the dialog on the engine's shape profile. On OK returns the values for p5 to p10
// of the record the calling dialog edits; nothing on Cancel (what the sliders did to
// the profile and to the 3D Single Color working record stays).
std::optional<EffectRecord> runShapeDialog(QWidget* parent, Engine& engine);

}  // namespace vornel
