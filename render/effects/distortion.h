// The Disturbing Font templates: warps (sin and Fractal) and thinning (Random Dot) of
// the text raster, which every later effect of the style then paints.
#pragma once

#include "render/canvas.h"
#include "render/effects/noise.h"
#include "render/pixel_rows.h"

namespace vornel {

enum DistortionTemplate : int {
  kOriginalFont = 0,
  kSinX = 1,
  kSinY = 2,
  kSinXY = 3,
  kFractalX = 4,
  kFractalY = 5,
  kFractalXY = 6,
  kRandomDot = 7,
};

// Applies template t (1 ... 7) with frequency p6 (hundredths of a wave per canvas width)
// and amplitude p7 (tenths of a pixel; for Random Dot, tenths of a percent kept) to the
// text raster. Template 0 and unknown numbers leave the raster alone: restoring the
// original text is the canvas's business. Random Dot keeps or drops grain x grain
// blocks with one draw each (a job drawn larger keeps the size of its dots).
void distortTextRaster(NoiseState& noise, RgbRows text, int t, int frequency, int amplitude,
                       int grain = 1);

// The whole effect (type 5): template 0 restores the saved text raster (and clears the
// coverage planes); every template number, known or not, rebuilds the edge mask.
void disturbTemplet(RenderCanvas& canvas, NoiseState& noise, int t, int frequency, int amplitude,
                    int grain = 1);

}  // namespace vornel
