#include "render/job_scale.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "imageio/budget.h"
#include "render/effects/distortion.h"
#include "render/effects/star_enlarge.h"
#include "render/engine.h"

// What a job drawn N times larger multiplies, per effect type. Lengths in pixels are
// multiplied in the records; what is a share, an angle, a colour, an opacity, a count or
// relative to the canvas stays; what has no length word of its own (pictures, random
// grains, noise scales, slopes) is drawn at the scale by the effect itself, told by
// VornelDocument::drawScale.
//
//   type               multiplied by N             kept                  drawn at the scale
//   0 Draw             p3 p4 offset                p1 colour, p5 kind    tiled texture: each
//                                                                        picture pixel N x N
//                                                                        (stretched: spans
//                                                                        the canvas anyway)
//   1 Outline          p3 p4, p5 thickness         p1
//   2 Drop Shadow      p3 p4, p6 blur radius       p1, p5 opacity        layout reach d - N
//   3 Linear Gradient  p3 p4, p6 half-length       p1 p2, p5 angle
//   4 Depth of Field   p6 blur radius              p5 opacity
//   5 Disturbing Font  p7 amplitude (sin and       p5 template, p6 waves Random Dot: one
//                      Fractal templates)          per canvas width,     draw per N x N
//                                                  p7 of Random Dot      block
//                                                  (share kept)
//   6 Star Filtering   p3 p4                       p1, p2 kind,          star enlarged N
//                                                  p6 intensity          times, one stamp
//                                                                        per N x N block
//                                                                        with an edge;
//                                                                        layout reach 3N
//   7 Tile             -                           name                  each tile pixel
//                                                                        N x N, blocks N
//                                                                        times larger
//   8 3D Single Color  p3 p4                       p1, p5 ... p10 shape  slopes and light
//                                                  (of the relief        taken per unscaled
//                                                  normalised to 0 ... 1) pixel
//   9 Round Box        -                           p5 ... p8 per mille
//                                                  of the canvas
//   10 Fog             p3 p4                       p1, p5 ... p10,       noise sampled N
//                                                  p11 size, p12         times finer
//                                                  intensity
//   11 Space           p3 p4                       p5 size, p6 sparsity  one star draw per
//                                                                        N x N block, its
//                                                                        noise at the block
//   12 Cut Out         p3 p4, p6 blur radius       p1, p5 opacity
//
// Besides the effects: every layer's font height and width (lfHeight, lfWidth, and the
// Font and Streached Font widths), box (width, height, corners), position, the working
// set's font, box, effects and margin, the Message's margin, and the Message's shape
// picture (each pixel N x N). The text is the unscaled font's hinted outlines enlarged N
// times and rasterised on the finer grid (TextRasterizer::setLayoutGrid), so letters keep
// their shape and place instead of being hinted anew at the larger size. The round-box
// factors are per mille and stay. Layouts and placements are computed again by the render
// from the scaled values, each canvas rounded as at scale 1 and then multiplied, so it is
// exactly N times its unscaled one. The pressed twin halves each offset as at scale 1
// (pressedRecord).

namespace vornel {

namespace {

std::int32_t times(std::int32_t value, int factor) {
  const std::int64_t product = static_cast<std::int64_t>(value) * factor;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      product, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// The 1-based parameter numbers that are lengths in pixels for this record.
std::vector<int> lengthParams(const EffectRecord& record) {
  switch (record.type) {
    case kSingleColor:
    case kStarFilter:
    case k3dSingleColor:
    case kFog:
    case kSpace:
      return {3, 4};
    case kOutLine:
      return {3, 4, 5};
    case kDropShadow:
    case kLinearGradient:
    case kCutOut:
      return {3, 4, 6};
    case kDepthField:
      return {6};
    case kDisturbTemplet: {
      // The warps' amplitude is in tenths of a pixel; Random Dot's p7 is a share.
      const int t = record.param(5);
      if (t >= kSinX && t <= kFractalXY) return {7};
      return {};
    }
    default:
      return {};
  }
}

void scaleFont(LogFont& font, int factor) {
  font.lfHeight = times(font.lfHeight, factor);
  font.lfWidth = times(font.lfWidth, factor);
}

void scaleBox(std::int32_t (&box)[6], int factor) {
  // The last two words are reserved and kept as read.
  for (int i = 0; i < 4; ++i) box[i] = times(box[i], factor);
}

void scaleEffects(std::vector<EffectRecord>& effects, int factor) {
  for (EffectRecord& record : effects) record = scaleEffectRecord(record, factor);
}

// Each pixel of the Message's shape becomes factor x factor pixels.
ShapeMask enlargeMask(const ShapeMask& mask, int factor) {
  ShapeMask out;
  out.width = mask.width * factor;
  out.height = mask.height * factor;
  out.lit.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      out.lit[static_cast<std::size_t>(y) * out.width + x] =
          mask.lit[static_cast<std::size_t>(y / factor) * mask.width + x / factor];
  return out;
}

}  // namespace

EffectRecord scaleEffectRecord(const EffectRecord& record, int factor) {
  EffectRecord out = record;
  for (int n : lengthParams(record)) out.param(n) = times(record.param(n), factor);
  return out;
}

bool scaleJob(Engine& engine, int factor, std::string* reason) {
  if (factor < kMinDrawScale || factor > kMaxDrawScale) {
    if (reason)
      *reason = "the scale must be a whole number from " + std::to_string(kMinDrawScale) + " to " +
                std::to_string(kMaxDrawScale) + ", not " + std::to_string(factor);
    return false;
  }
  if (factor == 1) return true;
  VornelDocument& doc = engine.doc;
  if (doc.drawScale != 1) {
    if (reason)
      *reason = "the job is already drawn " + std::to_string(doc.drawScale) + " times larger";
    return false;
  }
  const ShapeMask& mask = engine.messageMask;
  if (!mask.empty()) {
    const std::int64_t w = std::int64_t{mask.width} * factor,
                       h = std::int64_t{mask.height} * factor;
    if (w * h > kMaxCanvasPixels) {
      if (reason)
        *reason = "the Message's shape would be " + std::to_string(w) + " x " + std::to_string(h) +
                  " pixels at scale " + std::to_string(factor) + "; at most " +
                  std::to_string(kMaxCanvasPixels) + " pixels can be rendered";
      return false;
    }
  }

  for (LayerRecord& layer : doc.layers) {
    scaleFont(layer.font, factor);
    layer.fontWidth = times(layer.fontWidth, factor);
    layer.stretchedFontWidth = times(layer.stretchedFontWidth, factor);
    scaleBox(layer.box, factor);
    layer.x = times(layer.x, factor);
    layer.y = times(layer.y, factor);
    scaleEffects(layer.effects, factor);
  }
  scaleFont(doc.ws.font, factor);
  scaleBox(doc.ws.box, factor);
  scaleEffects(doc.ws.effects, factor);
  doc.ws.pad = times(doc.ws.pad, factor);
  doc.messagePad = times(doc.messagePad, factor);
  if (!mask.empty()) engine.messageMask = enlargeMask(mask, factor);
  for (int kind = 0; kind < 3; ++kind) {
    EffectKernel& star = starKernel(engine, kind);
    star = enlargeStarKernel(star, factor);
  }
  engine.text.setLayoutGrid(factor);
  doc.drawScale = factor;
  return true;
}

}  // namespace vornel
