// Writes the three star kernels star0.lit, star1.lit and star2.lit into the folder
// given as the only argument. Each is 101 x 101 cells, rows top to bottom, cells left
// to right, three little-endian 32-bit floats per cell (blue, green, red; all equal,
// the star's colour comes from the effect).
//
// With (dx, dy) the cell's position from the centre (-50 ... 50), r = sqrt(dx^2 + dy^2),
// and values in units of the colour's full strength (1 = 255):
//
//   glow(r)       = exp(-(r / 1.1)^2)                  a bright core
//                 + (8 / 255) exp(-r / 2.5)            a short soft halo
//                 + (1.2 / 255) exp(-(r / 44.5)^2)     a faint wide halo
//   streak(a, c)  = ((25 / 255) exp(-a / 6) + (0.6 / 255) exp(-a / 400))
//                   x exp(-(c / 0.7)^2)          (a along the streak, c across it, in pixels)
//   kind 0:  K = A glow(r)
//   kind 1:  K = A (glow(r) + max(streak(|dx|, dy), streak(|dy|, dx)))
//   kind 2:  K = A (glow(r) + max(streak(|dx + dy| / 2, (dx - dy) / sqrt 2),
//                                 streak(|dx - dy| / 2, (dx + dy) / sqrt 2)))
//   A = 1 / (10 x 1000)
//
// The effect multiplies the weights by intensity x 1000 and by the colour's channel
// (0 ... 255), stamps the result at every edge pixel of the letters and drops, per
// stamp, what stays below 1. So a single white star at the default intensity 10 adds
// 255 x glow(r): full white at the centre, and the faint halo still adds 1 at r = 19 and
// nothing from r = 20 on. The halos are kept faint on purpose: a letter's edge stamps
// dozens of stars over each pixel near it, and a brighter halo would sum to a solid
// block of the star's colour. The diagonal streaks measure along the diagonal in rows
// (|dx + dy| / 2). The streaks' long faint part stays below 1 on its own at intensity
// 10, so there they end where the wide halo fades (about 45 pixels out on the axes);
// at intensity 20 it adds 1 all the way, stops the effect's trimming of the outer
// rings at the first one and lets the streaks run to the kernel's edge.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "imageio/file_bytes.h"

namespace {

constexpr int kHalf = 50;
constexpr int kSide = 2 * kHalf + 1;
constexpr double kScale = 1.0 / (10.0 * 1000.0);

double glow(double r) {
  return std::exp(-(r / 1.1) * (r / 1.1)) + (8.0 / 255.0) * std::exp(-r / 2.5) +
         (1.2 / 255.0) * std::exp(-(r / 44.5) * (r / 44.5));
}

double streak(double along, double across) {
  const double strength =
      (25.0 / 255.0) * std::exp(-along / 6.0) + (0.6 / 255.0) * std::exp(-along / 400.0);
  return strength * std::exp(-(across / 0.7) * (across / 0.7));
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
  return vornel::writeFileAtomically(path.string(), bytes, nullptr);
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
