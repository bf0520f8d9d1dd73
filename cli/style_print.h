// How the style and project verbs print what a file holds: one field per word, numbers
// in decimal, so a script can split the lines.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "render/effects/effect_record.h"

namespace vornel {

// "background MODE COLOUR BITMAP" (the bitmap left out when empty).
void printBackgroundLine(std::ostream& os, std::int32_t mode, std::uint32_t color,
                         const std::string& bitmap);
// "N KEYWORD P1 ... P12 TEXTURE" per effect, N from 0, parameters in record order, the
// texture left out when empty.
void printEffectLines(std::ostream& os, const std::vector<EffectRecord>& effects);

}  // namespace vornel
