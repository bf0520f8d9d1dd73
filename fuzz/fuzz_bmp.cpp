// BMP reader: any bytes must decode or fail cleanly, and a decoded picture's rows must
// be readable in full.
#include <cstddef>
#include <cstdint>

#include "imageio/bmp_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vornel::DibImage image;
  if (vornel::decodeBmp(image, data, size)) {
    vornel::RgbPicture rgb = image.toRgb();
    vornel::DibRowAccess rows(image);
    volatile std::uint32_t sum = 0;
    for (int y = 0; y < rows.rowCount(); ++y) sum = sum + rows[y][image.rowBytes() - 1];
    (void)rgb;
  }
  return 0;
}
