// Placeholder until the FreeType rasteriser lands: measures nothing and draws nothing.
#include "platform/text_raster.h"

namespace vornel {

struct TextRasterizer::Impl {};

TextRasterizer::TextRasterizer() : impl_(std::make_unique<Impl>()) {}
TextRasterizer::~TextRasterizer() = default;
TextExtent TextRasterizer::measure(const LogFont&, const std::string&) {
  return {};
}
void TextRasterizer::draw(const LogFont&, const std::string&, std::uint8_t*, int, int, int, int) {}
std::string TextRasterizer::resolvedFace() const {
  return "";
}
bool TextRasterizer::usedFallbackFace() const {
  return false;
}

}  // namespace vornel
