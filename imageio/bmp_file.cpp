#include "imageio/bmp_file.h"

#include <cstring>
#include <new>

#include "imageio/byte_reader.h"
#include "imageio/checked_math.h"
#include "imageio/file_bytes.h"

namespace vornel {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

int fail(std::string* reason, const char* text) {
  if (reason) *reason = text;
  return 0;
}

// Reverses the stored row order, turning a top-down file into the bottom-up form the
// rest of the program expects.
void reverseRows(DibImage& image) {
  std::size_t stride = image.rowBytes();
  std::uint8_t* base = image.block().data() + image.pixelOffset();
  std::vector<std::uint8_t> tmp(stride);
  for (int i = 0, j = image.height() - 1; i < j; ++i, --j) {
    std::memcpy(tmp.data(), base + stride * i, stride);
    std::memcpy(base + stride * i, base + stride * j, stride);
    std::memcpy(base + stride * j, tmp.data(), stride);
  }
}

}  // namespace

int encodeBmp(DibImage& image, std::vector<std::uint8_t>& out, std::string* reason) {
  if (image.empty() || image.headerSize() == 0) return fail(reason, "the picture is empty");
  std::uint8_t* h = image.block().data();
  std::uint32_t headerSize = image.headerSize();
  std::size_t imageSize;
  std::uint32_t compression = headerSize >= 40 ? loadU32le(h + 16) : 0;
  if (headerSize >= 40 && (compression == 1 || compression == 2)) {
    imageSize = loadU32le(h + 20);
  } else {
    imageSize =
        image.rowBytes() * static_cast<std::size_t>(image.height() < 0 ? 0 : image.height());
    if (headerSize >= 40) storeU32le(h + 20, static_cast<std::uint32_t>(imageSize));
  }
  std::size_t body = image.pixelOffset() + imageSize;
  if (body > image.block().size()) return fail(reason, "the picture's rows lie outside its block");
  std::size_t start = out.size();
  out.resize(start + kFileHeaderSize + body);
  std::uint8_t* f = out.data() + start;
  f[0] = 'B';
  f[1] = 'M';
  storeU32le(f + 2, static_cast<std::uint32_t>(kFileHeaderSize + body));
  storeU32le(f + 6, 0);
  storeU32le(f + 10, static_cast<std::uint32_t>(kFileHeaderSize + image.pixelOffset()));
  std::memcpy(f + kFileHeaderSize, image.block().data(), body);
  return 1;
}

int decodeBmp(DibImage& image, const std::uint8_t* data, std::size_t size, std::string* reason) {
  if (size < kFileHeaderSize) return fail(reason, "not a BMP file (too short)");
  if (data[0] != 'B' || data[1] != 'M') return fail(reason, "not a BMP file (no BM signature)");
  ByteReader r(data + kFileHeaderSize, size - kFileHeaderSize);
  std::uint32_t headerSize = r.u32le();
  if (r.truncated()) return fail(reason, "truncated BMP header");
  if (headerSize != 12 && (headerSize < 40 || headerSize > 256))
    return fail(reason, "unsupported BMP header size");
  if (size - kFileHeaderSize < headerSize) return fail(reason, "truncated BMP header");
  int bits;
  std::int64_t width, height;
  std::uint32_t compression = 0;
  if (headerSize == 12) {
    width = r.u16le();
    height = r.u16le();
    r.u16le();
    bits = r.u16le();
  } else {
    width = static_cast<std::int32_t>(r.u32le());
    height = static_cast<std::int32_t>(r.u32le());
    r.u16le();
    bits = r.u16le();
    compression = r.u32le();
  }
  if (compression != 0) return fail(reason, "compressed BMP files are not supported");
  if (bits != 8 && bits != 24) return fail(reason, "only 8-bit and 24-bit BMP files are supported");
  if (height < 0) height = -height;
  if (!pixelCountOk(width, height)) return fail(reason, "bad or oversized BMP dimensions");

  DibImage result;
  try {
    result.block().assign(data + kFileHeaderSize, data + size);
  } catch (const std::bad_alloc&) {
    return fail(reason, "not enough memory for the picture");
  }
  bool topDown = headerSize >= 40 && loadI32le(result.block().data() + 8) < 0;
  if (topDown) storeU32le(result.block().data() + 8, static_cast<std::uint32_t>(height));
  result.refreshFromBlock(false);
  if (!result.rowsInsideBlock()) return fail(reason, "truncated BMP file (rows missing)");
  if (topDown) reverseRows(result);
  result.refreshFromBlock(true);
  image = std::move(result);
  return 1;
}

int writeBmp(DibImage& image, const std::string& fileName, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!encodeBmp(image, bytes, reason)) return 0;
  return writeFileAtomically(fileName, bytes, reason) ? 1 : 0;
}

int readBmp(DibImage& image, const std::string& fileName, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(fileName, bytes, reason)) return 0;
  return decodeBmp(image, bytes.data(), bytes.size(), reason);
}

}  // namespace vornel
