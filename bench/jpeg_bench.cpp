#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "imageio/jpeg_decoder.h"
#include "imageio/jpeg_encoder.h"

namespace {

// A photo-like mix: smooth shading with some texture, so the coder sees typical runs.
vornel::DibImage makePicture(int width, int height) {
  vornel::DibImage image;
  image.create(width, height, 24);
  vornel::DibRowAccess rows(image);
  std::uint32_t seed = 12345;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      int grain = static_cast<int>(seed >> 28);
      std::uint8_t* p = rows[y] + x * 3;
      p[0] = static_cast<std::uint8_t>((x * 255 / width + grain) & 255);
      p[1] = static_cast<std::uint8_t>((y * 255 / height + grain) & 255);
      p[2] = static_cast<std::uint8_t>(128 + 100 * std::sin((x + y) * 0.01));
    }
  }
  return image;
}

void BM_JpegEncode(benchmark::State& state) {
  vornel::DibImage image =
      makePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<std::uint8_t> bytes;
  for (auto _ : state) {
    bytes.clear();
    benchmark::DoNotOptimize(vornel::encodeJpeg(image, bytes));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
  state.counters["bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(BM_JpegEncode)->Args({1000, 1000})->Args({4000, 3000})->Unit(benchmark::kMillisecond);

void BM_JpegDecode(benchmark::State& state) {
  vornel::DibImage image =
      makePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::vector<std::uint8_t> bytes;
  vornel::encodeJpeg(image, bytes);
  for (auto _ : state) {
    vornel::DibImage back;
    benchmark::DoNotOptimize(vornel::decodeJpeg(back, bytes.data(), bytes.size()));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_JpegDecode)->Args({1000, 1000})->Args({4000, 3000})->Unit(benchmark::kMillisecond);

}  // namespace
