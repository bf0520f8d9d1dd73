#include "imageio/jpeg_encoder.h"

#include <emmintrin.h>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <cstring>
#include <new>

#include "imageio/file_bytes.h"

namespace vornel {

// The standard's luminance table except zig-zag positions 22, 42 and 43, which hold
// 36, 66 and 57: files already written with these values must stay reproducible.
const std::array<std::uint8_t, 64> kJpegLumaQuant = {
    16, 11, 12,  14,  12,  10, 16, 14,  13,  14,  18,  17,  16, 19,  24,  40,
    26, 24, 22,  22,  24,  49, 36, 37,  29,  40,  58,  51,  61, 60,  57,  51,
    56, 55, 64,  72,  92,  78, 64, 68,  87,  69,  66,  57,  80, 109, 81,  87,
    95, 98, 103, 104, 103, 62, 77, 113, 121, 112, 100, 120, 92, 101, 103, 99,
};

const std::array<std::uint8_t, 64> kJpegChromaQuant = {
    17, 18, 18, 24, 21, 24, 47, 26, 26, 47, 99, 66, 56, 66, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
};

namespace {

// The body of the one DHT segment: the four typical tables (luminance DC, luminance
// AC, chrominance DC, chrominance AC), each as 16 counts and its symbols.
// clang-format off
constexpr std::uint8_t kDhtBody[] = {
    // Luminance DC
    0x00, 0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0,
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
    // Luminance AC
    0x10, 0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d,
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
    // Chrominance DC
    0x01, 0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0,
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11,
    // Chrominance AC
    0x11, 0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77,
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
    0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
    0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
    0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
    0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa,
};
// clang-format on
static_assert(sizeof(kDhtBody) == 0x01A2 - 2);

void put16(std::vector<std::uint8_t>& out, int v) {
  out.push_back(static_cast<std::uint8_t>(v >> 8));
  out.push_back(static_cast<std::uint8_t>(v));
}

void writeHeaders(std::vector<std::uint8_t>& out, int width, int height) {
  out.insert(out.end(), {0xFF, 0xD8});
  for (int t = 0; t < 2; ++t) {
    out.insert(out.end(), {0xFF, 0xDB, 0x00, 0x43, static_cast<std::uint8_t>(t)});
    const auto& table = t == 0 ? kJpegLumaQuant : kJpegChromaQuant;
    out.insert(out.end(), table.begin(), table.end());
  }
  out.insert(out.end(), {0xFF, 0xC4, 0x01, 0xA2});
  out.insert(out.end(), std::begin(kDhtBody), std::end(kDhtBody));
  out.insert(out.end(), {0xFF, 0xC0, 0x00, 0x11, 8});
  put16(out, height);
  put16(out, width);
  out.insert(out.end(), {3, 1, 0x11, 0, 2, 0x11, 1, 3, 0x11, 1});
  out.insert(out.end(), {0xFF, 0xDA, 0x00, 0x0C, 3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0});
}

// Most significant bit first, with a 0x00 stuffed after every 0xFF.
class BitWriter {
 public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void put(std::uint32_t bits, int count) {
    acc_ = (acc_ << count) | (bits & ((1u << count) - 1));
    filled_ += count;
    while (filled_ >= 8) {
      filled_ -= 8;
      emit(static_cast<std::uint8_t>(acc_ >> filled_));
    }
    acc_ &= (1u << filled_) - 1;
  }
  // The last partial byte is filled with 0 bits: decoders stop after the last block
  // and never read them.
  void flush() {
    if (filled_ > 0) emit(static_cast<std::uint8_t>(acc_ << (8 - filled_)));
    acc_ = 0;
    filled_ = 0;
  }

