#include "imageio/gif_reader.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "imageio/checked_math.h"
#include "imageio/file_bytes.h"

namespace vornel {

// ---------------------------------------------------------------------------
// LZW

bool GifLzwDecoder::start() {
  if (r_.atEnd()) return false;
  minCodeSize_ = r_.u8();
  // Literals must fit the 256-entry colour maps and a byte of the suffix table.
  if (minCodeSize_ < 1 || minCodeSize_ > 8) return false;
  clearCode_ = 1 << minCodeSize_;
  endCode_ = clearCode_ + 1;
  freeCode_ = clearCode_ + 2;
  codeSize_ = minCodeSize_ + 1;
  limit_ = 2 * clearCode_;
  oldCode_ = -1;
  return true;
}

// Codes run least significant bit first straight across the sub-blocks. Returns -1 at
// the empty block that ends the data or where the bytes run out.
int GifLzwDecoder::readCode() {
  while (accumBits_ < codeSize_) {
    if (dataDone_) return -1;
    if (blockLeft_ == 0) {
      if (r_.atEnd()) {
        dataDone_ = true;
        return -1;
      }
      blockLeft_ = r_.u8();
      if (blockLeft_ == 0) {
        dataDone_ = true;
        return -1;
      }
    }
    if (r_.atEnd()) {
      dataDone_ = true;
      return -1;
    }
    accum_ |= static_cast<std::uint32_t>(r_.u8()) << accumBits_;
    accumBits_ += 8;
    --blockLeft_;
  }
  int code = static_cast<int>(accum_ & ((1u << codeSize_) - 1));
  accum_ >>= codeSize_;
  accumBits_ -= codeSize_;
  return code;
}

int GifLzwDecoder::next() {
  if (sp_ > 0) return stack_[--sp_];
  // Each pass consumes a code, so a run of clear codes ends with the data.
  for (;;) {
    int code = readCode();
    if (code < 0) return kEnd;
    if (code == clearCode_) {
      codeSize_ = minCodeSize_ + 1;
      limit_ = 2 * clearCode_;
      freeCode_ = clearCode_ + 2;
      oldCode_ = -1;
      continue;
    }
    if (code == endCode_) {
      dataDone_ = true;
      return kEnd;
    }
    if (oldCode_ < 0) {
      // A literal must follow a clear (or begin the data).
      if (code >= clearCode_) return kError;
      oldCode_ = firstByte_ = code;
      return code;
    }
    if (code > freeCode_) return kError;
    int incoming = code;
    if (code == freeCode_) {
      // Not yet in the table: the previous string plus its own first byte.
      stack_[sp_++] = static_cast<std::uint8_t>(firstByte_);
      code = oldCode_;
    }
    // Table entries only ever point to lower codes, so the chain ends at a literal;
    // the stack bound is a second guard.
    while (code >= clearCode_) {
      if (sp_ >= kTableSize) return kError;
      stack_[sp_++] = suffix_[code];
      code = prefix_[code];
    }
    firstByte_ = code;
    stack_[sp_++] = static_cast<std::uint8_t>(code);
    if (freeCode_ < kTableSize) {
      prefix_[freeCode_] = static_cast<std::uint16_t>(oldCode_);
      suffix_[freeCode_] = static_cast<std::uint8_t>(firstByte_);
      ++freeCode_;
      if (freeCode_ >= limit_ && limit_ < kTableSize) {
        limit_ *= 2;
        ++codeSize_;
      }
    }
    oldCode_ = incoming;
    return stack_[--sp_];
  }
}

// ---------------------------------------------------------------------------
// File structure

namespace {

bool fail(std::string* status, const std::string& text) {
  if (status) *status = text;
  return false;
}

struct ColorMap {
  std::uint8_t red[256] = {}, green[256] = {}, blue[256] = {};
};

bool readColorMap(ByteReader& r, int count, ColorMap& map) {
  if (r.remaining() < static_cast<std::size_t>(count) * 3) return false;
  for (int i = 0; i < count; ++i) {
    map.red[i] = r.u8();
    map.green[i] = r.u8();
    map.blue[i] = r.u8();
  }
  return true;
}

void skipDataBlocks(ByteReader& r) {
  while (!r.atEnd()) {
    std::uint8_t n = r.u8();
    if (n == 0) break;
    r.skip(n);
  }
}

void readExtension(ByteReader& r, int label, GifInfo& info) {
  if (label == 0xF9 && !r.atEnd()) {
    std::uint8_t n = r.u8();
    if (n == 0) return;
    std::uint8_t block[255] = {};
    r.bytes(block, n);
    if (n >= 4) {
      info.disposal = (block[0] >> 2) & 7;
      info.inputFlag = (block[0] >> 1) & 1;
      info.transparent = (block[0] & 1) ? block[3] : -1;
      info.delay = block[1] | (block[2] << 8);
    }
  }
  skipDataBlocks(r);
}

// The most pixels `bytes` of LZW data could produce: each code takes at least
// `codeBits` bits, and after a clear the i-th code stands for at most i bytes (never more
// than 4096).
std::size_t pixelsDataCouldHold(std::size_t bytes, int codeBits) {
  std::size_t bits, codes, most;
  if (!checkedMul(bytes, 8, &bits)) return SIZE_MAX;
  codes = bits / static_cast<std::size_t>(codeBits);
  if (codes < 4096) return codes * (codes + 1) / 2;
  return checkedMul(codes, 4096, &most) ? most : SIZE_MAX;
}

// Pictures up to this size are allocated without asking the data, so a small truncated
// file still shows the part that arrived. Larger ones need data that could fill them.
constexpr std::size_t kUncheckedPixels = std::size_t{1} << 16;

// Steps the row order of an interlaced image: rows 0, 8, 16, ...; 4, 12, ...; 2, 6, ...;
// then the odd rows.
struct RowOrder {
  bool interlaced;
  int height;
  int pass = 0;
  int row = 0;
  bool advance() {
    if (!interlaced) return ++row < height;
    static constexpr int kStart[4] = {0, 4, 2, 1};
    static constexpr int kStep[4] = {8, 8, 4, 2};
    row += kStep[pass];
    while (row >= height && pass < 3) row = kStart[++pass];
    return row < height;
  }
};

bool readImage(ByteReader& r, int width, int height, bool interlaced, const ColorMap& map,
               std::vector<std::uint8_t>& rgb) {
  GifLzwDecoder decoder(r);
  if (!decoder.start()) return false;
  std::size_t w = static_cast<std::size_t>(width);
  RowOrder order{interlaced, height};
  int x = 0;
  bool complete = false;
  for (;;) {
    int v = decoder.next();
    if (v == GifLzwDecoder::kError) return false;
    if (v == GifLzwDecoder::kEnd) break;  // data ended early: the rest keeps colour 0
    std::uint8_t* p = rgb.data() + (static_cast<std::size_t>(order.row) * w + x) * 3;
    p[0] = map.red[v];
    p[1] = map.green[v];
    p[2] = map.blue[v];
    if (++x == width) {
      x = 0;
      if (!order.advance()) {
        complete = true;
        break;
      }
    }
  }
  if (complete) decoder.next();  // the value after the last pixel is read and dropped
  return true;
}

}  // namespace

bool decodeGif(const std::uint8_t* data, std::size_t size, GifPicture& out, std::string* status,
               const std::string& name, GifInfo* infoOut) {
  if (status) *status = "No Error";
  ByteReader r(data, size);
  GifInfo info;
  ColorMap global;

  if (size < 6) return fail(status, "Error reading GIF Magic #\n" + name);
  if (std::memcmp(data, "GIF", 3) != 0)
    return fail(status, "Error, " + name + " is not a valid .GIF file");
  if (std::memcmp(data + 3, "87a", 3) != 0 && std::memcmp(data + 3, "89a", 3) != 0)
    return fail(status, "Error, Bad GIF Version number");
  r.skip(6);

  if (r.remaining() < 7)
    return fail(status, "Error, failed to GIF read screen descriptor.\nGiving up");
  info.screenWidth = r.u16le();
  info.screenHeight = r.u16le();
  int flags = r.u8();
  info.colorMapSize = 2 << (flags & 7);
  info.colorResolution = ((flags >> 3) & 0x0E) + 1;
  info.background = r.u8();
  info.aspectRatio = r.u8();
  if ((flags & 0x80) && !readColorMap(r, info.colorMapSize, global))
    return fail(status, "Error reading GIF colormap");
  if (info.aspectRatio != 0 && info.aspectRatio != 49 && status)
    *status = "Non-square pixels in GIF image.\nIgnoring that fact...";

  // Every pass consumes at least one byte, so the loop ends with the data.
  for (;;) {
    if (r.atEnd()) return fail(status, "Unexpected EOF in GIF.\nGiving up");
    std::uint8_t introducer = r.u8();
    if (introducer == 0x21) {
      if (r.atEnd()) return fail(status, "Error on extension read.\nGiving up");
      readExtension(r, r.u8(), info);
      continue;
    }
    if (introducer != 0x2C) continue;

    if (r.remaining() < 9) return fail(status, "Error on dimension read\nGiving up");
    r.u16le();  // left and top: the image is taken on its own
    r.u16le();
    int width = r.u16le();
    int height = r.u16le();
    int imageFlags = r.u8();
    bool local = (imageFlags & 0x80) != 0;
    ColorMap localMap;
    if (local && !readColorMap(r, 1 << ((imageFlags & 7) + 1), localMap))
      return fail(status, "Error reading GIF colormap\nGiving up");
    const ColorMap& map = local ? localMap : global;

    if (width == 0 || height == 0) return fail(status, "Error, GIF image has no pixels");
    std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    // The first codes are one bit wider than the minimum code size that comes next; a bad
    // size fails later, so count it as the narrowest.
    int minCodeSize = r.atEnd() ? 1 : r.data()[r.pos()];
    int codeBits = minCodeSize >= 1 && minCodeSize <= 8 ? minCodeSize + 1 : 2;
    if (!pixelCountOk(width, height))
      return fail(status, "Error, GIF image is " + std::to_string(width) + " x " +
                              std::to_string(height) + " pixels; at most " +
                              std::to_string(kMaxDecodedPixels) + " can be read");
    if (pixels > kUncheckedPixels && pixels > pixelsDataCouldHold(r.remaining(), codeBits))
      return fail(status, "Error, GIF image too large for its data");
    std::vector<std::uint8_t> rgb;
    try {
      rgb.resize(pixels * 3);
    } catch (const std::bad_alloc&) {
      return fail(status, "Out of Memory in GIFRead");
    }
    for (std::size_t i = 0; i < pixels; ++i) {
      rgb[i * 3 + 0] = map.red[0];
      rgb[i * 3 + 1] = map.green[0];
      rgb[i * 3 + 2] = map.blue[0];
    }
    if (!readImage(r, width, height, (imageFlags & 0x40) != 0, map, rgb)) {
      return fail(status, local ? "Error reading GIF file\nLocalColorMap\nGiving up"
                                : "Error reading GIF file\nGIFScreen Colormap\nGiving up");
    }
    out.width = width;
    out.height = height;
    out.rgb = std::move(rgb);
    if (infoOut) *infoOut = info;
    return true;
  }
}

bool GIFRead(const std::string& fileName, GifPicture& out, std::string* status) {
  if (fileName.empty()) return fail(status, "No Name Given");
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(fileName, bytes, nullptr)) return fail(status, "Cant open GIF :\n" + fileName);
  return decodeGif(bytes.data(), bytes.size(), out, status, fileName);
}

