#include "render/effects/tile.h"

#include <algorithm>
#include <vector>

#include "imageio/file_bytes.h"
#include "imageio/image_by_name.h"
#include "platform/memory.h"

namespace vornel {

namespace {

// 1/200, multiplied in single precision: there a tile pixel of 200 reproduces the
// block's mean exactly (in double, 0.005f would leave it just below).
constexpr float kTint = 0.005f;

std::uint8_t tint(int mean, int tile) {
  float product = static_cast<float>(mean * tile) * kTint;
  int v = static_cast<int>(product);
  return static_cast<std::uint8_t>(std::min(v, 255));
}

struct Block {
  int top, left, rows, columns;  // the part inside the canvas
};

void replaceBlock(RgbRows canvas, const TileImage& tile, std::int16_t* plane, const Block& b) {
  // The mean covers only the pixels inside the canvas, so edge blocks are not darkened
  // by pixels that do not exist.
  std::int64_t sum[3] = {0, 0, 0};
  for (int r = 0; r < b.rows; ++r) {
    for (int c = 0; c < b.columns; ++c) {
      const std::uint8_t* px = canvas.pixel(b.top + r, b.left + c);
      for (int k = 0; k < 3; ++k) sum[k] += px[k];
    }
  }
  const std::int64_t count = static_cast<std::int64_t>(b.rows) * b.columns;
  int mean[3];
  for (int k = 0; k < 3; ++k) mean[k] = static_cast<int>(sum[k] / count);

  // The centre is that of the whole tile; when it falls outside the canvas the block
  // has no coverage to show.
  const int scale = std::max(tile.scale, 1);
  const int centreRow = b.top + tile.height * scale / 2,
            centreColumn = b.left + tile.width * scale / 2;
  const bool covered =
      canvas.contains(centreRow, centreColumn) &&
      plane[static_cast<std::size_t>(centreRow) * canvas.width + centreColumn] != 0;

  for (int r = 0; r < b.rows; ++r) {
    for (int c = 0; c < b.columns; ++c) {
      std::uint8_t* px = canvas.pixel(b.top + r, b.left + c);
      std::int16_t& cover = plane[static_cast<std::size_t>(b.top + r) * canvas.width + b.left + c];
      const std::uint8_t* t = tile.pixel(r / scale, c / scale);
      if (!covered || (t[0] == 0 && t[1] == 0 && t[2] == 0)) {
        px[0] = px[1] = px[2] = 0;
        cover = 0;
        continue;
      }
      for (int k = 0; k < 3; ++k) px[k] = tint(mean[k], t[k]);
      cover = 255;
    }
  }
}

}  // namespace

bool loadTileImage(const std::string& path, DibImage& image) {
  if (path.empty() || fileSize(path) == 0) return false;
  if (readImageByName(image, path) != 1) return false;
  if (convertTo24Bits(image) != 1 || image.bitsPerPixel() != 24) return false;
  return image.width() > 0 && image.height() > 0;
}

void tileMosaic(RgbRows canvas, const TileImage& tile, std::int16_t* plane) {
  if (tile.width <= 0 || tile.height <= 0 || canvas.width <= 0 || canvas.height <= 0) return;
  const int scale = std::max(tile.scale, 1);
  const int blockHeight = tile.height * scale, blockWidth = tile.width * scale;
  for (int by = 0; by < canvas.height; by += std::min(blockHeight, canvas.height)) {
    for (int bx = 0; bx < canvas.width; bx += std::min(blockWidth, canvas.width)) {
      Block b{by, bx, std::min(blockHeight, canvas.height - by),
              std::min(blockWidth, canvas.width - bx)};
      replaceBlock(canvas, tile, plane, b);
    }
  }
}

void tileEffect(RgbRows canvas, const std::string& path, std::int16_t* plane, int scale) {
  DibImage image;
  if (!loadTileImage(path, image)) return;
  DibRowAccess rows(image);
  if (rows.rowCount() != image.height()) return;
  // Rows are listed top row first; a bottom-up block has them at a negative stride, so
  // the tile is copied into one top-down array.
  const std::size_t stride = static_cast<std::size_t>(image.width()) * 3;
  std::vector<std::uint8_t> pixels =
      allocate<std::uint8_t>(stride * static_cast<std::size_t>(image.height()));
  for (int r = 0; r < image.height(); ++r) {
    std::copy(rows[r], rows[r] + stride, pixels.begin() + static_cast<std::ptrdiff_t>(stride * r));
  }
  TileImage tile{pixels.data(), image.width(), image.height(), stride, scale};
  tileMosaic(canvas, tile, plane);
  image.release();
}

}  // namespace vornel
