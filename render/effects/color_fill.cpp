#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

void colorFill(RgbRows text, RgbRows canvas, int x, int y, std::uint32_t color,
               std::int16_t* plane) {
  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span cols = effects::shiftedSpan(x, canvas.width);
  if (rows.empty() || cols.empty()) return;
  const int f[3] = {colorChannel(color, 0), colorChannel(color, 1), colorChannel(color, 2)};
  for (int r = rows.lo; r < rows.hi; ++r) {
    const std::uint8_t* src = text.pixel(r - y, cols.lo - x);
    std::uint8_t* dst = canvas.pixel(r, cols.lo);
    std::int16_t* cover = plane + static_cast<std::size_t>(r) * canvas.width + cols.lo;
    for (int c = cols.lo; c < cols.hi; ++c, src += 3, dst += 3, ++cover) {
      if (src[0] == 0) continue;
      // The shift floors: full coverage of 255 lands as 254, as everywhere in the fills.
      for (int k = 0; k < 3; ++k)
        dst[k] = static_cast<std::uint8_t>(((255 - src[k]) * dst[k] + src[k] * f[k]) >> 8);
      effects::addToPlane(*cover, src[0]);
    }
  }
}

}  // namespace vornel
