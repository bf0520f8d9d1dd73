// The command line's conventions and defaults: styles and examples by name, the listing
// verbs and the contact sheet, --version and help VERB, messages from stdin and files,
// pictures to stdout, JPEG names, --pad and --box, and the warnings of a job.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <sstream>

#include "cli/cli.h"
#include "core/job_edits.h"
#include "core/project_file.h"
#include "imageio/bmp_file.h"
#include "imageio/file_bytes.h"
#include "imageio/gif_writer.h"
#include "imageio/image_by_name.h"
#include "imageio/png_file.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "test_support.h"

namespace vornel {
namespace {

using test::CliRun;
using Bytes = std::vector<std::uint8_t>;

// A style of one colour fill (0x00BBGGRR), opaque white background.
std::string fillStyle(std::uint32_t colour) {
  return ";Number of Effect : 1\r\nBackground 2 16777215 \r\nSingleColor 0 0 2 0 " +
         std::to_string(colour) + " 0 0 0 0 0 0 0\r\n\r\nend\r\n";
}

EffectRecord plainEffect() {
  EffectRecord fill;
  fill.type = kSingleColor;
  fill.param(5) = 2;
  return fill;
}

struct CliConventions : ::testing::Test {
  test::TempDir dir;
  std::string app = dir.file("app");

