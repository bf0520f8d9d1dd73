#include "render/compose.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/memory.h"
#include "render/pixel_rows.h"

namespace vornel {

namespace {

bool layerUsable(const LayerImage& layer) {
  if (layer.width <= 0 || layer.height <= 0) return false;
  std::size_t n = static_cast<std::size_t>(layer.width) * static_cast<std::size_t>(layer.height);
  return layer.alpha.size() == n && layer.pixels.size() == n * 3;
}

struct ClipRect {
  int left, top, right, bottom;  // output columns left ... right - 1, rows top ... bottom - 1
  bool empty() const { return left >= right || top >= bottom; }
};

ClipRect clipLayer(int outW, int outH, const LayerImage& layer, int ox, int oy) {
  // In 64 bits: a stored position far off the picture must not wrap around.
  auto lo = [](long long a) { return static_cast<int>(std::max(a, 0LL)); };
  auto hi = [](long long limit, long long end) {
    return static_cast<int>(std::max(0LL, std::min(limit, end)));
  };
  return {lo(ox), lo(oy), hi(outW, static_cast<long long>(ox) + layer.width),
          hi(outH, static_cast<long long>(oy) + layer.height)};
}

// One row: o = min(255, l + ((o * (255 - a)) >> 8)) per channel. The layer colour is
// already weighted by its coverage; only the background underneath is scaled, by a
// shift, so 254 lets 1/256 of it through (and a full coverage leaves l itself).
void blendRow(std::uint8_t* out, const std::uint8_t* layerPixels, const std::uint8_t* alpha, int n,
              std::vector<std::uint8_t>& rest) {
  const int bytes = 3 * n;
  rest.resize(static_cast<std::size_t>(bytes));
  for (int i = 0; i < n; ++i)
    rest[3 * i] = rest[3 * i + 1] = rest[3 * i + 2] = static_cast<std::uint8_t>(255 - alpha[i]);
  int j = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; j + 16 <= bytes; j += 16) {
    const __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(out + j));
    const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(layerPixels + j));
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rest.data() + j));
    const auto half = [&](__m128i oo, __m128i vv, __m128i ll) {
      return _mm_add_epi16(ll, _mm_srli_epi16(_mm_mullo_epi16(oo, vv), 8));
    };
    const __m128i lo =
        half(_mm_unpacklo_epi8(o, zero), _mm_unpacklo_epi8(v, zero), _mm_unpacklo_epi8(l, zero));
    const __m128i hi =
        half(_mm_unpackhi_epi8(o, zero), _mm_unpackhi_epi8(v, zero), _mm_unpackhi_epi8(l, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j), _mm_packus_epi16(lo, hi));
  }
#endif
  for (; j < bytes; ++j)
    out[j] = static_cast<std::uint8_t>(std::min(255, layerPixels[j] + ((out[j] * rest[j]) >> 8)));
}

void blendPixels(const DibRowAccess& rows, const LayerImage& layer, int ox, int oy,
                 const ClipRect& r) {
  std::vector<std::uint8_t> rest;
  for (int row = r.top; row < r.bottom; ++row) {
    const std::size_t first =
        static_cast<std::size_t>(row - oy) * layer.width + static_cast<std::size_t>(r.left - ox);
    blendRow(rows[row] + static_cast<std::size_t>(r.left) * 3, &layer.pixels[first * 3],
             &layer.alpha[first], r.right - r.left, rest);
  }
}

// edge[i] for the n pixels from mid[0]: whether the coverage differs from its four
// neighbours' by 128 or more in all.
void markEdges(const std::uint8_t* up, const std::uint8_t* mid, const std::uint8_t* down, int n,
               std::uint8_t* edge) {
  int i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128(), limit = _mm_set1_epi16(127);
  const auto gap = [](__m128i a, __m128i b) {
    return _mm_or_si128(_mm_subs_epu8(a, b), _mm_subs_epu8(b, a));
  };
  for (; i + 16 <= n; i += 16) {
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(mid + i));
    const __m128i g[4] = {gap(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(up + i))),
                          gap(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(down + i))),
                          gap(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(mid + i - 1))),
                          gap(d, _mm_loadu_si128(reinterpret_cast<const __m128i*>(mid + i + 1)))};
    __m128i lo = zero, hi = zero;
    for (const __m128i& x : g) {
      lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(x, zero));
      hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(x, zero));
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(edge + i),
                     _mm_packs_epi16(_mm_cmpgt_epi16(lo, limit), _mm_cmpgt_epi16(hi, limit)));
  }
#endif
  for (; i < n; ++i) {
    const int d = mid[i];
    edge[i] = std::abs(d - up[i]) + std::abs(d - down[i]) + std::abs(d - mid[i - 1]) +
                          std::abs(d - mid[i + 1]) >=
                      128
                  ? 1
                  : 0;
  }
}

