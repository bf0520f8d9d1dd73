#include "core/job_edits.h"

#include <gtest/gtest.h>

#include <string>

namespace vornel {
namespace {

VornelDocument freshDoc() {
  VornelDocument doc;
  initializeDocument(doc);
  return doc;
}

TEST(JobEdits, MessageTextIsCutOnACharacterAndMarksTheJob) {
  VornelDocument doc = freshDoc();
  // 298 ASCII bytes and a two-byte "é": the 299-byte limit falls inside the "é".
  std::string text = std::string(298, 'x') + "\xC3\xA9" + "tail";
  editMessageText(doc, text);
  EXPECT_EQ(doc.layer(kMessageLayer).text, std::string(298, 'x'));
  EXPECT_EQ(doc.ws.message, std::string(298, 'x'));
  EXPECT_TRUE(doc.outputStale);
  EXPECT_TRUE(doc.projectModified);
}

TEST(JobEdits, TemplateKindsRestoreTheirWidths) {
  VornelDocument doc = freshDoc();
  LogFont font = doc.layer(kTemplateLayer).font;
  font.lfWidth = 7;
  editLayerFont(doc, kTemplateLayer, font);           // "Properties" stores the width
  doc.layer(kTemplateLayer).stretchedFontWidth = 33;  // as the last layout computed it

  ASSERT_TRUE(editLayerKind(doc, kTemplateLayer, kLayerStretchedFont));
  EXPECT_EQ(doc.layer(kTemplateLayer).font.lfWidth, 33);
  ASSERT_TRUE(editLayerKind(doc, kTemplateLayer, kLayerRoundBox));
  EXPECT_EQ(doc.layer(kTemplateLayer).font.lfWidth, 33);
  ASSERT_TRUE(editLayerKind(doc, kTemplateLayer, kLayerFont));
  EXPECT_EQ(doc.layer(kTemplateLayer).font.lfWidth, 7);

  // The Bulletin has no stretched kind and the Message's kind is fixed.
  EXPECT_FALSE(editLayerKind(doc, kBulletinLayer, kLayerStretchedFont));
  EXPECT_FALSE(editLayerKind(doc, kMessageLayer, kLayerNone));
  EXPECT_FALSE(editLayerKind(doc, kTemplateLayer, 9));
  EXPECT_EQ(doc.layer(kBulletinLayer).kind, kLayerNone);
  EXPECT_EQ(doc.layer(kMessageLayer).kind, kLayerFont);
}

TEST(JobEdits, TransparencyChangesWhatTheProjectKeepsToo) {
  VornelDocument doc = freshDoc();
  editBackgroundTransparent(doc, false);
  EXPECT_EQ(doc.ws.backgroundMode, kBackgroundSingleColor);
  EXPECT_EQ(doc.projectBackgroundMode, kBackgroundSingleColor);
  editBackgroundColor(doc, 0xFF123456);  // the unused top byte is not a colour
  EXPECT_EQ(doc.ws.backgroundColor, 0x123456u);
  EXPECT_EQ(doc.projectBackgroundColor, 0x123456u);
  EXPECT_TRUE(doc.projectModified);
}

TEST(JobEdits, AnUnreadableStyleChangesNothing) {
  VornelDocument doc = freshDoc();
  doc.messageStyleModified = true;
  EXPECT_FALSE(editLayerStyle(doc, kMessageLayer, "/nonexistent/x.sty"));
  EXPECT_TRUE(doc.messageStyleModified);
  EXPECT_FALSE(doc.projectModified);
  EXPECT_TRUE(doc.messageStyleName.empty());
}

}  // namespace
}  // namespace vornel
