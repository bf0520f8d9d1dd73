// Style reader: any bytes must read to a working set within its limits, and what was
// read must write and read back to the same effects.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/style_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vornel;
  VornelDocument doc;
  initializeDocument(doc);
  TextReader in(std::string_view(reinterpret_cast<const char*>(data), size));
  readStyleFrom(in, doc);
  if (doc.ws.effects.size() > kMaxEffects || doc.ws.backgroundBitmap.size() > kMaxTextBytes)
    std::abort();
  std::string text;
  VornelDocument again = doc;
  writeStyleTo(text, again);
  TextReader back(text);
  readStyleFrom(back, again);
  if (again.ws.effects.size() != doc.ws.effects.size()) std::abort();
  for (std::size_t i = 0; i < doc.ws.effects.size(); ++i) {
    // Texture names with trailing blanks lose them; compare the rest of the record.
    if (doc.ws.effects[i].type != again.ws.effects[i].type ||
        std::memcmp(doc.ws.effects[i].p, again.ws.effects[i].p, sizeof doc.ws.effects[i].p))
      std::abort();
  }
  return 0;
}
