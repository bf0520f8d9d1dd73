#include "imageio/png_file.h"

#include <png.h>

#include <cstring>
#include <new>

#include "imageio/checked_math.h"
#include "imageio/file_bytes.h"

namespace vornel {

// libpng reports errors by longjmp out of its callbacks. Its simplified interface
// (png_image_*) sets the jump point inside the library and returns 0 with the message
// in png_image::message, so no longjmp ever crosses a frame of ours and the C++ objects
// here are destroyed as usual.

namespace {

constexpr std::size_t kSignatureSize = 8;

// Deflate turns one compressed byte into at most 1032 bytes (258 bytes coded with a
// 1-bit length code and a 1-bit distance code), so the IDAT data bounds the rows it can
// fill. The slack covers a final block's codes, which a short file may end on.
constexpr std::size_t kMaxDeflateRatio = 1032;
constexpr std::size_t kInflateSlack = 1032;

int fail(std::string* reason, const std::string& text) {
  if (reason) *reason = text;
  return 0;
}

// One png_image with what libpng holds for it freed on every way out; freeing twice is
// harmless, as libpng clears its pointer.
struct PngImage {
  png_image image;
  PngImage() {
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
  }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;
  std::string message(const char* what) const {
    return std::string(what) + " (" + (image.message[0] ? image.message : "libpng failed") + ")";
  }
};

int encodeRows(const std::uint8_t* first, png_int_32 stride, int width, int height,
               std::uint32_t format, std::vector<std::uint8_t>& out, std::string* reason) {
  if (!pixelCountOk(width, height)) return fail(reason, "the picture is empty or too large");
  PngImage png;
  png.image.width = static_cast<png_uint_32>(width);
  png.image.height = static_cast<png_uint_32>(height);
  png.image.format = format;
  // The largest file libpng may produce: one pass, then cut to what was written.
  png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png.image);
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(size);
  } catch (const std::bad_alloc&) {
    return fail(reason, "out of memory coding the PNG file");
  }
  if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, first, stride, nullptr))
    return fail(reason, png.message("cannot code the PNG file"));
  out.insert(out.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
  return 1;
}

std::uint32_t loadU32be(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
         static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

// The IDAT bytes the file holds: its chunks walked from the signature to IEND or to
// where the data ends (a chunk cut short counts with what is there).
std::size_t idatBytes(const std::uint8_t* data, std::size_t size) {
  std::size_t pos = kSignatureSize, total = 0;
  // Every chunk takes at least its 12 bytes of length, type and CRC, so the walk ends.
  while (size - pos >= 12) {
    const std::size_t length = loadU32be(data + pos);
    const std::uint8_t* type = data + pos + 4;
    const std::size_t available = size - pos - 8;
    if (std::memcmp(type, "IDAT", 4) == 0) total += length < available ? length : available;
    if (std::memcmp(type, "IEND", 4) == 0 || length + 4 > available) break;
    pos += 12 + length;
  }
  return total;
}

// Whether the IDAT data could fill the rows the header declares. Only called once libpng
// has accepted the header, so IHDR is the first chunk and its fields are valid.
bool dataCouldFill(const std::uint8_t* data, std::size_t size, const png_image& image) {
  const int depth = data[24], colourType = data[25];
  const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
  std::size_t bits, rows, limit;
  if (!checkedMul(image.width, static_cast<std::size_t>(channels * depth), &bits)) return false;
  // Each row starts with its filter byte; interlaced files hold a little more, so this
  // is the least any file of this size needs.
  if (!checkedMul((bits + 7) / 8 + 1, image.height, &rows)) return false;
  if (!checkedMul(idatBytes(data, size), kMaxDeflateRatio, &limit)) return true;
  return rows <= limit + kInflateSlack;
}

// A DibImage's pixel rows as libpng takes them: the start of the pixels and a negative
// stride, which tells it that the rows lie bottom row first, padded to 4 bytes.
struct BottomUp {
  std::uint8_t* pixels;
  png_int_32 stride;  // in bytes, which are libpng's components at 8 bits
};
BottomUp bottomUp(const DibImage& image) {
  return {const_cast<std::uint8_t*>(image.block().data() + image.pixelOffset()),
          -static_cast<png_int_32>(image.rowBytes())};
}

}  // namespace

