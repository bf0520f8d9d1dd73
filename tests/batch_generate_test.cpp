// Batch generation: names, the overwrite question for the first name only, failed writes
// reported, the job's own message restored afterwards, each file as a single save writes
// it, and an interrupted run.
#include "core/output/batch_generate.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "core/job_edits.h"
#include "core/output/save_output.h"
#include "imageio/bmp_file.h"
#include "imageio/file_bytes.h"
#include "imageio/jpeg_decoder.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "test_support.h"

namespace vornel {
namespace {

struct BatchFixture : ::testing::Test {
  test::ScriptedHost host;
  Engine engine{host};
  VornelDocument& doc = engine.doc;
  test::TempDir dir;

  void SetUp() override {
    initializeDocument(doc);
    doc.appDirectory = dir.path() + "/";
    EffectRecord fill;
    fill.type = kSingleColor;
    fill.param(1) = 0x2040C0;
    doc.layer(kMessageLayer).effects = {fill};
    doc.layer(kMessageLayer).text = "Original";
    ASSERT_TRUE(renderJob(engine));
  }
  std::vector<std::string> files(std::initializer_list<const char*> names) {
    std::vector<std::string> out;
    for (const char* n : names) out.push_back(dir.file(n));
    return out;
  }
  int bmpWidth(const std::string& path) {
    DibImage image;
    return readBmp(image, path) == 1 ? image.width() : -1;
  }
};

TEST(BatchNames, BaseDropsOnlyAThreeLetterExtension) {
  EXPECT_EQ(batchBaseName("c:\\out\\logo.jpg"), "c:\\out\\logo");
  EXPECT_EQ(batchBaseName("out/logo"), "out/logo");
  EXPECT_EQ(batchBaseName("a.jpeg"), "a.jpeg");
  EXPECT_EQ(batchImageName("c:\\out\\logo", 0, kOutputJpeg), "c:\\out\\logo0.jpg");
  EXPECT_EQ(batchImageName("logo", 10, kOutputGif16), "logo10.gif");
  EXPECT_EQ(batchImageName("logo", 7, kOutputBmp), "logo7.bmp");
  // The extension is appended, so "x.ab" + "0" is not taken for a name with extension.
  EXPECT_EQ(batchImageName("x.ab", 0, kOutputJpeg), "x.ab0.jpg");
  EXPECT_EQ(batchOverwriteQuestion("a0.jpg"),
            "a0.jpg \nThis file already exists. \nOverwrite all existing files?");
}

TEST_F(BatchFixture, ThreeMessagesWithTheirPressedTwins) {
  doc.outputFileType = kOutputJpeg;
  doc.pressedImage = true;
  BatchResult r = generateBatchTo(engine, {"A", "BB", "CCC"}, dir.file("logo.jpg"));
  ASSERT_TRUE(r.ok()) << (r.failures.empty() ? "" : r.failures[0]);
  EXPECT_EQ(r.written, files({"logo0.jpg", "logo0_.jpg", "logo1.jpg", "logo1_.jpg", "logo2.jpg",
                              "logo2_.jpg"}));
  EXPECT_TRUE(host.messages.empty());
  int lastWidth = 0;
  for (const char* name : {"logo0.jpg", "logo1.jpg", "logo2.jpg"}) {
    DibImage image;
    ASSERT_EQ(loadJpeg(image, dir.file(name)), 1) << name;
    // Each file holds its own message: longer texts make wider pictures.
    EXPECT_GT(image.width(), lastWidth) << name;
    lastWidth = image.width();
  }
}

TEST_F(BatchFixture, TheMessageIsRestoredAndRenderedAgain) {
  doc.outputFileType = kOutputBmp;
  const int originalWidth = doc.outputWidth;
  BatchResult r =
      generateBatchTo(engine, {"a much longer message than the original"}, dir.file("m"));
  ASSERT_TRUE(r.ok());
  EXPECT_GT(bmpWidth(dir.file("m0.bmp")), originalWidth);
  EXPECT_EQ(doc.layer(kMessageLayer).text, "Original");
  EXPECT_EQ(doc.outputWidth, originalWidth);
  EXPECT_EQ(doc.outputImage.width(), originalWidth);
  EXPECT_EQ(host.previewRefreshes, 1);
}

TEST_F(BatchFixture, ExistingFirstFileAsksAndCancelWritesNothing) {
  doc.outputFileType = kOutputJpeg;
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  test::writeFileBytes(dir.file("logo0.jpg"), old);
  host.answers = {MsgAnswer::Cancel};
  BatchResult r = generateBatchTo(engine, {"A", "B"}, dir.file("logo.jpg"));
  EXPECT_TRUE(r.cancelled);
  EXPECT_FALSE(r.ok());
  EXPECT_TRUE(r.written.empty());
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].text, batchOverwriteQuestion(dir.file("logo0.jpg")));
  EXPECT_EQ(host.messages[0].caption, "Warning!");
  EXPECT_EQ(host.messages[0].buttons, MsgButtons::OkCancel);
  EXPECT_EQ(test::readFileBytes(dir.file("logo0.jpg")), old);
  EXPECT_FALSE(fileExists(dir.file("logo1.jpg")));
  EXPECT_EQ(doc.layer(kMessageLayer).text, "Original");

