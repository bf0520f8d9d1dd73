#include <ostream>

#include "cli/args.h"
#include "cli/style_print.h"
#include "cli/verbs.h"
#include "core/style_file.h"

namespace vornel {

int verbStyle(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = {{"help", 'h', false, "show this help"}};
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, "style", error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel style FILE.sty\n\nReads a style file and prints it as read:\n"
               "  background MODE COLOUR BITMAP\n"
               "  N KEYWORD P1 ... P12 TEXTURE     (one line per effect, N from 0)\n"
               "COLOUR is the decimal 0x00BBGGRR value; BITMAP and TEXTURE are left out when "
               "empty.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (parsed.positionals.size() != 1)
    return cliError(ctx, "style", "expects one FILE (see --help)", kExitUsage);
  const std::string& file = parsed.positionals[0];
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
