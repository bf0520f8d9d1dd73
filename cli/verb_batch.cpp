#include <filesystem>
#include <ostream>
#include <utility>

#include "cli/message_input.h"
#include "cli/named_files.h"
#include "cli/render_options.h"
#include "cli/verbs.h"
#include "core/batch_list.h"
#include "core/job_edits.h"
#include "core/output/batch_generate.h"
#include "core/output/save_output.h"
#include "render/engine.h"

namespace vornel {

namespace {

const char* const kVerb = "batch";

// The render options, without the message (each list entry is the message in turn).
const std::vector<OptionSpec>& batchSpecs() {
  static const std::vector<OptionSpec> specs = renderOptionSpecsWith(
      {"message", "message-file", "output"},
      {{"output", 'o', true, "BASE  the files' names: BASE0.ext, BASE1.ext, ..."},
       {"yes", 'y', false, "overwrite existing files"},
       {"quiet", 'q', false, "print nothing but errors (no progress line, no names)"}});
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

// The targets that are files already: a run that would replace one of them writes
// nothing unless --yes. A folder of that name is no file to lose; writing it fails.
std::vector<std::string> existingFiles(const std::vector<std::string>& names) {
  std::vector<std::string> existing;
  for (const std::string& name : names) {
    std::error_code ec;
    if (std::filesystem::is_regular_file(name, ec)) existing.push_back(name);
  }
  return existing;
}

std::string existingFilesMessage(const std::vector<std::string>& existing) {
  std::string more;
  if (existing.size() > 1) more = " (and " + std::to_string(existing.size() - 1) + " more)";
  return existing[0] + " exists" + more + "; nothing written (--yes overwrites)";
}

// "[3/8] nav2.png", written over itself on a terminal.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& out) : out_(out) {}
  void show(std::size_t index, std::size_t count, const std::string& name) {
    std::string line = "[" + std::to_string(index + 1) + "/" + std::to_string(count) + "] " + name;
    const std::size_t shown = line.size();
    if (line.size() < width_) line.resize(width_, ' ');
    width_ = shown;
    out_ << "\r" << line << std::flush;
  }
  void finish(const std::string& summary) {
    std::string line = summary;
    if (line.size() < width_) line.resize(width_, ' ');
    out_ << "\r" << line << "\n" << std::flush;
  }

 private:
  std::ostream& out_;
  std::size_t width_ = 0;
};

}  // namespace

int verbBatch(const std::vector<std::string>& args, CliContext& ctx) {
  const std::vector<OptionSpec>& specs = batchSpecs();
  ParsedArgs parsed;
  std::string error;
  if (!parseArgs(args, specs, parsed, error)) return cliError(ctx, kVerb, error, kExitUsage);
  if (parsed.has("help")) {
    ctx.out << "usage: vornel batch LIST [OPTIONS] -o BASE\n\nRenders every message of LIST (a "
               "batch list LIST.blt, or a text file of one message a line) with the job the "
               "options describe (as vornel render does) and saves "
               "them as BASE0.ext, BASE1.ext, ... (a three-letter extension of BASE is dropped, "
               "a JPEG BASE ending .jpeg or .jpe gives BASE0.jpeg, ...; the pressed images as "
               "BASE0_.ext, ...). Every name is checked before anything is written: when one "
               "of the files exists, nothing is written unless --yes is given. Prints each name "
               "written, or on a terminal a progress line and a summary.\n\n"
            << describeOptions(specs);
    return kExitOk;
  }
  if (parsed.positionals.size() != 1)
    return cliError(ctx, kVerb, "expects one list LIST (see --help)", kExitUsage);
  auto base = parsed.get("output");
  if (!base || base->empty() || *base == "-")
    return cliError(ctx, kVerb, "expects -o BASE (see --help)", kExitUsage);
  std::int32_t type = kOutputJpeg;
  if (!outputTypeOption(parsed, *base, type, error)) return cliError(ctx, kVerb, error, kExitUsage);

  const std::string& listPath = parsed.positionals[0];
  BatchList list;
  std::string reason;
  const bool batchListFile = endsWithNoCase(listPath, ".blt");
  if (batchListFile && !readBatchList(listPath, list, &reason))
    return cliError(ctx, kVerb, listPath + ": " + reason, kExitFailure);
  if (!batchListFile && !readMessageLines(listPath, list, reason))
    return cliError(ctx, kVerb, reason, kExitFailure);
  if (list.empty())
    return cliError(ctx, kVerb,
                    listPath + (batchListFile ? ": the list has no entries (each is followed by a "
                                                "<<br>> line); nothing to make"
                                              : ": no messages in it; nothing to make"),
                    kExitFailure);

  BatchHooks hooks;
  std::string stem = batchBaseName(*base);
  if (type == kOutputJpeg && !jpegNameExtension(*base).empty()) {
    hooks.extension = jpegNameExtension(*base);
    stem = base->substr(0, base->size() - hooks.extension.size());
  }
  const bool yes = parsed.has("yes");
  OverwriteHost host(
      ctx.host, yes,
      batchOverwriteQuestion(batchTargetNames(stem, 1, type, false, hooks.extension)[0]));
  Engine engine(host);
  if (!startJobEngine(parsed, engine, reason)) return cliError(ctx, kVerb, reason, kExitFailure);
  int status = kExitOk;
  std::vector<std::string> warnings;
  if (!applyRenderOptions(parsed, engine, status, reason, warnings, ctx.in))
    return cliError(ctx, kVerb, reason, status);
  editOutputFileType(engine.doc, type);
  for (const std::string& warning : outputTypeWarnings(parsed, type)) warnings.push_back(warning);

  const std::vector<std::string> targets =
      batchTargetNames(stem, list.size(), type, engine.doc.pressedImage, hooks.extension);
  const std::vector<std::string> existing = existingFiles(targets);
  if (!existing.empty() && !yes)
    return cliError(ctx, kVerb, existingFilesMessage(existing), kExitFailure);
  for (const std::string& warning : warnings) cliWarning(ctx, kVerb, warning);

  const bool quiet = parsed.has("quiet");
  const bool progress = ctx.outIsTerminal && !quiet;
  ProgressLine line(ctx.out);
  if (progress)
    hooks.beforeImage = [&](std::size_t i, std::size_t n, const std::string& name) {
      line.show(i, n, name);
    };
  BatchResult result = generateBatchTo(engine, list, hooks.extension.empty() ? *base : stem, hooks);
  if (result.cancelled)
    return cliError(ctx, kVerb, existingFilesMessage(existingFiles(targets)), kExitFailure);
  const std::vector<std::string>& w = result.written;
  if (progress)
    line.finish(w.empty()       ? std::string("no file written")
                : w.size() == 1 ? "1 file written: " + w[0]
                                : std::to_string(w.size()) + " files written: " + w.front() +
                                      " ... " + w.back());
  else if (!quiet)
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
