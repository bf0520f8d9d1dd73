// PNG reader: any bytes must decode or fail cleanly with a reason; a decoded picture's
// rows must be readable in full, and our writer must code it again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/png_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vornel::DibImage image;
  std::string reason;
  if (!vornel::decodePngWithAlpha(image, data, size, &reason)) {
    if (reason.empty() || !image.empty()) __builtin_trap();
    return 0;
  }
  if (image.bitsPerPixel() != 32 || image.width() <= 0 || image.height() <= 0) __builtin_trap();
  vornel::DibRowAccess rows(image);
  if (rows.rowCount() != image.height()) __builtin_trap();
  volatile std::uint32_t sum = 0;
  for (int y = 0; y < rows.rowCount(); ++y) sum = sum + rows[y][image.width() * 4 - 1];
  // Small pictures only: coding is slow next to reading, and the reader is the target.
  if (static_cast<std::size_t>(image.width()) * image.height() <= 4096) {
    std::vector<std::uint8_t> again;
    if (!vornel::encodePng(image, again, &reason)) __builtin_trap();
  }
  vornel::DibImage flat;
  if (!vornel::decodePng(flat, data, size, &reason) || flat.bitsPerPixel() != 24) __builtin_trap();
  return 0;
}
