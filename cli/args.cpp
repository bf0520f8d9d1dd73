#include "cli/args.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sstream>

namespace vornel {

namespace {

const OptionSpec* findLong(const std::vector<OptionSpec>& specs, const std::string& name) {
  for (const auto& s : specs)
    if (s.longName == name) return &s;
  return nullptr;
}

const OptionSpec* findShort(const std::vector<OptionSpec>& specs, char c) {
  for (const auto& s : specs)
    if (s.shortName == c) return &s;
  return nullptr;
}

void store(ParsedArgs& out, const OptionSpec& option, const std::string& value) {
  out.values[option.longName] = value;
  out.ordered.emplace_back(option.longName, value);
}

}  // namespace

bool parseArgs(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
               ParsedArgs& out, std::string& error) {
  bool optionsDone = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsDone || a.size() < 2 || a[0] != '-') {
      out.positionals.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsDone = true;
      continue;
    }
    const OptionSpec* option = nullptr;
    std::optional<std::string> inlineValue;
    std::string shown = a;
    if (a[1] == '-') {
      std::string name = a.substr(2);
      std::size_t eq = name.find('=');
      if (eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name = name.substr(0, eq);
        shown = "--" + name;
      }
      option = findLong(specs, name);
    } else {
      option = findShort(specs, a[1]);
      shown = a.substr(0, 2);
      if (a.size() > 2) inlineValue = a.substr(2);
    }
    if (!option) {
      error = "unknown option " + shown;
      return false;
    }
    if (!option->takesValue) {
      if (inlineValue) {
        error = "option " + shown + " takes no value";
        return false;
      }
      store(out, *option, "");
      continue;
    }
    if (option->maxValues > 1 && !inlineValue) {
      std::string joined;
      int count = 0, ignored = 0;
      while (count < option->maxValues && i + 1 < args.size() &&
             parseIntArg(args[i + 1], ignored)) {
        joined += (count++ ? " " : "") + args[++i];
      }
      if (count < option->minValues) {
        error = "option " + shown + " takes " + option->help.substr(0, option->help.find("  ")) +
                ", whole numbers";
        return false;
      }
      store(out, *option, joined);
    } else if (inlineValue) {
      store(out, *option, *inlineValue);
    } else if (i + 1 < args.size()) {
      store(out, *option, args[++i]);
    } else {
      error = "option " + shown + " needs a value";
      return false;
    }
  }
  return true;
}

std::string describeOptions(const std::vector<OptionSpec>& specs) {
  std::ostringstream os;
  for (const auto& s : specs) {
    std::string left = "  ";
    left += s.shortName ? std::string("-") + s.shortName + ", " : "    ";
    left += "--" + s.longName;
    std::string help = s.help;
    if (s.takesValue) {
      std::size_t sp = help.find("  ");
      if (sp != std::string::npos) {
        left += " " + help.substr(0, sp);
        help = help.substr(sp + 2);
      }
    }
    if (left.size() < 32)
      left.resize(32, ' ');
    else
      left += "  ";
    os << left << help << "\n";
  }
  return os.str();
}

bool parseIntArg(const std::string& text, int& out) {
  if (text.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT_MIN || v > INT_MAX) return false;
  out = static_cast<int>(v);
  return true;
}

}  // namespace vornel
