#include "render/canvas_layout.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/memory.h"
#include "platform/round_rect.h"
#include "render/engine.h"
#include "render/work_budget.h"

namespace vornel {

namespace {

struct Envelope {
  std::int64_t minX = 0, maxX = 0, minY = 0, maxY = 0;
  void widen(std::int64_t x0, std::int64_t x1, std::int64_t y0, std::int64_t y1) {
    minX = std::min({minX, x0, x1});
    maxX = std::max({maxX, x0, x1});
    minY = std::min({minY, y0, y1});
    maxY = std::max({maxY, y0, y1});
  }
};

std::int64_t roundUp4(std::int64_t v) {
  return (v + 3) & ~std::int64_t{3};
}
std::int64_t roundDown4(std::int64_t v) {
  return v & ~std::int64_t{3};
}

bool isTextKind(std::int32_t kind) {
  return kind == kLayerFont || kind == kLayerStretchedFont;
}

// The canvas of an empty message: the previous layout's envelope with a 4-pixel margin.
CanvasLayout emptyMessageLayout(const CanvasLayout& previous) {
  CanvasLayout layout;
  layout.extentWidth = previous.extentWidth;
  layout.extentHeight = previous.extentHeight;
  layout.clipLeft = previous.clipLeft;
  layout.clipTop = previous.clipTop;
  layout.width = static_cast<int>(roundDown4(std::int64_t{previous.extentWidth} + 4));
  layout.height = static_cast<int>(roundDown4(std::int64_t{previous.extentHeight} + 4));
  return layout;
}

bool refuse(std::int64_t width, std::int64_t height, std::string* reason) {
  if (reason)
    *reason = "the picture would be " + std::to_string(width) + " x " + std::to_string(height) +
              " pixels; at most " + std::to_string(kMaxCanvasSide) + " x " +
              std::to_string(kMaxCanvasSide) + " can be rendered";
  return false;
}

}  // namespace

OffsetEnvelope effectOffsetEnvelope(const std::vector<EffectRecord>& effects, int drawScale) {
  const std::int64_t unit = std::max(drawScale, 1);
  Envelope e;
  for (const EffectRecord& r : effects) {
    std::int64_t x = r.param(3), y = r.param(4);
    switch (r.type) {
      case kSingleColor:
      case kLinearGradient:
      case k3dSingleColor:
      case kFog:
      case kSpace:
        e.widen(x, x, y, y);
        break;
      case kOutLine: {
        std::int64_t d = r.param(5);
        e.widen(x - d, x + d, y - d, y + d);
        break;
      }
      case kDropShadow: {
        // The blur's weights vanish at distance d, so the shadow reaches d - 1 around its
        // offset; a radius of 0 or less paints nothing and the range is empty.
        std::int64_t d = r.param(6);
        if (d > 0) e.widen(x - d + unit, x + d - unit, y - d + unit, y + d - unit);
        break;
      }
      case kStarFilter: {
        // The star is drawn at the mirrored vertical offset, so it reaches |y| +- 3.
        std::int64_t ay = std::abs(y);
        e.widen(x - 3 * unit, x + 3 * unit, ay - 3 * unit, ay + 3 * unit);
        break;
      }
      default:
        break;
    }
  }
  return {-e.minX, -e.minY, e.maxX - e.minX, e.maxY - e.minY};
}

namespace {

bool measureWorkingSet(Engine& engine, CanvasLayout& layout, std::string* reason) {
  const WorkingSet& ws = engine.doc.ws;
  CanvasLayout result;
  if (ws.message.empty()) {
    layout = emptyMessageLayout(engine.canvas.lastMeasured);
    return true;
  }
  OffsetEnvelope env = effectOffsetEnvelope(ws.effects, engine.doc.drawScale);
  // The pad widens the envelope alike on both sides, so the text stays centred and a
  // Template sized from the Message's text keeps its size.
  const std::int64_t pad = std::max(0, ws.pad);
  env.originX += pad;
  env.originY += pad;
  env.extentWidth += 2 * pad;
  env.extentHeight += 2 * pad;
  if (env.extentWidth > kMaxCanvasSide || env.extentHeight > kMaxCanvasSide)
    return refuse(env.extentWidth, env.extentHeight, reason);
  result.textOriginX = static_cast<int>(env.originX);
  result.textOriginY = static_cast<int>(env.originY);
  result.extentWidth = static_cast<int>(env.extentWidth);
  result.extentHeight = static_cast<int>(env.extentHeight);
  if (ws.kind == kLayerNone) {
    layout = result;
    return true;
  }

  std::int64_t textW = 0, textH = 0;
  if (ws.kind == kLayerRoundBox) {
    textW = std::max(0, ws.box[0]);
    textH = std::max(0, ws.box[1]);
  } else if (isTextKind(ws.kind)) {
    TextExtent extent = engine.text.measure(ws.font, ws.message);
    std::int64_t mw = roundUp4(extent.width), mh = roundUp4(extent.height);
    if (engine.doc.prefs.clipBlank != 0) {
      // The ink is found without drawing into an mw x mh raster: a wide message of
      // blanks must not cost a huge buffer. No ink at all leaves a 0 x 0 text area.
      InkBounds ink =
          engine.text.inkBounds(ws.font, ws.message, static_cast<int>(mw), static_cast<int>(mh));
      if (!ink.empty()) {
        result.clipLeft = ink.left;
        result.clipTop = ink.top;
        textW = ink.right - ink.left;
        textH = ink.bottom - ink.top;
      }
    } else {
      textW = mw;
      textH = mh;
    }
  }
  // A job drawn N times larger rounds as its unscaled layout does, N times over, so the
  // canvas is exactly N times the unscaled one (extent and text are N times theirs).
  const std::int64_t unit = std::max(engine.doc.drawScale, 1);
  std::int64_t width = unit * roundDown4((env.extentWidth + textW) / unit + 3);
  std::int64_t height = unit * roundDown4((env.extentHeight + textH) / unit + 3);
  if (width > kMaxCanvasSide || height > kMaxCanvasSide) return refuse(width, height, reason);
  if (!canvasWithinBudget(width, height, reason)) return false;
  result.width = static_cast<int>(width);
  result.height = static_cast<int>(height);
  layout = result;
  return true;
}

}  // namespace

bool measureLayout(Engine& engine, CanvasLayout& layout, std::string* reason) {
  CanvasLayout result;
  if (!measureWorkingSet(engine, result, reason)) return false;
  engine.canvas.lastMeasured = result;
  layout = result;
  return true;
}

bool prepareCanvas(Engine& engine, std::string* reason) {
  CanvasLayout layout;
  if (!measureLayout(engine, layout, reason)) return false;
  const WorkingSet& ws = engine.doc.ws;
  RenderCanvas& c = engine.canvas;
  std::size_t pixels =
      static_cast<std::size_t>(layout.width) * static_cast<std::size_t>(layout.height);

  // The old buffers go first so that only one set is held at a time.
  c.textRaster = {}, c.savedTextRaster = {}, c.edgeMask = {};
  c.canvas = {}, c.pressedCanvas = {}, c.coverage = {}, c.pressedCoverage = {};
  c.width = layout.width;
  c.height = layout.height;
  c.textOriginX = layout.textOriginX;
  c.textOriginY = layout.textOriginY;
  c.extentWidth = layout.extentWidth;
  c.extentHeight = layout.extentHeight;
  c.clipLeft = layout.clipLeft;
  c.clipTop = layout.clipTop;
  c.textRaster = allocate<std::uint8_t>(pixels * 3);
  c.canvas = allocate<std::uint8_t>(pixels * 3);
  c.pressedCanvas = allocate<std::uint8_t>(pixels * 3);
  c.edgeMask = allocate<std::uint8_t>(pixels);

  if (pixels > 0) {
    if (isTextKind(ws.kind)) {
      // Into the rectangle where the measuring raster's corner lands, clipped to it: ink
      // the measurement did not see (left of or above that corner) is not drawn either.
      engine.text.draw(ws.font, ws.message, c.textRaster.data(), c.width, c.height,
                       c.textOriginX - c.clipLeft, c.textOriginY - c.clipTop);
    } else if (ws.kind == kLayerRoundBox) {
      fillRoundRect(c.textRaster.data(), c.width, c.height, c.textOriginX, c.textOriginY,
                    c.textOriginX + ws.box[0], c.textOriginY + ws.box[1], ws.box[2], ws.box[3]);
    }
  }
  c.coverage = allocate<std::int16_t>(pixels);
  c.pressedCoverage = allocate<std::int16_t>(pixels);
  c.savedTextRaster = allocate<std::uint8_t>(pixels * 3);
  std::copy(c.textRaster.begin(), c.textRaster.end(), c.savedTextRaster.begin());
  computeEdgeMask(c);
  c.heightFieldStale = true;
  return true;
}

void restoreTextRaster(RenderCanvas& c) {
  std::copy(c.savedTextRaster.begin(), c.savedTextRaster.end(), c.textRaster.begin());
  std::fill(c.coverage.begin(), c.coverage.end(), std::int16_t{0});
  std::fill(c.pressedCoverage.begin(), c.pressedCoverage.end(), std::int16_t{0});
  computeEdgeMask(c);
  c.heightFieldStale = true;
}

void clearCanvasToBackground(RenderCanvas& c, std::uint32_t backgroundColor) {
  std::uint8_t b = colorChannel(backgroundColor, 0), g = colorChannel(backgroundColor, 1),
               r = colorChannel(backgroundColor, 2);
  for (std::size_t i = 0; i + 2 < c.canvas.size(); i += 3) {
    c.canvas[i] = b;
    c.canvas[i + 1] = g;
    c.canvas[i + 2] = r;
  }
  std::fill(c.coverage.begin(), c.coverage.end(), std::int16_t{0});
}

void clearCanvasToBlack(RenderCanvas& c) {
  std::fill(c.canvas.begin(), c.canvas.end(), std::uint8_t{0});
}

void clearPressedCanvas(RenderCanvas& c) {
  std::fill(c.pressedCanvas.begin(), c.pressedCanvas.end(), std::uint8_t{0});
}

TextOnlySize measureTextOnly(Engine& engine) {
  const WorkingSet& ws = engine.doc.ws;
  if (ws.message.empty()) {
    CanvasLayout layout = emptyMessageLayout(engine.canvas.lastMeasured);
    return {layout.width, layout.height};
  }
  auto side = [](std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(roundUp4(v), 0, std::int64_t{1} << 30));
  };
  if (ws.kind == kLayerRoundBox)
    return {side(std::max(0, ws.box[0])), side(std::max(0, ws.box[1]))};
  if (!isTextKind(ws.kind)) return {};
  TextExtent extent = engine.text.measure(ws.font, ws.message);
  return {side(extent.width), side(extent.height)};
}

void computeEdgeMask(RenderCanvas& c) {
  const int w = c.width, h = c.height;
  std::size_t pixels = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
  if (c.edgeMask.size() != pixels || c.textRaster.size() != pixels * 3) return;
  std::fill(c.edgeMask.begin(), c.edgeMask.end(), std::uint8_t{0});
  const std::uint8_t* t = c.textRaster.data();
  auto lit = [&](int x, int y) {
    return t[(static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)) * 3] != 0;
  };
  for (int y = 1; y < h - 1; ++y) {
    for (int x = 1; x < w - 1; ++x) {
      if (!lit(x, y)) continue;
      bool inner = lit(x - 1, y) && lit(x, y - 1) && lit(x, y + 1) && lit(x + 1, y);
      if (!inner) c.edgeMask[static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)] = 255;
    }
  }
}

}  // namespace vornel
