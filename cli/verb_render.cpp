#include <ostream>

#include "cli/args.h"
#include "cli/render_options.h"
#include "cli/verbs.h"
#include "core/job_edits.h"
#include "core/output/save_output.h"
#include "render/engine.h"
#include "render/pipeline.h"

namespace vornel {

namespace {

const char* const kVerb = "render";

}  // namespace

int verbRender(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec>& specs = renderOptionSpecs();
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, kVerb, error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel render [OPTIONS] -o NAME\n\nRenders the job (the start-up job, or "
               "--project) with the options applied over it and saves it as the Save page "
               "does: the extension is set by the type, the pressed image goes to NAME_.ext. "
               "Prints each name written.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (!parsed.positionals.empty())
    return cliError(ctx, kVerb, "unexpected argument '" + parsed.positionals[0] + "'", kExitUsage);
  auto name = parsed.get("output");
  if (!name || name->empty())
    return cliError(ctx, kVerb, "expects -o NAME (see --help)", kExitUsage);
  std::int32_t type = outputTypeFromName(*name);
  if (auto text = parsed.get("type"); text && !parseOutputType(*text, type))
    return cliError(ctx, kVerb, "unknown --type '" + *text + "' (gif16, gif256, jpg, bmp or png)",
                    kExitUsage);

  Engine engine(ctx.host);
  startEngine(engine, {parsed.get("app-dir").value_or(""), ""});
  int status;
  std::string message;
  if (!applyRenderOptions(parsed, engine, status, message))
    return cliError(ctx, kVerb, message, status);
  editOutputFileType(engine.doc, type);

  std::string reason;
  if (!renderJob(engine, &reason)) return cliError(ctx, kVerb, reason, kExitFailure);
  const LayerRecord& messageLayer = engine.doc.layer(kMessageLayer);
  if (messageLayer.kind != kLayerNone && engine.messageMask.empty() &&
      engine.text.usedFallbackFace())
    ctx.err << "vornel render: font '" << messageLayer.font.faceName() << "' not found; using '"
            << engine.text.resolvedFace() << "'\n";

  SaveResult saved = saveOutput(engine, *name);
  for (const std::string& written : saved.written) ctx.out << written << "\n";
  for (const std::string& failure : saved.failures) cliError(ctx, kVerb, failure, kExitFailure);
  return saved.ok() ? kExitOk : kExitFailure;
}

}  // namespace vornel
