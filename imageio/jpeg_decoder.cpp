#include "imageio/jpeg_decoder.h"

#include <algorithm>
#include <new>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "imageio/checked_math.h"
#include "imageio/file_bytes.h"

namespace vornel {

namespace {

constexpr int kMaxComponents = 3;
// The standard's limit on blocks in one MCU; it also bounds the MCU row buffer.
constexpr int kMaxBlocksPerMcu = 10;
constexpr int kFastBits = 9;

struct FrameComponent {
  int id = 0, h = 1, v = 1, quant = 0;
  int dcSlot = 0, acSlot = 16;
  std::int16_t predictor = 0;
};

struct Frame {
  bool present = false;
  int width = 0, height = 0, count = 0;
  int maxH = 1, maxV = 1;
  FrameComponent comp[kMaxComponents];
};

// A Huffman slot prepared for decoding: codes of up to kFastBits bits are found with
// one table look-up, longer ones with the per-length code ranges.
struct DecodeTable {
  const HuffmanSlot* slot = nullptr;
  std::uint8_t fastLength[1 << kFastBits] = {};
  std::uint8_t fastSymbol[1 << kFastBits] = {};

  void build(const HuffmanSlot& s) {
    slot = &s;
    for (int p = 0; p < s.count; ++p) {
      int len = s.length[static_cast<std::size_t>(p)];
      if (len > kFastBits) continue;
      int first = s.code[static_cast<std::size_t>(p)] << (kFastBits - len);
      int last = first + (1 << (kFastBits - len));
      for (int i = first; i < last; ++i) {
        fastLength[i] = static_cast<std::uint8_t>(len);
        fastSymbol[i] = s.symbol[static_cast<std::size_t>(p)];
      }
    }
  }
};

// Bits of the entropy-coded data, most significant first, with stuffed zero bytes
// dropped. At a marker or at the end of the data it feeds zero bits and counts them, so
// a caller can tell a file that really ended early from look-ahead that went unused.
class EntropyReader {
 public:
  EntropyReader(const std::uint8_t* data, std::size_t size, std::size_t pos)
      : data_(data), size_(size), pos_(pos) {}

  std::uint32_t peek16() {
    fill();
    return static_cast<std::uint32_t>(acc_ >> (count_ - 16)) & 0xFFFF;
  }
  void consume(int n) { count_ -= n; }
  // n in 0..16.
  int receive(int n) {
    if (n == 0) return 0;
    fill();
    count_ -= n;
    return static_cast<int>((acc_ >> count_) & ((std::uint64_t{1} << n) - 1));
  }
  // True when bits past the end of the real data were used.
  bool overrun() const { return count_ < padBits_; }

  // At a restart point: when a restart marker comes straight after the bits used so far
  // (only the padding of the current byte left), skips it and starts afresh. Otherwise
  // leaves the reader as it is, so the data goes on as one stream, and returns false.
  bool restart() {
    if (count_ - padBits_ >= 8) return false;  // whole data bytes still unread
    if (!(pos_ + 1 < size_ && data_[pos_] == 0xFF && (data_[pos_ + 1] & 0xF8) == 0xD0))
      return false;
    acc_ = 0;
    count_ = 0;
    padBits_ = 0;
    atMarker_ = false;
    pos_ += 2;
    return true;
  }

