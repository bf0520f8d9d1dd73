// The Round Box effect (type 9): replaces the text raster with a filled white rounded
// rectangle centred on the canvas. The edge mask and the saved raster stay as they were,
// so an outline after it still follows the letters.
#pragma once

#include "render/effects/effect_record.h"
#include "render/pixel_rows.h"

namespace vornel {

// p5, p6: box width and height in per mille of the canvas width and height;
// p7, p8: corner ellipse width and height in per mille of the canvas width and height.
void roundBox(RgbRows text, const EffectRecord& record);

}  // namespace vornel
