// The output corpus: a fixed set of jobs rendered through the engine and saved as every
// file type, with the pressed twins, plus previews, a batch and the codecs on their own;
// the hash of every byte written is held against tests/data/output_corpus/hashes.txt.
// The styles and examples are frozen copies, so retuning the bundled ones changes
// nothing here. Any speed work must keep every line of that list.
//
// VORNEL_REMAKE_OUTPUT_CORPUS=1 writes the list anew instead of comparing (on purpose
// only, when an output is meant to change).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/batch_list.h"
#include "core/job_edits.h"
#include "core/output/batch_generate.h"
#include "core/output/save_output.h"
#include "core/project_file.h"
#include "core/style_file.h"
#include "imageio/color_reduce.h"
#include "imageio/gif_writer.h"
#include "imageio/jpeg_decoder.h"
#include "imageio/jpeg_encoder.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "test_support.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;

const std::string kCorpusDir = std::string(VORNEL_TEST_SOURCE_DIR) + "/data/output_corpus";

std::string hashOf(const std::uint8_t* data, std::size_t size) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a, 64 bits
  for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
  return text;
}
std::string hashOf(const std::vector<std::uint8_t>& bytes) {
  return hashOf(bytes.data(), bytes.size());
}

std::vector<std::string> corpusFiles(const std::string& extension) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kCorpusDir))
    if (entry.path().extension() == extension) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A program folder of the frozen styles and examples with the built star kernels and
// textures, so that texture fills and stars draw.
struct CorpusFolder {
  test::TempDir dir;
  CorpusFolder() {
    for (const auto& entry : fs::directory_iterator(kCorpusDir))
      fs::copy_file(entry.path(), dir.file(entry.path().filename().string()));
    const std::string built = VORNEL_APPDATA_DIR;
    for (int k = 0; k < 3; ++k) {
      const std::string name = "star" + std::to_string(k) + ".lit";
      fs::copy_file(built + "/" + name, dir.file(name));
    }
    fs::copy(built + "/texture", dir.file("texture"), fs::copy_options::recursive);
  }
};

struct OutputCorpus : ::testing::Test {
  static CorpusFolder* folder;
  static void SetUpTestSuite() { folder = new CorpusFolder; }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }

  test::ScriptedHost host;
  test::TempDir out;
  std::map<std::string, std::string> hashes;

  void start(Engine& engine) {
    StartOptions options;
    options.appDirOption = folder->dir.path();
    options.profilePath = out.file("profile.ini");
    startEngine(engine, options);
  }
  void record(const std::string& key, const std::string& path) {
    hashes[key] = hashOf(test::readFileBytes(path));
  }
  // Saves the rendered job as type under key, and its pressed twin when there is one.
  void saveAs(Engine& engine, const std::string& key, std::int32_t type) {
    editOutputFileType(engine.doc, type);
    SaveResult saved = saveOutput(engine, out.file(key));
    ASSERT_TRUE(saved.ok()) << key << ": " << saved.failures[0];
    for (const std::string& name : saved.written) record(fs::path(name).filename().string(), name);
  }

  // Compares with (or, on request, writes) the part of the list whose keys start with
  // prefix.
  void check(const std::string& prefix) {
    const std::string listPath = kCorpusDir + "/hashes.txt";
    std::map<std::string, std::string> expected;
    {
      std::ifstream in(listPath);
      std::string key, hash;
      while (in >> key >> hash) expected[key] = hash;
    }
    if (std::getenv("VORNEL_REMAKE_OUTPUT_CORPUS")) {
      for (auto it = expected.begin(); it != expected.end();)
        it = it->first.rfind(prefix, 0) == 0 ? expected.erase(it) : std::next(it);
      for (const auto& [key, hash] : hashes) expected[key] = hash;
      std::ofstream list(listPath);
      for (const auto& [key, hash] : expected) list << key << " " << hash << "\n";
      return;
    }
    int compared = 0;
    for (const auto& [key, hash] : expected) {
      if (key.rfind(prefix, 0) != 0) continue;
      ++compared;
      auto found = hashes.find(key);
      if (found == hashes.end())
        ADD_FAILURE() << key << " was not written";
      else
        EXPECT_EQ(found->second, hash) << key << " differs from the committed corpus";
    }
    for (const auto& [key, hash] : hashes)
      if (!expected.count(key)) ADD_FAILURE() << key << " is not in the committed corpus";
    EXPECT_GT(compared, 0);
  }
};
CorpusFolder* OutputCorpus::folder = nullptr;

