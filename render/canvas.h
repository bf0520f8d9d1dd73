// The working canvas every layer is rendered on: the text raster (white text on black),
// its saved copy, the edge mask, the canvas and pressed canvas the effects paint, and
// the two 16-bit coverage planes. All rasters are top-down, W x H with W and H
// multiples of 4; a 24-bit row is exactly 3 x W bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/job.h"
#include "platform/text_raster.h"
#include "render/pixel_rows.h"

namespace vornel {

// Largest canvas side the renderer accepts; a larger layout is refused.
inline constexpr int kMaxCanvasSide = 16384;

// What measureLayout decides; prepareCanvas copies it into the canvas.
struct CanvasLayout {
  int width = 0, height = 0;
  int textOriginX = 0, textOriginY = 0;
  int extentWidth = 0, extentHeight = 0;
  int clipLeft = 0, clipTop = 0;
};

struct RenderCanvas {
  // The layout measureLayout decided last, whether or not a canvas was prepared from it:
  // an empty message keeps its extent and clip offsets. The renderJob layout pass
  // measures every layer without preparing one, so the canvas's own fields would be a
  // layout older than the layer measured just before.
  CanvasLayout lastMeasured;

  int width = 0, height = 0;
  int textOriginX = 0, textOriginY = 0;
  int extentWidth = 0, extentHeight = 0;
  int clipLeft = 0, clipTop = 0;

  std::vector<std::uint8_t> textRaster;       // W * H * 3
  std::vector<std::uint8_t> savedTextRaster;  // W * H * 3
  std::vector<std::uint8_t> edgeMask;         // W * H
  std::vector<std::uint8_t> canvas;           // W * H * 3
  std::vector<std::uint8_t> pressedCanvas;    // W * H * 3
  std::vector<std::int16_t> coverage;         // W * H, index x + y * W
  std::vector<std::int16_t> pressedCoverage;  // W * H

  // Set when the 3D effect's cached height field must be rebuilt.
  bool heightFieldStale = true;

  RgbRows textRows() { return {textRaster.data(), width, height}; }
  RgbRows canvasRows() { return {canvas.data(), width, height}; }
  RgbRows pressedRows() { return {pressedCanvas.data(), width, height}; }
};

}  // namespace vornel
