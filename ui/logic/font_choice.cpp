#include "ui/logic/font_choice.h"

#include <algorithm>
#include <cstdlib>

namespace vornel {

FontChoice fontChoiceFor(const LogFont& font) {
  FontChoice choice;
  choice.family = font.faceName();
  const int pixels = std::min(std::abs(font.lfHeight), 1 << 20);
  // Points from pixels at 96 per inch, rounded to the nearest point as a dialog lists them.
  choice.pointSize = pixels == 0 ? 12 : std::max(1, (pixels * 72 + 48) / 96);
  choice.weight = font.lfWeight == 0 ? 400 : std::clamp<int>(font.lfWeight, 100, 900);
  choice.italic = font.lfItalic != 0;
  choice.underline = font.lfUnderline != 0;
  choice.strikeOut = font.lfStrikeOut != 0;
  return choice;
}

LogFont logFontFor(const FontChoice& choice, const LogFont& previous) {
  LogFont font = previous;
  const int points = std::clamp(choice.pointSize, 1, 1 << 16);
  font.lfHeight = -((points * 96 + 36) / 72);
  font.lfWidth = 0;
  font.lfWeight = std::clamp(choice.weight, 100, 900);
  font.lfItalic = choice.italic ? 1 : 0;
  font.lfUnderline = choice.underline ? 1 : 0;
  font.lfStrikeOut = choice.strikeOut ? 1 : 0;
  font.setFaceName(choice.family);
  return font;
}

}  // namespace vornel
