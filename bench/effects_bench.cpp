#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/effects/effect_kernel.h"
#include "render/effects/effects.h"

namespace {

using namespace vornel;

// A 400 x 100 canvas with a row of blocky letters: strokes 6 pixels wide, like a bold
// face at a height of about 70 pixels, and the edge mask derived from them.
struct BenchCanvas {
  static constexpr int kW = 400, kH = 100;
  std::vector<std::uint8_t> text, canvas, edge;
  std::vector<std::int16_t> plane;

  BenchCanvas() : text(kW * kH * 3), canvas(kW * kH * 3), edge(kW * kH), plane(kW * kH) {
    for (int letter = 0; letter < 9; ++letter) {
      const int left = 12 + letter * 43, right = left + 34;
      for (int y = 15; y < 85; ++y)
        for (int x = left; x < right; ++x) {
          bool stroke = x < left + 6 || x >= right - 6 || (y >= 15 && y < 21) ||
                        (letter % 2 == 0 && y >= 47 && y < 53) || (letter % 3 == 0 && y >= 79);
          if (stroke) light(y, x);
        }
    }
    for (int y = 1; y < kH - 1; ++y)
      for (int x = 1; x < kW - 1; ++x)
        if (lit(y, x) && !(lit(y - 1, x) && lit(y + 1, x) && lit(y, x - 1) && lit(y, x + 1)))
          edge[y * kW + x] = 255;
  }
  void light(int y, int x) {
    for (int k = 0; k < 3; ++k) text[(y * kW + x) * 3 + k] = 255;
  }
  bool lit(int y, int x) const { return text[(y * kW + x) * 3] != 0; }
  RgbRows textRows() { return {text.data(), kW, kH}; }
  RgbRows canvasRows() { return {canvas.data(), kW, kH}; }
};

EffectKernel blurKernel(int radius) {
  EffectKernel k = makeKernel(2 * radius + 1, 2 * radius + 1);
  makeDomeKernel(k, static_cast<float>(radius));
  normalizeKernel(k, static_cast<float>(150 * 0.02));
  return k;
}

void BM_ColorFill(benchmark::State& state) {
  BenchCanvas c;
  for (auto _ : state) colorFill(c.textRows(), c.canvasRows(), 3, -2, 0x0033CCFF, c.plane.data());
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_ColorFill);

void BM_LinearGradient(benchmark::State& state) {
  BenchCanvas c;
  const int angle = static_cast<int>(state.range(0));
  for (auto _ : state)
    linearGradient(c.textRows(), c.canvasRows(), 200, 50, 0, 0, angle, 0x00FF0000, 0x000000FF, 100,
                   c.plane.data());
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_LinearGradient)->Arg(0)->Arg(45);

void BM_Outline(benchmark::State& state) {
  BenchCanvas c;
  const int radius = static_cast<int>(state.range(0));
  for (auto _ : state)
    outline(c.canvasRows(), c.edge.data(), radius, 0x00000000, 1, 1, c.plane.data());
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_Outline)->Arg(2)->Arg(10)->Arg(100);

void BM_StarFilter(benchmark::State& state) {
  BenchCanvas c;
  EffectKernel star;
  const int kind = static_cast<int>(state.range(0));
  if (!loadStarKernel(std::string(VORNEL_APPDATA_DIR) + "/star" + std::to_string(kind) + ".lit",
                      star)) {
    state.SkipWithError("star kernel file missing");
    return;
  }
  for (auto _ : state)
    starFilter(c.canvasRows(), c.edge.data(), star, 0x00FFFFFF, 10000.0f, 0, 0, c.plane.data());
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_StarFilter)->Arg(0)->Arg(1)->Arg(2);

void BM_DropShadow(benchmark::State& state) {
  BenchCanvas c;
  const int radius = static_cast<int>(state.range(0));
  for (auto _ : state)
    dropShadow(c.textRows(), c.canvasRows(), 5, 5, blurKernel(radius), 0x00404040, c.plane.data());
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_DropShadow)->Arg(3)->Arg(10);

void BM_DepthOfField(benchmark::State& state) {
  BenchCanvas c;
  colorFill(c.textRows(), c.canvasRows(), 0, 0, 0x00FFFFFF, c.plane.data());
  const int radius = static_cast<int>(state.range(0));
  for (auto _ : state) depthOfField(c.canvasRows(), blurKernel(radius));
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_DepthOfField)->Arg(3)->Arg(10);

void BM_CutOut(benchmark::State& state) {
  BenchCanvas c;
  const int radius = static_cast<int>(state.range(0));
  for (auto _ : state)
    cutOut(c.textRows(), c.canvasRows(), 3, 3, blurKernel(radius), 0x00202020, c.plane.data());
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_CutOut)->Arg(3)->Arg(10);

// Letters much larger than the kernels (a 1200 x 400 canvas, strokes of 120 pixels), where
// most windows are wholly lit, unlit or of one colour: the outline at radii 10 and 100
// (its cost follows the edge, not the disc's area) and the blurs at radii 10 and 30.
struct LargeLetters {
  static constexpr int kW = 1200, kH = 400;
  std::vector<std::uint8_t> text, canvas, edge;
  std::vector<std::int16_t> plane;

  LargeLetters() : text(kW * kH * 3), canvas(kW * kH * 3, 200), edge(kW * kH), plane(kW * kH) {
    for (int letter = 0; letter < 3; ++letter) {
      const int left = 60 + letter * 380, right = left + 300;
      for (int y = 40; y < 360; ++y)
        for (int x = left; x < right; ++x)
          if (x < left + 120 || x >= right - 120 || y < 160)
            for (int k = 0; k < 3; ++k) text[(y * kW + x) * 3 + k] = 255;
    }
    auto lit = [&](int y, int x) { return text[(y * kW + x) * 3] != 0; };
    for (int y = 1; y < kH - 1; ++y)
      for (int x = 1; x < kW - 1; ++x)
        if (lit(y, x) && !(lit(y - 1, x) && lit(y + 1, x) && lit(y, x - 1) && lit(y, x + 1)))
          edge[y * kW + x] = 255;
    colorFill(textRows(), canvasRows(), 0, 0, 0x00FFFFFF, plane.data());
  }
  RgbRows textRows() { return {text.data(), kW, kH}; }
  RgbRows canvasRows() { return {canvas.data(), kW, kH}; }
};

void BM_LargeLettersOutline(benchmark::State& state) {
  LargeLetters c;
  const int radius = static_cast<int>(state.range(0));
  for (auto _ : state)
    outline(c.canvasRows(), c.edge.data(), radius, 0x00000000, 0, 0, c.plane.data());
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_LargeLettersOutline)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

void BM_LargeLettersBlur(benchmark::State& state) {
  LargeLetters c;
  const int radius = static_cast<int>(state.range(1));
  const EffectKernel kernel = blurKernel(radius);
  for (auto _ : state) {
    switch (state.range(0)) {
      case 0:
        dropShadow(c.textRows(), c.canvasRows(), 5, 5, kernel, 0x00404040, c.plane.data());
        break;
      case 1:
        depthOfField(c.canvasRows(), kernel);
        break;
      default:
        cutOut(c.textRows(), c.canvasRows(), 3, 3, kernel, 0x00202020, c.plane.data());
        break;
    }
  }
  benchmark::DoNotOptimize(c.canvas.data());
}
BENCHMARK(BM_LargeLettersBlur)
    ->ArgNames({"effect", "radius"})
    ->ArgsProduct({{0, 1, 2}, {10, 30}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
