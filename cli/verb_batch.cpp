#include <ostream>
#include <utility>

#include "cli/render_options.h"
#include "cli/verbs.h"
#include "core/batch_list.h"
#include "core/job_edits.h"
#include "core/output/batch_generate.h"
#include "render/engine.h"

namespace vornel {

namespace {

const char* const kVerb = "batch";

// The render options, without the message (each list entry is the message in turn).
const std::vector<OptionSpec>& batchSpecs() {
  static const std::vector<OptionSpec> specs = renderOptionSpecsWith(
      {"message"}, {{"yes", 'y', false, "overwrite existing files without stopping"}});
  return specs;
}

// The context's host, except that the overwrite question is answered without printing
// it: OK with --yes, else Cancel, and the verb then says in one line what stopped the run.
class OverwriteHost : public Host {
 public:
  OverwriteHost(Host& inner, bool yes, std::string question)
      : inner_(inner), yes_(yes), question_(std::move(question)) {}
  MsgAnswer messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                       MsgIcon icon) override {
    if (yes_ && buttons == MsgButtons::OkCancel) return MsgAnswer::Ok;
    if (text == question_) return MsgAnswer::Cancel;
    return inner_.messageBox(text, caption, buttons, icon);
  }
  std::optional<std::string> openFileDialog(const FileDialogOptions& options) override {
    return inner_.openFileDialog(options);
  }
  std::optional<std::string> saveFileDialog(const FileDialogOptions& options) override {
    return inner_.saveFileDialog(options);
  }
  void setBusyCursor(bool busy) override { inner_.setBusyCursor(busy); }
  void refreshPreview() override { inner_.refreshPreview(); }

 private:
  Host& inner_;
  bool yes_;
  std::string question_;
};

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

}  // namespace

int verbBatch(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec>& specs = batchSpecs();
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, kVerb, error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel batch LIST.blt [OPTIONS] -o BASE\n\nRenders every message of the "
               "batch list with the job the options describe (as vornel render does) and saves "
               "them as BASE0.ext, BASE1.ext, ... (a three-letter extension of BASE is dropped; "
               "the pressed images as BASE0_.ext, ...). Prints each name written. When BASE0.ext "
               "exists the run stops unless --yes is given.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (parsed.positionals.size() != 1)
    return cliError(ctx, kVerb, "expects one batch list LIST.blt (see --help)", kExitUsage);
  auto base = parsed.get("output");
  if (!base || base->empty())
    return cliError(ctx, kVerb, "expects -o BASE (see --help)", kExitUsage);
  std::int32_t type = outputTypeFromName(*base);
  if (auto text = parsed.get("type"); text && !parseOutputType(*text, type))
    return cliError(ctx, kVerb, "unknown --type '" + *text + "' (gif16, gif256, jpg, bmp or png)",
                    kExitUsage);

  const std::string& listPath = parsed.positionals[0];
  BatchList list;
  std::string reason;
  if (!readBatchList(listPath, list, &reason))
    return cliError(ctx, kVerb, listPath + ": " + reason, kExitFailure);

  const std::string firstName = batchImageName(batchBaseName(*base), 0, type);
  OverwriteHost host(ctx.host, parsed.has("yes"), batchOverwriteQuestion(firstName));
  Engine engine(host);
  startEngine(engine, {parsed.get("app-dir").value_or(""), ""});
  int status = kExitOk;
  if (!applyRenderOptions(parsed, engine, status, reason))
    return cliError(ctx, kVerb, reason, status);
  editOutputFileType(engine.doc, type);

  BatchResult result = generateBatchTo(engine, list, *base);
  if (result.cancelled)
    return cliError(ctx, kVerb, firstName + " exists; nothing written (--yes overwrites)",
                    kExitFailure);
  for (const std::string& written : result.written) ctx.out << written << "\n";
  if (!result.failures.empty()) {
    for (const std::string& failure : result.failures) cliError(ctx, kVerb, failure, kExitFailure);
    return cliError(ctx, kVerb,
                    std::to_string(result.failedNames.size()) +
                        " file(s) not written: " + joined(result.failedNames),
                    kExitFailure);
  }
  return kExitOk;
}

}  // namespace vornel
