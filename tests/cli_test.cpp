#include "cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "imageio/bmp_file.h"
#include "test_support.h"

namespace vornel {
namespace {

using test::CliRun;

CliRun run(const std::vector<std::string>& args) {
  return test::runVornel(args);
}

TEST(Cli, UsageAndHelp) {
  EXPECT_EQ(run({}).status, kExitUsage);
  CliRun r = run({"--help"});
  EXPECT_EQ(r.status, kExitOk);
  EXPECT_NE(r.out.find("info"), std::string::npos);
  EXPECT_EQ(run({"frobnicate"}).status, kExitUsage);
  for (const char* verb : {"info", "convert"}) {
    r = run({verb, "--help"});
    EXPECT_EQ(r.status, kExitOk) << verb;
    EXPECT_NE(r.out.find("usage: vornel"), std::string::npos) << verb;
    EXPECT_EQ(run({verb, "--bogus"}).status, kExitUsage) << verb;
  }
}

TEST(Cli, InfoPrintsSizeAndDepth) {
  test::TempDir dir;
  DibImage image;
  ASSERT_EQ(image.create(3, 2, 24), 1);
  ASSERT_EQ(writeBmp(image, dir.file("a.bmp")), 1);
  CliRun r = run({"info", dir.file("a.bmp")});
  EXPECT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, "3x2 24-bit\n");
  DibImage grey;
  ASSERT_EQ(grey.create(7, 5, 8), 1);
  ASSERT_EQ(writeBmp(grey, dir.file("g.bmp")), 1);
  EXPECT_EQ(run({"info", dir.file("g.bmp")}).out, "7x5 8-bit\n");
}

TEST(Cli, FailuresNameTheFileAndTheReason) {
  test::TempDir dir;
  test::writeFileBytes(dir.file("bad.bmp"), {'B', 'M', 1, 2, 3});
  CliRun r = run({"info", dir.file("bad.bmp")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("bad.bmp"), std::string::npos);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  r = run({"info", dir.file("missing.bmp")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("missing.bmp"), std::string::npos);
  EXPECT_EQ(run({"info", dir.file("x.tif")}).status, kExitFailure);
  EXPECT_EQ(run({"info"}).status, kExitUsage);
}

TEST(Cli, ConvertCopiesABmp) {
  test::TempDir dir;
  DibImage image;
  ASSERT_EQ(image.create(5, 3, 8), 1);
  {
    DibRowAccess rows(image);
    rows[1][2] = 99;
  }
  ASSERT_EQ(writeBmp(image, dir.file("in.bmp")), 1);
  CliRun r = run({"convert", dir.file("in.bmp"), dir.file("out.bmp")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(test::readFileBytes(dir.file("in.bmp")), test::readFileBytes(dir.file("out.bmp")));
  EXPECT_EQ(run({"convert", dir.file("in.bmp")}).status, kExitUsage);
  EXPECT_EQ(run({"convert", dir.file("in.bmp"), dir.file("out.tif")}).status, kExitFailure);
}

}  // namespace
}  // namespace vornel
