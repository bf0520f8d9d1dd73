// The effect dialogs' rules, driven without a window: what each slider, box, list and
// button does to its type's working record, the previews they run, the record Add
// appends, the 3D Shape dialog's exchange and curve, and the direction picker.
#include "ui/logic/effect_dialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/job.h"
#include "imageio/image_by_name.h"
#include "render/canvas_layout.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "test_support.h"
#include "ui/logic/dialog_place.h"
#include "ui/logic/direction_picker.h"
#include "ui/logic/number_box.h"
#include "ui/logic/shape_dialog.h"
#include "ui/logic/sheet.h"

namespace vornel {
namespace {

struct DialogFixture : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  VornelDocument& doc = engine.doc;
  test::TempDir dir;

  void SetUp() override {
    test::startWindowEngine(engine, dir, false);
    // As the style editor leaves it when it opens a dialog: the Message prepared and
    // rendered in the working set.
    loadLayerIntoWorkingSet(doc, kMessageLayer);
    ASSERT_TRUE(prepareCanvas(engine));
    renderPreview(engine);
    host.previewRefreshes = 0;
  }

  EffectRecord& working(int type) { return doc.effectDefaults[static_cast<std::size_t>(type)]; }

  // The texts of a dialog's boxes as it shows them after view, with box index set to
  // text (the box being typed in).
  static std::vector<std::string> boxTexts(const EffectDialogLogic& logic,
                                           const EffectDialogView& shown, int index,
                                           const std::string& text) {
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < logic.sliders().size(); ++i)
      texts.push_back(shown.boxes[i].value_or(""));
    texts[static_cast<std::size_t>(index)] = text;
    return texts;
  }

  static int sliderIndex(const EffectDialogLogic& logic, const std::string& label) {
    for (std::size_t i = 0; i < logic.sliders().size(); ++i)
      if (label == logic.sliders()[i]->label) return static_cast<int>(i);
    ADD_FAILURE() << "no slider " << label;
    return 0;
  }

  RgbPicture output() const { return doc.outputImage.toRgb(); }
};

TEST(EffectDialogTable, EveryTypeHasItsCaptionAndParametersInRange) {
  const char* captions[kEffectTypeCount] = {"Effect : Draw",
                                            "Effect : Outline",
                                            "Effect : Drop Shadow",
                                            "Gradient",
                                            "Depth of field",
                                            "Distort Templet : Sine & Cosine",
                                            "Effect : Star Filtering",
                                            "Effect : Tile",
                                            "Effect : 3D Single Color",
                                            "Effect : Rectangle",
                                            "Effect : Fog",
                                            "Effect : Space",
                                            "Effect : Cut Out"};
  for (int type = 0; type < kEffectTypeCount; ++type) {
    const DialogSpec* dialog = effectDialogSpec(type);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->type, type);
    EXPECT_STREQ(dialog->caption, captions[type]);
    for (const ControlSpec* s : dialogSliders(*dialog)) {
      EXPECT_GE(s->param, 1);
      EXPECT_LE(s->param, 12);
      EXPECT_LT(s->minimum, s->maximum) << s->label;
      EXPECT_GE(s->page, 1);
    }
  }
  EXPECT_EQ(effectDialogSpec(13), nullptr);
  EXPECT_EQ(effectDialogSpec(-1), nullptr);
  // The offset pairs: "Vertical" is p4, upright; the other p3; both -20 ... 20.
  const auto shadow = dialogSliders(*effectDialogSpec(kDropShadow));
  ASSERT_EQ(shadow.size(), 4u);
  EXPECT_STREQ(shadow[0]->label, "Vertical");
  EXPECT_EQ(shadow[0]->param, 4);
  EXPECT_TRUE(shadow[0]->vertical);
  EXPECT_STREQ(shadow[1]->label, "Horizontal");
  EXPECT_EQ(shadow[1]->param, 3);
  EXPECT_EQ(shadow[1]->minimum, -20);
  EXPECT_STREQ(dialogSliders(*effectDialogSpec(kSingleColor))[1]->label, "Holizontal");
  EXPECT_STREQ(shadow[2]->label, "&Opacity");
  EXPECT_EQ(shadow[2]->page, 10);
}

