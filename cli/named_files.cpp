#include "cli/named_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "platform/app_dir.h"

namespace vornel {

namespace fs = std::filesystem;

bool endsWithNoCase(const std::string& text, const std::string& suffix) {
  if (text.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

namespace {

bool anythingAt(const std::string& path) {
  std::error_code ec;
  // symlink_status: a dangling link is still a name the reader can report on.
  return fs::symlink_status(path, ec).type() != fs::file_type::not_found && !ec;
}

}  // namespace

bool findNamedFile(const std::string& name, const std::string& ext, const std::string& appDir,
                   const std::string& what, std::string& path, std::string& reason) {
  std::vector<std::string> names = {name};
  if (!endsWithNoCase(name, ext)) names.push_back(name + ext);
  // A name with a folder part means that place alone; when nothing is there, the reader
  // says so in its own words.
  if (name.find('/') != std::string::npos) {
    path = names.size() > 1 && !anythingAt(name) && anythingAt(names[1]) ? names[1] : name;
    return true;
  }
  std::vector<std::string> candidates = names;
  if (!appDir.empty())
    for (const std::string& n : names) candidates.push_back(appDir + n);
  for (const std::string& candidate : candidates) {
    // A folder of the bare name (a "chrome" folder beside chrome.sty) is passed over.
    std::error_code ec;
    if (anythingAt(candidate) && !std::filesystem::is_directory(candidate, ec)) {
      path = candidate;
      return true;
    }
  }
  std::error_code ec;
  const std::string here = fs::current_path(ec).string();
  reason = what + " '" + name + "' not found: looked for " + names.back() +
           " in the current folder (" + here + ") and in the program folder (" + appDir + ")";
  return false;
}

bool findNamedFileIn(const std::string& name, const std::string& ext,
                     const std::string& appDirOption, const std::string& what, std::string& path,
                     std::string& reason) {
  if (findNamedFile(name, ext, "", what, path, reason)) return true;
  return findNamedFile(name, ext, resolveAppDirectory(appDirOption), what, path, reason);
}

std::vector<std::string> filesWithExtension(const std::string& folder, const std::string& ext) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string file = it->path().filename().string();
    std::error_code typeError;
    if (endsWithNoCase(file, ext) && it->is_regular_file(typeError)) names.push_back(file);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace vornel
