// vornel sheet: every style of the program folder rendered on one contact sheet, its
// name under it, so a designer can pick one by eye.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <ostream>
#include <sstream>

#include "cli/args.h"
#include "cli/named_files.h"
#include "cli/render_options.h"
#include "cli/verbs.h"
#include "core/job_edits.h"
#include "core/output/save_output.h"
#include "render/compose.h"
#include "render/engine.h"
#include "render/pipeline.h"

namespace vornel {

namespace {

const char* const kVerb = "sheet";
constexpr int kMessageHeight = 48;  // em height of the sample, in pixels
constexpr int kSamplePad = 8;
constexpr int kNameHeight = 15;
constexpr int kMargin = 14;
constexpr std::uint8_t kSheetGrey = 0xE8;  // the sheet, light enough for dark styles to show
constexpr std::uint8_t kNameGrey = 0x30;

// A picture as plain top-down blue, green, red rows.
struct Tile {
  std::string name;
  int width = 0, height = 0;
  std::vector<std::uint8_t> bgr;
};

Tile tileOf(const DibImage& image, const std::string& name) {
  Tile tile;
  tile.name = name;
  DibImage copy = image;
  DibRowAccess rows(copy);
  tile.width = std::max(copy.width(), 0);
  tile.height = rows.rowCount();
  for (int y = 0; y < tile.height; ++y)
    tile.bgr.insert(tile.bgr.end(), rows[y], rows[y] + tile.width * 3);
  return tile;
}

LogFont nameFont() {
  LogFont font = startupFont();
  font.lfHeight = -kNameHeight;
  font.lfWidth = 0;
  return font;
}

// How a style wants to be shown, from the comment lines at the head of its file:
// ";Face: NAME[, bold][, italic]" and ";Tiles: ..., meant for N px and larger". A style
// whose name begins "bullet_" is a Bulletin's look, "template_" a Template's.
struct SampleLook {
  std::string face;
  bool bold = false, italic = false;
  int height = kMessageHeight;
};

SampleLook sampleLookOf(const std::string& path) {
  SampleLook look;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  for (int n = 0; n < 8 && std::getline(in, line) && line.rfind(';', 0) == 0; ++n) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind(";Face:", 0) == 0) {
      std::istringstream parts(line.substr(6));
      std::string part;
      for (bool first = true; std::getline(parts, part, ','); first = false) {
        part.erase(0, part.find_first_not_of(' '));
        if (first)
          look.face = part;
        else if (part == "bold")
          look.bold = true;
        else if (part == "italic")
          look.italic = true;
      }
    } else if (auto at = line.find("meant for ");
               line.rfind(";Tiles:", 0) == 0 && at != line.npos) {
      const int px = std::atoi(line.c_str() + at + 10);
      if (px > look.height && px <= 4 * kMessageHeight) look.height = px;
    }
  }
  return look;
}

// The style on the layer its name says (the Message by default) over the background it
// brings; a Bulletin or Template style beside or behind the sample in a plain fill.
bool renderStyle(Engine& engine, const std::string& path, const std::string& style,
                 const std::string& message, std::string& reason) {
  VornelDocument& doc = engine.doc;
  const SampleLook look = sampleLookOf(path);
  LogFont font = startupFont();
  if (!look.face.empty()) font.setFaceName(look.face);
  font.lfHeight = -look.height;
  font.lfWidth = 0;
  font.lfWeight = look.bold ? 700 : 400;
  font.lfItalic = look.italic ? 1 : 0;
  editMessageFont(doc, font);
  editMessageText(doc, message);
  editBackgroundColor(doc, 0xFFFFFF);
  editBackgroundTransparent(doc, true);
  const bool bullet = style.rfind("bullet_", 0) == 0, backing = style.rfind("template_", 0) == 0;
  editLayerKind(doc, kBulletinLayer, bullet ? kLayerRoundBox : kLayerNone);
  editLayerKind(doc, kTemplateLayer, backing ? kLayerStretchedFont : kLayerNone);
  const int layer = bullet ? kBulletinLayer : backing ? kTemplateLayer : kMessageLayer;
  if (backing) editLayerText(doc, kTemplateLayer, "=");
  if (layer != kMessageLayer) editLayerEffects(doc, kMessageLayer, {plainMessageEffect()});
  if (!editLayerStyle(doc, layer, path, &reason)) return false;
  return renderJob(engine, &reason);
}