 private:
  void emit(std::uint8_t byte) {
    out_.push_back(byte);
    if (byte == 0xFF) out_.push_back(0x00);
  }
  std::vector<std::uint8_t>& out_;
  std::uint32_t acc_ = 0;
  int filled_ = 0;
};

int bitCount(int magnitude) {
  int n = 0;
  while (magnitude) {
    ++n;
    magnitude >>= 1;
  }
  return n;
}

void putSymbol(BitWriter& bits, const HuffmanSlot& slot, int symbol) {
  int pos = slot.positionOf[static_cast<std::size_t>(symbol)];
  // The typical tables hold every symbol that 8-bit samples can produce.
  if (pos < 0) return;
  bits.put(slot.code[static_cast<std::size_t>(pos)], slot.length[static_cast<std::size_t>(pos)]);
}

// The value's low bits as the standard codes them: negative values minus one.
void putValue(BitWriter& bits, int value, int category) {
  if (category) bits.put(static_cast<std::uint32_t>(value < 0 ? value - 1 : value), category);
}

// w[i][k]: the product of the two cosines that pixel i contributes to coefficient k.
struct DctWeights {
  double w[64][64];
  DctWeights() {
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        for (int v = 0; v < 8; ++v)
          for (int u = 0; u < 8; ++u) w[y * 8 + x][v * 8 + u] = kCos4[u][x] * kCos4[v][y];
  }
};

// The direct double sum, pixel by pixel over all 64 coefficients at once, so that each
// coefficient still adds its terms in row order while the loop over coefficients can
// run in parallel lanes. Results are truncated towards zero.
void forwardDct(const double samples[64], std::int16_t out[64]) {
  static const DctWeights weights;
  double acc[64] = {};
  for (int i = 0; i < 64; ++i) {
    double s = samples[i];
    const double* w = weights.w[i];
    for (int k = 0; k < 64; ++k) acc[k] += s * w[k];
  }
  for (int v = 0; v < 8; ++v) {
    double cv = v ? 1.0 : kC0;
    for (int u = 0; u < 8; ++u) {
      double cu = u ? 1.0 : kC0;
      out[v * 8 + u] = static_cast<std::int16_t>(static_cast<int>(0.25 * cv * cu * acc[v * 8 + u]));
    }
  }
}

// The same sums taken row by row, then column by column: 1,024 products instead of
// 4,096, in another order, so each may differ from the direct sum in its last bits.
// For samples in -128..127 and factors of at most 1 the two are within 8e-11 of each
// other (65 roundings of the direct sum, 18 of this one, each at most 2^-53 of a sum of
// magnitudes below 8192); kDctSlack is far above that.
constexpr double kDctSlack = 1e-6;
void separableDct(const double samples[64], double acc[64]) {
  // kCos4 transposed, so that the eight coefficients of one row lie side by side.
  static const struct Cosines {
    alignas(16) double row[8][8];  // row[x][u] = kCos4[u][x]
    Cosines() {
      for (int x = 0; x < 8; ++x)
        for (int u = 0; u < 8; ++u) row[x][u] = kCos4[u][x];
    }
  } cosines;
  // Each product is rounded before it is added (no fused multiply-add), two lanes at a
  // time.
  alignas(16) double t[8][8];  // t[y][u]: sum over x of samples[y][x] kCos4[u][x]
  for (int y = 0; y < 8; ++y) {
    __m128d s0 = _mm_setzero_pd(), s1 = s0, s2 = s0, s3 = s0;
    for (int x = 0; x < 8; ++x) {
      const __m128d s = _mm_set1_pd(samples[y * 8 + x]);
      const double* c = cosines.row[x];
      s0 = _mm_add_pd(s0, _mm_mul_pd(s, _mm_load_pd(c)));
      s1 = _mm_add_pd(s1, _mm_mul_pd(s, _mm_load_pd(c + 2)));
      s2 = _mm_add_pd(s2, _mm_mul_pd(s, _mm_load_pd(c + 4)));
      s3 = _mm_add_pd(s3, _mm_mul_pd(s, _mm_load_pd(c + 6)));
    }
    _mm_store_pd(t[y], s0);
    _mm_store_pd(t[y] + 2, s1);
    _mm_store_pd(t[y] + 4, s2);
    _mm_store_pd(t[y] + 6, s3);
  }
  for (int v = 0; v < 8; ++v) {
    __m128d s0 = _mm_setzero_pd(), s1 = s0, s2 = s0, s3 = s0;
    for (int y = 0; y < 8; ++y) {
      const __m128d c = _mm_set1_pd(kCos4[v][y]);
      s0 = _mm_add_pd(s0, _mm_mul_pd(_mm_load_pd(t[y]), c));
      s1 = _mm_add_pd(s1, _mm_mul_pd(_mm_load_pd(t[y] + 2), c));
      s2 = _mm_add_pd(s2, _mm_mul_pd(_mm_load_pd(t[y] + 4), c));
      s3 = _mm_add_pd(s3, _mm_mul_pd(_mm_load_pd(t[y] + 6), c));
    }
    _mm_storeu_pd(acc + v * 8, s0);
    _mm_storeu_pd(acc + v * 8 + 2, s1);
    _mm_storeu_pd(acc + v * 8 + 4, s2);
    _mm_storeu_pd(acc + v * 8 + 6, s3);
  }
}

#if defined(__x86_64__) || defined(__i386__)
#define VORNEL_JPEG_AVX 1
// separableDct four lanes at a time, on processors that have them: each lane multiplies
// and adds as the two-lane code does (AVX alone has no fused multiply-add), so the sums
// are the same bits.
__attribute__((target("avx"))) void separableDctAvx(const double samples[64], double acc[64]) {
  static const struct Cosines {
    alignas(32) double row[8][8];  // row[x][u] = kCos4[u][x]
    Cosines() {
      for (int x = 0; x < 8; ++x)
        for (int u = 0; u < 8; ++u) row[x][u] = kCos4[u][x];
    }
  } cosines;
  alignas(32) double t[8][8];
  for (int y = 0; y < 8; ++y) {
    __m256d s0 = _mm256_setzero_pd(), s1 = s0;
    for (int x = 0; x < 8; ++x) {
      const __m256d s = _mm256_set1_pd(samples[y * 8 + x]);
      s0 = _mm256_add_pd(s0, _mm256_mul_pd(s, _mm256_load_pd(cosines.row[x])));
      s1 = _mm256_add_pd(s1, _mm256_mul_pd(s, _mm256_load_pd(cosines.row[x] + 4)));
    }
    _mm256_store_pd(t[y], s0);
    _mm256_store_pd(t[y] + 4, s1);
  }
  for (int v = 0; v < 8; ++v) {
    __m256d s0 = _mm256_setzero_pd(), s1 = s0;
    for (int y = 0; y < 8; ++y) {
      const __m256d c = _mm256_set1_pd(kCos4[v][y]);
      s0 = _mm256_add_pd(s0, _mm256_mul_pd(_mm256_load_pd(t[y]), c));
      s1 = _mm256_add_pd(s1, _mm256_mul_pd(_mm256_load_pd(t[y] + 4), c));
    }
    _mm256_storeu_pd(acc + v * 8, s0);
    _mm256_storeu_pd(acc + v * 8 + 4, s1);
  }
}
#endif

// The separable sums on the widest lanes this processor has.
void separableDctHere(const double samples[64], double acc[64]) {
#ifdef VORNEL_JPEG_AVX
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) return separableDctAvx(samples, acc);
#endif
  separableDct(samples, acc);
}

// The plain code's factor of coefficient k, multiplied in its order: 0.25, then cv, cu.
struct DctScales {
  double k[64];
  DctScales() {
    for (int v = 0; v < 8; ++v)
      for (int u = 0; u < 8; ++u) k[v * 8 + u] = 0.25 * (v ? 1.0 : kC0) * (u ? 1.0 : kC0);
  }
};

double clampSample(double v) {
  return v < 0 ? 0 : (v > 255 ? 255 : v);
}

// The colour constants are single-precision values used in double arithmetic: white
// then comes out as Y 255, Cb 128 and Cr just below 128.
constexpr double kYr = 0.299f, kYg = 0.587f, kYb = 0.114f;
constexpr double kCbR = 0.1687f, kCbG = 0.3313f;
constexpr double kCrG = 0.4187f, kCrB = 0.0813f;

// Y, Cb and Cr of pixels x ... n - 1 of p, each truncated into 0 ... 255 and shifted
// down by 128, into planes[c][at + x ...].
void levelShiftedTail(const std::uint8_t* p, int x, int n, std::int16_t planes[3][64], int at) {
  for (; x < n; ++x) {
    const std::uint8_t* q = p + x * 3;
    const double b = q[0], g = q[1], r = q[2];
    const double luma = kYr * r + kYg * g + kYb * b;
    const double cb = 0.5 * b - (kCbR * r + kCbG * g) + 128;
    const double cr = 0.5 * r - kCrG * g - kCrB * b + 128;
    planes[0][at + x] = static_cast<std::int16_t>(static_cast<int>(clampSample(luma)) - 128);
    planes[1][at + x] = static_cast<std::int16_t>(static_cast<int>(clampSample(cb)) - 128);
    planes[2][at + x] = static_cast<std::int16_t>(static_cast<int>(clampSample(cr)) - 128);
  }
}

// The same for all n pixels, two at a time, each sum added in the order of the
// one-pixel formulas.
void levelShiftedSamplesSse2(const std::uint8_t* p, int n, std::int16_t planes[3][64], int at) {
  int x = 0;
  const __m128d zero = _mm_setzero_pd(), top = _mm_set1_pd(255.0), half = _mm_set1_pd(0.5),
                mid = _mm_set1_pd(128.0);
  const auto store = [&](int c, __m128d v) {
    const __m128i t = _mm_cvttpd_epi32(_mm_min_pd(_mm_max_pd(v, zero), top));
    planes[c][at + x] = static_cast<std::int16_t>(_mm_cvtsi128_si32(t) - 128);
    planes[c][at + x + 1] =
        static_cast<std::int16_t>(_mm_cvtsi128_si32(_mm_srli_si128(t, 4)) - 128);
  };
  for (; x + 2 <= n; x += 2) {
    const std::uint8_t* q = p + x * 3;
    const __m128d b = _mm_set_pd(q[3], q[0]), g = _mm_set_pd(q[4], q[1]),
                  r = _mm_set_pd(q[5], q[2]);
    store(0,
          _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_set1_pd(kYr), r), _mm_mul_pd(_mm_set1_pd(kYg), g)),
                     _mm_mul_pd(_mm_set1_pd(kYb), b)));
    store(1,
          _mm_add_pd(_mm_sub_pd(_mm_mul_pd(half, b), _mm_add_pd(_mm_mul_pd(_mm_set1_pd(kCbR), r),
                                                                _mm_mul_pd(_mm_set1_pd(kCbG), g))),
                     mid));
    store(2,
          _mm_add_pd(_mm_sub_pd(_mm_sub_pd(_mm_mul_pd(half, r), _mm_mul_pd(_mm_set1_pd(kCrG), g)),
                                _mm_mul_pd(_mm_set1_pd(kCrB), b)),
                     mid));
  }
  levelShiftedTail(p, x, n, planes, at);
}

