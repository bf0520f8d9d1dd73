// Cutting text to the width of a fixed text field.
#pragma once

#include <cstddef>
#include <string>

namespace vornel {

// Length of the well-formed UTF-8 character that starts at s[i] (2 to 4 bytes: shortest
// form, no surrogate, at most U+10FFFF), or 0 when no multi-byte character starts there.
inline std::size_t utf8SequenceAt(const std::string& s, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4;
  if (length == 0 || i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k)
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  const unsigned char second = byte(i + 1);
  if (lead == 0xE0 && second < 0xA0) return 0;  // overlong
  if (lead == 0xED && second > 0x9F) return 0;  // a surrogate
  if (lead == 0xF0 && second < 0x90) return 0;  // overlong
  if (lead == 0xF4 && second > 0x8F) return 0;  // beyond U+10FFFF
  return length;
}

// Longest prefix of s that is at most maxBytes long and does not split a well-formed
// UTF-8 character. Only such a character is stepped back over: a name in another
// encoding (Latin-1, a code page), whose bytes UTF-8 would read as stray continuation
// bytes, keeps every byte that fits.
inline std::string cutUtf8(const std::string& s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  // A character split by the cut starts at most 3 bytes before it.
  for (std::size_t back = 1; back <= 3 && back <= maxBytes; ++back) {
    std::size_t start = maxBytes - back;
    if ((static_cast<unsigned char>(s[start]) & 0xC0) != 0x80) {
      if (utf8SequenceAt(s, start) > back) return s.substr(0, start);
      break;
    }
  }
  return s.substr(0, maxBytes);
}

}  // namespace vornel
