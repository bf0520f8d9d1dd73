#include "ui/logic/file_filters.h"

#include <cctype>
#include <sstream>

namespace vornel {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

std::string withCase(const std::string& pattern, int (*change)(int)) {
  std::string s = pattern;
  for (char& c : s) c = static_cast<char>(change(static_cast<unsigned char>(c)));
  return s;
}

// "*.*" means every file; other patterns are listed lower case first, then upper case.
std::string patternsOf(const std::string& patterns) {
  std::string out;
  for (const std::string& pattern : split(patterns, ';')) {
    std::vector<std::string> forms;
    if (pattern == "*.*") {
      forms = {"*"};
    } else {
      forms = {withCase(pattern, std::tolower)};
      if (withCase(pattern, std::toupper) != forms[0])
        forms.push_back(withCase(pattern, std::toupper));
    }
    for (const std::string& form : forms) out += (out.empty() ? "" : " ") + form;
  }
  return out;
}

}  // namespace

std::vector<std::string> dialogNameFilters(const std::string& filter) {
  std::vector<std::string> parts = split(filter, '|');
  std::vector<std::string> filters;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty()) break;
    filters.push_back(parts[i] + " (" + patternsOf(parts[i + 1]) + ")");
  }
  return filters;
}

}  // namespace vornel
