#include "cli/render_options.h"

#include <algorithm>
#include <filesystem>
#include <optional>

#include "cli/cli.h"
#include "cli/message_input.h"
#include "cli/named_files.h"
#include "core/job_edits.h"
#include "core/project_file.h"
#include "imageio/image_by_name.h"
#include "render/engine.h"
#include "render/job_scale.h"

namespace vornel {

const std::vector<OptionSpec>& renderOptionSpecs() {
  static const std::vector<OptionSpec> specs = {
      {"help", 'h', false, "show this help"},
      {"project", 0, true, "NAME  open this project first (a .vrn file, or an example's name)"},
      {"message", 0, true, "TEXT  the message (newlines in TEXT break lines; - reads stdin)"},
      {"message-file", 0, true, "FILE  the message is the UTF-8 text of FILE"},
      {"style", 0, true, "NAME  the Message's style (a .sty file, or a style's name)"},
      {"template", 0, true, "none|font|stretched|roundbox  the Template layer's kind"},
      {"template-text", 0, true, "TEXT  the Template's text (a None Template becomes font)"},
      {"template-style", 0, true, "NAME  the Template's style (and the background)"},
      {"template-font", 0, true, "FACE  the Template's font face"},
      {"template-font-height", 0, true, "N  the Template's font height, as --font-height"},
      {"box", 0, true,
       "W H [CW CH]  the Template's round box in per mille of the message (corners: of the "
       "box); the Template becomes roundbox",
       2, 4},
      {"bulletin", 0, true, "none|font|roundbox  the Bulletin layer's kind"},
      {"bulletin-text", 0, true, "TEXT  the Bulletin's text (a None Bulletin becomes font)"},
      {"bulletin-style", 0, true, "NAME  the Bulletin's style"},
      {"bulletin-box", 0, true,
       "W H [CW CH]  the Bulletin's round box in per mille of the message's height; the "
       "Bulletin becomes roundbox",
       2, 4},
      {"font", 0, true, "FACE  the Message's font face"},
      {"font-height", 0, true,
       "N  negative: em height, positive: cell height, in pixels (the face's own width "
       "unless --font-width)"},
      {"font-width", 0, true, "N  average character width (0: the face's own)"},
      {"bold", 0, false, "bold face"},
      {"italic", 0, false, "italic face"},
      {"background", 0, true, "#RRGGBB  background colour"},
      {"transparent", 0, false, "transparent background (GIF: its colour; PNG: true alpha)"},
      {"opaque", 0, false, "the background is an ordinary colour"},
      {"pad", 0, true, "N  N blank pixels on every side of the Message (room for glows)"},
      {"scale", 0, true, "N  1 to 4: everything drawn N times larger, sharp (for NAME@2x.png)"},
      {"pressed", 0, false, "also write the pressed-state image NAME_.ext"},
      {"mask", 0, true, "IMAGE  the Message's shape is this picture (lit where non-zero)"},
      {"antialiasing", 0, true, "0|1  edge smoothing when layers are composed"},
      {"clipblank", 0, true, "0|1  trim blank margins around the text"},
      {"reduce", 0, true, "popularity|mediancut  colour reduction for GIF output"},
      {"type", 0, true, "gif16|gif256|jpg|bmp|png  file type (default: from NAME)"},
      {"app-dir", 0, true, "DIR  the program folder (styles, examples, textures, star kernels)"},
      {"output", 'o', true, "NAME  the file to write (- : standard output, with --type)"},
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
  return kOutputJpeg;  // ".jpg", ".jpeg", ".jpe" and every other name
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

// Ten times the message's size is far beyond any button; the canvas budget refuses
// what is too large anyway, this keeps the products in range.
constexpr int kMaxBoxPerMille = 10000;
constexpr int kMaxPad = 1000;

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

std::optional<RenderError> parseBoundedInt(const ParsedArgs& parsed, const std::string& option,
                                           int low, int high, std::optional<int>& out) {
  auto value = parsed.get(option);
  if (!value) return std::nullopt;
  int n = 0;
  if (!parseIntArg(*value, n) || n < low || n > high)
    return RenderError{kExitUsage, "--" + option + " takes a whole number from " +
                                       std::to_string(low) + " to " + std::to_string(high)};
  out = n;
  return std::nullopt;
}

// "W H [CW CH]" in per mille over the factors the layer has.
std::optional<RenderError> parseBox(const std::string& option, const std::string& text,
                                    RoundBoxFactors& factors) {
  std::vector<int> values;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t blank = text.find(' ', start);
    if (blank == std::string::npos) blank = text.size();
    int n = 0;
    if (!parseIntArg(text.substr(start, blank - start), n) || n < 0 || n > kMaxBoxPerMille)
      return RenderError{kExitUsage, "--" + option +
                                         " takes W H [CW CH], whole numbers from 0 to " +
                                         std::to_string(kMaxBoxPerMille) + " (per mille)"};
    values.push_back(n);
    start = blank + 1;
  }
  if (values.size() != 2 && values.size() != 4)
    return RenderError{kExitUsage, "--" + option + " takes two or four numbers"};
  factors.width = values[0];
  factors.height = values[1];
  if (values.size() == 4) {
    factors.cornerWidth = values[2];
    factors.cornerHeight = values[3];
  }
  return std::nullopt;
}

std::optional<RenderError> applyKindsAndTexts(const ParsedArgs& parsed, Engine& engine,
                                              std::istream* in) {
  VornelDocument& doc = engine.doc;
  struct Layer {
    const char* kindOption;
    const char* textOption;
    const char* boxOption;
    int index;
  };
  const Layer layers[] = {{"template", "template-text", "box", kTemplateLayer},
                          {"bulletin", "bulletin-text", "bulletin-box", kBulletinLayer}};
  for (const Layer& layer : layers) {
    auto value = parsed.get(layer.kindOption);
    std::int32_t kind = kLayerNone;
    if (value && (!parseKind(*value, layer.index == kTemplateLayer, kind) ||
                  !editLayerKind(doc, layer.index, kind)))
      return RenderError{kExitUsage,
                         "unknown --" + std::string(layer.kindOption) + " kind '" + *value + "'"};
    // A box or a text asks for the layer it belongs to, unless the kind was given.
    if (!value && parsed.has(layer.boxOption)) editLayerKind(doc, layer.index, kLayerRoundBox);
    if (auto text = parsed.get(layer.textOption)) {
      editLayerText(doc, layer.index, *text);
      if (!value && doc.layer(layer.index).kind == kLayerNone)
        editLayerKind(doc, layer.index, kLayerFont);
    }
  }
  if (parsed.has("message") && parsed.has("message-file"))
    return RenderError{kExitUsage, "--message and --message-file exclude each other"};
  std::string message, reason;
  if (auto file = parsed.get("message-file")) {
    if (!readMessageFromFile(*file, message, reason)) return RenderError{kExitFailure, reason};
    editMessageText(doc, message);
  } else if (auto text = parsed.get("message")) {
    if (*text == "-") {
      if (!readMessageFromStream(in, message, reason)) return RenderError{kExitFailure, reason};
      editMessageText(doc, message);
    } else {
      editMessageText(doc, *text);
    }
  }
  return std::nullopt;
}

std::optional<RenderError> applyStyles(const ParsedArgs& parsed, Engine& engine,
                                       std::vector<std::string>& warnings) {
  VornelDocument& doc = engine.doc;
  const std::pair<const char*, int> styles[] = {{"template-style", kTemplateLayer},
                                                {"bulletin-style", kBulletinLayer},
                                                {"style", kMessageLayer}};
  std::string reason;
  for (auto [option, index] : styles) {
    auto name = parsed.get(option);
    if (!name) continue;
    std::string path;
    if (!findNamedFile(*name, ".sty", doc.appDirectory, "style", path, reason))
      return RenderError{kExitFailure, reason + " ('vornel styles' lists them)"};
    if (!editLayerStyle(doc, index, path, &reason))
      return RenderError{kExitFailure, path + ": " + reason};
    if (doc.layer(index).effects.empty())
      warnings.push_back(path + " holds no effects: its layer draws nothing");
  }
  if (!parsed.has("style") && !parsed.has("project")) {
    editLayerEffects(doc, kMessageLayer, {plainMessageEffect()});
    warnings.push_back(
        "no --style given: the message is drawn in a plain dark fill ('vornel styles' lists "
        "the styles)");
  }
  return std::nullopt;
}

std::optional<RenderError> applyFonts(const ParsedArgs& parsed, Engine& engine) {
  VornelDocument& doc = engine.doc;
  std::optional<int> height, width, templateHeight;
  for (auto [option, value] : {std::pair{"font-height", &height},
                               {"font-width", &width},
                               {"template-font-height", &templateHeight}})
    if (auto error = parseBoundedInt(parsed, option, -kMaxCanvasSide, kMaxCanvasSide, *value))
      return error;

  LogFont font = doc.layer(kMessageLayer).font;
  if (auto face = parsed.get("font")) font.setFaceName(*face);
  // A height alone means the face at that height: the start-up width (10) would squash a
  // large message to a fraction of its width.
  if (height) {
    font.lfHeight = *height;
    font.lfWidth = 0;
  }
  if (width) font.lfWidth = *width;
  if (parsed.has("bold")) font.lfWeight = 700;
  if (parsed.has("italic")) font.lfItalic = 1;
  if (!(font == doc.layer(kMessageLayer).font)) editMessageFont(doc, font);

  LogFont templateFont = doc.layer(kTemplateLayer).font;
  if (auto face = parsed.get("template-font")) templateFont.setFaceName(*face);
  if (templateHeight) {
    templateFont.lfHeight = *templateHeight;
    templateFont.lfWidth = 0;
  }
  if (!(templateFont == doc.layer(kTemplateLayer).font))
    editLayerFont(doc, kTemplateLayer, templateFont);
  return std::nullopt;
}

std::optional<RenderError> applyBoxesAndPad(const ParsedArgs& parsed, Engine& engine) {
  VornelDocument& doc = engine.doc;
  for (auto [option, index] :
       {std::pair{"box", kTemplateLayer}, {"bulletin-box", kBulletinLayer}}) {
    auto text = parsed.get(option);
    if (!text) continue;
    RoundBoxFactors factors = index == kTemplateLayer ? doc.templateFactors : doc.bulletinFactors;
    if (auto error = parseBox(option, *text, factors)) return error;
    editRoundBoxFactors(doc, index, factors);
  }
  std::optional<int> pad;
  if (auto error = parseBoundedInt(parsed, "pad", 0, kMaxPad, pad)) return error;
  if (pad) editMessagePad(doc, *pad);
  return std::nullopt;
}

std::optional<RenderError> applyValues(const ParsedArgs& parsed, Engine& engine) {
  VornelDocument& doc = engine.doc;
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
  std::string reason;
  if (auto path = parsed.get("mask")) {
    if (!loadMask(*path, engine.messageMask, reason))
      return RenderError{kExitFailure, *path + ": " + reason};
  }
  return std::nullopt;
}

// The job as the options describe it: the project, then layer kinds and texts, then the
// styles, then every value option, so values given on the command line always win. Each
// change is the same job edit the window's pages make.
std::optional<RenderError> buildJob(const ParsedArgs& parsed, Engine& engine,
                                    std::vector<std::string>& warnings, std::istream* in) {
  VornelDocument& doc = engine.doc;
  std::string reason;
  if (auto name = parsed.get("project")) {
    std::string path;
    if (!findNamedFile(*name, ".vrn", doc.appDirectory, "example", path, reason))
      return RenderError{kExitFailure, reason + " ('vornel examples' lists them)"};
    if (readProject(doc, path, &reason) != 0)
      return RenderError{kExitFailure, path + ": " + reason};
  }
  if (auto error = applyKindsAndTexts(parsed, engine, in)) return error;
  if (auto error = applyStyles(parsed, engine, warnings)) return error;
  if (auto error = applyFonts(parsed, engine)) return error;
  if (auto error = applyBoxesAndPad(parsed, engine)) return error;
  if (auto error = applyValues(parsed, engine)) return error;
  // Last, so that every length the options gave is scaled with the rest.
  std::optional<int> scale;
  if (auto error = parseBoundedInt(parsed, "scale", kMinDrawScale, kMaxDrawScale, scale))
    return error;
  if (scale && !scaleJob(engine, *scale, &reason)) return RenderError{kExitFailure, reason};
  return std::nullopt;
}

}  // namespace

// The Message's look when no style and no project give it one: a plain dark fill, so a
// first render shows the text rather than an empty picture.
EffectRecord plainMessageEffect() {
  EffectRecord fill;
  fill.type = kSingleColor;
  fill.param(1) = 0x302020;  // a dark blue-grey (0x00BBGGRR)
  fill.param(5) = 2;         // a single colour, not a texture
  return fill;
}

bool applyRenderOptions(const ParsedArgs& parsed, Engine& engine, int& status, std::string& message,
                        std::vector<std::string>& warnings, std::istream* in) {
  if (auto failed = buildJob(parsed, engine, warnings, in)) {
    status = failed->status;
    message = failed->message;
    return false;
  }
  return true;
}

bool startJobEngine(const ParsedArgs& parsed, Engine& engine, std::string& message) {
  startEngine(engine, {parsed.get("app-dir").value_or(""), ""});
  std::error_code ec;
  if (!std::filesystem::is_directory(engine.doc.appDirectory, ec)) {
    message = "program folder " + engine.doc.appDirectory +
              " does not exist (--app-dir, else $HELLOVORNEL_HOME)";
    return false;
  }
  return true;
}

bool outputTypeOption(const ParsedArgs& parsed, const std::string& name, std::int32_t& type,
                      std::string& message) {
  type = outputTypeFromName(name);
  if (auto text = parsed.get("type"); text && !parseOutputType(*text, type)) {
    message = "unknown --type '" + *text + "' (gif16, gif256, jpg, bmp or png)";
    return false;
  }
  return true;
}

std::vector<std::string> outputTypeWarnings(const ParsedArgs& parsed, std::int32_t type) {
  // Only when asked for: the start-up job's background is transparent, and a plain JPEG
  // of it is what it always was.
  if (!parsed.has("transparent")) return {};
  if (type != kOutputJpeg && type != kOutputBmp) return {};
  return {std::string(type == kOutputJpeg ? "JPEG" : "BMP") +
          " has no transparency: the background is drawn in its colour (--type png keeps "
          "it transparent)"};
}

}  // namespace vornel
