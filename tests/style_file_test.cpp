#include "core/style_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/style_choice.h"
#include "imageio/utf8.h"
#include "test_support.h"

namespace vornel {
namespace {

VornelDocument freshDoc() {
  VornelDocument doc;
  initializeDocument(doc);
  return doc;
}

// Reads text as a style into a fresh job (or the given one).
VornelDocument readText(const std::string& text, VornelDocument doc = freshDoc()) {
  TextReader in(text);
  readStyleFrom(in, doc);
  return doc;
}

std::vector<std::string> pieces(const std::string& text) {
  TextReader in(text);
  std::vector<std::string> out;
  std::string piece;
  while (in.readLine(piece)) out.push_back(piece);
  return out;
}

std::vector<std::int32_t> params(const EffectRecord& r) {
  return std::vector<std::int32_t>(std::begin(r.p), std::end(r.p));
}

TEST(TextReader, LineEndsAndPieces) {
  using V = std::vector<std::string>;
  EXPECT_EQ(pieces("a\nb\r\nc\r\r\nd"), (V{"a\n", "b\n", "c\n", "d"}));
  // A lone CR is text.
  EXPECT_EQ(pieces("x\ry\n\n"), (V{"x\ry\n", "\n"}));
  // A NUL byte ends the piece's content, line break included, as it ends a C string;
  // the bytes after it still count toward the piece's 299.
  EXPECT_EQ(pieces(std::string("a\0b\nc\n", 6)), (V{"a", "c\n"}));
  EXPECT_EQ(pieces(std::string("\0\r\nz", 4)), (V{"", "z"}));
  EXPECT_EQ(pieces("a" + std::string(1, '\0') + std::string(400, 'b') + "\n"),
            (V{"a", std::string(103, 'b') + "\n"}));
  // A long line arrives in pieces of at most 299 characters, the line break counted.
  V long3 = pieces(std::string(700, 'q') + "\r\nz");
  ASSERT_EQ(long3.size(), 4u);
  EXPECT_EQ(long3[0], std::string(299, 'q'));
  EXPECT_EQ(long3[1], std::string(299, 'q'));
  EXPECT_EQ(long3[2], std::string(102, 'q') + "\n");
  // Exactly 299 characters: the line break does not fit and comes as an empty line.
  EXPECT_EQ(pieces(std::string(299, 'w') + "\n"), (V{std::string(299, 'w'), "\n"}));
}

// A cut steps back only over the bytes of a well-formed UTF-8 character that it would
// split; names in other encodings (Latin-1, code page 949) keep every byte that fits.
TEST(TextReader, Utf8CutKeepsEveryByteOfOtherEncodings) {
  const std::string a30(30, 'a');
  EXPECT_EQ(cutUtf8(a30 + "\xE2\x82\xAC", 31), a30);  // a split euro sign goes
  EXPECT_EQ(cutUtf8(a30 + "\xE2\x82\xAC", 33), a30 + "\xE2\x82\xAC");
  EXPECT_EQ(cutUtf8("\xF0\x9F\x98\x80!", 3), "");                      // a split 4-byte character
  EXPECT_EQ(cutUtf8(a30 + "\xC3\xA9", 31), a30);                       // and a split 2-byte one
  EXPECT_EQ(cutUtf8(a30 + "\xE2\x82zz", 31), a30 + "\xE2");            // no third byte: not UTF-8
  EXPECT_EQ(cutUtf8(a30 + "\xC0\x80", 31), a30 + "\xC0");              // overlong
  EXPECT_EQ(cutUtf8(a30 + "\xED\xA0\x80", 31), a30 + "\xED");          // a surrogate
  EXPECT_EQ(cutUtf8(a30 + "\xF4\x90\x80\x80", 32), a30 + "\xF4\x90");  // past U+10FFFF
  // Latin-1 degree signs and code page 949 Hangul are runs of bytes that UTF-8 would
  // call continuation bytes: the cut keeps all that fit.
  EXPECT_EQ(cutUtf8(std::string(40, '\xB0'), 31), std::string(31, '\xB0'));
  std::string gulim;
  for (int i = 0; i < 10; ++i) gulim += "\xB1\xBC\xB8\xB2";
  EXPECT_EQ(cutUtf8(gulim, 31), gulim.substr(0, 31));
  EXPECT_EQ(cutUtf8("caf\xE9s", 4), "caf\xE9");
}

TEST(TextReader, ScannerClampsAndStopsAtTheFirstBadField) {
  FieldScanner scan("w 12 -7 99999999999 -99999999999 +3 x 5");
  std::string word;
  std::int32_t a = 0, b = 0, c = 0, d = 0, e = 0, f = 42, g = 43;
  EXPECT_TRUE(scan.word(word));
  EXPECT_EQ(word, "w");
  EXPECT_TRUE(scan.integer(a) && scan.integer(b) && scan.integer(c) && scan.integer(d) &&
              scan.integer(e));
  EXPECT_EQ(std::vector<std::int32_t>({a, b, c, d, e}),
            (std::vector<std::int32_t>{12, -7, 2147483647, -2147483647 - 1, 3}));
  EXPECT_FALSE(scan.integer(f));
  EXPECT_FALSE(scan.integer(g));  // the 5 after the failed field is not reached
  EXPECT_EQ(f, 42);
  EXPECT_EQ(g, 43);
  std::uint8_t byte = 7;
  FieldScanner bytes("-5 300");
  EXPECT_TRUE(bytes.byteValue(byte));
  EXPECT_EQ(byte, 0);
  EXPECT_TRUE(bytes.byteValue(byte));
  EXPECT_EQ(byte, 255);
  EXPECT_EQ(withExtension("a.txt", ".vrn"), "a.vrn");
  EXPECT_EQ(withExtension("pic", ".vrn"), "pic.vrn");
  EXPECT_EQ(withExtension(".sty", ".blt"), ".blt");
  EXPECT_EQ(withExtension("a.b", ".blt"), "a.b.blt");
}

TEST(StyleFile, WritesTheFiveLineExample) {
  VornelDocument doc = freshDoc();
  doc.ws.effects.push_back(EffectRecord{});
  doc.ws.effects[0].param(1) = 255;
  doc.ws.styleModified = true;
  std::string text;
  writeStyleTo(text, doc);
  EXPECT_EQ(text,
            ";Number of Effect : 1\r\nBackground 1 16777215 \r\n"
            "SingleColor 0 0 0 0 255 0 0 0 0 0 0 0\r\n\r\nend\r\n");
  EXPECT_FALSE(doc.ws.styleModified);
}

TEST(StyleFile, ReadsTheWorkedExamples) {
  VornelDocument doc = readText(
      "Tile2 1 2 3 4 5 6 7 8 9 10 11 12\n\n"
      " Tile 1 2 3 4 5 6 7 8 9 10 11 12\n"
      "OutLine 4 -3 2 0 16711680 0 0 0 0 0 0 0\n"
      "  rock.gif  \n"
      "endless\n"
      "SingleColor 0 0 0 0 0 0 0 0 0 0 0 0\n\n");
  ASSERT_EQ(doc.ws.effects.size(), 2u);
  EXPECT_EQ(doc.ws.effects[0].type, kTile);
  // Line order p3 p4 p5 p6 p1 p2 p7..p12 back into record order.
  EXPECT_EQ(params(doc.ws.effects[0]),
            (std::vector<std::int32_t>{5, 6, 1, 2, 3, 4, 7, 8, 9, 10, 11, 12}));
  const EffectRecord& outline = doc.ws.effects[1];
  EXPECT_EQ(outline.type, kOutLine);
  EXPECT_EQ(params(outline),
            (std::vector<std::int32_t>{0xFF0000, 0, 4, -3, 2, 0, 0, 0, 0, 0, 0, 0}));
  // Only the blanks before the line break go; leading ones belong to the name.
  EXPECT_EQ(outline.texture(), "  rock.gif");

  doc.ws.backgroundBitmap = "paper.bmp";
  doc = readText("Background 2 255\nend\n", doc);
  EXPECT_EQ(doc.ws.backgroundMode, 2);
  EXPECT_EQ(doc.ws.backgroundColor, 255u);
  EXPECT_EQ(doc.ws.backgroundBitmap, "paper.bmp");
  EXPECT_TRUE(doc.ws.effects.empty());

  // "end" alone: no effects, background kept, flags cleared.
  doc.ws.effects.resize(3);
  doc.ws.styleName = "old.sty";
  doc.messageStyleModified = true;
  doc = readText("end\r\n", doc);
  EXPECT_TRUE(doc.ws.effects.empty());
  EXPECT_EQ(doc.ws.backgroundColor, 255u);
  EXPECT_EQ(doc.ws.styleName, "");
  EXPECT_FALSE(doc.messageStyleModified);
}

TEST(StyleFile, LineEndsOfEveryKindReadAlike) {
  const std::string lf =
      ";c\nBackground 3 65280 b.bmp\nFog 1 2 3 4 5 6 7 8 9 10 11 12\nwood.gif \n"
      "CutOut 0 0 0 0 0 0 0 0 0 0 0 0\n\nend\n";
  std::string crlf, crcrlf;
  for (char c : lf) {
    crlf += c == '\n' ? "\r\n" : std::string(1, c);
    crcrlf += c == '\n' ? "\r\r\n" : std::string(1, c);
  }
  VornelDocument a = readText(lf), b = readText(crlf), c = readText(crcrlf);
  ASSERT_EQ(a.ws.effects.size(), 2u);
  EXPECT_EQ(a.ws.effects[0].texture(), "wood.gif");
  EXPECT_EQ(a.ws.backgroundBitmap, "b.bmp");
  for (const VornelDocument* other : {&b, &c}) {
    ASSERT_EQ(other->ws.effects.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i)
      EXPECT_EQ(std::memcmp(&a.ws.effects[i], &other->ws.effects[i], sizeof(EffectRecord)), 0);
    EXPECT_EQ(other->ws.backgroundBitmap, "b.bmp");
    EXPECT_EQ(other->ws.backgroundColor, 65280u);
  }
}

TEST(StyleFile, BadInputGivesADefinedResult) {
  // Short effect lines give 0; numbers beyond int range are clamped.
  VornelDocument doc = readText("DropShadow 7 8\n\nBackground 99999999999 -99999999999\n");
  ASSERT_EQ(doc.ws.effects.size(), 1u);
  EXPECT_EQ(params(doc.ws.effects[0]),
            (std::vector<std::int32_t>{0, 0, 7, 8, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(doc.ws.backgroundMode, 2147483647);
  EXPECT_EQ(doc.ws.backgroundColor, 0x80000000u);

  // Forty effects fit; a 41st is dropped with its texture line, so a texture whose name
  // starts like "end" does not end the reading.
  std::string many;
  for (int i = 0; i < 42; ++i) many += "Space " + std::to_string(i) + "\nendless" + "\n";
  many += "Background 4 1\n";
  doc = readText(many);
  ASSERT_EQ(doc.ws.effects.size(), 40u);
  EXPECT_EQ(doc.ws.effects[39].param(3), 39);
  EXPECT_EQ(doc.ws.backgroundMode, 4);

  // Texture names are cut to 51 bytes on a character boundary: 25 two-byte characters
  // fit in 50, the 26th would straddle byte 51.
  std::string accented;
  for (int i = 0; i < 30; ++i) accented += "\xC3\xA9";
  doc = readText("StarFilter 1\n" + accented + " \n");
  EXPECT_EQ(doc.ws.effects[0].texture(), accented.substr(0, 50));

  // A Latin-1 texture name is cut to 51 bytes too, not to the last ASCII byte.
  doc = readText(
      "Tile 1\nd\xE9"
      "cor" +
      std::string(60, '\xB0') + "\n");
  EXPECT_EQ(doc.ws.effects[0].texture(), (std::string("d\xE9"
                                                      "cor") +
                                          std::string(60, '\xB0'))
                                             .substr(0, 51));

  // A NUL byte ends a line as it ends a C string: the numbers after it are not read, and
  // a texture name stops there (its blanks before the NUL go as before a line break).
  doc = readText(std::string("Fog 1 2\0 3 4\nwood.gif \0x.gif\nend\n", 33));
  ASSERT_EQ(doc.ws.effects.size(), 1u);
  EXPECT_EQ(params(doc.ws.effects[0]),
            (std::vector<std::int32_t>{0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(doc.ws.effects[0].texture(), "wood.gif");

  // An effect line at the very end has no texture; a 2000-character effect line is read in
  // pieces and its tail serves as the texture line.
  doc = readText("Tile 1 2");
  ASSERT_EQ(doc.ws.effects.size(), 1u);
  EXPECT_EQ(doc.ws.effects[0].texture(), "");
  doc = readText("Tile 1 " + std::string(2000, '9') + "\nend\n");
  ASSERT_EQ(doc.ws.effects.size(), 1u);
  EXPECT_EQ(doc.ws.effects[0].param(4), 2147483647);
  EXPECT_EQ(doc.ws.effects[0].texture(), std::string(51, '9'));
}

TEST(StyleFile, RandomStylesSurviveRepeatedRoundTrips) {
  test::TestRandom rnd(77);
  test::TempDir dir;
  const std::string path = dir.file("r.sty");
  for (int round = 0; round < 300; ++round) {
    VornelDocument doc = freshDoc();
    int count = rnd.below(kMaxEffects + 1);
    for (int i = 0; i < count; ++i) {
      EffectRecord r;
      r.type = rnd.below(kEffectTypeCount);
      for (auto& p : r.p) p = static_cast<std::int32_t>(rnd.next());
      std::string texture;
      int len = rnd.below(4) == 0 ? 0 : rnd.below(51) + 1;
      // Any printable text, blanks included, but not ending with one (the writer's
      // separator is stripped on reading).
      for (int k = 0; k < len; ++k) texture += static_cast<char>(' ' + rnd.below(95));
      while (!texture.empty() && texture.back() == ' ') texture.back() = 'x';
      r.setTexture(texture);
      doc.ws.effects.push_back(r);
    }
    doc.ws.backgroundMode = 1 + rnd.below(5);
    doc.ws.backgroundColor = rnd.next();
    doc.ws.backgroundBitmap = "bg" + std::to_string(rnd.next()) + ".bmp";
    const WorkingSet expected = doc.ws;
    // Mostly in memory; every thirtieth round through a file.
    const bool viaFile = round % 30 == 0;
    for (int again = 0; again < 3; ++again) {
      VornelDocument back = freshDoc();
      std::string text;
      if (viaFile) {
        ASSERT_TRUE(writeStyle(path, doc));
        ASSERT_TRUE(readStyle(path, back));
        EXPECT_EQ(back.ws.styleName, path);
      } else {
        writeStyleTo(text, doc);
        TextReader in(text);
        readStyleFrom(in, back);
      }
      ASSERT_EQ(back.ws.effects.size(), expected.effects.size());
      for (std::size_t i = 0; i < expected.effects.size(); ++i)
        ASSERT_EQ(std::memcmp(&back.ws.effects[i], &expected.effects[i], sizeof(EffectRecord)), 0)
            << "round " << round << " effect " << i;
      EXPECT_EQ(back.ws.backgroundMode, expected.backgroundMode);
      EXPECT_EQ(back.ws.backgroundColor, expected.backgroundColor);
      EXPECT_EQ(back.ws.backgroundBitmap, expected.backgroundBitmap);
      doc = back;
    }
  }
}

TEST(StyleFile, FailedWriteKeepsTheOldFileAndTheName) {
  test::TempDir dir;
  VornelDocument doc = freshDoc();
  doc.ws.effects.resize(2);
  doc.ws.styleName = "before.sty";
  doc.ws.styleModified = true;
  const std::vector<std::uint8_t> old = {'o', 'l', 'd', '\r', '\n'};
  test::writeFileBytes(dir.file("keep.sty"), old);
  std::filesystem::create_directory(dir.file("adir"));
  std::string reason;
  for (const std::string& bad : {dir.file("missing/x.sty"), dir.file("adir")}) {
    EXPECT_FALSE(writeStyle(bad, doc, &reason)) << bad;
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(doc.ws.styleName, "before.sty");
    EXPECT_TRUE(doc.ws.styleModified);
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("adir")));
  // An unreadable file changes nothing either.
  EXPECT_FALSE(readStyle(dir.file("missing.sty"), doc));
  EXPECT_EQ(doc.ws.effects.size(), 2u);
  EXPECT_EQ(test::readFileBytes(dir.file("keep.sty")), old);
}

TEST(StyleFile, SaveStyleAsAsksAndReports) {
  test::TempDir dir;
  VornelDocument doc = freshDoc();
  test::ScriptedHost host;
  // ".sty" appended; the file is new, so no question.
  host.saveAnswers.push_back(dir.file("mine"));
  EXPECT_TRUE(saveStyleAs(doc, host));
  EXPECT_EQ(doc.ws.styleName, dir.file("mine.sty"));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.dialogs[0].filter, "Style File(*.sty)|*.sty|All Files(*.*)|*.*||");

  // Existing file, Cancel: nothing written.
  const std::vector<std::uint8_t> before = test::readFileBytes(dir.file("mine.sty"));
  doc.ws.effects.resize(1);
  host.saveAnswers.push_back(dir.file("mine.sty"));
  host.answers.push_back(MsgAnswer::Cancel);
  EXPECT_FALSE(saveStyleAs(doc, host));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text,
            dir.file("mine.sty") + " \nThis file already exists. \nOverwrite this file?");
  EXPECT_EQ(host.messages[0].caption, "Warning!");
  EXPECT_EQ(host.messages[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(test::readFileBytes(dir.file("mine.sty")), before);

  // Save with the known name writes; a failing one is reported.
  EXPECT_TRUE(saveStyle(doc, host));
  EXPECT_NE(test::readFileBytes(dir.file("mine.sty")), before);
  doc.ws.styleName = dir.file("no/such.sty");
  EXPECT_FALSE(saveStyle(doc, host));
  EXPECT_EQ(host.messages.back().text, "Cannot save file!");
  EXPECT_EQ(host.messages.back().caption, "Error!");
  EXPECT_EQ(host.messages.back().icon, MsgIcon::Error);
}

TEST(StyleChoice, AssignAndChooseForALayer) {
  test::TempDir dir;
  VornelDocument doc = freshDoc();
  doc.appDirectory = dir.path() + "/";
  test::writeFileBytes(dir.file("red.sty"), {});
  {
    VornelDocument w = freshDoc();
    w.ws.effects.resize(2);
    w.ws.effects[1].type = kFog;
    w.ws.backgroundColor = 0x123456;
    ASSERT_TRUE(writeStyle(dir.file("red.sty"), w));
  }
  // A style that cannot be read leaves the layer alone.
  doc.ws.effects.resize(5);
  EXPECT_FALSE(assignStyleToLayer(doc, kBulletinLayer, dir.file("none.sty")));
  EXPECT_TRUE(doc.layer(kBulletinLayer).effects.empty());
  EXPECT_EQ(doc.layer(kBulletinLayer).styleName, "test1.sty");

  // The Template's edited style: Cancel abandons; No drops the edits and takes the new
  // style with its background.
  test::ScriptedHost host;
  doc.templateStyleModified = true;
  host.answers = {MsgAnswer::Cancel, MsgAnswer::No};
  EXPECT_EQ(chooseLayerStyle(doc, host, kTemplateLayer, "red.sty"), StyleChoice::Abandoned);
  EXPECT_EQ(host.messages[0].text, "Save change to Untitled.sty");
  EXPECT_FALSE(doc.projectModified);
  EXPECT_EQ(chooseLayerStyle(doc, host, kTemplateLayer, "red.sty"), StyleChoice::Assigned);
  EXPECT_TRUE(doc.projectModified);
  EXPECT_FALSE(doc.templateStyleModified);
  ASSERT_EQ(doc.layer(kTemplateLayer).effects.size(), 2u);
  EXPECT_EQ(doc.layer(kTemplateLayer).effects[1].type, kFog);
  EXPECT_EQ(doc.layer(kTemplateLayer).styleName, dir.file("red.sty"));
  EXPECT_EQ(doc.templateStyleName, dir.file("red.sty"));
  EXPECT_EQ(doc.projectBackgroundColor, 0x123456u);

  // Yes saves the layer's own effects under its style name before the new one is read.
  doc.layer(kTemplateLayer).effects.resize(1);
  doc.templateStyleModified = true;
  doc.templateStyleName = dir.file("edited.sty");
  host.answers = {MsgAnswer::Yes};
  EXPECT_EQ(chooseLayerStyle(doc, host, kTemplateLayer, "red.sty"), StyleChoice::Assigned);
  VornelDocument check = freshDoc();
  ASSERT_TRUE(readStyle(dir.file("edited.sty"), check));
  EXPECT_EQ(check.ws.effects.size(), 1u);
}

}  // namespace
}  // namespace vornel
