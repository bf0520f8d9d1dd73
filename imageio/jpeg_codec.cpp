#include "imageio/jpeg_codec.h"

namespace vornel {

namespace {

constexpr std::array<std::uint8_t, 64> invert(const std::array<std::uint8_t, 64>& table) {
  std::array<std::uint8_t, 64> out{};
  for (int i = 0; i < 64; ++i) out[table[i]] = static_cast<std::uint8_t>(i);
  return out;
}

}  // namespace

const std::array<std::uint8_t, 64> kZigzagOfNatural = {
    0,  1,  5,  6,  14, 15, 27, 28,  //
    2,  4,  7,  13, 16, 26, 29, 42,  //
    3,  8,  12, 17, 25, 30, 41, 43,  //
    9,  11, 18, 24, 31, 40, 44, 53,  //
    10, 19, 23, 32, 39, 45, 52, 54,  //
    20, 22, 33, 38, 46, 51, 55, 60,  //
    21, 34, 37, 47, 50, 56, 59, 61,  //
    35, 36, 48, 49, 57, 58, 62, 63,
};

const std::array<std::uint8_t, 64> kNaturalOfZigzag = invert(kZigzagOfNatural);

// Four decimals, not the exact cosines: both transforms use this table, and files
// written by this program are reproducible from it.
const double kCos4[8][8] = {
    {1.0000, 1.0000, 1.0000, 1.0000, 1.0000, 1.0000, 1.0000, 1.0000},
    {0.9808, 0.8315, 0.5556, 0.1951, -0.1951, -0.5556, -0.8315, -0.9808},
    {0.9239, 0.3827, -0.3827, -0.9239, -0.9239, -0.3827, 0.3827, 0.9239},
    {0.8315, -0.1951, -0.9808, -0.5556, 0.5556, 0.9808, 0.1951, -0.8315},
    {0.7071, -0.7071, -0.7071, 0.7071, 0.7071, -0.7071, -0.7071, 0.7071},
    {0.5556, -0.9808, 0.1951, 0.8315, -0.8315, -0.1951, 0.9808, -0.5556},
    {0.3827, -0.9239, 0.9239, -0.3827, -0.3827, 0.9239, -0.9239, 0.3827},
    {0.1951, -0.5556, 0.8315, -0.9808, 0.9808, -0.8315, 0.5556, -0.1951},
};

const char* jpegStatusText(JpegStatus status) {
  switch (status) {
    case JpegStatus::Ok:
      return "no error";
    case JpegStatus::NotJpeg:
      return "not a JPEG file (no start-of-image marker)";
    case JpegStatus::NoFrame:
      return "the JPEG file has no frame header";
    case JpegStatus::NoScan:
      return "the JPEG file has no image data";
    case JpegStatus::BadMarker:
      return "corrupt JPEG file (a marker was expected)";
    case JpegStatus::BadSegmentLength:
      return "corrupt JPEG file (a segment length does not fit its contents or the file)";
    case JpegStatus::Progressive:
      return "progressive JPEG files are not supported";
    case JpegStatus::ArithmeticCoded:
      return "arithmetic-coded JPEG files are not supported";
    case JpegStatus::Lossless:
      return "lossless JPEG files are not supported";
    case JpegStatus::Hierarchical:
      return "hierarchical JPEG files are not supported";
    case JpegStatus::ExtendedSequential:
      return "extended sequential JPEG files are not supported (baseline only)";
    case JpegStatus::BadPrecision:
      return "only 8-bit JPEG files are supported";
    case JpegStatus::FourComponents:
      return "four-component (CMYK) JPEG files are not supported";
    case JpegStatus::BadComponentCount:
      return "JPEG files must have one or three components";
    case JpegStatus::BadDimensions:
      return "bad JPEG picture size (zero width or height)";
    case JpegStatus::TooLarge:
      return "the JPEG picture is too large";
    case JpegStatus::BadSampling:
      return "unsupported JPEG sampling factors";
    case JpegStatus::BadTableNumber:
      return "corrupt JPEG file (table number out of range)";
    case JpegStatus::BadHuffmanTable:
      return "corrupt JPEG Huffman table";
    case JpegStatus::BadQuantTable:
      return "unsupported JPEG quantisation table (16-bit entries)";
    case JpegStatus::BadRestartInterval:
      return "corrupt JPEG restart interval segment";
    case JpegStatus::DuplicateFrame:
      return "the JPEG file has more than one frame header";
    case JpegStatus::ScanBeforeFrame:
      return "corrupt JPEG file (image data before the frame header)";
    case JpegStatus::ScanComponents:
      return "JPEG scans that do not hold every component in frame order are not supported";
    case JpegStatus::MissingHuffmanTable:
      return "corrupt JPEG file (a Huffman table is missing)";
    case JpegStatus::MissingQuantTable:
      return "corrupt JPEG file (a quantisation table is missing)";
    case JpegStatus::DataTooShort:
      return "the JPEG data is too short for the declared picture size";
    case JpegStatus::CorruptHuffmanCode:
      return "corrupt JPEG data (bad Huffman code)";
    case JpegStatus::CoefficientOverrun:
      return "corrupt JPEG data (coefficients past the end of a block)";
    case JpegStatus::MissingRestartMarker:
      return "corrupt JPEG data (a restart marker is missing)";
    case JpegStatus::TruncatedData:
      return "the JPEG data ends early (truncated file)";
    case JpegStatus::OutOfMemory:
      return "not enough memory for the picture";
    case JpegStatus::EmptyPicture:
      return "the picture is empty or larger than 65535 pixels across";
    case JpegStatus::UnsupportedDepth:
      return "only 24-bit and 8-bit pictures can be saved as JPEG";
  }
  return "unknown JPEG error";
}

JpegStatus JpegCodec::parseHuffmanTables(ByteReader& segment) {
  while (!segment.atEnd()) {
    std::uint8_t classAndNumber = segment.u8();
    int tableClass = classAndNumber >> 4, number = classAndNumber & 15;
    if (tableClass > 1 || number > 3) return JpegStatus::BadTableNumber;
    std::array<std::uint8_t, 17> counts{};
    int total = 0;
    for (int l = 1; l <= 16; ++l) {
      counts[l] = segment.u8();
      total += counts[l];
    }
    if (segment.truncated() || total > 256 || segment.remaining() < static_cast<std::size_t>(total))
      return JpegStatus::BadHuffmanTable;

    HuffmanSlot slot;
    slot.count = total;
    segment.bytes(slot.symbol.data(), static_cast<std::size_t>(total));
    std::int32_t code = 0;
    int pos = 0;
    for (int l = 1; l <= 16; ++l) {
      // All codes of one length must fit in that many bits, or the table describes an
      // impossible code and a decoder would loop through garbage.
      if (code + counts[l] > (1 << l)) return JpegStatus::BadHuffmanTable;
      slot.firstPos[l] = pos;
      slot.minCode[l] = code;
      slot.maxCode[l] = counts[l] ? code + counts[l] - 1 : -1;
      for (int i = 0; i < counts[l]; ++i, ++pos, ++code) {
        slot.length[pos] = static_cast<std::uint8_t>(l);
        slot.code[pos] = static_cast<std::uint16_t>(code);
      }
      code <<= 1;
    }
    slot.positionOf.fill(-1);
    for (int i = total - 1; i >= 0; --i)
      slot.positionOf[slot.symbol[i]] = static_cast<std::int16_t>(i);
    slot.defined = true;
    slots[tableClass * 16 + number] = slot;
  }
  return JpegStatus::Ok;
}

}  // namespace vornel
