// 256-colour GIF output as the save path does it (reduction, then the LZW writer) and
// the reader on the result.
#include <benchmark/benchmark.h>

#include <vector>

#include "imageio/color_reduce.h"
#include "imageio/gif_reader.h"
#include "imageio/gif_writer.h"

namespace {

using vornel::DibImage;
using vornel::DibRowAccess;

// A rendered-looking picture: white background, a two-axis gradient band with a soft
// shadow below it, so there are flat areas, smooth ramps and tens of thousands of colours.
DibImage makePicture(int width, int height) {
  DibImage image;
  image.create(width, height, 24);
  DibRowAccess rows(image);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* p = rows[y];
    for (int x = 0; x < width; ++x, p += 3) {
      int band = (y * 4 / height) % 2;
      int shade = band ? 255 - (x % 97) : 255;
      p[0] = static_cast<std::uint8_t>(band ? (x + y) * 255 / (width + height) : shade);
      p[1] = static_cast<std::uint8_t>(band ? y * 255 / height : shade);
      p[2] = static_cast<std::uint8_t>(band ? x * 255 / width : shade);
    }
  }
  return image;
}

std::vector<std::uint8_t> reduceAndEncode(DibImage& picture, vornel::ReduceMethod method,
                                          vornel::MedianCutTables& tables) {
  int w = picture.width(), h = picture.height();
  DibImage indexed;
  std::uint8_t palette[256 * 3];
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(w) * h);
  std::vector<std::uint8_t*> outRows(static_cast<std::size_t>(h));
  std::vector<const std::uint8_t*> inRows(static_cast<std::size_t>(h));
  DibRowAccess in(picture);
  for (int y = 0; y < h; ++y) {
    inRows[y] = in[y];
    outRows[y] = indices.data() + static_cast<std::size_t>(y) * w;
  }
  vornel::reduceColors(method, inRows.data(), outRows.data(), w, h, 256, 0xFFFFFF, palette, tables);
  indexed.create(w, h, 8, palette);
  DibRowAccess out(indexed);
  for (int y = 0; y < h; ++y) std::copy(outRows[y], outRows[y] + w, out[y]);
  std::vector<std::uint8_t> bytes;
  vornel::encodeGifImage(indexed, 0, 0, 8, bytes);
  return bytes;
}

void BM_GifEncodeWithReduction(benchmark::State& state) {
  DibImage picture =
      makePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  auto method = static_cast<vornel::ReduceMethod>(state.range(2));
  vornel::MedianCutTables tables;
  std::size_t size = 0;
  for (auto _ : state) {
    std::vector<std::uint8_t> bytes = reduceAndEncode(picture, method, tables);
    size = bytes.size();
    benchmark::DoNotOptimize(bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(size);
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_GifEncodeWithReduction)
    ->ArgNames({"w", "h", "median"})
    ->Args({1000, 1000, 0})
    ->Args({1000, 1000, 1})
    ->Args({4000, 3000, 0})
    ->Args({4000, 3000, 1})
    ->Unit(benchmark::kMillisecond);

void BM_GifDecode(benchmark::State& state) {
  DibImage picture =
      makePicture(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  vornel::MedianCutTables tables;
  std::vector<std::uint8_t> bytes =
      reduceAndEncode(picture, static_cast<vornel::ReduceMethod>(state.range(2)), tables);
  for (auto _ : state) {
    DibImage back;
    benchmark::DoNotOptimize(vornel::decodeGifImage(back, bytes.data(), bytes.size()));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_GifDecode)
    ->ArgNames({"w", "h", "median"})
    ->Args({1000, 1000, 0})
    ->Args({1000, 1000, 1})
    ->Args({4000, 3000, 0})
    ->Args({4000, 3000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
