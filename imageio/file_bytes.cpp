#include "imageio/file_bytes.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>

namespace vornel {

namespace {

void setReason(std::string* reason, const std::string& text) {
  if (reason) *reason = text;
}

std::string errnoText() {
  return std::strerror(errno);
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// ---------------------------------------------------------------------------
// Reading

// Opens outside data for reading. O_NONBLOCK keeps the open of a FIFO without a writer
// from waiting forever; anything but a regular file is then refused before a read could
// wait on it. Returns the descriptor (blocking again) or -1 with the reason.
int openRegularFile(const std::string& path, struct stat& st, std::string* reason) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    setReason(reason, "cannot open: " + errnoText());
    return -1;
  }
  if (::fstat(fd, &st) != 0) {
    setReason(reason, "cannot open: " + errnoText());
    ::close(fd);
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    setReason(reason, "not a regular file");
    ::close(fd);
    return -1;
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

// Reads count bytes or up to the end of the file; false on a read error.
bool readUpTo(int fd, std::vector<std::uint8_t>& data, std::size_t count) {
  std::size_t got = 0;
  while (got < count) {
    ssize_t n = ::read(fd, data.data() + got, count - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  data.resize(got);
  return true;
}

bool readOpenFile(int fd, std::size_t count, std::vector<std::uint8_t>& out, std::string* reason) {
  std::vector<std::uint8_t> data;
  try {
    data.resize(count);
  } catch (const std::bad_alloc&) {
    ::close(fd);
    setReason(reason, "not enough memory to read the file");
    return false;
  }
  bool ok = readUpTo(fd, data, count);
  ::close(fd);
  if (!ok) {
    setReason(reason, "read error: " + errnoText());
    return false;
  }
  out = std::move(data);
  return true;
}

// ---------------------------------------------------------------------------
// Removing the temporary file when the program is interrupted
//
// A signal handler may touch nothing but what it was given beforehand: no allocation, no
// locks, no strings. So the name of the temporary file of the write in progress lives in
// this fixed buffer, and the dispositions to go back to beside it; they are the only
// state outside a call, and only a write in progress uses them. Every write of the
// program is made from its one thread, so one buffer serves.

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kCleanupSignalCount = 3;
char gTemporaryPath[PATH_MAX];
std::atomic<bool> gTemporaryLive{false};
struct sigaction gPreviousAction[kCleanupSignalCount];
bool gHandlerInstalled[kCleanupSignalCount];
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads the flag");

void removeTemporaryAndReraise(int signal) {
  // A handler of the program's own, put back below, may return to the interrupted code.
  const int savedErrno = errno;
  if (gTemporaryLive.load()) ::unlink(gTemporaryPath);
  // The signal is blocked while this runs; raised again under the disposition that was
  // there before the write, it takes its usual effect once the handler returns.
  for (int i = 0; i < kCleanupSignalCount; ++i)
    if (kCleanupSignals[i] == signal) ::sigaction(signal, &gPreviousAction[i], nullptr);
  ::raise(signal);
  errno = savedErrno;
}

sigset_t cleanupSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int s : kCleanupSignals) sigaddset(&set, s);
  return set;
}

// Installs the handler for the length of one write. A signal the program ignores (a
// program started under nohup ignores SIGHUP) stays ignored.
class TemporaryFileGuard {
 public:
  TemporaryFileGuard() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = removeTemporaryAndReraise;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kCleanupSignalCount; ++i) {
      gHandlerInstalled[i] = false;
      if (::sigaction(kCleanupSignals[i], nullptr, &gPreviousAction[i]) != 0) continue;
      if (gPreviousAction[i].sa_handler == SIG_IGN) continue;
      gHandlerInstalled[i] = ::sigaction(kCleanupSignals[i], &action, nullptr) == 0;
    }
  }
  ~TemporaryFileGuard() {
    gTemporaryLive.store(false);
    for (int i = 0; i < kCleanupSignalCount; ++i)
      if (gHandlerInstalled[i]) ::sigaction(kCleanupSignals[i], &gPreviousAction[i], nullptr);
  }
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

  // Creates the temporary file from the template (ending in XXXXXX). The signals wait
  // while it is created and its name recorded, so there is no moment when it exists
  // without the handler knowing it.
  int create(std::string& name) {
    if (name.size() >= sizeof gTemporaryPath) {
      errno = ENAMETOOLONG;
      return -1;
    }
    sigset_t set = cleanupSignalSet(), old;
    ::pthread_sigmask(SIG_BLOCK, &set, &old);
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    int saved = errno;
    if (fd >= 0) {
      std::memcpy(gTemporaryPath, name.c_str(), name.size() + 1);
      gTemporaryLive.store(true);
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = saved;
    return fd;
  }
  // The temporary file is gone (renamed or removed).
  void released() { gTemporaryLive.store(false); }
};

// ---------------------------------------------------------------------------
// Writing

std::string folderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseNameOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The name a write to path lands on: each symbolic link replaced by what it names (a
// relative link read from its own folder), until a name that is no link, or does not
// exist yet, is reached.
bool followLinks(const std::string& path, std::string& target, std::string* reason) {
  // The kernel's own limit on links followed in one lookup.
  constexpr int kMaxLinks = 40;
  std::string current = path;
  for (int hops = 0; hops <= kMaxLinks; ++hops) {
    struct stat st;
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      target = current;
      return true;
    }
    char buffer[PATH_MAX];
    ssize_t n = ::readlink(current.c_str(), buffer, sizeof buffer);
    if (n < 0 || static_cast<std::size_t>(n) >= sizeof buffer) {
      setReason(reason, "cannot follow the symbolic link: " +
                            std::string(n < 0 ? errnoText() : std::strerror(ENAMETOOLONG)));
      return false;
    }
    std::string link(buffer, static_cast<std::size_t>(n));
    current = !link.empty() && link[0] == '/' ? link : folderOf(current) + link;
  }
  setReason(reason, "cannot follow the symbolic link: " + std::string(std::strerror(ELOOP)));
  return false;
}

// Eight hex digits of the target's own name (FNV-1a), so the temporary files of one
// target can be told from those of its neighbours.
std::string nameTag(const std::string& name) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : name) h = (h ^ c) * 16777619u;
  char tag[9];
  std::snprintf(tag, sizeof tag, "%08x", h);
  return tag;
}

