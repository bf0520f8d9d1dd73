// A packed device-independent bitmap in one owned byte block: a 40-byte information
// header (or a 12-byte core header when read from a file), a colour table, then the
// pixel rows bottom row first, each padded to 4 bytes. The BMP writer stores the block
// exactly as it is held here, so the layout is binding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vornel {

struct PaletteColor {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const PaletteColor&) const = default;
};

// A picture as a plain top-down RGB array, for drawing by the user interface.
struct RgbPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, red, green, blue, top row first
};

class DibImage {
 public:
  // Creates a zero-filled block for a width x height picture. Only 24 and 8 bits are
  // used by the system, and 32 for a picture that keeps its coverage (blue, green, red,
  // alpha; the colour straight, not weighted by alpha). For 8 bits, `colours` (when
  // given) is 256 byte triples in the order blue, green, red; without it the table is a
  // grey ramp. The caller releases a previous block first. Returns 1, or 0 when the
  // block cannot be had.
  int create(int width, int height, int bitsPerPixel, const std::uint8_t* colours = nullptr);
  void release();
  // The header's bits-per-pixel field, or -1 when there is no block.
  int bitsPerPixel() const;
  void copyFrom(const DibImage& other);
  // Reads width and height back from the header; with buildPalette also rebuilds the
  // palette. Returns 0 when a palette was asked for and the picture has no colour table.
  int refreshFromBlock(bool buildPalette);
  int buildPalette();
  // Mirrors the picture top to bottom (24-bit pictures).
  void flipRows();

  bool empty() const { return block_.empty(); }
  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<PaletteColor>& palette() const { return palette_; }
  bool hasPalette() const { return !palette_.empty(); }

  std::vector<std::uint8_t>& block() { return block_; }
  const std::vector<std::uint8_t>& block() const { return block_; }

  // Derived layout of the block; all 0 when there is no usable header.
  std::uint32_t headerSize() const;
  int colorCount() const;
  std::size_t colorTableBytes() const;
  std::size_t pixelOffset() const { return headerSize() + colorTableBytes(); }
  std::size_t rowBytes() const;
  // True when the header is one we understand and every row lies inside the block.
  bool rowsInsideBlock() const;

  // The picture as top-down RGB (24, 8 and 32 bits, the last laid over white); empty
  // when the block is unusable.
  RgbPicture toRgb() const;

 private:
  std::vector<std::uint8_t> block_;
  int width_ = 1;
  int height_ = 1;
  std::vector<PaletteColor> palette_;
};

// Row row-start table of a DibImage, top row first (entry 0 is the last row in memory).
// A block whose rows do not all lie inside it yields no rows at all.
class DibRowAccess {
 public:
  explicit DibRowAccess(DibImage& image);
  int rowCount() const { return static_cast<int>(rows_.size()); }
  std::uint8_t* operator[](int row) const { return rows_[static_cast<std::size_t>(row)]; }
  std::uint32_t* wordRow(int row) const {
    return reinterpret_cast<std::uint32_t*>(rows_[static_cast<std::size_t>(row)]);
  }

 private:
  std::vector<std::uint8_t*> rows_;
};

// Converts an 8-bit picture to 24 bits through its colour table (textures and
// backgrounds are used as 24-bit pictures). A 24-bit picture is left as it is.
// Returns 1 on success, 0 for other depths or an unusable block.
int convertTo24Bits(DibImage& image);

// Row length in bytes of a picture of the given width and depth, padded to 4 bytes.
inline std::size_t dibRowBytes(std::int64_t width, int bitsPerPixel) {
  return static_cast<std::size_t>(((width * bitsPerPixel + 31) / 32) * 4);
}

}  // namespace vornel
