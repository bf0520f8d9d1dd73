#include "platform/profile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <vector>

#include "imageio/file_bytes.h"
#include "platform/text_lines.h"

namespace vornel {

namespace {

std::string trim(const std::string& s) {
  std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  std::size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

bool isSectionLine(const std::string& line, std::string* name) {
  std::string t = trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  *name = trim(t.substr(1, t.size() - 2));
  return true;
}

bool parseInt(const std::string& text, int* out) {
  std::string t = trim(text);
  if (t.empty()) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(t.c_str(), &end, 10);
  if (errno != 0 || *end != '\0' || v < INT_MIN || v > INT_MAX) return false;
  *out = static_cast<int>(v);
  return true;
}

std::vector<std::string> readLines(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (!readWholeFile(path, bytes, nullptr, 1 << 20)) return {};
  return splitTextLines(std::string(bytes.begin(), bytes.end()));
}

}  // namespace

std::string defaultProfilePath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    base = ".";
  }
  return base + "/hellovornel/hellovornel.ini";
}

std::map<std::string, int> readProfileSection(const std::string& path, const std::string& section) {
  std::map<std::string, int> values;
  std::string current;
  for (const std::string& line : readLines(path)) {
    std::string name;
    if (isSectionLine(line, &name)) {
      current = name;
      continue;
    }
    if (current != section) continue;
    std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    int v;
    if (parseInt(line.substr(eq + 1), &v)) values[trim(line.substr(0, eq))] = v;
  }
  return values;
}

bool writeProfileSection(const std::string& path, const std::string& section,
                         const std::map<std::string, int>& values) {
  std::vector<std::string> lines = readLines(path);
  std::map<std::string, int> pending = values;
  std::vector<std::string> out;
  std::string current;
  bool seen = false;
  auto flushPending = [&]() {
    for (const auto& [k, v] : pending) out.push_back(k + "=" + std::to_string(v));
    pending.clear();
  };
  for (const std::string& line : lines) {
    std::string name;
    if (isSectionLine(line, &name)) {
      if (current == section) flushPending();
      current = name;
      if (name == section) seen = true;
      out.push_back(line);
      continue;
    }
    if (current == section) {
      std::size_t eq = line.find('=');
      if (eq != std::string::npos) {
        std::string key = trim(line.substr(0, eq));
        auto it = values.find(key);
        if (it != values.end()) {
          if (pending.count(key)) out.push_back(key + "=" + std::to_string(it->second));
          pending.erase(key);
          continue;
        }
      }
    }
    out.push_back(line);
  }
  if (current == section) flushPending();
  if (!seen) {
    out.push_back("[" + section + "]");
    flushPending();
  }
  std::ostringstream text;
  for (const std::string& line : out) text << line << "\r\n";
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  return writeFileAtomically(path, text.str(), nullptr);
}

}  // namespace vornel
