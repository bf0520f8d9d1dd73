// Reading and writing whole files: what is refused, links, permissions, long names, and
// the temporary file of an interrupted write.
#include "imageio/file_bytes.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <thread>

#include "test_support.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;

std::string text(const std::string& path) {
  auto bytes = test::readFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// The entries of folder that are none of the files a test made itself: what a write
// left behind.
std::vector<std::string> temporaries(const std::string& folder,
                                     const std::vector<std::string>& made = {}) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (std::find(made.begin(), made.end(), name) == made.end()) names.push_back(name);
  }
  return names;
}

TEST(FileBytes, NonRegularFilesAreRefusedWithoutWaiting) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  fs::create_directory(dir.file("folder"));
  // In a child: an open that waits for a writer would be ended by the alarm.
  int status = test::runInChild(
      [&] {
        std::vector<std::uint8_t> bytes;
        std::string reason;
        int failures = 0;
        for (const char* name : {"fifo", "folder"}) {
          if (readWholeFile(dir.file(name), bytes, &reason) || reason != "not a regular file")
            ++failures;
          if (readFileHead(dir.file(name), 10, bytes, &reason) || reason != "not a regular file")
            ++failures;
        }
        if (writeFileAtomically(dir.file("fifo"), std::string("x"), &reason) ||
            reason != "not a regular file")
          ++failures;
        return failures;
      },
      5);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(fs::is_fifo(dir.file("fifo")));
}

TEST(FileBytes, HeadReadsOnlyTheStartAndLimitsAreNamed) {
  test::TempDir dir;
  ASSERT_TRUE(writeFileAtomically(dir.file("a"), std::string("abcdef"), nullptr));
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(readFileHead(dir.file("a"), 4, bytes, nullptr));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "abcd");
  ASSERT_TRUE(readFileHead(dir.file("a"), 100, bytes, nullptr));
  EXPECT_EQ(bytes.size(), 6u);
  std::string reason;
  EXPECT_FALSE(readWholeFile(dir.file("a"), bytes, &reason, 5));
  EXPECT_EQ(reason, "file too large (over 5 bytes)");
  EXPECT_FALSE(readWholeFile(dir.file("none"), bytes, &reason));
  EXPECT_EQ(reason, std::string("cannot open: ") + std::strerror(ENOENT));
}

TEST(FileBytes, LinksAreWrittenThroughToTheFileTheyName) {
  test::TempDir dir;
  fs::create_directory(dir.file("sub"));
  ASSERT_TRUE(writeFileAtomically(dir.file("real.txt"), std::string("old"), nullptr));
  // A chain: an absolute link to a relative one, which is read from its own folder.
  fs::create_symlink("../real.txt", dir.file("sub/rel"));
  fs::create_symlink(dir.file("sub/rel"), dir.file("abs"));
  ASSERT_TRUE(writeFileAtomically(dir.file("abs"), std::string("new"), nullptr));
  EXPECT_TRUE(fs::is_symlink(dir.file("abs")));
  EXPECT_TRUE(fs::is_symlink(dir.file("sub/rel")));
  EXPECT_EQ(text(dir.file("real.txt")), "new");
  // A link to a name not there yet creates that file.
  fs::create_symlink("made.txt", dir.file("dangling"));
  ASSERT_TRUE(writeFileAtomically(dir.file("dangling"), std::string("made"), nullptr));
  EXPECT_TRUE(fs::is_symlink(dir.file("dangling")));
  EXPECT_EQ(text(dir.file("made.txt")), "made");
  // A loop cannot be followed.
  fs::create_symlink("loop2", dir.file("loop1"));
  fs::create_symlink("loop1", dir.file("loop2"));
  std::string reason;
  EXPECT_FALSE(writeFileAtomically(dir.file("loop1"), std::string("x"), &reason));
  EXPECT_NE(reason.find(std::strerror(ELOOP)), std::string::npos) << reason;
  EXPECT_TRUE(
      temporaries(dir.path(), {"real.txt", "sub", "abs", "dangling", "made.txt", "loop1", "loop2"})
          .empty());
  EXPECT_TRUE(temporaries(dir.file("sub"), {"rel"}).empty());
}

