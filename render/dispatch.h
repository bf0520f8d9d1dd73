// The effect dispatcher: one EffectRecord run on the text raster and a target canvas
// (the normal or the pressed one) with its coverage plane.
#pragma once

#include <cstdint>

#include "render/effects/effect_record.h"
#include "render/pixel_rows.h"

namespace vornel {

struct Engine;

// Largest blur or outline radius a kernel is built for. The effect dialogs allow 10;
// a style file may carry anything, and a kernel's side grows with twice the radius.
inline constexpr int kMaxKernelRadius = 100;

// Runs one record by its type code; unknown codes change nothing. Kernels and texture
// pictures live for this one call.
void runEffect(Engine& engine, const EffectRecord& record, RgbRows text, RgbRows target,
               std::int16_t* plane);

}  // namespace vornel
