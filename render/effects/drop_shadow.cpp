// The drop shadow: the kernel's channel-0 weights added around every lit text pixel
// moved by (x, y), in text order, into one float per canvas pixel; then a blend by that
// sum (at most 1) in the shadow colour over every pixel.
//
// A canvas pixel whose whole window of text pixels (the kernel's extent, moved back by
// the offset) is lit gets every cell, in the same order wherever it lies: its sum is the
// kernel's own sum in that order, taken once. So a lit pixel whose cells all land on such
// pixels adds nothing that is not known already, and is passed over; inside large letters
// that is most of them. The sums of all other pixels are added as the stamps give them.
#include <algorithm>
#include <optional>

#include "platform/memory.h"
#include "render/effects/area_sums.h"
#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

bool usable(const EffectKernel& kernel) {
  return kernel.rx >= 0 && kernel.ry >= 0 &&
         kernel.weights.size() >=
             static_cast<std::size_t>(2 * kernel.rx + 1) * (2 * kernel.ry + 1) * 3;
}

std::int64_t cellCount(const EffectKernel& kernel) {
  return (2 * std::int64_t{kernel.rx} + 1) * (2 * kernel.ry + 1);
}

// From radius 15 (961 cells) a stamp costs clearly more than the questions that may
// spare it (bench/effects_bench.cpp, BM_DropShadow).
constexpr std::int64_t kWindowsFrom = 961;

// Which canvas pixels have a wholly lit window, and the rectangles the stamps cover.
struct ShadowWindows {
  RgbRows text;
  int x, y, rx, ry;
  effects::AreaCounts lit;
  effects::AreaCounts full;

  ShadowWindows(RgbRows t, int ox, int oy, const EffectKernel& k)
      : text(t),
        x(ox),
        y(oy),
        rx(k.rx),
        ry(k.ry),
        lit(t.width, t.height, [&](int c, int r) { return t.pixel(r, c)[0] != 0; }),
        full(t.width, t.height, [&](int c, int r) { return wholeWindowLit(r, c); }) {}

  // Every text pixel of the window of canvas pixel (r, c) exists and is lit.
  bool wholeWindowLit(int r, int c) const {
    const std::int64_t top = std::int64_t{r} - y - ry, left = std::int64_t{c} - x - rx;
    const std::int64_t bottom = top + 2 * ry, right = left + 2 * rx;
    if (top < 0 || left < 0 || bottom >= text.height || right >= text.width) return false;
    return lit.count(left, top, right, bottom) == (2 * std::int64_t{rx} + 1) * (2 * ry + 1);
  }

  // The canvas rectangle lit pixel (i, j) stamps, clipped; false when it needs no stamp:
  // off the canvas, or onto wholly lit windows only.
  bool stampNeeded(int i, int j, std::int64_t& r0, std::int64_t& r1, std::int64_t& c0,
                   std::int64_t& c1) const {
    const std::int64_t cy = std::int64_t{i} + y, cx = std::int64_t{j} + x;
    r0 = std::max<std::int64_t>(cy - ry, 0);
    r1 = std::min<std::int64_t>(cy + ry, text.height - 1);
    c0 = std::max<std::int64_t>(cx - rx, 0);
    c1 = std::min<std::int64_t>(cx + rx, text.width - 1);
    if (r0 > r1 || c0 > c1) return false;
    return full.count(c0, r0, c1, r1) != (r1 - r0 + 1) * (c1 - c0 + 1);
  }
};

// The kernel's channel-0 weights summed as a wholly lit window receives them: text order
// runs the cells from the last row to the first, each row from its last cell.
float wholeWindowSum(const EffectKernel& kernel) {
  float sum = 0.0f;
  for (int dy = kernel.ry; dy >= -kernel.ry; --dy)
    for (int dx = kernel.rx; dx >= -kernel.rx; --dx) sum += kernel.cell(dy, dx)[0];
  return sum;
}

}  // namespace

std::int64_t dropShadowCells(RgbRows text, int x, int y, const EffectKernel& kernel) {
  if (!usable(kernel) || text.width <= 0 || text.height <= 0) return 0;
  std::int64_t cells = 0;
  if (cellCount(kernel) < kWindowsFrom) {
    for (std::size_t n = 0, end = static_cast<std::size_t>(text.width) * text.height; n < end; ++n)
      cells += text.data[n * 3] != 0;
    return cells * cellCount(kernel);
  }
  const ShadowWindows windows(text, x, y, kernel);
  for (int i = 0; i < text.height; ++i)
    for (int j = 0; j < text.width; ++j) {
      std::int64_t r0, r1, c0, c1;
      if (text.pixel(i, j)[0] != 0 && windows.stampNeeded(i, j, r0, r1, c0, c1))
        cells += (r1 - r0 + 1) * (c1 - c0 + 1);
    }
  return cells;
}

void dropShadow(RgbRows text, RgbRows canvas, int x, int y, const EffectKernel& kernel,
                std::uint32_t color, std::int16_t* plane) {
  const int w = canvas.width, h = canvas.height;
  const std::size_t count = static_cast<std::size_t>(w) * h;
  if (count == 0) return;
  std::vector<float> acc = allocate<float>(count);
  const double colour[3] = {static_cast<double>(colorChannel(color, 0)),
                            static_cast<double>(colorChannel(color, 1)),
                            static_cast<double>(colorChannel(color, 2))};
  // Without weights every sum is 0: colours stay, and the coverage is still capped. Small
  // kernels are cheaper to add than to ask about.
  const bool weights = usable(kernel);
  std::optional<ShadowWindows> windows;
  if (weights && cellCount(kernel) >= kWindowsFrom) windows.emplace(text, x, y, kernel);
  for (int i = 0; weights && i < h; ++i)
    for (int j = 0; j < w; ++j) {
      if (text.pixel(i, j)[0] == 0) continue;
      const std::int64_t cy = std::int64_t{i} + y, cx = std::int64_t{j} + x;
      std::int64_t r0 = std::max<std::int64_t>(cy - kernel.ry, 0);
      std::int64_t r1 = std::min<std::int64_t>(cy + kernel.ry, h - 1);
      std::int64_t c0 = std::max<std::int64_t>(cx - kernel.rx, 0);
      std::int64_t c1 = std::min<std::int64_t>(cx + kernel.rx, w - 1);
      if (windows ? !windows->stampNeeded(i, j, r0, r1, c0, c1) : r0 > r1 || c0 > c1) continue;
      for (std::int64_t r = r0; r <= r1; ++r) {
        const float* cell = kernel.cell(static_cast<int>(r - cy), static_cast<int>(c0 - cx));
        float* dst = acc.data() + static_cast<std::size_t>(r) * w + c0;
        for (std::int64_t c = c0; c <= c1; ++c, cell += 3) *dst++ += cell[0];
      }
    }

  const float whole = windows ? wholeWindowSum(kernel) : 0.0f;
  std::uint8_t* px = canvas.data;
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c, px += 3) {
      const std::size_t n = static_cast<std::size_t>(r) * w + c;
      const double a = std::min(windows && windows->wholeWindowLit(r, c) ? whole : acc[n], 1.0f);
      // Every pixel is capped, shadowed or not: a shadow resets piled-up coverage first.
      if (plane[n] > 255) plane[n] = 255;
      for (int k = 0; k < 3; ++k) px[k] = effects::truncToByte((1.0 - a) * px[k] + a * colour[k]);
      effects::storePlane(plane[n], effects::truncToInt(a * 255.0 + plane[n]));
    }
}

}  // namespace vornel
