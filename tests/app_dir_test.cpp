#include "platform/app_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

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
