#include "core/job.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/preferences.h"
#include "test_support.h"

namespace vornel {
namespace {

TEST(Job, FreshStartMatchesTheStartUpTables) {
  VornelDocument doc;
  initializeDocument(doc);
  ASSERT_EQ(doc.layers.size(), 3u);
  EXPECT_EQ(doc.layer(kTemplateLayer).kind, kLayerNone);
  EXPECT_EQ(doc.layer(kTemplateLayer).x, 0);
  EXPECT_EQ(doc.layer(kTemplateLayer).text, "a");
  EXPECT_EQ(doc.layer(kBulletinLayer).kind, kLayerNone);
  EXPECT_EQ(doc.layer(kBulletinLayer).x, -20);
  EXPECT_EQ(doc.layer(kMessageLayer).kind, kLayerFont);
  EXPECT_EQ(doc.layer(kMessageLayer).text, "Hello Vornel!");
  EXPECT_EQ(doc.layer(kMessageLayer).styleName, "ttt.sty");
  for (const auto& layer : doc.layers) {
    EXPECT_EQ(layer.font.faceName(), "Arial");
    EXPECT_EQ(layer.font.lfHeight, 20);
    EXPECT_EQ(layer.font.lfWidth, 10);
    EXPECT_EQ(layer.font.lfWeight, 0);
    EXPECT_TRUE(layer.effects.empty());
  }
  EXPECT_EQ(doc.ws.kind, kLayerFont);
  EXPECT_EQ(doc.ws.message, "Hello Vornel!");
  EXPECT_EQ(doc.ws.backgroundColor, 0xFFFFFFu);
  EXPECT_EQ(doc.projectBackgroundColor, 0xFFFFFFu);
  EXPECT_EQ(doc.ws.backgroundMode, kBackgroundTransparent);
  EXPECT_TRUE(doc.ws.effects.empty());
  EXPECT_EQ(doc.batchListName, "untitled.blt");
  EXPECT_EQ(doc.outputFileType, kOutputJpeg);
  EXPECT_EQ(doc.templateFactors.width, 950);
  EXPECT_EQ(doc.templateFactors.cornerHeight, 100);
  EXPECT_EQ(doc.bulletinFactors.width, 500);
  EXPECT_EQ(doc.bulletinFactors.cornerWidth, 500);
  EXPECT_FALSE(doc.pressedImage);
}

TEST(Job, EffectDefaultsHoldTheirStartUpParameters) {
  auto d = startupEffectDefaults();
  for (int t = 0; t < kEffectTypeCount; ++t) {
    EXPECT_EQ(d[t].type, t);
    EXPECT_EQ(d[t].texture(), "");
  }
  auto params = [&](int type) {
    return std::vector<int>(std::begin(d[type].p), std::end(d[type].p));
  };
  EXPECT_EQ(params(kSingleColor), std::vector<int>(12, 0));
  EXPECT_EQ(params(kDropShadow), (std::vector<int>{0, 0, 0, 0, 50, 2, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(params(kLinearGradient),
            (std::vector<int>{0x0000FF, 0xFFFF00, 0, 0, 20, 20, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(params(kDisturbTemplet), (std::vector<int>{0, 0, 100, 0, 1, 100, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(params(kStarFilter), (std::vector<int>{0xFFFFFF, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(params(k3dSingleColor), (std::vector<int>{0, 0, 0, 0, 0, 200, 25, 1000, 100, 0, 0, 0}));
  EXPECT_EQ(params(kRoundBoxEffect), (std::vector<int>{0, 0, 0, 0, 1, 1, 100, 100, 0, 0, 0, 0}));
  EXPECT_EQ(params(kFog), (std::vector<int>{0, 0, 0, 0, 0, 200, 25, 1000, 100, 0, 100, 100}));
  EXPECT_EQ(params(kSpace), (std::vector<int>{0, 0, 0, 0, 200, 200, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(params(kCutOut), std::vector<int>(12, 0));
}

TEST(Job, SeventhLayerIsRefused) {
  VornelDocument doc;
  initializeDocument(doc);
  LayerRecord extra;
  extra.text = "x";
  EXPECT_EQ(appendLayer(doc, extra), 0);
  EXPECT_EQ(appendLayer(doc, extra), 0);
  EXPECT_EQ(appendLayer(doc, extra), 0);
  EXPECT_EQ(doc.layers.size(), 6u);
  EXPECT_EQ(appendLayer(doc, extra), -1);
  EXPECT_EQ(doc.layers.size(), 6u);
}

TEST(Job, AppendLayerDoesNotCopyStoredRenders) {
  VornelDocument doc;
  LayerRecord r;
  r.image.width = 4;
  r.image.pixels.assign(48, 1);
  ASSERT_EQ(appendLayer(doc, r), 0);
  EXPECT_EQ(doc.layer(0).image.width, 0);
  EXPECT_TRUE(doc.layer(0).image.pixels.empty());
}

TEST(Job, ResetLayersKeepsFontsAndPositions) {
  VornelDocument doc;
  initializeDocument(doc);
  doc.layer(kTemplateLayer).kind = kLayerRoundBox;
  doc.layer(kMessageLayer).text = "Other";
  doc.layer(kMessageLayer).font.lfWeight = 700;
  doc.layer(kMessageLayer).effects.push_back(EffectRecord{});
  doc.layer(kBulletinLayer).styleName = "x.sty";
  doc.projectName = "p.vrn";
  doc.projectModified = true;
  doc.messageStyleName = "m.sty";
  resetLayers(doc);
  EXPECT_EQ(doc.layer(kTemplateLayer).kind, kLayerNone);
  EXPECT_EQ(doc.layer(kMessageLayer).text, "Hello Vornel!");
  EXPECT_TRUE(doc.layer(kMessageLayer).effects.empty());
  EXPECT_EQ(doc.layer(kMessageLayer).font.lfWeight, 700);
  EXPECT_EQ(doc.layer(kBulletinLayer).x, -20);
  EXPECT_EQ(doc.layer(kBulletinLayer).styleName, "");
  EXPECT_EQ(doc.projectName, "");
  EXPECT_FALSE(doc.projectModified);
  EXPECT_EQ(doc.messageStyleName, "");
  EXPECT_EQ(doc.layers.size(), 3u);
}

TEST(Job, ClearWorkingStyleClearsAllStyleFlags) {
  VornelDocument doc;
  initializeDocument(doc);
  doc.ws.effects.resize(3);
  doc.ws.styleName = "a.sty";
  doc.ws.styleModified = doc.templateStyleModified = doc.bulletinStyleModified =
      doc.messageStyleModified = true;
  clearWorkingStyle(doc);
  EXPECT_TRUE(doc.ws.effects.empty());
  EXPECT_EQ(doc.ws.styleName, "");
  EXPECT_FALSE(doc.ws.styleModified || doc.templateStyleModified || doc.bulletinStyleModified ||
               doc.messageStyleModified);
}

TEST(Preferences, MissingFileOrKeysReadAsOne) {
  test::TempDir dir;
  Preferences p = loadPreferences(dir.file("none.ini"));
  EXPECT_EQ(p.antialiasing, 1);
  EXPECT_EQ(p.clipBlank, 1);
  EXPECT_EQ(p.reduceColorMethod, 1);
  test::writeFileBytes(dir.file("p.ini"), {});
  std::string text = "[other]\nclipblank=0\n[hellovornel]\r\nantialiasing = 0\r\n";
  test::writeFileBytes(dir.file("p.ini"), std::vector<std::uint8_t>(text.begin(), text.end()));
  p = loadPreferences(dir.file("p.ini"));
  EXPECT_EQ(p.antialiasing, 0);
  EXPECT_EQ(p.clipBlank, 1) << "a key of another section does not count";
  EXPECT_EQ(p.reduceColorMethod, 1);
}

TEST(Preferences, MalformedFileReadsAsDefaultsAndIsNotDestroyed) {
  test::TempDir dir;
  std::string text =
      "\x01\x02garbage\n[hellovornel\nclipblank=zero\n[hellovornel]\nreducecolormethod="
      "9999999999999\n";
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  test::writeFileBytes(dir.file("p.ini"), bytes);
  Preferences p = loadPreferences(dir.file("p.ini"));
  EXPECT_EQ(p.antialiasing, 1);
  EXPECT_EQ(p.clipBlank, 1);
  EXPECT_EQ(p.reduceColorMethod, 1);
  EXPECT_EQ(test::readFileBytes(dir.file("p.ini")), bytes);
}

TEST(Preferences, SaveWritesAllThreeAndKeepsOtherLines) {
  test::TempDir dir;
  std::string path = dir.file("sub/p.ini");
  std::filesystem::create_directories(dir.file("sub"));
  std::string text = "; mine\n[other]\nx=5\n[hellovornel]\nclipblank=1\nextra=2\n";
  test::writeFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
  ASSERT_TRUE(savePreferences(path, Preferences{0, 0, 0}));
  Preferences p = loadPreferences(path);
  EXPECT_EQ(p.antialiasing, 0);
  EXPECT_EQ(p.clipBlank, 0);
  EXPECT_EQ(p.reduceColorMethod, 0);
  auto saved = test::readFileBytes(path);
  std::string s(saved.begin(), saved.end());
  EXPECT_NE(s.find("; mine\r\n"), std::string::npos);
  EXPECT_NE(s.find("x=5"), std::string::npos);
  EXPECT_NE(s.find("extra=2"), std::string::npos);
  ASSERT_TRUE(savePreferences(dir.file("new/dir/p.ini"), Preferences{1, 0, 1}));
  EXPECT_EQ(loadPreferences(dir.file("new/dir/p.ini")).clipBlank, 0);
}

}  // namespace
}  // namespace vornel
