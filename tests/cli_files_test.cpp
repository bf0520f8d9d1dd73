#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/project_file.h"
#include "core/style_file.h"
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

}  // namespace
}  // namespace vornel
