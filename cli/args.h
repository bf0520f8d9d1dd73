// A small getopt-like parser for one verb: long options (--name VALUE, --name=VALUE),
// short options (-o VALUE), flags, "--" ending the options, and positionals.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vornel {

struct OptionSpec {
  std::string longName;  // without the dashes
  char shortName = 0;    // 0 when none
  bool takesValue = false;
  std::string help;  // "VALUE  description" shown by --help
  // An option of several whole numbers (--box W H [CW CH]) takes the numbers that follow
  // it, at least minValues and at most maxValues, kept joined by single blanks.
  int minValues = 1, maxValues = 1;
};

struct ParsedArgs {
  // Last value of each option given; flags hold "".
  std::map<std::string, std::string> values;
  // Every (option, value) in command-line order, for options that may repeat.
  std::vector<std::pair<std::string, std::string>> ordered;
  std::vector<std::string> positionals;

  bool has(const std::string& name) const { return values.count(name) != 0; }
  std::optional<std::string> get(const std::string& name) const {
    auto it = values.find(name);
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
};

// Parses args (the verb's own arguments). On an error returns false with a message.
bool parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
               ParsedArgs& out, std::string& error);

// The option list as --help prints it.
std::string describeOptions(const std::vector<OptionSpec>& specs);

// Parses a whole decimal int; false when it is not one.
bool parseIntArg(const std::string& text, int& out);

}  // namespace vornel
