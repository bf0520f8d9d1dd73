// Project reader: any bytes must read to three layers within their fields' widths.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/project_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vornel;
  VornelDocument doc;
  initializeDocument(doc);
  TextReader in(std::string_view(reinterpret_cast<const char*>(data), size));
  readProjectFrom(in, doc);
  if (doc.layers.size() != 3) std::abort();
  for (const LayerRecord& layer : doc.layers) {
    if (layer.text.size() > kMaxTextBytes || layer.effects.size() > kMaxEffects ||
        layer.font.faceName().size() >= kFaceNameSize)
      std::abort();
  }
  std::string text;
  writeProjectTo(text, doc);
  scaleExampleFonts(doc);
  return 0;
}