 private:
  void fill() {
    while (count_ <= 56) {
      std::uint8_t byte = 0;
      if (!atMarker_ && pos_ < size_) {
        if (data_[pos_] != 0xFF) {
          byte = data_[pos_++];
        } else if (pos_ + 1 < size_ && data_[pos_ + 1] == 0x00) {
          byte = 0xFF;
          pos_ += 2;
        } else {
          atMarker_ = true;
        }
      } else {
        atMarker_ = true;
      }
      if (atMarker_) padBits_ += 8;
      acc_ = (acc_ << 8) | byte;
      count_ += 8;
    }
  }

  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_;
  std::uint64_t acc_ = 0;
  int count_ = 0;    // bits held in acc_
  int padBits_ = 0;  // how many of them are zeros fed past a marker or the end
  bool atMarker_ = false;
};

// Turns the received bits of a value of `category` bits into the signed value.
int extend(int bits, int category) {
  if (category == 0) return 0;
  return bits < (1 << (category - 1)) ? bits - (1 << category) + 1 : bits;
}

// -1 for a code that matches no symbol within 16 bits.
int decodeSymbol(EntropyReader& reader, const DecodeTable& table) {
  std::uint32_t look = reader.peek16();
  std::uint32_t fast = look >> (16 - kFastBits);
  if (int len = table.fastLength[fast]) {
    reader.consume(len);
    return table.fastSymbol[fast];
  }
  const HuffmanSlot& s = *table.slot;
  for (int l = kFastBits + 1; l <= 16; ++l) {
    std::int32_t code = static_cast<std::int32_t>(look >> (16 - l));
    if (s.maxCode[static_cast<std::size_t>(l)] >= code) {
      std::int32_t pos =
          s.firstPos[static_cast<std::size_t>(l)] + code - s.minCode[static_cast<std::size_t>(l)];
      if (pos < 0 || pos >= s.count) return -1;
      reader.consume(l);
      return s.symbol[static_cast<std::size_t>(pos)];
    }
  }
  return -1;
}

// M[k][n] = C(k) cos((2n + 1) k pi / 16) in single precision.
struct IdctMatrix {
  float m[8][8];
  IdctMatrix() {
    for (int k = 0; k < 8; ++k)
      for (int n = 0; n < 8; ++n) m[k][n] = static_cast<float>((k ? 1.0 : kC0) * kCos4[k][n]);
  }
};

std::uint8_t toSample(float v) {
  // Corrupt coefficients can be huge; clamping first keeps the conversion defined.
  v = std::clamp(v * 0.25f, -1024.0f, 1024.0f);
  int s = static_cast<int>(v) + 128;
  return static_cast<std::uint8_t>(std::clamp(s, 0, 255));
}

// Separable inverse transform: columns first, then rows, in single precision.
void inverseDct(const std::int32_t coef[64], std::uint8_t out[64]) {
  static const IdctMatrix matrix;
  const auto& m = matrix.m;
  bool dcOnly = true;
  for (int k = 1; k < 64 && dcOnly; ++k) dcOnly = coef[k] == 0;
  if (dcOnly) {
    // Every other term is an exact zero, so the sums reduce to this product.
    std::uint8_t s = toSample((m[0][0] * static_cast<float>(coef[0])) * m[0][0]);
    std::fill(out, out + 64, s);
    return;
  }
  // A zero coefficient adds a zero product, which leaves a sum begun at +0 as it was:
  // rows below the last non-zero one and columns right of the last non-zero one are
  // left out of the sums, with the same results.
  int rows = 0, columns = 0;
  for (int v = 0; v < 8; ++v)
    for (int u = 0; u < 8; ++u)
      if (coef[v * 8 + u] != 0) {
        rows = std::max(rows, v + 1);
        columns = std::max(columns, u + 1);
      }
#if defined(__SSE2__)
  // The same sums four lanes at a time (across u, then across x), each lane adding its
  // products in the order above; columns past the last non-zero one come out as +0 and
  // are never read.
  alignas(16) float t[8][8];
  for (int y = 0; y < 8; ++y) {
    __m128 s0 = _mm_setzero_ps(), s1 = s0;
    for (int v = 0; v < rows; ++v) {
      const __m128 f = _mm_set1_ps(m[v][y]);
      const std::int32_t* c = coef + v * 8;
      s0 = _mm_add_ps(
          s0, _mm_mul_ps(f, _mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(c)))));
      s1 = _mm_add_ps(
          s1,
          _mm_mul_ps(f, _mm_cvtepi32_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(c + 4)))));
    }
    _mm_store_ps(t[y], s0);
    _mm_store_ps(t[y] + 4, s1);
  }
  const __m128 quarter = _mm_set1_ps(0.25f), lo = _mm_set1_ps(-1024.0f), hi = _mm_set1_ps(1024.0f);
  const __m128i mid = _mm_set1_epi32(128);
  for (int y = 0; y < 8; ++y) {
    __m128 s0 = _mm_setzero_ps(), s1 = s0;
    for (int u = 0; u < columns; ++u) {
      const __m128 f = _mm_set1_ps(t[y][u]);
      s0 = _mm_add_ps(s0, _mm_mul_ps(f, _mm_loadu_ps(m[u])));
      s1 = _mm_add_ps(s1, _mm_mul_ps(f, _mm_loadu_ps(m[u] + 4)));
    }
    // toSample on eight lanes: the packs saturate into 0 ... 255 as its clamp does.
    const __m128i a = _mm_add_epi32(
        _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_mul_ps(s0, quarter), lo), hi)), mid);
    const __m128i b = _mm_add_epi32(
        _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_mul_ps(s1, quarter), lo), hi)), mid);
    const __m128i words = _mm_packs_epi32(a, b);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + y * 8), _mm_packus_epi16(words, words));
  }
