#include "imageio/gif_writer.h"

#include <algorithm>
#include <new>

#include "imageio/file_bytes.h"

namespace vornel {

namespace {

bool fail(std::string* status, const char* text) {
  if (status) *status = text;
  return false;
}

void putU16(std::vector<std::uint8_t>& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v & 0xFF));
  out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

}  // namespace

GifLzwEncoder::GifLzwEncoder(int initialBits, std::vector<std::uint8_t>& out)
    : out_(out),
      initialBits_(initialBits),
      bits_(initialBits),
      maxCode_((1 << initialBits) - 1),
      clearCode_(1 << (initialBits - 1)),
      endCode_(clearCode_ + 1),
      freeCode_(clearCode_ + 2),
      keys_(kHashSize, -1),
      codes_(kHashSize, 0) {}

void GifLzwEncoder::encode(const std::uint8_t* pixels, std::size_t count) {
  output(clearCode_);
  if (count == 0) {
    output(endCode_);
    return;
  }
  int prefix = pixels[0];
  for (std::size_t n = 1; n < count; ++n) {
    int c = pixels[n];
    std::int32_t key = (c << kMaxBits) + prefix;
    int i = (c << kHashShift) ^ prefix;
    if (keys_[i] == key) {
      prefix = codes_[i];
      continue;
    }
    if (keys_[i] >= 0) {
      // Secondary probe through the prime-sized table; it always meets an empty slot,
      // since at most 4096 of the 5003 slots are ever filled. A stored key of 0 (pixel
      // 0 after prefix 0) also ends the probe, which only costs a duplicate entry.
      int step = i == 0 ? 1 : kHashSize - i;
      bool found = false;
      do {
        i -= step;
        if (i < 0) i += kHashSize;
        if (keys_[i] == key) {
          found = true;
          break;
        }
      } while (keys_[i] > 0);
      if (found) {
        prefix = codes_[i];
        continue;
      }
    }
    output(prefix);
    if (freeCode_ < kMaxCodes) {
      codes_[i] = static_cast<std::uint16_t>(freeCode_++);
      keys_[i] = key;
    } else {
      clearBlock();
    }
    prefix = c;
  }
  output(prefix);
  output(endCode_);
}

void GifLzwEncoder::clearBlock() {
  std::fill(keys_.begin(), keys_.end(), -1);
  freeCode_ = clearCode_ + 2;
  clearFlag_ = true;
  output(clearCode_);
}

void GifLzwEncoder::output(int code) {
  accum_ &= (1u << accumBits_) - 1;
  accum_ |= static_cast<std::uint32_t>(code) << accumBits_;
  accumBits_ += bits_;
  while (accumBits_ >= 8) {
    byteOut(static_cast<std::uint8_t>(accum_ & 0xFF));
    accum_ >>= 8;
    accumBits_ -= 8;
  }
  // The width changes after the code that made the table outgrow it; the decoder, one
  // entry behind, grows its width at the same point in the stream.
  if (freeCode_ > maxCode_ || clearFlag_) {
    if (clearFlag_) {
      bits_ = initialBits_;
      maxCode_ = (1 << bits_) - 1;
      clearFlag_ = false;
    } else {
      ++bits_;
      maxCode_ = bits_ == kMaxBits ? kMaxCodes : (1 << bits_) - 1;
    }
  }
  if (code == endCode_) {
    while (accumBits_ > 0) {
      byteOut(static_cast<std::uint8_t>(accum_ & 0xFF));
      accum_ >>= 8;
      accumBits_ -= 8;
    }
    accumBits_ = 0;
    flushPacket();
  }
}

void GifLzwEncoder::byteOut(std::uint8_t b) {
  packet_[packetCount_++] = b;
  if (packetCount_ >= 254) flushPacket();
}

void GifLzwEncoder::flushPacket() {
  if (packetCount_ == 0) return;
  out_.push_back(static_cast<std::uint8_t>(packetCount_));
  out_.insert(out_.end(), packet_, packet_ + packetCount_);
  packetCount_ = 0;
}

