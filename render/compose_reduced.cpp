// Palette reduction of the composed output, kept apart from the composition so that
// composing alone needs no colour reduction.
#include <cstring>
#include <new>
#include <vector>

#include "platform/memory.h"
#include "render/compose.h"
#include "render/engine.h"
#include "render/pixel_rows.h"

namespace vornel {

void reduceOutput(DibImage& image, int colours, ReduceMethod method, std::uint32_t backgroundColor,
                  MedianCutTables& tables) {
  const int w = image.width(), h = image.height();
  std::vector<std::uint8_t> indices =
      allocate<std::uint8_t>(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
  std::uint8_t palette[256 * 3] = {};
  if (w > 0 && h > 0) {
    DibRowAccess rows(image);
    std::vector<const std::uint8_t*> pixelRows(static_cast<std::size_t>(h));
    std::vector<std::uint8_t*> indexRows(static_cast<std::size_t>(h));
    for (int y = 0; y < h; ++y) {
      pixelRows[static_cast<std::size_t>(y)] = rows[y];
      indexRows[static_cast<std::size_t>(y)] = indices.data() + static_cast<std::size_t>(y) * w;
    }
    reduceColors(method, pixelRows.data(), indexRows.data(), w, h, colours, backgroundColor,
                 palette, tables);
  } else {
    // Nothing to count: the palette is the background colour alone.
    palette[0] = colorChannel(backgroundColor, 0);
    palette[1] = colorChannel(backgroundColor, 1);
    palette[2] = colorChannel(backgroundColor, 2);
  }
  image.release();
  if (!image.create(w, h, 8, palette)) throw std::bad_alloc();
  DibRowAccess out(image);
  for (int y = 0; y < out.rowCount(); ++y)
    std::memcpy(out[y], indices.data() + static_cast<std::size_t>(y) * w,
                static_cast<std::size_t>(w));
}

void composeJobReduced(Engine& engine, int colours) {
  VornelDocument& doc = engine.doc;
  composeJob(doc);
  const auto method =
      doc.prefs.reduceColorMethod == 0 ? ReduceMethod::Popularity : ReduceMethod::MedianCut;
  // The colour the output was filled with goes to entry 0: a transparent GIF marks
  // entry 0, so the background must be the colour that actually lies under the layers.
  const std::uint32_t background = doc.projectBackgroundColor;
  reduceOutput(doc.outputImage, colours, method, background, engine.reduceTables);
  if (doc.pressedImage)
    reduceOutput(doc.pressedOutputImage, colours, method, background, engine.reduceTables);
}

}  // namespace vornel