void smoothEdges(DibImage& output, const DibRowAccess& rows, const LayerImage& layer, int ox,
                 int oy, const ClipRect& r) {
  if (r.right - r.left < 3 || r.bottom - r.top < 3) return;
  // Neighbours are read from a copy, so a softened pixel never feeds the next one.
  std::vector<std::uint8_t> copyBlock = output.block();
  const std::uint8_t* base = output.block().data();
  auto copyRow = [&](int row) { return copyBlock.data() + (rows[row] - base); };
  auto alphaRow = [&](int row) {
    return &layer.alpha[static_cast<std::size_t>(row - oy) * layer.width + (r.left + 1 - ox)];
  };
  const int n = r.right - r.left - 2;
  std::vector<std::uint8_t> edge(static_cast<std::size_t>(n));
  for (int row = r.top + 1; row < r.bottom - 1; ++row) {
    markEdges(alphaRow(row - 1), alphaRow(row), alphaRow(row + 1), n, edge.data());
    const std::uint8_t* up = copyRow(row - 1);
    const std::uint8_t* mid = copyRow(row);
    const std::uint8_t* down = copyRow(row + 1);
    std::uint8_t* out = rows[row];
    for (int i = 0; i < n; ++i) {
      if (!edge[static_cast<std::size_t>(i)]) continue;
      std::size_t c = static_cast<std::size_t>(r.left + 1 + i) * 3;
      for (int k = 0; k < 3; ++k) {
        int sum = (up[c + k] >> 2) + (mid[c - 3 + k] >> 2) + (down[c + k] >> 2) +
                  (mid[c + 3 + k] >> 2) + mid[c + k];
        out[c + k] = static_cast<std::uint8_t>(sum >> 1);
      }
    }
  }
}

// Rounded x / 255 for x of at most 255 * 255.
int div255(int x) {
  return (x + 127) / 255;
}

bool onLayerEdge(const LayerImage& layer, int col, int row, int ox, int oy) {
  auto alphaAt = [&](int c, int r) {
    return static_cast<int>(layer.alpha[static_cast<std::size_t>(r - oy) * layer.width + (c - ox)]);
  };
  int d = alphaAt(col, row);
  return std::abs(d - alphaAt(col, row - 1)) + std::abs(d - alphaAt(col, row + 1)) +
             std::abs(d - alphaAt(col - 1, row)) + std::abs(d - alphaAt(col + 1, row)) >=
         128;
}

void blendKeepingAlpha(LayerImage& under, const LayerImage& layer, int ox, int oy,
                       const ClipRect& r) {
  for (int row = r.top; row < r.bottom; ++row) {
    for (int col = r.left; col < r.right; ++col) {
      std::size_t i = static_cast<std::size_t>(row - oy) * layer.width + (col - ox);
      std::size_t o = static_cast<std::size_t>(row) * under.width + col;
      int a = layer.alpha[i];
      const std::uint8_t* l = &layer.pixels[i * 3];
      std::uint8_t* c = &under.pixels[o * 3];
      for (int k = 0; k < 3; ++k)
        c[k] = a == 255 ? l[k]
                        : static_cast<std::uint8_t>(std::min(255, l[k] + div255(c[k] * (255 - a))));
      under.alpha[o] =
          static_cast<std::uint8_t>(a == 255 ? 255 : a + div255(under.alpha[o] * (255 - a)));
    }
  }
}

// The softening of smoothEdges, which is a weighted mean: applied alike to colour and
// coverage it commutes with laying the picture over a page. Rounded rather than
// shifted per term, so that a covered neighbourhood stays at alpha 255.
void smoothKeepingAlpha(LayerImage& under, const LayerImage& layer, int ox, int oy,
                        const ClipRect& r) {
  if (r.right - r.left < 3 || r.bottom - r.top < 3) return;
  const LayerImage copy = under;
  const std::size_t w = static_cast<std::size_t>(under.width);
  auto soften = [](const std::uint8_t* p, std::size_t at, std::size_t stride, std::size_t step) {
    int sum = p[at - stride] + p[at + stride] + p[at - step] + p[at + step] + 4 * p[at];
    return static_cast<std::uint8_t>((sum + 4) >> 3);
  };
  for (int row = r.top + 1; row < r.bottom - 1; ++row) {
    for (int col = r.left + 1; col < r.right - 1; ++col) {
      if (!onLayerEdge(layer, col, row, ox, oy)) continue;
      std::size_t o = static_cast<std::size_t>(row) * w + col;
      for (std::size_t k = 0; k < 3; ++k)
        under.pixels[o * 3 + k] = soften(copy.pixels.data(), o * 3 + k, w * 3, 3);
      under.alpha[o] = soften(copy.alpha.data(), o, w, 1);
    }
  }
}

}  // namespace

