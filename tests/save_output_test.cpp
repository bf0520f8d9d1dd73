// Saving the output: file names, the pressed twin, the writer of each type (read back
// by PIL where it is available) and the size estimate against the saved file.
#include "core/output/save_output.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "imageio/bmp_file.h"
#include "imageio/file_bytes.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "test_support.h"

namespace vornel {
namespace {

TEST(SaveOutputNames, ExtensionFollowsTheType) {
  EXPECT_EQ(mainOutputName("c:\\img\\title", kOutputJpeg), "c:\\img\\title.jpg");
  EXPECT_EQ(mainOutputName("c:\\img\\title.gif", kOutputJpeg), "c:\\img\\title.jpg");
  EXPECT_EQ(mainOutputName("ab", kOutputJpeg), "ab.jpg");
  EXPECT_EQ(mainOutputName("abc", kOutputBmp), "abc.bmp");
  EXPECT_EQ(mainOutputName("out/logo", kOutputGif16), "out/logo.gif");
  EXPECT_EQ(mainOutputName("btn.bmp", kOutputBmp), "btn.bmp");
  // Only a dot four from the end counts as an extension.
  EXPECT_EQ(mainOutputName("pic.jpeg", kOutputBmp), "pic.jpeg.bmp");
  EXPECT_EQ(mainOutputName("a.b", kOutputGif256), "a.b.gif");
  EXPECT_EQ(setExtension("x.jpg", ".gif"), "x.gif");
  EXPECT_EQ(setExtension("", ".gif"), ".gif");
}

TEST(SaveOutputNames, PressedTwinEndsWithUnderscore) {
  EXPECT_EQ(pressedOutputName("btn.bmp", kOutputBmp), "btn_.bmp");
  EXPECT_EQ(pressedOutputName("dir/logo.gif", kOutputGif256), "dir/logo_.gif");
  EXPECT_EQ(pressedOutputName("ab.jpg", kOutputJpeg), "ab_.jpg");
}

struct SaveFixture : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  VornelDocument& doc = engine.doc;
  test::TempDir dir;

  void SetUp() override {
    initializeDocument(doc);
    doc.appDirectory = dir.path() + "/";
    // A box Message (no font needed) with a fill and an outline-like second colour
    // from the bulletin, so the pictures have a few colours.
    LayerRecord& m = doc.layer(kMessageLayer);
    m.kind = kLayerRoundBox;
    m.box[0] = 40;
    m.box[1] = 20;
    m.box[2] = 10;
    m.box[3] = 10;
    EffectRecord fill;
    fill.type = kSingleColor;
    fill.param(1) = 0x2040C0;
    m.effects = {fill};
    ASSERT_TRUE(renderJob(engine));
  }
};

TEST_F(SaveFixture, BmpWithPressedTwin) {
  doc.outputFileType = kOutputBmp;
  doc.pressedImage = true;
  ASSERT_TRUE(renderJob(engine));
  SaveResult r = saveOutput(engine, dir.file("btn.bmp"));
  ASSERT_TRUE(r.ok()) << r.failures[0];
  ASSERT_EQ(r.written.size(), 2u);
  EXPECT_EQ(r.written[0], dir.file("btn.bmp"));
  EXPECT_EQ(r.written[1], dir.file("btn_.bmp"));
  for (const std::string& name : r.written) {
    DibImage back;
    ASSERT_EQ(readBmp(back, name), 1) << name;
    EXPECT_EQ(back.width(), 40);
    EXPECT_EQ(back.height(), 20);
    EXPECT_EQ(back.bitsPerPixel(), 24);
  }
}

TEST_F(SaveFixture, JpegNameFromABareTitle) {
  doc.outputFileType = kOutputJpeg;
  SaveResult r = saveOutput(engine, dir.file("title"));
  ASSERT_TRUE(r.ok());
  ASSERT_EQ(r.written, std::vector<std::string>{dir.file("title.jpg")});
  std::vector<std::uint8_t> bytes = test::readFileBytes(dir.file("title.jpg"));
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
}

TEST_F(SaveFixture, TheWriterFollowsTheTypeNotAFolderName) {
  doc.outputFileType = kOutputJpeg;
  ASSERT_TRUE(std::filesystem::create_directory(dir.file("shots.bmp")));
  SaveResult r = saveOutput(engine, dir.file("shots.bmp/a"));
  ASSERT_TRUE(r.ok());
  std::vector<std::uint8_t> bytes = test::readFileBytes(dir.file("shots.bmp/a.jpg"));
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
}

TEST_F(SaveFixture, FailedWritesAreReportedNotDropped) {
  doc.outputFileType = kOutputBmp;
  doc.pressedImage = true;
  ASSERT_TRUE(renderJob(engine));
  SaveResult r = saveOutput(engine, dir.file("missing/btn"));
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.written.empty());
  ASSERT_EQ(r.failures.size(), 2u);
  EXPECT_NE(r.failures[1].find("btn_.bmp"), std::string::npos);
}