bool encodeGif(const std::uint8_t* pixels, int width, int height, int backgroundIndex,
               int transparentIndex, int bits, const std::uint8_t* reds, const std::uint8_t* greens,
               const std::uint8_t* blues, std::vector<std::uint8_t>& out, std::string* status) {
  if (status) *status = "No Error";
  if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
    return fail(status, "GIF pictures must be 1 to 65535 pixels wide and high");
  if (bits < 1 || bits > 8) return fail(status, "GIF colour depth must be 1 to 8 bits");
  std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  int colours = 1 << bits;
  // A larger index would be coded as a string code of the LZW table and turn the
  // picture into garbage for every reader.
  if (std::any_of(pixels, pixels + count, [&](std::uint8_t p) { return p >= colours; }))
    return fail(status, "GIF pixel index beyond the colour table");

  try {
    std::vector<std::uint8_t> file;
    file.reserve(13 + 3 * colours + 8 + 10 + 2 + count / 2);
    for (char ch : {'G', 'I', 'F', '8', '9', 'a'}) file.push_back(static_cast<std::uint8_t>(ch));
    putU16(file, width);
    putU16(file, height);
    file.push_back(static_cast<std::uint8_t>(0x80 | ((bits - 1) << 4) | (bits - 1)));
    file.push_back(static_cast<std::uint8_t>(backgroundIndex & 0xFF));
    file.push_back(0);  // pixel aspect ratio
    for (int i = 0; i < colours; ++i) {
      file.push_back(reds[i]);
      file.push_back(greens[i]);
      file.push_back(blues[i]);
    }
    bool transparent = transparentIndex >= 0;
    file.insert(file.end(),
                {0x21, 0xF9, 4, static_cast<std::uint8_t>(transparent ? 1 : 0), 0, 0,
                 static_cast<std::uint8_t>(transparent ? (transparentIndex & 0xFF) : 0xFF), 0});
    file.push_back(0x2C);
    putU16(file, 0);
    putU16(file, 0);
    putU16(file, width);
    putU16(file, height);
    file.push_back(0);  // no local table, not interlaced
    int minCodeSize = std::max(bits, 2);
    file.push_back(static_cast<std::uint8_t>(minCodeSize));
    GifLzwEncoder encoder(minCodeSize + 1, file);
    encoder.encode(pixels, count);
    file.push_back(0);
    file.push_back(0x3B);
    out.insert(out.end(), file.begin(), file.end());
  } catch (const std::bad_alloc&) {
    return fail(status, "Out of memory writing GIF");
  }
  return true;
}

bool GIFWrite(const std::uint8_t* pixels, const std::string& fileName, int width, int height,
              int backgroundIndex, int transparentIndex, int bits, const std::uint8_t* reds,
              const std::uint8_t* greens, const std::uint8_t* blues, std::string* status) {
  std::vector<std::uint8_t> bytes;
  if (!encodeGif(pixels, width, height, backgroundIndex, transparentIndex, bits, reds, greens,
                 blues, bytes, status))
    return false;
  if (!writeFileAtomically(fileName, bytes, nullptr))
    return fail(status, "Can't open GIF for writing");
  return true;
}

int encodeGifImage(DibImage& image, int backgroundIndex, int transparentIndex, int bits,
                   std::vector<std::uint8_t>& out, std::string* reason) {
  int depth = image.bitsPerPixel();
  if (depth == 24) {
    fail(reason, "a 24-bit picture cannot be saved as GIF (reduce it to a palette first)");
    return 0;
  }
  if (depth != 8 || !image.hasPalette()) {
    fail(reason, "only 8-bit pictures with a palette can be saved as GIF");
    return 0;
  }
  if (bits < 1 || bits > 8) {
    fail(reason, "GIF colour depth must be 1 to 8 bits");
    return 0;
  }
  DibRowAccess rows(image);
  int width = image.width(), height = image.height();
  if (width <= 0 || rows.rowCount() != height) {
    fail(reason, "the picture is empty or damaged");
    return 0;
  }
  std::vector<std::uint8_t> pixels;
  std::uint8_t reds[256] = {}, greens[256] = {}, blues[256] = {};
  try {
    pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  } catch (const std::bad_alloc&) {
    fail(reason, "Out of memory writing GIF");
    return 0;
  }
  for (int y = 0; y < height; ++y)
    std::copy(rows[y], rows[y] + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
  // Like reading a logical palette: entries past the palette's own count read as black.
  const auto& palette = image.palette();
  for (int i = 0; i < (1 << bits) && i < static_cast<int>(palette.size()); ++i) {
    reds[i] = palette[static_cast<std::size_t>(i)].red;
    greens[i] = palette[static_cast<std::size_t>(i)].green;
    blues[i] = palette[static_cast<std::size_t>(i)].blue;
  }
  return encodeGif(pixels.data(), width, height, backgroundIndex, transparentIndex, bits, reds,
                   greens, blues, out, reason)
             ? 1
             : 0;
}

int saveGif(DibImage& image, const std::string& fileName, int backgroundIndex, int transparentIndex,
            int bits, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!encodeGifImage(image, backgroundIndex, transparentIndex, bits, bytes, reason)) return 0;
  return writeFileAtomically(fileName, bytes, reason) ? 1 : 0;
}

}  // namespace vornel