  host.answers = {MsgAnswer::Ok};
  r = generateBatchTo(engine, {"A", "B"}, dir.file("logo.jpg"));
  EXPECT_TRUE(r.ok());
  EXPECT_EQ(r.written, files({"logo0.jpg", "logo1.jpg"}));
  EXPECT_NE(test::readFileBytes(dir.file("logo0.jpg")), old);
}

TEST_F(BatchFixture, OnlyTheFirstNameIsChecked) {
  doc.outputFileType = kOutputBmp;
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  test::writeFileBytes(dir.file("logo1.bmp"), old);
  BatchResult r = generateBatchTo(engine, {"A", "B"}, dir.file("logo.bmp"));
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(host.messages.empty());
  EXPECT_GT(bmpWidth(dir.file("logo1.bmp")), 0);
}

TEST_F(BatchFixture, EmptyListWritesNothingAfterTheQuestion) {
  doc.outputFileType = kOutputGif256;
  BatchResult r = generateBatchTo(engine, {}, dir.file("e.gif"));
  EXPECT_TRUE(r.ok());
  EXPECT_TRUE(r.written.empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));

  test::writeFileBytes(dir.file("e0.gif"), {1});
  host.answers = {MsgAnswer::Ok};
  r = generateBatchTo(engine, {}, dir.file("e.gif"));
  EXPECT_EQ(host.messages.size(), 1u);
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(test::readFileBytes(dir.file("e0.gif")), std::vector<std::uint8_t>{1});
}

TEST_F(BatchFixture, AFailedWriteIsReportedAndTheRunGoesOn) {
  doc.outputFileType = kOutputGif16;
  doc.pressedImage = true;
  // A folder where the second picture's file should go cannot be replaced by a file.
  std::filesystem::create_directory(dir.file("b1.gif"));
  BatchResult r = generateBatchTo(engine, {"A", "B", "C"}, dir.file("b"));
  EXPECT_FALSE(r.cancelled);
  EXPECT_FALSE(r.ok());
  EXPECT_EQ(r.failedNames, files({"b1.gif"}));
  ASSERT_EQ(r.failures.size(), 1u);
  EXPECT_EQ(r.failures[0].rfind(dir.file("b1.gif") + ": ", 0), 0u) << r.failures[0];
  EXPECT_EQ(r.written, files({"b0.gif", "b0_.gif", "b1_.gif", "b2.gif", "b2_.gif"}));
  EXPECT_EQ(doc.layer(kMessageLayer).text, "Original");
}