TEST_F(SaveFixture, APictureOfNoSizeIsRefusedByEveryType) {
  doc.layer(kMessageLayer).kind = kLayerFont;
  doc.layer(kMessageLayer).text = "   ";
  doc.pressedImage = true;
  ASSERT_TRUE(renderJob(engine));
  for (std::int32_t type : {kOutputGif16, kOutputGif256, kOutputJpeg, kOutputBmp}) {
    doc.outputFileType = type;
    SaveResult r = saveOutput(engine, dir.file("blank"));
    EXPECT_TRUE(r.written.empty()) << type;
    ASSERT_EQ(r.failures.size(), 1u) << type;
    EXPECT_EQ(r.failures[0], mainOutputName(dir.file("blank"), type) +
                                 ": nothing to draw (the picture is 0 x 0 pixels)");
    EXPECT_FALSE(fileExists(mainOutputName(dir.file("blank"), type))) << type;
    std::string reason;
    EXPECT_EQ(estimateFileSize(engine, &reason), 0u) << type;
    EXPECT_EQ(reason, "nothing to draw (the picture is 0 x 0 pixels)");
  }
}

TEST_F(SaveFixture, EstimateEqualsTheSavedSizeExceptFor16Colours) {
  for (std::int32_t type : {kOutputGif256, kOutputJpeg, kOutputBmp}) {
    doc.outputFileType = type;
    prepareOutput(engine, type);
    std::uint64_t estimate = estimateFileSize(engine);
    SaveResult r = saveOutput(engine, dir.file("img"));
    ASSERT_TRUE(r.ok()) << type;
    EXPECT_GT(estimate, 0u);
    EXPECT_EQ(estimate, fileLength(r.written[0])) << type;
  }
  EXPECT_TRUE(fileExists(dir.file("fs.zzz")));

  doc.outputFileType = kOutputGif16;
  prepareOutput(engine, kOutputGif16);
  std::uint64_t estimate = estimateFileSize(engine);
  std::vector<std::uint8_t> estimated = test::readFileBytes(dir.file("fs.zzz"));
  SaveResult r = saveOutput(engine, dir.file("img"));
  ASSERT_TRUE(r.ok());
  std::vector<std::uint8_t> saved = test::readFileBytes(r.written[0]);
  ASSERT_GT(saved.size(), 13u);
  ASSERT_EQ(estimated.size(), estimate);
  // Logical screen descriptor: the low three bits give the table size 2^(n + 1).
  EXPECT_EQ(saved[10] & 7, 7);      // 256 entries
  EXPECT_EQ(estimated[10] & 7, 3);  // 16 entries
  // The larger table alone adds 720 bytes; the codes differ too (8-bit code size).
  EXPECT_GT(saved.size(), estimated.size() + 700);
}

TEST_F(SaveFixture, EstimateWithoutAWritableFolderIsZero) {
  doc.appDirectory = dir.file("nowhere") + "/";
  doc.outputFileType = kOutputBmp;
  prepareOutput(engine, kOutputBmp);
  EXPECT_EQ(estimateFileSize(engine), 0u);
}

TEST_F(SaveFixture, GifTransparencyFollowsTheProjectBackgroundMode) {
  std::string python = test::pythonWithPil();
  if (python.empty()) GTEST_SKIP() << "no Python with PIL";
  doc.outputFileType = kOutputGif256;
  for (std::int32_t mode : {kBackgroundTransparent, kBackgroundSingleColor}) {
    doc.projectBackgroundMode = mode;
    // The working set holds the other mode, as a style read for another layer leaves it:
    // the file follows what the project keeps.
    doc.ws.backgroundMode =
        mode == kBackgroundTransparent ? kBackgroundSingleColor : kBackgroundTransparent;
    SaveResult r = saveOutput(engine, dir.file("t" + std::to_string(mode)));
    ASSERT_TRUE(r.ok());
    std::string out;
    ASSERT_EQ(
        test::runCommand(python + " -c \"from PIL import Image; im = Image.open('" + r.written[0] +
                             "'); print(im.size, im.info.get('transparency'), "
                             "im.getpixel((0, 0)), im.getpalette()[0:3])\"",
                         &out),
        0);
    // The white background is entry 0, and it is the transparent one in mode 1.
    EXPECT_EQ(out, std::string("(40, 20) ") + (mode == kBackgroundTransparent ? "0" : "None") +
                       " 0 [255, 255, 255]\n");
  }
}

}  // namespace
}  // namespace vornel