const std::int32_t kTypes[] = {kOutputGif16, kOutputGif256, kOutputJpeg, kOutputBmp};
const char* const kTypeNames[] = {"g16", "g256", "jpg", "bmp"};

// Every example as it opens, saved as all four types, with the pressed twin on for
// every other one.
TEST_F(OutputCorpus, Examples) {
  int n = 0;
  for (const std::string& name : corpusFiles(".vrn")) {
    Engine engine(host);
    start(engine);
    ASSERT_EQ(readProject(engine.doc, folder->dir.file(name)), 0) << name;
    if (n++ % 2) editPressedImage(engine.doc, true);
    ASSERT_TRUE(renderJob(engine)) << name;
    for (int t = 0; t < 4; ++t)
      saveAs(engine, "ex-" + name.substr(0, name.size() - 4) + "-" + kTypeNames[t], kTypes[t]);
  }
  check("ex-");
}

// Every style on the Message layer at two font heights, saved as one type each in turn.
TEST_F(OutputCorpus, Styles) {
  int n = 0;
  for (const std::string& name : corpusFiles(".sty")) {
    for (int height : {20, 64}) {
      Engine engine(host);
      start(engine);
      editMessageText(engine.doc, "Vornel 20");
      ASSERT_TRUE(editLayerStyle(engine.doc, kMessageLayer, folder->dir.file(name))) << name;
      LogFont font = engine.doc.layer(kMessageLayer).font;
      font.lfHeight = -height;
      editMessageFont(engine.doc, font);
      if (n % 3 == 1) editPressedImage(engine.doc, true);
      ASSERT_TRUE(renderJob(engine)) << name;
      const int t = n++ % 4;
      saveAs(engine,
             "st-" + name.substr(0, name.size() - 4) + "-" + std::to_string(height) + "-" +
                 kTypeNames[t],
             kTypes[t]);
    }
  }
  check("st-");
}

// Seeded random stacks drawn from the frozen styles' own effects, their colours
// changed, in random messages and fonts; each also through every effect preview.
TEST_F(OutputCorpus, RandomStyles) {
  std::vector<EffectRecord> pool;
  for (const std::string& name : corpusFiles(".sty")) {
    VornelDocument doc;
    initializeDocument(doc);
    ASSERT_TRUE(readStyle(folder->dir.file(name), doc)) << name;
    for (const EffectRecord& r : doc.ws.effects) pool.push_back(r);
  }
  ASSERT_FALSE(pool.empty());
  test::TestRandom rnd(2026);
  const char* const faces[] = {"Arial", "Times New Roman", "Courier New"};
  const char* const texts[] = {"Go", "Hello Vornel!", "Sale 50%", "Wg\nxy"};
  for (int n = 0; n < 12; ++n) {
    Engine engine(host);
    start(engine);
    editMessageText(engine.doc, texts[rnd.below(4)]);
    LogFont font = engine.doc.layer(kMessageLayer).font;
    font.setFaceName(faces[rnd.below(3)]);
    font.lfHeight = -(12 + rnd.below(80));
    font.lfWeight = rnd.below(2) ? 700 : 400;
    font.lfItalic = static_cast<std::uint8_t>(rnd.below(4) == 0);
    editMessageFont(engine.doc, font);
    std::vector<EffectRecord> effects;
    const int count = 1 + rnd.below(5);
    for (int i = 0; i < count; ++i) {
      EffectRecord r = pool[static_cast<std::size_t>(rnd.below(static_cast<int>(pool.size())))];
      for (auto& p : r.p)
        if (p > 0xFFFF) p = static_cast<std::int32_t>(rnd.next() & 0xFFFFFF);
      effects.push_back(r);
    }
    engine.doc.layer(kMessageLayer).effects = effects;
    if (n % 2) editPressedImage(engine.doc, true);
    if (n % 3 == 0) editBackgroundTransparent(engine.doc, false);
    ASSERT_TRUE(renderJob(engine));
    const std::string key = "rnd-" + std::to_string(n);
    for (int t = 0; t < 4; ++t) saveAs(engine, key + "-" + kTypeNames[t], kTypes[t]);

    // The previews draw over the text raster the working set's own preview leaves.
    loadLayerIntoWorkingSet(engine.doc, kMessageLayer);
    renderPreview(engine);
    for (int type = 0; type < kEffectTypeCount; ++type) {
      EffectRecord r = engine.doc.effectDefaults[static_cast<std::size_t>(type)];
      for (const EffectRecord& e : effects)
        if (e.type == type) r = e;
      renderEffectPreview(engine, r);
      const std::string file = out.file("preview.bmp");
      ASSERT_EQ(writeOutputFile(engine.doc.outputImage, file, kOutputBmp, -1, 24), 1);
      record(key + "-preview" + std::to_string(type), file);
    }
    renderStarPreview(engine, n % 3, 0.5f + 0.1f * static_cast<float>(n), 0xC0FFFF);
    const std::string file = out.file("star.bmp");
    ASSERT_EQ(writeOutputFile(engine.doc.outputImage, file, kOutputBmp, -1, 24), 1);
    record(key + "-star", file);
  }
  check("rnd-");
}