#else
  float t[8][8];
  for (int y = 0; y < 8; ++y)
    for (int u = 0; u < columns; ++u) {
      float sum = 0;
      for (int v = 0; v < rows; ++v) sum += m[v][y] * static_cast<float>(coef[v * 8 + u]);
      t[y][u] = sum;
    }
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      float sum = 0;
      for (int u = 0; u < columns; ++u) sum += t[y][u] * m[u][x];
      out[y * 8 + x] = toSample(sum);
    }
#endif
}

std::uint8_t clampToByte(float v) {
  if (v <= 0) return 0;
  if (v >= 255) return 255;
  return static_cast<std::uint8_t>(v);
}

// Blue, green and red of the first pixels of a row of Y Cb Cr triples, four at a time,
// each lane computing what the one-pixel code below computes; the pixels done.
int toBgrFourAtATime(const std::uint8_t* src, std::uint8_t* dst, int width) {
  int x = 0;
#if defined(__SSE2__)
  const __m128 mid = _mm_set1_ps(128.0f), zero = _mm_setzero_ps(), top = _mm_set1_ps(255.0f);
  const auto bytes = [&](__m128 v, int k) {
    alignas(16) std::int32_t lanes[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes),
                    _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(v, zero), top)));
    for (int i = 0; i < 4; ++i) dst[(x + i) * 3 + k] = static_cast<std::uint8_t>(lanes[i]);
  };
  for (; x + 4 <= width; x += 4) {
    const std::uint8_t* p = src + x * 3;
    const __m128 luma = _mm_set_ps(p[9], p[6], p[3], p[0]);
    const __m128 cb = _mm_sub_ps(_mm_set_ps(p[10], p[7], p[4], p[1]), mid);
    const __m128 cr = _mm_sub_ps(_mm_set_ps(p[11], p[8], p[5], p[2]), mid);
    bytes(_mm_add_ps(luma, _mm_mul_ps(_mm_set1_ps(1.772f), cb)), 0);
    bytes(_mm_sub_ps(_mm_sub_ps(luma, _mm_mul_ps(_mm_set1_ps(0.34414f), cb)),
                     _mm_mul_ps(_mm_set1_ps(0.71414f), cr)),
          1);
    bytes(_mm_add_ps(luma, _mm_mul_ps(_mm_set1_ps(1.402f), cr)), 2);
  }
#else
  (void)src;
  (void)dst;
  (void)width;
#endif
  return x;
}

class Decoder {
 public:
  Decoder(JpegCodec& codec, const std::uint8_t* data, std::size_t size)
      : codec_(codec), data_(data), size_(size) {}

  JpegStatus run(DibImage& image);

 private:
  JpegStatus readQuantTables(ByteReader& body);
  JpegStatus readRestartInterval(ByteReader& body);
  JpegStatus readFrame(ByteReader& body);
  JpegStatus readScanHeader(ByteReader& body);
  JpegStatus decodeScan(std::size_t dataStart, DibImage& image);
  JpegStatus decodeBlock(EntropyReader& reader, FrameComponent& c, std::uint8_t out[64]);

  JpegCodec& codec_;
  const std::uint8_t* data_;
  std::size_t size_;
  Frame frame_;
  int restartInterval_ = 0;
  DecodeTable dcTables_[kMaxComponents], acTables_[kMaxComponents];
};

