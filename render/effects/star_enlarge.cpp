#include "render/effects/star_enlarge.h"

#include <cmath>
#include <cstdlib>

namespace vornel {

namespace {

bool loaded(const EffectKernel& star) {
  return star.rx >= 0 && star.ry >= 0 &&
         star.weights.size() >= static_cast<std::size_t>(2 * star.rx + 1) *
                                    static_cast<std::size_t>(2 * star.ry + 1) * 3;
}

// One weight of the star, 0 off its grid.
float weightAt(const EffectKernel& star, int dy, int dx, int k) {
  if (std::abs(dy) > star.ry || std::abs(dx) > star.rx) return 0.0f;
  return star.cell(dy, dx)[k];
}

// Where a cell of the fine grid lies in the star's own, split into the cell before it
// and the fraction toward the next.
struct Sample {
  int cell;
  double fraction;
};
Sample sampleAt(int fine, int factor) {
  const double at = (fine + 0.5) / factor - 0.5;
  const double before = std::floor(at);
  return {static_cast<int>(before), at - before};
}

}  // namespace

EffectKernel enlargeStarKernel(const EffectKernel& star, int factor) {
  if (factor <= 1 || !loaded(star)) return star;
  // Two cells of margin on each side hold the fade of the outermost cells to 0.
  const int rx = factor * (star.rx + 2), ry = factor * (star.ry + 2);
  EffectKernel out = makeKernel(2 * rx + 1, 2 * ry + 1);
  for (int dy = -ry; dy <= ry; ++dy) {
    const Sample sy = sampleAt(dy, factor);
    for (int dx = -rx; dx <= rx; ++dx) {
      const Sample sx = sampleAt(dx, factor);
      float* cell = out.cell(dy, dx);
      for (int k = 0; k < 3; ++k) {
        const double top = (1 - sx.fraction) * weightAt(star, sy.cell, sx.cell, k) +
                           sx.fraction * weightAt(star, sy.cell, sx.cell + 1, k);
        const double bottom = (1 - sx.fraction) * weightAt(star, sy.cell + 1, sx.cell, k) +
                              sx.fraction * weightAt(star, sy.cell + 1, sx.cell + 1, k);
        cell[k] = static_cast<float>((1 - sy.fraction) * top + sy.fraction * bottom);
      }
    }
  }
  return out;
}

}  // namespace vornel
