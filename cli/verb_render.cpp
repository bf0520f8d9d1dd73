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

// The picture as the file of its type would hold it, on the output stream.
int writeToStandardOutput(Engine& engine, std::int32_t type, CliContext& ctx) {
  VornelDocument& doc = engine.doc;
  prepareOutput(engine, type);
  std::vector<std::uint8_t> bytes;
  std::string reason;
  if (!encodeOutputFile(doc.outputImage, type, transparentIndexFor(doc), savedBitsPerPixel(type),
                        bytes, &reason))
    return cliError(ctx, kVerb, "standard output: " + reason, kExitFailure);
  ctx.out.write(reinterpret_cast<const char*>(bytes.data()),
                static_cast<std::streamsize>(bytes.size()));
  ctx.out.flush();
  if (!ctx.out) return cliError(ctx, kVerb, "standard output: write error", kExitFailure);
  return kExitOk;
}

}  // namespace

int verbRender(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec>& specs = renderOptionSpecs();
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, kVerb, error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel render [OPTIONS] -o NAME\n\nRenders the job (the start-up job, or "
               "--project) with the options applied over it and saves it as the Save page "
               "does: the extension is set by the type (a JPEG name ending .jpeg or .jpe keeps "
               "it), the pressed image goes to NAME_.ext. Prints each name written. Styles and "
               "projects may be given by name (neon_glow for neon_glow.sty), looked for in the "
               "current folder, then in the program folder; without --style the message is "
               "drawn in a plain dark fill.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (!parsed.positionals.empty())
    return cliError(ctx, kVerb, "unexpected argument '" + parsed.positionals[0] + "'", kExitUsage);
  auto name = parsed.get("output");
  if (!name || name->empty())
    return cliError(ctx, kVerb, "expects -o NAME (see --help)", kExitUsage);
  const bool toStandardOutput = *name == "-";
  if (toStandardOutput && !parsed.has("type"))
    return cliError(ctx, kVerb, "-o - writes to standard output: give the type with --type",
                    kExitUsage);
  if (toStandardOutput && parsed.has("pressed"))
    return cliError(ctx, kVerb, "--pressed writes two files: give -o NAME", kExitUsage);
  std::int32_t type = kOutputJpeg;
  if (!outputTypeOption(parsed, *name, type, error)) return cliError(ctx, kVerb, error, kExitUsage);

  Engine engine(ctx.host);
  if (!startJobEngine(parsed, engine, error)) return cliError(ctx, kVerb, error, kExitFailure);
  int status;
  std::vector<std::string> warnings;
  if (!applyRenderOptions(parsed, engine, status, error, warnings, ctx.in))
    return cliError(ctx, kVerb, error, status);
  editOutputFileType(engine.doc, type);
  for (const std::string& warning : outputTypeWarnings(parsed, type)) warnings.push_back(warning);
  for (const std::string& warning : warnings) cliWarning(ctx, kVerb, warning);

  std::string reason;
  if (!renderJob(engine, &reason)) return cliError(ctx, kVerb, reason, kExitFailure);
  const LayerRecord& messageLayer = engine.doc.layer(kMessageLayer);
  if (messageLayer.kind != kLayerNone && engine.messageMask.empty() &&
      engine.text.usedFallbackFace())
    ctx.err << "vornel render: font '" << messageLayer.font.faceName() << "' not found; using '"
            << engine.text.resolvedFace() << "'\n";

  if (toStandardOutput) return writeToStandardOutput(engine, type, ctx);
  SaveResult saved = saveOutput(engine, *name);
  for (const std::string& written : saved.written) ctx.out << written << "\n";
  for (const std::string& failure : saved.failures) cliError(ctx, kVerb, failure, kExitFailure);
  return saved.ok() ? kExitOk : kExitFailure;
}

}  // namespace vornel
