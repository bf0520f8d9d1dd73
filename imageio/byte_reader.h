// One cursor over (data, size) for every binary reader. Reading past the end yields
// zeros and sets a sticky flag; nothing is ever read outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace vornel {

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t u8() {
    if (pos_ >= size_) {
      truncated_ = true;
      return 0;
    }
    return data_[pos_++];
  }
  std::uint16_t u16le() {
    std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
  }
  std::uint16_t u16be() {
    std::uint16_t hi = u8();
    return static_cast<std::uint16_t>((hi << 8) | u8());
  }
  std::uint32_t u32le() {
    std::uint32_t lo = u16le();
    return lo | (static_cast<std::uint32_t>(u16le()) << 16);
  }
  // Copies n bytes; past the end the rest is zero-filled and the flag set.
  void bytes(void* out, std::size_t n) {
    std::size_t avail = remaining() < n ? remaining() : n;
    if (avail) std::memcpy(out, data_ + pos_, avail);
    if (avail < n) {
      std::memset(static_cast<std::uint8_t*>(out) + avail, 0, n - avail);
      truncated_ = true;
    }
    pos_ += avail;
  }
  void skip(std::size_t n) {
    if (n > remaining()) {
      truncated_ = true;
      pos_ = size_;
    } else {
      pos_ += n;
    }
  }
  void seek(std::size_t pos) {
    if (pos > size_) {
      truncated_ = true;
      pos_ = size_;
    } else {
      pos_ = pos;
    }
  }

  std::size_t pos() const { return pos_; }
  std::size_t size() const { return size_; }
  std::size_t remaining() const { return size_ - pos_; }
  bool atEnd() const { return pos_ >= size_; }
  bool truncated() const { return truncated_; }
  const std::uint8_t* data() const { return data_; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool truncated_ = false;
};

// Little-endian field access inside a byte block (the caller checks the bounds).
inline std::uint16_t loadU16le(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t loadU32le(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t loadI32le(const std::uint8_t* p) {
  return static_cast<std::int32_t>(loadU32le(p));
}
inline void storeU16le(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void storeU32le(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace vornel
