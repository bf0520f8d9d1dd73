#include "render/effects/star_stamp.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "render/effects/effect_math.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace vornel {

namespace {

// dst[i] = min(255, dst[i] + add[i]).
void addBytesSaturating(std::uint8_t* dst, const std::uint8_t* add, int n) {
  int i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= n; i += 16) {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_adds_epu8(d, a));
  }
#endif
  for (; i < n; ++i) dst[i] = static_cast<std::uint8_t>(std::min(255, dst[i] + add[i]));
}

// dst[i] = min(32767, dst[i] + add[i]) for non-negative values.
void addCoverSaturating(std::int16_t* dst, const std::int16_t* add, int n) {
  int i = 0;
#if defined(__SSE2__)
  for (; i + 8 <= n; i += 8) {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(add + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_adds_epi16(d, a));
  }
#endif
  for (; i < n; ++i) dst[i] = static_cast<std::int16_t>(std::min(32767, dst[i] + add[i]));
}

// The whole number a non-negative weight adds to a channel or to coverage, or -1 when
// the float sum may round up past it. A float sum below 65536 (a channel under 256 plus
// a weight, or coverage up to 32767 plus at most 255) is rounded to a grid of 2^-8 or
// finer, so base + w lands below base + floor(w) + 1 while w's fraction stays under
// 1 - 2^-9, and truncation gives base + floor(w). Weights of 255 and more saturate a
// channel and add 255 to coverage (its weight is capped there) either way.
int wholeWeight(float w) {
  if (w >= 255.0f) return 255;
  const float whole = std::floor(w);
  if (w - whole >= 1.0f - 1.0f / 512.0f) return -1;
  return static_cast<int>(whole);
}

}  // namespace

PlainStarStamp::PlainStarStamp(EffectKernel scaled)
    : kernel_(std::move(scaled)), runs_(2 * kernel_.ry + 1) {
  // Weights in [0, 0.5) leave every channel as it is after truncation, and a
  // non-negative coverage value too; only a coverage value below zero still moves toward
  // zero under them. Most of a star is such faint glow, so the stamp does the full work
  // only on the runs of other cells.
  for (int dy = -kernel_.ry; dy <= kernel_.ry; ++dy) {
    std::vector<StarRun>& row = runs_[dy + kernel_.ry];
    for (int dx = -kernel_.rx; dx <= kernel_.rx; ++dx) {
      const float* w = kernel_.cell(dy, dx);
      bool quiet = true;
      for (int k = 0; k < 3; ++k) quiet = quiet && w[k] >= 0.0f && w[k] < 0.5f;
      if (quiet) continue;
      if (!row.empty() && row.back().hi == dx - 1)
        row.back().hi = dx;
      else
        row.push_back({dx, dx});
    }
  }
}

void PlainStarStamp::stamp(RgbRows canvas, int cx, int cy, std::int16_t* plane) const {
  const effects::Footprint f =
      effects::stampFootprint(canvas.width, canvas.height, kernel_.rx, kernel_.ry, cx, cy);
  if (f.empty()) return;
  const auto faintCells = [](std::int16_t* cover, const float* w, int lo, int hi) {
    for (int i = lo; i <= hi; ++i)
      if (cover[i] < 0) effects::addPlaneWeight(cover + i, w[i * 3]);
  };
  for (int dy = f.dyLo; dy <= f.dyHi; ++dy) {
    const int row = cy + dy;
    // Pointers are formed only at the footprint's first cell: the centre itself may lie
    // off the canvas, and a pointer there would lie outside the buffers.
    std::uint8_t* px = canvas.pixel(row, cx + f.dxLo);
    std::int16_t* cover = plane + static_cast<std::size_t>(row) * canvas.width + (cx + f.dxLo);
    const float* w = kernel_.cell(dy, f.dxLo);
    int next = f.dxLo;
    for (const StarRun& run : runs_[dy + kernel_.ry]) {
      if (run.hi < f.dxLo) continue;
      if (run.lo > f.dxHi) break;
      const int lo = std::max(run.lo, f.dxLo), hi = std::min(run.hi, f.dxHi);
      faintCells(cover, w, next - f.dxLo, lo - 1 - f.dxLo);
      for (int i = lo - f.dxLo; i <= hi - f.dxLo; ++i)
        effects::addLightCell(px + i * 3, cover + i, w + i * 3);
      next = hi + 1;
    }
    faintCells(cover, w, next - f.dxLo, f.dxHi - f.dxLo);
  }
}

