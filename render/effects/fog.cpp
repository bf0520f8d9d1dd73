#include "render/effects/fog.h"

#include <algorithm>
#include <cmath>

#include "render/effects/effect_math.h"

namespace vornel {

std::uint8_t lowByteOfTrunc(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<std::uint8_t>(static_cast<int>(std::fmod(std::trunc(v), 256.0)));
}

void fog(NoiseState& noise, ReliefState& relief, bool& heightFieldStale, RgbRows text,
         RgbRows canvas, const EffectRecord& record, std::int16_t* plane, int grain) {
  refreshHeightField(relief, text, heightFieldStale);
  loadShapeProfile(relief.profile, record);
  const int x = record.param(3), y = record.param(4);
  const std::int64_t size = record.param(11);
  const int intensity = record.param(12);
  const std::uint32_t color = static_cast<std::uint32_t>(record.param(1));
  const double cellsPer = std::max(grain, 1);  // dividing by 1 changes no bit

  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span columns = effects::shiftedSpan(x, canvas.width);
  for (int r = rows.lo; r < rows.hi; ++r) {
    for (int c = columns.lo; c < columns.hi; ++c) {
      const int tr = r - y, tc = c - x;
      if (text.pixel(tr, tc)[0] == 0) continue;
      double gx = static_cast<double>(tc * size) * 0.001 / cellsPer;
      double gy = static_cast<double>(tr * size) * 0.001 / cellsPer;
      double n = (fBm(noise, gx, gy, 0, 3, 2, 2) + 1) * 0.5;
      if (n < 0) n = 0;
      double o = profileHeight(relief.profile, relief.field.at(tr, tc));
      double t = o * intensity * n * 0.01;
      if (t > 1) t = 1;
      std::uint8_t* px = canvas.pixel(r, c);
      for (int k = 0; k < 3; ++k) {
        double v = (1 - t) * px[k] + t * colorChannel(color, k);
        if (v > 255) v = 255;
        px[k] = lowByteOfTrunc(v);
      }
      std::int16_t& cover = plane[static_cast<std::size_t>(r) * canvas.width + c];
      effects::storePlane(cover, effects::truncToInt(t * 255 + cover));
    }
  }
}

}  // namespace vornel
