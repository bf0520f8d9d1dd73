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
#include <map>
#include <new>
#include <set>

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
// Removing the temporary files when the program is interrupted
//
// A signal handler may touch nothing but what it was given beforehand: no allocation, no
// locks, no strings. So the names of the temporary files not yet renamed live in this
// fixed table, one slot each, and the dispositions to go back to beside it; they are the
// only state outside a call. A plain write holds one slot for its length; a batch of
// deferred writes holds one per pending file, up to kDeferredLimit, and a plain write
// made meanwhile takes the slot left over. Every write of the program is made from its
// one thread, so the table needs no lock.

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kCleanupSignalCount = 3;
constexpr int kTemporarySlots = DeferredWrites::kDeferredLimit + 1;
char gTemporaryPath[kTemporarySlots][PATH_MAX];
std::atomic<bool> gTemporaryLive[kTemporarySlots];
struct sigaction gPreviousAction[kCleanupSignalCount];
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads the flags");

void removeTemporariesAndReraise(int signal) {
  // A handler of the program's own, put back below, may return to the interrupted code.
  const int savedErrno = errno;
  for (int i = 0; i < kTemporarySlots; ++i)
    if (gTemporaryLive[i].load()) ::unlink(gTemporaryPath[i]);
  // The signal is blocked while this runs; raised again under the disposition that was
  // there before the write, it takes its usual effect once the handler returns. A guard
  // nested in another put back the outer one's handler, which then runs in turn.
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

// Installs the handler for the guard's life. A signal the program ignores (a program
// started under nohup ignores SIGHUP) stays ignored. Guards nest: each keeps the
// dispositions it found and puts them back.
class TemporaryFileGuard {
 public:
  TemporaryFileGuard() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = removeTemporariesAndReraise;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kCleanupSignalCount; ++i) {
      installed_[i] = false;
      if (::sigaction(kCleanupSignals[i], nullptr, &previous_[i]) != 0) continue;
      if (previous_[i].sa_handler == SIG_IGN) continue;
      if (previous_[i].sa_handler == removeTemporariesAndReraise) continue;  // an outer guard's
      // Recorded before the handler can run, so that it never raises under a stale one.
      gPreviousAction[i] = previous_[i];
      installed_[i] = ::sigaction(kCleanupSignals[i], &action, nullptr) == 0;
    }
  }
  ~TemporaryFileGuard() {
    for (int i = 0; i < kCleanupSignalCount; ++i)
      if (installed_[i]) ::sigaction(kCleanupSignals[i], &previous_[i], nullptr);
  }
  TemporaryFileGuard(const TemporaryFileGuard&) = delete;
  TemporaryFileGuard& operator=(const TemporaryFileGuard&) = delete;

  // Creates the temporary file from the template (ending in XXXXXX) in a free slot of the
  // table, returned in slot. The signals wait while it is created and its name recorded,
  // so there is no moment when it exists without the handler knowing it.
  static int create(std::string& name, int& slot) {
    if (name.size() >= PATH_MAX) {
      errno = ENAMETOOLONG;
      return -1;
    }
    slot = -1;
    for (int i = 0; i < kTemporarySlots && slot < 0; ++i)
      if (!gTemporaryLive[i].load()) slot = i;
    if (slot < 0) {
      errno = EMFILE;
      return -1;
    }
    sigset_t set = cleanupSignalSet(), old;
    ::pthread_sigmask(SIG_BLOCK, &set, &old);
    int fd = ::mkostemp(name.data(), O_CLOEXEC);
    int saved = errno;
    if (fd >= 0) {
      std::memcpy(gTemporaryPath[slot], name.c_str(), name.size() + 1);
      gTemporaryLive[slot].store(true);
    }
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
    errno = saved;
    return fd;
  }
  // The slot's temporary file is gone (renamed or removed).
  static void released(int slot) { gTemporaryLive[slot].store(false); }

 private:
  struct sigaction previous_[kCleanupSignalCount];
  bool installed_[kCleanupSignalCount];
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

