#include "cli/cli.h"

#include <ostream>

#include "cli/cli_host.h"
#include "cli/verbs.h"
#include "platform/memory.h"

namespace vornel {

namespace {

struct Verb {
  const char* name;
  int (*run)(const std::vector<std::string>&, CliContext&);
  const char* summary;
};

const Verb kVerbs[] = {
    {"info", verbInfo, "print a picture's size and depth"},
    {"convert", verbConvert, "read a picture and write it in the format its new name implies"},
    {"style", verbStyle, "print the background line and effects of a style file"},
    {"project", verbProject, "print the layers, background and factors of a project file"},
    {"render", verbRender, "render the job and save it as the Save page does"},
    {"batch", verbBatch, "render every message of a list into numbered images"},
    {"size", verbSize, "print the size in bytes of the file the job would make"},
    {"styles", verbStyles, "list the program folder's styles and their effects"},
    {"examples", verbExamples, "list the program folder's examples (projects)"},
    {"sheet", verbSheet, "render every style of the program folder on one contact sheet"},
};

void printUsage(std::ostream& os) {
  os << "usage: vornel VERB [OPTIONS] [ARGS]\n\nverbs:\n";
  for (const Verb& v : kVerbs) {
    std::string name = v.name;
    name.resize(12, ' ');
    os << "  " << name << v.summary << "\n";
  }
  os << "\n'vornel help VERB' (or 'vornel VERB --help') describes a verb; 'vornel --version' "
        "prints the version.\n";
}

}  // namespace

int cliError(CliContext& ctx, const std::string& verb, const std::string& message, int status) {
  ctx.err << "vornel " << verb << ": " << message << "\n";
  return status;
}

int runCli(const std::vector<std::string>& args, CliContext& ctx) {
  if (args.empty()) {
    printUsage(ctx.err);
    return kExitUsage;
  }
  const std::string& verb = args[0];
  if (verb == "--version" || verb == "-V") {
    ctx.out << "vornel " << kVornelVersion << "\n";
    return kExitOk;
  }
  if (verb == "help" && args.size() > 1) return runCli({args[1], "--help"}, ctx);
  if (verb == "--help" || verb == "-h" || verb == "help") {
    printUsage(ctx.out);
    return kExitOk;
  }
  for (const Verb& v : kVerbs) {
    if (verb == v.name) {
      std::vector<std::string> rest(args.begin() + 1, args.end());
      return runGuarded(ctx.host, [&] { return v.run(rest, ctx); });
    }
  }
  ctx.err << "vornel: unknown verb '" << verb << "'\n";
  printUsage(ctx.err);
  return kExitUsage;
}

void cliWarning(CliContext& ctx, const std::string& verb, const std::string& message) {
  ctx.err << "vornel " << verb << ": warning: " << message << "\n";
}

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           std::istream* in, bool outIsTerminal) {
  CliHost host(err);
  CliContext ctx{out, err, host, in, outIsTerminal};
  return runCli(args, ctx);
}

}  // namespace vornel