// A temporary file younger than this may belong to a save in progress in another
// process; an older one was left by a save that was killed.
constexpr time_t kStaleTemporarySeconds = 60;

// Removes temporary files of ours for this target (same folder, same tag, our user)
// that an earlier, killed save left behind.
void removeStaleTemporaries(const std::string& folder, const std::string& prefix) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  const time_t now = ::time(nullptr);
  const std::size_t nameLength = prefix.size() + 6;  // the six characters mkstemp fills in
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strlen(name) != nameLength || std::strncmp(name, prefix.c_str(), prefix.size()) != 0)
      continue;
    struct stat st;
    if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        now - st.st_mtime > kStaleTemporarySeconds)
      ::unlinkat(::dirfd(dir), name, 0);
  }
  ::closedir(dir);
}

// Gives the new file the permissions and owner of the one it replaces, or those of an
// ordinary new file. The owner first: changing it may clear set-id bits.
void copyModeAndOwner(int fd, const struct stat* old) {
  if (old) {
    if (::fchown(fd, old->st_uid, old->st_gid) != 0) {
      // Only a privileged process may give a file away; the file is then the writer's.
    }
    ::fchmod(fd, old->st_mode & 07777);
    return;
  }
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

// Moves the finished temporary file onto the target; with noReplace only when the
// target does not exist.
bool moveIntoPlace(const std::string& temp, const std::string& target, bool noReplace) {
  if (!noReplace) return ::rename(temp.c_str(), target.c_str()) == 0;
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: a hard link cannot replace either.
  if (::link(temp.c_str(), target.c_str()) != 0) return false;
  ::unlink(temp.c_str());
  return true;
}

bool writeThroughTemporary(const std::string& path, const std::uint8_t* data, std::size_t size,
                           bool noReplace, std::string* reason) {
  std::string target;
  if (!followLinks(path, target, reason)) return false;
  struct stat old;
  const bool exists = ::lstat(target.c_str(), &old) == 0;
  if (exists && noReplace) {
    setReason(reason, "file exists");
    return false;
  }
  if (exists && !S_ISREG(old.st_mode)) {
    setReason(reason, "not a regular file");
    return false;
  }
  // The rename needs only a writable folder; the file itself must be writable too, as
  // for a write in place (for the effective user, as the kernel would judge it).
  if (exists && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
    setReason(reason, "cannot write file: " + errnoText());
    return false;
  }

  const std::string folder = folderOf(target);
  const std::string prefix = kTemporaryFilePrefix + nameTag(baseNameOf(target)) + "-";
  removeStaleTemporaries(folder, prefix);

  TemporaryFileGuard guard;
  std::string temp = folder + prefix + "XXXXXX";
  int fd = guard.create(temp);
  if (fd < 0) {
    setReason(reason, "cannot create file: " + errnoText());
    return false;
  }
  copyModeAndOwner(fd, exists ? &old : nullptr);
  bool ok = writeAll(fd, data, size);
  std::string why = ok ? "" : "write error: " + errnoText();
  if (ok && ::fsync(fd) != 0 && errno != EINVAL) {
    ok = false;
    why = "write error: " + errnoText();
  }
  if (::close(fd) != 0 && ok) {
    ok = false;
    why = "write error: " + errnoText();
  }
  if (ok && !moveIntoPlace(temp, target, noReplace)) {
    ok = false;
    why = errno == EEXIST ? "file exists" : "cannot replace file: " + errnoText();
  }
  if (!ok) {
    ::unlink(temp.c_str());
    setReason(reason, why);
  }
  guard.released();
  return ok;
}

}  // namespace

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::string* reason,
                   std::size_t maxBytes) {
  struct stat st;
  int fd = openRegularFile(path, st, reason);
  if (fd < 0) return false;
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    setReason(reason, "file too large (over " + std::to_string(maxBytes) + " bytes)");
    return false;
  }
  const std::size_t size = static_cast<std::size_t>(st.st_size);
  std::vector<std::uint8_t> data;
  if (!readOpenFile(fd, size, data, reason)) return false;
  if (data.size() != size) {
    setReason(reason, "read error: the file became shorter while it was read");
    return false;
  }
  out = std::move(data);
  return true;
}

bool readFileHead(const std::string& path, std::size_t count, std::vector<std::uint8_t>& out,
                  std::string* reason) {
  struct stat st;
  int fd = openRegularFile(path, st, reason);
  if (fd < 0) return false;
  return readOpenFile(fd, count, out, reason);
}

bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                         std::string* reason) {
  return writeThroughTemporary(path, data, size, false, reason);
}

bool writeNewFileAtomically(const std::string& path, const std::vector<std::uint8_t>& bytes,
                            std::string* reason) {
  return writeThroughTemporary(path, bytes.data(), bytes.size(), true, reason);
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::uint64_t fileLength(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return 0;
  return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace vornel
