#include <ostream>

#include "cli/render_options.h"
#include "cli/verbs.h"
#include "core/job_edits.h"
#include "core/output/save_output.h"
#include "render/engine.h"
#include "render/pipeline.h"

namespace vornel {

namespace {

const char* const kVerb = "size";

}  // namespace

int verbSize(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = renderOptionSpecsWith({"output", "pressed"}, {});
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, kVerb, error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel size [OPTIONS] --type T\n\nRenders the job the options describe "
               "(as vornel render does), prepares it for the file type T (default jpg) and "
               "prints the size in bytes of the file it makes, measured in memory (nothing is "
               "written). A 16-colour GIF is measured with a 16-entry colour table, although it "
               "is saved with 256.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (!parsed.positionals.empty())
    return cliError(ctx, kVerb, "unexpected argument '" + parsed.positionals[0] + "'", kExitUsage);
  std::int32_t type = kOutputJpeg;
  if (!outputTypeOption(parsed, "", type, error)) return cliError(ctx, kVerb, error, kExitUsage);

  Engine engine(ctx.host);
  if (!startJobEngine(parsed, engine, error)) return cliError(ctx, kVerb, error, kExitFailure);
  int status = kExitOk;
  std::vector<std::string> warnings;
  if (!applyRenderOptions(parsed, engine, status, error, warnings, ctx.in))
    return cliError(ctx, kVerb, error, status);
  for (const std::string& warning : warnings) cliWarning(ctx, kVerb, warning);
  editOutputFileType(engine.doc, type);
  if (!renderJob(engine, &error)) return cliError(ctx, kVerb, error, kExitFailure);
  prepareOutput(engine, type);
  const std::uint64_t size = measureOutputSize(engine, &error);
  if (size == 0) return cliError(ctx, kVerb, error, kExitFailure);
  ctx.out << size << "\n";
  return kExitOk;
}

}  // namespace vornel