JpegStatus Decoder::run(DibImage& image) {
  std::size_t pos = 0;
  while (pos + 1 < size_ && !(data_[pos] == 0xFF && data_[pos + 1] == 0xD8)) ++pos;
  if (pos + 1 >= size_) return JpegStatus::NotJpeg;
  pos += 2;

  // Every round moves on by at least one byte, so the walk ends with the data.
  while (pos < size_) {
    if (data_[pos] != 0xFF) return JpegStatus::BadMarker;
    while (pos < size_ && data_[pos] == 0xFF) ++pos;  // fill bytes before a marker
    if (pos >= size_) break;
    std::uint8_t marker = data_[pos++];
    if (marker == 0x00) return JpegStatus::BadMarker;
    if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7)) continue;
    if (marker == 0xD9) break;

    if (size_ - pos < 2) return JpegStatus::BadSegmentLength;
    std::size_t length = (std::size_t{data_[pos]} << 8) | data_[pos + 1];
    if (length < 2 || length > size_ - pos) return JpegStatus::BadSegmentLength;
    ByteReader body(data_ + pos + 2, length - 2);
    std::size_t next = pos + length;

    JpegStatus status = JpegStatus::Ok;
    switch (marker) {
      case 0xC0:
        status = readFrame(body);
        break;
      case 0xC1:
        return JpegStatus::ExtendedSequential;
      case 0xC2:
        return JpegStatus::Progressive;
      case 0xC3:
        return JpegStatus::Lossless;
      case 0xC5:
      case 0xC6:
      case 0xC7:
        return JpegStatus::Hierarchical;
      case 0xC9:
      case 0xCA:
      case 0xCB:
      case 0xCC:
      case 0xCD:
      case 0xCE:
      case 0xCF:
        return JpegStatus::ArithmeticCoded;
      case 0xC4:
        status = codec_.parseHuffmanTables(body);
        break;
      case 0xDB:
        status = readQuantTables(body);
        break;
      case 0xDD:
        status = readRestartInterval(body);
        break;
      case 0xDA:
        status = readScanHeader(body);
        if (status != JpegStatus::Ok) return status;
        // Only the first scan is decoded: it holds every component (checked above).
        return decodeScan(next, image);
      default:
        break;  // application, comment and other segments carry nothing we use
    }
    if (status != JpegStatus::Ok) return status;
    pos = next;
  }
  return frame_.present ? JpegStatus::NoScan : JpegStatus::NoFrame;
}

JpegStatus Decoder::readQuantTables(ByteReader& body) {
  while (!body.atEnd()) {
    std::uint8_t precisionAndNumber = body.u8();
    if (precisionAndNumber >> 4) return JpegStatus::BadQuantTable;
    int number = precisionAndNumber & 15;
    if (number > 3) return JpegStatus::BadTableNumber;
    if (body.remaining() < 64) return JpegStatus::BadSegmentLength;
    body.bytes(codec_.quant[static_cast<std::size_t>(number)].data(), 64);
    codec_.quantDefined[static_cast<std::size_t>(number)] = true;
  }
  return JpegStatus::Ok;
}

JpegStatus Decoder::readRestartInterval(ByteReader& body) {
  if (body.size() != 2) return JpegStatus::BadRestartInterval;
  restartInterval_ = body.u16be();
  return JpegStatus::Ok;
}

JpegStatus Decoder::readFrame(ByteReader& body) {
  if (frame_.present) return JpegStatus::DuplicateFrame;
  if (body.size() < 6) return JpegStatus::BadSegmentLength;
  if (body.u8() != 8) return JpegStatus::BadPrecision;
  frame_.height = body.u16be();
  frame_.width = body.u16be();
  int count = body.u8();
  if (count == 4) return JpegStatus::FourComponents;
  if (count != 1 && count != 3) return JpegStatus::BadComponentCount;
  if (body.size() != 6 + 3 * static_cast<std::size_t>(count)) return JpegStatus::BadSegmentLength;
  // A height of 0 would come later in a DNL segment, which baseline readers need not
  // support.
  if (frame_.width == 0 || frame_.height == 0) return JpegStatus::BadDimensions;
  frame_.count = count;
  int blocks = 0;
  for (int i = 0; i < count; ++i) {
    FrameComponent& c = frame_.comp[i];
    c.id = body.u8();
    std::uint8_t sampling = body.u8();
    c.h = sampling >> 4;
    c.v = sampling & 15;
    c.quant = body.u8();
    if (c.h < 1 || c.h > 4 || c.v < 1 || c.v > 4) return JpegStatus::BadSampling;
    if (c.quant > 3) return JpegStatus::BadTableNumber;
    // A single component is coded non-interleaved: its blocks run in plain raster
    // order whatever its sampling factors say.
    if (count == 1) c.h = c.v = 1;
    frame_.maxH = std::max(frame_.maxH, c.h);
    frame_.maxV = std::max(frame_.maxV, c.v);
    blocks += c.h * c.v;
  }
  if (blocks > kMaxBlocksPerMcu) return JpegStatus::BadSampling;
  // Samples are widened by whole-number replication only.
  for (int i = 0; i < count; ++i)
    if (frame_.maxH % frame_.comp[i].h || frame_.maxV % frame_.comp[i].v)
      return JpegStatus::BadSampling;

  int mcuW = 8 * frame_.maxH, mcuH = 8 * frame_.maxV;
  std::int64_t paddedW = (std::int64_t{frame_.width} + mcuW - 1) / mcuW * mcuW;
  std::int64_t paddedH = (std::int64_t{frame_.height} + mcuH - 1) / mcuH * mcuH;
  // The size is kept even when refused, for the reason that names it.
  codec_.width = frame_.width;
  codec_.height = frame_.height;
  if (!pixelCountOk(paddedW, paddedH)) return JpegStatus::TooLarge;
  codec_.paddedWidth = static_cast<int>(paddedW);
  codec_.paddedHeight = static_cast<int>(paddedH);
  frame_.present = true;
  return JpegStatus::Ok;
}

