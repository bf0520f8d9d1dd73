// Tile (type 7): turns what has been painted into a mosaic. The canvas is cut into
// blocks the size of the tile picture; a block whose centre carries coverage becomes the
// tile tinted by the block's mean colour (black tile pixels make holes), any other block
// becomes transparent black.
#pragma once

#include <cstdint>
#include <string>

#include "imageio/dib_image.h"
#include "render/pixel_rows.h"

namespace vornel {

// A top-down 24-bit picture (blue, green, red) of width x height pixels, rows of
// `stride` bytes. With scale above 1 each picture pixel stands for scale x scale canvas
// pixels, and the blocks are that much larger (a job drawn larger keeps its mosaic).
struct TileImage {
  const std::uint8_t* data = nullptr;
  int width = 0, height = 0;
  std::size_t stride = 0;
  int scale = 1;
  const std::uint8_t* pixel(int row, int column) const {
    return data + static_cast<std::size_t>(row) * stride + static_cast<std::size_t>(column) * 3;
  }
};

// Loads the tile picture at `path`. A missing or empty file, an unreadable picture, one
// of zero size or one that is not 24 bits after conversion yields false, and the effect
// is then skipped.
bool loadTileImage(const std::string& path, DibImage& image);

void tileMosaic(RgbRows canvas, const TileImage& tile, std::int16_t* plane);

// The whole effect: load, mosaic, release. `path` is the texture folder plus the
// record's texture name; scale as in TileImage.
void tileEffect(RgbRows canvas, const std::string& path, std::int16_t* plane, int scale = 1);

}  // namespace vornel
