// GIF reader: any bytes must decode or fail cleanly; a decoded picture must be complete
// and convert to a DibImage whose rows can be read in full.
#include <cstddef>
#include <cstdint>
#include <string>

#include "imageio/gif_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vornel::GifPicture picture;
  std::string status;
  if (vornel::decodeGif(data, size, picture, &status)) {
    volatile std::uint32_t sum = 0;
    for (std::uint8_t v : picture.rgb) sum = sum + v;
    if (picture.rgb.size() != static_cast<std::size_t>(picture.width) * picture.height * 3)
      __builtin_trap();
  }
  vornel::DibImage image;
  if (vornel::decodeGifImage(image, data, size)) {
    vornel::RgbPicture rgb = image.toRgb();
    if (rgb.rgb.empty()) __builtin_trap();
  }
  return 0;
}
