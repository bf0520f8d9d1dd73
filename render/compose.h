// Composition of stored layer renders over the job's background into the output
// images, with edge smoothing, and the palette-reduced output for GIF files.
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
