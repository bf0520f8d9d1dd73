#include "platform/font_cache.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "platform/text_raster.h"
#include "test_support.h"

namespace vornel {
namespace {

namespace fs = std::filesystem;

// What a rasteriser made of one request: the face's family, whether it stood in for an
// unknown name, and the drawn pixels of a text with characters the Latin faces lack.
struct Answer {
  std::string face;
  bool fallback = false;
  std::vector<std::uint8_t> pixels;
  bool operator==(const Answer&) const = default;
};

Answer answer(TextRasterizer& t, const std::string& name, bool bold, bool italic) {
  LogFont f;
  f.setFaceName(name);
  f.lfHeight = -18;
  f.lfWeight = bold ? 700 : 400;
  f.lfItalic = italic;
  const std::string text = "Ag\xE2\x9C\x93\xED\x95\x9C";  // "Ag", a check mark, a Hangul syllable
  TextExtent e = t.measure(f, text);
  Answer a{t.resolvedFace(), t.usedFallbackFace(), {}};
  a.pixels.assign(static_cast<std::size_t>(e.width) * e.height * 3, 0);
  t.draw(f, text, a.pixels.data(), e.width, e.height, 0, 0);
  return a;
}

struct Request {
  std::string name;
  bool bold, italic;
};
const std::vector<Request> kRequests = {{"Arial", false, false},
                                        {"Times New Roman", true, false},
                                        {"Courier New", false, true},
                                        {"No Such Face Vq", false, false},
                                        {"", true, true}};

std::vector<Answer> answers(const std::string& cacheFile, bool* loadedFontconfig) {
  TextRasterizer t;
  t.setFontCacheFile(cacheFile);
  std::vector<Answer> all;
  for (const Request& r : kRequests) all.push_back(answer(t, r.name, r.bold, r.italic));
  if (loadedFontconfig) *loadedFontconfig = t.fontconfigLoaded();
  return all;
}

TEST(FontCache, GivesTheFacesFontconfigGives) {
  test::TempDir dir;
  const std::vector<Answer> asked = answers("", nullptr);
  ASSERT_EQ(asked[0].face, "Liberation Sans");
  EXPECT_TRUE(asked[3].fallback);
  bool loaded = false;
  EXPECT_EQ(answers(dir.file("c/fonts.cache"), &loaded), asked);  // fills the cache
  EXPECT_TRUE(loaded);
  EXPECT_EQ(answers(dir.file("c/fonts.cache"), &loaded), asked);  // answered by it alone
  EXPECT_FALSE(loaded);

  // A damaged file is passed over and replaced by a good one.
  for (std::size_t cut :
       {std::size_t{0}, std::size_t{7}, fs::file_size(dir.file("c/fonts.cache")) - 1}) {
    fs::resize_file(dir.file("c/fonts.cache"), cut);
    EXPECT_EQ(answers(dir.file("c/fonts.cache"), &loaded), asked);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(answers(dir.file("c/fonts.cache"), &loaded), asked);
    EXPECT_FALSE(loaded);
  }
}

TEST(FontCache, FileReadsBackAndNoDamagedCopyReads) {
  FontCacheData data{"context\n",
                     {{"/etc/fonts", stampOf("/")}, {"/nowhere/fonts", {}}},
                     {{"Arial",
                       true,
                       false,
                       {"/f/a.ttf", 2},
                       {true, 5, 6, 7, 8, 9},
                       true,
                       {{0x2713, {"/f/d.ttf", 0}}, {0xD55C, {}}}},
                      {"", false, true, {}, {}, false, {}}}};
  const std::vector<std::uint8_t> bytes = serializeFontCache(data);
  FontCacheData back;
  ASSERT_TRUE(parseFontCache(bytes.data(), bytes.size(), back));
  EXPECT_EQ(back, data);
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    FontCacheData none;
    EXPECT_FALSE(parseFontCache(bytes.data(), n, none)) << "cut at " << n;
    std::vector<std::uint8_t> flipped = bytes;
    flipped[n] ^= 0x10;
    EXPECT_FALSE(parseFontCache(flipped.data(), flipped.size(), none)) << "flip at " << n;
    EXPECT_EQ(none, FontCacheData{});
  }
}

// A configuration of fontconfig's own in a temporary folder, with one font folder.
class PrivateFonts {
 public:
  explicit PrivateFonts(const test::TempDir& dir) : fonts_(dir.file("fonts")) {
    fs::create_directories(fonts_);
    // A folder of its own: the folder holding a configuration file is watched too.
    fs::create_directories(dir.file("conf"));
    test::writeFileBytes(
        dir.file("conf/fonts.conf"),
        text("<?xml version=\"1.0\"?>\n<fontconfig><dir>" + fonts_ + "</dir><cachedir>" +
             dir.file("fc-cache") + "</cachedir></fontconfig>\n"));
    const char* old = std::getenv("FONTCONFIG_FILE");
    saved_ = old ? std::make_optional<std::string>(old) : std::nullopt;
    ::setenv("FONTCONFIG_FILE", dir.file("conf/fonts.conf").c_str(), 1);
  }
  ~PrivateFonts() {
    if (saved_)
      ::setenv("FONTCONFIG_FILE", saved_->c_str(), 1);
    else
      ::unsetenv("FONTCONFIG_FILE");
  }
  // Copies a system font in. The folder's time is set a minute back, so that even a
  // file system that keeps whole seconds tells it from the last look; and a moment
  // passes, since answers found while a folder changes are not kept.
  void add(const std::string& file) {
    fs::copy_file(file, fonts_ + "/" + fs::path(file).filename().string());
    fs::last_write_time(fonts_, fs::file_time_type::clock::now() - std::chrono::minutes(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  static std::vector<std::uint8_t> text(const std::string& s) { return {s.begin(), s.end()}; }

 private:
  std::string fonts_;
  std::optional<std::string> saved_;
};

std::string faceFor(const std::string& cacheFile, const std::string& name, bool* loaded) {
  TextRasterizer t;
  t.setFontCacheFile(cacheFile);
  Answer a = answer(t, name, false, false);
  *loaded = t.fontconfigLoaded();
  return a.face;
}

TEST(FontCache, AChangedFontFolderIsAskedAgain) {
  const std::string liberation = "/usr/share/fonts/truetype/liberation2/";
  if (!fs::exists(liberation + "LiberationSerif-Regular.ttf")) GTEST_SKIP() << "no Liberation";
  test::TempDir dir;
  PrivateFonts fonts(dir);
  fonts.add(liberation + "LiberationSans-Regular.ttf");
  const std::string cache = dir.file("fonts.cache");
  bool loaded = false;
  EXPECT_EQ(faceFor(cache, "Liberation Serif", &loaded), "Liberation Sans");  // the only one
  EXPECT_EQ(faceFor(cache, "Liberation Serif", &loaded), "Liberation Sans");
  EXPECT_FALSE(loaded);
  fonts.add(liberation + "LiberationSerif-Regular.ttf");
  EXPECT_EQ(faceFor(cache, "Liberation Serif", &loaded), "Liberation Serif");
  EXPECT_TRUE(loaded);
  EXPECT_EQ(faceFor(cache, "Liberation Serif", &loaded), "Liberation Serif");
  EXPECT_FALSE(loaded);
}

}  // namespace
}  // namespace vornel