// Draws name in kNameGrey, centred on centreX, its top at top. The text is drawn white
// into a scratch raster of its own, which marks the pixels to paint.
void drawName(Engine& engine, DibRowAccess& sheet, int sheetWidth, const std::string& name,
              int centreX, int top) {
  const LogFont font = nameFont();
  const TextExtent extent = engine.text.measure(font, name);
  if (extent.width <= 0 || extent.height <= 0) return;
  std::vector<std::uint8_t> scratch(static_cast<std::size_t>(extent.width) * extent.height * 3, 0);
  engine.text.draw(font, name, scratch.data(), extent.width, extent.height, 0, 0);
  const int left = centreX - extent.width / 2;
  for (int y = 0; y < extent.height && top + y < sheet.rowCount(); ++y)
    for (int x = 0; x < extent.width; ++x) {
      const int sx = left + x;
      if (sx < 0 || sx >= sheetWidth) continue;
      if (scratch[(static_cast<std::size_t>(y) * extent.width + x) * 3] == 0) continue;
      std::memset(sheet[top + y] + sx * 3, kNameGrey, 3);
    }
}

}  // namespace

int verbSheet(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = {
      {"help", 'h', false, "show this help"},
      {"message", 0, true, "TEXT  the sample text (default: Hello Vornel!)"},
      {"columns", 0, true, "N  styles side by side (default 4)"},
      {"type", 0, true, "png|bmp|jpg|gif256  file type (default: from NAME, else png)"},
      {"app-dir", 0, true, "DIR  the program folder whose styles are shown"},
      {"output", 'o', true, "NAME  the file to write"}};
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, kVerb, error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel sheet [OPTIONS] -o NAME\n\nRenders the message (at 48 pixels, in "
               "the face a style names, larger where its tiles need it) in every style of the "
               "program folder and lays the pictures out on one contact "
               "sheet, each with its style's name under it, to pick a style by eye. The sheet "
               "is a PNG unless NAME or --type says otherwise.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (!parsed.positionals.empty())
    return cliError(ctx, kVerb, "unexpected argument '" + parsed.positionals[0] + "'", kExitUsage);
  auto name = parsed.get("output");
  if (!name || name->empty() || *name == "-")
    return cliError(ctx, kVerb, "expects -o NAME (see --help)", kExitUsage);
  std::int32_t type = kOutputPng;
  const std::string lower = [&] {
    std::string s = *name;
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }();
  for (const char* ext : {".bmp", ".gif", ".jpg", ".jpeg", ".jpe"})
    if (endsWithNoCase(lower, ext)) type = outputTypeFromName(lower);
  if (auto text = parsed.get("type");
      text && (!parseOutputType(*text, type) || type == kOutputGif16))
    return cliError(ctx, kVerb, "unknown --type '" + *text + "' (png, bmp, jpg or gif256)",
                    kExitUsage);
  int columns = 4;
  if (auto text = parsed.get("columns");
      text && (!parseIntArg(*text, columns) || columns < 1 || columns > 64))
    return cliError(ctx, kVerb, "--columns takes a whole number from 1 to 64", kExitUsage);

  Engine engine(ctx.host);
  if (!startJobEngine(parsed, engine, error)) return cliError(ctx, kVerb, error, kExitFailure);
  const std::vector<std::string> files = filesWithExtension(engine.doc.appDirectory, ".sty");
  if (files.empty())
    return cliError(ctx, kVerb,
                    "no styles (.sty files) in the program folder " + engine.doc.appDirectory,
                    kExitFailure);
  const std::string message = parsed.get("message").value_or("Hello Vornel!");
  // Room for the glows and shadows a style throws beyond its letters.
  editMessagePad(engine.doc, kSamplePad);

  std::vector<Tile> tiles;
  for (const std::string& file : files) {
    const std::string style = file.substr(0, file.size() - 4);
    std::string reason;
    if (!renderStyle(engine, engine.doc.appDirectory + file, style, message, reason)) {
      cliWarning(ctx, kVerb, file + ": " + reason + "; left off the sheet");
      continue;
    }
    if (engine.doc.layer(kMessageLayer).effects.empty())
      cliWarning(ctx, kVerb, file + " holds no effects: its picture is blank");
    tiles.push_back(tileOf(engine.doc.outputImage, style));
  }

  // Every cell is as wide as the widest picture or name; a row as tall as its tallest.
  int cellWidth = 0;
  for (const Tile& t : tiles)
    cellWidth = std::max({cellWidth, t.width, engine.text.measure(nameFont(), t.name).width});
  cellWidth += 2 * kMargin;
  const int rows = (static_cast<int>(tiles.size()) + columns - 1) / columns;
  const int shownColumns = std::min(columns, static_cast<int>(tiles.size()));
  std::vector<int> rowTop(static_cast<std::size_t>(rows) + 1, 0);
  const int nameBand = engine.text.measure(nameFont(), "Ag").height + kMargin / 2;
  for (int r = 0; r < rows; ++r) {
    int tallest = 0;
    for (int c = 0; c < columns && r * columns + c < static_cast<int>(tiles.size()); ++c)
      tallest = std::max(tallest, tiles[static_cast<std::size_t>(r * columns + c)].height);
    rowTop[static_cast<std::size_t>(r) + 1] =
        rowTop[static_cast<std::size_t>(r)] + kMargin + tallest + kMargin / 2 + nameBand;
  }
  const int sheetWidth = shownColumns * cellWidth;
  const int sheetHeight = rowTop.back() + kMargin;
  DibImage sheet;
  if (sheet.create(sheetWidth, sheetHeight, 24) != 1)
    return cliError(ctx, kVerb,
                    "a sheet of " + std::to_string(sheetWidth) + " x " +
                        std::to_string(sheetHeight) + " pixels cannot be made",
                    kExitFailure);
  {
    DibRowAccess out(sheet);
    for (int y = 0; y < out.rowCount(); ++y) std::memset(out[y], kSheetGrey, sheetWidth * 3);
    for (std::size_t i = 0; i < tiles.size(); ++i) {
      const Tile& t = tiles[i];
      const int r = static_cast<int>(i) / columns, c = static_cast<int>(i) % columns;
      const int centreX = c * cellWidth + cellWidth / 2;
      const int top = rowTop[static_cast<std::size_t>(r)] + kMargin;
      const int rowHeight = rowTop[static_cast<std::size_t>(r) + 1] - top - kMargin / 2 - nameBand;
      const int left = centreX - t.width / 2;
      const int pictureTop = top + (rowHeight - t.height) / 2;
      for (int y = 0; y < t.height; ++y)
        std::memcpy(out[pictureTop + y] + left * 3,
                    t.bgr.data() + static_cast<std::size_t>(y) * t.width * 3,
                    static_cast<std::size_t>(t.width) * 3);
      drawName(engine, out, sheetWidth, t.name, centreX, top + rowHeight + kMargin / 2);
    }
  }
  if (type == kOutputGif256) {
    MedianCutTables tables;
    reduceOutput(sheet, 256, ReduceMethod::MedianCut, 0x010101u * kSheetGrey, tables);
  }
  const std::string fileName = mainOutputName(*name, type);
  std::string reason;
  if (!writeOutputFile(sheet, fileName, type, -1, savedBitsPerPixel(type), &reason))
    return cliError(ctx, kVerb, fileName + ": " + reason, kExitFailure);
  ctx.out << fileName << "\n";
  return kExitOk;
}

}  // namespace vornel
