#include "platform/font_cache.h"

#include <fontconfig/fontconfig.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "imageio/byte_reader.h"

namespace vornel {

namespace {

// "HVFC", then the layout's version: a file of another layout is simply not believed.
constexpr std::uint8_t kMagic[4] = {'H', 'V', 'F', 'C'};
constexpr std::uint32_t kLayoutVersion = 1;
constexpr std::size_t kChecksumBytes = 8;

// Far above a real configuration (tens of files and folders, a few faces, the
// characters of the messages typed), low enough that a damaged count costs nothing.
constexpr std::uint32_t kMaxDependencies = 1 << 16;
constexpr std::uint32_t kMaxFonts = 1 << 12;
constexpr std::uint32_t kMaxChars = 1 << 16;

// FNV-1a: a file cut short or changed by anything but this program is not believed,
// even where its fields would still read.
std::uint64_t checksum(const std::uint8_t* p, std::size_t n) {
  std::uint64_t h = 14695981039346656037ull;
  for (std::size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
  return h;
}

class Writer {
 public:
  void u8(std::uint8_t v) { out.push_back(v); }
  void u32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void u64(std::uint64_t v) {
    u32(static_cast<std::uint32_t>(v));
    u32(static_cast<std::uint32_t>(v >> 32));
  }
  void text(const std::string& s) {
    u32(static_cast<std::uint32_t>(s.size()));
    out.insert(out.end(), s.begin(), s.end());
  }
  void stamp(const FileStamp& s) {
    u8(s.present ? 1 : 0);
    u64(static_cast<std::uint64_t>(s.mtimeNs));
    u64(static_cast<std::uint64_t>(s.ctimeNs));
    u64(s.size);
    u64(s.inode);
    u64(s.device);
  }
  void face(const FaceFileRef& f) {
    text(f.file);
    u32(static_cast<std::uint32_t>(f.index));
  }
  std::vector<std::uint8_t> out;
};

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : in_(data, size) {}
  bool ok() const { return ok_ && !in_.truncated(); }
  bool atEnd() const { return in_.atEnd(); }
  std::uint8_t u8() { return in_.u8(); }
  std::uint32_t u32() { return in_.u32le(); }
  std::uint64_t u64() {
    std::uint64_t lo = in_.u32le();
    return lo | (std::uint64_t{in_.u32le()} << 32);
  }
  bool flag() {
    std::uint8_t v = u8();
    if (v > 1) ok_ = false;
    return v == 1;
  }
  std::uint32_t count(std::uint32_t limit) {
    std::uint32_t n = u32();
    if (n > limit) ok_ = false;
    return ok() ? n : 0;
  }
  std::string text() {
    std::uint32_t n = u32();
    if (n > kMaxFontCacheString || n > in_.remaining()) {
      ok_ = false;
      return {};
    }
    std::string s(n, '\0');
    in_.bytes(s.data(), n);
    return s;
  }
  FileStamp stamp() {
    FileStamp s;
    s.present = flag();
    s.mtimeNs = static_cast<std::int64_t>(u64());
    s.ctimeNs = static_cast<std::int64_t>(u64());
    s.size = u64();
    s.inode = u64();
    s.device = u64();
    return s;
  }
  FaceFileRef face() {
    FaceFileRef f;
    f.file = text();
    std::uint32_t index = u32();
    // fontconfig's face indices are non-negative ints (named instances in the high bits).
    if (index > 0x7FFFFFFFu) ok_ = false;
    f.index = static_cast<int>(index & 0x7FFFFFFFu);
    return f;
  }

 private:
  ByteReader in_;
  bool ok_ = true;
};

std::string envOr(const char* name, const std::string& otherwise) {
  const char* v = std::getenv(name);
  return v && *v ? std::string(v) : otherwise;
}

std::string programName() {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::string("vornel") : exe.filename().string();
}

// The configuration places of fontconfig's usual user include lines; they are read when
// they exist, so one that appears must be noticed.
std::vector<std::string> userConfigPlaces() {
  std::vector<std::string> places;
  const std::string home = envOr("HOME", "");
  const std::string config = envOr("XDG_CONFIG_HOME", home.empty() ? "" : home + "/.config");
  if (!config.empty())
    for (const char* tail : {"/fontconfig", "/fontconfig/fonts.conf", "/fontconfig/conf.d"})
      places.push_back(config + tail);
  if (!home.empty()) {
    places.push_back(home + "/.fonts.conf");
    places.push_back(home + "/.fonts.conf.d");
  }
  return places;
}

}  // namespace

FileStamp stampOf(const std::string& path) {
  FileStamp s;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return s;
  s.present = true;
  s.mtimeNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  s.ctimeNs = std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
  s.size = static_cast<std::uint64_t>(st.st_size);
  s.inode = static_cast<std::uint64_t>(st.st_ino);
  s.device = static_cast<std::uint64_t>(st.st_dev);
  return s;
}

std::vector<std::uint8_t> serializeFontCache(const FontCacheData& data) {
  Writer w;
  w.out.assign(kMagic, kMagic + 4);
  w.u32(kLayoutVersion);
  w.text(data.context);
  w.u32(static_cast<std::uint32_t>(data.dependencies.size()));
  for (const CachedDependency& d : data.dependencies) {
    w.text(d.path);
    w.stamp(d.stamp);
  }
  w.u32(static_cast<std::uint32_t>(data.fonts.size()));
  for (const CachedFont& f : data.fonts) {
    w.text(f.name);
    w.u8(static_cast<std::uint8_t>((f.bold ? 1 : 0) | (f.italic ? 2 : 0)));
    w.face(f.face);
    w.stamp(f.faceStamp);
    w.u8(f.fallback ? 1 : 0);
    w.u32(static_cast<std::uint32_t>(f.chars.size()));
    for (const auto& [cp, face] : f.chars) {
      w.u32(cp);
      w.face(face);
    }
  }
  w.u64(checksum(w.out.data(), w.out.size()));
  return std::move(w.out);
}

bool parseFontCache(const std::uint8_t* bytes, std::size_t size, FontCacheData& out) {
  if (size < sizeof kMagic + 4 + kChecksumBytes || size > kMaxFontCacheBytes) return false;
  const std::size_t body = size - kChecksumBytes;
  Reader tail(bytes + body, kChecksumBytes);
  if (tail.u64() != checksum(bytes, body)) return false;
  if (!std::equal(kMagic, kMagic + 4, bytes)) return false;
  Reader in(bytes + 4, body - 4);
  if (in.u32() != kLayoutVersion) return false;
  FontCacheData data;
  data.context = in.text();
  for (std::uint32_t i = 0, n = in.count(kMaxDependencies); i < n && in.ok(); ++i) {
    CachedDependency d;
    d.path = in.text();
    d.stamp = in.stamp();
    data.dependencies.push_back(std::move(d));
  }
  for (std::uint32_t i = 0, n = in.count(kMaxFonts); i < n && in.ok(); ++i) {
    CachedFont f;
    f.name = in.text();
    std::uint8_t style = in.u8();
    if (style > 3) return false;
    f.bold = (style & 1) != 0;
    f.italic = (style & 2) != 0;
    f.face = in.face();
    f.faceStamp = in.stamp();
    f.fallback = in.flag();
    for (std::uint32_t c = 0, chars = in.count(kMaxChars); c < chars && in.ok(); ++c) {
      char32_t cp = in.u32();
      // Ascending, so that a character is found by bisection.
      if (cp > 0x10FFFF || (!f.chars.empty() && cp <= f.chars.back().first)) return false;
      FaceFileRef face = in.face();
      f.chars.emplace_back(cp, std::move(face));
    }
    data.fonts.push_back(std::move(f));
  }
  // Every byte of the body read, none missing.
  if (!in.ok() || !in.atEnd()) return false;
  out = std::move(data);
  return true;
}

std::string defaultFontCachePath() {
  std::string base = envOr("XDG_CACHE_HOME", "");
  if (base.empty()) {
    const std::string home = envOr("HOME", "");
    if (home.empty()) return "";
    base = home + "/.cache";
  }
  return base + "/hellovornel/fonts-" + programName() + ".cache";
}

std::string fontLookupContext() {
  std::string context = "fontconfig ";
  context += std::to_string(FcGetVersion());
  context += "\nprogram ";
  context += programName();
  context += '\n';
  // The variables fontconfig reads for its configuration, its user folders and the
  // default languages it adds to every request.
  for (const char* name :
       {"FONTCONFIG_FILE", "FONTCONFIG_PATH", "FONTCONFIG_SYSROOT", "FC_LANG", "LC_ALL", "LC_CTYPE",
        "LANG", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
    const char* v = std::getenv(name);
    context += name;
    if (v) {
      context += '=';
      context += v;
    } else {
      context += " unset";
    }
    context += '\n';
  }
  return context;
}

std::vector<CachedDependency> stampDependencies(const std::vector<std::string>& configPaths,
                                                const std::vector<std::string>& fontFolders) {
  // A font folder's subfolders are on fontconfig's list themselves; the folder above a
  // configured one is not watched (it is ~/.local/share or /usr/share, which change for
  // reasons of their own).
  std::vector<std::string> all = configPaths;
  all.insert(all.end(), fontFolders.begin(), fontFolders.end());
  for (const std::string& p : configPaths) {
    std::string parent = std::filesystem::path(p).parent_path().string();
    if (!parent.empty()) all.push_back(parent);
  }
  for (std::string& p : userConfigPlaces()) all.push_back(std::move(p));
  std::vector<CachedDependency> deps;
  std::set<std::string> seen;
  for (const std::string& p : all)
    if (seen.insert(p).second) deps.push_back({p, stampOf(p)});
  return deps;
}

bool dependenciesHold(const std::vector<CachedDependency>& dependencies) {
  for (const CachedDependency& d : dependencies)
    if (stampOf(d.path) != d.stamp) return false;
  return true;
}

}  // namespace vornel
