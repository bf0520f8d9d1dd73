#include "render/effects/texture_fill.h"

#include <algorithm>
#include <vector>

#include "imageio/dib_image.h"
#include "platform/memory.h"
#include "render/effects/effect_math.h"
#include "render/effects/tile.h"

namespace vornel {

namespace {

// The blend of the colour fill with a per-pixel fill value f; the caller adds the
// coverage, whose channel differs between the two fills.
inline void blendPixel(const std::uint8_t* m, std::uint8_t* dst, const std::uint8_t* f) {
  for (int k = 0; k < 3; ++k)
    dst[k] = static_cast<std::uint8_t>(((255 - m[k]) * dst[k] + m[k] * f[k]) >> 8);
}

}  // namespace

std::string texturePath(const std::string& appDirectory, const std::string& name) {
  // A style file is outside data: a name with a folder in it ("../", "/etc/...") would
  // reach pictures outside the texture folder.
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos) return "";
  return appDirectory + "texture/" + name;
}

void tiledTextureFill(RgbRows text, RgbRows canvas, int x, int y, const TextureView& texture,
                      std::int16_t* plane) {
  if (texture.empty()) return;
  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span cols = effects::shiftedSpan(x, canvas.width);
  if (rows.empty() || cols.empty()) return;
  // Inside the covered region r - y and c - x are never negative, so the plain
  // remainder places the texture's corner on the text raster's corner.
  const int scale = std::max(texture.scale, 1);
  const int firstColumn = (cols.lo - x) % (texture.width * scale);
  for (int r = rows.lo; r < rows.hi; ++r) {
    const std::uint8_t* source = texture.rows[(r - y) % (texture.height * scale) / scale];
    const std::uint8_t* m = text.pixel(r - y, cols.lo - x);
    std::uint8_t* dst = canvas.pixel(r, cols.lo);
    std::int16_t* cover = plane + static_cast<std::size_t>(r) * canvas.width + cols.lo;
    // tc is the picture column, repeat the canvas column within it.
    int tc = firstColumn / scale, repeat = firstColumn % scale;
    for (int c = cols.lo; c < cols.hi; ++c, m += 3, dst += 3, ++cover) {
      if (m[0] != 0) {
        blendPixel(m, dst, source + static_cast<std::size_t>(tc) * 3);
        effects::addToPlane(*cover, m[0]);
      }
      if (++repeat < scale) continue;
      repeat = 0;
      if (++tc == texture.width) tc = 0;
    }
  }
}

void stretchedTextureFill(RgbRows text, RgbRows canvas, int x, int y, const TextureView& texture,
                          std::int16_t* plane) {
  if (texture.empty()) return;
  const effects::Span rows = effects::shiftedSpan(y, canvas.height);
  const effects::Span cols = effects::shiftedSpan(x, canvas.width);
  if (rows.empty() || cols.empty()) return;
  const double width = canvas.width, height = canvas.height;
  // The division comes first, as the sampling is defined; the clamp only guards the
  // last row and column against a product rounded up to the texture's size.
  auto sample = [](int position, double size, int count) {
    int i = effects::truncToInt(position / size * count);
    return std::clamp(i, 0, count - 1);
  };
  for (int r = rows.lo; r < rows.hi; ++r) {
    const std::uint8_t* source = texture.rows[sample(r - y, height, texture.height)];
    const std::uint8_t* m = text.pixel(r - y, cols.lo - x);
    std::uint8_t* dst = canvas.pixel(r, cols.lo);
    std::int16_t* cover = plane + static_cast<std::size_t>(r) * canvas.width + cols.lo;
    for (int c = cols.lo; c < cols.hi; ++c, m += 3, dst += 3, ++cover) {
      if (m[0] == 0) continue;
      const int tc = sample(c - x, width, texture.width);
      blendPixel(m, dst, source + static_cast<std::size_t>(tc) * 3);
      effects::addToPlane(*cover, m[2]);
    }
  }
}

void textureFill(RgbRows text, RgbRows canvas, int x, int y, const std::string& path,
                 std::int32_t kind, std::int16_t* plane, int scale) {
  // Same loading rules as the tile picture: missing or empty files, unreadable pictures
  // and pictures of no size are passed over.
  if (path.empty() || path.back() == '/') return;  // no texture name
  DibImage image;
  if (!loadTileImage(path, image)) return;
  DibRowAccess access(image);
  if (access.rowCount() != image.height()) return;
  std::vector<const std::uint8_t*> rows =
      allocate<const std::uint8_t*>(static_cast<std::size_t>(image.height()));
  for (int r = 0; r < image.height(); ++r) rows[static_cast<std::size_t>(r)] = access[r];
  const TextureView texture{rows.data(), image.width(), image.height(), scale};
  if (kind == kTiledTextureFill)
    tiledTextureFill(text, canvas, x, y, texture, plane);
  else if (kind == kStretchedTextureFill)
    stretchedTextureFill(text, canvas, x, y, texture, plane);
}

}  // namespace vornel
