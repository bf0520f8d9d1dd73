// Writes the three star kernels star0.lit, star1.lit and star2.lit into the folder
// given as the only argument. Each is 101 x 101 cells, rows top to bottom, cells left
// to right, three little-endian 32-bit floats per cell (blue, green, red; all equal,
// the star's colour comes from the effect).
//
// With (dx, dy) the cell's position from the centre (-50 ... 50), r = sqrt(dx^2 + dy^2):
//
//   glow(r)       = 0.5 exp(-(r / 2.5)^2) + 0.5 exp(-r / 4)
//   streak(a, c)  = 0.5 exp(-a / 10) exp(-(c / 0.7)^2)       (a along the streak,
//                                                             c across it, in pixels)
//   kind 0:  K = A glow(r)
//   kind 1:  K = A (glow(r) + max(streak(|dx|, dy), streak(|dy|, dx)))
//   kind 2:  K = A (glow(r) + max(streak(|dx + dy| / 2, (dx - dy) / sqrt 2),
//                                 streak(|dx - dy| / 2, (dx + dy) / sqrt 2)))
//   A = 1 / (10 x 1000)
//
// The effect multiplies the weights by intensity x 1000 and by the colour's channel
// (0 ... 255), then drops what stays below 1. So a white star at the default intensity
// 10 adds 255 x glow(r): full white at the centre (the streaks add more, saturating),
// 1.1 at r = 19 and 0.86 at r = 20, so the glow ends about 20 pixels out. The diagonal
// streaks measure along the diagonal in rows (|dx + dy| / 2), so both streak kinds reach
// row 0 of the kernel with 0.5 A exp(-5): at intensity 20 that adds 1.7, which stops
// the effect's trimming of the outer rings at the first one and lets the streaks run to
// the edge; at intensity 10 they end a few pixels short of it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kHalf = 50;
constexpr int kSide = 2 * kHalf + 1;
constexpr double kScale = 1.0 / (10.0 * 1000.0);

double glow(double r) {
  return 0.5 * std::exp(-(r / 2.5) * (r / 2.5)) + 0.5 * std::exp(-r / 4.0);
}

double streak(double along, double across) {
  return 0.5 * std::exp(-along / 10.0) * std::exp(-(across / 0.7) * (across / 0.7));
}

double weight(int kind, int dx, int dy) {
  double w = glow(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
  if (kind == 1) {
    w += std::max(streak(std::abs(dx), dy), streak(std::abs(dy), dx));
  } else if (kind == 2) {
    const double root2 = std::sqrt(2.0);
    w += std::max(streak(std::abs(dx + dy) / 2.0, (dx - dy) / root2),
                  streak(std::abs(dx - dy) / 2.0, (dx + dy) / root2));
  }
  return kScale * w;
}

void putFloat(std::vector<std::uint8_t>& out, float v) {
  std::uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

bool writeKernel(const std::filesystem::path& path, int kind) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(static_cast<std::size_t>(kSide) * kSide * 12);
  for (int dy = -kHalf; dy <= kHalf; ++dy)
    for (int dx = -kHalf; dx <= kHalf; ++dx) {
      const float w = static_cast<float>(weight(kind, dx, dy));
      for (int k = 0; k < 3; ++k) putFloat(bytes, w);
    }
  // Written beside the target and renamed, so an interrupted build leaves no short file.
  std::filesystem::path temp = path;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  for (int kind = 0; kind < 3; ++kind) {
    const std::filesystem::path path = dir / ("star" + std::to_string(kind) + ".lit");
    if (!writeKernel(path, kind)) {
      std::fprintf(stderr, "make_star_kernels: cannot write %s\n", path.string().c_str());
      return 1;
    }
  }
  return 0;
}
