// Draw (type 0) with a texture picture instead of one colour: kind 4 repeats the
// picture across the letters from the text raster's top-left corner, kind 5 stretches
// one copy over the whole canvas. Covered region, blend and coverage are those of the
// colour fill; only the fill value comes from the picture.
#pragma once

#include <cstdint>
#include <string>

#include "render/pixel_rows.h"

namespace vornel {

inline constexpr std::int32_t kTiledTextureFill = 4;
inline constexpr std::int32_t kStretchedTextureFill = 5;

// Where an effect's texture lives: the program folder (ending with '/'), "texture/",
// the record's texture name. A texture is named, not given by a path: an empty name, "."
// and "..", and any name with a '/' give "", which both texture users pass over as they
// do a missing file.
std::string texturePath(const std::string& appDirectory, const std::string& name);

// A 24-bit picture (blue, green, red) listed top row first; each row holds width pixels.
// The tiled fill repeats each picture pixel over scale x scale canvas pixels (a job
// drawn larger keeps its texture's grain).
struct TextureView {
  const std::uint8_t* const* rows = nullptr;
  int width = 0, height = 0;
  int scale = 1;
  bool empty() const { return rows == nullptr || width <= 0 || height <= 0; }
};

// Texture pixel at ((c - x) mod width, (r - y) mod height) under each painted pixel.
void tiledTextureFill(RgbRows text, RgbRows canvas, int x, int y, const TextureView& texture,
                      std::int16_t* plane);
// Texture pixel at (trunc((c - x) / W * width), trunc((r - y) / H * height)), W x H the
// canvas size, under each painted pixel.
void stretchedTextureFill(RgbRows text, RgbRows canvas, int x, int y, const TextureView& texture,
                          std::int16_t* plane);

// The whole effect: loads the picture at path (an 8-bit one through its colour table),
// fills, releases. A missing, empty, unreadable or zero-sized picture draws nothing.
// kind is kTiledTextureFill or kStretchedTextureFill; scale as in TextureView.
void textureFill(RgbRows text, RgbRows canvas, int x, int y, const std::string& path,
                 std::int32_t kind, std::int16_t* plane, int scale = 1);

}  // namespace vornel
