// The program folder: where styles, examples, textures, star kernels, help and the
// size-estimate file are found. The program does not run from its own folder, so it is
// chosen as: the --app-dir option when given; else $HELLOVORNEL_HOME when set; else a
// per-user folder ($XDG_DATA_HOME, else ~/.local/share, folder hellovornel) that is
// filled with the bundled data (missing files are copied; the user's own files are
// never overwritten).
#pragma once

#include <string>

namespace vornel {

// The folder the build or installation put the bundled data in.
std::string bundledDataDirectory();

// Resolves the program folder as above, seeding the per-user folder when that is the
// one chosen. The result always ends with '/'. On failure to create the per-user folder
// the bundled folder itself is used.
std::string resolveAppDirectory(const std::string& appDirOption);

// The bundle's version, written into the bundle by the build (as writeBundleVersion
// makes it), so that a start need not list the bundle to learn it. Its name starts
// with '.', so it is none of the bundle's files.
inline constexpr const char* kBundleVersionName = ".bundle-version";
bool writeBundleVersion(const std::string& dir);

// Copies every file of `from` (recursively) that `to` lacks, each through a temporary
// file and a rename, then marks `to` with the bundle's version (its files' names and
// sizes: the one written into `from`, else computed); while the mark is that of `from`,
// nothing is copied again, nor is `from` listed. A seeding that was
// stopped is finished at the next call; a file already in `to` is never replaced, except,
// before any seeding completed, one holding only the first bytes of the bundled file (a
// copy cut short by an earlier version). Returns false when the destination could not
// be created.
bool seedDirectory(const std::string& from, const std::string& to);

}  // namespace vornel
