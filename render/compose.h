// Composition of stored layer renders over the job's background into the output
// images, with edge smoothing; the palette-reduced output for GIF files; and the
// composition over nothing that keeps coverage as alpha, for PNG files.
#pragma once

#include <cstdint>

#include "core/job.h"
#include "imageio/color_reduce.h"
#include "imageio/dib_image.h"

namespace vornel {

struct Engine;

// Re-creates image as a width x height 24-bit picture filled with colorRef
// (0x00BBGGRR). A picture that cannot be had ends the program (std::bad_alloc).
void createFilledOutput(DibImage& image, int width, int height, std::uint32_t colorRef);

// Composites layer into the 24-bit output at (ox, oy), clipped to both pictures: alpha
// 255 copies the layer pixel, any other alpha adds the output scaled by
// (255 - alpha) / 256 to it. With smooth set, pixels strictly inside the clipped
// rectangle whose alpha differs from its four neighbours' by 128 or more in total are
// then softened from a copy of the output.
void compositeLayer(DibImage& output, const LayerImage& layer, int ox, int oy, bool smooth);

// Composites layer into `under` at (ox, oy) as compositeLayer does, but over nothing:
// `under` holds, like every stored layer, colour already weighted by its coverage plus
// that coverage as alpha, and starts all 0. Alpha 255 copies the layer pixel; any other
// alpha lets (255 - alpha) / 255 of what lies under through, colour and coverage alike.
// With smooth set, the pixels compositeLayer would soften are softened here in colour
// and coverage, so that the result laid over any page colour is what compositeLayer
// makes over that colour (within the rounding of each).
void compositeLayerKeepingAlpha(LayerImage& under, const LayerImage& layer, int ox, int oy,
                                bool smooth);
// A composition over nothing as a 32-bit picture: straight colour, colour * 255 / alpha
// (at most 255), where alpha > 0, else 0. Colour that an effect painted beyond its
// coverage has no straight form and saturates.
void storeStraightAlpha(const LayerImage& composed, DibImage& image);
// As composeJob, but each output picture is the layers composed over nothing and
// stored by storeStraightAlpha, for a PNG that keeps the coverage as alpha. Clears
// outputStale.
void composeJobWithAlpha(VornelDocument& doc);

// Composes the stored layer renders again with the size and origin of the last render;
// the pressed output too when the pressed image is asked for. Clears outputStale.
void composeJob(VornelDocument& doc);

// composeJob, then both output pictures reduced to colours (16 or 256) palette entries
// by the preferred method, the background colour at entry 0; they become 8-bit
// pictures with a 256-entry palette.
void composeJobReduced(Engine& engine, int colours);

// Reduces a 24-bit picture in place to an 8-bit one (see composeJobReduced).
void reduceOutput(DibImage& image, int colours, ReduceMethod method, std::uint32_t backgroundColor,
                  MedianCutTables& tables);

}  // namespace vornel
