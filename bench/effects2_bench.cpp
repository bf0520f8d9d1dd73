// The ring search and the 3D, Fog and Space effects on "Hello Vornel!" at font heights
// 20, 100 and 300 (a bold face from the text rasteriser; blocky synthetic letters of the
// same height when no face is found).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "platform/log_font.h"
#include "platform/text_raster.h"
#include "render/effects/fog.h"
#include "render/effects/height_field.h"
#include "render/effects/noise.h"
#include "render/effects/space.h"
#include "render/effects/three_d.h"

namespace {

using namespace vornel;

struct TextCanvas {
  int w = 0, h = 0;
  std::vector<std::uint8_t> text, canvas;
  std::vector<std::int16_t> plane;
  RgbRows textRows() { return {text.data(), w, h}; }
  RgbRows canvasRows() { return {canvas.data(), w, h}; }

  void allocate(int width, int height) {
    w = (width + 3) & ~3;
    h = (height + 3) & ~3;
    text.assign(static_cast<std::size_t>(w) * h * 3, 0);
    canvas.assign(text.size(), 0);
    plane.assign(static_cast<std::size_t>(w) * h, 0);
  }
  bool anyLit() const {
    for (std::size_t i = 0; i < text.size(); i += 3)
      if (text[i]) return true;
    return false;
  }
  // Thirteen letter boxes with strokes of a seventh of the height.
  void synthetic(int height) {
    const int advance = height * 3 / 5, stroke = std::max(1, height / 7);
    allocate(advance * 13 + 8, height + 8);
    for (int letter = 0; letter < 13; ++letter) {
      const int left = 4 + letter * advance, right = left + advance * 4 / 5;
      for (int y = 4; y < 4 + height; ++y)
        for (int x = left; x < right; ++x) {
          bool on = x < left + stroke || x >= right - stroke || y < 4 + stroke ||
                    (letter % 2 == 0 && y >= 4 + height / 2 - stroke / 2 &&
                     y < 4 + height / 2 + stroke - stroke / 2);
          if (on)
            for (int k = 0; k < 3; ++k) text[(static_cast<std::size_t>(y) * w + x) * 3 + k] = 255;
        }
    }
  }
};

TextCanvas helloAt(int height) {
  TextCanvas c;
  TextRasterizer rasterizer;
  LogFont font;
  font.lfHeight = -height;
  font.lfWeight = 700;
  font.setFaceName("DejaVu Sans");
  const std::string message = "Hello Vornel!";
  TextExtent extent = rasterizer.measure(font, message);
  if (extent.width > 0 && extent.height > 0) {
    c.allocate(extent.width + 8, extent.height + 8);
    rasterizer.draw(font, message, c.text.data(), c.w, c.h, 4, 4);
  }
  if (!c.anyLit()) c.synthetic(height);
  return c;
}

void BM_RingSearch(benchmark::State& state) {
  TextCanvas c = helloAt(static_cast<int>(state.range(0)));
  ReliefState relief;
  buildRingTable(relief.rings);
  for (auto _ : state) {
    buildHeightField(relief, c.textRows());
    benchmark::DoNotOptimize(relief.field.values.data());
  }
  state.counters["pixels"] = static_cast<double>(c.w) * c.h;
}
BENCHMARK(BM_RingSearch)->Arg(20)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

EffectRecord reliefRecord(EffectType type) {
  EffectRecord rec;
  rec.type = type;
  rec.param(1) = 0x0040A0E0;
  rec.param(5) = 0;  // waves with a plateau
  rec.param(6) = 100;
  rec.param(7) = 200;
  rec.param(8) = 1000;
  rec.param(9) = 40;
  rec.param(10) = 800;
  rec.param(11) = 60;
  rec.param(12) = 120;
  return rec;
}

void BM_ThreeD(benchmark::State& state) {
  TextCanvas c = helloAt(static_cast<int>(state.range(0)));
  ReliefState relief;
  EffectRecord rec = reliefRecord(k3dSingleColor);
  loadShapeProfile(relief.profile, rec);
  bool stale = true;
  refreshHeightField(relief, c.textRows(), stale);
  for (auto _ : state) {
    threeDSingleColor(relief, c.textRows(), c.canvasRows(), rec, c.plane.data());
    benchmark::DoNotOptimize(c.canvas.data());
  }
}
BENCHMARK(BM_ThreeD)->Arg(20)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

// The whole relief of a render: the field rebuilt from the raster, then lit (the ring
// table kept between renders, as the engine keeps it).
void BM_WholeRelief(benchmark::State& state) {
  TextCanvas c = helloAt(static_cast<int>(state.range(0)));
  ReliefState relief;
  EffectRecord rec = reliefRecord(k3dSingleColor);
  loadShapeProfile(relief.profile, rec);
  for (auto _ : state) {
    bool stale = true;
    refreshHeightField(relief, c.textRows(), stale);
    threeDSingleColor(relief, c.textRows(), c.canvasRows(), rec, c.plane.data());
    benchmark::DoNotOptimize(c.canvas.data());
  }
}
BENCHMARK(BM_WholeRelief)->Arg(20)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_Fog(benchmark::State& state) {
  TextCanvas c = helloAt(static_cast<int>(state.range(0)));
  NoiseState noise;
  ReliefState relief;
  EffectRecord rec = reliefRecord(kFog);
  rec.param(5) = 1;
  bool stale = true;
  refreshHeightField(relief, c.textRows(), stale);
  for (auto _ : state) {
    fog(noise, relief, stale, c.textRows(), c.canvasRows(), rec, c.plane.data());
    benchmark::DoNotOptimize(c.canvas.data());
  }
}
BENCHMARK(BM_Fog)->Arg(20)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

void BM_Space(benchmark::State& state) {
  TextCanvas c = helloAt(static_cast<int>(state.range(0)));
  NoiseState noise;
  EffectRecord rec;
  rec.type = kSpace;
  rec.param(5) = 200;
  rec.param(6) = 300;
  for (auto _ : state) {
    space(noise, c.textRows(), c.canvasRows(), rec, c.plane.data());
    benchmark::DoNotOptimize(c.canvas.data());
  }
}
BENCHMARK(BM_Space)->Arg(20)->Arg(100)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace
