#include "imageio/picture_bound.h"

#include <algorithm>

#include "imageio/budget.h"
#include "imageio/byte_reader.h"

namespace vornel {

namespace {

// The first image descriptor's size, found the way the GIF reader walks the blocks:
// extensions skipped sub-block by sub-block, any other byte passed over.
std::int64_t gifImagePixels(const std::uint8_t* data, std::size_t size) {
  if (size < 13 || data[0] != 'G' || data[1] != 'I' || data[2] != 'F') return 0;
  ByteReader r(data, size);
  r.skip(10);
  const int flags = r.u8();
  r.skip(2);
  if (flags & 0x80) r.skip(3 * (std::size_t{2} << (flags & 7)));
  while (!r.atEnd()) {
    const std::uint8_t introducer = r.u8();
    if (introducer == 0x21) {
      r.u8();  // the label
      for (std::uint8_t length = r.u8(); length != 0 && !r.atEnd(); length = r.u8()) r.skip(length);
    } else if (introducer == 0x2C) {
      r.skip(4);
      const std::int64_t width = r.u16le(), height = r.u16le();
      return width * height;
    }
  }
  return 0;
}

// The baseline frame's size, found the way the JPEG decoder walks the segments from the
// first FF D8 to the scan, padded to whole blocks of up to 32 x 32 pixels (sampling
// factors up to 4).
std::int64_t jpegFramePixels(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = 0;
  while (pos + 1 < size && !(data[pos] == 0xFF && data[pos + 1] == 0xD8)) ++pos;
  pos += 2;
  std::int64_t most = 0;
  while (pos < size && data[pos] == 0xFF) {
    while (pos < size && data[pos] == 0xFF) ++pos;
    if (pos + 2 >= size) break;
    const std::uint8_t marker = data[pos++];
    if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0x00 || marker == 0xD9 || marker == 0xDA) break;
    const std::size_t length = std::size_t{data[pos]} << 8 | data[pos + 1];
    if (length < 2 || length > size - pos) break;
    if (marker == 0xC0 && length >= 8) {
      const std::int64_t height = data[pos + 3] << 8 | data[pos + 4];
      const std::int64_t width = data[pos + 5] << 8 | data[pos + 6];
      most = std::max(most, (width + 31) * (height + 31));
    }
    pos += length;
  }
  return most;
}

}  // namespace

std::int64_t decodedPixelBound(const std::uint8_t* data, std::size_t size) {
  const std::int64_t most =
      std::max({static_cast<std::int64_t>(std::min<std::size_t>(size, kMaxDecodedPixels)),
                gifImagePixels(data, size), jpegFramePixels(data, size)});
  return std::min(most, kMaxDecodedPixels);
}

}  // namespace vornel
