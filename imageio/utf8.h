// Cutting UTF-8 text to the width of a fixed text field.
#pragma once

#include <cstddef>
#include <string>

namespace vornel {

// Longest prefix of s that is at most maxBytes long and ends on a UTF-8 character boundary.
inline std::string cutUtf8(const std::string& s, std::size_t maxBytes) {
  if (s.size() <= maxBytes) return s;
  std::size_t n = maxBytes;
  // Step back over continuation bytes so a multi-byte character is never split.
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

}  // namespace vornel
