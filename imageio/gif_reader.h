// GIF reader (GIF87a and GIF89a): the first image of a file as red-green-blue pixels,
// through the global or its own local colour map, interlaced or not. Extensions are
// read past; transparency and animation are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/byte_reader.h"
#include "imageio/dib_image.h"

namespace vornel {

// LZW decompression of one image's data sub-blocks, one index per call. The table and
// the output stack are fixed at 4096 entries; nothing recurses and every loop ends.
class GifLzwDecoder {
 public:
  static constexpr int kEnd = -2;    // end code, empty block or end of the data
  static constexpr int kError = -1;  // a code the table cannot hold, a bad code size

  explicit GifLzwDecoder(ByteReader& reader) : r_(reader) {}
  // Reads the minimum code size byte; false when it is missing or outside 1-8.
  bool start();
  // The next index (0-255), kEnd or kError.
  int next();

 private:
  static constexpr int kTableSize = 4096;
  int readCode();

  ByteReader& r_;
  int minCodeSize_ = 0;
  int codeSize_ = 0;
  int clearCode_ = 0;
  int endCode_ = 0;
  int freeCode_ = 0;
  int limit_ = 0;
  int oldCode_ = -1;  // -1 right after a clear: the next code is a literal
  int firstByte_ = 0;
  std::uint32_t accum_ = 0;
  int accumBits_ = 0;
  int blockLeft_ = 0;
  bool dataDone_ = false;
  std::uint16_t prefix_[kTableSize] = {};
  std::uint8_t suffix_[kTableSize] = {};
  std::uint8_t stack_[kTableSize + 2] = {};
  int sp_ = 0;
};

// What the file said besides the pixels; read and kept for the curious, never used.
struct GifInfo {
  int screenWidth = 0, screenHeight = 0;
  int colorMapSize = 0, colorResolution = 0, background = 0, aspectRatio = 0;
  int transparent = -1, delay = 0, inputFlag = 0, disposal = 0;
};

// The first image: width x height pixels of red, green, blue, top row first.
struct GifPicture {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

// Decodes GIF bytes. Returns false with the status text of the failure; `name` is the
// file name quoted in some of them. `out` is left untouched on failure. Data that ends
// before the last pixel is not a failure: the pixels not reached take colour 0 of the
// image's colour map. Each read starts with an all-black global map.
bool decodeGif(const std::uint8_t* data, std::size_t size, GifPicture& out,
               std::string* status = nullptr, const std::string& name = {},
               GifInfo* info = nullptr);
bool GIFRead(const std::string& fileName, GifPicture& out, std::string* status = nullptr);
// The one line a user reads for a failure's status text.
std::string gifFailureReason(const std::string& status);

// As a 24-bit DibImage; `image` is left as it was on failure, with a one-line reason
// (gifFailureReason of the status text, or why the file could not be read).
int decodeGifImage(DibImage& image, const std::uint8_t* data, std::size_t size,
                   std::string* reason = nullptr);
int loadGif(DibImage& image, const std::string& fileName, std::string* reason = nullptr);

}  // namespace vornel
