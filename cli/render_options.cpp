#include "cli/render_options.h"

#include <algorithm>
#include <optional>

#include "cli/cli.h"
#include "core/job_edits.h"
#include "core/project_file.h"
#include "imageio/image_by_name.h"
#include "render/engine.h"

namespace vornel {

const std::vector<OptionSpec>& renderOptionSpecs() {
  static const std::vector<OptionSpec> specs = {
      {"help", 'h', false, "show this help"},
      {"project", 0, true, "FILE.vrn  open this project first"},
      {"message", 0, true, "TEXT  the message (newlines in TEXT break lines)"},
      {"style", 0, true, "FILE.sty  the Message layer's style"},
      {"template", 0, true, "none|font|stretched|roundbox  the Template layer's kind"},
      {"template-text", 0, true, "TEXT  the Template's text"},
      {"template-style", 0, true, "FILE.sty  the Template's style (and the background)"},
      {"bulletin", 0, true, "none|font|roundbox  the Bulletin layer's kind"},
      {"bulletin-style", 0, true, "FILE.sty  the Bulletin's style"},
      {"font", 0, true, "FACE  the Message's font face"},
      {"font-height", 0, true, "N  negative: em height, positive: cell height, in pixels"},
      {"font-width", 0, true, "N  average character width (0: the face's own)"},
      {"bold", 0, false, "bold face"},
      {"italic", 0, false, "italic face"},
      {"background", 0, true, "#RRGGBB  background colour"},
      {"transparent", 0, false, "the background is the GIF transparent colour"},
      {"opaque", 0, false, "the background is an ordinary colour"},
      {"pressed", 0, false, "also write the pressed-state image NAME_.ext"},
      {"mask", 0, true, "IMAGE  the Message's shape is this picture (lit where non-zero)"},
      {"antialiasing", 0, true, "0|1  edge smoothing when layers are composed"},
      {"clipblank", 0, true, "0|1  trim blank margins around the text"},
      {"reduce", 0, true, "popularity|mediancut  colour reduction for GIF output"},
      {"type", 0, true, "gif16|gif256|jpg|bmp|png  file type (default: from NAME)"},
      {"app-dir", 0, true, "DIR  the program folder (star kernels, textures, fs.zzz)"},
      {"output", 'o', true, "NAME  the file to write"},
  };
  return specs;
}

bool parseOutputType(const std::string& text, std::int32_t& type) {
  if (text == "gif16")
    type = kOutputGif16;
  else if (text == "gif256")
    type = kOutputGif256;
  else if (text == "jpg")
    type = kOutputJpeg;
  else if (text == "bmp")
    type = kOutputBmp;
  else if (text == "png")
    type = kOutputPng;
  else
    return false;
  return true;
}

// The type a name's own extension implies: ".gif" means 256 colours, anything but
// ".bmp" and ".png" JPEG.
std::int32_t outputTypeFromName(const std::string& name) {
  std::string ext = name.size() >= 4 ? name.substr(name.size() - 4) : "";
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (ext == ".gif") return kOutputGif256;
  if (ext == ".bmp") return kOutputBmp;
  if (ext == ".png") return kOutputPng;
  return kOutputJpeg;
}

std::vector<OptionSpec> renderOptionSpecsWith(const std::vector<std::string>& drop,
                                              const std::vector<OptionSpec>& extra) {
  std::vector<OptionSpec> specs;
  for (const OptionSpec& option : renderOptionSpecs())
    if (std::find(drop.begin(), drop.end(), option.longName) == drop.end()) specs.push_back(option);
  specs.insert(specs.end(), extra.begin(), extra.end());
  return specs;
}

namespace {

struct RenderError {
  int status;
  std::string message;
};

bool parseKind(const std::string& text, bool allowStretched, std::int32_t& kind) {
  if (text == "none")
    kind = kLayerNone;
  else if (text == "font")
    kind = kLayerFont;
  else if (text == "roundbox")
    kind = kLayerRoundBox;
  else if (text == "stretched" && allowStretched)
    kind = kLayerStretchedFont;
  else
    return false;
  return true;
}

bool parseColor(const std::string& text, std::uint32_t& colorRef) {
  if (text.size() != 7 || text[0] != '#') return false;
  std::uint32_t rgb = 0;
  for (std::size_t i = 1; i < 7; ++i) {
    char c = text[i];
    int v = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : -1;
    if (v < 0) return false;
    rgb = rgb << 4 | static_cast<std::uint32_t>(v);
  }
  // #RRGGBB to the colour reference 0x00BBGGRR.
  colorRef = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
  return true;
}

bool parseZeroOne(const ParsedArgs& parsed, const std::string& name, int& out,
                  std::optional<RenderError>& error) {
  auto value = parsed.get(name);
  if (!value) return true;
  if (*value != "0" && *value != "1") {
    error = RenderError{kExitUsage, "--" + name + " takes 0 or 1"};
    return false;
  }
  out = *value == "1";
  return true;
}

bool loadMask(const std::string& path, ShapeMask& mask, std::string& reason) {
  DibImage image;
  if (!readImageByName(image, path, &reason)) return false;
  if (!convertTo24Bits(image)) {
    reason = "not a picture of 8 or 24 bits";
    return false;
  }
  DibRowAccess rows(image);
  if (image.width() <= 0 || image.height() <= 0 || rows.rowCount() != image.height()) {
    reason = "an empty picture";
    return false;
  }
  mask.width = image.width();
  mask.height = image.height();
  mask.lit.assign(static_cast<std::size_t>(mask.width) * mask.height, 0);
  for (int y = 0; y < mask.height; ++y)
    for (int x = 0; x < mask.width; ++x)
      mask.lit[static_cast<std::size_t>(y) * mask.width + x] = rows[y][x * 3] != 0;
  return true;
}

// The job as the options describe it: the project, then layer kinds and texts, then the
// styles, then every value option, so values given on the command line always win. Each
// change is the same job edit the window's pages make.
std::optional<RenderError> buildJob(const ParsedArgs& parsed, Engine& engine) {
  VornelDocument& doc = engine.doc;
  std::string reason;
  if (auto project = parsed.get("project")) {
    if (readProject(doc, *project, &reason) != 0)
      return RenderError{kExitFailure, *project + ": " + reason};
  }
  const std::pair<const char*, int> kinds[] = {{"template", kTemplateLayer},
                                               {"bulletin", kBulletinLayer}};
  for (auto [option, index] : kinds) {
    auto value = parsed.get(option);
    std::int32_t kind = kLayerNone;
    if (value &&
        (!parseKind(*value, index == kTemplateLayer, kind) || !editLayerKind(doc, index, kind)))
      return RenderError{kExitUsage, "unknown --" + std::string(option) + " kind '" + *value + "'"};
  }
  if (auto text = parsed.get("template-text")) editLayerText(doc, kTemplateLayer, *text);
  if (auto message = parsed.get("message")) editMessageText(doc, *message);

  const std::pair<const char*, int> styles[] = {{"template-style", kTemplateLayer},
                                                {"bulletin-style", kBulletinLayer},
                                                {"style", kMessageLayer}};
  for (auto [option, index] : styles) {
    auto path = parsed.get(option);
    if (path && !editLayerStyle(doc, index, *path, &reason))
      return RenderError{kExitFailure, *path + ": " + reason};
  }

  LogFont font = doc.layer(kMessageLayer).font;
  if (auto face = parsed.get("font")) font.setFaceName(*face);
  for (const char* option : {"font-height", "font-width"}) {
    auto value = parsed.get(option);
    if (!value) continue;
    int n = 0;
    if (!parseIntArg(*value, n) || n < -kMaxCanvasSide || n > kMaxCanvasSide)
      return RenderError{kExitUsage, "--" + std::string(option) + " takes a whole number from " +
                                         std::to_string(-kMaxCanvasSide) + " to " +
                                         std::to_string(kMaxCanvasSide)};
    (std::string(option) == "font-height" ? font.lfHeight : font.lfWidth) = n;
  }
  if (parsed.has("bold")) font.lfWeight = 700;
  if (parsed.has("italic")) font.lfItalic = 1;
  if (!(font == doc.layer(kMessageLayer).font)) editMessageFont(doc, font);

  if (auto text = parsed.get("background")) {
    std::uint32_t color = 0;
    if (!parseColor(*text, color))
      return RenderError{kExitUsage, "--background takes #RRGGBB, not '" + *text + "'"};
    editBackgroundColor(doc, color);
  }
  if (parsed.has("transparent") && parsed.has("opaque"))
    return RenderError{kExitUsage, "--transparent and --opaque exclude each other"};
  if (parsed.has("transparent") || parsed.has("opaque"))
    editBackgroundTransparent(doc, parsed.has("transparent"));
  if (parsed.has("pressed")) editPressedImage(doc, true);

  std::optional<RenderError> error;
  if (!parseZeroOne(parsed, "antialiasing", doc.prefs.antialiasing, error)) return error;
  if (!parseZeroOne(parsed, "clipblank", doc.prefs.clipBlank, error)) return error;
  if (auto method = parsed.get("reduce")) {
    if (*method == "popularity")
      doc.prefs.reduceColorMethod = 0;
    else if (*method == "mediancut")
      doc.prefs.reduceColorMethod = 1;
    else
      return RenderError{kExitUsage, "--reduce takes popularity or mediancut"};
  }
  if (auto path = parsed.get("mask")) {
    if (!loadMask(*path, engine.messageMask, reason))
      return RenderError{kExitFailure, *path + ": " + reason};
  }
  return std::nullopt;
}

}  // namespace

bool applyRenderOptions(const ParsedArgs& parsed, Engine& engine, int& status,
                        std::string& message) {
  if (auto failed = buildJob(parsed, engine)) {
    status = failed->status;
    message = failed->message;
    return false;
  }
  return true;
}

}  // namespace vornel