#ifdef VORNEL_JPEG_AVX
// Four values truncated into 0 ... 255, shifted down by 128 and stored as 16 bits.
__attribute__((target("avx"))) inline void storeLevels(std::int16_t* dst, __m256d v) {
  const __m128i t =
      _mm_sub_epi32(_mm256_cvttpd_epi32(_mm256_min_pd(_mm256_max_pd(v, _mm256_setzero_pd()),
                                                      _mm256_set1_pd(255.0))),
                    _mm_set1_epi32(128));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(dst), _mm_packs_epi32(t, t));
}

// Four at a time, on processors that have the lanes (no fused multiply-add: the same bits).
__attribute__((target("avx"))) void levelShiftedSamplesAvx(const std::uint8_t* p, int n,
                                                           std::int16_t planes[3][64], int at) {
  int x = 0;
  const __m256d half = _mm256_set1_pd(0.5), mid = _mm256_set1_pd(128.0);
  for (; x + 4 <= n; x += 4) {
    // The four pixels' twelve bytes, each channel's four spread into 32-bit lanes.
    const std::uint8_t* q = p + x * 3;
    std::int64_t first;
    std::int32_t last;
    std::memcpy(&first, q, 8);
    std::memcpy(&last, q + 8, 4);
    const __m128i bytes = _mm_set_epi64x(last, first);
    const __m256d b = _mm256_cvtepi32_pd(_mm_shuffle_epi8(
        bytes, _mm_setr_epi8(0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1)));
    const __m256d g = _mm256_cvtepi32_pd(_mm_shuffle_epi8(
        bytes, _mm_setr_epi8(1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1)));
    const __m256d r = _mm256_cvtepi32_pd(_mm_shuffle_epi8(
        bytes, _mm_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1)));
    storeLevels(planes[0] + at + x,
                _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(kYr), r),
                                            _mm256_mul_pd(_mm256_set1_pd(kYg), g)),
                              _mm256_mul_pd(_mm256_set1_pd(kYb), b)));
    storeLevels(planes[1] + at + x,
                _mm256_add_pd(_mm256_sub_pd(_mm256_mul_pd(half, b),
                                            _mm256_add_pd(_mm256_mul_pd(_mm256_set1_pd(kCbR), r),
                                                          _mm256_mul_pd(_mm256_set1_pd(kCbG), g))),
                              mid));
    storeLevels(planes[2] + at + x,
                _mm256_add_pd(_mm256_sub_pd(_mm256_sub_pd(_mm256_mul_pd(half, r),
                                                          _mm256_mul_pd(_mm256_set1_pd(kCrG), g)),
                                            _mm256_mul_pd(_mm256_set1_pd(kCrB), b)),
                              mid));
  }
  levelShiftedTail(p, x, n, planes, at);
}
#endif

