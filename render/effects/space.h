// Space (type 11): stars scattered over the letters, each the colour of a glowing black
// body whose temperature follows fractal noise. Draws from the shared random sequence
// in a fixed order per pixel, so every run continues where the last one left it.
#pragma once

#include <cstdint>

#include "render/effects/effect_record.h"
#include "render/effects/noise.h"
#include "render/pixel_rows.h"

namespace vornel {

// Black-body radiance at wavelength lambda (metres) and temperature t (kelvin); 0 at
// t = 0.
double planckRadiance(double lambda, double t);

// At a grain above 1 (a job drawn that many times larger) one star draw is made per
// grain x grain block of the text raster and paints the block's lit pixels, so stars
// keep their size and number per letter.
void space(NoiseState& noise, RgbRows text, RgbRows canvas, const EffectRecord& record,
           std::int16_t* plane, int grain = 1);

}  // namespace vornel
