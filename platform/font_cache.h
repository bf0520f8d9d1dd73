// What fontconfig answered for each face request, kept in a small per-user file
// ($XDG_CACHE_HOME, else ~/.cache, folder hellovornel) so that a start of the program
// need not load fontconfig's configuration, which costs more than rendering a small
// button. The file holds, beside the answers, everything they depend on: fontconfig's
// version, the environment it reads, and the state (times, size, inode) of every
// configuration file and font folder it used. An answer is believed only while all of
// that is as recorded, checked with stat alone; on any doubt fontconfig is asked again
// and the file rewritten. The file is outside data: a damaged one is ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vornel {

// What stat says of a path; equal stamps mean the path was not changed.
struct FileStamp {
  bool present = false;
  std::int64_t mtimeNs = 0, ctimeNs = 0;
  std::uint64_t size = 0, inode = 0, device = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp stampOf(const std::string& path);

struct CachedDependency {
  std::string path;
  FileStamp stamp;
  bool operator==(const CachedDependency&) const = default;
};

// A face file and face index; an empty file in a character's answer is the request's
// own face (the character is there, or in no face at all).
struct FaceFileRef {
  std::string file;
  int index = 0;
  bool operator==(const FaceFileRef&) const = default;
};

// One request (face name and style) as fontconfig resolved it: the matched face (empty
// file: nothing matched), whether the name was unknown and the default face stands in,
// and the fallback face found so far for each character the matched face lacks.
struct CachedFont {
  std::string name;
  bool bold = false, italic = false;
  FaceFileRef face;
  FileStamp faceStamp;
  bool fallback = false;
  std::vector<std::pair<char32_t, FaceFileRef>> chars;
  bool operator==(const CachedFont&) const = default;
};

struct FontCacheData {
  std::string context;  // fontLookupContext() when the answers were found
  std::vector<CachedDependency> dependencies;
  std::vector<CachedFont> fonts;
  bool operator==(const FontCacheData&) const = default;
};

// Caps of the reader, far above what a real configuration needs.
inline constexpr std::size_t kMaxFontCacheBytes = std::size_t{4} << 20;
inline constexpr std::size_t kMaxFontCacheString = 4096;

std::vector<std::uint8_t> serializeFontCache(const FontCacheData& data);
// Reads a cache file's bytes; false (out left as it was) for anything but a complete,
// undamaged file of this version.
bool parseFontCache(const std::uint8_t* bytes, std::size_t size, FontCacheData& out);

// The file of this program's cache, named for the running executable (fontconfig's
// rules may tell programs apart by it); empty when there is no home to keep it in.
std::string defaultFontCachePath();
// What fontconfig's answers depend on besides files: its version, the program's name
// and the environment variables that choose its configuration and languages.
std::string fontLookupContext();
// The stamps of the paths fontconfig reported (its configuration files and folders, its
// font folders, which may not exist yet), of the folders holding the configuration
// files, and of the user's configuration places; each path once.
std::vector<CachedDependency> stampDependencies(const std::vector<std::string>& configPaths,
                                                const std::vector<std::string>& fontFolders);
bool dependenciesHold(const std::vector<CachedDependency>& dependencies);

}  // namespace vornel