TEST(NumberBox, ReadsWholeNumbersAndDecimalsWithoutOverflow) {
  EXPECT_EQ(parseIntegerBox("50"), 50);
  EXPECT_EQ(parseIntegerBox(" -7 "), -7);
  EXPECT_EQ(parseIntegerBox("+3"), 3);
  EXPECT_EQ(parseIntegerBox("-2147483648"), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(parseIntegerBox("99999999999"), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(parseIntegerBox("-99999999999999999999999"), std::numeric_limits<std::int32_t>::min());
  for (const char* bad : {"", "-", "+", " ", "12ab", "1.5", "0x10", "--1", "1 2"})
    EXPECT_FALSE(parseIntegerBox(bad)) << bad;

  EXPECT_EQ(parseDecimalBox("2.57"), 2.57);
  EXPECT_EQ(parseDecimalBox("-.5"), -0.5);
  EXPECT_EQ(parseDecimalBox("+1e3"), 1000.0);
  EXPECT_EQ(parseDecimalBox("7."), 7.0);
  for (const char* bad : {"", "-", ".", "1,5", "abc", "inf", "nan", "1e400", "++1"})
    EXPECT_FALSE(parseDecimalBox(bad)) << bad;

  EXPECT_EQ(decimalBoxText(0.1), "0.1");
  EXPECT_EQ(decimalBoxText(10), "10");
  EXPECT_EQ(decimalBoxText(-0.0), "0");
  EXPECT_EQ(decimalBoxText(2147483647), "2147483647");
  EXPECT_EQ(truncToInt32(25.7), 25);
  EXPECT_EQ(truncToInt32(-25.7), -25);
  EXPECT_EQ(truncToInt32(1e300), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(truncToInt32(std::nan("")), 0);
}

TEST_F(DialogFixture, OffsetBoxKeepsTheTypedValueUntilTheNextSliderMove) {
  EffectDialogLogic logic(engine, kOutLine);
  EffectDialogView shown = logic.open();
  const int h = sliderIndex(logic, "Holizontal");
  const int refreshes = host.previewRefreshes;

  EffectDialogView typed = logic.boxEdited(h, boxTexts(logic, shown, h, "50"));
  EXPECT_EQ(working(kOutLine).param(3), 50);
  EXPECT_EQ(typed.positions[static_cast<std::size_t>(h)], 20);  // the slider's end
  EXPECT_FALSE(typed.boxes[static_cast<std::size_t>(h)]);       // the box keeps "50"
  EXPECT_EQ(host.previewRefreshes, refreshes + 1);

  // Any slider move stores every slider's position, the clamped offset included.
  EffectDialogView moved = logic.sliderMoved(typed.positions);
  EXPECT_EQ(working(kOutLine).param(3), 20);
  EXPECT_EQ(moved.boxes[static_cast<std::size_t>(h)], "20");

  logic.boxEdited(h, boxTexts(logic, moved, h, "-35"));
  EXPECT_EQ(working(kOutLine).param(3), -35);
}

TEST_F(DialogFixture, UnreadableBoxesGiveTheirMessageAndChangeNothing) {
  EffectDialogLogic logic(engine, kDropShadow);
  EffectDialogView shown = logic.open();
  const int opacity = sliderIndex(logic, "&Opacity");
  const EffectRecord before = working(kDropShadow);
  const int refreshes = host.previewRefreshes;
  for (const char* bad : {"-", "", "5x", "abc"}) {
    host.messages.clear();
    EffectDialogView out = logic.boxEdited(opacity, boxTexts(logic, shown, opacity, bad));
    ASSERT_EQ(host.messages.size(), 1u) << bad;
    EXPECT_EQ(host.messages[0].text, "Please enter an integer.");
    EXPECT_EQ(working(kDropShadow).param(5), before.param(5)) << bad;
    EXPECT_FALSE(out.previewed);
  }
  EXPECT_EQ(host.previewRefreshes, refreshes);

  // Another box that cannot be read stops the typed one too.
  std::vector<std::string> texts = boxTexts(logic, shown, opacity, "80");
  texts[0] = "-";
  host.messages.clear();
  logic.boxEdited(opacity, texts);
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(working(kDropShadow).param(5), before.param(5));

  // Decimal boxes say so in their own words.
  EffectDialogLogic rect(engine, kRoundBoxEffect);
  EffectDialogView rectShown = rect.open();
  host.messages.clear();
  rect.boxEdited(0, boxTexts(rect, rectShown, 0, "."));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Please enter a number.");
  EXPECT_EQ(working(kRoundBoxEffect).param(5), 1);
}

TEST_F(DialogFixture, ExtremeBoxValuesSaturateAndPreviewWithoutHarm) {
  // Every box of every dialog takes the 32-bit ends and far beyond; previews still run.
  for (int type = 0; type < kEffectTypeCount; ++type) {
    EffectDialogLogic logic(engine, type);
    EffectDialogView shown = logic.open();
    for (std::size_t i = 0; i < logic.sliders().size(); ++i) {
      const ControlSpec& s = *logic.sliders()[i];
      if (s.rule == BoxRule::ShowOnly || s.format == BoxFormat::Digits) continue;
      for (const char* text : {"-2147483648", "99999999999"}) {
        EffectDialogView out =
            logic.boxEdited(static_cast<int>(i), boxTexts(logic, shown, static_cast<int>(i), text));
        const std::int32_t stored = working(type).param(s.param);
        const bool low = text[0] == '-';
        const std::int32_t expected = s.rule == BoxRule::BelowThirtyTwo && !low ? 31
                                      : low ? std::numeric_limits<std::int32_t>::min()
                                            : std::numeric_limits<std::int32_t>::max();
        EXPECT_EQ(stored, expected) << s.label;
        EXPECT_EQ(out.positions[i], low ? s.minimum : s.maximum) << s.label;
      }
      // Put the parameter back in range so the next box's preview stays quick.
      logic.sliderMoved(shown.positions);
    }
  }
}

TEST_F(DialogFixture, BlurOfThirtyTwoOrMoreIsStoredAndShownAsThirtyOne) {
  EffectDialogLogic logic(engine, kDropShadow);
  EffectDialogView shown = logic.open();
  const int blur = sliderIndex(logic, "Blur");
  EffectDialogView out = logic.boxEdited(blur, boxTexts(logic, shown, blur, "40"));
  EXPECT_EQ(working(kDropShadow).param(6), 31);
  EXPECT_EQ(out.boxes[static_cast<std::size_t>(blur)], "31");
  EXPECT_EQ(out.positions[static_cast<std::size_t>(blur)], 10);
  out = logic.boxEdited(blur, boxTexts(logic, shown, blur, "32"));
  EXPECT_EQ(working(kDropShadow).param(6), 31);
  EXPECT_EQ(out.boxes[static_cast<std::size_t>(blur)], "31");
  out = logic.boxEdited(blur, boxTexts(logic, shown, blur, "31"));
  EXPECT_EQ(working(kDropShadow).param(6), 31);
  EXPECT_FALSE(out.boxes[static_cast<std::size_t>(blur)]);
  // Only Blur has the rule: Cut Out's blur keeps what was typed.
  EffectDialogLogic cut(engine, kCutOut);
  EffectDialogView cutShown = cut.open();
  const int cutBlur = sliderIndex(cut, "Blur");
  cut.boxEdited(cutBlur, boxTexts(cut, cutShown, cutBlur, "40"));
  EXPECT_EQ(working(kCutOut).param(6), 40);
}

TEST_F(DialogFixture, RoundBoxBoxesShowTenthsAndStoreAllFourTimesTen) {
  EffectDialogLogic logic(engine, kRoundBoxEffect);
  EffectDialogView shown = logic.open();
  ASSERT_EQ(shown.boxes.size(), 4u);
  EXPECT_EQ(shown.boxes[0], "0.1");  // start-up p5 = 1
  EXPECT_EQ(shown.boxes[2], "10");   // start-up p7 = 100

  std::vector<std::string> texts = {"2.57", "0.1", "10", "33.33"};
  EffectDialogView out = logic.boxEdited(0, texts);
  EXPECT_EQ(working(kRoundBoxEffect).param(5), 25);
  EXPECT_EQ(working(kRoundBoxEffect).param(6), 1);
  EXPECT_EQ(working(kRoundBoxEffect).param(7), 100);
  EXPECT_EQ(working(kRoundBoxEffect).param(8), 333);  // typed in another box, stored too
  EXPECT_EQ(out.positions, (std::vector<int>{25, 1, 100, 333}));

  out = logic.sliderMoved({1500, 7, 0, 1000});
  EXPECT_EQ(working(kRoundBoxEffect).param(5), 1500);
  EXPECT_EQ(out.boxes[0], "150");
  EXPECT_EQ(out.boxes[1], "0.7");
  EXPECT_EQ(out.boxes[3], "100");
}

TEST_F(DialogFixture, FogDecimalBoxesTruncateAndOpeningLoadsTheShapeProfile) {
  working(kFog).param(6) = 300;
  working(kFog).param(10) = 250;
  EffectDialogLogic logic(engine, kFog);
  EffectDialogView shown = logic.open();
  EXPECT_DOUBLE_EQ(engine.relief.profile.hs, 3.0);
  EXPECT_DOUBLE_EQ(engine.relief.profile.lvl, 0.25);
  const int intensity = sliderIndex(logic, "Intensity");
  logic.boxEdited(intensity, boxTexts(logic, shown, intensity, "12.7"));
  EXPECT_EQ(working(kFog).param(12), 12);
  logic.boxEdited(intensity, boxTexts(logic, shown, intensity, "-0.9"));
  EXPECT_EQ(working(kFog).param(12), 0);
}

TEST_F(DialogFixture, CancelKeepsMovedValuesForTheNextDialogOfThatType) {
  {
    EffectDialogLogic logic(engine, kSpace);
    logic.open();
    logic.sliderMoved({-3, 7, 500, 42});
  }  // closed without OK
  EXPECT_EQ(working(kSpace).param(4), -3);
  EXPECT_EQ(working(kSpace).param(3), 7);
  EXPECT_EQ(working(kSpace).param(6), 500);
  EXPECT_EQ(working(kSpace).param(5), 42);
  EffectDialogLogic again(engine, kSpace);
  EffectDialogView shown = again.open();
  EXPECT_EQ(shown.positions, (std::vector<int>{-3, 7, 500, 42}));
  EXPECT_EQ(shown.boxes[2], "500");
}

TEST_F(DialogFixture, DrawOpensOnSingleColorUnlessABitmapFillIsChosen) {
  working(kSingleColor).param(5) = 0;
  EffectDialogLogic logic(engine, kSingleColor);
  EffectDialogView shown = logic.open();
  EXPECT_EQ(working(kSingleColor).param(5), 2);
  EXPECT_TRUE(shown.colorEnabled);
  EXPECT_FALSE(shown.bitmapEnabled);

  EffectDialogView tiled = logic.radioChosen(5, 4);
  EXPECT_EQ(working(kSingleColor).param(5), 4);
  EXPECT_FALSE(tiled.colorEnabled);
  EXPECT_TRUE(tiled.bitmapEnabled);

  working(kSingleColor).param(5) = 5;
  EffectDialogLogic stretched(engine, kSingleColor);
  stretched.open();
  EXPECT_EQ(working(kSingleColor).param(5), 5);

  // The name box's text is the texture name on OK; the picker's choice is shown at once.
  EffectDialogView picked = stretched.textureChosen("wood.jpg");
  EXPECT_EQ(picked.textureName, "wood.jpg");
  EXPECT_EQ(working(kSingleColor).texture(), "wood.jpg");
  stretched.accepted("marble.bmp");
  EXPECT_EQ(working(kSingleColor).texture(), "marble.bmp");
  EXPECT_EQ(stretched.textureFolder(), doc.appDirectory + "texture/");
  EXPECT_EQ(stretched.texturePattern(), "*.*");
}

TEST(EffectRecordForAdd, TheFourSimpleTypesTakeOnlyTheirShownValues) {
  EffectRecord full;
  for (int p = 1; p <= 12; ++p) full.param(p) = 100 + p;
  full.setTexture("wood.jpg");
  auto added = [&](int type) {
    EffectRecord r = full;
    r.type = type;
    return effectRecordForAdd(r);
  };
  auto params = [](const EffectRecord& r) { return std::vector<int>(r.p, r.p + 12); };

  EffectRecord draw = added(kSingleColor);
  EXPECT_EQ(draw.type, kSingleColor);
  EXPECT_EQ(params(draw), (std::vector<int>{101, 0, 103, 104, 105, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(draw.texture(), "wood.jpg");
  EffectRecord outline = added(kOutLine);
  EXPECT_EQ(params(outline), (std::vector<int>{101, 0, 103, 104, 105, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(outline.texture(), "");
  EXPECT_EQ(params(added(kDropShadow)),
            (std::vector<int>{101, 0, 103, 104, 105, 106, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(params(added(kDepthField)), (std::vector<int>{0, 0, 0, 0, 105, 106, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(added(kDepthField).texture(), "");
  for (int type : {kLinearGradient, kDisturbTemplet, kStarFilter, kTile, k3dSingleColor,
                   kRoundBoxEffect, kFog, kSpace, kCutOut}) {
    EffectRecord whole = added(type);
    EXPECT_EQ(params(whole), params(full)) << type;
    EXPECT_EQ(whole.texture(), "wood.jpg") << type;
    EXPECT_EQ(whole.type, type);
  }
}

TEST_F(DialogFixture, PreviewsRunWhereTheTableSaysAndRefreshThePane) {
  // Depth of Field changes only its record.
  EffectDialogLogic depth(engine, kDepthField);
  EXPECT_FALSE(depth.open().previewed);
  depth.sliderMoved({120, 4});
  EXPECT_EQ(working(kDepthField).param(5), 120);
  EXPECT_EQ(host.previewRefreshes, 0);

  // Star Filtering's offset boxes store without a preview; its other controls preview.
  EffectDialogLogic star(engine, kStarFilter);
  EffectDialogView shown = star.open();
  EXPECT_EQ(host.previewRefreshes, 1);
  EffectDialogView quiet = star.boxEdited(0, boxTexts(star, shown, 0, "-8"));
  EXPECT_EQ(working(kStarFilter).param(4), -8);
  EXPECT_EQ(quiet.positions[0], -8);
  EXPECT_EQ(host.previewRefreshes, 1);
  const int intensity = sliderIndex(star, "Intensity");
  star.boxEdited(intensity, boxTexts(star, shown, intensity, "3"));
  star.listChosen(2, 1);
  star.colorChosen(1, 0x00FF00);
  EXPECT_EQ(working(kStarFilter).param(2), 1);
  EXPECT_EQ(working(kStarFilter).param(1), 0x00FF00);
  EXPECT_EQ(host.previewRefreshes, 4);

  // 3D Single Color's location boxes only show the sliders.
  EffectDialogLogic relief(engine, k3dSingleColor);
  EffectDialogView reliefShown = relief.open();
  const EffectRecord before = working(k3dSingleColor);
  EffectDialogView typed = relief.boxEdited(0, boxTexts(relief, reliefShown, 0, "9"));
  EXPECT_EQ(working(k3dSingleColor).param(4), before.param(4));
  EXPECT_FALSE(typed.previewed);
  relief.sliderMoved({5, -6});
  EXPECT_EQ(working(k3dSingleColor).param(4), 5);
  EXPECT_EQ(working(k3dSingleColor).param(3), -6);
}

TEST_F(DialogFixture, EffectPreviewShowsTheRecordAloneOverTheBackground) {
  EffectDialogLogic logic(engine, kSingleColor);
  logic.open();
  logic.colorChosen(1, 0x0000FF);  // red
  const RenderCanvas& c = engine.canvas;
  const RgbPicture out = output();
  ASSERT_EQ(out.width, c.width);
  ASSERT_EQ(out.height, c.height);
  // Lit text pixels are the red fill (255 lands as 254), the rest the white background.
  int lit = 0;
  for (int i = 0; i < c.width * c.height; ++i) {
    const std::uint8_t* rgb = &out.rgb[static_cast<std::size_t>(i) * 3];
    if (c.textRaster[static_cast<std::size_t>(i) * 3] == 255) {
      ++lit;
      EXPECT_EQ(rgb[0], 254);
      EXPECT_EQ(rgb[1], 0);
    } else if (c.textRaster[static_cast<std::size_t>(i) * 3] == 0) {
      EXPECT_EQ(rgb[1], 255);
    }
  }
  EXPECT_GT(lit, 100);
}

TEST_F(DialogFixture, DisturbingPreviewStartsEachTimeFromTheRasterItOpenedOn) {
  const std::vector<std::uint8_t> opened = engine.canvas.textRaster;
  working(kDisturbTemplet).param(5) = 1;  // sin(x)
  working(kDisturbTemplet).param(7) = 200;
  EffectDialogLogic logic(engine, kDisturbTemplet);
  EffectDialogView shown = logic.open();
  const std::vector<std::uint8_t> once = engine.canvas.textRaster;
  EXPECT_NE(once, opened);
  logic.sliderMoved(shown.positions);
  EXPECT_EQ(engine.canvas.textRaster, once);  // not warped twice

  // The warped text in black over the white background.
  const RgbPicture out = output();
  for (std::size_t i = 0; i < once.size() / 3; ++i) {
    const std::uint8_t expected = once[i * 3] == 255 ? 0 : 255;
    if (once[i * 3] != 0 && once[i * 3] != 255) continue;
    ASSERT_EQ(out.rgb[i * 3], expected) << i;
  }
  // Over a dark background the text is white (a full 255 blends to 254).
  doc.ws.backgroundColor = 0x200000;
  logic.listChosen(5, 0);
  const RgbPicture dark = output();
  for (std::size_t i = 0; i < opened.size() / 3; ++i) {
    if (opened[i * 3] == 255) {
      ASSERT_EQ(dark.rgb[i * 3], 254) << i;
    }
  }
}

TEST_F(DialogFixture, RoundBoxPreviewShowsTheBox) {
  EffectDialogLogic logic(engine, kRoundBoxEffect);
  logic.open();
  // The whole canvas, square corners: every pixel of the box, in black on white.
  logic.sliderMoved({1000, 1000, 0, 0});
  const RgbPicture out = output();
  for (std::uint8_t v : out.rgb) ASSERT_EQ(v, 0);
  logic.sliderMoved({0, 0, 0, 0});
  for (std::uint8_t v : output().rgb) ASSERT_EQ(v, 255);
}

TEST_F(DialogFixture, StarPreviewStampsFiftyStarsAlongTheMiddleRow) {
  // A star of one centre cell: after trimming, each stamp lights one pixel.
  EffectKernel& star = starKernel(engine, 0);
  star = makeKernel(kStarKernelSide, kStarKernelSide);
  star.cell(0, 0)[0] = star.cell(0, 0)[1] = star.cell(0, 0)[2] = 0.001f;
  working(kStarFilter).param(2) = 0;
  working(kStarFilter).param(6) = 1;         // 1000 x 255 x 0.001 = 255
  working(kStarFilter).param(1) = 0x0000FF;  // red only
  EffectDialogLogic logic(engine, kStarFilter);
  logic.open();
  const RgbPicture out = output();
  const int H = engine.canvas.height;
  ASSERT_GT(engine.canvas.width, 75);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      const std::uint8_t* rgb = &out.rgb[(static_cast<std::size_t>(y) * out.width + x) * 3];
      const bool stamped = y == H / 2 && x >= 25 && x <= 74;
      ASSERT_EQ(rgb[0], stamped ? 255 : 0) << x << "," << y;
      ASSERT_EQ(rgb[1], 0);
      ASSERT_EQ(rgb[2], 0);
    }
  // A kind with no star gives a black picture.
  logic.listChosen(2, 2);
  working(kStarFilter).param(2) = 7;
  logic.sliderMoved({0, 0, 1});
  for (std::uint8_t v : output().rgb) ASSERT_EQ(v, 0);
}

TEST_F(DialogFixture, TilePreviewRunsTheTileAloneOnTheSavedCanvas) {
  // A 4 x 4 tile whose centre pixel is black: every tile it makes has a hole there, so a
  // second run on the mosaic's own coverage would find every block's centre empty.
  const std::string folder = dir.file("texture");
  std::filesystem::create_directories(folder);
  DibImage tile;
  ASSERT_EQ(tile.create(4, 4, 24), 1);
  {
    DibRowAccess rows(tile);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 12; ++x) rows[y][x] = y == 2 && x / 3 == 2 ? 0 : 200;
  }
  ASSERT_EQ(writeImageByName(tile, folder + "/hole.bmp", 0, -1, 24), 1);
  doc.appDirectory = dir.path() + "/";

  // A style painted first: the tile turns it into a mosaic.
  EffectRecord fill;
  fill.type = kSingleColor;
  fill.param(1) = 0x3060C0;
  doc.ws.effects = {fill};
  renderPreview(engine);
  const std::vector<std::uint8_t> painted = engine.canvas.canvas;

  EffectDialogLogic logic(engine, kTile);
  EXPECT_FALSE(logic.open().previewed);
  EXPECT_EQ(logic.texturePattern(), "*.git");
  host.previewRefreshes = 0;
  EffectDialogView chosen = logic.textureChosen("hole.bmp");
  EXPECT_TRUE(chosen.previewed);
  EXPECT_EQ(chosen.textureName, "hole.bmp");
  EXPECT_EQ(working(kTile).texture(), "hole.bmp");
  EXPECT_EQ(host.previewRefreshes, 1);
  const std::vector<std::uint8_t> tiled = engine.canvas.canvas;
  EXPECT_NE(tiled, painted);
  EXPECT_TRUE(std::any_of(tiled.begin(), tiled.end(), [](std::uint8_t v) { return v != 0; }));
  // Choosing again starts from the saved canvas and coverage, not from the mosaic.
  logic.textureChosen("hole.bmp");
  EXPECT_EQ(engine.canvas.canvas, tiled);
  const RgbPicture out = output();
  ASSERT_EQ(out.rgb.size(), tiled.size());
  for (std::size_t i = 0; i < tiled.size(); i += 3) {
    ASSERT_EQ(out.rgb[i], tiled[i + 2]);  // the output is the canvas, turned into RGB
    ASSERT_EQ(out.rgb[i + 2], tiled[i]);
  }
}

TEST_F(DialogFixture, GradientDirectionFollowsThePaneAndTheAngleBox) {
  EffectDialogLogic logic(engine, kLinearGradient);
  EffectDialogView shown = logic.open();
  EXPECT_EQ(shown.angleText, "20");
  EXPECT_DOUBLE_EQ(logic.angle(), 20.0);
  const int refreshes = host.previewRefreshes;
  logic.directionTracked(133.9);
  EXPECT_EQ(working(kLinearGradient).param(5), 133);
  EXPECT_EQ(host.previewRefreshes, refreshes);  // moves only repaint the pane
  EffectDialogView released = logic.directionReleased(directionAngle(40, 40, 100, 60));
  EXPECT_EQ(released.angleText, "134.98");
  EXPECT_EQ(working(kLinearGradient).param(5), 134);
  EXPECT_EQ(host.previewRefreshes, refreshes + 1);

  logic.angleEdited("-45.5");
  EXPECT_EQ(working(kLinearGradient).param(5), -45);
  EXPECT_DOUBLE_EQ(logic.angle(), -45.5);
  host.messages.clear();
  logic.angleEdited("-");
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, "Please enter a number.");
  EXPECT_EQ(working(kLinearGradient).param(5), -45);
}

TEST(DirectionPicker, AngleFromTheMousePositionUsesThreePointOneFour) {
  // Pane 100 x 60: centre (50, 30). arctan(1) = 0.785398... rad, times 180 / 3.14 =
  // 45.02282...
  const double diagonal = 0.78539816339744831 * 180.0 / 3.14;
  EXPECT_NEAR(directionAngle(60, 40, 100, 60), diagonal, 1e-12);
  EXPECT_NEAR(directionAngle(40, 40, 100, 60), 180.0 - diagonal, 1e-12);
  EXPECT_NEAR(directionAngle(60, 20, 100, 60), -diagonal, 1e-12);  // up-right: negative
  EXPECT_NEAR(directionAngle(40, 20, 100, 60), 180.0 + diagonal, 1e-12);
  EXPECT_EQ(directionAngle(50, 50, 100, 60), 90.0);
  EXPECT_EQ(directionAngle(50, 10, 100, 60), 270.0);
  EXPECT_EQ(directionAngle(50, 30, 100, 60), 270.0);  // the centre itself
  EXPECT_EQ(directionAngle(90, 30, 100, 60), 0.0);
  EXPECT_EQ(directionAngle(10, 30, 100, 60), 180.0);
  // Pane 101 x 61: the centre is still (50, 30). atan(10 / 20) = 0.463647609 rad.
  EXPECT_NEAR(directionAngle(70, 40, 101, 61), 0.46364760900080609 * 180.0 / 3.14, 1e-12);
}

TEST(DirectionPicker, PaneShowsTheGradientAFrameAndTheLine) {
  // 112 x 80, angle 0, half-length 20, red to cyan: the start point is (56 - 20, 40) and
  // t = |x - 36| / 40 along every row.
  const RgbPicture pane = paintDirectionPane(112, 80, 0x0000FF, 0xFFFF00, 20, 0);
  ASSERT_EQ(pane.width, 112);
  auto at = [&](int x, int y) {
    const std::uint8_t* p = &pane.rgb[(static_cast<std::size_t>(y) * 112 + x) * 3];
    return std::vector<int>{p[0], p[1], p[2]};
  };
  EXPECT_EQ(at(36, 20), (std::vector<int>{254, 0, 0}));    // t = 0: colour 1 (255 -> 254)
  EXPECT_EQ(at(76, 20), (std::vector<int>{0, 254, 254}));  // t = 1: colour 2
  // x = 10: t = 0.65; red trunc(255 - 0.65 x 255) = 89, green trunc(0.65 x 255) = 165,
  // then the full-coverage blend v x 255 >> 8: 88 and 164.
  EXPECT_EQ(at(10, 20), (std::vector<int>{88, 164, 164}));
  EXPECT_EQ(at(0, 0), (std::vector<int>{0, 0, 0}));  // the frame
  EXPECT_EQ(at(111, 79), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(at(0, 50), (std::vector<int>{0, 0, 0}));
  // The line: from the centre (56, 40) 40 pixels to the right.
  for (int x = 56; x <= 96; ++x) EXPECT_EQ(at(x, 40), (std::vector<int>{0, 0, 0})) << x;
  EXPECT_NE(at(97, 40), (std::vector<int>{0, 0, 0}));
  EXPECT_NE(at(56, 41), (std::vector<int>{0, 0, 0}));
  // At 90 degrees the line goes straight down, 40 pixels.
  const RgbPicture down = paintDirectionPane(112, 80, 0xFFFFFF, 0xFFFFFF, 20, 90);
  auto black = [&](int x, int y) {
    return down.rgb[(static_cast<std::size_t>(y) * 112 + x) * 3] == 0;
  };
  EXPECT_TRUE(black(56, 41));
  EXPECT_TRUE(black(56, 78));
  EXPECT_FALSE(black(57, 60));
  EXPECT_FALSE(black(56, 30));
}

TEST_F(DialogFixture, ShapeDialogExchangesTheProfileWithTheRecords) {
  ShapeProfile& profile = engine.relief.profile;
  loadShapeProfile(profile, working(k3dSingleColor));  // 200, 25, 1000, 100, 0
  profile.shape = 2;
  ShapeDialogLogic shape(engine);
  ShapeDialogView opened = shape.open();
  EXPECT_EQ(opened.positions.height, 200);
  EXPECT_EQ(opened.positions.wavelength, 25);
  EXPECT_EQ(opened.positions.cap, -1000);  // upright: cap 1 at the top
  EXPECT_EQ(opened.positions.threshold, 100);
  EXPECT_EQ(opened.positions.level, 0);
  EXPECT_EQ(opened.thresholdMaximum, 25);
  EXPECT_EQ(opened.heightText, "2");
  EXPECT_EQ(opened.wavelengthText, "0.25");

  ShapeDialogView moved = shape.slidersMoved({300, 50, -500, 20, 250});
  const EffectRecord& relief = working(k3dSingleColor);
  EXPECT_EQ(relief.param(6), 300);
  EXPECT_EQ(relief.param(7), 50);
  EXPECT_EQ(relief.param(8), 500);
  EXPECT_EQ(relief.param(9), 20);
  EXPECT_EQ(relief.param(10), -250);
  EXPECT_DOUBLE_EQ(profile.hs, 3.0);
  EXPECT_DOUBLE_EQ(profile.f, 0.5);
  EXPECT_DOUBLE_EQ(profile.cap, 0.5);
  EXPECT_DOUBLE_EQ(profile.thr, 0.2);
  EXPECT_DOUBLE_EQ(profile.lvl, -0.25);
  EXPECT_EQ(profile.shape, 2);  // carried through
  EXPECT_EQ(moved.thresholdMaximum, 50);
  EXPECT_EQ(moved.heightText, "3");
  EXPECT_EQ(moved.wavelengthText, "0.5");

  // OK hands the values to the dialog that opened it, exactly as the sliders set them.
  EffectDialogLogic fog(engine, kFog);
  fog.open();
  fog.shapeAccepted(shape.values());
  const EffectRecord& f = working(kFog);
  EXPECT_EQ(std::vector<int>(f.p + 4, f.p + 10), (std::vector<int>{2, 300, 50, 500, 20, -250}));
}

TEST_F(DialogFixture, ShapeDialogKeepsHundredthsThatDoNotSurviveARoundTripThroughDoubles) {
  // 29 x 0.01 x 100 is 28.999999999999996: the sliders and OK must still give 29.
  working(k3dSingleColor).param(6) = 29;
  working(k3dSingleColor).param(9) = 29;
  loadShapeProfile(engine.relief.profile, working(k3dSingleColor));
  ShapeDialogLogic shape(engine);
  EXPECT_EQ(shape.open().positions.height, 29);
  EXPECT_EQ(shape.values().param(6), 29);
  EXPECT_EQ(shape.values().param(9), 29);
}

TEST(ShapeDialog, ReliefCurveAtHandComputedPoints) {
  // The start-up profile: shape 0, Hs 2, f 0.25, cap 1, thr 1, lvl 0.
  ShapeProfile p;
  p.shape = 0;
  p.hs = 2;
  p.f = 0.25;
  p.cap = 1;
  p.thr = 1;
  p.lvl = 0;
  const std::vector<CurvePoint> curve = reliefCurve(p, 100, 80);
  ASSERT_EQ(curve.size(), 101u);
  EXPECT_EQ(curve[0].x, 0);
  EXPECT_EQ(curve[0].y, 80);  // from the bottom-left corner
  EXPECT_EQ(curve[1].x, 0);
  EXPECT_EQ(curve[1].y, 40);  // profile(0) = 0: half-way up
  // Column 50: x = 0.5, v = 0.125 < thr, b = 2 sin(6.28 x 0.125) = 2 sin(0.785) =
  // 1.41365, b / Hs = 0.70683; y = (1 - 0.70683) x 40 = 11.73 -> 11.
  EXPECT_EQ(curve[51].x, 50);
  EXPECT_EQ(curve[51].y, 11);
  // Column 99: v = 0.2475, sin(1.5543) = 0.99988: y = 0.0047 -> 0.
  EXPECT_EQ(curve[100].y, 0);
  // Hs = 0 divides by zero: the points stay on a finite row.
  p.hs = 0;
  for (const CurvePoint& c : reliefCurve(p, 10, 10)) {
    EXPECT_GE(c.y, -10);
    EXPECT_LE(c.y, 20);
  }
}

TEST(DialogPlace, BesideTheMainWindowAndPreviewAndNeverOverThePreview) {
  const PlaceRect screen{0, 0, 1280, 1024};
  const PlaceRect sheet{20, 20, 710, 380};
  const PlaceRect preview{20, 405, 140, 55};
  PlacePoint p = placeBesidePreview(sheet, preview, 420, 400, screen);
  EXPECT_EQ(p.x, 738);  // right of the sheet, 8 pixels apart
  EXPECT_EQ(p.y, 20);
  // No room on the right: on the left.
  p = placeBesidePreview({700, 20, 500, 380}, {700, 405, 140, 55}, 420, 400, screen);
  EXPECT_EQ(p.x, 272);
  // No room on either side of both: beside the preview alone, lifted onto the screen.
  p = placeBesidePreview({100, 20, 1000, 380}, {100, 700, 140, 55}, 420, 400, screen);
  EXPECT_EQ(p.x, 248);
  EXPECT_EQ(p.y, 624);
  // A docked preview inside the sheet counts as the sheet.
  p = placeBesidePreview(sheet, {}, 420, 400, screen);
  EXPECT_EQ(p.x, 738);
  // A dialog wider than anything beside the preview goes above or below it.
  p = placeBesidePreview({0, 500, 1280, 300}, {500, 820, 280, 60}, 1200, 300, screen);
  EXPECT_EQ(p.y, 820 - 8 - 300);
  EXPECT_GE(p.x, 0);
  EXPECT_LE(p.x + 1200, 1280);
}

}  // namespace
}  // namespace vornel
