// Text rasterisation with FreeType and fontconfig, keeping the meaning of the LOGFONT
// fields: a negative lfHeight is the em height in pixels, a positive one the cell height
// (ascent + descent); lfWidth 0 is the face's natural width, otherwise the average
// character width (glyphs are stretched horizontally to it); lfWeight >= 600 is bold and
// lfItalic italic (the face's own bold or italic member, synthesised when it has none);
// lfUnderline and lfStrikeOut are drawn. Glyphs are bi-level: every pixel fully lit or
// untouched. Lines break only at the text's own '\n' and follow each other at the cell
// height. An ampersand is drawn as typed. Characters the face lacks come from a
// fontconfig fallback face.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/log_font.h"

namespace vornel {

struct TextExtent {
  int width = 0;   // the widest line's advance width
  int height = 0;  // number of lines times the cell height
};

class TextRasterizer {
 public:
  TextRasterizer();
  ~TextRasterizer();
  TextRasterizer(const TextRasterizer&) = delete;
  TextRasterizer& operator=(const TextRasterizer&) = delete;

  // The rectangle a top-left drawing of text from (0, 0) covers.
  TextExtent measure(const LogFont& font, const std::string& text);
  // Draws text in white (255, 255, 255) onto a top-down blue-green-red raster of
  // width x height pixels (rows of width * 3 bytes) with its top-left at (left, top),
  // clipped to the raster. Pixels outside the glyphs are left as they are.
  void draw(const LogFont& font, const std::string& text, std::uint8_t* bgr, int width, int height,
            int left, int top);
  // The face actually used for the last font asked for, and whether it differs from
  // the requested face name (the command line reports the fallback on stderr).
  std::string resolvedFace() const;
  bool usedFallbackFace() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vornel
