#include "core/project_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/style_file.h"
#include "test_support.h"

namespace vornel {
namespace {

VornelDocument freshDoc() {
  VornelDocument doc;
  initializeDocument(doc);
  return doc;
}

std::string fileText(const std::string& path) {
  std::vector<std::uint8_t> bytes = test::readFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

VornelDocument readText(const std::string& text, VornelDocument doc = freshDoc()) {
  TextReader in(text);
  readProjectFrom(in, doc);
  return doc;
}

std::string block(const std::string& header, const std::string& style = "end\n") {
  return ";save draw vornel list\n" + header + "end\n" + style;
}

void expectSameLayers(const VornelDocument& a, const VornelDocument& b) {
  for (int i = 0; i < 3; ++i) {
    const LayerRecord& x = a.layer(i);
    const LayerRecord& y = b.layer(i);
    EXPECT_EQ(x.kind, y.kind) << i;
    EXPECT_EQ(x.text, y.text) << i;
    EXPECT_TRUE(x.font == y.font) << i;
    EXPECT_EQ(x.fontWidth, y.fontWidth) << i;
    EXPECT_EQ(x.stretchedFontWidth, y.stretchedFontWidth) << i;
    EXPECT_EQ(std::vector<int>(x.box + 4, x.box + 6), std::vector<int>(y.box + 4, y.box + 6));
    ASSERT_EQ(x.effects.size(), y.effects.size()) << i;
    for (std::size_t k = 0; k < x.effects.size(); ++k)
      EXPECT_EQ(std::memcmp(&x.effects[k], &y.effects[k], sizeof(EffectRecord)), 0) << i;
  }
  EXPECT_EQ(a.projectBackgroundMode, b.projectBackgroundMode);
  EXPECT_EQ(a.projectBackgroundColor, b.projectBackgroundColor);
  EXPECT_EQ(a.projectBackgroundBitmap, b.projectBackgroundBitmap);
}

TEST(ProjectFile, StartUpJobSavedAsXWritesThreeBlocks) {
  test::TempDir dir;
  VornelDocument doc = freshDoc();
  doc.projectModified = doc.outputStale = true;
  ASSERT_EQ(writeProject(doc, dir.file("x")), 0);
  EXPECT_EQ(doc.projectName, dir.file("x.vrn"));
  EXPECT_FALSE(doc.projectModified);
  EXPECT_FALSE(doc.outputStale);
  EXPECT_EQ(projectFileName("a.txt"), "a.vrn");
  EXPECT_EQ(projectFileName("pic"), "pic.vrn");

  const std::string message =
      ";save draw vornel list\r\ntype 0\r\nmessage\r\nHello Vornel!\r\n<br>\r\n"
      "param 950 950 100 100 0 0\r\nfont 20 10 0 0 0 0 0 0\r\nArial\r\nfmoreinfo 0 0\r\n"
      "Background 1 16777215 \r\nend\r\n;Number of Effect : 0\r\nBackground 1 16777215 \r\n"
      "end\r\n";
  const std::string none = ";save draw vornel list\r\ntype 2\r\nmessage\r\na\r\n<br>\r\n";
  std::string text = fileText(dir.file("x.vrn"));
  ASSERT_EQ(text.find(none), 0u);
  // Template and Bulletin blocks are alike, the Message block ends the file.
  const std::size_t second = text.find(none, 1);
  EXPECT_EQ(text.substr(0, second), text.substr(second, second));
  ASSERT_EQ(2 * second + message.size(), text.size());
  EXPECT_EQ(text.substr(text.size() - message.size()), message);

  VornelDocument back = freshDoc();
  back.layer(kMessageLayer).text = "other";
  ASSERT_EQ(readProject(back, dir.file("x.vrn")), 0);
  expectSameLayers(doc, back);
  EXPECT_EQ(back.projectName, dir.file("x.vrn"));
  EXPECT_TRUE(back.templateStyleModified && back.bulletinStyleModified &&
              back.messageStyleModified);
  EXPECT_EQ(back.layer(kMessageLayer).styleName, "");
}

TEST(ProjectFile, ReadsTheWorkedExamples) {
  VornelDocument doc = freshDoc();
  doc.layer(kMessageLayer).font.lfEscapement = 5;
  doc.layer(kMessageLayer).font.lfUnderline = 1;
  doc = readText(
      block("type 1\nparam 800 600 50 50 7 8\nBackground 3 255 wall.bmp\n") +
          block("type 3\nfmoreinfo 12 34\n", "Fog 1 2 3 4 5 6 7 8 9 10 11 12\ntex.gif \nend\n") +
          block("font -27 0 700 1 129 3 1 34\nMS Gothic\nmessage\nA\nB\n<br>\n",
                "Background 5 99 ignored.bmp\nend\n"),
      doc);
  EXPECT_EQ(doc.layer(kTemplateLayer).kind, kLayerRoundBox);
  EXPECT_EQ(doc.templateFactors.width, 800);
  EXPECT_EQ(doc.templateFactors.height, 600);
  EXPECT_EQ(doc.templateFactors.cornerWidth, 50);
  EXPECT_EQ(doc.templateFactors.cornerHeight, 50);
  EXPECT_EQ(doc.layer(kTemplateLayer).box[5], 8);
  EXPECT_EQ(doc.layer(kBulletinLayer).fontWidth, 12);
  EXPECT_EQ(doc.layer(kBulletinLayer).stretchedFontWidth, 34);
  ASSERT_EQ(doc.layer(kBulletinLayer).effects.size(), 1u);
  EXPECT_EQ(doc.layer(kBulletinLayer).effects[0].texture(), "tex.gif");
  LogFont expected;
  expected.lfHeight = -27;
  expected.lfWeight = 700;
  expected.lfItalic = 1;
  expected.lfCharSet = 129;
  expected.lfOutPrecision = 3;
  expected.lfQuality = 1;
  expected.lfPitchAndFamily = 34;
  expected.setFaceName("MS Gothic");
  EXPECT_TRUE(doc.layer(kMessageLayer).font == expected);
  EXPECT_EQ(doc.layer(kMessageLayer).text, "A\nB");
  // The project background wins over the styles' lines in the working set.
  EXPECT_EQ(doc.ws.backgroundMode, 3);
  EXPECT_EQ(doc.ws.backgroundColor, 255u);
  EXPECT_EQ(doc.ws.backgroundBitmap, "wall.bmp");
}

TEST(ProjectFile, WindowsLineEndsReadTheSame) {
  const std::string lf = block("type 0\nmessage\nHome\n\nPage\n<br>\nfont 1 2 3 4 5 6 7 8\nF\n");
  std::string windows;
  bool inMessage = false;
  for (std::size_t i = 0; i < lf.size(); ++i) {
    if (lf.compare(i, 8, "message\n") == 0) inMessage = true;
    if (lf.compare(i, 5, "<br>\n") == 0) inMessage = false;
    if (lf[i] == '\n') windows += inMessage && lf.compare(i, 9, "\nmessage") != 0 ? "\r\r" : "\r";
    windows += lf[i];
  }
  ASSERT_NE(windows.find("Home\r\r\n\r\r\nPage"), std::string::npos);
  VornelDocument a = readText(lf + lf + lf), b = readText(windows + windows + windows);
  EXPECT_EQ(a.layer(kMessageLayer).text, "Home\n\nPage");
  EXPECT_EQ(a.layer(kMessageLayer).font.faceName(), "F");
  expectSameLayers(a, b);
}

TEST(ProjectFile, BadInputGivesADefinedResult) {
  // A text that never closes takes the rest of the file, cut to 299 bytes on a character
  // boundary; face names are cut to 31 bytes the same way; bytes are clamped.
  std::string euro;
  for (int i = 0; i < 200; ++i) euro += "\xE2\x82\xAC";
  VornelDocument doc = readText(block("font 1 2 3 -4 300 0 0 0\n" + euro + "\nmessage\n" + euro));
  const LayerRecord& t = doc.layer(kTemplateLayer);
  EXPECT_EQ(t.text, euro.substr(0, 297));
  EXPECT_EQ(t.font.faceName(), euro.substr(0, 30));
  EXPECT_EQ(t.font.lfItalic, 0);
  EXPECT_EQ(t.font.lfCharSet, 255);
  // The blocks that never came keep their layers.
  EXPECT_EQ(doc.layer(kMessageLayer).text, "Hello Vornel!");
  EXPECT_EQ(doc.layer(kMessageLayer).font.faceName(), "Arial");

  // A line of 299 characters arrives as one piece, so a "<br>" right after it on the
  // same line starts a piece of its own and ends the text: no line break precedes the
  // marker and the text keeps its last character. A 299-character line with its own
  // line break loses only that break.
  const std::string long299 = std::string(298, 'x') + "y";
  doc = readText(block("message\n" + long299 + "<br>\n"));
  EXPECT_EQ(doc.layer(kTemplateLayer).text, long299);
  doc = readText(block("message\n" + long299 + "\n<br>\n"));
  EXPECT_EQ(doc.layer(kTemplateLayer).text, long299);
  doc = readText(block("message\nab\n" + long299 + "<br>\n"));
  EXPECT_EQ(doc.layer(kTemplateLayer).text, ("ab\n" + long299).substr(0, 299));
  // A NUL byte ends its line there, line break included, as in a C string.
  doc = readText(block(std::string("message\nHel\0lo\nworld\n<br>\nfont 3\nAri\0al\n", 40)));
  EXPECT_EQ(doc.layer(kTemplateLayer).text, "Helworld");
  EXPECT_EQ(doc.layer(kTemplateLayer).font.faceName(), "Ari");
  doc = readText(block(std::string("message\nab\0\n<br>\n", 17)));
  EXPECT_EQ(doc.layer(kTemplateLayer).text, "ab");
  // A face name in code page 949 (the Korean charset 129) keeps the 31 bytes that fit,
  // although UTF-8 would call most of them continuation bytes.
  std::string gulim;
  for (int i = 0; i < 10; ++i) gulim += "\xB1\xBC\xB8\xB2";
  doc = readText(block("font -12 0 400 0 129 0 0 0\n" + gulim + "\n"));
  EXPECT_EQ(doc.layer(kTemplateLayer).font.faceName(), gulim.substr(0, 31));

  // A face name on the last line, with no line break, loses nothing.
  doc = readText("font 5\nTimes");
  EXPECT_EQ(doc.layer(kTemplateLayer).font.faceName(), "Times");
  EXPECT_EQ(doc.layer(kTemplateLayer).font.lfHeight, 5);

  // Every truncation of a real file reads without harm.
  VornelDocument full = freshDoc();
  full.layer(kMessageLayer).effects.resize(3);
  full.layer(kMessageLayer).text = "two\nlines";
  std::string text;
  writeProjectTo(text, full);
  for (std::size_t n = 0; n <= text.size(); ++n) readText(text.substr(0, n));
}

TEST(ProjectFile, RandomProjectsSurviveRepeatedRoundTrips) {
  test::TestRandom rnd(5);
  test::TempDir dir;
  auto randomText = [&](int maxLen) {
    std::string s;
    int len = rnd.below(maxLen + 1);
    const char* pieces[] = {"a", "Z", " ", "\n", "\xC3\xA9", "<", "\\", "1"};
    while (static_cast<int>(s.size()) < len) s += pieces[rnd.below(8)];
    return s;
  };
  for (int round = 0; round < 150; ++round) {
    VornelDocument doc = freshDoc();
    for (int i = 0; i < 3; ++i) {
      LayerRecord& layer = doc.layer(i);
      layer.kind = rnd.below(4);
      layer.text = cutUtf8(randomText(299), kMaxTextBytes);
      for (auto& b : layer.box) b = static_cast<std::int32_t>(rnd.next());
      layer.font = LogFont{};
      layer.font.lfHeight = static_cast<std::int32_t>(rnd.next());
      layer.font.lfWidth = static_cast<std::int32_t>(rnd.next());
      layer.font.lfWeight = rnd.below(1000);
      layer.font.lfItalic = static_cast<std::uint8_t>(rnd.next());
      layer.font.lfCharSet = static_cast<std::uint8_t>(rnd.next());
      layer.font.lfOutPrecision = static_cast<std::uint8_t>(rnd.next());
      layer.font.lfQuality = static_cast<std::uint8_t>(rnd.next());
      layer.font.lfPitchAndFamily = static_cast<std::uint8_t>(rnd.next());
      std::string face = randomText(40);
      for (char& c : face)
        if (c == '\n') c = '_';
      layer.font.setFaceName(face);
      layer.fontWidth = static_cast<std::int32_t>(rnd.next());
      layer.stretchedFontWidth = static_cast<std::int32_t>(rnd.next());
      layer.effects.resize(static_cast<std::size_t>(rnd.below(6)));
      for (EffectRecord& r : layer.effects) {
        r.type = rnd.below(kEffectTypeCount);
        for (auto& p : r.p) p = static_cast<std::int32_t>(rnd.next());
        r.setTexture(rnd.below(2) ? "t" + std::to_string(rnd.next()) + ".gif" : "");
      }
    }
    doc.projectBackgroundMode = 1 + rnd.below(5);
    doc.projectBackgroundColor = rnd.next();
    doc.projectBackgroundBitmap = rnd.below(2) ? "b" + std::to_string(rnd.next()) : "";
    // The first block's param line carries the Template's factors.
    doc.templateFactors = {doc.layer(0).box[0], doc.layer(0).box[1], doc.layer(0).box[2],
                           doc.layer(0).box[3]};
    const bool viaFile = round % 30 == 0;
    VornelDocument back = freshDoc();
    if (viaFile) {
      ASSERT_EQ(writeProject(doc, dir.file("p.vrn")), 0);
      ASSERT_EQ(readProject(back, dir.file("p.vrn")), 0);
    } else {
      std::string text;
      writeProjectTo(text, doc);
      back = readText(text);
    }
    SCOPED_TRACE(round);
    expectSameLayers(doc, back);
    EXPECT_EQ(back.templateFactors.width, doc.templateFactors.width);
    EXPECT_EQ(back.templateFactors.cornerHeight, doc.templateFactors.cornerHeight);
    EXPECT_EQ(back.layer(0).box[1], doc.layer(0).box[1]);
  }
}

TEST(ProjectFile, FailedWriteChangesNothing) {
  test::TempDir dir;
  VornelDocument doc = freshDoc();
  doc.projectModified = true;
  doc.layer(kTemplateLayer).effects.resize(4);
  doc.ws.effects.resize(1);
  std::filesystem::create_directory(dir.file("taken.vrn"));
  EXPECT_EQ(writeProject(doc, dir.file("taken")), -1);
  EXPECT_EQ(writeProject(doc, dir.file("gone/p.vrn")), -1);
  EXPECT_TRUE(doc.projectModified);
  EXPECT_EQ(doc.projectName, "");
  EXPECT_EQ(doc.ws.effects.size(), 1u);
  EXPECT_EQ(readProject(doc, dir.file("gone/p.vrn")), -1);
  EXPECT_EQ(doc.layer(kTemplateLayer).effects.size(), 4u);

  // Save Project reports it; the previous file stays byte for byte.
  test::ScriptedHost host;
  ASSERT_EQ(writeProject(doc, dir.file("good")), 0);
  const std::vector<std::uint8_t> old = test::readFileBytes(dir.file("good.vrn"));
  std::filesystem::remove(dir.file("good.vrn"));
  std::filesystem::create_directory(dir.file("good.vrn"));
  EXPECT_FALSE(saveProject(doc, host));
  EXPECT_EQ(host.messages.back().text, "Cannot save file!");
  std::filesystem::remove(dir.file("good.vrn"));
  test::writeFileBytes(dir.file("good.vrn"), old);
  doc.layer(kMessageLayer).text = "changed";
  doc.projectName = dir.file("nowhere/good.vrn");
  EXPECT_FALSE(saveProject(doc, host));
  EXPECT_EQ(test::readFileBytes(dir.file("good.vrn")), old);
}

TEST(ProjectFile, PromptsAndExamples) {
  test::TempDir dir;
  VornelDocument doc = freshDoc();
  test::ScriptedHost host;
  doc.projectModified = true;
  host.answers = {MsgAnswer::Cancel};
  EXPECT_EQ(openProject(doc, host), OpenProjectResult::Cancelled);
  EXPECT_EQ(host.messages[0].text, "Save change to Untitled.vrn");
  EXPECT_EQ(host.messages[0].caption, "Warning!");
  EXPECT_EQ(host.messages[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_TRUE(doc.projectModified);
  EXPECT_TRUE(host.dialogs.empty());

  // Yes with no name: Save Project As, then the open dialog.
  host.answers = {MsgAnswer::Yes};
  host.saveAnswers = {dir.file("saved")};
  host.openAnswers = {dir.file("saved.vrn")};
  EXPECT_EQ(openProject(doc, host), OpenProjectResult::Read);
  ASSERT_EQ(host.dialogs.size(), 2u);
  EXPECT_EQ(host.dialogs[0].filter, "Vornel File(*.vrn)|*.vrn|All Files(*.*)|*.*||");
  EXPECT_EQ(host.dialogs[0].proposedName, "Untitled.vrn");
  EXPECT_TRUE(host.dialogs[0].askOverwrite);
  EXPECT_EQ(doc.projectName, dir.file("saved.vrn"));

  // An example drawn at -60 is halved, all three layers alike.
  VornelDocument big = freshDoc();
  big.layer(kMessageLayer).font.lfHeight = -60;
  big.layer(kMessageLayer).font.lfWidth = 25;
  big.layer(kTemplateLayer).font.lfHeight = 45;
  ASSERT_EQ(writeProject(big, dir.file("ex.vrn")), 0);
  doc.appDirectory = dir.path() + "/";
  EXPECT_EQ(openExampleProject(doc, host, "ex.vrn"), OpenProjectResult::Read);
  EXPECT_EQ(doc.layer(kMessageLayer).font.lfHeight, -30);
  EXPECT_EQ(doc.layer(kMessageLayer).font.lfWidth, 12);
  EXPECT_EQ(doc.layer(kTemplateLayer).font.lfHeight, 22);
  EXPECT_EQ(doc.layer(kBulletinLayer).font.lfWidth, 5);
  EXPECT_EQ(openExampleProject(doc, host, "missing.vrn"), OpenProjectResult::Failed);
}

}  // namespace
}  // namespace vornel