// The batch's files hold the bytes Save Image writes for each message alone.
TEST_F(BatchFixture, EachFileIsWhatASingleSaveWrites) {
  doc.outputFileType = kOutputJpeg;
  doc.pressedImage = true;
  const BatchList list = {"A", "Two words"};
  ASSERT_TRUE(generateBatchTo(engine, list, dir.file("b.jpg")).ok());
  for (std::size_t i = 0; i < list.size(); ++i) {
    doc.layer(kMessageLayer).text = list[i];
    ASSERT_TRUE(renderJob(engine));
    const std::string single = dir.file("single" + std::to_string(i) + ".jpg");
    ASSERT_TRUE(saveOutput(engine, single).ok());
    const std::string name = std::string("b") + std::to_string(i);
    EXPECT_EQ(test::readFileBytes(dir.file(name + ".jpg")), test::readFileBytes(single)) << i;
    EXPECT_EQ(test::readFileBytes(dir.file(name + "_.jpg")),
              test::readFileBytes(pressedOutputName(single, kOutputJpeg)))
        << i;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 8);
}

// A batch ended by SIGTERM leaves each file as it was or complete, and no temporary
// file: once at its first temporary file, once after its first files were renamed.
TEST_F(BatchFixture, AnInterruptedBatchLeavesEachFileOldOrComplete) {
  doc.outputFileType = kOutputBmp;
  LogFont font = doc.layer(kMessageLayer).font;
  font.lfHeight = -120;
  font.lfWidth = 0;
  editMessageFont(doc, font);
  BatchList list;
  for (int i = 0; i < 2 * DeferredWrites::kDeferredLimit; ++i)
    list.push_back("Message number " + std::to_string(i));
  test::TempDir reference;
  ASSERT_TRUE(generateBatchTo(engine, list, reference.file("b")).ok());
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  auto fileName = [](std::size_t i) { return std::string("b") + std::to_string(i) + ".bmp"; };
  auto changed = [&] {
    for (std::size_t i = 0; i < list.size(); ++i)
      if (test::readFileBytes(dir.file(fileName(i))) != old) return true;
    return false;
  };
  auto temporaryThere = [&] {
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
      if (entry.path().filename().string().rfind(kTemporaryFilePrefix, 0) == 0) return true;
    return false;
  };
  for (bool afterRenames : {false, true}) {
    for (std::size_t i = 0; i < list.size(); ++i) test::writeFileBytes(dir.file(fileName(i)), old);
    const int pid = test::forkChild([&] {
      for (int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
      host.answers = {MsgAnswer::Ok};
      generateBatchTo(engine, list, dir.file("b"));
      return 0;
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!(afterRenames ? changed() : temporaryThere()) &&
           std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    ::kill(pid, SIGTERM);
    EXPECT_EQ(test::waitForChild(pid), 128 + SIGTERM) << afterRenames;
    std::size_t complete = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::vector<std::uint8_t> bytes = test::readFileBytes(dir.file(fileName(i)));
      if (bytes == old) continue;
      EXPECT_EQ(bytes, test::readFileBytes(reference.file(fileName(i)))) << i;
      ++complete;
    }
    EXPECT_EQ(complete > 0, afterRenames);
    EXPECT_LT(complete, list.size());
    EXPECT_FALSE(temporaryThere()) << afterRenames;
  }
}

TEST_F(BatchFixture, SaveImagesAsksForThePathFirst) {
  doc.outputFileType = kOutputBmp;
  host.saveAnswers = {std::nullopt, dir.file("pick.bmp")};
  BatchResult r = generateBatch(engine, {"A"});
  EXPECT_TRUE(r.cancelled);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
  r = generateBatch(engine, {"A"});
  EXPECT_EQ(r.written, files({"pick0.bmp"}));
  ASSERT_EQ(host.dialogs.size(), 2u);
  EXPECT_TRUE(host.dialogs[0].filter.empty());
}

}  // namespace
}  // namespace vornel
