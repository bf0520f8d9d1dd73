#include "render/work_budget.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "imageio/budget.h"
#include "imageio/file_bytes.h"
#include "imageio/image_by_name.h"
#include "imageio/picture_bound.h"
#include "render/effects/effects.h"
#include "render/effects/texture_fill.h"
#include "render/engine.h"

namespace vornel {

namespace {

constexpr std::int64_t kUnitsMax = std::numeric_limits<std::int64_t>::max() / 4;

// a x b, saturating far beyond any budget so that sums of products cannot overflow.
std::int64_t times(std::int64_t a, std::int64_t b) {
  if (a <= 0 || b <= 0) return 0;
  if (a > kUnitsMax / b) return kUnitsMax;
  return a * b;
}
std::int64_t plus(std::int64_t a, std::int64_t b) {
  return std::min(kUnitsMax, a + b);
}

// Millions with one decimal: "4213.6 M".
std::string millions(std::int64_t n) {
  char text[48];
  std::snprintf(text, sizeof text, "%.1f M", static_cast<double>(n) / 1e6);
  return text;
}

std::string size(std::int64_t w, std::int64_t h) {
  return std::to_string(w) + " x " + std::to_string(h);
}

std::int64_t litPixels(RgbRows text) {
  std::int64_t n = 0;
  const std::size_t count = static_cast<std::size_t>(text.width) * text.height;
  for (std::size_t i = 0; i < count; ++i) n += text.data[i * 3] != 0;
  return n;
}

std::int64_t edgePixels(const std::vector<std::uint8_t>& mask) {
  return std::count_if(mask.begin(), mask.end(), [](std::uint8_t v) { return v != 0; });
}

bool anyNegative(const std::int16_t* plane, std::size_t count) {
  return std::any_of(plane, plane + count, [](std::int16_t v) { return v < 0; });
}

// A texture or tile picture: reading its file, and decoding at most what its headers
// declare (the readers refuse more than kMaxDecodedPixels).
std::int64_t pictureUnits(const std::string& path) {
  if (path.empty()) return 0;
  const std::uint64_t bytes = fileSize(path);
  if (bytes == 0) return 0;
  std::int64_t pixels = kMaxDecodedPixels;
  std::vector<std::uint8_t> data;
  if (readWholeFile(path, data, nullptr))
    pixels = std::min(kMaxDecodedPixels, decodedPixelBound(data.data(), data.size()));
  return plus(times(static_cast<std::int64_t>(std::min<std::uint64_t>(bytes, kUnitsMax)),
                    2 * cost::kFileByte),
              times(pixels, cost::kDecodedPixel));
}

// The side of a blur kernel, as the dispatcher builds it.
std::int64_t blurCells(std::int32_t radius) {
  const std::int64_t side = 2 * static_cast<std::int64_t>(std::max(radius, 0)) + 1;
  return side * side;
}

// The relief will be rebuilt: marked stale, or built for another canvas.
bool reliefStale(const Engine& engine, RgbRows text) {
  const HeightField& field = engine.relief.field;
  return engine.canvas.heightFieldStale || field.width != text.width || field.height != text.height;
}

std::string effectName(const EffectRecord& record) {
  if (record.type >= 0 && record.type < kEffectTypeCount) return kEffectKeywords[record.type];
  return "effect " + std::to_string(record.type);
}

}  // namespace

bool WorkMeter::charge(std::int64_t units, const std::string& what) {
  if (refused()) return false;
  if (units > kRenderWorkUnits - spent) {
    const std::string need = units >= kUnitsMax ? "more than " + millions(kRenderWorkUnits)
                                                : "about " + millions(plus(spent, units));
    refusal = what + " would need " + need + " work units in all; a job may take " +
              millions(kRenderWorkUnits) + " (about " +
              std::to_string(kRenderWorkUnits / 1'000'000'000) + " s)";
    return false;
  }
  spent += units;
  return true;
}

WorkScope::WorkScope(WorkMeter& meter) : meter_(meter) {
  if (meter_.depth++ == 0) {
    meter_.spent = 0;
    meter_.refusal.clear();
  }
}

WorkScope::~WorkScope() {
  --meter_.depth;
}

bool canvasWithinBudget(std::int64_t width, std::int64_t height, std::string* reason) {
  if (width <= 0 || height <= 0 || width <= kMaxCanvasPixels / height) return true;
  if (reason)
    *reason = "the canvas would be " + size(width, height) + " pixels (" +
              millions(width * height) + "); at most " + millions(kMaxCanvasPixels) + " pixels (" +
              std::to_string(kMaxCanvasPixels) + ") can be rendered";
  return false;
}

bool chargeLayers(Engine& engine, std::int64_t outputWidth, std::int64_t outputHeight) {
  const VornelDocument& doc = engine.doc;
  const std::int64_t passes = doc.pressedImage ? 2 : 1;
  std::int64_t units = cost::kJob, layers = 0;
  for (const LayerRecord& layer : doc.layers) {
    if (layer.kind == kLayerNone) continue;
    ++layers;
    units = plus(units, times(times(layer.width, layer.height), cost::kLayerPixel * passes));
  }
  units = plus(
      units, times(times(times(outputWidth, outputHeight), layers), cost::kComposePixel * passes));
  return engine.meter.charge(units, "the " + std::to_string(layers) + " layers and the " +
                                        size(outputWidth, outputHeight) + " picture");
}

bool chargeEffect(Engine& engine, const EffectRecord& rec, RgbRows text, RgbRows target,
                  const std::int16_t* plane) {
  WorkMeter& meter = engine.meter;
  if (meter.refused()) return false;
  const std::int64_t area = static_cast<std::int64_t>(target.width) * target.height;
  const std::string on = " on a " + size(target.width, target.height) + " canvas";
  std::int64_t units = times(area, cost::kScanPixel);
  std::string what = effectName(rec) + on;
  switch (rec.type) {
    case kSingleColor:
      units = plus(units, times(area, cost::kTexturePixel));
      if (rec.param(5) == kTiledTextureFill || rec.param(5) == kStretchedTextureFill)
        units = plus(units, pictureUnits(texturePath(engine.doc.appDirectory, rec.texture())));
      break;
    case kTile:
      units = plus(units, times(area, cost::kTexturePixel));
      units = plus(units, pictureUnits(texturePath(engine.doc.appDirectory, rec.texture())));
      break;
    case kOutLine: {
      const int radius = std::max(rec.param(5), 0);
      // The radius cannot pass the canvas's diagonal by much and still change anything
      // but the count of stamps; it is bounded here before its tables are sized.
      if (radius > 4 * kMaxCanvasSide) {
        what = "OutLine (radius " + std::to_string(radius) + ")" + on;
        units = kUnitsMax;
        break;
      }
      std::int64_t perEdge = outlineCellsPerEdge(radius);
      // Rows whose coverage starts negative look each rim step up in a tree of the row.
      if (anyNegative(plane, static_cast<std::size_t>(area)))
        perEdge = times(perEdge, 2 + static_cast<std::int64_t>(std::log2(target.width + 1.0)));
      units = plus(units, times(area, cost::kOutlinePixel));
      units = plus(units,
                   times(times(edgePixels(engine.canvas.edgeMask), perEdge), cost::kOutlineCell));
      what = "OutLine (radius " + std::to_string(radius) + ")" + on;
      break;
    }
    case kDropShadow:
    case kDepthField:
    case kCutOut: {
      const std::int32_t radius = rec.param(6);
      what = effectName(rec) + " (radius " + std::to_string(radius) + ")" + on;
      if (radius > kMaxBlurRadius) {
        units = kUnitsMax;
        break;
      }
      // Building and normalising the kernel, and the effect's counts over its windows;
      // the cells come once the kernel is built (chargeBlurCells).
      units = plus(units, times(blurCells(radius), 3 * cost::kBlurCell));
      units = plus(units, times(area, cost::kWindowPixel));
      break;
    }
    case kLinearGradient:
      units = plus(units, times(area, cost::kGradientPixel));
      break;
    case kStarFilter: {
      const int kind = rec.param(2);
      if (kind < 0 || kind > 2) break;
      const EffectKernel& star = starKernel(engine, kind);
      const std::int64_t cells = static_cast<std::int64_t>(2 * star.rx + 1) * (2 * star.ry + 1);
      const std::int64_t stamps = engine.doc.drawScale > 1 && engine.canvas.edgeMask.size() ==
                                                                  static_cast<std::size_t>(area)
                                      ? starStampCount(engine.canvas.edgeMask.data(), target.width,
                                                       target.height, engine.doc.drawScale)
                                      : edgePixels(engine.canvas.edgeMask);
      units = plus(units, times(times(stamps, cells), cost::kStarCell));
      units = plus(units, times(cells, 8 * cost::kStarCell));  // scaling and trimming
      break;
    }
    case kDisturbTemplet: {
      const int kind = rec.param(5);
      const std::int64_t perPixel = kind == 1 || kind == 2 || kind == 3 ? cost::kWarpPixel
                                    : kind == 4 || kind == 5            ? cost::kNoisePixel
                                    : kind == 6                         ? 2 * cost::kNoisePixel
                                                                        : cost::kFillPixel;
      units = plus(units, times(area, perPixel + cost::kScanPixel));
      break;
    }
    case k3dSingleColor:
      units = plus(units, times(litPixels(text), cost::kShadePixel));
      if (reliefStale(engine, text)) units = plus(units, times(area, cost::kReliefPixel));
      break;
    case kRoundBoxEffect:
      units = plus(units, times(area, cost::kFillPixel));
      break;
    case kFog:
      units = plus(units, times(litPixels(text), cost::kNoisePixel + cost::kShadePixel));
      if (reliefStale(engine, text)) units = plus(units, times(area, cost::kReliefPixel));
      break;
    case kSpace:
      units = plus(units, times(litPixels(text), 2 * cost::kNoisePixel));
      break;
    default:
      break;
  }
  return meter.charge(units, what);
}

bool chargeBlurCells(Engine& engine, const EffectRecord& rec, RgbRows text, RgbRows target,
                     const EffectKernel& kernel) {
  const std::int64_t area = static_cast<std::int64_t>(target.width) * target.height;
  const std::int64_t window = (2 * static_cast<std::int64_t>(kernel.rx) + 1) *
                              (2 * static_cast<std::int64_t>(kernel.ry) + 1);
  // The shadow's cells are plain additions, cheaper than the other two's gathers, and it
  // blends every pixel besides.
  const std::int64_t perCell = rec.type == kDropShadow ? cost::kShadowCell : cost::kBlurCell;
  const std::int64_t blend = rec.type == kDropShadow ? times(area, cost::kShadowPixel) : 0;
  std::int64_t cells = times(rec.type == kDepthField ? area : litPixels(text), window);
  std::int64_t units = plus(blend, times(cells, perCell));
  if (units > kRenderWorkUnits / 16) {
    cells = rec.type == kDropShadow   ? dropShadowCells(text, rec.param(3), rec.param(4), kernel)
            : rec.type == kDepthField ? depthOfFieldCells(target, kernel)
                                      : cutOutCells(text, rec.param(3), rec.param(4), kernel);
    units = plus(plus(blend, times(cells, perCell)), times(area, cost::kWindowPixel));
  }
  return engine.meter.charge(units, effectName(rec) + " (radius " + std::to_string(rec.param(6)) +
                                        ") on a " + size(target.width, target.height) + " canvas");
}

std::int64_t reliefSamplesLeft(const WorkMeter& meter) {
  if (meter.refused()) return 0;
  return (kRenderWorkUnits - meter.spent) / cost::kRingSample;
}

void chargeRelief(WorkMeter& meter, std::int64_t samples, bool ranOut, int width, int height) {
  const std::string what = "the 3D relief's ring search on a " + size(width, height) + " canvas";
  if (ranOut) {
    meter.charge(kUnitsMax, what);
    return;
  }
  meter.charge(times(samples, cost::kRingSample), what);
}

}  // namespace vornel
