// The cut out: at every lit pixel, the kernel gathered over the text moved by (x, y),
// each cell weighing how far its text pixel is from white (outside the raster counts as
// black), and the pixel blended toward the colour by that sum (at most 1).
//
// A window of white text pixels only adds zeros: the pixel keeps its colour and coverage,
// and its cells need no visit. A window of black (or missing) pixels only adds each
// cell's full term, in the same order wherever it lies: its sums are the kernel's own,
// taken once. Only the windows along the letters' edges are gathered cell by cell.
#include <algorithm>

#include "render/effects/area_sums.h"
#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

// 1/255 as the float the shade is computed with.
constexpr float kInv255 = 0.003921568859368563f;

bool usable(const EffectKernel& kernel) {
  return kernel.rx >= 0 && kernel.ry >= 0 &&
         kernel.weights.size() >=
             static_cast<std::size_t>(2 * kernel.rx + 1) * (2 * kernel.ry + 1) * 3;
}

bool white(const std::uint8_t* t) {
  return t[0] == 255 && t[1] == 255 && t[2] == 255;
}
bool black(const std::uint8_t* t) {
  return t[0] == 0 && t[1] == 0 && t[2] == 0;
}

// What a lit pixel's window holds: white only, black (or missing) only, or a mixture.
enum class Window { White, Black, Mixed };

struct CutWindows {
  int x, y, rx, ry;
  effects::AreaCounts whites, blacks;

  CutWindows(RgbRows text, int ox, int oy, const EffectKernel& k)
      : x(ox),
        y(oy),
        rx(k.rx),
        ry(k.ry),
        whites(text.width, text.height, [&](int c, int r) { return white(text.pixel(r, c)); }),
        blacks(text.width, text.height, [&](int c, int r) { return black(text.pixel(r, c)); }) {}

  // The window of canvas pixel (i, k): text pixels (i + dy - y, k + dx - x).
  Window at(int i, int k) const {
    const std::int64_t top = std::int64_t{i} - ry - y, left = std::int64_t{k} - rx - x;
    const std::int64_t bottom = top + 2 * ry, right = left + 2 * rx;
    const std::int64_t area = (bottom - top + 1) * (right - left + 1);
    const std::int64_t inside = whites.inside(left, top, right, bottom);
    if (inside == area && whites.count(left, top, right, bottom) == area) return Window::White;
    if (blacks.count(left, top, right, bottom) == inside) return Window::Black;
    return Window::Mixed;
  }
};

// A cell's term for a black or missing text pixel, as the gather computes it.
float blackTerm(const float* cell, int c) {
  return cell[c] * 255.0f * kInv255;
}

}  // namespace

std::int64_t cutOutCells(RgbRows text, int x, int y, const EffectKernel& kernel) {
  if (!usable(kernel) || text.width <= 0 || text.height <= 0) return 0;
  const CutWindows windows(text, x, y, kernel);
  const std::int64_t cells = (2 * std::int64_t{kernel.rx} + 1) * (2 * kernel.ry + 1);
  std::int64_t mixed = 0;
  for (int i = 0; i < text.height; ++i)
    for (int k = 0; k < text.width; ++k)
      if (text.pixel(i, k)[0] != 0 && windows.at(i, k) == Window::Mixed) ++mixed;
  return (mixed + 1) * cells;
}

void cutOut(RgbRows text, RgbRows canvas, int x, int y, const EffectKernel& kernel,
            std::uint32_t color, std::int16_t* plane) {
  const int w = canvas.width, h = canvas.height;
  if (!usable(kernel) || w <= 0 || h <= 0) return;
  const double colour[3] = {static_cast<double>(colorChannel(color, 0)),
                            static_cast<double>(colorChannel(color, 1)),
                            static_cast<double>(colorChannel(color, 2))};
  const CutWindows windows(text, x, y, kernel);
  // The sums of an all-black window, in the gather's order: rows, then cells, ascending.
  float blackSum[3] = {0.0f, 0.0f, 0.0f};
  for (int dy = -kernel.ry; dy <= kernel.ry; ++dy)
    for (int dx = -kernel.rx; dx <= kernel.rx; ++dx)
      for (int c = 0; c < 3; ++c) blackSum[c] += blackTerm(kernel.cell(dy, dx), c);

  for (int i = 0; i < h; ++i) {
    for (int k = 0; k < w; ++k) {
      // Outside the letters the shade is 0, which leaves pixel and coverage as they are.
      if (text.pixel(i, k)[0] == 0) continue;
      const Window window = windows.at(i, k);
      if (window == Window::White) continue;  // a shade of 0 as well
      float sum[3] = {blackSum[0], blackSum[1], blackSum[2]};
      if (window == Window::Mixed) {
        sum[0] = sum[1] = sum[2] = 0.0f;
        for (int dy = -kernel.ry; dy <= kernel.ry; ++dy) {
          const long long tr = static_cast<long long>(i) + dy - y;
          const float* cell = kernel.cell(dy, -kernel.rx);
          for (int dx = -kernel.rx; dx <= kernel.rx; ++dx, cell += 3) {
            const long long tc = static_cast<long long>(k) + dx - x;
            // Beyond the raster counts as empty: letters are shaded along the canvas edge.
            if (tr < 0 || tr >= h || tc < 0 || tc >= w) {
              for (int c = 0; c < 3; ++c) sum[c] += blackTerm(cell, c);
            } else {
              const std::uint8_t* t = text.pixel(static_cast<int>(tr), static_cast<int>(tc));
              for (int c = 0; c < 3; ++c)
                sum[c] += cell[c] * static_cast<float>(255 - t[c]) * kInv255;
            }
          }
        }
      }
      std::uint8_t* px = canvas.pixel(i, k);
      for (int c = 0; c < 3; ++c) {
        const double a = std::min(sum[c], 1.0f);
        px[c] = effects::truncToByte((1.0 - a) * px[c] + a * colour[c]);
      }
      std::int16_t& cover = plane[static_cast<std::size_t>(i) * w + k];
      effects::storePlane(cover, effects::truncToInt(std::min(sum[0], 1.0f) * 255.0 + cover));
    }
  }
}

}  // namespace vornel
