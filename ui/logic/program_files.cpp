#include "ui/logic/program_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace vornel {

namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::vector<std::string> listProgramFiles(const std::string& folder, const std::string& suffix) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code ec;
  const std::string wanted = lower(suffix);
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code kindError;
    if (!it->is_regular_file(kindError)) continue;
    std::string name = it->path().filename().string();
    const std::string key = lower(name);
    if (key.size() < wanted.size() ||
        key.compare(key.size() - wanted.size(), wanted.size(), wanted))
      continue;
    names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    const std::string la = lower(a), lb = lower(b);
    return la != lb ? la < lb : a < b;
  });
  return names;
}

}  // namespace vornel
