// A grid of float weights, three per cell (channels 0 blue, 1 green, 2 red), with
// half-width rx and half-height ry: cell (dy, dx) for -ry <= dy <= ry, -rx <= dx <= rx.
// Built as a disc (outline), a normalised hemisphere (shadow, depth of field, cut out),
// or read from a star kernel file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vornel {

struct EffectKernel {
  int rx = 0, ry = 0;
  std::vector<float> weights;  // (2ry + 1) x (2rx + 1) x 3

  float* cell(int dy, int dx) {
    return weights.data() + (static_cast<std::size_t>(dy + ry) * (2 * rx + 1) + (dx + rx)) * 3;
  }
  const float* cell(int dy, int dx) const {
    return weights.data() + (static_cast<std::size_t>(dy + ry) * (2 * rx + 1) + (dx + rx)) * 3;
  }
};

// A zero kernel of w x h cells: rx = (w - 1) / 2, ry = (h - 1) / 2.
EffectKernel makeKernel(int w, int h);
// The outline's disc of radius T: weight 1 closer than floor(T) (a cell at exactly that
// distance too), floor(T) + 1 - distance on the one-pixel rim beyond, 0 further out.
void makeDiscKernel(EffectKernel& kernel, float radius);
// floor(T) of a disc radius, and the disc's weight at a squared distance from its centre:
// the one formula of makeDiscKernel, for code that needs weights without the grid.
double discWhole(float radius);
float discWeight(double whole, std::int64_t squaredDistance);
void makeDomeKernel(EffectKernel& kernel, float radius);
void normalizeKernel(EffectKernel& kernel, float total);

// Star kernels: 101 x 101 cells of three little-endian floats, no header.
inline constexpr int kStarKernelSide = 101;
// Reads a star kernel file. A missing or short file leaves the kernel all zero (and
// returns false), so that star kind draws nothing.
bool loadStarKernel(const std::string& path, EffectKernel& out);

}  // namespace vornel
