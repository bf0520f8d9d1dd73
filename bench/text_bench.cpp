#include <benchmark/benchmark.h>

#include <sstream>

#include "cli/cli_host.h"
#include "render/canvas_layout.h"
#include "render/engine.h"

namespace {

// Layout plus rasterisation of the start-up message, as every layer render does it; the
// width keeps the start-up font's proportion (20 x 10).
void BM_PrepareStartupMessage(benchmark::State& state) {
  std::ostringstream err;
  vornel::CliHost host(err);
  vornel::Engine engine(host);
  vornel::initializeDocument(engine.doc);
  engine.doc.ws.font.lfHeight = static_cast<int>(state.range(0));
  engine.doc.ws.font.lfWidth = static_cast<int>(state.range(0)) / 2;
  for (auto _ : state) {
    bool ok = vornel::prepareCanvas(engine);
    benchmark::DoNotOptimize(ok);
  }
  state.counters["pixels"] = static_cast<double>(engine.canvas.width) * engine.canvas.height;
}
BENCHMARK(BM_PrepareStartupMessage)->Arg(20)->Arg(100);

}  // namespace
