// vornel styles and vornel examples: what the program folder offers, one line each, so
// a designer can pick a name for --style or --project.
#include <ostream>

#include "cli/args.h"
#include "cli/named_files.h"
#include "cli/render_options.h"
#include "cli/verbs.h"
#include "core/project_file.h"
#include "core/style_file.h"
#include "render/engine.h"

namespace vornel {

namespace {

const char* const kStylesUsage =
    "usage: vornel styles [--app-dir DIR]\n\nLists the styles of the program folder, one a "
    "line: the name to give --style (or --template-style, --bulletin-style) and its effects "
    "in the order they are drawn. 'vornel sheet' shows them all on one picture.";
const char* const kExamplesUsage =
    "usage: vornel examples [--app-dir DIR]\n\nLists the examples (projects) of the program "
    "folder, one a line: the name to give --project, its message and its Template and "
    "Bulletin kinds.";

const std::vector<OptionSpec>& listSpecs() {
  static const std::vector<OptionSpec> specs = {{"help", 'h', false, "show this help"},
                                                {"app-dir", 0, true, "DIR  the program folder"}};
  return specs;
}

// The program folder the other verbs would use, or false with the message.
bool listedFolder(const std::vector<std::string>& args, CliContext& ctx, const char* verb,
                  const char* usage, std::string& folder, int& status) {
  ParsedArgs parsed;
  std::string error;
  status = kExitOk;
  if (!parseArgs(args, listSpecs(), parsed, error)) {
    status = cliError(ctx, verb, error, kExitUsage);
    return false;
  }
  if (parsed.has("help")) {
    ctx.out << usage << "\n\n" << describeOptions(listSpecs());
    return false;
  }
  if (!parsed.positionals.empty()) {
    status = cliError(ctx, verb, "unexpected argument '" + parsed.positionals[0] + "'", kExitUsage);
    return false;
  }
  Engine engine(ctx.host);
  if (!startJobEngine(parsed, engine, error)) {
    status = cliError(ctx, verb, error, kExitFailure);
    return false;
  }
  folder = engine.doc.appDirectory;
  return true;
}

std::string stem(const std::string& file) {
  return file.substr(0, file.find_last_of('.'));
}

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text + " ";
}

const char* kindName(std::int32_t kind) {
  switch (kind) {
    case kLayerFont:
      return "font";
    case kLayerRoundBox:
      return "roundbox";
    case kLayerStretchedFont:
      return "stretched";
    default:
      return "none";
  }
}

}  // namespace

int verbStyles(const std::vector<std::string>& args, CliContext& ctx) {
  std::string folder;
  int status;
  if (!listedFolder(args, ctx, "styles", kStylesUsage, folder, status)) return status;
  const std::vector<std::string> files = filesWithExtension(folder, ".sty");
  if (files.empty())
    return cliError(ctx, "styles", "no styles (.sty files) in the program folder " + folder,
                    kExitFailure);
  for (const std::string& file : files) {
    VornelDocument doc;
    initializeDocument(doc);
    std::string reason, effects;
    if (!readStyle(folder + file, doc, &reason)) {
      effects = "(cannot be read: " + reason + ")";
    } else if (doc.ws.effects.empty()) {
      effects = "(no effects: draws nothing)";
    } else {
      for (const EffectRecord& r : doc.ws.effects)
        if (r.type >= 0 && r.type < kEffectTypeCount)
          effects += (effects.empty() ? "" : ", ") + std::string(kEffectDisplayNames[r.type]);
    }
    ctx.out << padded(stem(file), 16) << effects << "\n";
  }
  return kExitOk;
}

int verbExamples(const std::vector<std::string>& args, CliContext& ctx) {
  std::string folder;
  int status;
  if (!listedFolder(args, ctx, "examples", kExamplesUsage, folder, status)) return status;
  const std::vector<std::string> files = filesWithExtension(folder, ".vrn");
  if (files.empty())
    return cliError(ctx, "examples", "no examples (.vrn files) in the program folder " + folder,
                    kExitFailure);
  for (const std::string& file : files) {
    VornelDocument doc;
    initializeDocument(doc);
    std::string reason;
    ctx.out << padded(stem(file), 16);
    if (readProject(doc, folder + file, &reason) != 0) {
      ctx.out << "(cannot be read: " << reason << ")\n";
      continue;
    }
    std::string text = doc.layer(kMessageLayer).text;
    for (std::size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 2))
      text.replace(at, 1, "\\n");
    ctx.out << "\"" << text << "\"  template " << kindName(doc.layer(kTemplateLayer).kind)
            << ", bulletin " << kindName(doc.layer(kBulletinLayer).kind) << "\n";
  }
  return kExitOk;
}

}  // namespace vornel
