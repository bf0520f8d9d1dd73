// One step of each effect dialog (a slider moved: the record stored and its preview
// rendered, as every step of a drag does) for the start-up message at font heights 20
// and 100; and renderEffectPreview alone for each type.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/quiet_host.h"
#include "render/canvas_layout.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "ui/logic/effect_dialog.h"

namespace {

using namespace vornel;

// The working record of each type with values a user would pick.
EffectRecord userRecord(int type) {
  EffectRecord r;
  r.type = type;
  auto set = [&](std::initializer_list<std::pair<int, int>> params) {
    for (auto [n, v] : params) r.param(n) = v;
  };
  switch (type) {
    case kSingleColor:
      set({{1, 0x2050E0}, {5, 2}});
      break;
    case kOutLine:
      set({{1, 0}, {5, 2}});
      break;
    case kDropShadow:
      set({{1, 0x404040}, {3, 4}, {4, 4}, {5, 100}, {6, 3}});
      break;
    case kLinearGradient:
      set({{1, 0xFF}, {2, 0xFF0000}, {5, 45}, {6, 20}});
      break;
    case kDepthField:
      set({{5, 50}, {6, 2}});
      break;
    case kDisturbTemplet:
      set({{5, 1}, {6, 100}, {7, 100}});
      break;
    case kStarFilter:
      set({{1, 0xFFFFFF}, {2, 1}, {6, 10}});
      break;
    case kTile:
      r.setTexture("square.git");
      break;
    case k3dSingleColor:
      set({{1, 0x3399FF}, {6, 200}, {7, 25}, {8, 1000}, {9, 100}});
      break;
    case kRoundBoxEffect:
      set({{5, 1000}, {6, 1000}, {7, 150}, {8, 300}});
      break;
    case kFog:
      set({{1, 0xFFFFFF}, {6, 200}, {7, 25}, {8, 1000}, {9, 100}, {11, 100}, {12, 100}});
      break;
    case kSpace:
      set({{5, 200}, {6, 100}});
      break;
    case kCutOut:
      set({{1, 0}, {3, 2}, {4, 2}, {5, 100}, {6, 2}});
      break;
    default:
      break;
  }
  return r;
}

// The engine as the style editor leaves it when a dialog opens: the start-up message
// at the given height prepared and rendered in the working set.
void prepare(Engine& engine, int height) {
  startEngine(engine, {VORNEL_APPDATA_DIR, "/nonexistent/vornel-bench-profile"});
  LayerRecord& message = engine.doc.layer(kMessageLayer);
  message.font.lfHeight = height;
  message.font.lfWidth = 0;
  renderJob(engine);
  loadLayerIntoWorkingSet(engine.doc, kMessageLayer);
  prepareCanvas(engine);
  renderPreview(engine);
}

std::string sizeLabel(const Engine& engine) {
  return std::to_string(engine.canvas.width) + "x" + std::to_string(engine.canvas.height);
}

void BM_EffectDialogStep(benchmark::State& state) {
  QuietHost host;
  Engine engine(host);
  prepare(engine, static_cast<int>(state.range(0)));
  const int type = static_cast<int>(state.range(1));
  engine.doc.effectDefaults[static_cast<std::size_t>(type)] = userRecord(type);
  EffectDialogLogic dialog(engine, type);
  const EffectDialogView opened = dialog.open();
  for (auto _ : state) {
    // Tile previews only on a texture choice; every other dialog on a slider step.
    EffectDialogView step =
        type == kTile ? dialog.textureChosen("square.git") : dialog.sliderMoved(opened.positions);
    benchmark::DoNotOptimize(step.previewed);
    benchmark::DoNotOptimize(engine.doc.outputImage.block().data());
  }
  state.SetLabel(sizeLabel(engine));
}
BENCHMARK(BM_EffectDialogStep)
    ->ArgNames({"height", "type"})
    ->ArgsProduct({{20, 100}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}})
    ->Unit(benchmark::kMillisecond);

void BM_RenderEffectPreview(benchmark::State& state) {
  QuietHost host;
  Engine engine(host);
  prepare(engine, static_cast<int>(state.range(0)));
  const EffectRecord record = userRecord(static_cast<int>(state.range(1)));
  const std::vector<std::uint8_t> prepared = engine.canvas.textRaster;
  for (auto _ : state) {
    renderEffectPreview(engine, record);
    // Distortion and Round Box reshape the raster: each pass starts from the same one.
    engine.canvas.textRaster = prepared;
    benchmark::DoNotOptimize(engine.doc.outputImage.block().data());
  }
  state.SetLabel(sizeLabel(engine));
}
BENCHMARK(BM_RenderEffectPreview)
    ->ArgNames({"height", "type"})
    ->ArgsProduct({{20, 100}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
