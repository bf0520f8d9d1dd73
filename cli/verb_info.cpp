#include <ostream>

#include "cli/args.h"
#include "cli/verbs.h"
#include "imageio/file_bytes.h"
#include "imageio/image_by_name.h"

namespace vornel {

namespace {

// A GIF is read as red, green and blue, but its own depth is that of its colour table:
// the screen descriptor's low three bits hold the table's size as 2^(bits) / 2. Without
// a global table the images bring their own, of at most 8 bits.
int gifColorTableBits(const std::string& file) {
  std::vector<std::uint8_t> head;
  std::string ignored;
  if (!readFileHead(file, 13, head, &ignored) || head.size() < 13) return 8;
  const std::uint8_t flags = head[10];
  return flags & 0x80 ? (flags & 7) + 1 : 8;
}

}  // namespace

int verbInfo(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = {{"help", 'h', false, "show this help"}};
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, "info", error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out
        << "usage: vornel info FILE\n\nReads FILE (by its extension: .bmp, .gif, .jpg, .git, .png) "
           "and prints WIDTHxHEIGHT BITS-bit (for a GIF the bits of its colour table).\n\n"
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
  const int bits =
      formatForReading(file) == ImageFormat::Gif ? gifColorTableBits(file) : image.bitsPerPixel();
  ctx.out << image.width() << "x" << image.height() << " " << bits << "-bit\n";
  return kExitOk;
}

}  // namespace vornel
