// vornel render in-process: option handling, names printed, and pictures read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "core/project_file.h"
#include "imageio/bmp_file.h"
#include "imageio/file_bytes.h"
#include "test_support.h"

namespace vornel {
namespace {

struct RenderRun {
  int status;
  std::string out, err;
};

struct CliRender : ::testing::Test {
  test::TempDir dir;
  // Every run uses a folder of its own for fs.zzz and the (absent) star kernels.
  RenderRun run(std::vector<std::string> args) {
    args.insert(args.begin(), {"render", "--app-dir", dir.path()});
    std::ostringstream out, err;
    int status = runCli(args, out, err);
    return {status, out.str(), err.str()};
  }
  // A style with one black colour fill, white opaque background.
  std::string blackStyle() {
    std::string path = dir.file("black.sty");
    const std::string text =
        ";Number of Effect : 1\r\nBackground 2 16777215 \r\nSingleColor 0 0 2 0 0 0 0 0 0 0 0 "
        "0\r\n\r\nend\r\n";
    writeFileAtomically(path, text, nullptr);
    return path;
  }
};

TEST_F(CliRender, UsageErrors) {
  EXPECT_EQ(run({"--message", "x"}).status, kExitUsage);  // no -o
  for (std::vector<std::string> bad : {std::vector<std::string>{"--type", "tiff"},
                                       {"--template", "circle"},
                                       {"--bulletin", "stretched"},
                                       {"--background", "red"},
                                       {"--background", "#12345"},
                                       {"--antialiasing", "2"},
                                       {"--reduce", "best"},
                                       {"--font-height", "big"},
                                       {"--transparent", "--opaque"},
                                       {"stray"}}) {
    bad.insert(bad.end(), {"-o", dir.file("x")});
    RenderRun r = run(bad);
    EXPECT_EQ(r.status, kExitUsage) << bad[0];
    EXPECT_NE(r.err.find("vornel render: "), std::string::npos) << bad[0];
  }
  EXPECT_EQ(run({"--help"}).status, kExitOk);
}

TEST_F(CliRender, OutOfRangeFontSizeAndEmptyPicturesAreExplained) {
  RenderRun r = run({"--font-height", "99999", "-o", dir.file("x")});
  EXPECT_EQ(r.status, kExitUsage);
  EXPECT_NE(r.err.find("from -16384 to 16384"), std::string::npos) << r.err;
  // Blanks light no pixel: a picture of no size, which no reader opens, is written by no
  // type, the pressed twin included, and said once.
  for (const char* type : {"bmp", "jpg", "gif16", "gif256"}) {
    r = run({"--message", "   ", "--style", blackStyle(), "--pressed", "--type", type, "-o",
             dir.file("blank")});
    EXPECT_EQ(r.status, kExitFailure) << type;
    EXPECT_EQ(r.out, "") << type;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    EXPECT_NE(r.err.find("nothing to draw"), std::string::npos) << r.err;
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    EXPECT_NE(entry.path().filename().string().rfind("blank", 0), 0u) << entry.path();
}

TEST_F(CliRender, TypeFollowsTheNameUnlessGiven) {
  RenderRun r = run({"-o", dir.file("a")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("a.jpg") + "\n");
  r = run({"-o", dir.file("b.GIF")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("b.gif") + "\n");
  r = run({"-o", dir.file("c.bmp")});
  EXPECT_EQ(r.out, dir.file("c.bmp") + "\n");
  r = run({"--type", "gif16", "--pressed", "-o", dir.file("btn.jpg")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("btn.gif") + "\n" + dir.file("btn_.gif") + "\n");
  std::vector<std::uint8_t> gif = test::readFileBytes(dir.file("btn.gif"));
  ASSERT_GE(gif.size(), 13u);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
}

TEST_F(CliRender, MaskGivesTheShapeExactly) {
  // A 7 x 5 picture with an asymmetric shape; clip blank off keeps it whole.
  const char* shape[] = {"#......", "##.....", "#.#....", "#..#..#", "#######"};
  DibImage picture;
  ASSERT_EQ(picture.create(7, 5, 24), 1);
  DibRowAccess rows(picture);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x)
      if (shape[y][x] == '#') rows[y][x * 3] = 1;  // only the first byte counts
  ASSERT_EQ(writeBmp(picture, dir.file("shape.bmp")), 1);
  RenderRun r = run({"--mask", dir.file("shape.bmp"), "--style", blackStyle(), "--clipblank", "0",
                     "--antialiasing", "0", "--type", "bmp", "-o", dir.file("m")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  DibImage back;
  ASSERT_EQ(readBmp(back, dir.file("m.bmp")), 1);
  ASSERT_EQ(back.width(), 8);
  ASSERT_EQ(back.height(), 8);
  DibRowAccess out(back);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      bool lit = x < 7 && y < 5 && shape[y][x] == '#';
      // 255 x 255 >> 8 where uncovered.
      EXPECT_EQ(out[y][x * 3], lit ? 0 : 254) << x << "," << y;
    }
  EXPECT_EQ(run({"--mask", dir.file("none.bmp"), "-o", dir.file("n")}).status, kExitFailure);

  // Twice as large: the same shape drawn on a grid twice as fine, so each pixel of the
  // plain picture becomes a 2 x 2 block.
  r = run({"--mask", dir.file("shape.bmp"), "--style", blackStyle(), "--clipblank", "0",
           "--antialiasing", "0", "--scale", "2", "--type", "bmp", "-o", dir.file("m2")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  DibImage twice;
  ASSERT_EQ(readBmp(twice, dir.file("m2.bmp")), 1);
  ASSERT_EQ(twice.width(), 16);
  ASSERT_EQ(twice.height(), 16);
  DibRowAccess big(twice);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) EXPECT_EQ(big[y][x * 3], out[y / 2][x / 2 * 3]) << x << "," << y;
  for (const char* bad : {"0", "5", "-1", "2x"})
    EXPECT_EQ(run({"--scale", bad, "-o", dir.file("s")}).status, kExitUsage) << bad;
}

TEST_F(CliRender, CommandLineValuesOverrideTheProject) {
  {
    test::ScriptedHost host;
    VornelDocument doc;
    initializeDocument(doc);
    doc.layer(kMessageLayer).text = "From the project";
    doc.layer(kBulletinLayer).kind = kLayerRoundBox;
    ASSERT_EQ(writeProject(doc, dir.file("job.vrn")), 0);
  }
  // The message option comes first on the line but still wins over the project.
  RenderRun r = run({"--message", "", "--background", "#000000", "--project", dir.file("job.vrn"),
                     "--bulletin", "none", "--type", "bmp", "-o", dir.file("p")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  DibImage back;
  ASSERT_EQ(readBmp(back, dir.file("p.bmp")), 1);
  // An empty message and no bulletin: only the 4 x 4 minimum canvas, black background
  // under an uncovered (black) layer.
  EXPECT_EQ(back.width(), 4);
  EXPECT_EQ(back.height(), 4);
  EXPECT_EQ(DibRowAccess(back)[0][0], 0);
  EXPECT_EQ(run({"--project", dir.file("missing.vrn"), "-o", dir.file("q")}).status, kExitFailure);
  EXPECT_EQ(run({"--style", dir.file("missing.sty"), "-o", dir.file("q")}).status, kExitFailure);
}

TEST_F(CliRender, UnknownFaceFallsBackAndSaysSo) {
  RenderRun r = run({"--font", "No Such Face Zq", "--message", "Hi", "-o", dir.file("f")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.err.find("No Such Face Zq"), std::string::npos) << r.err;
}

TEST_F(CliRender, WriteFailuresExitWithOne) {
  RenderRun r = run({"--type", "bmp", "-o", dir.file("no/such/dir/x")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("x.bmp"), std::string::npos);
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace vornel
