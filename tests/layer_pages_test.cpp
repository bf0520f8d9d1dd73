// The Background and Bulletin pages' logic and the small Message dialog, driven without
// a window.
#include "ui/logic/layer_pages.h"

#include <gtest/gtest.h>

#include "core/job_edits.h"
#include "core/output/save_output.h"
#include "core/style_file.h"
#include "render/engine.h"
#include "test_support.h"
#include "ui/logic/sheet.h"

namespace vornel {
namespace {

struct LayerPageFixture : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  VornelDocument& doc = engine.doc;
  test::TempDir dir;

  void SetUp() override { test::startWindowEngine(engine, dir); }
};

TEST_F(LayerPageFixture, StretchedThenWithFontBringsBackTheWidthPropertiesStored) {
  ASSERT_TRUE(layerKindChosen(engine, kTemplateLayer, kLayerFont));
  ASSERT_EQ(layerPropertiesOpened(engine, kTemplateLayer).opened, LayerProperties::Text);
  messageDialogTextChanged(engine, "BIG");
  LogFont font = doc.ws.font;
  font.lfWidth = 14;
  messageDialogFontChosen(engine, font);
  layerPropertiesClosed(engine, kTemplateLayer, {LayerProperties::Text, {}}, true);
  EXPECT_EQ(doc.layer(kTemplateLayer).text, "BIG");
  EXPECT_EQ(doc.layer(kTemplateLayer).fontWidth, 14);

  ASSERT_TRUE(layerKindChosen(engine, kTemplateLayer, kLayerStretchedFont));
  // The render stretches the Template across the Message.
  EXPECT_EQ(doc.layer(kTemplateLayer).font.lfWidth, doc.layer(kTemplateLayer).stretchedFontWidth);
  EXPECT_NE(doc.layer(kTemplateLayer).font.lfWidth, 14);
  ASSERT_TRUE(layerKindChosen(engine, kTemplateLayer, kLayerFont));
  EXPECT_EQ(doc.layer(kTemplateLayer).font.lfWidth, 14);
  EXPECT_EQ(host.tabsShown.back(), 1);
}

TEST_F(LayerPageFixture, CancelledPropertiesLeaveTheLayerAsItWas) {
  layerKindChosen(engine, kBulletinLayer, kLayerFont);
  const LayerRecord before = doc.layer(kBulletinLayer);
  ASSERT_EQ(layerPropertiesOpened(engine, kBulletinLayer).opened, LayerProperties::Text);
  messageDialogTextChanged(engine, std::string(400, 'x'));  // cut to 299
  EXPECT_EQ(doc.ws.message.size(), 299u);
  EXPECT_EQ(host.tabsShown.back(), 0);
  layerPropertiesClosed(engine, kBulletinLayer, {LayerProperties::Text, {}}, false);
  EXPECT_EQ(doc.layer(kBulletinLayer).text, before.text);
  EXPECT_TRUE(doc.layer(kBulletinLayer).font == before.font);
}

TEST_F(LayerPageFixture, EachLayerKeepsItsOwnRoundBox) {
  layerKindChosen(engine, kTemplateLayer, kLayerRoundBox);
  layerKindChosen(engine, kBulletinLayer, kLayerRoundBox);
  LayerPropertiesSession session = layerPropertiesOpened(engine, kBulletinLayer);
  ASSERT_EQ(session.opened, LayerProperties::RoundBox);
  EXPECT_EQ(doc.effectDefaults[kRoundBoxEffect].param(5), 500);  // the Bulletin's width
  // The preview tries a wider box on the whole job; Cancel puts the factors back.
  const int before = doc.outputWidth;
  doc.effectDefaults[kRoundBoxEffect].param(5) = 2000;
  layerBoxPreviewed(engine, kBulletinLayer);
  EXPECT_GT(doc.outputWidth, before);
  layerPropertiesClosed(engine, kBulletinLayer, session, false);
  EXPECT_EQ(doc.bulletinFactors.width, 500);
  EXPECT_EQ(doc.outputWidth, before);

  session = layerPropertiesOpened(engine, kBulletinLayer);
  doc.effectDefaults[kRoundBoxEffect].param(5) = 2000;
  doc.effectDefaults[kRoundBoxEffect].param(8) = 0;
  layerPropertiesClosed(engine, kBulletinLayer, session, true);
  EXPECT_EQ(doc.bulletinFactors.width, 2000);
  EXPECT_EQ(doc.bulletinFactors.cornerHeight, 0);
  EXPECT_EQ(doc.templateFactors.width, 950);
  EXPECT_EQ(layerPropertiesOpened(engine, kTemplateLayer).opened, LayerProperties::RoundBox);
  EXPECT_EQ(doc.effectDefaults[kRoundBoxEffect].param(5), 950);
  EXPECT_GT(doc.outputWidth, 0);
}

TEST_F(LayerPageFixture, OnlySettingThePressedImageRenders) {
  doc.outputStale = true;
  pressedImageChosen(engine, false);
  EXPECT_TRUE(doc.outputStale);
  pressedImageChosen(engine, true);
  EXPECT_FALSE(doc.outputStale);
  EXPECT_FALSE(doc.pressedOutputImage.empty());
}

TEST_F(LayerPageFixture, ANoneLayerDisablesItsControlsOnEveryActivation) {
  LayerPageView view = layerPageActivated(engine, kBulletinLayer);
  EXPECT_EQ(view.kind, kLayerNone);
  EXPECT_FALSE(view.layerControlsEnabled);
  EXPECT_TRUE(layerKindChosen(engine, kBulletinLayer, kLayerFont));
  EXPECT_TRUE(layerPageActivated(engine, kBulletinLayer).layerControlsEnabled);
  EXPECT_FALSE(layerKindChosen(engine, kBulletinLayer, kLayerNone));
  EXPECT_FALSE(layerPageActivated(engine, kBulletinLayer).layerControlsEnabled);
  EXPECT_EQ(layerPropertiesOpened(engine, kBulletinLayer).opened, LayerProperties::None);
}

TEST_F(LayerPageFixture, ATemplateStyleBringsItsBackgroundToTheSwatch) {
  VornelDocument styled;
  initializeDocument(styled);
  styled.ws.backgroundColor = 0x204060;
  styled.ws.backgroundMode = kBackgroundSingleColor;
  ASSERT_TRUE(writeStyle(dir.file("night.sty"), styled));
  layerKindChosen(engine, kTemplateLayer, kLayerRoundBox);
  LayerPageView view;
  ASSERT_EQ(layerStyleChosen(engine, kTemplateLayer, "night.sty", view), StyleChoice::Assigned);
  EXPECT_EQ(view.swatchColor, 0x204060u);
  EXPECT_FALSE(view.transparent);
  EXPECT_EQ(doc.projectBackgroundColor, 0x204060u);
  EXPECT_EQ(doc.ws.backgroundColor, 0x204060u);

  transparencyChosen(engine, true);
  EXPECT_EQ(doc.projectBackgroundMode, kBackgroundTransparent);
  backgroundColorChosen(engine, 0x00FF00);
  EXPECT_EQ(layerPageActivated(engine, kTemplateLayer).swatchColor, 0x00FF00u);
}

TEST_F(LayerPageFixture, TheCheckBoxTheGifAndTheProjectAgreeOnTransparency) {
  auto writeMode = [&](const std::string& name, std::int32_t mode) {
    VornelDocument styled;
    initializeDocument(styled);
    styled.ws.backgroundMode = mode;
    ASSERT_TRUE(writeStyle(dir.file(name), styled));
  };
  writeMode("opaque.sty", kBackgroundSingleColor);
  writeMode("clear.sty", kBackgroundTransparent);
  // Nothing behind the message: its style's mode is the picture's.
  ASSERT_EQ(chooseLayerStyle(doc, host, kMessageLayer, "opaque.sty"), StyleChoice::Assigned);
  EXPECT_FALSE(layerPageActivated(engine, kTemplateLayer).transparent);
  EXPECT_EQ(transparentIndexFor(doc), -1);
  EXPECT_EQ(doc.projectBackgroundMode, kBackgroundSingleColor);

  // A template's style gives the background; a message style read afterwards changes
  // the working set's line but not what the picture is saved with.
  layerKindChosen(engine, kTemplateLayer, kLayerRoundBox);
  LayerPageView view;
  layerStyleChosen(engine, kTemplateLayer, "clear.sty", view);
  EXPECT_TRUE(view.transparent);
  ASSERT_EQ(chooseLayerStyle(doc, host, kMessageLayer, "opaque.sty"), StyleChoice::Assigned);
  EXPECT_EQ(doc.ws.backgroundMode, kBackgroundSingleColor);
  EXPECT_TRUE(layerPageActivated(engine, kTemplateLayer).transparent);
  EXPECT_EQ(transparentIndexFor(doc), 0);
}

}  // namespace
}  // namespace vornel
