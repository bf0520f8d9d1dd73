#include "imageio/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

}  // namespace

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& out, std::string* reason,
                   std::size_t maxBytes) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    setReason(reason, "cannot open: " + errnoText());
    return false;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    setReason(reason, "not a regular file");
    return false;
  }
  if (static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    ::close(fd);
    setReason(reason, "file too large");
    return false;
  }
  std::vector<std::uint8_t> data;
  try {
    data.resize(static_cast<std::size_t>(st.st_size));
  } catch (const std::bad_alloc&) {
    ::close(fd);
    setReason(reason, "not enough memory to read the file");
    return false;
  }
  std::size_t got = 0;
  while (got < data.size()) {
    ssize_t n = ::read(fd, data.data() + got, data.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (got != data.size()) {
    setReason(reason, "read error");
    return false;
  }
  out = std::move(data);
  return true;
}

bool writeFileAtomically(const std::string& path, const std::uint8_t* data, std::size_t size,
                         std::string* reason) {
  std::string temp = path + ".vornel-tmp-XXXXXX";
  std::vector<char> name(temp.begin(), temp.end());
  name.push_back('\0');
  int fd = ::mkstemp(name.data());
  if (fd < 0) {
    setReason(reason, "cannot create file: " + errnoText());
    return false;
  }
  // Keep the permissions an ordinary new file would get.
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  struct stat old;
  if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
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
  if (ok && ::rename(name.data(), path.c_str()) != 0) {
    ok = false;
    why = "cannot replace file: " + errnoText();
  }
  if (!ok) {
    ::unlink(name.data());
    setReason(reason, why);
  }
  return ok;
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