// A batch of three messages with pressed twins, as GIF 256.
TEST_F(OutputCorpus, Batch) {
  Engine engine(host);
  start(engine);
  ASSERT_EQ(readProject(engine.doc, folder->dir.file("welcome_button.vrn")), 0);
  editPressedImage(engine.doc, true);
  editOutputFileType(engine.doc, kOutputGif256);
  ASSERT_TRUE(renderJob(engine));
  BatchList list = {"Home", "About us", "Contact"};
  BatchResult result = generateBatchTo(engine, list, out.file("menu.gif"));
  ASSERT_TRUE(result.ok());
  ASSERT_EQ(result.written.size(), 6u);
  for (const std::string& name : result.written)
    record("batch-" + fs::path(name).filename().string(), name);
  check("batch-");
}

// The codecs on a photo-like picture: smooth ramps with noise, an odd size, flat blocks
// (identical blocks) at one corner; and the decoder on files of other encoders.
TEST_F(OutputCorpus, Codecs) {
  const int width = 301, height = 203;
  DibImage image;
  ASSERT_EQ(image.create(width, height, 24), 1);
  test::TestRandom rnd(99);
  {
    DibRowAccess rows(image);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        std::uint8_t* p = rows[y] + x * 3;
        const bool flat = x < 64 && y < 48;
        const int noise = flat ? 0 : rnd.below(41) - 20;
        p[0] = static_cast<std::uint8_t>(std::clamp(x * 255 / width + noise, 0, 255));
        p[1] = static_cast<std::uint8_t>(std::clamp(y * 255 / height + noise, 0, 255));
        p[2] = static_cast<std::uint8_t>(std::clamp((x + y) * 3 % 256 + noise, 0, 255));
      }
  }
  std::vector<std::uint8_t> jpeg;
  ASSERT_EQ(encodeJpeg(image, jpeg), 1);
  hashes["codec-photo.jpg"] = hashOf(jpeg);
  DibImage back;
  ASSERT_EQ(decodeJpeg(back, jpeg.data(), jpeg.size()), 1);
  hashes["codec-photo.jpg-pixels"] = hashOf(back.block());

  for (int colours : {16, 256}) {
    for (ReduceMethod method : {ReduceMethod::Popularity, ReduceMethod::MedianCut}) {
      DibRowAccess rows(image);
      std::vector<std::uint8_t> indexes(static_cast<std::size_t>(width) * height);
      std::vector<const std::uint8_t*> pixelRows;
      std::vector<std::uint8_t*> indexRows;
      for (int y = 0; y < height; ++y) {
        pixelRows.push_back(rows[y]);
        indexRows.push_back(indexes.data() + static_cast<std::size_t>(y) * width);
      }
      std::uint8_t palette[256 * 3] = {};
      MedianCutTables tables;
      reduceColors(method, pixelRows.data(), indexRows.data(), width, height, colours, 0x808080,
                   palette, tables);
      std::uint8_t reds[256], greens[256], blues[256];
      for (int i = 0; i < 256; ++i) {
        blues[i] = palette[i * 3];
        greens[i] = palette[i * 3 + 1];
        reds[i] = palette[i * 3 + 2];
      }
      std::vector<std::uint8_t> gif;
      ASSERT_TRUE(encodeGif(indexes.data(), width, height, 0, -1, colours == 16 ? 4 : 8, reds,
                            greens, blues, gif));
      hashes["codec-photo-" + std::to_string(colours) +
             (method == ReduceMethod::Popularity ? "-pop" : "-cut") + ".gif"] = hashOf(gif);
    }
  }
  for (const std::string& name : corpusFiles(".jpg")) {
    std::vector<std::uint8_t> bytes = test::readFileBytes(folder->dir.file(name));
    DibImage decoded;
    ASSERT_EQ(decodeJpeg(decoded, bytes.data(), bytes.size()), 1) << name;
    hashes["codec-" + name + "-pixels"] = hashOf(decoded.block());
  }
  check("codec-");
}

}  // namespace
}  // namespace vornel
