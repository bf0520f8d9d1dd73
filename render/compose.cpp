#include "render/compose.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

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

void blendPixels(const DibRowAccess& rows, const LayerImage& layer, int ox, int oy,
                 const ClipRect& r) {
  for (int row = r.top; row < r.bottom; ++row) {
    std::uint8_t* out = rows[row];
    std::size_t layerRow = static_cast<std::size_t>(row - oy) * layer.width;
    for (int col = r.left; col < r.right; ++col) {
      std::size_t i = layerRow + static_cast<std::size_t>(col - ox);
      int a = layer.alpha[i];
      const std::uint8_t* l = &layer.pixels[i * 3];
      std::uint8_t* o = out + static_cast<std::size_t>(col) * 3;
      for (int k = 0; k < 3; ++k) {
        // The layer colour is already weighted by its coverage; only the background
        // underneath is scaled, by a shift, so 254 lets 1/256 of it through.
        o[k] = a == 255
                   ? l[k]
                   : static_cast<std::uint8_t>(std::min(255, l[k] + ((o[k] * (255 - a)) >> 8)));
      }
    }
  }
}

void smoothEdges(DibImage& output, const DibRowAccess& rows, const LayerImage& layer, int ox,
                 int oy, const ClipRect& r) {
  if (r.right - r.left < 3 || r.bottom - r.top < 3) return;
  // Neighbours are read from a copy, so a softened pixel never feeds the next one.
  std::vector<std::uint8_t> copyBlock = output.block();
  const std::uint8_t* base = output.block().data();
  auto copyRow = [&](int row) { return copyBlock.data() + (rows[row] - base); };
  auto alphaAt = [&](int col, int row) {
    return static_cast<int>(
        layer.alpha[static_cast<std::size_t>(row - oy) * layer.width + (col - ox)]);
  };
  for (int row = r.top + 1; row < r.bottom - 1; ++row) {
    const std::uint8_t* up = copyRow(row - 1);
    const std::uint8_t* mid = copyRow(row);
    const std::uint8_t* down = copyRow(row + 1);
    std::uint8_t* out = rows[row];
    for (int col = r.left + 1; col < r.right - 1; ++col) {
      int d = alphaAt(col, row);
      int diff = std::abs(d - alphaAt(col, row - 1)) + std::abs(d - alphaAt(col, row + 1)) +
                 std::abs(d - alphaAt(col - 1, row)) + std::abs(d - alphaAt(col + 1, row));
      if (diff < 128) continue;
      std::size_t c = static_cast<std::size_t>(col) * 3;
      for (int k = 0; k < 3; ++k) {
        int sum = (up[c + k] >> 2) + (mid[c - 3 + k] >> 2) + (down[c + k] >> 2) +
                  (mid[c + 3 + k] >> 2) + mid[c + k];
        out[c + k] = static_cast<std::uint8_t>(sum >> 1);
      }
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

}  // namespace vornel
