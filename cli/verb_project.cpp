#include <ostream>

#include "cli/args.h"
#include "cli/named_files.h"
#include "cli/style_print.h"
#include "cli/verbs.h"
#include "core/project_file.h"

namespace vornel {

namespace {

// One line per text: a line break is shown as \n and a backslash as \\.
std::string escapedText(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\\')
      out += "\\\\";
    else
      out.push_back(c);
  }
  return out;
}

void printLayer(std::ostream& os, int index, const LayerRecord& layer) {
  const LogFont& f = layer.font;
  os << "layer " << index << " kind " << layer.kind << " effects " << layer.effects.size() << "\n";
  os << "text " << escapedText(layer.text) << "\n";
  os << "font " << f.lfHeight << " " << f.lfWidth << " " << f.lfWeight << " " << int{f.lfItalic}
     << " " << int{f.lfCharSet} << " " << int{f.lfOutPrecision} << " " << int{f.lfQuality} << " "
     << int{f.lfPitchAndFamily};
  if (!f.faceName().empty()) os << " " << f.faceName();
  os << "\n";
  os << "fontwidths " << layer.fontWidth << " " << layer.stretchedFontWidth << "\n";
  os << "box";
  for (std::int32_t b : layer.box) os << " " << b;
  os << "\n";
  printEffectLines(os, layer.effects);
}

}  // namespace

int verbProject(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec> specs = {
      {"help", 'h', false, "show this help"},
      {"app-dir", 0, true, "DIR  the program folder, where a bare NAME is also looked for"}};
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, "project", error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel project FILE.vrn|NAME\n\nReads a project file (or the example NAME) "
               "and prints, for each "
               "layer I (0 Template, 1 Bulletin, 2 Message):\n"
               "  layer I kind K effects N\n"
               "  text TEXT                        (line breaks as \\n, backslashes as \\\\)\n"
               "  font HEIGHT WIDTH WEIGHT ITALIC CHARSET OUTPRECISION QUALITY "
               "PITCHANDFAMILY FACE\n"
               "  fontwidths FONTWIDTH STRETCHEDFONTWIDTH\n"
               "  box B0 B1 B2 B3 B4 B5\n"
               "  N KEYWORD P1 ... P12 TEXTURE     (its effects, as 'vornel style' prints)\n"
               "then the project background and the Template's round-box factors:\n"
               "  background MODE COLOUR BITMAP\n"
               "  templatefactors W H CW CH\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (parsed.positionals.size() != 1)
    return cliError(ctx, "project", "expects one FILE (see --help)", kExitUsage);
  std::string file;
  if (!findNamedFileIn(parsed.positionals[0], ".vrn", parsed.get("app-dir").value_or(""), "example",
                       file, error))
    return cliError(ctx, "project", error + " ('vornel examples' lists them)", kExitFailure);
  VornelDocument doc;
  initializeDocument(doc);
  std::string reason;
  if (readProject(doc, file, &reason) != 0)
    return cliError(ctx, "project", file + ": " + reason, kExitFailure);
  for (int i = 0; i < 3; ++i) printLayer(ctx.out, i, doc.layer(i));
  printBackgroundLine(ctx.out, doc.projectBackgroundMode, doc.projectBackgroundColor,
                      doc.projectBackgroundBitmap);
  const RoundBoxFactors& t = doc.templateFactors;
  ctx.out << "templatefactors " << t.width << " " << t.height << " " << t.cornerWidth << " "
          << t.cornerHeight << "\n";
  return kExitOk;
}

}  // namespace vornel
