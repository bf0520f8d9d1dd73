#include <ostream>

#include "cli/args.h"
#include "cli/named_files.h"
#include "cli/style_print.h"
#include "cli/verbs.h"
#include "core/style_file.h"

namespace vornel {

int verbStyle(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = {
      {"help", 'h', false, "show this help"},
      {"app-dir", 0, true, "DIR  the program folder, where a bare NAME is also looked for"}};
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, "style", error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel style FILE.sty|NAME\n\nReads a style file (or the style NAME, looked "
               "for as render looks for it) and prints it as read:\n"
               "  background MODE COLOUR BITMAP\n"
               "  N KEYWORD P1 ... P12 TEXTURE     (one line per effect, N from 0)\n"
               "COLOUR is the decimal 0x00BBGGRR value; BITMAP and TEXTURE are left out when "
               "empty.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (parsed.positionals.size() != 1)
    return cliError(ctx, "style", "expects one FILE (see --help)", kExitUsage);
  std::string file;
  if (!findNamedFileIn(parsed.positionals[0], ".sty", parsed.get("app-dir").value_or(""), "style",
                       file, error))
    return cliError(ctx, "style", error + " ('vornel styles' lists them)", kExitFailure);
  VornelDocument doc;
  initializeDocument(doc);
  std::string reason;
  if (!readStyle(file, doc, &reason))
    return cliError(ctx, "style", file + ": " + reason, kExitFailure);
  printBackgroundLine(ctx.out, doc.ws.backgroundMode, doc.ws.backgroundColor,
                      doc.ws.backgroundBitmap);
  printEffectLines(ctx.out, doc.ws.effects);
  return kExitOk;
}

}  // namespace vornel
