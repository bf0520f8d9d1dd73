// The Edit Style dialog's logic driven without a window, with scripted effect dialogs:
// what each action does to the working set's style, when it renders, what it asks, and
// what the Message page takes back; and the effect-type pictures the dialog draws.
#include "ui/logic/style_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "core/job_edits.h"
#include "core/style_file.h"
#include "imageio/byte_reader.h"
#include "imageio/dib_image.h"
#include "render/engine.h"
#include "test_support.h"
#include "ui/logic/message_page.h"
#include "ui/logic/sheet.h"

namespace vornel {
namespace {

EffectRecord record(std::int32_t type, std::int32_t p1 = 0) {
  EffectRecord r;
  r.type = type;
  r.param(1) = p1;
  return r;
}

std::vector<std::int32_t> typesOf(const std::vector<EffectRecord>& effects) {
  std::vector<std::int32_t> types;
  for (const EffectRecord& r : effects) types.push_back(r.type);
  return types;
}

struct StyleEditorTest : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  VornelDocument& doc = engine.doc;
  test::TempDir dir;

  void SetUp() override { test::startWindowEngine(engine, dir); }

  // The working set holds Draw, Outline, Drop Shadow, opened in the editor.
  void openThreeEffects() {
    doc.ws.effects = {record(kSingleColor, 0x0000FF), record(kOutLine), record(kDropShadow)};
    doc.ws.styleModified = false;
    styleEditorOpened(engine);
  }

