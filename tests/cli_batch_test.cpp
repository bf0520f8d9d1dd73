// vornel batch, vornel size, and vornel convert/info over every format, in-process.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "core/batch_list.h"
#include "imageio/bmp_file.h"
#include "imageio/file_bytes.h"
#include "imageio/image_by_name.h"
#include "test_support.h"

namespace vornel {
namespace {

using test::CliRun;

struct CliBatch : ::testing::Test {
  test::TempDir dir;
  std::string app = dir.file("app");

  void SetUp() override { std::filesystem::create_directory(app); }

  CliRun run(const std::vector<std::string>& args) { return test::runVornel(args); }
  // A render verb with the program folder of the test.
  CliRun verb(const std::string& name, std::vector<std::string> args) {
    args.insert(args.begin(), {name, "--app-dir", app});
    return run(args);
  }
  std::string list(const BatchList& entries) {
    std::string path = dir.file("list.blt");
    EXPECT_TRUE(writeBatchList(path, entries));
    return path;
  }
};

TEST_F(CliBatch, WritesNumberedImagesAndPrintsTheirNames) {
  CliRun r =
      verb("batch", {list({"Home", "News", "Contact us"}), "--pressed", "-o", dir.file("nav.bmp")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  std::string expected;
  for (int i = 0; i < 3; ++i) {
    std::string n = std::to_string(i);
    expected += dir.file("nav" + n + ".bmp") + "\n" + dir.file("nav" + n + "_.bmp") + "\n";
  }
  EXPECT_EQ(r.out, expected);
  DibImage news, contact;
  ASSERT_EQ(readBmp(news, dir.file("nav1.bmp")), 1);
  ASSERT_EQ(readBmp(contact, dir.file("nav2.bmp")), 1);
  EXPECT_GT(contact.width(), news.width());

  // The type option wins over the extension of BASE.
  r = verb("batch", {list({"x"}), "--type", "gif256", "-o", dir.file("t.jpg")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("t0.gif") + "\n");
}

TEST_F(CliBatch, AnExistingFirstFileStopsTheRunUnlessYes) {
  test::writeFileBytes(dir.file("o0.jpg"), {'o', 'l', 'd'});
  const std::string blt = list({"a", "b"});
  CliRun r = verb("batch", {blt, "-o", dir.file("o")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "vornel batch: " + dir.file("o0.jpg") +
                       " exists; nothing written (--yes overwrites)\n");
  EXPECT_FALSE(fileExists(dir.file("o1.jpg")));
  EXPECT_EQ(test::readFileBytes(dir.file("o0.jpg")).size(), 3u);

  r = verb("batch", {blt, "--yes", "-o", dir.file("o")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.err.find("exists"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, dir.file("o0.jpg") + "\n" + dir.file("o1.jpg") + "\n");
  EXPECT_GT(test::readFileBytes(dir.file("o0.jpg")).size(), 3u);
}

TEST_F(CliBatch, FailedWritesGiveExitOneNamingTheFiles) {
  std::filesystem::create_directory(dir.file("f1.bmp"));
  CliRun r = verb("batch", {list({"a", "b", "c"}), "-o", dir.file("f.bmp")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.out, dir.file("f0.bmp") + "\n" + dir.file("f2.bmp") + "\n");
  EXPECT_NE(r.err.find("1 file(s) not written: " + dir.file("f1.bmp")), std::string::npos) << r.err;
}

TEST_F(CliBatch, UsageAndInputErrors) {
  const std::string blt = list({"a"});
  for (std::vector<std::string> bad : {std::vector<std::string>{blt},  // no -o
                                       {"-o", dir.file("x")},          // no list
                                       {blt, blt, "-o", dir.file("x")},
                                       {blt, "--message", "m", "-o", dir.file("x")},
                                       {blt, "--type", "tiff", "-o", dir.file("x")}}) {
    CliRun r = verb("batch", bad);
    EXPECT_EQ(r.status, kExitUsage) << r.err;
    EXPECT_NE(r.err.find("vornel batch: "), std::string::npos);
  }
  CliRun r = verb("batch", {dir.file("missing.blt"), "-o", dir.file("x")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_FALSE(fileExists(dir.file("x0.jpg")));
  EXPECT_EQ(run({"batch", "--help"}).status, kExitOk);
}

TEST_F(CliBatch, SizeEqualsTheSavedFileExceptForSixteenColours) {
  const std::vector<std::string> job = {"--message", "Size me", "--background", "#204080"};
  for (auto [type, ext] : {std::pair{"bmp", ".bmp"}, {"jpg", ".jpg"}, {"gif256", ".gif"}}) {
    std::vector<std::string> args = job;
    args.insert(args.end(), {"--type", type});
    CliRun size = verb("size", args);
    ASSERT_EQ(size.status, kExitOk) << size.err;
    args.insert(args.end(), {"-o", dir.file(std::string("s_") + type)});
    ASSERT_EQ(verb("render", args).status, kExitOk);
    const auto saved = fileLength(dir.file(std::string("s_") + type + ext));
    EXPECT_EQ(size.out, std::to_string(saved) + "\n") << type;
    EXPECT_FALSE(fileExists(app + "/fs.zzz"));  // measured in memory
  }
  // 16 colours: estimated with a 16-entry table, saved with a 256-entry one.
  std::vector<std::string> args = job;
  args.insert(args.end(), {"--type", "gif16"});
  CliRun size = verb("size", args);
  ASSERT_EQ(size.status, kExitOk) << size.err;
  args.insert(args.end(), {"-o", dir.file("s16")});
  ASSERT_EQ(verb("render", args).status, kExitOk);
  EXPECT_LT(std::stoull(size.out), fileLength(dir.file("s16.gif")));

  EXPECT_EQ(verb("size", {"--type", "tiff"}).status, kExitUsage);
  EXPECT_EQ(verb("size", {"-o", "x"}).status, kExitUsage);
  // A program folder that does not exist is a failure, not a size of 0.
  CliRun r = run({"size", "--app-dir", dir.file("no/such/folder"), "--type", "bmp"});
  EXPECT_EQ(r.status, kExitFailure) << r.out;
}

TEST_F(CliBatch, ConvertToGifReducesAndInfoReadsEveryFormat) {
  // A 9 x 5 picture of five colours: the reduction keeps them all exactly.
  const std::uint8_t colours[5][3] = {
      {255, 255, 255}, {0, 0, 255}, {0, 200, 0}, {90, 10, 10}, {3, 4, 5}};
  DibImage picture;
  ASSERT_EQ(picture.create(9, 5, 24), 1);
  {
    DibRowAccess rows(picture);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 9; ++x)
        std::copy(colours[(x + 2 * y) % 5], colours[(x + 2 * y) % 5] + 3, rows[y] + x * 3);
  }
  const std::string bmp = dir.file("p.bmp");
  ASSERT_EQ(writeBmp(picture, bmp), 1);
  // Popularity keeps few colours exactly; the median cut works on 5-bit boxes and may
  // merge them, but keeps the corner (background) colour exact at palette entry 0.
  std::vector<std::vector<std::uint8_t>> decoded;
  for (const char* method : {"popularity", "mediancut"}) {
    const std::string gif = dir.file(std::string("p_") + method + ".gif");
    CliRun r = run({"convert", "--reduce", method, bmp, gif});
    ASSERT_EQ(r.status, kExitOk) << r.err;
    DibImage back;
    ASSERT_EQ(readImageByName(back, gif), 1);
    ASSERT_EQ(back.width(), 9);
    ASSERT_EQ(back.height(), 5);
    DibRowAccess rows(back);
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 5; ++y) pixels.insert(pixels.end(), rows[y], rows[y] + 27);
    decoded.push_back(pixels);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(rows[0][k], 255) << method;
  }
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 9; ++x)
      for (int k = 0; k < 3; ++k)
        ASSERT_EQ(decoded[0][static_cast<std::size_t>(y * 27 + x * 3 + k)],
                  colours[(x + 2 * y) % 5][k])
            << x << "," << y;
  EXPECT_NE(decoded[0], decoded[1]);  // the method asked for is the one used
  ASSERT_EQ(run({"convert", bmp, dir.file("p.jpg")}).status, kExitOk);
  std::filesystem::copy_file(dir.file("p_popularity.gif"), dir.file("p.GiT"));
  // A GIF's depth is its colour table's: 256 entries, 8 bits.
  const std::pair<const char*, const char*> infos[] = {{"p.bmp", "9x5 24-bit\n"},
                                                       {"p_popularity.gif", "9x5 8-bit\n"},
                                                       {"p.jpg", "9x5 24-bit\n"},
                                                       {"p.GiT", "9x5 8-bit\n"}};
  for (auto [name, text] : infos) {
    CliRun r = run({"info", dir.file(name)});
    EXPECT_EQ(r.status, kExitOk) << name << r.err;
    EXPECT_EQ(r.out, text) << name;
  }
  EXPECT_EQ(run({"convert", "--reduce", "best", bmp, dir.file("q.gif")}).status, kExitUsage);
}

}  // namespace
}  // namespace vornel