JpegStatus Decoder::readScanHeader(ByteReader& body) {
  if (!frame_.present) return JpegStatus::ScanBeforeFrame;
  if (body.size() < 1) return JpegStatus::BadSegmentLength;
  int count = body.u8();
  if (count != frame_.count) return JpegStatus::ScanComponents;
  if (body.size() != 4 + 2 * static_cast<std::size_t>(count)) return JpegStatus::BadSegmentLength;
  for (int i = 0; i < count; ++i) {
    FrameComponent& c = frame_.comp[i];
    body.u8();  // the identifier: scan components pair with the frame's in order
    std::uint8_t tables = body.u8();
    int dc = tables >> 4, ac = tables & 15;
    if (dc > 3 || ac > 3) return JpegStatus::BadTableNumber;
    c.dcSlot = dc;
    c.acSlot = 16 + ac;
    const HuffmanSlot& dcSlot = codec_.slots[static_cast<std::size_t>(c.dcSlot)];
    const HuffmanSlot& acSlot = codec_.slots[static_cast<std::size_t>(c.acSlot)];
    if (!dcSlot.defined || !acSlot.defined) return JpegStatus::MissingHuffmanTable;
    if (!codec_.quantDefined[static_cast<std::size_t>(c.quant)])
      return JpegStatus::MissingQuantTable;
    dcTables_[i].build(dcSlot);
    acTables_[i].build(acSlot);
  }
  // Spectral selection and successive approximation mean nothing to a baseline scan.
  body.skip(3);
  return JpegStatus::Ok;
}

JpegStatus Decoder::decodeBlock(EntropyReader& reader, FrameComponent& c, std::uint8_t out[64]) {
  const auto& q = codec_.quant[static_cast<std::size_t>(c.quant)];
  std::int32_t coef[64] = {};
  int category = decodeSymbol(reader, dcTables_[&c - frame_.comp]);
  if (category < 0) return JpegStatus::CorruptHuffmanCode;
  if (category > 11) return JpegStatus::CorruptHuffmanCode;  // beyond any 8-bit difference
  int diff = extend(reader.receive(category), category);
  c.predictor = static_cast<std::int16_t>(c.predictor + diff);
  coef[0] = c.predictor * q[0];

  const DecodeTable& ac = acTables_[&c - frame_.comp];
  for (int k = 1; k < 64;) {
    int rs = decodeSymbol(reader, ac);
    if (rs < 0) return JpegStatus::CorruptHuffmanCode;
    int run = rs >> 4, size = rs & 15;
    if (size) {
      k += run;
      if (k > 63) return JpegStatus::CoefficientOverrun;
      coef[kNaturalOfZigzag[static_cast<std::size_t>(k)]] =
          extend(reader.receive(size), size) * q[static_cast<std::size_t>(k)];
      ++k;
    } else if (run == 15) {
      k += 16;
      if (k > 64) return JpegStatus::CoefficientOverrun;
    } else {
      break;  // end of block
    }
  }
  inverseDct(coef, out);
  return JpegStatus::Ok;
}

