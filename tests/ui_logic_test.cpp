// The window's page logic, driven without a window: what each handler changes in the
// job, which preview tab it asks for, and what the pages are told to show.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/job_edits.h"
#include "core/project_file.h"
#include "core/style_file.h"
#include "imageio/image_by_name.h"
#include "platform/profile.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "test_support.h"
#include "ui/logic/batch_page.h"
#include "ui/logic/example_page.h"
#include "ui/logic/file_filters.h"
#include "ui/logic/font_choice.h"
#include "ui/logic/message_page.h"
#include "ui/logic/preview.h"
#include "ui/logic/save_page.h"
#include "ui/logic/sheet.h"

namespace vornel {
namespace {

struct PageFixture : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  VornelDocument& doc = engine.doc;
  test::TempDir dir;

  void SetUp() override { test::startWindowEngine(engine, dir); }

  void writeFillStyle(const std::string& name, std::uint32_t color, int fillMode) {
    VornelDocument w;
    initializeDocument(w);
    EffectRecord fill;
    fill.type = kSingleColor;
    fill.param(1) = static_cast<std::int32_t>(color);
    fill.param(5) = fillMode;
    w.ws.effects = {fill, fill};
    ASSERT_TRUE(writeStyle(dir.file(name), w));
  }
};

TEST(PreviewLogic, WindowFollowsTheShownSizeWithATenPixelFloor) {
  PreviewGeometry empty = previewGeometry(0, 0);
  EXPECT_EQ(empty.paneWidth, 10);
  EXPECT_EQ(empty.windowWidth, 25);
  EXPECT_EQ(empty.windowHeight, 49);
  PreviewGeometry g = previewGeometry(120, 32);
  EXPECT_EQ(g.paneWidth, 122);
  EXPECT_EQ(g.paneHeight, 34);
  EXPECT_EQ(g.tabWidth, 132);
  EXPECT_EQ(g.tabHeight, 68);
  EXPECT_EQ(g.windowWidth, 137);
  EXPECT_EQ(g.windowHeight, 73);
}

TEST_F(PageFixture, TextPaneIsFramedWithTheTextBoxEdges) {
  editMessageText(doc, "");
  PreviewState state;
  PreviewContent content = refreshPreview(engine, state);
  // An empty message measures 4 more than the canvas extent (0), rounded down: 4 x 4,
  // so the pane is 10 x 10 and the text box's edges run along column 5 and row 5.
  ASSERT_EQ(state.shownWidth, 4);
  ASSERT_EQ(content.pane.width, 10);
  auto black = [&](int x, int y) { return content.pane.rgb[(y * 10 + x) * 3] == 0; };
  const char* expected[10] = {
      "##########", "#    #   #", "#    #   #", "#    #   #", "#    #   #",
      "######   #", "#        #", "#        #", "#        #", "##########",
  };
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(black(x, y), expected[y][x] == '#') << x << "," << y;
}

TEST_F(PageFixture, ImagePaneRendersAStalePictureAndShowsThePressedTwin) {
  editPressedImage(doc, true);
  editMessageText(doc, "Hi");
  PreviewState state{kImageTab};
  PreviewContent content = refreshPreview(engine, state);
  EXPECT_FALSE(doc.outputStale);
  EXPECT_EQ(state.shownWidth, doc.outputWidth);
  EXPECT_EQ(content.pane.width, doc.outputWidth + 2);
  EXPECT_FALSE(content.pressedPane.rgb.empty());
}

TEST_F(PageFixture, TypingShowsTheTextTabAndLeavingRendersTheImage) {
  messagePageActivated(engine);
  messageTextChanged(engine, "Sale");
  EXPECT_EQ(host.tabsShown.back(), kTextTab);
  EXPECT_TRUE(doc.outputStale);
  EXPECT_TRUE(doc.projectModified);
  EXPECT_EQ(doc.layer(kMessageLayer).text, "Sale");
  messagePageLeft(engine);
  EXPECT_EQ(host.tabsShown.back(), kImageTab);
  EXPECT_FALSE(doc.outputStale);
}

TEST_F(PageFixture, ChangeColorFollowsTheLastDrawEffect) {
  writeFillStyle("red.sty", 0x0000FF, 2);
  writeFillStyle("tex.sty", 0x00FF00, 4);
  MessagePageView view = messagePageActivated(engine);
  EXPECT_FALSE(view.changeColorEnabled);  // the start-up job has no effects
  ASSERT_EQ(view.styles, (std::vector<std::string>{"red.sty", "tex.sty"}));

  ASSERT_TRUE(messageStyleChosen(engine, "red.sty", view));
  EXPECT_TRUE(view.changeColorEnabled);
  QuickFill fill = quickFillFor(doc);
  ASSERT_EQ(fill.kind, QuickFill::Color);
  quickColorChosen(engine, 0x123456);
  // Only the last of the two Draw effects changes.
  EXPECT_EQ(doc.layer(kMessageLayer).effects[0].param(1), 0x0000FF);
  EXPECT_EQ(doc.layer(kMessageLayer).effects[1].param(1), 0x123456);

  ASSERT_TRUE(messageStyleChosen(engine, "tex.sty", view));
  ASSERT_EQ(quickFillFor(doc).kind, QuickFill::Texture);
  quickTextureChosen(engine, "marble.bmp");
  EXPECT_EQ(doc.layer(kMessageLayer).effects[1].texture(), "marble.bmp");
  EXPECT_EQ(doc.effectDefaults[kSingleColor].texture(), "marble.bmp");
}

TEST_F(PageFixture, SavePageEstimatesAtOnceAndTheEstimateIsTheSavedSize) {
  SavePageState save;
  SavePageView view = savePageActivated(engine, save);
  EXPECT_EQ(view.checkedType, kOutputJpeg);
  ASSERT_FALSE(view.sizeText.empty());

  host.saveAnswers = {dir.file("title")};
  ASSERT_TRUE(saveImageClicked(engine, save));
  EXPECT_EQ(host.dialogs.back().filter, "Jpeg file(*.JPG)|*.JPG");
  EXPECT_EQ(std::to_string(fileSize(dir.file("title.jpg"))), view.sizeText);

  // The 256-colour radio leaves the name; the BMP radio gives it ".bmp".
  saveTypeChosen(engine, save, kOutputGif256);
  EXPECT_EQ(save.fileName, dir.file("title"));
  save.fileName = dir.file("title.jpg");
  saveTypeChosen(engine, save, kOutputGif256);
  EXPECT_EQ(save.fileName, dir.file("title.jpg"));
  view = saveTypeChosen(engine, save, kOutputBmp);
  EXPECT_EQ(save.fileName, dir.file("title.bmp"));
  EXPECT_EQ(view.checkedType, kOutputBmp);
}

TEST_F(PageFixture, AFailedSaveIsToldAndTheTypesOfTheBatchPageTouchNoEstimate) {
  SavePageState save;
  savePageActivated(engine, save);
  const std::string before = save.sizeText;
  batchTypeChosen(engine, kOutputGif16);
  EXPECT_EQ(savePageActivated(engine, save).sizeText, before);
  EXPECT_EQ(doc.outputFileType, kOutputGif16);

  host.saveAnswers = {dir.file("no/such/folder/x")};
  EXPECT_FALSE(saveImageClicked(engine, save));
  ASSERT_FALSE(host.messages.empty());
  EXPECT_EQ(host.messages.back().caption, "Error!");
  EXPECT_EQ(host.messages.back().text.rfind("Cannot save file!\n", 0), 0u);
}

TEST_F(PageFixture, ExamplesAreScaledToThirtyPixelsAndABadOneKeepsTheJob) {
  VornelDocument big;
  initializeDocument(big);
  for (int i = 0; i < 3; ++i) {
    big.layer(i).font.lfHeight = -60;
    big.layer(i).font.lfWidth = 24;
  }
  big.layer(kMessageLayer).text = "Big";
  ASSERT_EQ(writeProject(big, dir.file("big.vrn")), 0);
  test::writeFileBytes(dir.file("bad.vrn"), {});
  std::filesystem::create_directory(dir.file("folder.vrn"));
  EXPECT_EQ(exampleList(engine), (std::vector<std::string>{"bad.vrn", "big.vrn"}));

  ASSERT_TRUE(exampleChosen(engine, "big.vrn"));
  EXPECT_EQ(doc.layer(kMessageLayer).font.lfHeight, -30);
  EXPECT_EQ(doc.layer(kTemplateLayer).font.lfWidth, 12);
  EXPECT_EQ(host.tabsShown.back(), kImageTab);

  // A modified job asks first; Cancel keeps it.
  editMessageText(doc, "mine");
  host.answers = {MsgAnswer::Cancel};
  EXPECT_FALSE(exampleChosen(engine, "big.vrn"));
  EXPECT_EQ(doc.layer(kMessageLayer).text, "mine");
  EXPECT_EQ(host.messages.back().text, "Save change to " + dir.file("big.vrn"));

  // A file that is not there is told, and the job stays and is rendered again.
  host.answers = {MsgAnswer::No};
  ASSERT_TRUE(exampleChosen(engine, "gone.vrn"));
  EXPECT_EQ(host.messages.back().caption, "Error!");
  EXPECT_EQ(doc.layer(kMessageLayer).text, "mine");
  EXPECT_GT(doc.outputWidth, 0);
}

TEST_F(PageFixture, PreferenceMethodTakesEffectAtOnceTheBoxesOnlyOnOk) {
  PreferenceChoice shown = preferenceDialogOpened(doc);
  preferenceMethodClicked(engine, shown.reduceColorMethod == 0 ? 1 : 0);
  EXPECT_NE(doc.prefs.reduceColorMethod, shown.reduceColorMethod);  // even if cancelled
  preferenceConfirmed(engine, false, true);
  auto saved = readProfileSection(dir.file("profile.ini"), "hellovornel");
  EXPECT_EQ(saved["antialiasing"], 0);
  EXPECT_EQ(saved["clipblank"], 1);
  EXPECT_EQ(saved["reducecolormethod"], doc.prefs.reduceColorMethod);
  EXPECT_EQ(host.tabsShown.back(), kImageTab);
}

TEST_F(PageFixture, ExitAsksAboutAnUnsavedProjectAndYesSavesIt) {
  EXPECT_TRUE(exitRequested(engine));  // nothing changed: no question
  EXPECT_TRUE(host.messages.empty());
  editMessageText(doc, "keep me");
  host.answers = {MsgAnswer::Cancel};
  EXPECT_FALSE(exitRequested(engine));
  EXPECT_EQ(host.messages.back().text, "Save change to Untitled.vrn");
  host.answers = {MsgAnswer::Yes};
  host.saveAnswers = {dir.file("kept")};
  EXPECT_TRUE(exitRequested(engine));
  VornelDocument back;
  ASSERT_EQ(readProject(back, dir.file("kept.vrn")), 0);
  EXPECT_EQ(back.layer(kMessageLayer).text, "keep me");
}

TEST_F(PageFixture, DroppedStyleDressesTheMessageAndCopyPutsThePicture) {
  writeFillStyle("drop.sty", 0x00FF00, 2);
  EXPECT_EQ(fileDropped(engine, dir.file("drop.sty")), kNoPage);
  EXPECT_EQ(doc.layer(kMessageLayer).effects.size(), 2u);
  EXPECT_EQ(fileDropped(engine, dir.file("notes.txt")), kNoPage);
  ASSERT_TRUE(menuCopy(engine));
  EXPECT_EQ(host.clipboard.back(), doc.outputImage.block());
}

TEST_F(PageFixture, BatchEntryBecomesTheMessage) {
  BatchPageState batch;
  batchAdd(batch, "Home");
  batchAdd(batch, "News");
  EXPECT_EQ(batchEntryActivated(engine, batch, 1), "News");
  EXPECT_EQ(doc.layer(kMessageLayer).text, "News");
  EXPECT_FALSE(doc.outputStale);
  EXPECT_EQ(batchPageActivated(engine, batch).entries.size(), 2u);
}

TEST(FileFilters, WindowsFiltersBecomeQtFiltersInBothCases) {
  EXPECT_EQ(dialogNameFilters("Vornel File(*.vrn)|*.vrn|All Files(*.*)|*.*||"),
            (std::vector<std::string>{"Vornel File(*.vrn) (*.vrn *.VRN)", "All Files(*.*) (*)"}));
  EXPECT_EQ(dialogNameFilters("Jpeg file(*.JPG)|*.JPG"),
            (std::vector<std::string>{"Jpeg file(*.JPG) (*.jpg *.JPG)"}));
  EXPECT_TRUE(dialogNameFilters("").empty());
}

TEST(FontChoice, PointsAndPixelsAtNinetySixPerInch) {
  LogFont font;
  font.setFaceName("Liberation Serif");
  font.lfHeight = 20;
  font.lfWidth = 10;
  font.lfWeight = 700;
  FontChoice choice = fontChoiceFor(font);
  EXPECT_EQ(choice.pointSize, 15);  // 20 px * 72 / 96
  EXPECT_EQ(choice.weight, 700);
  choice.pointSize = 11;
  LogFont chosen = logFontFor(choice, font);
  EXPECT_EQ(chosen.lfHeight, -15);  // 11 pt * 96 / 72 = 14.67
  EXPECT_EQ(chosen.lfWidth, 0);
  EXPECT_EQ(chosen.faceName(), "Liberation Serif");
}

}  // namespace
}  // namespace vornel
