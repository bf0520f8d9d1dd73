// The program folder's own data as the build leaves it: the bundled styles, example
// projects, textures, tile pictures and help page are complete, readable and usable.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "cli/cli.h"
#include "core/job.h"
#include "core/project_file.h"
#include "core/style_file.h"
#include "imageio/dib_image.h"
#include "imageio/file_bytes.h"
#include "imageio/image_by_name.h"
#include "render/canvas_layout.h"
#include "render/dispatch.h"
#include "render/engine.h"
#include "test_support.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;

const std::string kAppData = VORNEL_APPDATA_DIR;

std::vector<std::string> appDataFiles(const std::string& folder, const std::string& extension) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == extension) names.push_back(entry.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string textureFile(const std::string& name) {
  return kAppData + "/texture/" + name;
}

std::string fileText(const std::string& path) {
  std::vector<std::uint8_t> bytes = test::readFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// Every line break of a text file we ship is CR LF.
bool crLfOnly(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return false;
  return !text.empty() && text.back() == '\n';
}

// A texture a style names loads as a picture with our own readers.
void expectTextureLoads(const EffectRecord& record, const std::string& where) {
  const std::string name = record.texture();
  ASSERT_FALSE(name.empty()) << where << ": " << kEffectKeywords[record.type] << " without texture";
  DibImage image;
  std::string reason;
  ASSERT_EQ(readImageByName(image, textureFile(name), &reason), 1) << where << ": " << reason;
  EXPECT_GT(image.width(), 0) << where;
  if (record.type == kTile) {
    EXPECT_EQ(formatForReading(name), ImageFormat::Gif) << name;
  }
}

void expectUsableEffects(const std::vector<EffectRecord>& effects, const std::string& where) {
  for (const EffectRecord& record : effects) {
    const bool textured = record.type == kTile || (record.type == kSingleColor &&
                                                   (record.param(5) == 4 || record.param(5) == 5));
    if (textured) expectTextureLoads(record, where);
  }
}

TEST(BundledData, StylesReadCoverEveryEffectAndNameRealTextures) {
  const std::vector<std::string> styles = appDataFiles(kAppData, ".sty");
  EXPECT_GE(styles.size(), 24u);
  std::set<int> types;
  for (const std::string& path : styles) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(crLfOnly(fileText(path)));
    VornelDocument doc;
    initializeDocument(doc);
    ASSERT_TRUE(readStyle(path, doc));
    ASSERT_FALSE(doc.ws.effects.empty());
    // Offsets within the dialogs' range, so every style can be edited as it is.
    for (const EffectRecord& record : doc.ws.effects) {
      types.insert(record.type);
      EXPECT_LE(std::abs(record.param(3)), 20);
      EXPECT_LE(std::abs(record.param(4)), 20);
    }
    expectUsableEffects(doc.ws.effects, path);
  }
  EXPECT_EQ(types.size(), static_cast<std::size_t>(kEffectTypeCount));
}

TEST(BundledData, ExamplesUseEveryLayerKindAndBothBackgrounds) {
  const std::vector<std::string> examples = appDataFiles(kAppData, ".vrn");
  EXPECT_GE(examples.size(), 10u);
  std::set<int> templateKinds, bulletinKinds, backgroundModes;
  for (const std::string& path : examples) {
    SCOPED_TRACE(path);
    EXPECT_TRUE(crLfOnly(fileText(path)));
    VornelDocument doc;
    initializeDocument(doc);
    ASSERT_EQ(readProject(doc, path), 0);
    templateKinds.insert(doc.layer(kTemplateLayer).kind);
    bulletinKinds.insert(doc.layer(kBulletinLayer).kind);
    backgroundModes.insert(doc.projectBackgroundMode);
    EXPECT_EQ(doc.layer(kMessageLayer).kind, kLayerFont);
    EXPECT_FALSE(doc.layer(kMessageLayer).text.empty());
    for (int i = 0; i < 3; ++i) {
      const LayerRecord& layer = doc.layer(i);
      // A layer that is drawn has a style; one that is not drawn carries none.
      EXPECT_EQ(layer.effects.empty(), layer.kind == kLayerNone) << "layer " << i;
      expectUsableEffects(layer.effects, path);
    }
  }
  EXPECT_EQ(templateKinds,
            (std::set<int>{kLayerFont, kLayerRoundBox, kLayerNone, kLayerStretchedFont}));
  EXPECT_EQ(bulletinKinds, (std::set<int>{kLayerFont, kLayerRoundBox, kLayerNone}));
  EXPECT_EQ(backgroundModes, (std::set<int>{kBackgroundTransparent, kBackgroundSingleColor}));
}

// Every style renders and saves in each of the four types, and the saved picture is
// a real one: bigger than a speck, with more than the background in it.
TEST(BundledData, EveryStyleRendersAndSavesInAllFourTypes) {
  test::TempDir dir;
  const std::vector<std::pair<std::string, std::string>> types = {
      {"bmp", ".bmp"}, {"jpg", ".jpg"}, {"gif256", ".gif"}, {"gif16", ".gif"}};
  for (const std::string& style : appDataFiles(kAppData, ".sty")) {
    const std::string stem = fs::path(style).stem().string();
    for (const auto& [type, extension] : types) {
      SCOPED_TRACE(stem + " " + type);
      const std::string base = dir.file(stem + "_" + type);
      std::ostringstream out, err;
      const int status =
          runCli({"render", "--app-dir", kAppData, "--message", "Vornel", "--font-height", "-40",
                  "--font-width", "0", "--bold", "--style", style, "--background", "#FFFFFF",
                  "--opaque", "--type", type, "-o", base},
                 out, err);
      ASSERT_EQ(status, kExitOk) << err.str();
      DibImage image;
      std::string reason;
      ASSERT_EQ(readImageByName(image, base + extension, &reason), 1) << reason;
      EXPECT_GE(image.width(), 40);
      EXPECT_GE(image.height(), 16);
      RgbPicture rgb = image.toRgb();
      std::set<std::uint32_t> colours;
      std::size_t notWhite = 0;
      for (std::size_t i = 0; i + 2 < rgb.rgb.size(); i += 3) {
        const std::uint32_t c = rgb.rgb[i] | rgb.rgb[i + 1] << 8 | rgb.rgb[i + 2] << 16;
        colours.insert(c);
        notWhite += c != 0xFFFFFF;
      }
      EXPECT_GE(notWhite * 20, rgb.rgb.size() / 3) << "less than 5% of the picture painted";
      if (type == "gif16") {
        EXPECT_LE(colours.size(), 16u);
      } else {
        EXPECT_GE(colours.size(), 2u);
      }
    }
  }
}

// Whether any lit pixel of the text raster lies in the canvas's outermost rows or
// columns when the working set's first Fog runs (the effects before it may warp the
// text), laying the working set out first. False when there is no Fog.
bool textOnTheEdgeAtFog(Engine& engine, std::string& where) {
  const std::vector<EffectRecord>& effects = engine.doc.ws.effects;
  if (std::none_of(effects.begin(), effects.end(),
                   [](const EffectRecord& r) { return r.type == kFog; }))
    return false;
  if (!prepareCanvas(engine)) return false;
  RenderCanvas& c = engine.canvas;
  for (const EffectRecord& record : std::vector<EffectRecord>(engine.doc.ws.effects)) {
    if (record.type != kFog) {
      runEffect(engine, record, c.textRows(), c.canvasRows(), c.coverage.data());
      continue;
    }
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        const bool edge = x == 0 || y == 0 || x == c.width - 1 || y == c.height - 1;
        if (edge && c.textRaster[(static_cast<std::size_t>(y) * c.width + x) * 3] != 0) {
          where = std::to_string(x) + "," + std::to_string(y) + " of " + std::to_string(c.width) +
                  " x " + std::to_string(c.height);
          return true;
        }
      }
    return false;
  }
  return false;
}

