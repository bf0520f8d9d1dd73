#include "cli/style_print.h"

#include <ostream>

namespace vornel {

void printBackgroundLine(std::ostream& os, std::int32_t mode, std::uint32_t color,
                         const std::string& bitmap) {
  os << "background " << mode << " " << color;
  if (!bitmap.empty()) os << " " << bitmap;
  os << "\n";
}

void printEffectLines(std::ostream& os, const std::vector<EffectRecord>& effects) {
  for (std::size_t i = 0; i < effects.size(); ++i) {
    const EffectRecord& r = effects[i];
    os << i << " " << (r.type >= 0 && r.type < kEffectTypeCount ? kEffectKeywords[r.type] : "?");
    for (int n = 1; n <= 12; ++n) os << " " << r.param(n);
    std::string texture = r.texture();
    if (!texture.empty()) os << " " << texture;
    os << "\n";
  }
}

}  // namespace vornel
