// Fog (type 10): veils the letters in a colour whose strength follows fractal noise and
// the letter relief.
#pragma once

#include <cstdint>

#include "render/effects/effect_record.h"
#include "render/effects/height_field.h"
#include "render/effects/noise.h"
#include "render/pixel_rows.h"

namespace vornel {

// Loads the record's shape profile into the relief state, brings the height field up to
// date (rebuilding it when `stale`), then paints. At a grain above 1 (a job drawn that
// many times larger) the noise is sampled that much finer, so its clouds keep their size.
void fog(NoiseState& noise, ReliefState& relief, bool& heightFieldStale, RgbRows text,
         RgbRows canvas, const EffectRecord& record, std::int16_t* plane, int grain = 1);

// The low byte of trunc(v), as a store of an out-of-range value into a byte keeps it;
// defined for every double (NaN gives 0).
std::uint8_t lowByteOfTrunc(double v);
// trunc(v) kept to 16 bits in the same way.
std::int16_t low16OfTrunc(double v);

}  // namespace vornel