TEST(FileBytes, AReplacedFileKeepsItsModeAndOwner) {
  test::TempDir dir;
  const std::string path = dir.file("a");
  ASSERT_TRUE(writeFileAtomically(path, std::string("1"), nullptr));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  }
  ASSERT_TRUE(writeFileAtomically(path, std::string("22"), nullptr));
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  if (root) {
    EXPECT_EQ(st.st_uid, 65534u);
    EXPECT_EQ(st.st_gid, 65534u);
  }
  EXPECT_EQ(text(path), "22");
}

TEST(FileBytes, NamesUpToTheLimitOfTheFolderAreWritten) {
  test::TempDir dir;
  std::vector<std::string> names;
  for (std::size_t length : {240u, 255u}) {
    names.push_back(std::string(length - 4, 'n') + ".bmp");
    std::string reason;
    EXPECT_TRUE(writeFileAtomically(dir.file(names.back()), std::string("x"), &reason))
        << length << " " << reason;
    EXPECT_EQ(text(dir.file(names.back())), "x");
  }
  EXPECT_TRUE(temporaries(dir.path(), names).empty());
}

// Run as an ordinary user: root may write any file, so as root the child becomes nobody.
TEST(FileBytes, AFileTheUserMayNotWriteIsLeftAlone) {
  test::TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);  // the folder itself is writable
  const std::string path = dir.file("ro.txt");
  ASSERT_TRUE(writeFileAtomically(path, std::string("keep"), nullptr));
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  fs::create_symlink("ro.txt", dir.file("link"));
  int status = test::runInChild(
      [&] {
        std::string reason;
        int failures = 0;
        for (const char* name : {"ro.txt", "link"})
          if (writeFileAtomically(dir.file(name), std::string("lost"), &reason) ||
              reason != std::string("cannot write file: ") + std::strerror(EACCES))
            ++failures;
        // A new file in the writable folder is still fine.
        if (!writeFileAtomically(dir.file("new.txt"), std::string("n"), &reason)) ++failures;
        return failures;
      },
      20, true);
  if (status == test::kChildCannotDropPrivileges) GTEST_SKIP() << "cannot become nobody";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(text(path), "keep");
  EXPECT_TRUE(fs::is_symlink(dir.file("link")));
  EXPECT_EQ(text(dir.file("new.txt")), "n");
}

TEST(FileBytes, NewFileOnlyKeepsWhatIsThere) {
  test::TempDir dir;
  ASSERT_TRUE(writeNewFileAtomically(dir.file("a"), {'1'}, nullptr));
  std::string reason;
  EXPECT_FALSE(writeNewFileAtomically(dir.file("a"), {'2'}, &reason));
  EXPECT_EQ(reason, "file exists");
  EXPECT_EQ(text(dir.file("a")), "1");
  EXPECT_TRUE(temporaries(dir.path(), {"a"}).empty());
}

