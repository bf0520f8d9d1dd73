// JPEG reader: any bytes must decode or fail cleanly with a reason. A decoded picture
// must have every row inside its block, and must code again (exercising the writer on
// whatever pixels the reader produced).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/jpeg_decoder.h"
#include "imageio/jpeg_encoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vornel::DibImage image;
  std::string reason;
  if (!vornel::decodeJpeg(image, data, size, &reason)) {
    if (reason.empty() || !image.empty()) __builtin_trap();
    return 0;
  }
  if (image.bitsPerPixel() != 24 || !image.rowsInsideBlock()) __builtin_trap();
  vornel::DibRowAccess rows(image);
  volatile std::uint32_t sum = 0;
  for (int y = 0; y < rows.rowCount(); ++y) sum = sum + rows[y][image.width() * 3 - 1];
  if (static_cast<std::size_t>(image.width()) * image.height() <= 65536) {
    std::vector<std::uint8_t> again;
    if (!vornel::encodeJpeg(image, again)) __builtin_trap();
    vornel::DibImage back;
    if (!vornel::decodeJpeg(back, again.data(), again.size())) __builtin_trap();
    if (back.width() != image.width() || back.height() != image.height()) __builtin_trap();
  }
  return 0;
}