void createFilledOutput(DibImage& image, int width, int height, std::uint32_t colorRef) {
  image.release();
  if (!image.create(std::max(width, 0), std::max(height, 0), 24)) throw std::bad_alloc();
  DibRowAccess rows(image);
  std::uint8_t bgr[3] = {colorChannel(colorRef, 0), colorChannel(colorRef, 1),
                         colorChannel(colorRef, 2)};
  for (int row = 0; row < rows.rowCount(); ++row)
    for (int col = 0; col < image.width(); ++col)
      std::memcpy(rows[row] + static_cast<std::size_t>(col) * 3, bgr, 3);
}

void compositeLayer(DibImage& output, const LayerImage& layer, int ox, int oy, bool smooth) {
  if (!layerUsable(layer) || output.bitsPerPixel() != 24) return;
  DibRowAccess rows(output);
  if (rows.rowCount() != output.height()) return;
  ClipRect r = clipLayer(output.width(), output.height(), layer, ox, oy);
  if (r.empty()) return;
  blendPixels(rows, layer, ox, oy, r);
  if (smooth) smoothEdges(output, rows, layer, ox, oy, r);
}

void composeJob(VornelDocument& doc) {
  doc.outputStale = false;
  createFilledOutput(doc.outputImage, doc.outputWidth, doc.outputHeight,
                     doc.projectBackgroundColor);
  if (doc.pressedImage)
    createFilledOutput(doc.pressedOutputImage, doc.outputWidth, doc.outputHeight,
                       doc.projectBackgroundColor);
  const bool smooth = doc.prefs.antialiasing == 1;
  for (const LayerRecord& layer : doc.layers) {
    if (layer.kind == kLayerNone) continue;
    int ox = layer.x - doc.originX, oy = layer.y - doc.originY;
    compositeLayer(doc.outputImage, layer.image, ox, oy, smooth);
    if (doc.pressedImage)
      compositeLayer(doc.pressedOutputImage, layer.pressedImage, ox, oy, smooth);
  }
}

void compositeLayerKeepingAlpha(LayerImage& under, const LayerImage& layer, int ox, int oy,
                                bool smooth) {
  if (!layerUsable(layer) || !layerUsable(under)) return;
  ClipRect r = clipLayer(under.width, under.height, layer, ox, oy);
  if (r.empty()) return;
  blendKeepingAlpha(under, layer, ox, oy, r);
  if (smooth) smoothKeepingAlpha(under, layer, ox, oy, r);
}

void storeStraightAlpha(const LayerImage& composed, DibImage& image) {
  image.release();
  const int w = std::max(composed.width, 0), h = std::max(composed.height, 0);
  if (!image.create(w, h, 32)) throw std::bad_alloc();
  if (!layerUsable(composed)) return;
  DibRowAccess rows(image);
  for (int row = 0; row < rows.rowCount(); ++row) {
    std::uint8_t* out = rows[row];
    const std::size_t first = static_cast<std::size_t>(row) * w;
    for (int col = 0; col < w; ++col, out += 4) {
      const std::size_t i = first + col;
      const int a = composed.alpha[i];
      out[3] = static_cast<std::uint8_t>(a);
      if (a == 0) continue;
      for (int k = 0; k < 3; ++k)
        out[k] = static_cast<std::uint8_t>(
            std::min(255, (composed.pixels[i * 3 + k] * 255 + a / 2) / a));
    }
  }
}

namespace {

void composeOverNothing(const VornelDocument& doc, bool pressed, DibImage& image) {
  LayerImage composed;
  composed.width = std::max(doc.outputWidth, 0);
  composed.height = std::max(doc.outputHeight, 0);
  const std::size_t n = static_cast<std::size_t>(composed.width) * composed.height;
  composed.pixels = allocate<std::uint8_t>(n * 3);
  composed.alpha = allocate<std::uint8_t>(n);
  const bool smooth = doc.prefs.antialiasing == 1;
  for (const LayerRecord& layer : doc.layers) {
    if (layer.kind == kLayerNone) continue;
    compositeLayerKeepingAlpha(composed, pressed ? layer.pressedImage : layer.image,
                               layer.x - doc.originX, layer.y - doc.originY, smooth);
  }
  storeStraightAlpha(composed, image);
}

}  // namespace

void composeJobWithAlpha(VornelDocument& doc) {
  doc.outputStale = false;
  composeOverNothing(doc, false, doc.outputImage);
  if (doc.pressedImage) composeOverNothing(doc, true, doc.pressedOutputImage);
}

}  // namespace vornel
