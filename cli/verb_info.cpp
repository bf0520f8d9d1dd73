#include <ostream>

#include "cli/args.h"
#include "cli/verbs.h"
#include "imageio/image_by_name.h"

namespace vornel {

int verbInfo(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = {{"help", 'h', false, "show this help"}};
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, "info", error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out
        << "usage: vornel info FILE\n\nReads FILE (by its extension: .bmp, .gif, .jpg, .git, .png) "
           "and prints WIDTHxHEIGHT BITS-bit.\n\n"
        << describeOptions(specs);
    return kExitOk;
  }
  if (parsed.positionals.size() != 1)
    return cliError(ctx, "info", "expects one FILE (see --help)", kExitUsage);
  const std::string& file = parsed.positionals[0];
  DibImage image;
  std::string reason;
  if (!readImageByName(image, file, &reason))
    return cliError(ctx, "info", file + ": " + reason, kExitFailure);
  ctx.out << image.width() << "x" << image.height() << " " << image.bitsPerPixel() << "-bit\n";
  return kExitOk;
}

}  // namespace vornel
