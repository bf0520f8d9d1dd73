// The vornel command: verbs that parse their arguments into calls on the engine and
// print results. runCli is the whole program but for main(), so tests call it directly.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "platform/host.h"

namespace vornel {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

inline constexpr const char* kVornelVersion = "1.0";

struct CliContext {
  std::ostream& out;
  std::ostream& err;
  Host& host;
  // Where "--message -" reads from; none in-process unless a test gives one.
  std::istream* in = nullptr;
  // Whether out is a terminal: a batch then shows a progress line instead of the names.
  bool outIsTerminal = false;
};

// args excludes the program name. Returns the exit status.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           std::istream* in = nullptr, bool outIsTerminal = false);
int runCli(const std::vector<std::string>& args, CliContext& ctx);

// Prints "vornel VERB: message" on the error stream and returns status.
int cliError(CliContext& ctx, const std::string& verb, const std::string& message, int status);
// Prints "vornel VERB: warning: message" on the error stream.
void cliWarning(CliContext& ctx, const std::string& verb, const std::string& message);

}  // namespace vornel
