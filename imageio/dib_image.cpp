#include "imageio/dib_image.h"

#include <cstring>
#include <new>

#include "imageio/byte_reader.h"
#include "imageio/checked_math.h"

namespace vornel {

namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::size_t kPaletteBytes = 1024;  // 256 entries, whatever the depth

}  // namespace

int DibImage::create(int width, int height, int bits, const std::uint8_t* colours) {
  if (width < 0 || height < 0 || bits <= 0 || bits > 32) return 0;
  // The row length formula truncates (width * bits) / 8 before padding, as the
  // header's image size does for the depths the system creates.
  std::size_t rowLen = ((static_cast<std::size_t>(width) * bits) / 8 + 3) & ~std::size_t{3};
  std::size_t imageSize, total;
  if (!checkedMul(rowLen, static_cast<std::size_t>(height), &imageSize)) return 0;
  if (imageSize > kMaxPixels * 4) return 0;
  total = kInfoHeaderSize + (bits <= 8 ? kPaletteBytes : 0) + imageSize;
  std::vector<std::uint8_t> block;
  try {
    block.assign(total, 0);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  std::uint8_t* h = block.data();
  storeU32le(h + 0, kInfoHeaderSize);
  storeU32le(h + 4, static_cast<std::uint32_t>(width));
  storeU32le(h + 8, static_cast<std::uint32_t>(height));
  storeU16le(h + 12, 1);
  storeU16le(h + 14, static_cast<std::uint16_t>(bits));
  storeU32le(h + 20, static_cast<std::uint32_t>(imageSize));
  if (bits == 8) {
    storeU32le(h + 32, 256);
    std::uint8_t* table = h + kInfoHeaderSize;
    for (int i = 0; i < 256; ++i) {
      if (colours) {
        std::memcpy(table + i * 4, colours + i * 3, 3);
      } else {
        table[i * 4 + 0] = table[i * 4 + 1] = table[i * 4 + 2] = static_cast<std::uint8_t>(i);
      }
    }
  }
  block_ = std::move(block);
  refreshFromBlock(bits <= 8);
  return 1;
}

void DibImage::release() {
  block_.clear();
  block_.shrink_to_fit();
  palette_.clear();
}

std::uint32_t DibImage::headerSize() const {
  if (block_.size() < 4) return 0;
  std::uint32_t size = loadU32le(block_.data());
  if (size == kCoreHeaderSize) return block_.size() >= kCoreHeaderSize ? size : 0;
  if (size < kInfoHeaderSize || size > 256 || block_.size() < size) return 0;
  return size;
}

int DibImage::bitsPerPixel() const {
  if (block_.empty()) return -1;
  std::uint32_t hs = headerSize();
  if (hs == kCoreHeaderSize) return loadU16le(block_.data() + 10);
  if (hs == 0) return block_.size() >= 16 ? loadU16le(block_.data() + 14) : -1;
  return loadU16le(block_.data() + 14);
}

int DibImage::colorCount() const {
  std::uint32_t hs = headerSize();
  if (hs == 0) return 0;
  if (hs >= kInfoHeaderSize) {
    std::uint32_t used = loadU32le(block_.data() + 32) & 0xFFFF;
    if (used != 0) return static_cast<int>(used);
  }
  switch (bitsPerPixel()) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

std::size_t DibImage::colorTableBytes() const {
  std::uint32_t hs = headerSize();
  if (hs == 0) return 0;
  return static_cast<std::size_t>(colorCount()) * (hs == kCoreHeaderSize ? 3 : 4);
}

std::size_t DibImage::rowBytes() const {
  int bits = bitsPerPixel();
  if (bits <= 0 || width_ <= 0) return 0;
  return dibRowBytes(width_, bits);
}

bool DibImage::rowsInsideBlock() const {
  if (headerSize() == 0 || width_ < 0 || height_ < 0) return false;
  int bits = bitsPerPixel();
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  std::size_t rows, end;
  if (!checkedMul(rowBytes(), static_cast<std::size_t>(height_), &rows)) return false;
  if (!checkedAdd(pixelOffset(), rows, &end)) return false;
  return end <= block_.size();
}

int DibImage::refreshFromBlock(bool withPalette) {
  std::uint32_t hs = headerSize();
  if (hs == kCoreHeaderSize) {
    width_ = loadU16le(block_.data() + 4);
    height_ = loadU16le(block_.data() + 6);
  } else if (hs != 0) {
    width_ = loadI32le(block_.data() + 4);
    height_ = loadI32le(block_.data() + 8);
  }
  if (!withPalette) return 1;
  palette_.clear();
  return buildPalette();
}

int DibImage::buildPalette() {
  palette_.clear();
  int count = colorCount();
  if (block_.empty() || count == 0) return 0;
  std::size_t entry = headerSize() == kCoreHeaderSize ? 3 : 4;
  std::size_t start = headerSize();
  if (start + count * entry > block_.size()) return 0;
  palette_.resize(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = block_.data() + start + i * entry;
    palette_[static_cast<std::size_t>(i)] = PaletteColor{e[2], e[1], e[0]};
  }
  return 1;
}

void DibImage::copyFrom(const DibImage& other) {
  release();
  try {
    block_ = other.block_;
  } catch (const std::bad_alloc&) {
    block_.clear();
    return;
  }
  width_ = other.width_;
  height_ = other.height_;
  buildPalette();
}

void DibImage::flipRows() {
  DibRowAccess rows(*this);
  if (rows.rowCount() == 0) return;
  std::size_t n = static_cast<std::size_t>(width_) * 3;
  if (n > rowBytes()) n = rowBytes();
  std::vector<std::uint8_t> tmp(n);
  for (int i = 0; i < height_ / 2; ++i) {
    std::uint8_t* a = rows[i];
    std::uint8_t* b = rows[height_ - 1 - i];
    std::memcpy(tmp.data(), a, n);
    std::memcpy(a, b, n);
    std::memcpy(b, tmp.data(), n);
  }
}

RgbPicture DibImage::toRgb() const {
  RgbPicture out;
  int bits = bitsPerPixel();
  if ((bits != 24 && bits != 8 && bits != 32) || !rowsInsideBlock() || width_ <= 0 || height_ <= 0)
    return out;
  out.width = width_;
  out.height = height_;
  out.rgb.resize(static_cast<std::size_t>(width_) * height_ * 3);
  std::size_t stride = rowBytes();
  const std::uint8_t* base = block_.data() + pixelOffset();
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* src = base + stride * static_cast<std::size_t>(height_ - 1 - y);
    std::uint8_t* dst = out.rgb.data() + static_cast<std::size_t>(y) * width_ * 3;
    for (int x = 0; x < width_; ++x, dst += 3) {
      if (bits == 24) {
        dst[0] = src[x * 3 + 2];
        dst[1] = src[x * 3 + 1];
        dst[2] = src[x * 3 + 0];
      } else if (bits == 32) {
        // Over white, the page a picture with alpha is most often shown on.
        const std::uint8_t* p = src + x * 4;
        for (int k = 0; k < 3; ++k)
          dst[k] = static_cast<std::uint8_t>((p[2 - k] * p[3] + 255 * (255 - p[3]) + 127) / 255);
      } else {
        std::size_t index = src[x];
        PaletteColor c = index < palette_.size() ? palette_[index] : PaletteColor{};
        dst[0] = c.red;
        dst[1] = c.green;
        dst[2] = c.blue;
      }
    }
  }
  return out;
}

DibRowAccess::DibRowAccess(DibImage& image) {
  if (!image.rowsInsideBlock() || image.height() <= 0) return;
  std::uint8_t* base = image.block().data() + image.pixelOffset();
  std::size_t stride = image.rowBytes();
  int h = image.height();
  rows_.resize(static_cast<std::size_t>(h));
  for (int i = 0; i < h; ++i) rows_[static_cast<std::size_t>(i)] = base + stride * (h - 1 - i);
}

int convertTo24Bits(DibImage& image) {
  int bits = image.bitsPerPixel();
  if (bits == 24) return image.rowsInsideBlock() ? 1 : 0;
  if (bits != 8 || !image.rowsInsideBlock()) return 0;
  DibImage out;
  if (!out.create(image.width(), image.height(), 24)) return 0;
  DibRowAccess src(image);
  DibRowAccess dst(out);
  const auto& pal = image.palette();
  for (int y = 0; y < src.rowCount(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      std::size_t index = src[y][x];
      PaletteColor c = index < pal.size() ? pal[index] : PaletteColor{};
      dst[y][x * 3 + 0] = c.blue;
      dst[y][x * 3 + 1] = c.green;
      dst[y][x * 3 + 2] = c.red;
    }
  }
  image = std::move(out);
  return 1;
}

}  // namespace vornel
