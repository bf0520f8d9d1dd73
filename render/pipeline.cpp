#include "render/pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "imageio/checked_math.h"
#include "platform/memory.h"
#include "render/canvas_layout.h"
#include "render/compose.h"
#include "render/dispatch.h"
#include "render/effects/effects.h"
#include "render/engine.h"
#include "render/work_budget.h"

namespace vornel {

namespace {

// trunc(n x factor / 1000) as the layout has always computed it: the integer product
// scaled by 0.001 in double precision, truncated toward zero. Factors come from project
// files and may be anything: the result saturates far beyond any picture the layout
// accepts (such a box is refused later), so it always fits an int and sums with extents
// and origins cannot overflow.
int perMille(long long n, long long factor) {
  constexpr double kLimit = 1 << 30;
  return static_cast<int>(
      std::clamp(std::trunc(static_cast<double>(n * factor) * 0.001), -kLimit, kLimit));
}

// Characters of a layer text, a line break counting as the CR LF it is in files.
long long textLength(const std::string& text) {
  long long n = 0;
  for (unsigned char c : text) {
    if ((c & 0xC0) == 0x80) continue;  // UTF-8 continuation byte
    n += c == '\n' ? 2 : 1;
  }
  return n;
}

void storeLayout(const CanvasLayout& layout, LayerRecord& layer, bool withExtent) {
  layer.width = layout.width;
  layer.height = layout.height;
  layer.textOriginX = layout.textOriginX;
  layer.textOriginY = layout.textOriginY;
  if (withExtent) {
    layer.extentWidth = layout.extentWidth;
    layer.extentHeight = layout.extentHeight;
  }
}

// Where a mask's lit pixels lie: with clip blank on its lit bounding box (none at all
// gives a 0 x 0 area, as blank text does), otherwise the whole picture rounded up to
// multiples of 4 as text is measured.
struct MaskArea {
  int left = 0, top = 0, width = 0, height = 0;
};

MaskArea maskArea(const ShapeMask& mask, bool clipBlank) {
  if (!clipBlank) return {0, 0, (mask.width + 3) & ~3, (mask.height + 3) & ~3};
  int left = mask.width, right = 0, top = mask.height, bottom = 0;
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x)
      if (mask.lit[static_cast<std::size_t>(y) * mask.width + x]) {
        left = std::min(left, x);
        right = std::max(right, x + 1);
        top = std::min(top, y);
        bottom = std::max(bottom, y + 1);
      }
  if (right <= left) return {};
  return {left, top, right - left, bottom - top};
}

bool usesMask(const Engine& engine, int index) {
  return index == kMessageLayer && !engine.messageMask.empty();
}

// Loads layer index into the working set. A masked Message is laid out as a box of the
// mask's area; the caller draws the mask into the raster afterwards.
void loadLayer(Engine& engine, int index) {
  VornelDocument& doc = engine.doc;
  loadLayerIntoWorkingSet(doc, index);
  if (!usesMask(engine, index)) return;
  MaskArea area = maskArea(engine.messageMask, doc.prefs.clipBlank != 0);
  doc.ws.kind = kLayerRoundBox;
  doc.ws.box[0] = area.width;
  doc.ws.box[1] = area.height;
  doc.ws.box[2] = doc.ws.box[3] = 0;
  if (doc.ws.message.empty()) doc.ws.message = " ";  // an empty message lays out as nothing
}

bool layoutLayer(Engine& engine, int index, CanvasLayout& layout, std::string* reason,
                 bool boxSizedByPlacement = false) {
  loadLayer(engine, index);
  // The box of a Template or Bulletin round box is still the last placement's; it only
  // counts once placement has sized it again, and a stale huge box must not refuse the job.
  if (boxSizedByPlacement) engine.doc.ws.box[0] = engine.doc.ws.box[1] = 0;
  bool ok = measureLayout(engine, layout, reason);
  if (usesMask(engine, index)) loadLayerIntoWorkingSet(engine.doc, index);
  return ok;
}

void drawMask(Engine& engine) {
  RenderCanvas& c = engine.canvas;
  const ShapeMask& mask = engine.messageMask;
  MaskArea area = maskArea(mask, engine.doc.prefs.clipBlank != 0);
  std::fill(c.textRaster.begin(), c.textRaster.end(), std::uint8_t{0});
  RgbRows rows = c.textRows();
  for (int y = 0; y < area.height && y < mask.height - area.top; ++y)
    for (int x = 0; x < area.width && x < mask.width - area.left; ++x) {
      if (!mask.lit[static_cast<std::size_t>(y + area.top) * mask.width + x + area.left]) continue;
      int cx = c.textOriginX + x, cy = c.textOriginY + y;
      if (rows.contains(cy, cx)) std::memset(rows.pixel(cy, cx), 255, 3);
    }
  c.savedTextRaster = c.textRaster;
  computeEdgeMask(c);
}

bool prepareLayer(Engine& engine, int index, std::string* reason) {
  loadLayer(engine, index);
  bool ok = prepareCanvas(engine, reason);
  if (usesMask(engine, index)) {
    if (ok) drawMask(engine);
    loadLayerIntoWorkingSet(engine.doc, index);
  }
  return ok;
}

void copyCanvasToOutput(const std::vector<std::uint8_t>& pixels, int w, int h, DibImage& image) {
  createFilledOutput(image, w, h, 0);
  DibRowAccess rows(image);
  for (int y = 0; y < rows.rowCount(); ++y)
    std::memcpy(rows[y], pixels.data() + static_cast<std::size_t>(y) * w * 3,
                static_cast<std::size_t>(w) * 3);
}

void copyCanvasesToOutputs(Engine& engine) {
  VornelDocument& doc = engine.doc;
  RenderCanvas& c = engine.canvas;
  copyCanvasToOutput(c.canvas, c.width, c.height, doc.outputImage);
  if (doc.pressedImage)
    copyCanvasToOutput(c.pressedCanvas, c.width, c.height, doc.pressedOutputImage);
  doc.outputWidth = c.width;
  doc.outputHeight = c.height;
}

bool placeTemplate(Engine& engine, int mW, int mH, int mOX, int mOY, std::string* reason) {
  VornelDocument& doc = engine.doc;
  LayerRecord& t = doc.layer(kTemplateLayer);
  if (t.kind == kLayerRoundBox) {
    const RoundBoxFactors& f = doc.templateFactors;
    t.box[0] = perMille(mW - 2LL * mOX, f.width);
    t.box[1] = perMille(mH - 2LL * mOY, f.height);
    t.box[2] = perMille(t.box[0], f.cornerWidth);
    t.box[3] = perMille(t.box[1], f.cornerHeight);
    t.width = t.box[0] + t.extentWidth;
    t.height = t.box[1] + t.extentHeight;
  } else if (t.kind == kLayerFont || t.kind == kLayerStretchedFont) {
    long long length = textLength(t.text);
    // An empty text has no width to share out: it keeps the face's natural width.
    // The Message's pad is blank margin, not text to stretch over.
    const long long textWidth = std::max(0LL, mW - 2LL * doc.messagePad);
    t.stretchedFontWidth = length > 0 ? static_cast<int>(textWidth / length) : 0;
    if (t.kind == kLayerStretchedFont) t.font.lfWidth = t.stretchedFontWidth;
    CanvasLayout layout;
    if (!layoutLayer(engine, kTemplateLayer, layout, reason)) return false;
    storeLayout(layout, t, false);
  } else {
    return true;
  }
  t.x = mW / 2 - t.width / 2;
  t.y = mH / 2 - t.height / 2;
  return true;
}

void placeBulletin(Engine& engine, int mH) {
  VornelDocument& doc = engine.doc;
  LayerRecord& b = doc.layer(kBulletinLayer);
  if (b.kind == kLayerRoundBox) {
    const RoundBoxFactors& f = doc.bulletinFactors;
    b.box[0] = perMille(mH, f.width);
    b.box[1] = perMille(mH, f.height);
    b.box[2] = perMille(b.box[0], f.cornerWidth);
    b.box[3] = perMille(b.box[1], f.cornerHeight);
    b.x = static_cast<int>(std::trunc(-(b.box[0] + b.textOriginX) - mH * 0.1));
    b.y = mH / 2 - b.box[1] / 2 - b.textOriginY;
    b.width = b.box[0] + 2 * b.textOriginX;
    b.height = b.box[1] + 2 * b.textOriginY;
  } else if (b.kind == kLayerFont || b.kind == kLayerStretchedFont) {
    b.x = -b.width;
    b.y = mH / 2 - b.height / 2;
  }
}

}  // namespace