// Fog takes its density from the letter relief, whose ring search counts everything
// beyond the canvas as lit: a letter touching the canvas edge would be "deep inside"
// there and fogged solid. So every Fog we ship keeps the text off the edges - by an
// effect whose offset envelope leaves a margin, wide enough for the distortions that
// run before it.
TEST(BundledData, FogStylesKeepTheTextOffTheCanvasEdges) {
  test::ScriptedHost host;
  Engine engine(host);
  initializeDocument(engine.doc);
  std::string where;
  for (const std::string& path : appDataFiles(kAppData, ".sty")) {
    ASSERT_TRUE(readStyle(path, engine.doc));
    for (const char* message : {"Boo!", "Hello Vornel!"}) {
      engine.doc.ws.kind = kLayerFont;
      engine.doc.ws.message = message;
      engine.doc.ws.font = LogFont{};
      engine.doc.ws.font.setFaceName("Arial");
      engine.doc.ws.font.lfHeight = -64;
      engine.doc.ws.font.lfWeight = 700;
      EXPECT_FALSE(textOnTheEdgeAtFog(engine, where)) << path << " " << message << ": " << where;
    }
  }
  for (const std::string& path : appDataFiles(kAppData, ".vrn")) {
    ASSERT_EQ(readProject(engine.doc, path), 0);
    for (int i = 0; i < 3; ++i) {
      if (engine.doc.layer(i).kind == kLayerNone) continue;
      loadLayerIntoWorkingSet(engine.doc, i);
      EXPECT_FALSE(textOnTheEdgeAtFog(engine, where)) << path << " layer " << i << ": " << where;
    }
  }
}