JpegStatus Decoder::decodeScan(std::size_t dataStart, DibImage& image) {
  const int mcuW = 8 * frame_.maxH, mcuH = 8 * frame_.maxV;
  const std::size_t mcusX = static_cast<std::size_t>(codec_.paddedWidth / mcuW);
  const std::size_t mcusY = static_cast<std::size_t>(codec_.paddedHeight / mcuH);
  const int n = frame_.count;
  int blocksPerMcu = 0;
  for (int i = 0; i < n; ++i) blocksPerMcu += frame_.comp[i].h * frame_.comp[i].v;

  // Every block takes at least two bits (a DC code and an end-of-block code), so data
  // shorter than that cannot hold the declared picture: find out before allocating.
  std::size_t blocks, available;
  if (!checkedMul(mcusX * mcusY, static_cast<std::size_t>(blocksPerMcu), &blocks) ||
      !checkedMul(size_ - dataStart, 4, &available) || blocks > available)
    return JpegStatus::DataTooShort;

  DibImage result;
  std::vector<std::uint8_t> rowBuffer;
  try {
    if (!result.create(frame_.width, frame_.height, 24)) return JpegStatus::OutOfMemory;
    rowBuffer.resize(static_cast<std::size_t>(codec_.paddedWidth) * mcuH * n);
  } catch (const std::bad_alloc&) {
    return JpegStatus::OutOfMemory;
  }
  DibRowAccess rows(result);
  const std::size_t stride = static_cast<std::size_t>(codec_.paddedWidth) * n;

  EntropyReader reader(data_, size_, dataStart);
  int sinceRestart = 0;
  std::uint8_t samples[64];
  for (std::size_t my = 0; my < mcusY; ++my) {
    for (std::size_t mx = 0; mx < mcusX; ++mx) {
      if (restartInterval_ > 0 && sinceRestart == restartInterval_) {
        if (reader.overrun()) return JpegStatus::TruncatedData;
        // A missing marker is passed over: the predictors run on and the count restarts.
        if (reader.restart())
          for (int i = 0; i < n; ++i) frame_.comp[i].predictor = 0;
        sinceRestart = 0;
      }
      for (int i = 0; i < n; ++i) {
        FrameComponent& c = frame_.comp[i];
        const int fx = frame_.maxH / c.h, fy = frame_.maxV / c.v;
        for (int by = 0; by < c.v; ++by) {
          for (int bx = 0; bx < c.h; ++bx) {
            JpegStatus status = decodeBlock(reader, c, samples);
            if (status != JpegStatus::Ok) return status;
            // Pixel replication into the MCU's place in the row buffer.
            for (int py = 0; py < 8; ++py) {
              for (int dy = 0; dy < fy; ++dy) {
                std::size_t row = static_cast<std::size_t>((by * 8 + py) * fy + dy);
                std::uint8_t* dst = rowBuffer.data() + row * stride +
                                    (mx * mcuW + static_cast<std::size_t>(bx * 8 * fx)) * n + i;
                for (int px = 0; px < 8; ++px)
                  for (int dx = 0; dx < fx; ++dx, dst += n) *dst = samples[py * 8 + px];
              }
            }
          }
        }
      }
      ++sinceRestart;
      if (reader.overrun()) return JpegStatus::TruncatedData;
    }

    for (int r = 0; r < mcuH; ++r) {
      std::size_t y = my * mcuH + static_cast<std::size_t>(r);
      if (y >= static_cast<std::size_t>(frame_.height)) break;
      const std::uint8_t* src = rowBuffer.data() + static_cast<std::size_t>(r) * stride;
      std::uint8_t* dst = rows[static_cast<int>(y)];
      int x = 0;
      if (n == 3) x = toBgrFourAtATime(src, dst, frame_.width);
      dst += 3 * x;
      src += static_cast<std::size_t>(n) * x;
      for (; x < frame_.width; ++x, dst += 3, src += n) {
        if (n == 1) {
          dst[0] = dst[1] = dst[2] = src[0];
          continue;
        }
        float luma = src[0], cb = src[1] - 128.0f, cr = src[2] - 128.0f;
        dst[0] = clampToByte(luma + 1.772f * cb);
        dst[1] = clampToByte(luma - 0.34414f * cb - 0.71414f * cr);
        dst[2] = clampToByte(luma + 1.402f * cr);
      }
    }
  }
  image = std::move(result);
  return JpegStatus::Ok;
}

}  // namespace

JpegStatus decode(JpegCodec& codec, const std::uint8_t* data, std::size_t size, DibImage& image) {
  Decoder decoder(codec, data, size);
  return decoder.run(image);
}

int decodeJpeg(DibImage& image, const std::uint8_t* data, std::size_t size, std::string* reason,
               JpegStatus* status) {
  JpegCodec codec;
  JpegStatus result = decode(codec, data, size, image);
  if (status) *status = result;
  if (result == JpegStatus::Ok) return 1;
  if (reason) *reason = jpegStatusText(result);
  if (reason && result == JpegStatus::TooLarge)
    *reason += " (" + std::to_string(codec.width) + " x " + std::to_string(codec.height) +
               " pixels; at most " + std::to_string(kMaxDecodedPixels) + " can be read)";
  return 0;
}

int loadJpeg(DibImage& image, const std::string& fileName, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(fileName, bytes, reason)) return 0;
  return decodeJpeg(image, bytes.data(), bytes.size(), reason);
}

}  // namespace vornel
