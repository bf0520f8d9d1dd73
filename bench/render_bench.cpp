// renderJob of the start-up message with a one-effect style for each effect type, and
// with a five-effect style, at font heights 20 and 100.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "bench/quiet_host.h"
#include "render/engine.h"
#include "render/pipeline.h"

namespace {

using namespace vornel;

EffectRecord record(int type, std::initializer_list<std::pair<int, int>> params) {
  EffectRecord r;
  r.type = type;
  for (auto [n, v] : params) r.param(n) = v;
  return r;
}

// One record per type with parameters a user would pick; Tile is left out, as it needs
// a texture file.
std::vector<EffectRecord> styleFor(int type) {
  switch (type) {
    case kSingleColor:
      return {record(kSingleColor, {{1, 0x2050E0}, {5, 2}})};
    case kOutLine:
      return {record(kOutLine, {{1, 0}, {5, 2}})};
    case kDropShadow:
      return {record(kDropShadow, {{1, 0x404040}, {3, 4}, {4, 4}, {5, 100}, {6, 3}})};
    case kLinearGradient:
      return {record(kLinearGradient, {{1, 0xFF}, {2, 0xFF0000}, {5, 45}, {6, 20}})};
    case kDepthField:
      return {record(kDepthField, {{5, 50}, {6, 2}})};
    case kDisturbTemplet:
      return {record(kDisturbTemplet, {{5, 1}, {6, 100}, {7, 100}})};
    case kStarFilter:
      return {record(kStarFilter, {{1, 0xFFFFFF}, {2, 1}, {6, 10}})};
    case k3dSingleColor:
      return {record(k3dSingleColor, {{1, 0x3399FF}, {6, 200}, {7, 25}, {8, 1000}, {9, 100}})};
    case kRoundBoxEffect:
      return {record(kRoundBoxEffect, {{5, 1000}, {6, 1000}, {7, 150}, {8, 300}})};
    case kFog:
      return {record(
          kFog, {{1, 0xFFFFFF}, {6, 200}, {7, 25}, {8, 1000}, {9, 100}, {11, 100}, {12, 100}})};
    case kSpace:
      return {record(kSpace, {{5, 200}, {6, 100}})};
    case kCutOut:
      return {record(kCutOut, {{1, 0}, {3, 2}, {4, 2}, {5, 100}, {6, 2}})};
    default:
      return {};
  }
}

std::vector<EffectRecord> fiveEffects() {
  return {record(kDropShadow, {{1, 0}, {3, 3}, {4, 3}, {5, 80}, {6, 3}}),
          record(kOutLine, {{1, 0x800000}, {5, 2}}),
          record(kLinearGradient, {{1, 0xFFFF}, {2, 0xFF}, {5, 90}, {6, 20}}),
          record(kStarFilter, {{1, 0xFFFFFF}, {2, 1}, {6, 10}}),
          record(kCutOut, {{1, 0}, {3, 1}, {4, 1}, {5, 60}, {6, 1}})};
}

void renderWith(benchmark::State& state, const std::vector<EffectRecord>& style) {
  QuietHost host;
  Engine engine(host);
  startEngine(engine, {VORNEL_APPDATA_DIR, "/nonexistent/vornel-bench-profile"});
  LayerRecord& message = engine.doc.layer(kMessageLayer);
  message.font.lfHeight = static_cast<int>(state.range(0));
  message.font.lfWidth = 0;
  message.effects = style;
  for (auto _ : state) {
    renderJob(engine);
    benchmark::DoNotOptimize(engine.doc.outputImage.block().data());
  }
  state.SetLabel(std::to_string(engine.doc.outputWidth) + "x" +
                 std::to_string(engine.doc.outputHeight));
}

void BM_RenderJobOneEffect(benchmark::State& state) {
  renderWith(state, styleFor(static_cast<int>(state.range(1))));
}
BENCHMARK(BM_RenderJobOneEffect)
    ->ArgNames({"height", "type"})
    ->ArgsProduct({{20, 100}, {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 11, 12}})
    ->Unit(benchmark::kMillisecond);

void BM_RenderJobFiveEffects(benchmark::State& state) {
  renderWith(state, fiveEffects());
}
BENCHMARK(BM_RenderJobFiveEffects)
    ->ArgName("height")
    ->Arg(20)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond);

}  // namespace
