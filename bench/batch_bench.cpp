#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>
#include <string>

#include "cli/cli_host.h"
#include "core/output/batch_generate.h"
#include "render/engine.h"

namespace {

// A run of 100 short messages saved as JPEG into a fresh temporary folder: a render,
// a composition and an encode per message, plus the final render of the job's own text.
void BM_BatchHundredJpeg(benchmark::State& state) {
  std::ostringstream err;
  vornel::CliHost host(err);
  host.setAnswerYes(true);  // later iterations overwrite the first file
  vornel::Engine engine(host);
  vornel::startEngine(engine, {VORNEL_APPDATA_DIR, ""});
  engine.doc.outputFileType = vornel::kOutputJpeg;
  vornel::BatchList list;
  for (int i = 0; i < 100; ++i) list.push_back("Button " + std::to_string(i));

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("vornel_batch_bench_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::size_t written = 0;
  for (auto _ : state) {
    vornel::BatchResult result = vornel::generateBatchTo(engine, list, (folder / "b.jpg").string());
    written = result.written.size();
    if (!result.ok()) state.SkipWithError("batch run failed");
  }
  std::filesystem::remove_all(folder);
  state.counters["files"] = static_cast<double>(written);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(list.size()));
}
BENCHMARK(BM_BatchHundredJpeg)->Unit(benchmark::kMillisecond);

}  // namespace