// Temporary files of ours in folder (our user's, regular, old enough) that an earlier,
// killed save left behind, by name.
std::vector<std::string> staleTemporaries(const std::string& folder) {
  std::vector<std::string> stale;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return stale;
  const time_t now = ::time(nullptr);
  const std::size_t prefixLength = std::strlen(kTemporaryFilePrefix);
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strncmp(name, kTemporaryFilePrefix, prefixLength) != 0) continue;
    struct stat st;
    if (::fstatat(::dirfd(dir), name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        now - st.st_mtime > kStaleTemporarySeconds)
      stale.push_back(name);
  }
  ::closedir(dir);
  return stale;
}

// Removes those of one target (same tag): the prefix and the six characters mkstemp
// fills in.
void removeStaleTemporaries(const std::string& folder, const std::vector<std::string>& stale,
                            const std::string& prefix) {
  for (const std::string& name : stale)
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0)
      ::unlink((folder + name).c_str());
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

// What a write to a name lands on, checked before anything is written.
struct CheckedTarget {
  std::string path;  // the links followed
  bool exists = false;
  struct stat old;
  std::string folder() const { return folderOf(path); }
  std::string temporaryPrefix() const {
    return kTemporaryFilePrefix + nameTag(baseNameOf(path)) + "-";
  }
};

bool checkTarget(const std::string& path, bool noReplace, CheckedTarget& target,
                 std::string* reason) {
  if (!followLinks(path, target.path, reason)) return false;
  target.exists = ::lstat(target.path.c_str(), &target.old) == 0;
  if (target.exists && noReplace) {
    setReason(reason, "file exists");
    return false;
  }
  if (target.exists && !S_ISREG(target.old.st_mode)) {
    setReason(reason, "not a regular file");
    return false;
  }
  // The rename needs only a writable folder; the file itself must be writable too, as
  // for a write in place (for the effective user, as the kernel would judge it).
  if (target.exists && ::faccessat(AT_FDCWD, target.path.c_str(), W_OK, AT_EACCESS) != 0) {
    setReason(reason, "cannot write file: " + errnoText());
    return false;
  }
  return true;
}

// The bytes in a new temporary file beside the target, with the mode and owner the
// target will keep. Returns the open descriptor, its name and its slot of the table; or
// -1 with the reason, nothing left behind.
int writeTemporary(const CheckedTarget& target, const std::uint8_t* data, std::size_t size,
                   std::string& temp, int& slot, std::string* reason) {
  temp = target.folder() + target.temporaryPrefix() + "XXXXXX";
  int fd = TemporaryFileGuard::create(temp, slot);
  if (fd < 0) {
    setReason(reason, "cannot create file: " + errnoText());
    return -1;
  }
  copyModeAndOwner(fd, target.exists ? &target.old : nullptr);
  if (!writeAll(fd, data, size)) {
    setReason(reason, "write error: " + errnoText());
    ::close(fd);
    ::unlink(temp.c_str());
    TemporaryFileGuard::released(slot);
    return -1;
  }
  return fd;
}

// Waits until the file's bytes are on the disk, then closes it; the reason when either
// failed. A file system that cannot sync (EINVAL) has nothing more to wait for.
std::string syncAndClose(int fd) {
  std::string why;
  if (::fsync(fd) != 0 && errno != EINVAL) why = "write error: " + errnoText();
  if (::close(fd) != 0 && why.empty()) why = "write error: " + errnoText();
  return why;
}

bool writeThroughTemporary(const std::string& path, const std::uint8_t* data, std::size_t size,
                           bool noReplace, std::string* reason) {
  CheckedTarget target;
  if (!checkTarget(path, noReplace, target, reason)) return false;
  removeStaleTemporaries(target.folder(), staleTemporaries(target.folder()),
                         target.temporaryPrefix());

  TemporaryFileGuard guard;
  std::string temp;
  int slot = 0;
  int fd = writeTemporary(target, data, size, temp, slot, reason);
  if (fd < 0) return false;
  std::string why = syncAndClose(fd);
  if (why.empty() && !moveIntoPlace(temp, target.path, noReplace))
    why = errno == EEXIST ? "file exists" : "cannot replace file: " + errnoText();
  if (!why.empty()) {
    ::unlink(temp.c_str());
    setReason(reason, why);
  }
  TemporaryFileGuard::released(slot);
  return why.empty();
}

}  // namespace