void levelShiftedSamples(const std::uint8_t* p, int n, std::int16_t planes[3][64], int at) {
#ifdef VORNEL_JPEG_AVX
  static const bool avx = __builtin_cpu_supports("avx");
  if (avx) return levelShiftedSamplesAvx(p, n, planes, at);
#endif
  levelShiftedSamplesSse2(p, n, planes, at);
}

class BlockCoder {
 public:
  BlockCoder(const JpegCodec& codec, std::vector<std::uint8_t>& out) : codec_(codec), bits_(out) {}

  // Quantises one block of samples (natural order, already minus 128) and codes it. A
  // block equal to the component's previous one (flat areas) reuses its coefficients.
  void code(const std::int16_t samples[64], int component) {
    int* zz = last_[component].zz;
    if (!last_[component].valid ||
        std::memcmp(last_[component].samples, samples, sizeof last_[component].samples) != 0) {
      double wide[64];
      for (int i = 0; i < 64; ++i) wide[i] = samples[i];
      quantizeBlockFast(wide, component == 0 ? kJpegLumaQuant.data() : kJpegChromaQuant.data(), zz);
      std::memcpy(last_[component].samples, samples, sizeof last_[component].samples);
      last_[component].valid = true;
    }
    const HuffmanSlot& dc = codec_.slots[component == 0 ? 0 : 1];
    const HuffmanSlot& ac = codec_.slots[component == 0 ? 16 : 17];

    int diff = zz[0] - predictor_[component];
    predictor_[component] = zz[0];
    int category = bitCount(diff < 0 ? -diff : diff);
    putSymbol(bits_, dc, category);
    putValue(bits_, diff, category);

    // The non-zero coefficients as bits, visited in order: each is preceded by the run
    // of zeros since the last one.
    std::uint64_t nonZero = 0;
    for (int k = 1; k < 64; ++k) nonZero |= static_cast<std::uint64_t>(zz[k] != 0) << k;
    for (int last = 0; nonZero != 0; nonZero &= nonZero - 1) {
      const int k = __builtin_ctzll(nonZero);
      int run = k - last - 1;
      for (; run >= 16; run -= 16) putSymbol(bits_, ac, 0xF0);
      category = bitCount(zz[k] < 0 ? -zz[k] : zz[k]);
      putSymbol(bits_, ac, run * 16 + category);
      putValue(bits_, zz[k], category);
      last = k;
    }
    if (zz[63] == 0) putSymbol(bits_, ac, 0x00);
  }

