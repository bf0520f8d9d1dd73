// The layout of the render canvas and the buffers it is made of: how big the canvas is
// for the working set (the effects' offset envelope, the measured text, the blank
// margins clipped away), the text or box rasterised into it white on black, and the
// edge mask derived from that raster.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/canvas.h"
#include "render/effects/effect_record.h"

namespace vornel {

struct Engine;

// How far the effects' offsets reach around the text: the text's top-left lies at
// (originX, originY) inside an extentWidth x extentHeight envelope. 64-bit because
// offsets read from a style file may be anything.
struct OffsetEnvelope {
  std::int64_t originX = 0, originY = 0;
  std::int64_t extentWidth = 0, extentHeight = 0;
};
// With a draw scale above 1 the records are already scaled, and the fixed reaches (the
// star's 3 pixels, the shadow's one pixel short of its radius) scale with them.
OffsetEnvelope effectOffsetEnvelope(const std::vector<EffectRecord>& effects, int drawScale = 1);

// Lays out the working set and remembers the result as the canvas's lastMeasured. An
// empty message keeps the extent and clip offsets of the layout measured before it.
// Returns false with a reason, leaving layout and lastMeasured untouched, when the
// canvas would be wider or taller than kMaxCanvasSide.
bool measureLayout(Engine& engine, CanvasLayout& layout, std::string* reason = nullptr);

// measureLayout, then re-creates every buffer of the canvas at the new size, rasterises
// the working set's text or box, saves that raster and computes the edge mask. When the
// layout is refused the canvas is left as it was and false is returned with the reason.
bool prepareCanvas(Engine& engine, std::string* reason = nullptr);

// Brings back the text raster as prepared, clears both coverage planes and recomputes
// the edge mask (effects such as the round box change the text raster).
void restoreTextRaster(RenderCanvas& canvas);

// Canvas = the background colour (0x00BBGGRR written as BB, GG, RR), coverage = 0.
void clearCanvasToBackground(RenderCanvas& canvas, std::uint32_t backgroundColor);
// Canvas = black; coverage is left as it is.
void clearCanvasToBlack(RenderCanvas& canvas);
void clearPressedCanvas(RenderCanvas& canvas);

// The size of the text alone for the "Text" preview: no effects, no clipping; each side
// rounded up to a multiple of 4. An empty message gives 4 more than the extent of the
// layout measured last, rounded down to a multiple of 4.
struct TextOnlySize {
  int width = 0, height = 0;
};
TextOnlySize measureTextOnly(Engine& engine);

// 255 on lit pixels with at least one unlit 4-neighbour, 0 elsewhere; the outermost rows
// and columns are always 0.
void computeEdgeMask(RenderCanvas& canvas);

}  // namespace vornel