  void SetUp() override {
    std::filesystem::create_directory(app);
    writeFileAtomically(app + "/red.sty", fillStyle(0x0000FF), nullptr);
    writeFileAtomically(app + "/green.sty", fillStyle(0x00FF00), nullptr);
    writeFileAtomically(app + "/empty.sty", std::string("Background 2 16777215 \r\nend\r\n"),
                        nullptr);
  }
  CliRun verb(const std::string& name, std::vector<std::string> args, std::istream* in = nullptr,
              bool terminal = false) {
    args.insert(args.begin(), {name, "--app-dir", app});
    std::ostringstream out, err;
    int status = runCli(args, out, err, in, terminal);
    return {status, out.str(), err.str()};
  }
  // A BMP render of the options, its file's bytes (empty when it failed).
  Bytes bmp(std::vector<std::string> args, const std::string& name = "r") {
    args.insert(args.end(),
                {"--antialiasing", "0", "--opaque", "--type", "bmp", "-o", dir.file(name)});
    CliRun r = verb("render", args);
    EXPECT_EQ(r.status, kExitOk) << r.err;
    return test::readFileBytes(dir.file(name + ".bmp"));
  }
  DibImage picture(const Bytes& bytes) {
    DibImage image;
    EXPECT_EQ(decodeBmp(image, bytes.data(), bytes.size()), 1);
    return image;
  }
};

int lineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST_F(CliConventions, VersionHelpVerbAndTheNewOptionsInHelp) {
  EXPECT_EQ(test::runVornel({"--version"}).out, "vornel 1.0\n");
  EXPECT_EQ(test::runVornel({"help", "batch"}).out, test::runVornel({"batch", "--help"}).out);
  EXPECT_EQ(test::runVornel({"help", "nosuchverb"}).status, kExitUsage);
  for (const char* name : {"render", "batch", "size"}) {
    const std::string help = test::runVornel({name, "--help"}).out;
    for (const char* option : {"--pad", "--box W H [CW CH]", "--bulletin-box", "--bulletin-text",
                               "--template-font", "--template-font-height", "--style NAME"})
      EXPECT_NE(help.find(option), std::string::npos) << name << " " << option;
  }
  EXPECT_NE(test::runVornel({"render", "--help"}).out.find("--message-file"), std::string::npos);
  EXPECT_NE(test::runVornel({"batch", "--help"}).out.find("-q, --quiet"), std::string::npos);
  for (const char* name : {"styles", "examples", "sheet"})
    EXPECT_EQ(test::runVornel({name, "--help"}).status, kExitOk) << name;
}

TEST_F(CliConventions, StylesAreFoundByNameHereThenInTheProgramFolder) {
  const Bytes byPath = bmp({"--style", app + "/red.sty"}, "path");
  EXPECT_EQ(bmp({"--style", "red"}, "bare"), byPath);
  EXPECT_EQ(bmp({"--style", "red.sty"}, "ext"), byPath);
  // A style of that name in the current folder comes first.
  const std::string here = dir.file("here");
  std::filesystem::create_directory(here);
  writeFileAtomically(here + "/red.sty", fillStyle(0x00FF00), nullptr);
  int status = test::runInChild([&] {
    if (::chdir(here.c_str()) != 0) return 2;
    return bmp({"--style", "red"}, "local") == bmp({"--style", app + "/green.sty"}, "g") ? 0 : 1;
  });
  EXPECT_EQ(status, 0);

  EXPECT_EQ(verb("style", {"red"}).out, test::runVornel({"style", app + "/red.sty"}).out);

  CliRun r = verb("render", {"--style", "nope", "-o", dir.file("x")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(lineCount(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("looked for nope.sty in the current folder"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("program folder (" + app + "/)"), std::string::npos) << r.err;
  r = verb("render", {"--template-style", "nope", "-o", dir.file("x")});
  EXPECT_NE(r.err.find("style 'nope' not found"), std::string::npos) << r.err;
  r = verb("render", {"--project", "nope", "-o", dir.file("x")});
  EXPECT_NE(r.err.find("looked for nope.vrn"), std::string::npos) << r.err;
}

TEST_F(CliConventions, StylesAndExamplesAreListedOneALine) {
  CliRun r = verb("styles", {});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out,
            "empty            (no effects: draws nothing)\n"
            "green            Draw\n"
            "red              Draw\n");
  EXPECT_EQ(verb("examples", {}).status, kExitFailure);  // none in this folder
  VornelDocument doc;
  initializeDocument(doc);
  doc.layer(kMessageLayer).text = "Two\nlines";
  doc.layer(kTemplateLayer).kind = kLayerRoundBox;
  ASSERT_EQ(writeProject(doc, app + "/menu.vrn"), 0);
  r = verb("examples", {});
  EXPECT_EQ(r.out, "menu             \"Two\\nlines\"  template roundbox, bulletin none\n");
  EXPECT_EQ(test::runVornel({"styles", "--app-dir", dir.file("none")}).status, kExitFailure);
}

TEST_F(CliConventions, TheSheetShowsEveryStyleWithItsName) {
  CliRun r = verb("sheet", {"--message", "Ab", "-o", dir.file("sheet")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("sheet.png") + "\n");         // PNG by default
  EXPECT_NE(r.err.find("empty.sty"), std::string::npos);  // draws nothing: says so
  DibImage sheet;
  ASSERT_EQ(readImageByName(sheet, dir.file("sheet.png")), 1);
  RgbPicture rgb = sheet.toRgb();
  int red = 0, green = 0, nameInk = 0;
  for (std::size_t i = 0; i + 2 < rgb.rgb.size(); i += 3) {
    const int rr = rgb.rgb[i], gg = rgb.rgb[i + 1], bb = rgb.rgb[i + 2];
    red += rr > 200 && gg < 30 && bb < 30;
    green += gg > 200 && rr < 30 && bb < 30;
    nameInk += rr == 0x30 && gg == 0x30 && bb == 0x30;
  }
  EXPECT_GT(red, 100);
  EXPECT_GT(green, 100);
  EXPECT_GT(nameInk, 50);

  // A style whose tiles need larger text says so in its head, and the sheet shows it
  // at that size: twice the height, about four times the ink.
  writeFileAtomically(app + "/green.sty",
                      ";Tiles: 8 px squares, meant for 96 px and larger\r\n" + fillStyle(0x00FF00),
                      nullptr);
  ASSERT_EQ(verb("sheet", {"--message", "Ab", "-o", dir.file("big.png")}).status, kExitOk);
  ASSERT_EQ(readImageByName(sheet, dir.file("big.png")), 1);
  rgb = sheet.toRgb();
  int bigGreen = 0;
  for (std::size_t i = 0; i + 2 < rgb.rgb.size(); i += 3)
    bigGreen += rgb.rgb[i + 1] > 200 && rgb.rgb[i] < 30 && rgb.rgb[i + 2] < 30;
  EXPECT_GT(bigGreen, 3 * green);
  EXPECT_EQ(verb("sheet", {"--type", "bmp", "-o", dir.file("s.png")}).out,
            dir.file("s.bmp") + "\n");
}

TEST_F(CliConventions, DefaultsANewUserMeets) {
  // No style and no project: one warning, and the message drawn in a plain dark fill.
  CliRun r = verb("render", {"--type", "bmp", "--opaque", "-o", dir.file("plain")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(lineCount(r.err), 1) << r.err;
  EXPECT_NE(r.err.find("warning: no --style"), std::string::npos) << r.err;
  DibImage plain = picture(test::readFileBytes(dir.file("plain.bmp")));
  RgbPicture rgb = plain.toRgb();
  int dark = 0;
  for (std::size_t i = 0; i + 2 < rgb.rgb.size(); i += 3) dark += rgb.rgb[i] < 0x40;
  EXPECT_GT(dark, 20);
  // A height alone gives the face's natural width, not the start-up width of 10.
  const DibImage natural = picture(bmp({"--style", "red", "--font-height", "-40"}, "n"));
  EXPECT_EQ(bmp({"--style", "red", "--font-height", "-40", "--font-width", "0"}, "z"),
            bmp({"--style", "red", "--font-height", "-40"}, "n2"));
  EXPECT_GT(
      natural.width(),
      picture(bmp({"--style", "red", "--font-height", "-40", "--font-width", "10"}, "w")).width() *
          3 / 2);
  // A style without effects, and transparency asked of JPEG, are said.
  r = verb("render", {"--style", "empty", "--transparent", "-o", dir.file("t.jpg")});
  EXPECT_NE(r.err.find("holds no effects"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("warning: JPEG has no transparency"), std::string::npos) << r.err;
  r = verb("render", {"--style", "red", "--transparent", "-o", dir.file("t.png")});
  EXPECT_EQ(r.err, "");
}

TEST_F(CliConventions, PadShiftsTheMessageByItsMargin) {
  const std::vector<std::string> job = {"--style", "red", "--message", "Fj"};
  DibImage tight = picture(bmp(job, "tight"));
  std::vector<std::string> padded = job;
  padded.insert(padded.end(), {"--pad", "5"});
  DibImage wide = picture(bmp(padded, "wide"));
  // Ten more pixels each way, the sides rounded down to multiples of 4 as every canvas.
  for (int grown : {wide.width() - tight.width(), wide.height() - tight.height()})
    EXPECT_TRUE(grown == 8 || grown == 12) << grown;
  DibRowAccess t(tight), w(wide);
  for (int y = 0; y < wide.height(); ++y)
    for (int x = 0; x < wide.width(); ++x) {
      const int ty = y - 5, tx = x - 5;
      const bool inside = ty >= 0 && tx >= 0 && ty < tight.height() && tx < tight.width();
      const std::uint8_t expected = inside ? t[ty][tx * 3 + 2] : 0xFE;  // red; white margin
      ASSERT_EQ(w[y][x * 3 + 2], expected) << x << "," << y;
    }
  EXPECT_EQ(verb("render", {"--pad", "-1", "-o", dir.file("x")}).status, kExitUsage);
}

// The pad is margin, not message: a round-box Bulletin keeps its size and its distance
// from the text.
TEST(MessagePad, LeavesTheBulletinAsItWas) {
  test::ScriptedHost host;
  Engine engine(host);
  test::TempDir dir;
  test::startWindowEngine(engine, dir);
  VornelDocument& doc = engine.doc;
  doc.layer(kMessageLayer).effects = {plainEffect()};
  ASSERT_TRUE(editLayerKind(doc, kBulletinLayer, kLayerRoundBox));
  struct Placed {
    int boxWidth, boxHeight, gap;
  };
  auto place = [&](int pad) {
    editMessagePad(doc, pad);
    EXPECT_TRUE(renderJob(engine));
    const LayerRecord& b = doc.layer(kBulletinLayer);
    const LayerRecord& m = doc.layer(kMessageLayer);
    return Placed{b.box[0], b.box[1], m.textOriginX - (b.x + b.width)};
  };
  const Placed tight = place(0), padded = place(12);
  EXPECT_NEAR(padded.boxWidth, tight.boxWidth, 2);
  EXPECT_NEAR(padded.boxHeight, tight.boxHeight, 2);
  EXPECT_EQ(padded.gap, tight.gap);
}

TEST_F(CliConventions, BoxGivesTheTemplateItsFactors) {
  VornelDocument doc;
  initializeDocument(doc);
  ASSERT_EQ(writeProject(doc, dir.file("plain.vrn")), 0);
  doc.layer(kTemplateLayer).kind = kLayerRoundBox;
  doc.templateFactors = {1500, 2000, 300, 400};
  ASSERT_EQ(writeProject(doc, dir.file("boxed.vrn")), 0);
  const std::vector<std::string> styles = {"--style", "red", "--template-style", "green"};
  std::vector<std::string> a = styles, b = styles;
  a.insert(a.end(), {"--project", dir.file("boxed.vrn")});
  b.insert(b.end(), {"--project", dir.file("plain.vrn"), "--box", "1500", "2000", "300", "400"});
  EXPECT_EQ(bmp(a, "a"), bmp(b, "b"));
  for (std::vector<std::string> bad : {std::vector<std::string>{"--box", "5"},
                                       {"--box", "1", "2", "3"},
                                       {"--box", "1", "-2"},
                                       {"--bulletin-box", "x", "y"}}) {
    bad.insert(bad.end(), {"-o", dir.file("x")});
    EXPECT_EQ(verb("render", bad).status, kExitUsage) << bad[1];
  }
}

TEST_F(CliConventions, MessagesFromStandardInputAndFiles) {
  const Bytes direct = bmp({"--style", "red", "--message", "Hi\nyou"}, "direct");
  test::writeFileBytes(dir.file("m.txt"), {'H', 'i', '\r', '\n', 'y', 'o', 'u', '\r', '\n'});
  EXPECT_EQ(bmp({"--style", "red", "--message-file", dir.file("m.txt")}, "file"), direct);
  std::istringstream in("Hi\nyou\n");
  CliRun r = verb("render",
                  {"--style", "red", "--message", "-", "--antialiasing", "0", "--opaque", "--type",
                   "bmp", "-o", dir.file("stdin")},
                  &in);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(test::readFileBytes(dir.file("stdin.bmp")), direct);

  test::writeFileBytes(dir.file("empty.txt"), {'\n', '\n'});
  test::writeFileBytes(dir.file("latin1.txt"), {'C', 'a', 'f', 0xE9});
  for (auto [file, says] : {std::pair{"empty.txt", "no message"}, {"latin1.txt", "not UTF-8"}}) {
    r = verb("render", {"--message-file", dir.file(file), "-o", dir.file("x")});
    EXPECT_EQ(r.status, kExitFailure) << file;
    EXPECT_NE(r.err.find(says), std::string::npos) << r.err;
  }
  std::istringstream nothing("");
  r = verb("render", {"--message", "-", "-o", dir.file("x")}, &nothing);
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("standard input: no message"), std::string::npos) << r.err;
}

TEST_F(CliConventions, PicturesToStandardOutputAndJpegNames) {
  CliRun r = verb("render", {"--style", "red", "--transparent", "--type", "png", "-o", "-"});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  ASSERT_EQ(verb("render", {"--style", "red", "--transparent", "-o", dir.file("f.png")}).status,
            kExitOk);
  EXPECT_EQ(Bytes(r.out.begin(), r.out.end()), test::readFileBytes(dir.file("f.png")));
  EXPECT_EQ(verb("render", {"-o", "-"}).status, kExitUsage);  // the type must be given
  EXPECT_EQ(verb("render", {"--type", "png", "--pressed", "-o", "-"}).status, kExitUsage);

  r = verb("render", {"--style", "red", "--pressed", "-o", dir.file("photo.jpeg")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out, dir.file("photo.jpeg") + "\n" + dir.file("photo_.jpeg") + "\n");
  r = verb("render", {"--style", "red", "-o", dir.file("p.JPE")});
  EXPECT_EQ(r.out, dir.file("p.JPE") + "\n");
  const Bytes jpeg = test::readFileBytes(dir.file("p.JPE"));
  ASSERT_GE(jpeg.size(), 2u);
  EXPECT_EQ(jpeg[0], 0xFF);
  EXPECT_EQ(jpeg[1], 0xD8);
}

TEST_F(CliConventions, InfoGivesAGifItsColourTableDepth) {
  // A 2 x 1 picture over a 4-entry table: 2 bits, whatever it decodes to.
  const std::uint8_t pixels[2] = {0, 3}, reds[4] = {0, 1, 2, 3}, greens[4] = {}, blues[4] = {};
  Bytes gif;
  ASSERT_TRUE(encodeGif(pixels, 2, 1, 0, -1, 2, reds, greens, blues, gif));
  test::writeFileBytes(dir.file("four.gif"), gif);
  EXPECT_EQ(test::runVornel({"info", dir.file("four.gif")}).out, "2x1 2-bit\n");
}

TEST_F(CliConventions, BatchChecksEveryTargetFirst) {
  test::writeFileBytes(dir.file("list.txt"), {'A', '\n', '\n', 'B', '\n', 'C'});
  test::writeFileBytes(dir.file("nav1.bmp"), {'o', 'l', 'd'});
  CliRun r = verb("batch", {dir.file("list.txt"), "--style", "red", "-o", dir.file("nav.bmp")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_EQ(r.err, "vornel batch: " + dir.file("nav1.bmp") +
                       " exists; nothing written (--yes overwrites)\n");
  EXPECT_FALSE(fileExists(dir.file("nav0.bmp")));
  EXPECT_EQ(test::readFileBytes(dir.file("nav1.bmp")).size(), 3u);

  // -q: nothing printed; three messages from the text list (the blank line skipped).
  r = verb("batch", {dir.file("list.txt"), "--style", "red", "-q", "--yes", "-o", dir.file("nav")});
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_TRUE(fileExists(dir.file("nav2.jpg")));
  EXPECT_FALSE(fileExists(dir.file("nav3.jpg")));
  r = verb("batch",
           {dir.file("list.txt"), "--style", "red", "--pressed", "-o", dir.file("j.jpeg")});
  EXPECT_EQ(r.out, dir.file("j0.jpeg") + "\n" + dir.file("j0_.jpeg") + "\n" + dir.file("j1.jpeg") +
                       "\n" + dir.file("j1_.jpeg") + "\n" + dir.file("j2.jpeg") + "\n" +
                       dir.file("j2_.jpeg") + "\n");

  // On a terminal: a progress line written over itself, then the summary.
  r = verb("batch", {dir.file("list.txt"), "--style", "red", "--yes", "-o", dir.file("nav")},
           nullptr, true);
  ASSERT_EQ(r.status, kExitOk) << r.err;
  EXPECT_NE(r.out.find("\r[1/3] " + dir.file("nav0.jpg")), std::string::npos) << r.out;
  EXPECT_NE(
      r.out.find("\r3 files written: " + dir.file("nav0.jpg") + " ... " + dir.file("nav2.jpg")),
      std::string::npos)
      << r.out;
  EXPECT_EQ(lineCount(r.out), 1);

  test::writeFileBytes(dir.file("none.blt"), {'<', '<', 'e', 'n', 'd', '>', '>'});
  r = verb("batch", {dir.file("none.blt"), "-o", dir.file("z")});
  EXPECT_EQ(r.status, kExitFailure);
  EXPECT_NE(r.err.find("no entries"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace vornel