  void finish() { bits_.flush(); }

 private:
  const JpegCodec& codec_;
  BitWriter bits_;
  int predictor_[3] = {0, 0, 0};
  struct LastBlock {
    bool valid = false;
    std::int16_t samples[64];
    int zz[64];
  } last_[3];
};

}  // namespace

void quantizeBlockPlain(const double samples[64], const std::uint8_t* table, int zz[64]) {
  std::int16_t natural[64];
  forwardDct(samples, natural);
  for (int k = 0; k < 64; ++k) {
    int z = kZigzagOfNatural[static_cast<std::size_t>(k)];
    zz[z] = natural[k] / table[z];
  }
}

void quantizeBlockFast(const double samples[64], const std::uint8_t* table, int zz[64]) {
  static const DctScales scales;
  // The two step tables of this coder as reciprocals, in the transform's natural order.
  static const struct Reciprocals {
    alignas(16) double luma[64], chroma[64];
    Reciprocals() {
      for (int k = 0; k < 64; ++k) {
        const int z = kZigzagOfNatural[static_cast<std::size_t>(k)];
        luma[k] = 1.0 / kJpegLumaQuant[static_cast<std::size_t>(z)];
        chroma[k] = 1.0 / kJpegChromaQuant[static_cast<std::size_t>(z)];
      }
    }
  } reciprocals;
  const double* recip = table == kJpegLumaQuant.data()     ? reciprocals.luma
                        : table == kJpegChromaQuant.data() ? reciprocals.chroma
                                                           : nullptr;
  if (!recip) return quantizeBlockPlain(samples, table, zz);
  alignas(16) double acc[64];
  separableDctHere(samples, acc);
  // The direct sum lies within kDctSlack of acc[k], and the truncated value only grows
  // with the sum: when both ends of that interval give one value, the direct sum gives
  // it too. Otherwise (a sum next to a whole number) the block is summed directly. Two
  // coefficients at a time; the sums stay far inside the range of int (and int16).
  //
  // The division t / step truncated toward zero, as C++ divides: t * (1 / step) lies
  // within 2^-35 of the true quotient for |t| < 2^16, and a quotient that is not whole
  // lies at least 1 / 255 from the next whole number away from zero. Moving the product
  // 2^-20 away from zero before truncating therefore lifts a whole quotient computed a
  // little short back onto it and changes no other.
  alignas(16) std::int32_t quotient[64];
  const __m128d slack = _mm_set1_pd(kDctSlack), nudge = _mm_set1_pd(1.0 / (1 << 20)),
                sign = _mm_set1_pd(-0.0);
  __m128i differ = _mm_setzero_si128();
  for (int k = 0; k < 64; k += 2) {
    const __m128d scale = _mm_loadu_pd(scales.k + k), sum = _mm_load_pd(acc + k);
    const __m128i lo = _mm_cvttpd_epi32(_mm_mul_pd(scale, _mm_sub_pd(sum, slack)));
    const __m128i hi = _mm_cvttpd_epi32(_mm_mul_pd(scale, _mm_add_pd(sum, slack)));
    differ = _mm_or_si128(differ, _mm_xor_si128(lo, hi));
    const __m128d t = _mm_cvtepi32_pd(lo);
    const __m128d q =
        _mm_add_pd(_mm_mul_pd(t, _mm_load_pd(recip + k)), _mm_or_pd(_mm_and_pd(t, sign), nudge));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(quotient + k), _mm_cvttpd_epi32(q));
  }
  if (_mm_movemask_epi8(_mm_cmpeq_epi32(differ, _mm_setzero_si128())) != 0xFFFF)
    return quantizeBlockPlain(samples, table, zz);
  for (int k = 0; k < 64; ++k) zz[kZigzagOfNatural[static_cast<std::size_t>(k)]] = quotient[k];
}

