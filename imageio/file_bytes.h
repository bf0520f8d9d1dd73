// Whole-file reading and crash-safe writing. Every writer of the program builds its
// file in memory and hands it here: the bytes go to a temporary file beside the target,
// which replaces the target only once everything was written, so a failed save never
// destroys what was there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vornel {

// Reads the whole file. Fails (with a reason) when it cannot be opened or read, or is
// larger than maxBytes.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::string* reason,
                   std::size_t maxBytes = std::size_t{1} << 31);

// Writes bytes to path through a temporary file and a rename.
bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                         std::string* reason);
inline bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                std::string* reason) {
  return writeFileAtomically(path, bytes.data(), bytes.size(), reason);
}
inline bool writeFileAtomically(const std::string& path, const std::string& text,
                                std::string* reason) {
  return writeFileAtomically(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                             reason);
}

bool fileExists(const std::string& path);
// Length of the file in bytes, or 0 when it cannot be opened.
std::uint64_t fileLength(const std::string& path);

}  // namespace vornel