TEST(BundledData, TexturesInEveryFormatAndTilesWithAndWithoutHoles) {
  std::map<ImageFormat, int> fills;
  int tiles = 0, tilesWithHoles = 0;
  std::vector<std::pair<std::string, DibImage>> loaded;
  for (const auto& entry : fs::directory_iterator(kAppData + "/texture")) {
    const std::string path = entry.path().string();
    SCOPED_TRACE(path);
    DibImage image;
    std::string reason;
    ASSERT_EQ(readImageByName(image, path, &reason), 1) << reason;
    ASSERT_EQ(convertTo24Bits(image), 1);
    // Modest sizes keep the program folder small.
    EXPECT_LE(image.width(), 256);
    EXPECT_LE(image.height(), 256);
    if (entry.path().extension() == ".git") {
      ++tiles;
      DibRowAccess rows(image);
      bool hole = false;
      for (int y = 0; y < rows.rowCount(); ++y)
        for (int x = 0; x < image.width(); ++x)
          hole =
              hole || (rows[y][3 * x] == 0 && rows[y][3 * x + 1] == 0 && rows[y][3 * x + 2] == 0);
      tilesWithHoles += hole;
    } else {
      ++fills[formatForReading(path)];
    }
    loaded.emplace_back(path, std::move(image));
  }
  EXPECT_GE(fills[ImageFormat::Bmp] + fills[ImageFormat::Jpeg] + fills[ImageFormat::Gif], 12);
  EXPECT_GE(fills[ImageFormat::Bmp], 3);
  EXPECT_GE(fills[ImageFormat::Jpeg], 3);
  EXPECT_GE(fills[ImageFormat::Gif], 3);
  EXPECT_GE(tiles, 6);
  EXPECT_GE(tilesWithHoles, 1);
  EXPECT_LT(tilesWithHoles, tiles);

  // An independent decoder sees the same pictures: sizes exactly, pixels exactly for the
  // lossless files and closely for JPEG (decoders may round the IDCT differently).
  const std::string python = test::pythonWithPil();
  if (python.empty()) GTEST_SKIP() << "no Python with PIL";
  for (const auto& [path, image] : loaded) {
    SCOPED_TRACE(path);
    std::string output;
    ASSERT_EQ(test::runCommand(python +
                                   " -c 'import sys; from PIL import Image; "
                                   "im = Image.open(sys.argv[1]).convert(\"RGB\"); "
                                   "print(im.size[0], im.size[1]); "
                                   "print(\" \".join(str(v) for p in im.getdata() for v in p))' '" +
                                   path + "'",
                               &output),
              0);
    std::istringstream in(output);
    int w = 0, h = 0;
    in >> w >> h;
    ASSERT_EQ(w, image.width());
    ASSERT_EQ(h, image.height());
    const RgbPicture ours = image.toRgb();
    const int tolerance = formatForReading(path) == ImageFormat::Jpeg ? 8 : 0;
    int worst = 0;
    for (std::uint8_t v : ours.rgb) {
      int peer = 0;
      in >> peer;
      worst = std::max(worst, std::abs(peer - v));
    }
    EXPECT_LE(worst, tolerance);
  }
}

// The help page documents every verb the program has and every effect by the name the
// style editor shows.
TEST(BundledData, HelpPageCoversEveryVerbAndEffect) {
  const std::string help = fileText(kAppData + "/help/main.htm");
  ASSERT_FALSE(help.empty());
  std::ostringstream out, err;
  ASSERT_EQ(runCli({"--help"}, out, err), kExitOk);
  std::istringstream usage(out.str());
  std::string line;
  bool inVerbs = false;
  int verbs = 0;
  while (std::getline(usage, line)) {
    if (line == "verbs:") {
      inVerbs = true;
      continue;
    }
    if (!inVerbs || line.size() < 3 || line[0] != ' ') continue;
    const std::string verb = line.substr(2, line.find(' ', 2) - 2);
    EXPECT_NE(help.find("vornel " + verb), std::string::npos) << verb;
    ++verbs;
  }
  EXPECT_GE(verbs, 7);
  for (const char* name : kEffectDisplayNames)
    EXPECT_NE(help.find(name), std::string::npos) << name;
  for (const char* keyword : kEffectKeywords)
    EXPECT_NE(help.find(keyword), std::string::npos) << keyword;
}

}  // namespace
}  // namespace vornel
