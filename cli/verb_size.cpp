#include <filesystem>
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
               "prints the size in bytes of the file it makes, written as the estimate file "
               "fs.zzz in the program folder. A 16-colour GIF is estimated with a 16-entry "
               "colour table, although it is saved with 256.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (!parsed.positionals.empty())
    return cliError(ctx, kVerb, "unexpected argument '" + parsed.positionals[0] + "'", kExitUsage);
  std::int32_t type = kOutputJpeg;
  if (auto text = parsed.get("type"); text && !parseOutputType(*text, type))
    return cliError(ctx, kVerb, "unknown --type '" + *text + "' (gif16, gif256, jpg, bmp or png)",
                    kExitUsage);

  Engine engine(ctx.host);
  startEngine(engine, {parsed.get("app-dir").value_or(""), ""});
  int status = kExitOk;
  std::string reason;
  if (!applyRenderOptions(parsed, engine, status, reason))
    return cliError(ctx, kVerb, reason, status);
  editOutputFileType(engine.doc, type);
  if (!renderJob(engine, &reason)) return cliError(ctx, kVerb, reason, kExitFailure);
  prepareOutput(engine, type);

  // A file left by an earlier estimate would otherwise be measured when this one cannot
  // be written.
  const std::string path = estimateFilePath(engine.doc);
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
  const std::uint64_t size = estimateFileSize(engine, &reason);
  if (size == 0) return cliError(ctx, kVerb, path + ": " + reason, kExitFailure);
  ctx.out << size << "\n";
  return kExitOk;
}

}  // namespace vornel
