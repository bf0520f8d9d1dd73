// The font description of a layer, with the meanings of the Windows LOGFONT fields:
// a negative height is the em height in pixels, a positive one the cell height; width 0
// is the face's natural width, otherwise the average character width; weight >= 600 is
// bold.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace vornel {

inline constexpr int kFaceNameSize = 32;

struct LogFont {
  std::int32_t lfHeight = 0;
  std::int32_t lfWidth = 0;
  std::int32_t lfEscapement = 0;
  std::int32_t lfOrientation = 0;
  std::int32_t lfWeight = 0;
  std::uint8_t lfItalic = 0;
  std::uint8_t lfUnderline = 0;
  std::uint8_t lfStrikeOut = 0;
  std::uint8_t lfCharSet = 0;
  std::uint8_t lfOutPrecision = 0;
  std::uint8_t lfClipPrecision = 0;
  std::uint8_t lfQuality = 0;
  std::uint8_t lfPitchAndFamily = 0;
  char lfFaceName[kFaceNameSize] = {};

  std::string faceName() const {
    return std::string(lfFaceName, strnlen(lfFaceName, kFaceNameSize));
  }
  // Stores the name cut to 31 bytes on a UTF-8 character boundary.
  void setFaceName(const std::string& name);
  bool operator==(const LogFont& other) const {
    return std::memcmp(this, &other, sizeof *this) == 0;
  }
};
static_assert(sizeof(LogFont) == 60, "LogFont keeps the 60-byte layout");

}  // namespace vornel