EffectRecord pressedRecord(const EffectRecord& record, int drawScale) {
  EffectRecord copy = record;
  const int unit = std::max(drawScale, 1);
  // Integer division truncates toward zero: -3 gives -1.
  copy.param(3) = copy.param(3) / (2 * unit) * unit;
  copy.param(4) = copy.param(4) / (2 * unit) * unit;
  return copy;
}

void runEffects(Engine& engine, bool clearToBackground) {
  WorkScope job(engine.meter);
  RenderCanvas& c = engine.canvas;
  if (clearToBackground)
    clearCanvasToBackground(c, engine.doc.ws.backgroundColor);
  else
    clearCanvasToBlack(c);
  // A copy: an effect must not see the list change under it.
  const std::vector<EffectRecord> effects = engine.doc.ws.effects;
  for (const EffectRecord& record : effects)
    runEffect(engine, record, c.textRows(), c.canvasRows(), c.coverage.data());
}

void runPressedEffects(Engine& engine) {
  WorkScope job(engine.meter);
  RenderCanvas& c = engine.canvas;
  clearPressedCanvas(c);
  const std::vector<EffectRecord> effects = engine.doc.ws.effects;
  for (const EffectRecord& record : effects)
    runEffect(engine, pressedRecord(record, engine.doc.drawScale), c.textRows(), c.pressedRows(),
              c.pressedCoverage.data());
}