void encode(JpegCodec& codec, int width, int height, const std::uint8_t* pixels,
            std::ptrdiff_t stride, std::vector<std::uint8_t>& out) {
  codec.width = width;
  codec.height = height;
  codec.paddedWidth = (width + 7) & ~7;
  codec.paddedHeight = (height + 7) & ~7;
  for (auto& slot : codec.slots) slot = HuffmanSlot{};

  writeHeaders(out, width, height);
  ByteReader dht(kDhtBody, sizeof kDhtBody);
  codec.parseHuffmanTables(dht);

  BlockCoder coder(codec, out);
  std::int16_t planes[3][64];
  for (int by = 0; by < codec.paddedHeight; by += 8) {
    for (int bx = 0; bx < codec.paddedWidth; bx += 8) {
      for (int y = 0; y < 8; ++y) {
        const std::uint8_t* row = by + y < height ? pixels + stride * (by + y) : nullptr;
        const int inside = row ? std::min(8, width - bx) : 0;
        if (inside > 0) levelShiftedSamples(row + bx * 3, inside, planes, y * 8);
        // Padding stays at 0 after the level shift: mid-grey with neutral colour.
        for (int c = 0; c < 3; ++c) std::fill(planes[c] + y * 8 + inside, planes[c] + y * 8 + 8, 0);
      }
      for (int c = 0; c < 3; ++c) coder.code(planes[c], c);
    }
  }
  coder.finish();
  out.insert(out.end(), {0xFF, 0xD9});
}