namespace {

int toDibImage(const GifPicture& picture, DibImage& image, std::string* reason) {
  DibImage result;
  if (!result.create(picture.width, picture.height, 24)) {
    fail(reason, "Out of Memory in GIFRead");
    return 0;
  }
  DibRowAccess rows(result);
  std::size_t w = static_cast<std::size_t>(picture.width);
  for (int y = 0; y < rows.rowCount(); ++y) {
    const std::uint8_t* src = picture.rgb.data() + static_cast<std::size_t>(y) * w * 3;
    std::uint8_t* dst = rows[y];
    for (std::size_t x = 0; x < w; ++x) {
      dst[x * 3 + 0] = src[x * 3 + 2];
      dst[x * 3 + 1] = src[x * 3 + 1];
      dst[x * 3 + 2] = src[x * 3 + 0];
    }
  }
  image = std::move(result);
  return 1;
}

}  // namespace

std::string gifFailureReason(const std::string& status) {
  // The status texts run over up to three lines, and the one for bad image data names
  // the colour map it was decoded with; the reason names the fault itself.
  static const struct {
    const char* status;
    const char* reason;
  } kReasons[] = {
      {"Error, Bad GIF Version number", "not a GIF file (the version is neither 87a nor 89a)"},
      {"Error, failed to GIF read screen descriptor.\nGiving up",
       "truncated GIF file (in the screen descriptor)"},
      {"Error reading GIF colormap", "truncated GIF file (in the global colour map)"},
      {"Unexpected EOF in GIF.\nGiving up", "truncated GIF file (it ends before any image)"},
      {"Error on extension read.\nGiving up", "truncated GIF file (in an extension)"},
      {"Error on dimension read\nGiving up", "truncated GIF file (in the image descriptor)"},
      {"Error reading GIF colormap\nGiving up", "truncated GIF file (in a local colour map)"},
      {"Error, GIF image has no pixels", "the GIF image has no pixels (zero width or height)"},
      {"Error, GIF image too large for its data", "the GIF image is too large for its data"},
      {"Error reading GIF file\nGIFScreen Colormap\nGiving up",
       "corrupt GIF image data (a bad LZW code or code size)"},
      {"Error reading GIF file\nLocalColorMap\nGiving up",
       "corrupt GIF image data (a bad LZW code or code size)"},
      {"Out of Memory in GIFRead", "not enough memory for the picture"},
  };
  for (const auto& entry : kReasons)
    if (status == entry.status) return entry.reason;
  // These two quote the file name, which the caller names anyway.
  if (status.rfind("Error reading GIF Magic #", 0) == 0)
    return "not a GIF file (shorter than its signature)";
  const std::string notGif = " is not a valid .GIF file";
  if (status.size() >= notGif.size() &&
      status.compare(status.size() - notGif.size(), notGif.size(), notGif) == 0)
    return "not a GIF file (no GIF signature)";
  std::string line = status;
  for (char& c : line)
    if (c == '\n') c = ' ';
  return line;
}

int decodeGifImage(DibImage& image, const std::uint8_t* data, std::size_t size,
                   std::string* reason) {
  GifPicture picture;
  std::string status;
  if (!decodeGif(data, size, picture, &status)) return fail(reason, gifFailureReason(status));
  return toDibImage(picture, image, reason);
}

int loadGif(DibImage& image, const std::string& fileName, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(fileName, bytes, reason)) return 0;
  return decodeGifImage(image, bytes.data(), bytes.size(), reason);
}

}  // namespace vornel