void renderPreview(Engine& engine) {
  {
    BusyCursor busy(engine.host);
    restoreTextRaster(engine.canvas);
    runEffects(engine, true);
    if (engine.doc.pressedImage) runPressedEffects(engine);
    copyCanvasesToOutputs(engine);
  }
  engine.host.refreshPreview();
}

void renderEffectPreview(Engine& engine, const EffectRecord& record) {
  RenderCanvas& c = engine.canvas;
  clearCanvasToBackground(c, engine.doc.ws.backgroundColor);
  runEffect(engine, record, c.textRows(), c.canvasRows(), c.coverage.data());
  copyCanvasesToOutputs(engine);
}

void renderStarPreview(Engine& engine, int kind, float intensity, std::uint32_t color) {
  RenderCanvas& c = engine.canvas;
  if (kind >= 0 && kind <= 2) {
    starPreview(c.canvasRows(), starKernel(engine, kind), color, intensity, c.coverage.data());
  } else {
    clearCanvasToBlack(c);
  }
  copyCanvasesToOutputs(engine);
}

void publishCanvas(Engine& engine) {
  copyCanvasesToOutputs(engine);
}

void refreshDistortions(Engine& engine, int count) {
  WorkScope job(engine.meter);
  RenderCanvas& c = engine.canvas;
  restoreTextRaster(c);
  const std::vector<EffectRecord> effects = engine.doc.ws.effects;
  int n = std::clamp(count, 0, static_cast<int>(effects.size()));
  for (int i = 0; i < n; ++i) {
    const EffectRecord& record = effects[static_cast<std::size_t>(i)];
    if (record.type == kDisturbTemplet)
      runEffect(engine, record, c.textRows(), c.canvasRows(), c.coverage.data());
  }
}

void storeLayerImage(const std::uint8_t* pixels, const std::int16_t* coverage, int width,
                     int height, LayerImage& image) {
  const std::size_t n =
      static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0));
  image.width = std::max(width, 0);
  image.height = std::max(height, 0);
  image.pixels = allocate<std::uint8_t>(n * 3);
  image.alpha = allocate<std::uint8_t>(n);
  if (n == 0) return;
  std::memcpy(image.pixels.data(), pixels, n * 3);
  for (std::size_t i = 0; i < n; ++i)
    image.alpha[i] = static_cast<std::uint8_t>(std::clamp<int>(coverage[i], 0, 255));
}

