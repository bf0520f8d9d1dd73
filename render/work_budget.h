// Keeping a job within the budget of imageio/budget.h: the canvas-size limits checked
// by the layout, and the work meter that every layer and effect run is charged to before
// it runs. A job whose next charge would pass kRenderWorkUnits is refused with a reason
// that names the work the step would need; the steps after it are skipped.
#pragma once

#include <cstdint>
#include <string>

#include "render/effects/effect_kernel.h"
#include "render/effects/effect_record.h"
#include "render/pixel_rows.h"

namespace vornel {

struct Engine;

// Work units charged to the job being rendered.
struct WorkMeter {
  std::int64_t spent = 0;
  std::string refusal;  // why the job was stopped; empty while it may go on
  int depth = 0;        // open WorkScopes

  bool refused() const { return !refusal.empty(); }
  // Adds units for `what`; when the total would pass the budget, adds nothing, sets the
  // refusal and returns false. Once refused, every charge fails.
  bool charge(std::int64_t units, const std::string& what);
};

// A job on the meter. The outermost scope starts the count afresh, so a render and the
// passes and previews inside it share one budget.
class WorkScope {
 public:
  explicit WorkScope(WorkMeter& meter);
  ~WorkScope();
  WorkScope(const WorkScope&) = delete;
  WorkScope& operator=(const WorkScope&) = delete;

 private:
  WorkMeter& meter_;
};

// A canvas of width x height may be prepared: within kMaxCanvasPixels. Otherwise false
// with a reason naming both sizes.
bool canvasWithinBudget(std::int64_t width, std::int64_t height, std::string* reason);

// Charges the layers of a laid-out job (each layer's own width and height, and the
// composed output of outputWidth x outputHeight): preparing each canvas, clearing it for
// both passes, storing and composing. Nothing is allocated before this.
bool chargeLayers(Engine& engine, std::int64_t outputWidth, std::int64_t outputHeight);

// Charges one run of record on the current canvas (text raster, target, coverage plane
// and the engine's edge mask as they are now). False when the job is refused; the effect
// must then not run.
bool chargeEffect(Engine& engine, const EffectRecord& record, RgbRows text, RgbRows target,
                  const std::int16_t* plane);

// Charges the kernel cells a drop shadow, depth of field or cut out (record, with its
// built kernel) will visit on these rasters; false when the job is refused. When the
// plain count (every lit pixel, or every pixel, times the kernel) is a large part of the
// budget, the cells are counted as the effect will visit them.
bool chargeBlurCells(Engine& engine, const EffectRecord& record, RgbRows text, RgbRows target,
                     const EffectKernel& kernel);

// The number of ring samples the 3D relief may still look at before the job runs out.
std::int64_t reliefSamplesLeft(const WorkMeter& meter);
// Charges the samples the relief used; with `ran_out` the job is refused instead.
void chargeRelief(WorkMeter& meter, std::int64_t samples, bool ranOut, int width, int height);

}  // namespace vornel
