#include <benchmark/benchmark.h>

#include "imageio/bmp_file.h"

namespace {

void BM_EncodeDecodeBmp(benchmark::State& state) {
  int side = static_cast<int>(state.range(0));
  vornel::DibImage image;
  image.create(side, side, 24);
  std::vector<std::uint8_t> bytes;
  for (auto _ : state) {
    bytes.clear();
    vornel::encodeBmp(image, bytes);
    vornel::DibImage back;
    benchmark::DoNotOptimize(vornel::decodeBmp(back, bytes.data(), bytes.size()));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_EncodeDecodeBmp)->Arg(1000)->Arg(4000);

}  // namespace