bool placeLayers(Engine& engine, std::string* reason) {
  VornelDocument& doc = engine.doc;
  if (doc.layers.size() <= kMessageLayer) return true;
  const LayerRecord& m = doc.layer(kMessageLayer);
  const int mW = m.width, mH = m.height, mOX = m.textOriginX, mOY = m.textOriginY;
  if (!placeTemplate(engine, mW, mH, mOX, mOY, reason)) return false;
  // The Bulletin is sized and placed by the Message without its pad, then moved in by
  // the pad, so a margin around the Message neither grows the mark nor widens the gap.
  const int pad = std::clamp(doc.messagePad, 0, std::max(0, mH / 2));
  placeBulletin(engine, mH - 2 * pad);
  LayerRecord& b = doc.layer(kBulletinLayer);
  if (b.kind != kLayerNone) {
    b.x += pad;
    b.y += pad;
  }
  return true;
}

bool renderJob(Engine& engine, std::string* reason) {
  VornelDocument& doc = engine.doc;
  doc.outputStale = false;
  if (doc.layers.empty()) return true;
  BusyCursor busy(engine.host);
  WorkScope job(engine.meter);
  const int layerCount = static_cast<int>(doc.layers.size());
  // A layer whose canvas is refused leaves no output rather than a partial one.
  auto refuse = [&] {
    doc.outputWidth = doc.outputHeight = doc.originX = doc.originY = 0;
    createFilledOutput(doc.outputImage, 0, 0, doc.projectBackgroundColor);
    if (doc.pressedImage) createFilledOutput(doc.pressedOutputImage, 0, 0, 0);
    return false;
  };
  // A run of jobs (a batch) that has used up its budget makes no more.
  if (engine.meter.refused()) {
    if (reason) *reason = engine.meter.refusal;
    return refuse();
  }

  for (int i = 0; i < layerCount; ++i) {
    if (doc.layer(i).kind == kLayerNone) continue;
    CanvasLayout layout;
    const bool placedBox =
        (i == kTemplateLayer || i == kBulletinLayer) && doc.layer(i).kind == kLayerRoundBox;
    if (!layoutLayer(engine, i, layout, reason, placedBox)) return refuse();
    storeLayout(layout, doc.layer(i), true);
  }

  if (!placeLayers(engine, reason)) return refuse();

  // 64-bit bounds: positions come from project files and may be anything.
  long long minX = 0, minY = 0, maxX = 0, maxY = 0;
  for (const LayerRecord& layer : doc.layers) {
    if (layer.kind == kLayerNone) continue;
    minX = std::min<long long>(minX, layer.x);
    minY = std::min<long long>(minY, layer.y);
    maxX = std::max<long long>(maxX, static_cast<long long>(layer.x) + layer.width);
    maxY = std::max<long long>(maxY, static_cast<long long>(layer.y) + layer.height);
  }
  if (maxX - minX > kMaxOutputSide || maxY - minY > kMaxOutputSide ||
      (maxX - minX) * (maxY - minY) > kMaxOutputPixels) {
    if (reason)
      *reason = "the placed layers span " + std::to_string(maxX - minX) + " x " +
                std::to_string(maxY - minY) + " pixels, more than a picture may hold";
    return refuse();
  }
  doc.outputWidth = static_cast<int>(maxX - minX);
  doc.outputHeight = static_cast<int>(maxY - minY);
  doc.originX = static_cast<int>(minX);
  doc.originY = static_cast<int>(minY);
  // Every canvas and the picture are sized now, and none is allocated yet.
  if (!chargeLayers(engine, doc.outputWidth, doc.outputHeight)) {
    if (reason) *reason = engine.meter.refusal;
    return refuse();
  }

  RenderCanvas& c = engine.canvas;
  for (int i = 0; i < layerCount; ++i) {
    if (doc.layer(i).kind == kLayerNone) continue;
    if (!prepareLayer(engine, i, reason)) return refuse();
    runEffects(engine, false);
    LayerRecord& layer = doc.layer(i);
    storeLayerImage(c.canvas.data(), c.coverage.data(), c.width, c.height, layer.image);
    if (doc.pressedImage) {
      runPressedEffects(engine);
      storeLayerImage(c.pressedCanvas.data(), c.pressedCoverage.data(), c.width, c.height,
                      layer.pressedImage);
    }
    if (engine.meter.refused()) {
      if (reason) *reason = engine.meter.refusal;
      return refuse();
    }
  }
  // Each layer is stored as it is rendered; composing them afterwards gives the same
  // picture as composing as they come, and keeps one composition path.
  composeJob(doc);
  return true;
}

}  // namespace vornel
