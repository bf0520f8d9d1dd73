#include <ostream>

#include "cli/args.h"
#include "cli/verbs.h"
#include "imageio/image_by_name.h"

namespace vornel {

int verbConvert(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = {{"help", 'h', false, "show this help"}};
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, "convert", error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel convert IN OUT\n\nReads IN and writes OUT, each in the format its "
               "name's extension implies (.bmp, .gif, .jpg).\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (parsed.positionals.size() != 2)
    return cliError(ctx, "convert", "expects IN and OUT (see --help)", kExitUsage);
  const std::string& in = parsed.positionals[0];
  const std::string& out = parsed.positionals[1];
  DibImage image;
  std::string reason;
  if (!readImageByName(image, in, &reason))
    return cliError(ctx, "convert", in + ": " + reason, kExitFailure);
  if (!writeImageByName(image, out, 0, -1, image.bitsPerPixel(), &reason))
    return cliError(ctx, "convert", out + ": " + reason, kExitFailure);
  return kExitOk;
}

}  // namespace vornel
