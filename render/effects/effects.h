// The effects. Each paints the canvas (or changes the text raster) as its record says
// and adds coverage to the plane (W x H, index x + y * W). `text` and `canvas` are the
// canvas-sized rasters of RenderCanvas; `edgeMask` is W x H bytes.
#pragma once

#include <cstdint>

#include "render/effects/effect_kernel.h"
#include "render/pixel_rows.h"

namespace vornel {

// Draw (type 0) as a single colour, offset (x, y).
void colorFill(RgbRows text, RgbRows canvas, int x, int y, std::uint32_t color,
               std::int16_t* plane);
// Linear gradient (type 3).
void linearGradient(RgbRows text, RgbRows canvas, int centerX, int centerY, int x, int y, int angle,
                    std::uint32_t color1, std::uint32_t color2, int halfLength,
                    std::int16_t* plane);
// Outline (type 1): the disc of makeDiscKernel(radius) stamped with stampKernelOver
// over every edge pixel moved by (x, y), in edge order; a negative radius counts as 0.
void outline(RgbRows canvas, const std::uint8_t* edgeMask, int radius, std::uint32_t color, int x,
             int y, std::int16_t* plane);
// The cells the outline visits per edge pixel: one full run and the rim per disc row.
std::int64_t outlineCellsPerEdge(int radius);
// Star filter (type 6): the star kernel, scaled by intensity and colour and trimmed,
// added at every edge pixel. At a grain above 1 (a job drawn larger, with the star
// enlarged by enlargeStarKernel) it is added once per grain x grain block that holds an
// edge pixel, at the block's top-left pixel.
void starFilter(RgbRows canvas, const std::uint8_t* edgeMask, const EffectKernel& star,
                std::uint32_t color, float intensity, int x, int y, std::int16_t* plane,
                int grain = 1);
// The stamps starFilter makes: edge pixels at grain 1, blocks holding one above.
std::int64_t starStampCount(const std::uint8_t* edgeMask, int width, int height, int grain);
// The Star Filtering dialog's sample: the canvas cleared to black, then the star built
// as starFilter builds it, added with stampKernelAdd at every column 25 ... 74 of the
// middle row, as if along a short horizontal edge.
void starPreview(RgbRows canvas, const EffectKernel& star, std::uint32_t color, float intensity,
                 std::int16_t* plane);
// Drop shadow (type 2).
void dropShadow(RgbRows text, RgbRows canvas, int x, int y, const EffectKernel& kernel,
                std::uint32_t color, std::int16_t* plane);
// Depth of field (type 4).
void depthOfField(RgbRows canvas, const EffectKernel& kernel);
// Cut out (type 12).
void cutOut(RgbRows text, RgbRows canvas, int x, int y, const EffectKernel& kernel,
            std::uint32_t color, std::int16_t* plane);
// The kernel cells each of the three will visit on these rasters (the windows it can
// answer without them are not counted): for the work budget, before it runs.
std::int64_t dropShadowCells(RgbRows text, int x, int y, const EffectKernel& kernel);
std::int64_t depthOfFieldCells(RgbRows canvas, const EffectKernel& kernel);
std::int64_t cutOutCells(RgbRows text, int x, int y, const EffectKernel& kernel);

// Kernel stamps shared by outline and star filter.
void stampKernelOver(RgbRows canvas, const EffectKernel& kernel, int cx, int cy, double b, double g,
                     double r, std::int16_t* plane);
void stampKernelAdd(RgbRows canvas, const EffectKernel& kernel, int cx, int cy,
                    std::int16_t* plane);

}  // namespace vornel