// ---------------------------------------------------------------------------
// Deferred writes

struct DeferredWrites::Impl {
  struct Pending {
    std::string path, target, temp;
    int fd = -1;
    int slot = 0;
  };
  TemporaryFileGuard guard;  // for the whole run, so no file is ever pending without it
  std::vector<Pending> pending;
  std::vector<Outcome> outcomes;
  // Each folder is searched for stale temporary files once: a search per file would
  // read the folder again and again, and find none of this run's own (they are new).
  std::map<std::string, std::vector<std::string>> staleByFolder;

  // One syncfs per file system the pending files are on: a sync of each file waits for
  // the disk once per file, where one pass writes the shared blocks (inode tables,
  // folders) once. Where that fails each file is synced on its own, so that a write
  // error names the file it belongs to. The files are closed; the reason for each, empty
  // when it is on the disk.
  std::vector<std::string> syncPending() {
    std::vector<std::string> reasons(pending.size());
    std::map<dev_t, bool> synced;  // by device: whether its syncfs succeeded
    for (std::size_t i = 0; i < pending.size(); ++i) {
      const int fd = pending[i].fd;
      struct stat st;
      bool done = false;
      if (::fstat(fd, &st) == 0) {
        auto device = synced.find(st.st_dev);
        if (device == synced.end()) device = synced.emplace(st.st_dev, ::syncfs(fd) == 0).first;
        done = device->second;
      }
      if (!done)
        reasons[i] = syncAndClose(fd);
      else if (::close(fd) != 0)
        reasons[i] = "write error: " + errnoText();
    }
    return reasons;
  }

  ~Impl() {
    for (Pending& p : pending) {
      ::close(p.fd);
      ::unlink(p.temp.c_str());
      TemporaryFileGuard::released(p.slot);
    }
  }

  // Every file's bytes on the disk first, then the renames in the order of the puts
  // (the last of two puts to one target wins, as it would written one by one), then
  // each folder's new entries.
  void commit() {
    std::vector<std::string> reasons = syncPending();
    std::set<std::string> folders;
    for (std::size_t i = 0; i < pending.size(); ++i) {
      Pending& p = pending[i];
      if (reasons[i].empty() && ::rename(p.temp.c_str(), p.target.c_str()) != 0)
        reasons[i] = "cannot replace file: " + errnoText();
      if (reasons[i].empty())
        folders.insert(folderOf(p.target));
      else
        ::unlink(p.temp.c_str());
      TemporaryFileGuard::released(p.slot);
      outcomes.push_back({p.path, reasons[i]});
    }
    pending.clear();
    for (const std::string& folder : folders) {
      // The renames are done and cannot be taken back; a folder that cannot be synced
      // leaves them to the system's own writeback.
      int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (fd < 0) continue;
      ::fsync(fd);
      ::close(fd);
    }
  }
};

DeferredWrites::DeferredWrites() : impl_(std::make_unique<Impl>()) {}
DeferredWrites::~DeferredWrites() = default;

bool DeferredWrites::put(const std::string& path, const std::uint8_t* data, std::size_t size,
                         std::string* reason) {
  CheckedTarget target;
  if (!checkTarget(path, false, target, reason)) return false;
  const std::string folder = target.folder();
  auto stale = impl_->staleByFolder.find(folder);
  if (stale == impl_->staleByFolder.end())
    stale = impl_->staleByFolder.emplace(folder, staleTemporaries(folder)).first;
  removeStaleTemporaries(folder, stale->second, target.temporaryPrefix());

  if (impl_->pending.size() >= static_cast<std::size_t>(kDeferredLimit)) impl_->commit();
  Impl::Pending p;
  p.path = path;
  p.target = target.path;
  p.fd = writeTemporary(target, data, size, p.temp, p.slot, reason);
  if (p.fd < 0) return false;
  impl_->pending.push_back(std::move(p));
  return true;
}

std::vector<DeferredWrites::Outcome> DeferredWrites::finish() {
  impl_->commit();
  std::vector<Outcome> done;
  done.swap(impl_->outcomes);
  return done;
}

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
