// 3D Single Color (type 8): the letters in one colour, embossed by the height field and
// shape profile and lit by a fixed point light high above, to the right and the top.
#pragma once

#include <array>
#include <cstdint>

#include "render/effects/effect_record.h"
#include "render/effects/height_field.h"
#include "render/pixel_rows.h"

namespace vornel {

// The lit colour of text pixel (row, column) for the surface colour 0x00BBGGRR, as
// blue, green, red bytes. The field must be the canvas's size (W x H). At a grain above
// 1 (a job drawn that many times larger) slopes and the light's direction are taken per
// pixel of the job at scale 1, so the relief is lit as it is there.
std::array<std::uint8_t, 3> shadeRelief(const ReliefState& relief, int row, int column,
                                        std::uint32_t color, int grain = 1);

// Paints the covered region: the profile and field must be current (loadShapeProfile,
// refreshHeightField) before the call.
void threeDSingleColor(const ReliefState& relief, RgbRows text, RgbRows canvas,
                       const EffectRecord& record, std::int16_t* plane, int grain = 1);

}  // namespace vornel