// More files than wait at a time: the first ones are committed by a later put, the rest
// by finish(); a link is written through, a mode kept, a folder refused at its put.
TEST(FileBytes, DeferredWritesCommitInTheOrderPut) {
  test::TempDir dir;
  test::writeFileBytes(dir.file("real"), {'o'});
  fs::create_symlink("real", dir.file("link"));
  test::writeFileBytes(dir.file("kept"), {'o'});
  ASSERT_EQ(::chmod(dir.file("kept").c_str(), 0640), 0);
  fs::create_directory(dir.file("folder"));
  const int count = DeferredWrites::kDeferredLimit + 5;
  auto numbered = [](int i) {
    std::string name = "f";
    return name += std::to_string(i);
  };
  std::vector<std::string> names = {"link", "kept"};
  for (int i = 0; i < count; ++i) names.push_back(numbered(i));

  std::vector<std::string> made = {"real", "link", "kept", "folder"};
  {
    DeferredWrites writes;
    std::string reason;
    EXPECT_FALSE(writes.put(dir.file("folder"), nullptr, 0, &reason));
    EXPECT_EQ(reason, "not a regular file");
    for (const std::string& name : names)
      ASSERT_TRUE(writes.put(dir.file(name), reinterpret_cast<const std::uint8_t*>(name.data()),
                             name.size(), &reason))
          << name << ": " << reason;
    // Those past the limit wait: their targets do not exist yet, their temporaries do.
    EXPECT_FALSE(fs::exists(dir.file(numbered(count - 1))));
    EXPECT_EQ(text(dir.file("f0")), "f0");
    const std::vector<DeferredWrites::Outcome> outcomes = writes.finish();
    ASSERT_EQ(outcomes.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      EXPECT_EQ(outcomes[i].path, dir.file(names[i]));
      EXPECT_EQ(outcomes[i].reason, "");
    }
    EXPECT_TRUE(writes.finish().empty());
  }
  EXPECT_EQ(text(dir.file("real")), "link");
  EXPECT_TRUE(fs::is_symlink(dir.file("link")));
  EXPECT_EQ(fs::status(dir.file("kept")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  for (int i = 0; i < count; ++i) {
    const std::string name = numbered(i);
    EXPECT_EQ(text(dir.file(name)), name);
    made.push_back(name);
  }
  EXPECT_TRUE(temporaries(dir.path(), made).empty());
}

TEST(FileBytes, DeferredWritesNotFinishedLeaveTheTargets) {
  test::TempDir dir;
  test::writeFileBytes(dir.file("a"), {'o'});
  {
    DeferredWrites writes;
    ASSERT_TRUE(
        writes.put(dir.file("a"), reinterpret_cast<const std::uint8_t*>("new"), 3, nullptr));
    ASSERT_TRUE(
        writes.put(dir.file("b"), reinterpret_cast<const std::uint8_t*>("new"), 3, nullptr));
  }
  EXPECT_EQ(text(dir.file("a")), "o");
  EXPECT_TRUE(temporaries(dir.path(), {"a"}).empty());
}

// A child that writes 256 MiB (zero pages, so no memory is used) to dir/name; the
// write is under way as soon as its temporary file appears.
int startLongWrite(const test::TempDir& dir, const std::string& name) {
  return test::forkChild([&dir, name] {
    for (int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
    const std::size_t size = std::size_t{1} << 28;
    void* zeros = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (zeros == MAP_FAILED) return 2;
    return writeFileAtomically(dir.file(name), static_cast<const std::uint8_t*>(zeros), size,
                               nullptr)
               ? 0
               : 1;
  });
}

// Stops the write with signal once its temporary file is there; returns how it ended.
int interruptLongWrite(const test::TempDir& dir, const std::string& name, int signal) {
  const std::size_t before = temporaries(dir.path()).size();
  int pid = startLongWrite(dir, name);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (temporaries(dir.path()).size() == before && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  ::kill(pid, signal);
  return test::waitForChild(pid);
}

TEST(FileBytes, AnInterruptedWriteRemovesItsTemporaryFile) {
  test::TempDir dir;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    EXPECT_EQ(interruptLongWrite(dir, "big.bin", signal), 128 + signal) << signal;
    EXPECT_TRUE(temporaries(dir.path()).empty()) << signal;
    EXPECT_FALSE(fs::exists(dir.file("big.bin"))) << signal;
  }
}

TEST(FileBytes, ALaterWriteRemovesStaleTemporariesOfTheSameTarget) {
  test::TempDir dir;
  // SIGKILL cannot be caught: each write leaves its temporary file.
  ASSERT_EQ(interruptLongWrite(dir, "big.bin", SIGKILL), 128 + SIGKILL);
  ASSERT_EQ(temporaries(dir.path()).size(), 1u);
  const std::string bigStale = temporaries(dir.path())[0];
  ASSERT_EQ(interruptLongWrite(dir, "other.bin", SIGKILL), 128 + SIGKILL);
  const std::vector<std::string> killed = temporaries(dir.path());
  ASSERT_EQ(killed.size(), 2u);
  ASSERT_EQ(interruptLongWrite(dir, "big.bin", SIGKILL), 128 + SIGKILL);
  ASSERT_EQ(temporaries(dir.path()).size(), 3u);
  // The first two made two minutes old; the third is fresh, as one of a save in progress.
  const struct timespec old[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
  for (const std::string& name : killed)
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(name).c_str(), old, 0), 0);

  ASSERT_TRUE(writeFileAtomically(dir.file("big.bin"), std::string("done"), nullptr));
  EXPECT_EQ(text(dir.file("big.bin")), "done");
  // Only the old one of big.bin is gone: other.bin's and the fresh one stay.
  std::vector<std::string> left = temporaries(dir.path(), {"big.bin"});
  ASSERT_EQ(left.size(), 2u);
  EXPECT_EQ(std::count(left.begin(), left.end(), bigStale), 0);
}

}  // namespace
}  // namespace vornel
