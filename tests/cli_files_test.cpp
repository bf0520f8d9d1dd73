#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli.h"
#include "core/project_file.h"
#include "core/style_file.h"
#include "imageio/bmp_file.h"
#include "test_support.h"

namespace vornel {
namespace {

using test::CliRun;

CliRun run(const std::vector<std::string>& args) {
  return test::runVornel(args);
}

TEST(CliFiles, StylePrintsRecordOrder) {
  test::TempDir dir;
  const std::string text =
      "Background 3 65280 sky.bmp\r\n"
      "OutLine 4 -3 2 0 16711680 0 7 0 0 0 0 12\r\nrough stone.gif \r\n"
      "CutOut 0 0 0 0 0 0 0 0 0 0 0 0\r\n\r\nend\r\n";
  test::writeFileBytes(dir.file("a.sty"), std::vector<std::uint8_t>(text.begin(), text.end()));
  CliRun r = run({"style", dir.file("a.sty")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "background 3 65280 sky.bmp\n"
            "0 OutLine 16711680 0 4 -3 2 0 7 0 0 0 0 12 rough stone.gif\n"
            "1 CutOut 0 0 0 0 0 0 0 0 0 0 0 0\n");
  r = run({"style", dir.file("none.sty")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_NE(r.err.find("none.sty"), std::string::npos);
  EXPECT_EQ(run({"style"}).status, kExitUsage);
  EXPECT_EQ(run({"style", "--help"}).status, kExitOk);
}

TEST(CliFiles, ProjectPrintsLayersBackgroundAndFactors) {
  test::TempDir dir;
  VornelDocument doc;
  initializeDocument(doc);
  doc.layer(kMessageLayer).text = "a\\b\nc";
  doc.layer(kMessageLayer).effects.resize(1);
  doc.layer(kMessageLayer).effects[0].param(1) = 255;
  doc.layer(kMessageLayer).effects[0].setTexture("t.gif");
  doc.layer(kBulletinLayer).font.lfItalic = 1;
  doc.layer(kBulletinLayer).box[4] = 6;
  doc.projectBackgroundColor = 0xFF;
  ASSERT_EQ(writeProject(doc, dir.file("p")), 0);
  CliRun r = run({"project", dir.file("p.vrn")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "layer 0 kind 2 effects 0\ntext a\nfont 20 10 0 0 0 0 0 0 Arial\n"
            "fontwidths 0 0\nbox 950 950 100 100 0 0\n"
            "layer 1 kind 2 effects 0\ntext a\nfont 20 10 0 1 0 0 0 0 Arial\n"
            "fontwidths 0 0\nbox 950 950 100 100 6 0\n"
            "layer 2 kind 0 effects 1\ntext a\\\\b\\nc\nfont 20 10 0 0 0 0 0 0 Arial\n"
            "fontwidths 0 0\nbox 950 950 100 100 0 0\n"
            "0 SingleColor 255 0 0 0 0 0 0 0 0 0 0 0 t.gif\n"
            "background 1 255\ntemplatefactors 950 950 100 100\n");
  r = run({"project", dir.file("missing.vrn")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  EXPECT_EQ(run({"project", "a", "b"}).status, kExitUsage);
}

// A failure as the command line reports it: exit 1, one line on stderr, holding `says`.
// Returns "" or what was wrong (the tests below run in children, without gtest's macros).
std::string failsWithOneLine(const std::vector<std::string>& args, const std::string& says) {
  CliRun r = run(args);
  // Warnings about the job (no style given) are lines of their own, before the failure.
  std::string failure;
  std::istringstream lines(r.err);
  for (std::string line; std::getline(lines, line);)
    if (line.find(": warning: ") == std::string::npos) failure += line + "\n";
  r.err = failure;
  std::string line;
  for (const std::string& arg : args) line += arg + " ";
  if (r.status != kExitFailure) return line + "status " + std::to_string(r.status) + "\n";
  if (std::count(r.err.begin(), r.err.end(), '\n') != 1 || r.err.find(says) == std::string::npos)
    return line + "printed '" + r.err + "'\n";
  return "";
}

int reportInChild(const std::string& problems) {
  std::fputs(problems.c_str(), stderr);
  return problems.empty() ? 0 : 1;
}

TEST(CliFiles, InputsThatAreNotRegularFilesFailAtOnce) {
  test::TempDir dir;
  for (const char* name : {"f.sty", "f.vrn", "f.blt", "f.bmp", "f.gif", "f.jpg"})
    ASSERT_EQ(::mkfifo(dir.file(name).c_str(), 0600), 0);
  std::filesystem::create_directories(dir.file("app"));
  std::filesystem::create_directories(dir.file("config/hellovornel"));
  ASSERT_EQ(::mkfifo(dir.file("app/star0.lit").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(dir.file("config/hellovornel/hellovornel.ini").c_str(), 0600), 0);
  DibImage picture;
  ASSERT_EQ(picture.create(3, 2, 24), 1);
  ASSERT_EQ(writeBmp(picture, dir.file("good.bmp")), 1);
  // An open or read that waits on a FIFO would hang the child until its alarm.
  int status = test::runInChild(
      [&] {
        const std::string app = dir.file("app"), out = dir.file("out");
        const char* why = "not a regular file";
        std::string problems;
        problems += failsWithOneLine({"style", dir.file("f.sty")}, why);
        problems += failsWithOneLine({"project", dir.file("f.vrn")}, why);
        problems +=
            failsWithOneLine({"batch", dir.file("f.blt"), "--app-dir", app, "-o", out}, why);
        for (const char* name : {"f.bmp", "f.gif", "f.jpg"}) {
          problems += failsWithOneLine({"info", dir.file(name)}, why);
          problems += failsWithOneLine({"convert", dir.file(name), dir.file("c.bmp")}, why);
        }
        for (auto [option, name] : {std::pair{"--style", "f.sty"},
                                    {"--template-style", "f.sty"},
                                    {"--project", "f.vrn"},
                                    {"--mask", "f.bmp"}})
          problems += failsWithOneLine(
              {"render", "--app-dir", app, option, dir.file(name), "-o", out}, why);
        // The preferences file and a star kernel are optional: passed over, not waited on.
        ::setenv("XDG_CONFIG_HOME", dir.file("config").c_str(), 1);
        CliRun r = run({"convert", dir.file("good.bmp"), dir.file("c.bmp")});
        if (r.status != kExitOk) problems += "convert with a FIFO for preferences: " + r.err;
        r = run({"render", "--app-dir", app, "--type", "bmp", "-o", out});
        if (r.status != kExitOk) problems += "render with a FIFO for a star kernel: " + r.err;
        return reportInChild(problems);
      },
      60);
  EXPECT_EQ(status, 0);
}

TEST(CliFiles, EveryFailureSaysWhyInOneLine) {
  test::TempDir dir;
  const std::string app = dir.file("app");
  std::filesystem::create_directories(app);
  // A style over the 16 MiB a text file may have (sparse: no disk is used).
  { std::ofstream(dir.file("big.sty")); }
  std::filesystem::resize_file(dir.file("big.sty"), std::uintmax_t{17} << 20);
  // 2 x 2, code size 2: clear, literal 0, then code 7 while the next free code is 6.
  test::writeFileBytes(dir.file("lzw.gif"),
                       {'G', 'I', 'F', '8', '7', 'a', 2, 0, 2, 0, 0x01, 0,    0, 0x2C, 0,
                        0,   0,   0,   2,   0,   2,   0, 0, 2, 2, 0xC4, 0x01, 0, 0x3B});
  DibImage picture;
  ASSERT_EQ(picture.create(3, 2, 24), 1);
  ASSERT_EQ(writeBmp(picture, dir.file("good.bmp")), 1);
  const std::string out = dir.file("out");
  std::string problems;
  problems +=
      failsWithOneLine({"render", "--app-dir", app, "--style", dir.file("missing.sty"), "-o", out},
                       std::string("missing.sty: cannot open: ") + std::strerror(ENOENT));
  problems += failsWithOneLine({"render", "--app-dir", app, "--style", app, "-o", out},
                               "app: not a regular file");
  problems +=
      failsWithOneLine({"render", "--app-dir", app, "--style", dir.file("big.sty"), "-o", out},
                       "big.sty: file too large");
  problems += failsWithOneLine({"info", dir.file("lzw.gif")},
                               "lzw.gif: corrupt GIF image data (a bad LZW code or code size)");
  problems += failsWithOneLine({"convert", dir.file("lzw.gif"), dir.file("c.bmp")}, "LZW");
  problems += failsWithOneLine({"convert", dir.file("good.bmp"), dir.file("no/c.gif")},
                               std::string("cannot create file: ") + std::strerror(ENOENT));
  problems += failsWithOneLine({"size", "--app-dir", dir.file("none"), "--type", "bmp"},
                               "program folder " + dir.file("none") + "/ does not exist");
  EXPECT_EQ(problems, "");
}

// A full disk, as a file size limit gives it (with SIGXFSZ ignored, a write past the
// limit fails with EFBIG): every type names it.
TEST(CliFiles, AWriteThatCannotFinishIsNamedForEveryType) {
  test::TempDir dir;
  int status = test::runInChild([&] {
    ::signal(SIGXFSZ, SIG_IGN);
    const struct rlimit limit = {100, 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::string problems;
    for (const char* type : {"bmp", "jpg", "gif16", "gif256"})
      problems += failsWithOneLine({"render", "--app-dir", dir.path(), "--type", type, "-o",
                                    dir.file(std::string("full-") + type)},
                                   std::string("write error: ") + std::strerror(EFBIG));
    return reportInChild(problems);
  });
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

// As an ordinary user (nobody, when the tests run as root): a file made read-only stays
// as it was, though its folder is writable; a name of 255 bytes is written.
TEST(CliFiles, ReadOnlyTargetsAreRefusedAndLongNamesWritten) {
  test::TempDir dir;
  ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
  test::writeFileBytes(dir.file("logo.bmp"), {'o', 'l', 'd'});
  ASSERT_EQ(::chmod(dir.file("logo.bmp").c_str(), 0444), 0);
  const std::string longName = dir.file(std::string(251, 'n') + ".bmp");
  int status = test::runInChild(
      [&] {
        std::string problems =
            failsWithOneLine({"render", "--app-dir", dir.path(), "-o", dir.file("logo.bmp")},
                             "logo.bmp: cannot write file: " + std::string(std::strerror(EACCES)));
        CliRun r = run({"render", "--app-dir", dir.path(), "-o", longName});
        if (r.status != kExitOk || r.out != longName + "\n") problems += "long name: " + r.err;
        return reportInChild(problems);
      },
      60, true);
  if (status == test::kChildCannotDropPrivileges) GTEST_SKIP() << "cannot become nobody";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(test::readFileBytes(dir.file("logo.bmp")), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_TRUE(std::filesystem::exists(longName));
}

}  // namespace
}  // namespace vornel
