#include <ostream>

#include "cli/args.h"
#include "cli/verbs.h"
#include "core/preferences.h"
#include "imageio/color_reduce.h"
#include "imageio/image_by_name.h"
#include "platform/profile.h"
#include "render/compose.h"

namespace vornel {

namespace {

// The top-left pixel as a colour reference: the reduction keeps the background colour
// at palette entry 0, and a picture's corner is the likeliest background.
std::uint32_t cornerColor(DibImage& image) {
  DibRowAccess rows(image);
  if (rows.rowCount() == 0 || image.width() <= 0) return 0xFFFFFF;
  const std::uint8_t* px = rows[0];
  return static_cast<std::uint32_t>(px[2]) | static_cast<std::uint32_t>(px[1]) << 8 |
         static_cast<std::uint32_t>(px[0]) << 16;
}

}  // namespace

int verbConvert(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = {
      {"help", 'h', false, "show this help"},
      {"reduce", 0, true,
       "popularity|mediancut  colour reduction for a GIF target (default: the preference)"}};
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, "convert", error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out
        << "usage: vornel convert IN OUT\n\nReads IN and writes OUT, each in the format its "
           "name's extension implies (.bmp, .gif, .jpg, .png). A true-colour picture written as "
           "GIF is reduced to 256 colours first, its top-left colour at entry 0.\n\n"
        << describeOptions(specs);
    return kExitOk;
  }
  if (parsed.positionals.size() != 2)
    return cliError(ctx, "convert", "expects IN and OUT (see --help)", kExitUsage);
  ReduceMethod method = ReduceMethod::MedianCut;
  if (auto text = parsed.get("reduce")) {
    if (*text == "popularity")
      method = ReduceMethod::Popularity;
    else if (*text == "mediancut")
      method = ReduceMethod::MedianCut;
    else
      return cliError(ctx, "convert", "--reduce takes popularity or mediancut", kExitUsage);
  } else {
    method = loadPreferences(defaultProfilePath()).reduceColorMethod == 0 ? ReduceMethod::Popularity
                                                                          : ReduceMethod::MedianCut;
  }
  const std::string& in = parsed.positionals[0];
  const std::string& out = parsed.positionals[1];
  DibImage image;
  std::string reason;
  if (!readImageByName(image, in, &reason))
    return cliError(ctx, "convert", in + ": " + reason, kExitFailure);
  if (formatForWriting(out) == ImageFormat::Gif && image.bitsPerPixel() == 24) {
    MedianCutTables tables;
    reduceOutput(image, 256, method, cornerColor(image), tables);
  }
  if (!writeImageByName(image, out, 0, -1, image.bitsPerPixel(), &reason))
    return cliError(ctx, "convert", out + ": " + reason, kExitFailure);
  return kExitOk;
}

}  // namespace vornel