std::optional<IntegerStarStamp> IntegerStarStamp::make(const EffectKernel& scaled) {
  IntegerStarStamp s;
  s.kernel_ = scaled;
  const int side = 2 * scaled.rx + 1, rows = 2 * scaled.ry + 1;
  s.light_.assign(static_cast<std::size_t>(side) * rows * 3, 0);
  s.cover_.assign(static_cast<std::size_t>(side) * rows, 0);
  s.span_.assign(rows, StarRun{});
  s.exact_.assign(rows, {});
  for (int dy = -scaled.ry; dy <= scaled.ry; ++dy) {
    const std::size_t rowStart = static_cast<std::size_t>(dy + scaled.ry) * side;
    StarRun& span = s.span_[dy + scaled.ry];
    for (int dx = -scaled.rx; dx <= scaled.rx; ++dx) {
      const float* w = scaled.cell(dy, dx);
      int whole[3];
      bool exact = true;
      for (int k = 0; k < 3; ++k) {
        if (!(w[k] >= 0.0f)) return std::nullopt;  // negative, or not a number
        whole[k] = wholeWeight(w[k]);
        exact = exact && whole[k] >= 0;
      }
      const std::size_t cell = rowStart + (dx + scaled.rx);
      if (exact) {
        for (int k = 0; k < 3; ++k) s.light_[cell * 3 + k] = static_cast<std::uint8_t>(whole[k]);
        s.cover_[cell] = static_cast<std::int16_t>(whole[0]);
        if (whole[0] == 0 && whole[1] == 0 && whole[2] == 0) continue;
      } else {
        s.exact_[dy + scaled.ry].push_back(dx);
      }
      if (span.lo > span.hi) span.lo = dx;
      span.hi = dx;
    }
  }
  return s;
}

bool IntegerStarStamp::planeFits(const std::int16_t* plane, int width, int height) {
  const std::size_t n = static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0);
  std::int16_t lowest = 0;
  for (std::size_t i = 0; i < n; ++i) lowest = std::min(lowest, plane[i]);
  return lowest >= 0;
}

void IntegerStarStamp::stamp(RgbRows canvas, int cx, int cy, std::int16_t* plane) const {
  const effects::Footprint f =
      effects::stampFootprint(canvas.width, canvas.height, kernel_.rx, kernel_.ry, cx, cy);
  if (f.empty()) return;
  const int side = 2 * kernel_.rx + 1;
  for (int dy = f.dyLo; dy <= f.dyHi; ++dy) {
    const StarRun& span = span_[dy + kernel_.ry];
    const int lo = std::max(span.lo, f.dxLo), hi = std::min(span.hi, f.dxHi);
    if (lo > hi) continue;
    const int row = cy + dy;
    std::uint8_t* px = canvas.pixel(row, cx + lo);
    std::int16_t* cover = plane + static_cast<std::size_t>(row) * canvas.width + (cx + lo);
    const std::size_t cell = static_cast<std::size_t>(dy + kernel_.ry) * side + (lo + kernel_.rx);
    addBytesSaturating(px, light_.data() + cell * 3, (hi - lo + 1) * 3);
    addCoverSaturating(cover, cover_.data() + cell, hi - lo + 1);
    // Those cells added nothing above; each is one cell of this stamp, so summing it now
    // gives what summing it in its place would.
    for (int dx : exact_[dy + kernel_.ry])
      if (dx >= lo && dx <= hi)
        effects::addLightCell(px + (dx - lo) * 3, cover + (dx - lo), kernel_.cell(dy, dx));
  }
}

}  // namespace vornel
