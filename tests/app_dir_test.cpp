#include "platform/app_dir.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "platform/text_lines.h"
#include "test_support.h"

namespace vornel {
namespace {

void put(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  test::writeFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

std::string get(const std::string& path) {
  auto b = test::readFileBytes(path);
  return std::string(b.begin(), b.end());
}

TEST(AppDir, SeedingCopiesMissingFilesAndNeverOverwrites) {
  test::TempDir dir;
  put(dir.file("from/a.sty"), "bundled a");
  put(dir.file("from/texture/t.bmp"), "bundled t");
  put(dir.file("to/a.sty"), "user's own a");
  put(dir.file("to/mine.sty"), "user's style");
  ASSERT_TRUE(seedDirectory(dir.file("from"), dir.file("to")));
  EXPECT_EQ(get(dir.file("to/a.sty")), "user's own a");
  EXPECT_EQ(get(dir.file("to/texture/t.bmp")), "bundled t");
  EXPECT_EQ(get(dir.file("to/mine.sty")), "user's style");
}

TEST(AppDir, AStoppedSeedingIsFinishedAndThenLeftAlone) {
  test::TempDir dir;
  put(dir.file("from/a.sty"), "bundled a");
  put(dir.file("from/texture/t.bmp"), "bundled t");
  put(dir.file("from/help/main.htm"), "bundled help");
  // As a copy in place stopped part way left it: a.sty cut short, t.bmp never reached;
  // the help page is the user's own edit.
  put(dir.file("to/a.sty"), "bund");
  put(dir.file("to/help/main.htm"), "my help");
  ASSERT_TRUE(seedDirectory(dir.file("from"), dir.file("to")));
  EXPECT_EQ(get(dir.file("to/a.sty")), "bundled a");
  EXPECT_EQ(get(dir.file("to/texture/t.bmp")), "bundled t");
  EXPECT_EQ(get(dir.file("to/help/main.htm")), "my help");

  // Once complete, the folder is the user's: a short edit stays, a deleted file stays
  // deleted, until the bundle itself changes.
  put(dir.file("to/a.sty"), "bun");
  std::filesystem::remove(dir.file("to/texture/t.bmp"));
  ASSERT_TRUE(seedDirectory(dir.file("from"), dir.file("to")));
  EXPECT_EQ(get(dir.file("to/a.sty")), "bun");
  EXPECT_FALSE(std::filesystem::exists(dir.file("to/texture/t.bmp")));
  put(dir.file("from/new.sty"), "new");
  ASSERT_TRUE(seedDirectory(dir.file("from"), dir.file("to")));
  EXPECT_EQ(get(dir.file("to/new.sty")), "new");
  EXPECT_EQ(get(dir.file("to/a.sty")), "bun");
}

TEST(AppDir, ASeedingKilledMidCopyLeavesNoCutShortFile) {
  test::TempDir dir;
  const std::vector<std::uint8_t> big(std::size_t{64} << 20, 7);
  std::filesystem::create_directories(dir.file("from"));
  test::writeFileBytes(dir.file("from/big.bmp"), big);
  int pid =
      test::forkChild([&] { return seedDirectory(dir.file("from"), dir.file("to")) ? 0 : 1; });
  // Killed as soon as anything is in the folder; SIGKILL leaves no time to tidy up.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline &&
         (!std::filesystem::exists(dir.file("to")) || std::filesystem::is_empty(dir.file("to"))))
    std::this_thread::sleep_for(std::chrono::microseconds(100));
  ::kill(pid, SIGKILL);
  test::waitForChild(pid);
  if (std::filesystem::exists(dir.file("to/big.bmp"))) {
    EXPECT_EQ(std::filesystem::file_size(dir.file("to/big.bmp")), big.size());
  }
  ASSERT_TRUE(seedDirectory(dir.file("from"), dir.file("to")));
  EXPECT_EQ(test::readFileBytes(dir.file("to/big.bmp")), big);
}

TEST(AppDir, TheVersionTheBuildWritesIsTheMarkAndSparesTheListing) {
  test::TempDir dir;
  put(dir.file("from/a.sty"), "bundled a");
  put(dir.file("from/texture/t.bmp"), "bundled t");
  ASSERT_TRUE(seedDirectory(dir.file("from"), dir.file("to")));
  // The same version as a folder seeded from an unstamped bundle bears: no new seeding.
  ASSERT_TRUE(writeBundleVersion(dir.file("from")));
  EXPECT_EQ(get(dir.file("from/.bundle-version")), get(dir.file("to/.seeded")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("to/.bundle-version")));
  // While the stamp matches, the bundle is not looked at: a file added behind the
  // build's back is not seen until the bundle is stamped again.
  put(dir.file("from/new.sty"), "new");
  ASSERT_TRUE(seedDirectory(dir.file("from"), dir.file("to")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("to/new.sty")));
  ASSERT_TRUE(writeBundleVersion(dir.file("from")));
  ASSERT_TRUE(seedDirectory(dir.file("from"), dir.file("to")));
  EXPECT_EQ(get(dir.file("to/new.sty")), "new");
}

TEST(AppDir, OptionThenEnvironmentThenPerUserFolder) {
  test::TempDir dir;
  EXPECT_EQ(resolveAppDirectory(dir.file("opt")), dir.file("opt") + "/");
  const char* oldHome = std::getenv("HELLOVORNEL_HOME");
  const char* oldData = std::getenv("XDG_DATA_HOME");
  std::string savedHome = oldHome ? oldHome : "", savedData = oldData ? oldData : "";
  setenv("HELLOVORNEL_HOME", dir.file("env").c_str(), 1);
  EXPECT_EQ(resolveAppDirectory(""), dir.file("env") + "/");
  unsetenv("HELLOVORNEL_HOME");
  setenv("XDG_DATA_HOME", dir.file("xdg").c_str(), 1);
  EXPECT_EQ(resolveAppDirectory(""), dir.file("xdg") + "/hellovornel/");
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("xdg/hellovornel")));
  if (oldHome) setenv("HELLOVORNEL_HOME", savedHome.c_str(), 1);
  if (oldData)
    setenv("XDG_DATA_HOME", savedData.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
}

TEST(TextLines, AllThreeLineEndsReadAlike) {
  EXPECT_EQ(splitTextLines("a\nb\r\nc\r\r\nd"), (std::vector<std::string>{"a", "b", "c", "d"}));
  EXPECT_EQ(splitTextLines("x\n\n"), (std::vector<std::string>{"x", ""}));
  EXPECT_EQ(splitTextLines("a\rb\n"), (std::vector<std::string>{"a\rb"}));
  EXPECT_EQ(toCrLf("a\nb\r\nc"), "a\r\nb\r\nc");
}

}  // namespace
}  // namespace vornel
