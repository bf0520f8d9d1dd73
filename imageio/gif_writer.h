// GIF89a writer for palette pictures: one image, a global colour table of 2^bits
// entries, a graphic control extension (always, transparency optional) and hashed LZW.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/dib_image.h"

namespace vornel {

// Hashed LZW of GIF: codes packed least significant bit first into data sub-blocks of
// at most 254 bytes, each preceded by its length.
class GifLzwEncoder {
 public:
  // initialBits: the width of the first codes, the minimum code size + 1.
  GifLzwEncoder(int initialBits, std::vector<std::uint8_t>& out);
  // Compresses all pixels and ends with the end code; the final partial sub-block is
  // written, the 0 terminator is not.
  void encode(const std::uint8_t* pixels, std::size_t count);

 private:
  static constexpr int kHashSize = 5003;
  static constexpr int kHashShift = 4;
  static constexpr int kMaxBits = 12;
  static constexpr int kMaxCodes = 1 << kMaxBits;

  void output(int code);
  void clearBlock();
  void byteOut(std::uint8_t b);
  void flushPacket();

  std::vector<std::uint8_t>& out_;
  int initialBits_;
  int bits_;
  int maxCode_;
  int clearCode_;
  int endCode_;
  int freeCode_;
  bool clearFlag_ = false;
  std::uint32_t accum_ = 0;
  int accumBits_ = 0;
  std::uint8_t packet_[256] = {};
  int packetCount_ = 0;
  std::vector<std::int32_t> keys_;
  std::vector<std::uint16_t> codes_;
};

// Builds a GIF file in `out` (appended). pixels: width x height index bytes, top row
// first; reds, greens, blues: 2^bits entries each. transparentIndex -1 for none.
// Returns false (status set) for an empty picture, a depth outside 1-8, or a pixel
// index beyond the colour table. status starts as "No Error".
bool encodeGif(const std::uint8_t* pixels, int width, int height, int backgroundIndex,
               int transparentIndex, int bits, const std::uint8_t* reds, const std::uint8_t* greens,
               const std::uint8_t* blues, std::vector<std::uint8_t>& out,
               std::string* status = nullptr);

// encodeGif, then the file written through a temporary file and a rename. On a file
// that cannot be written: false with "Can't open GIF for writing".
bool GIFWrite(const std::uint8_t* pixels, const std::string& fileName, int width, int height,
              int backgroundIndex, int transparentIndex, int bits, const std::uint8_t* reds,
              const std::uint8_t* greens, const std::uint8_t* blues, std::string* status = nullptr);

// An 8-bit picture with a palette as GIF bytes. A 24-bit picture (or any other depth)
// is refused with 0: it has to be reduced to a palette first.
int encodeGifImage(DibImage& image, int backgroundIndex, int transparentIndex, int bits,
                   std::vector<std::uint8_t>& out, std::string* reason = nullptr);
int saveGif(DibImage& image, const std::string& fileName, int backgroundIndex, int transparentIndex,
            int bits, std::string* reason = nullptr);

}  // namespace vornel
