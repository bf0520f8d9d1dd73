// Whole-file reading and crash-safe writing. Every writer of the program builds its
// file in memory and hands it here: the bytes go to a temporary file beside the target,
// which replaces the target only once everything was written, so a failed save never
// destroys what was there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vornel {

// Reads the whole file. Fails (with a reason) when it cannot be opened or read, is not a
// regular file (a FIFO or a device is refused without waiting on it), or is larger than
// maxBytes.
bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::string* reason,
                   std::size_t maxBytes = std::size_t{1} << 31);
// Reads the first `count` bytes of a regular file, or all of a shorter one; what follows
// them is never read.
bool readFileHead(const std::string& path, std::size_t count, std::vector<std::uint8_t>& out,
                  std::string* reason);

// Writes bytes to path through a temporary file and a rename. A symbolic link is written
// through: the file it leads to is replaced and the link stays. An existing target that
// the user may not write, or that is not a regular file, is refused and left alone; a
// replaced file keeps its permissions and, where the process may set it, its owner.
bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                         std::string* reason);
inline bool writeFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                                std::string* reason) {
  return writeFileAtomically(path, bytes.data(), bytes.size(), reason);
}
inline bool writeFileAtomically(const std::string& path, const std::string& text,
                                std::string* reason) {
  return writeFileAtomically(path, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(),
                             reason);
}
// As writeFileAtomically, but only where nothing of that name exists yet: a file that
// appears meanwhile is kept and the call fails with "file exists".
bool writeNewFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                            std::string* reason);

// Writes made durable together, for a run of many files, where a sync per file would
// cost most of the run: put() checks the target as writeFileAtomically does and leaves
// the bytes in a temporary file beside it without waiting for the disk; finish() makes
// them all durable at once, renames each onto its target in the order they were put, and
// then syncs each folder once. Every target is still replaced whole or not at all: it is
// untouched until its rename, and an interrupt (SIGINT, SIGTERM, SIGHUP) or the
// destructor removes each temporary file still pending. At most kDeferredLimit files wait
// at a time; the put after that commits them first. One thread only, one at a time.
class DeferredWrites {
 public:
  static constexpr int kDeferredLimit = 64;
  struct Outcome {
    std::string path;    // as put
    std::string reason;  // empty when the file was written
  };
  DeferredWrites();
  ~DeferredWrites();
  DeferredWrites(const DeferredWrites&) = delete;
  DeferredWrites& operator=(const DeferredWrites&) = delete;

  // False with the reason, and nothing pending, when the target is refused or the
  // temporary file cannot be written.
  bool put(const std::string& path, const std::uint8_t* data, std::size_t size,
           std::string* reason);
  // Commits what is pending; the outcome of every file put since the last finish, in
  // the order put.
  std::vector<Outcome> finish();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The temporary files of an atomic write are named with this prefix, in the target's
// folder.
inline constexpr const char* kTemporaryFilePrefix = ".vtmp-";

bool fileExists(const std::string& path);
// Length of the file in bytes, or 0 when it cannot be opened.
std::uint64_t fileLength(const std::string& path);

}  // namespace vornel
