#include "render/dispatch.h"

#include <algorithm>

#include "imageio/budget.h"
#include "render/effects/distortion.h"
#include "render/effects/effect_kernel.h"
#include "render/effects/effects.h"
#include "render/effects/fog.h"
#include "render/effects/height_field.h"
#include "render/effects/round_box.h"
#include "render/effects/space.h"
#include "render/effects/texture_fill.h"
#include "render/effects/three_d.h"
#include "render/effects/tile.h"
#include "render/engine.h"
#include "render/work_budget.h"

namespace vornel {

namespace {

// The hemisphere kernel shared by drop shadow, depth of field and cut out: side
// 2r + 1, total weight opacity x 0.02 (computed in double, handed on as float). The work
// budget has refused radii beyond kMaxBlurRadius before this is built.
EffectKernel blurKernel(std::int32_t radiusParam, std::int32_t opacity) {
  int r = std::clamp(radiusParam, 0, kMaxBlurRadius);
  EffectKernel kernel = makeKernel(2 * r + 1, 2 * r + 1);
  makeDomeKernel(kernel, static_cast<float>(r));
  normalizeKernel(kernel, static_cast<float>(opacity * 0.02));
  return kernel;
}

// The relief of 3D Single Color and Fog, rebuilt when stale with its ring search held to
// what the job's budget has left. False when the job ran out.
bool refreshRelief(Engine& engine, RgbRows text) {
  std::int64_t left = reliefSamplesLeft(engine.meter);
  const std::int64_t allowed = left;
  const bool done = refreshHeightField(engine.relief, text, engine.canvas.heightFieldStale, &left);
  chargeRelief(engine.meter, allowed - left, !done, text.width, text.height);
  return done;
}

}  // namespace

void runEffect(Engine& engine, const EffectRecord& rec, RgbRows text, RgbRows target,
               std::int16_t* plane) {
  if (target.width <= 0 || target.height <= 0) return;
  WorkScope job(engine.meter);
  if (!chargeEffect(engine, rec, text, target, plane)) return;
  const std::uint8_t* edgeMask = engine.canvas.edgeMask.data();
  const int x = rec.param(3), y = rec.param(4);
  const auto color1 = static_cast<std::uint32_t>(rec.param(1));
  // A job drawn larger (render/job_scale.h) has its lengths scaled in the records; the
  // effects whose look is a picture's pixels or a random grain are told the scale.
  const int grain = engine.doc.drawScale;
  switch (rec.type) {
    case kSingleColor:
      if (rec.param(5) == kTiledTextureFill || rec.param(5) == kStretchedTextureFill) {
        textureFill(text, target, x, y, texturePath(engine.doc.appDirectory, rec.texture()),
                    rec.param(5), plane, grain);
        return;
      }
      colorFill(text, target, x, y, color1, plane);
      return;
    case kOutLine:
      outline(target, edgeMask, rec.param(5), color1, x, y, plane);
      return;
    case kDropShadow: {
      const EffectKernel kernel = blurKernel(rec.param(6), rec.param(5));
      if (!chargeBlurCells(engine, rec, text, target, kernel)) return;
      dropShadow(text, target, x, y, kernel, color1, plane);
      return;
    }
    case kLinearGradient:
      linearGradient(text, target, target.width / 2, target.height / 2, x, y, rec.param(5), color1,
                     static_cast<std::uint32_t>(rec.param(2)), rec.param(6), plane);
      return;
    case kDepthField: {
      const EffectKernel kernel = blurKernel(rec.param(6), rec.param(5));
      if (!chargeBlurCells(engine, rec, text, target, kernel)) return;
      depthOfField(target, kernel);
      return;
    }
    case kStarFilter: {
      int kind = rec.param(2);
      if (kind < 0 || kind > 2) return;  // no star image by that number
      starFilter(target, edgeMask, starKernel(engine, kind), color1,
                 static_cast<float>(rec.param(6)) * 1000.0f, x, y, plane, grain);
      return;
    }
    case kCutOut: {
      const EffectKernel kernel = blurKernel(rec.param(6), rec.param(5));
      if (!chargeBlurCells(engine, rec, text, target, kernel)) return;
      cutOut(text, target, x, y, kernel, color1, plane);
      return;
    }
    case kDisturbTemplet:
      disturbTemplet(engine.canvas, engine.noise, rec.param(5), rec.param(6), rec.param(7), grain);
      return;
    case kTile:
      tileEffect(target, texturePath(engine.doc.appDirectory, rec.texture()), plane, grain);
      return;
    case k3dSingleColor:
      loadShapeProfile(engine.relief.profile, rec);
      if (!refreshRelief(engine, text)) return;
      threeDSingleColor(engine.relief, text, target, rec, plane, grain);
      return;
    case kRoundBoxEffect:
      roundBox(text, rec);
      return;
    case kFog:
      // Fog brings the relief up to date itself; done first here, within the budget.
      if (!refreshRelief(engine, text)) return;
      fog(engine.noise, engine.relief, engine.canvas.heightFieldStale, text, target, rec, plane,
          grain);
      return;
    case kSpace:
      space(engine.noise, text, target, rec, plane, grain);
      return;
    default:
      return;
  }
}

}  // namespace vornel
