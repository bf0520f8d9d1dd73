// Our own rasteriser of a filled rounded rectangle, covering the pixels the Windows GDI
// RoundRect call fills with a one-pixel pen and a brush of the same colour: columns
// left ... right - 1, rows top ... bottom - 1, with elliptic corners of the given width
// and height; the shape is left-right and top-bottom symmetric. Clipped to the raster.
#pragma once

#include <cstdint>

namespace vornel {

// Writes (255, 255, 255) into every covered pixel of a top-down blue-green-red raster
// of width x height pixels (rows of width * 3 bytes).
void fillRoundRect(std::uint8_t* bgr, int width, int height, int left, int top, int right,
                   int bottom, int cornerWidth, int cornerHeight);

}  // namespace vornel