int encodeJpeg(DibImage& image, std::vector<std::uint8_t>& out, std::string* reason) {
  auto fail = [&](JpegStatus status) {
    if (reason) *reason = jpegStatusText(status);
    return 0;
  };
  int bits = image.bitsPerPixel();
  if (bits == 8) {
    DibImage copy;
    copy.copyFrom(image);
    if (copy.empty() || !convertTo24Bits(copy)) return fail(JpegStatus::EmptyPicture);
    return encodeJpeg(copy, out, reason);
  }
  if (bits != 24) return fail(bits < 0 ? JpegStatus::EmptyPicture : JpegStatus::UnsupportedDepth);
  if (!image.rowsInsideBlock() || image.width() < 1 || image.height() < 1 ||
      image.width() > 65535 || image.height() > 65535)
    return fail(JpegStatus::EmptyPicture);

  // The block holds the bottom row first; the coder reads the top row first, so it
  // starts at the block's last row and steps back.
  std::size_t start = out.size();
  try {
    JpegCodec codec;
    const std::uint8_t* top = image.block().data() + image.pixelOffset() +
                              static_cast<std::size_t>(image.height() - 1) * image.rowBytes();
    encode(codec, image.width(), image.height(), top,
           -static_cast<std::ptrdiff_t>(image.rowBytes()), out);
  } catch (const std::bad_alloc&) {
    out.resize(start);
    return fail(JpegStatus::OutOfMemory);
  }
  return 1;
}

int saveJpeg(DibImage& image, const std::string& fileName, std::string* reason) {
  std::vector<std::uint8_t> bytes;
  if (!encodeJpeg(image, bytes, reason)) return 0;
  return writeFileAtomically(fileName, bytes, reason) ? 1 : 0;
}

}  // namespace vornel
