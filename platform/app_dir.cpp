#include "platform/app_dir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "imageio/file_bytes.h"

namespace fs = std::filesystem;

namespace vornel {

namespace {

std::string withSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir.push_back('/');
  return dir;
}

std::string executableDirectory() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? std::string() : exe.parent_path().string();
}

std::string perUserDataDirectory() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    return std::string(xdg) + "/hellovornel";
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::string(home) + "/.local/share/hellovornel";
  return "";
}

}  // namespace

std::string bundledDataDirectory() {
  // An installed program keeps its data in ../share/hellovornel beside bin/.
  std::string exeDir = executableDirectory();
  if (!exeDir.empty()) {
    fs::path installed = fs::path(exeDir) / ".." / "share" / "hellovornel";
    std::error_code ec;
    if (fs::is_directory(installed, ec)) return withSlash(fs::weakly_canonical(installed).string());
  }
#ifdef VORNEL_BUNDLED_DATA_DIR
  return withSlash(VORNEL_BUNDLED_DATA_DIR);
#else
  return withSlash(exeDir);
#endif
}

namespace {

// Written into the per-user folder once every bundled file is there; it holds the
// bundle's version, so a folder seeded from this very bundle is left alone at start-up
// (files the user deleted stay deleted) and a newer bundle brings its new files.
constexpr const char* kSeedMarkName = ".seeded";

struct BundledFile {
  fs::path relative;
  std::uintmax_t size;
};

// The bundle's regular files and folders, sorted, so the version does not depend on the
// order the folder is listed in. Names starting with '.' (temporary files of an atomic
// write, a mark) are none of the bundle's.
void listBundle(const fs::path& from, std::vector<BundledFile>& files,
                std::vector<fs::path>& folders) {
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->path().filename().string().rfind('.', 0) == 0) {
      if (it->is_directory(ec)) it.disable_recursion_pending();
      continue;
    }
    fs::path rel = it->path().lexically_relative(from);
    if (it->is_directory(ec))
      folders.push_back(rel);
    else if (it->is_regular_file(ec))
      files.push_back({rel, it->file_size(ec)});
  }
  std::sort(files.begin(), files.end(),
            [](const BundledFile& a, const BundledFile& b) { return a.relative < b.relative; });
}

// FNV-1a over every file's relative name and size: a bundle that gains, loses or
// changes the size of a file has a new version.
std::string bundleVersion(const std::vector<BundledFile>& files) {
  std::uint64_t h = 14695981039346656037ull;
  auto mix = [&h](const std::string& text) {
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    h = (h ^ 0xFF) * 1099511628211ull;  // a separator no name or number holds
  };
  for (const BundledFile& f : files) {
    mix(f.relative.generic_string());
    mix(std::to_string(f.size));
  }
  char text[32];
  std::snprintf(text, sizeof text, "bundle %016llx\n", static_cast<unsigned long long>(h));
  return text;
}

// Whether path holds fewer bytes than bundled and exactly the first ones of them: what
// an earlier version of this program left when it was stopped while copying in place.
bool isCutShortCopy(const std::string& path, const std::vector<std::uint8_t>& bundled) {
  std::vector<std::uint8_t> present;
  if (fileLength(path) >= bundled.size() || !readWholeFile(path, present, nullptr)) return false;
  return present.size() < bundled.size() &&
         std::equal(present.begin(), present.end(), bundled.begin());
}

// Copies one bundled file. Every copy goes through a temporary file renamed into place,
// so a file present under a bundled name is always complete: the user's own, or ours.
bool seedFile(const fs::path& source, const fs::path& target, bool firstSeeding) {
  struct stat st;
  const bool present = ::lstat(target.c_str(), &st) == 0;
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(source.string(), bytes, nullptr)) return false;
  std::string reason;
  if (!present)
    return writeNewFileAtomically(target.string(), bytes, &reason) || reason == "file exists";
  // Only until a seeding first completed: then a short file is the user's doing.
  if (firstSeeding && S_ISREG(st.st_mode) && isCutShortCopy(target.string(), bytes))
    return writeFileAtomically(target.string(), bytes, nullptr);
  return true;
}

// The version the build wrote into the bundle; empty when the file is missing or holds
// anything but "bundle ", sixteen hexadecimal digits and a line break.
std::string builtVersion(const fs::path& from) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile((from / kBundleVersionName).string(), bytes, nullptr, 256)) return "";
  std::string text(bytes.begin(), bytes.end());
  const bool wellFormed = text.size() == 24 && text.rfind("bundle ", 0) == 0 &&
                          text.find_first_not_of("0123456789abcdef", 7) == 23 && text[23] == '\n';
  return wellFormed ? text : "";
}

}  // namespace

bool writeBundleVersion(const std::string& dir) {
  std::vector<BundledFile> files;
  std::vector<fs::path> folders;
  listBundle(dir, files, folders);
  return writeFileAtomically((fs::path(dir) / kBundleVersionName).string(), bundleVersion(files),
                             nullptr);
}

bool seedDirectory(const std::string& from, const std::string& to) {
  const std::string markPath = (fs::path(to) / kSeedMarkName).string();
  std::vector<std::uint8_t> markBytes;
  const bool marked = readWholeFile(markPath, markBytes, nullptr, 256);
  const std::string mark(markBytes.begin(), markBytes.end());
  // The common start: the folder bears the version the build wrote into the bundle, and
  // nothing of the bundle is listed.
  const std::string built = builtVersion(from);
  if (marked && !built.empty() && mark == built) return true;

  std::error_code ec;
  fs::create_directories(to, ec);
  if (!fs::is_directory(to, ec)) return false;
  if (!fs::is_directory(from, ec)) return true;
  std::vector<BundledFile> files;
  std::vector<fs::path> folders;
  listBundle(from, files, folders);
  const std::string version = built.empty() ? bundleVersion(files) : built;
  if (marked && mark == version) return true;

  bool complete = true;
  for (const fs::path& folder : folders) fs::create_directories(fs::path(to) / folder, ec);
  for (const BundledFile& f : files) {
    fs::create_directories((fs::path(to) / f.relative).parent_path(), ec);
    if (!seedFile(fs::path(from) / f.relative, fs::path(to) / f.relative, !marked))
      complete = false;
  }
  // A seeding stopped before this line is taken up again at the next start.
  if (complete) writeFileAtomically(markPath, version, nullptr);
  return true;
}

std::string resolveAppDirectory(const std::string& appDirOption) {
  if (!appDirOption.empty()) return withSlash(appDirOption);
  if (const char* home = std::getenv("HELLOVORNEL_HOME"); home && *home) return withSlash(home);
  std::string user = perUserDataDirectory();
  std::string bundled = bundledDataDirectory();
  if (!user.empty() && seedDirectory(bundled, user)) return withSlash(user);
  return bundled;
}

}  // namespace vornel
