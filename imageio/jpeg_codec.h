// What the JPEG encoder and decoder share: the working object with its Huffman table
// slots, the table parser, the zig-zag order and the cosine table both transforms use.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/byte_reader.h"

namespace vornel {

// Why a JPEG could not be read or written. One text per value: jpegStatusText.
enum class JpegStatus {
  Ok,
  NotJpeg,
  NoFrame,
  NoScan,
  BadMarker,
  BadSegmentLength,
  Progressive,
  ArithmeticCoded,
  Lossless,
  Hierarchical,
  ExtendedSequential,
  BadPrecision,
  FourComponents,
  BadComponentCount,
  BadDimensions,
  TooLarge,
  BadSampling,
  BadTableNumber,
  BadHuffmanTable,
  BadQuantTable,
  BadRestartInterval,
  DuplicateFrame,
  ScanBeforeFrame,
  ScanComponents,
  MissingHuffmanTable,
  MissingQuantTable,
  DataTooShort,
  CorruptHuffmanCode,
  CoefficientOverrun,
  MissingRestartMarker,
  TruncatedData,
  OutOfMemory,
  EmptyPicture,
  UnsupportedDepth,
};

const char* jpegStatusText(JpegStatus status);

// One Huffman table, built from the 16 code-length counts and the symbol list of a DHT
// entry the standard way (codes count up within a length and shift left by one bit for
// each step in length).
struct HuffmanSlot {
  bool defined = false;
  int count = 0;                           // number of symbols
  std::array<std::uint8_t, 256> symbol{};  // symbol values in file order
  std::array<std::uint8_t, 256> length{};  // code length of each symbol position
  std::array<std::uint16_t, 256> code{};   // code of each symbol position
  // Per code length 1..16: smallest and largest code (-1 when none) and the position of
  // its first symbol.
  std::array<std::int32_t, 17> minCode{};
  std::array<std::int32_t, 17> maxCode{};
  std::array<std::int32_t, 17> firstPos{};
  // Encoder lookup: position of each symbol value, or -1 when the table lacks it.
  std::array<std::int16_t, 256> positionOf{};
};

// The working object of one save or one load.
struct JpegCodec {
  static constexpr int kSlots = 20;  // class * 16 + table number: DC 0-3, AC 16-19

  int width = 0, height = 0;              // as given or as read from the frame
  int paddedWidth = 0, paddedHeight = 0;  // rounded up to whole MCUs
  std::array<HuffmanSlot, kSlots> slots{};
  std::array<std::array<std::uint8_t, 64>, 4> quant{};  // zig-zag order
  std::array<bool, 4> quantDefined{};

  // Parses the body of one DHT segment (everything after its length field) into the
  // slots. Stops at the end of the reader; rejects class or table numbers out of range,
  // symbol counts the segment cannot hold, and lengths whose codes overflow.
  JpegStatus parseHuffmanTables(ByteReader& segment);
};

// Natural position (row * 8 + column) -> zig-zag position, and its inverse.
extern const std::array<std::uint8_t, 64> kZigzagOfNatural;
extern const std::array<std::uint8_t, 64> kNaturalOfZigzag;
// cos((2n + 1) k pi / 16), rounded to four decimals: kCos4[k][n].
extern const double kCos4[8][8];
// The scale of the zero frequency in both transforms (1 / sqrt 2 to four decimals).
inline constexpr double kC0 = 0.7071;

}  // namespace vornel
