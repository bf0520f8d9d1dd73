#include "platform/app_dir.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

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

bool seedDirectory(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::create_directories(to, ec);
  if (!fs::is_directory(to, ec)) return false;
  if (!fs::is_directory(from, ec)) return true;
  for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    fs::path rel = fs::relative(it->path(), from, ec);
    if (ec) break;
    fs::path target = fs::path(to) / rel;
    if (it->is_directory(ec)) {
      fs::create_directories(target, ec);
      ec.clear();
    } else if (it->is_regular_file(ec) && !fs::exists(target, ec)) {
      fs::copy_file(it->path(), target, fs::copy_options::skip_existing, ec);
      ec.clear();
    }
  }
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
