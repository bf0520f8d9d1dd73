// The effect dispatcher: one EffectRecord run on the text raster and a target canvas
// (the normal or the pressed one) with its coverage plane.
#pragma once

#include <cstdint>

#include "render/effects/effect_record.h"
#include "render/pixel_rows.h"

namespace vornel {

struct Engine;

// Runs one record by its type code; unknown codes change nothing. Kernels and texture
// pictures live for this one call. The run is charged to the engine's work meter first
// (render/work_budget.h); a run the job's budget cannot take changes nothing and leaves
// the meter refused.
void runEffect(Engine& engine, const EffectRecord& record, RgbRows text, RgbRows target,
               std::int16_t* plane);

}  // namespace vornel
