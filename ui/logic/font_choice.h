// Between the engine's LOGFONT fields and what a font dialog shows: a family, a size in
// points, weight and the three attributes. Sizes are converted at 96 pixels per inch,
// the resolution the LOGFONT heights of styles and examples were made for.
#pragma once

#include <string>

#include "platform/log_font.h"

namespace vornel {

struct FontChoice {
  std::string family;
  int pointSize = 15;
  int weight = 400;  // 100 ... 900, 400 normal, 700 bold
  bool italic = false, underline = false, strikeOut = false;
};

// The dialog's starting point for a font. A height of 0 starts at 12 points.
FontChoice fontChoiceFor(const LogFont& font);
// The font chosen: an em height of the point size at 96 pixels per inch (a negative
// lfHeight), the face's natural width (lfWidth 0), the rest of the fields kept from
// previous.
LogFont logFontFor(const FontChoice& choice, const LogFont& previous);

}  // namespace vornel