int encodePng(const DibImage& image, std::vector<std::uint8_t>& out, std::string* reason) {
  const int bits = image.bitsPerPixel();
  if (image.empty() || !image.rowsInsideBlock() || image.width() <= 0 || image.height() <= 0)
    return fail(reason, "the picture is empty or its rows lie outside it");
  if (bits == 32 || bits == 24) {
    const BottomUp rows = bottomUp(image);
    return encodeRows(rows.pixels, rows.stride, image.width(), image.height(),
                      bits == 32 ? PNG_FORMAT_BGRA : PNG_FORMAT_BGR, out, reason);
  }
  if (bits != 8) return fail(reason, "the picture is not of 8, 24 or 32 bits");
  RgbPicture rgb = image.toRgb();
  if (rgb.rgb.empty()) return fail(reason, "the picture has no colour table");
  return encodeRows(rgb.rgb.data(), 0, rgb.width, rgb.height, PNG_FORMAT_RGB, out, reason);
}

int savePng(const DibImage& image, const std::string& fileName, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!encodePng(image, bytes, reason)) return 0;
  return writeFileAtomically(fileName, bytes, reason) ? 1 : 0;
}

int decodePngWithAlpha(DibImage& image, const std::uint8_t* data, std::size_t size,
                       std::string* reason) {
  if (size < kSignatureSize || png_sig_cmp(data, 0, kSignatureSize) != 0)
    return fail(reason, "not a PNG file (no PNG signature)");
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, data, size))
    return fail(reason, png.message("bad PNG file"));
  if (!pixelCountOk(png.image.width, png.image.height))
    return fail(reason, "PNG image is " + std::to_string(png.image.width) + " x " +
                            std::to_string(png.image.height) + " pixels; at most " +
                            std::to_string(kMaxPixels) + " can be read");
  if (!dataCouldFill(data, size, png.image))
    return fail(reason, "PNG image data too short for its dimensions");
  png.image.format = PNG_FORMAT_BGRA;
  // Without the flag libpng takes 16-bit samples as linear light and brightens them.
  png.image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  DibImage result;
  if (!result.create(static_cast<int>(png.image.width), static_cast<int>(png.image.height), 32))
    return fail(reason, "out of memory reading the PNG file");
  const BottomUp rows = bottomUp(result);
  if (!png_image_finish_read(&png.image, nullptr, rows.pixels, rows.stride, nullptr))
    return fail(reason, png.message("bad PNG file"));
  image = std::move(result);
  return 1;
}

int decodePng(DibImage& image, const std::uint8_t* data, std::size_t size, std::string* reason) {
  DibImage withAlpha;
  if (!decodePngWithAlpha(withAlpha, data, size, reason)) return 0;
  DibImage result;
  if (!result.create(withAlpha.width(), withAlpha.height(), 24))
    return fail(reason, "out of memory reading the PNG file");
  DibRowAccess from(withAlpha), to(result);
  const int w = result.width();
  for (int y = 0; y < to.rowCount(); ++y) {
    const std::uint8_t* src = from[y];
    std::uint8_t* dst = to[y];
    for (int x = 0; x < w; ++x, src += 4, dst += 3)
      for (int k = 0; k < 3; ++k) dst[k] = static_cast<std::uint8_t>((src[k] * src[3] + 127) / 255);
  }
  image = std::move(result);
  return 1;
}

int loadPng(DibImage& image, const std::string& fileName, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(fileName, bytes, reason)) return 0;
  return decodePng(image, bytes.data(), bytes.size(), reason);
}

}  // namespace vornel