  // A runner that must not be reached.
  static bool noDialog(std::int32_t) {
    ADD_FAILURE() << "an effect dialog was opened";
    return false;
  }
};

TEST_F(StyleEditorTest, OpeningShowsTheWorkingSetAloneOnTheImageTab) {
  editMessageText(doc, "Hi");
  doc.ws.message = "Hi";
  doc.ws.effects = {record(kSingleColor, 0x0000FF)};  // red
  doc.ws.backgroundColor = 0xFFFFFF;
  const int refreshes = host.previewRefreshes;
  const StyleEditorView view = styleEditorOpened(engine);
  EXPECT_EQ(view.applied, std::vector<std::string>{"Draw"});
  EXPECT_EQ(view.selected, -1);
  ASSERT_FALSE(host.tabsShown.empty());
  EXPECT_EQ(host.tabsShown.back(), 1);
  EXPECT_GT(host.previewRefreshes, refreshes);
  // The preview is the canvas alone: white around red letters, at the canvas size.
  ASSERT_EQ(doc.outputImage.width(), engine.canvas.width);
  ASSERT_EQ(doc.outputImage.height(), engine.canvas.height);
  const RgbPicture rgb = doc.outputImage.toRgb();
  EXPECT_EQ(rgb.rgb[0], 255);
  EXPECT_EQ(rgb.rgb[1], 255);
  EXPECT_EQ(rgb.rgb[2], 255);
  int red = 0;
  for (std::size_t i = 0; i < rgb.rgb.size(); i += 3)
    if (rgb.rgb[i] > 200 && rgb.rgb[i + 1] < 30 && rgb.rgb[i + 2] < 30) ++red;
  EXPECT_GT(red, 20);
}

TEST_F(StyleEditorTest, GoUpGoDownAndDragMoveOneEffectAndRender) {
  openThreeEffects();
  int refreshes = host.previewRefreshes;
  // At the ends nothing moves, nothing renders, nothing is marked.
  EXPECT_EQ(styleEditorGoUp(engine, 0).selected, 0);
  EXPECT_EQ(styleEditorGoDown(engine, 2).selected, 2);
  EXPECT_EQ(styleEditorGoUp(engine, -1).selected, -1);
  EXPECT_EQ(styleEditorGoDown(engine, -1).selected, -1);
  // Dropped onto itself.
  EXPECT_EQ(styleEditorMove(engine, 1, 1).selected, 1);
  EXPECT_EQ(typesOf(doc.ws.effects), (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_FALSE(doc.ws.styleModified);
  EXPECT_EQ(host.previewRefreshes, refreshes);

  StyleEditorView view = styleEditorGoDown(engine, 0);  // Outline, Draw, Drop Shadow
  EXPECT_EQ(view.selected, 1);
  EXPECT_EQ(view.applied, (std::vector<std::string>{"Outline", "Draw", "Drop Shadow"}));
  EXPECT_TRUE(doc.ws.styleModified);
  EXPECT_EQ(host.previewRefreshes, ++refreshes);
  view = styleEditorGoUp(engine, 2);  // Outline, Drop Shadow, Draw
  EXPECT_EQ(view.selected, 1);
  EXPECT_EQ(typesOf(doc.ws.effects), (std::vector<std::int32_t>{1, 2, 0}));
  // A drag from the first row to the last: the others close up.
  view = styleEditorMove(engine, 0, 2);  // Drop Shadow, Draw, Outline
  EXPECT_EQ(view.selected, 2);
  EXPECT_EQ(typesOf(doc.ws.effects), (std::vector<std::int32_t>{2, 0, 1}));
  EXPECT_EQ(doc.ws.effects[1].param(1), 0x0000FF);  // the whole record moved
  EXPECT_EQ(host.previewRefreshes, refreshes + 2);
}

TEST_F(StyleEditorTest, DeleteRemovesTheSelectedEffect) {
  openThreeEffects();
  const int refreshes = host.previewRefreshes;
  EXPECT_EQ(styleEditorDelete(engine, -1).applied.size(), 3u);
  EXPECT_FALSE(doc.ws.styleModified);
  StyleEditorView view = styleEditorDelete(engine, 2);
  EXPECT_EQ(view.applied, (std::vector<std::string>{"Draw", "Outline"}));
  EXPECT_EQ(view.selected, 1);  // the last row is selected again
  EXPECT_TRUE(doc.ws.styleModified);
  view = styleEditorDelete(engine, 0);
  EXPECT_EQ(view.applied, std::vector<std::string>{"Outline"});
  EXPECT_EQ(view.selected, 0);
  EXPECT_EQ(host.previewRefreshes, refreshes + 2);
}

TEST_F(StyleEditorTest, AddAppendsOnOkOnlyAndRendersEitherWay) {
  openThreeEffects();
  int refreshes = host.previewRefreshes;
  EXPECT_EQ(styleEditorAdd(engine, -1, noDialog, 0).applied.size(), 3u);
  EXPECT_EQ(host.previewRefreshes, refreshes);

  std::vector<std::int32_t> opened;
  auto cancel = [&](std::int32_t type) {
    opened.push_back(type);
    doc.effectDefaults[type].param(6) = 7;  // what the dialog left behind
    return false;
  };
  StyleEditorView view = styleEditorAdd(engine, kSpace, cancel, 1);
  EXPECT_EQ(view.applied.size(), 3u);
  EXPECT_EQ(view.selected, 1);
  EXPECT_FALSE(doc.ws.styleModified);
  EXPECT_EQ(host.previewRefreshes, ++refreshes);

  auto ok = [&](std::int32_t type) {
    opened.push_back(type);
    doc.effectDefaults[type].param(5) = 321;
    return true;
  };
  view = styleEditorAdd(engine, kSpace, ok, 1);
  EXPECT_EQ(opened, (std::vector<std::int32_t>{kSpace, kSpace}));
  ASSERT_EQ(view.applied.size(), 4u);
  EXPECT_EQ(view.applied[3], "Space");
  EXPECT_EQ(view.selected, 3);
  // Space appends its whole working record, with what the cancelled dialog left too.
  EXPECT_EQ(doc.ws.effects[3].type, kSpace);
  EXPECT_EQ(doc.ws.effects[3].param(5), 321);
  EXPECT_EQ(doc.ws.effects[3].param(6), 7);
  EXPECT_TRUE(doc.ws.styleModified);
  EXPECT_EQ(host.previewRefreshes, ++refreshes);
}

TEST_F(StyleEditorTest, AFullStyleRefusesTheFortyFirstEffect) {
  doc.ws.effects.assign(39, record(kSingleColor));
  styleEditorOpened(engine);
  auto ok = [](std::int32_t) { return true; };
  EXPECT_EQ(styleEditorAdd(engine, kOutLine, ok, -1).applied.size(), 40u);
  EXPECT_TRUE(host.messages.empty());
  const int refreshes = host.previewRefreshes;
  const StyleEditorView view = styleEditorAdd(engine, kOutLine, noDialog, 39);
  EXPECT_EQ(view.applied.size(), 40u);
  EXPECT_EQ(view.selected, 39);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "A style holds at most 40 effects.");
  EXPECT_EQ(host.messages[0].caption, "Error!");
  EXPECT_EQ(host.messages[0].icon, MsgIcon::Error);
  EXPECT_EQ(host.previewRefreshes, refreshes);
}

TEST_F(StyleEditorTest, EditRunsOnTheWorkingRecordAndCopiesBackOnOkOnly) {
  openThreeEffects();
  doc.ws.effects[1].param(5) = 4;  // the applied Outline is 4 thick
  doc.effectDefaults[kOutLine].param(5) = 9;
  int refreshes = host.previewRefreshes;

  // Cancelled: the dialog saw the applied record; it stays; the style counts as edited.
  auto cancel = [&](std::int32_t type) {
    EXPECT_EQ(type, kOutLine);
    EXPECT_EQ(doc.effectDefaults[kOutLine].param(5), 4);
    doc.effectDefaults[kOutLine].param(5) = 6;
    return false;
  };
  EXPECT_EQ(styleEditorEdit(engine, 1, cancel).selected, 1);
  EXPECT_EQ(doc.ws.effects[1].param(5), 4);
  EXPECT_EQ(doc.effectDefaults[kOutLine].param(5), 6);
  EXPECT_TRUE(doc.ws.styleModified);
  EXPECT_EQ(host.previewRefreshes, ++refreshes);

  // So New asks about the unnamed style; Cancel keeps it.
  EXPECT_FALSE(styleEditorNew(engine));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Save change to Untitled.sty");
  EXPECT_EQ(host.messages[0].caption, "Warning!");
  EXPECT_EQ(host.messages[0].buttons, MsgButtons::YesNoCancel);
  EXPECT_EQ(doc.ws.effects.size(), 3u);

  auto ok = [&](std::int32_t) {
    doc.effectDefaults[kOutLine].param(1) = 0x00FF00;
    return true;
  };
  styleEditorEdit(engine, 1, ok);
  EXPECT_EQ(doc.ws.effects[1].param(1), 0x00FF00);
  EXPECT_EQ(doc.ws.effects[1].param(5), 4);  // loaded from the applied record first
  EXPECT_EQ(doc.ws.effects[1].type, kOutLine);
  EXPECT_EQ(typesOf(doc.ws.effects), (std::vector<std::int32_t>{0, 1, 2}));

  // No: the style is emptied without saving, and the preview shows the bare text.
  host.answers.push_back(MsgAnswer::No);
  EXPECT_TRUE(styleEditorNew(engine));
  EXPECT_TRUE(doc.ws.effects.empty());
  EXPECT_FALSE(doc.ws.styleModified);
  EXPECT_TRUE(host.dialogs.empty());
  EXPECT_EQ(styleEditorView(doc, 0).selected, -1);
}

TEST_F(StyleEditorTest, ADistortionIsEditedOverTheDistortionsBeforeIt) {
  EffectRecord wave = record(kDisturbTemplet);
  wave.param(5) = 1;  // sin(x)
  wave.param(6) = 300;
  wave.param(7) = 60;
  doc.ws.effects = {record(kSingleColor, 0xFFFFFF), wave, wave};
  styleEditorOpened(engine);
  bool sawOriginalText = false;
  auto look = [&](std::int32_t) {
    sawOriginalText = engine.canvas.textRaster == engine.canvas.savedTextRaster;
    return false;
  };
  // The first distortion starts from the text as laid out, the second from the text the
  // first one bent.
  styleEditorEdit(engine, 1, look);
  EXPECT_TRUE(sawOriginalText);
  styleEditorEdit(engine, 2, look);
  EXPECT_FALSE(sawOriginalText);
}

TEST_F(StyleEditorTest, SaveAsNamesTheFileByTheExtensionRule) {
  openThreeEffects();
  // Relative names land in the current folder: make it the test's.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  struct Case {
    std::string typed, written;
  } cases[] = {
      {"abc", "abc.sty"},            // three letters
      {".st", ".st.sty"},            // under four characters, holding a point
      {"a.b", "a.b.sty"},            // the point is not fourth from the end
      {"mine.txt", "mine.txt"},      // any three-letter extension is kept
      {"mine.sty", "mine.sty"},      // and so is the style's own
      {"my.style", "my.style.sty"},  // five letters after the point
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    host.saveAnswers.push_back(c.typed);
    doc.ws.styleModified = true;
    EXPECT_TRUE(styleEditorSaveAs(engine));
    EXPECT_TRUE(std::filesystem::exists(c.written));
    EXPECT_EQ(doc.ws.styleName, c.written);
    EXPECT_FALSE(doc.ws.styleModified);
  }
  std::filesystem::current_path(before);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.dialogs[0].filter, "Style File(*.sty)|*.sty|All Files(*.*)|*.*||");
  EXPECT_EQ(host.dialogs[0].proposedName, dir.file("untitled.sty"));
  EXPECT_FALSE(host.dialogs[0].askOverwrite);
  // The file holds the style: another document reads the same effects back.
  VornelDocument peer;
  initializeDocument(peer);
  ASSERT_TRUE(readStyle(dir.file("mine.sty"), peer));
  EXPECT_EQ(typesOf(peer.ws.effects), (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_EQ(peer.ws.effects[0].param(1), 0x0000FF);
}

TEST_F(StyleEditorTest, SaveAsAsksOnlyBeforeReplacingAFileThatHoldsSomething) {
  openThreeEffects();
  const std::string empty = dir.file("empty.sty"), full = dir.file("full.sty");
  test::writeFileBytes(empty, {});
  test::writeFileBytes(full, {'e', 'n', 'd', '\n'});

  host.saveAnswers.push_back(empty);
  EXPECT_TRUE(styleEditorSaveAs(engine));
  EXPECT_TRUE(host.messages.empty());
  EXPECT_GT(std::filesystem::file_size(empty), 0u);

  host.saveAnswers.push_back(full);
  host.answers.push_back(MsgAnswer::Cancel);
  EXPECT_FALSE(styleEditorSaveAs(engine));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, full + " \nThis file already exists. \nOverwrite this file?");
  EXPECT_EQ(host.messages[0].caption, "Warning!");
  EXPECT_EQ(host.messages[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(test::readFileBytes(full), (std::vector<std::uint8_t>{'e', 'n', 'd', '\n'}));
  EXPECT_EQ(doc.ws.styleName, empty);

  host.saveAnswers.push_back(full);
  host.answers.push_back(MsgAnswer::Ok);
  EXPECT_TRUE(styleEditorSaveAs(engine));
  EXPECT_EQ(test::readFileBytes(full), test::readFileBytes(empty));
  // Cancel in the file dialog ends Save As without a word.
  EXPECT_FALSE(styleEditorSaveAs(engine));
  EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(StyleEditorTest, AStyleThatCannotBeWrittenIsReportedAndKept) {
  openThreeEffects();
  doc.ws.styleModified = true;
  doc.ws.styleName = dir.file("no/such/folder/a.sty");
  EXPECT_FALSE(styleEditorSave(engine));
  host.saveAnswers.push_back(dir.file("missing/b"));
  EXPECT_FALSE(styleEditorSaveAs(engine));
  ASSERT_EQ(host.messages.size(), 2u);
  for (const test::ScriptedHost::Message& m : host.messages) {
    EXPECT_EQ(m.text, "Cannot save file!");
    EXPECT_EQ(m.caption, "Error!");
    EXPECT_EQ(m.icon, MsgIcon::Error);
  }
  EXPECT_EQ(doc.ws.styleName, dir.file("no/such/folder/a.sty"));
  EXPECT_TRUE(doc.ws.styleModified);
  EXPECT_EQ(doc.ws.effects.size(), 3u);
  // New then asks about it, and a save that fails again keeps the style.
  host.answers.push_back(MsgAnswer::Yes);
  EXPECT_FALSE(styleEditorNew(engine));
  EXPECT_EQ(host.messages[2].text, "Save change to " + dir.file("no/such/folder/a.sty"));
  EXPECT_EQ(doc.ws.effects.size(), 3u);
  // Yes with a name that can be written saves, then empties.
  doc.ws.styleName = dir.file("kept.sty");
  host.answers.push_back(MsgAnswer::Yes);
  EXPECT_TRUE(styleEditorNew(engine));
  EXPECT_TRUE(doc.ws.effects.empty());
  VornelDocument peer;
  initializeDocument(peer);
  ASSERT_TRUE(readStyle(dir.file("kept.sty"), peer));
  EXPECT_EQ(peer.ws.effects.size(), 3u);
}

TEST_F(StyleEditorTest, MessageEditStyleTakesTheStyleBackOnOkOnly) {
  const std::vector<EffectRecord> original = {record(kOutLine), record(kSingleColor, 0xFF)};
  doc.layer(kMessageLayer).effects = original;
  doc.messageStyleName = dir.file("start.sty");
  doc.projectModified = false;

  // Cancel, after deleting the Draw effect: the layer keeps both, yet the job renders.
  doc.outputStale = true;
  int refreshes = host.previewRefreshes;
  MessagePageView view = messageStyleEdited(engine, [&] {
    EXPECT_EQ(doc.ws.styleName, dir.file("start.sty"));
    EXPECT_EQ(typesOf(doc.ws.effects), (std::vector<std::int32_t>{1, 0}));
    styleEditorOpened(engine);
    styleEditorDelete(engine, 1);
    return false;
  });
  EXPECT_EQ(typesOf(doc.layer(kMessageLayer).effects), (std::vector<std::int32_t>{1, 0}));
  EXPECT_FALSE(doc.projectModified);
  EXPECT_FALSE(doc.messageStyleModified);
  EXPECT_FALSE(doc.outputStale);
  EXPECT_GT(host.previewRefreshes, refreshes);
  EXPECT_TRUE(view.changeColorEnabled);

  // OK after the same: the layer loses its Draw, the style is marked, the project too.
  doc.outputStale = true;
  refreshes = host.previewRefreshes;
  view = messageStyleEdited(engine, [&] {
    styleEditorOpened(engine);
    styleEditorDelete(engine, 1);
    return true;
  });
  EXPECT_EQ(typesOf(doc.layer(kMessageLayer).effects), std::vector<std::int32_t>{1});
  EXPECT_TRUE(doc.messageStyleModified);
  EXPECT_TRUE(doc.projectModified);
  EXPECT_FALSE(doc.outputStale);
  EXPECT_GT(host.previewRefreshes, refreshes);
  EXPECT_FALSE(view.changeColorEnabled);

  // Opened again, the unsaved edits are known: New asks, naming the page's style file.
  messageStyleEdited(engine, [&] {
    EXPECT_TRUE(doc.ws.styleModified);
    EXPECT_FALSE(styleEditorNew(engine));
    return false;
  });
  EXPECT_EQ(host.messages.back().text, "Save change to " + dir.file("start.sty"));
  EXPECT_EQ(view.styleEntry, "");  // start.sty is not in the program folder

  // Saved into the program folder and confirmed: the page's list marks the new file.
  host.saveAnswers.push_back(dir.file("mine"));
  view = messageStyleEdited(engine, [&] { return styleEditorSaveAs(engine); });
  EXPECT_EQ(view.styleEntry, "mine.sty");
  EXPECT_NE(std::find(view.styles.begin(), view.styles.end(), "mine.sty"), view.styles.end());
  EXPECT_FALSE(doc.messageStyleModified);
}

TEST_F(StyleEditorTest, AStyleSavedUnderANewNameBecomesTheLayers) {
  doc.layer(kTemplateLayer).kind = kLayerFont;
  doc.layer(kTemplateLayer).effects = {record(kSingleColor)};
  doc.templateStyleName = dir.file("old.sty");
  doc.ws.backgroundColor = 0x123456;
  doc.ws.backgroundMode = kBackgroundSingleColor;
  host.saveAnswers.push_back(dir.file("new"));
  editLayerStyleWithEditor(engine, kTemplateLayer, [&] {
    // The Template's page gives the project the working background first.
    EXPECT_EQ(doc.projectBackgroundColor, 0x123456u);
    EXPECT_EQ(doc.projectBackgroundMode, kBackgroundSingleColor);
    styleEditorOpened(engine);
    styleEditorGoDown(engine, 0);  // a single effect: nothing moves
    return styleEditorSaveAs(engine);
  });
  EXPECT_EQ(doc.templateStyleName, dir.file("new.sty"));
  EXPECT_EQ(doc.layer(kTemplateLayer).styleName, dir.file("new.sty"));
  EXPECT_FALSE(doc.templateStyleModified);
}

// The pictures the type list draws, as the build leaves them: 4-bit BMP files with a
// 16-colour palette at the sizes the rows are laid out for, each showing something.
TEST(EffectPictures, SixteenColourPicturesAtTheirSizes) {
  const int sizes[kEffectTypeCount][2] = {{44, 16},  {67, 20},  {108, 24}, {144, 20}, {44, 20},
                                          {160, 24}, {76, 24},  {36, 16},  {132, 24}, {108, 16},
                                          {98, 23},  {104, 20}, {76, 19}};
  for (int type = 0; type < kEffectTypeCount; ++type) {
    SCOPED_TRACE("effect" + std::to_string(type));
    const std::vector<std::uint8_t> file = test::readFileBytes(
        std::string(VORNEL_APPDATA_DIR) + "/../ui-pictures/effect" + std::to_string(type) + ".bmp");
    ASSERT_GE(file.size(), 54u + 64u) << "built by the target vornel_ui_pictures";
    const std::uint8_t* f = file.data();
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    const int width = static_cast<int>(loadI32le(f + 18)),
              height = static_cast<int>(loadI32le(f + 22));
    EXPECT_EQ(width, sizes[type][0]);
    EXPECT_EQ(height, sizes[type][1]);
    EXPECT_EQ(loadU16le(f + 28), 4);    // bits per pixel
    EXPECT_EQ(loadU32le(f + 30), 0u);   // uncompressed
    EXPECT_EQ(loadU32le(f + 46), 16u);  // colours used
    const std::size_t pixelOffset = loadU32le(f + 10);
    EXPECT_EQ(pixelOffset, 14u + 40u + 16u * 4u);
    // Rows of 4-bit pixels padded to whole 32-bit words, as a reader computes them.
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 4 + 31) / 32 * 4;
    ASSERT_EQ(file.size(), pixelOffset + rowBytes * static_cast<std::size_t>(height));
    std::set<int> used;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const std::uint8_t byte = f[pixelOffset + static_cast<std::size_t>(y) * rowBytes + x / 2];
        used.insert(x % 2 == 0 ? byte >> 4 : byte & 0x0F);
      }
    EXPECT_GE(used.size(), 3u) << "a picture of one or two colours shows no effect";
  }
}

}  // namespace
}  // namespace vornel
