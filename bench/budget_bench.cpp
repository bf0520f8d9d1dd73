// The work budget's costs against the clock: each effect run on a real canvas through
// runEffect, with the units the work meter charged for it. The counter "ns/unit" is the
// measured CPU time over the charged units, and must stay below 1 on the reference machine
// (imageio/budget.h): a run may take at most the time its charge stands for.
//
// The canvas is "Hello Vornel!" at a font height of 300 (about 2000 x 300 pixels), and
// a blob picture (a mask of scattered discs and holes) for the relief's ring search.
#include <benchmark/benchmark.h>

#include <ctime>
#include <string>
#include <vector>

#include "bench/quiet_host.h"
#include "render/canvas_layout.h"
#include "render/dispatch.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "render/work_budget.h"

namespace {

using namespace vornel;

EffectRecord record(int type, std::initializer_list<std::pair<int, int>> params,
                    const char* texture = "") {
  EffectRecord r;
  r.type = type;
  for (auto [n, v] : params) r.param(n) = v;
  r.setTexture(texture);
  return r;
}

struct Named {
  const char* name;
  EffectRecord record;
};

const std::vector<Named>& records() {
  static const std::vector<Named> list = {
      {"fill", record(kSingleColor, {{1, 0x2050E0}, {5, 2}})},
      {"texture", record(kSingleColor, {{5, 4}}, "brick.gif")},
      {"outline2", record(kOutLine, {{1, 0}, {5, 2}})},
      {"outline10", record(kOutLine, {{1, 0}, {5, 10}})},
      {"outline100", record(kOutLine, {{1, 0}, {5, 100}})},
      {"shadow3", record(kDropShadow, {{1, 0x404040}, {3, 4}, {4, 4}, {5, 100}, {6, 3}})},
      {"shadow10", record(kDropShadow, {{1, 0x404040}, {3, 4}, {4, 4}, {5, 100}, {6, 10}})},
      {"gradient", record(kLinearGradient, {{1, 0xFF}, {2, 0xFF0000}, {5, 45}, {6, 20}})},
      {"depth2", record(kDepthField, {{5, 50}, {6, 2}})},
      {"sine", record(kDisturbTemplet, {{5, 3}, {6, 100}, {7, 100}})},
      {"fractal", record(kDisturbTemplet, {{5, 6}, {6, 100}, {7, 100}})},
      {"star", record(kStarFilter, {{1, 0xFFFFFF}, {2, 1}, {6, 10}})},
      {"tile", record(kTile, {}, "glass.git")},
      {"relief", record(k3dSingleColor, {{1, 0x3399FF}, {6, 200}, {7, 25}, {8, 1000}, {9, 100}})},
      {"roundbox", record(kRoundBoxEffect, {{5, 1000}, {6, 1000}, {7, 150}, {8, 300}})},
      {"fog",
       record(kFog, {{1, 0xFFFFFF}, {6, 200}, {7, 25}, {8, 1000}, {9, 100}, {11, 100}, {12, 100}})},
      {"space", record(kSpace, {{5, 200}, {6, 100}})},
      {"cutout2", record(kCutOut, {{1, 0}, {3, 2}, {4, 2}, {5, 100}, {6, 2}})},
  };
  return list;
}

// A 600 x 600 mask, lit but for a few isolated pixels: the ring search's hard case.
ShapeMask holes() {
  ShapeMask mask;
  mask.width = mask.height = 600;
  mask.lit.assign(600 * 600, 1);
  for (int k = 0; k < 5; ++k) mask.lit[static_cast<std::size_t>(120 * k + 60) * 600 + 300] = 0;
  return mask;
}

// The process's CPU time: what the run costs, whatever else the machine is doing.
double cpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

void runOnce(benchmark::State& state, Engine& engine, const EffectRecord& rec) {
  RenderCanvas& c = engine.canvas;
  double seconds = 0.0;
  std::int64_t units = 0;
  for (auto _ : state) {
    state.PauseTiming();
    restoreTextRaster(c);
    clearCanvasToBackground(c, 0xFFFFFF);
    WorkScope job(engine.meter);  // the run's charge is read off this scope's meter
    state.ResumeTiming();
    const double start = cpuSeconds();
    runEffect(engine, rec, c.textRows(), c.canvasRows(), c.coverage.data());
    seconds += cpuSeconds() - start;
    units += engine.meter.spent;
    if (engine.meter.refused()) state.SkipWithError(engine.meter.refusal.c_str());
  }
  state.counters["ns/unit"] = units > 0 ? seconds * 1e9 / static_cast<double>(units) : 0.0;
}

void BM_ChargedEffect(benchmark::State& state) {
  const Named& named = records()[static_cast<std::size_t>(state.range(0))];
  QuietHost host;
  Engine engine(host);
  startEngine(engine, {VORNEL_APPDATA_DIR, "/nonexistent/vornel-bench-profile"});
  LayerRecord& message = engine.doc.layer(kMessageLayer);
  message.font.lfHeight = -300;
  message.font.lfWidth = 0;
  message.effects.clear();
  loadLayerIntoWorkingSet(engine.doc, kMessageLayer);
  if (!prepareCanvas(engine)) {
    state.SkipWithError("no canvas");
    return;
  }
  state.SetLabel(named.name);
  runOnce(state, engine, named.record);
}
BENCHMARK(BM_ChargedEffect)->DenseRange(0, 17)->Unit(benchmark::kMillisecond);

// The 3D relief over the holed mask: its ring search looks at far more samples a pixel.
void BM_ChargedReliefOverHoles(benchmark::State& state) {
  QuietHost host;
  Engine engine(host);
  startEngine(engine, {VORNEL_APPDATA_DIR, "/nonexistent/vornel-bench-profile"});
  engine.messageMask = holes();
  LayerRecord& message = engine.doc.layer(kMessageLayer);
  message.effects = {records()[13].record};
  std::string reason;
  if (!renderJob(engine, &reason)) {
    state.SkipWithError(reason.c_str());
    return;
  }
  runOnce(state, engine, records()[13].record);
}
BENCHMARK(BM_ChargedReliefOverHoles)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
