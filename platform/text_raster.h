// Text rasterisation with FreeType and fontconfig, keeping the meaning of the LOGFONT
// fields: a negative lfHeight is the em height in pixels, a positive one the cell height
// (ascent + descent); lfWidth 0 is the face's natural width, otherwise the average
// character width (glyphs are stretched horizontally to it); lfWeight >= 600 is bold and
// lfItalic italic (the face's own bold or italic member, synthesised when it has none);
// lfUnderline and lfStrikeOut are drawn. Glyphs are bi-level: every pixel fully lit or
// untouched. Lines break only at the text's own line breaks ("\n", "\r\n" or "\r") and
// follow each other at the cell height. An ampersand is drawn as typed. Characters the
// face lacks come from a fontconfig fallback face.
//
// The average character width of a face is the letter-frequency weighted mean advance
// of 'a' ... 'z' and the space (the classic OS/2 xAvgCharWidth rule, which gives the
// metric-compatible faces the same average as the faces they stand in for); a face
// without those characters uses its OS/2 xAvgCharWidth.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/log_font.h"

namespace vornel {

struct TextExtent {
  int width = 0;   // the widest line's advance width (widened where its ink reaches past it)
  int height = 0;  // number of lines times the cell height
};

// Bounding box of lit pixels: columns left ... right - 1, rows top ... bottom - 1.
struct InkBounds {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool empty() const { return right <= left || bottom <= top; }
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
  // clipped to the rectangle from (left, top) to (width, height): ink left of or above
  // where the text starts (an italic j or f reaches left of it) is not drawn. Pixels
  // outside the glyphs are left as they are.
  void draw(const LogFont& font, const std::string& text, std::uint8_t* bgr, int width, int height,
            int left, int top);
  // The lit pixels that draw(font, text, raster, width, height, 0, 0) would write, as a
  // bounding box; needs no raster, so a huge measuring rectangle costs nothing.
  InkBounds inkBounds(const LogFont& font, const std::string& text, int width, int height);
  // The face actually used for the last font asked for, and whether it differs from
  // the requested face name (the command line reports the fallback on stderr).
  std::string resolvedFace() const;
  bool usedFallbackFace() const;
  // Text of a job drawn factor times larger: every font asked for is taken as factor
  // times the font it was scaled from, and drawn as that font's glyphs, hinted at its
  // size, enlarged factor times (outlines, advances, cell and ascent, decorations) and
  // rasterised on the finer grid. So letters keep the shape and place they have at scale
  // 1, only sharper. 1 (the start) draws every font as asked.
  void setLayoutGrid(int factor);
  // Keeps what fontconfig answers in this file from one run to the next
  // (platform/font_cache.h), so that a run the file can answer never loads fontconfig's
  // configuration. Empty (the start): fontconfig is asked in every run. Set it before
  // the first font is asked for.
  void setFontCacheFile(const std::string& path);
  // Whether fontconfig's configuration was loaded: not while the cache answered all.
  bool fontconfigLoaded() const;

 private:
  LogFont unscaledFont(const LogFont& font) const;

  struct Impl;
  class CacheSaver;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vornel
