#include "platform/text_raster.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "imageio/file_bytes.h"
#include "platform/font_cache.h"

namespace vornel {

namespace {

// Sizes past these are far beyond any canvas the renderer accepts; clamping keeps
// FreeType's 16-bit ppem fields and the glyph bitmaps within reason.
constexpr double kMaxEmPixels = 20000;
constexpr double kMaxWidthPixels = 24000;
// lfHeight 0 asks for "a reasonable default size": a 12-point em on a 96 dpi screen.
constexpr double kDefaultEmPixels = 16;
constexpr int kBoldWeight = 600;

// Letter frequencies per thousand for 'a' ... 'z' and the space, the weights of the
// classic average-character-width rule.
constexpr int kAverageWidthWeights[27] = {64, 14, 27, 35, 100, 20, 14, 42, 63, 3, 6,  35, 20, 56,
                                          56, 17, 4,  49, 56,  71, 31, 10, 18, 3, 18, 2,  166};

struct LoadedFace {
  FT_Face face = nullptr;
  FaceFileRef source;
  std::string family;
  double averageWidth = 0;          // font units
  double ascent = 0, descent = 0;   // font units, descent positive
  FT_F26Dot6 sizeX = 0, sizeY = 0;  // the size last set on the face
  bool sizeOk = false;
};

// One requested face name and style, resolved to a file, with its fallback list for
// characters it lacks.
struct ResolvedFont {
  std::string name;
  LoadedFace* primary = nullptr;
  // The substituted request, for the fallback search; made when first needed where the
  // font cache gave the face.
  FcPattern* request = nullptr;
  FcFontSet* sorted = nullptr;
  bool sortTried = false;
  std::unordered_map<char32_t, LoadedFace*> charFaces;
  bool bold = false, italic = false;
  bool fallback = false;
};

// Everything one call needs to place glyphs, in pixels.
struct Metrics {
  ResolvedFont* font = nullptr;
  FT_F26Dot6 emX = 0, emY = 0;  // 26.6 pixel sizes set on every face used
  int ascent = 0;
  int cell = 0;
  bool underline = false, strikeOut = false;
  int underlineTop = 0, underlineThickness = 0;  // rows relative to the baseline
  int strikeTop = 0, strikeThickness = 0;
  // With a layout grid above 1 the sizes above are the unscaled font's; its hinted
  // outlines, advances and rows are made grid times larger.
  int grid = 1;
};

// One glyph as a walk places it: the hinted outline's advance and box and, once a sink
// wanted it, its rendered bitmap. The same face, size, synthesised style and grid
// always give the same outline, so a walk that meets the glyph again (measure, ink
// bounds and draw walk the same text; a batch's messages share their letters) takes
// these instead of running the face's hinting program again.
struct GlyphRecord {
  bool loaded = false;  // false: the face cannot give it, it takes no room
  FT_Pos advanceX = 0;  // 26.6, before the grid
  FT_BBox box{};        // 26.6, the grid applied
  bool renderTried = false, rendered = false;
  FT_Bitmap bitmap{};  // its buffer points into pixels
  std::vector<unsigned char> pixels;
  FT_Int left = 0, top = 0;
};

struct GlyphKey {
  const void* face;
  FT_F26Dot6 x, y;
  char32_t cp;
  bool italic, bold;
  int grid;
  bool operator<(const GlyphKey& o) const {
    return std::tie(face, x, y, cp, italic, bold, grid) <
           std::tie(o.face, o.x, o.y, o.cp, o.italic, o.bold, o.grid);
  }
};

// Receives what a walk over the text produces; coordinates are 64-bit because a long
// text in a huge font runs far past any raster.
class GlyphSink {
 public:
  virtual ~GlyphSink() = default;
  // Whether the glyph box (columns x0 ... x1 - 1, rows y0 ... y1 - 1) should be rendered.
  virtual bool wants(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) = 0;
  virtual void bitmap(const FT_Bitmap& bits, std::int64_t x, std::int64_t y) = 0;
  virtual void rect(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) = 0;
};

const unsigned char* bitmapRow(const FT_Bitmap& bits, unsigned row) {
  return bits.buffer + static_cast<std::ptrdiff_t>(row) * bits.pitch;
}
bool bitSet(const unsigned char* line, unsigned col) {
  return (line[col >> 3] & (0x80 >> (col & 7))) != 0;
}

// The part first ... end - 1 of a run of count pixels starting at pos that falls inside
// low ... limit - 1.
struct Span {
  unsigned first = 0, end = 0;
};
Span visible(std::int64_t pos, unsigned count, int limit, int low = 0) {
  std::int64_t first = std::max<std::int64_t>(0, std::int64_t{low} - pos);
  std::int64_t end = std::min<std::int64_t>(count, std::int64_t{limit} - pos);
  if (end <= first) return {};
  return {static_cast<unsigned>(first), static_cast<unsigned>(end)};
}

// Lights the glyph pixels that fall inside the clip rectangle: columns left ... width - 1,
// rows top ... height - 1 of the raster.
class RasterSink : public GlyphSink {
 public:
  RasterSink(std::uint8_t* bgr, int width, int height, int left, int top)
      : bgr_(bgr), w_(width), h_(height), left_(std::max(left, 0)), top_(std::max(top, 0)) {}
  bool wants(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) override {
    return x1 > left_ && y1 > top_ && x0 < w_ && y0 < h_;
  }
  void bitmap(const FT_Bitmap& bits, std::int64_t x, std::int64_t y) override {
    if (bits.pixel_mode != FT_PIXEL_MODE_MONO) return;
    Span cols = visible(x, bits.width, w_, left_), rows = visible(y, bits.rows, h_, top_);
    for (unsigned r = rows.first; r < rows.end; ++r) {
      const unsigned char* line = bitmapRow(bits, r);
      for (unsigned c = cols.first; c < cols.end; ++c) {
        // Whole empty bytes are skipped: most of a large glyph's box is blank.
        if ((c & 7) == 0 && line[c >> 3] == 0) {
          c += 7;
          continue;
        }
        if (bitSet(line, c)) light(x + c, y + r);
      }
    }
  }
  void rect(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) override {
    x0 = std::max<std::int64_t>(x0, left_), y0 = std::max<std::int64_t>(y0, top_);
    x1 = std::min<std::int64_t>(x1, w_), y1 = std::min<std::int64_t>(y1, h_);
    for (std::int64_t py = y0; py < y1; ++py)
      for (std::int64_t px = x0; px < x1; ++px) light(px, py);
  }

 private:
  void light(std::int64_t x, std::int64_t y) {
    std::uint8_t* p = bgr_ + (static_cast<std::size_t>(y) * w_ + static_cast<std::size_t>(x)) * 3;
    p[0] = p[1] = p[2] = 255;
  }
  std::uint8_t* bgr_;
  int w_, h_;
  int left_, top_;
};

class InkSink : public GlyphSink {
 public:
  InkSink(int width, int height) : w_(width), h_(height) {}
  bool wants(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) override {
    return x1 > 0 && y1 > 0 && x0 < w_ && y0 < h_;
  }
  void bitmap(const FT_Bitmap& bits, std::int64_t x, std::int64_t y) override {
    if (bits.pixel_mode != FT_PIXEL_MODE_MONO) return;
    Span cols = visible(x, bits.width, w_), rows = visible(y, bits.rows, h_);
    for (unsigned r = rows.first; r < rows.end; ++r) {
      // Only the row's first and last lit pixel matter; empty bytes are passed whole.
      const unsigned char* line = bitmapRow(bits, r);
      unsigned c0 = cols.first;
      while (c0 < cols.end && !bitSet(line, c0)) c0 += (c0 & 7) == 0 && line[c0 >> 3] == 0 ? 8 : 1;
      if (c0 >= cols.end) continue;
      unsigned c1 = cols.end - 1;  // stops at c0 at the latest
      while (!bitSet(line, c1)) c1 -= (c1 & 7) == 7 && line[c1 >> 3] == 0 ? 8 : 1;
      add(x + c0, y + r, x + c1 + 1, y + r + 1);
    }
  }
  void rect(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) override {
    x0 = std::max<std::int64_t>(x0, 0), y0 = std::max<std::int64_t>(y0, 0);
    x1 = std::min<std::int64_t>(x1, w_), y1 = std::min<std::int64_t>(y1, h_);
    if (x0 < x1 && y0 < y1) add(x0, y0, x1, y1);
  }
  InkBounds bounds() const { return any_ ? b_ : InkBounds{}; }

 private:
  void add(std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1) {
    if (!any_) {
      b_ = {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1), static_cast<int>(y1)};
      any_ = true;
      return;
    }
    b_.left = std::min(b_.left, static_cast<int>(x0));
    b_.top = std::min(b_.top, static_cast<int>(y0));
    b_.right = std::max(b_.right, static_cast<int>(x1));
    b_.bottom = std::max(b_.bottom, static_cast<int>(y1));
  }
  int w_, h_;
  bool any_ = false;
  InkBounds b_;
};

// Collects how far right the ink of each glyph reaches; renders nothing.
class MeasureSink : public GlyphSink {
 public:
  bool wants(std::int64_t x0, std::int64_t, std::int64_t x1, std::int64_t) override {
    if (x1 > x0) inkRight = std::max(inkRight, x1);
    return false;
  }
  void bitmap(const FT_Bitmap&, std::int64_t, std::int64_t) override {}
  void rect(std::int64_t, std::int64_t, std::int64_t, std::int64_t) override {}
  std::int64_t inkRight = 0;
};

// Decodes UTF-8 into lines of code points; malformed bytes become U+FFFD.
std::vector<std::u32string> splitLines(const std::string& text) {
  std::vector<std::u32string> lines(1);
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  std::size_t n = text.size();
  for (std::size_t i = 0; i < n;) {
    unsigned char c = s[i];
    if (c == '\r' || c == '\n') {
      // "\r\n" and "\r\r\n" are one break, as in the message's own text files.
      if (c == '\r' && i + 1 < n && s[i + 1] == '\n')
        ++i;
      else if (c == '\r' && i + 2 < n && s[i + 1] == '\r' && s[i + 2] == '\n')
        i += 2;
      ++i;
      lines.emplace_back();
      continue;
    }
    char32_t cp = 0xFFFD;
    int len = 1;
    if (c < 0x80) {
      cp = c;
    } else if (c >= 0xC2 && c < 0xF5) {
      int extra = c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
      char32_t v = c & (0x3F >> extra);
      bool ok = i + extra < n;
      for (int k = 1; ok && k <= extra; ++k) {
        if ((s[i + k] & 0xC0) != 0x80)
          ok = false;
        else
          v = (v << 6) | (s[i + k] & 0x3F);
      }
      bool shortest = (extra == 1) || (extra == 2 && v >= 0x800) || (extra == 3 && v >= 0x10000);
      if (ok && shortest && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF)) {
        cp = v;
        len = extra + 1;
      }
    }
    lines.back().push_back(cp);
    i += static_cast<std::size_t>(len);
  }
  return lines;
}

// Control characters draw nothing and take no room.
bool isControl(char32_t cp) {
  return cp < 0x20 || cp == 0x7F;
}

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

struct TextRasterizer::Impl {
  FT_Library library = nullptr;
  bool freeTypeTried = false;
  FcConfig* config = nullptr;
  bool fontconfigTried = false;
  // The font cache: its file (empty: none), what was read of it or found since, whether
  // those answers hold for the fonts as they are now, and whether they may be written.
  std::string cachePath;
  bool cacheRead = false;
  FontCacheData cache;
  bool cacheBelieved = false;
  bool cacheDirty = false;
  bool cacheWritable = true;
  std::map<std::pair<std::string, int>, std::unique_ptr<LoadedFace>> faces;
  std::map<std::string, std::unique_ptr<ResolvedFont>> fonts;
  std::string lastFace;
  bool lastFallback = false;
  int grid = 1;
  std::map<GlyphKey, GlyphRecord> glyphs;

  ~Impl() {
    for (auto& [key, font] : fonts) {
      if (font->sorted) FcFontSetDestroy(font->sorted);
      if (font->request) FcPatternDestroy(font->request);
    }
    for (auto& [key, face] : faces)
      if (face->face) FT_Done_Face(face->face);
    if (library) FT_Done_FreeType(library);
    if (config) FcConfigDestroy(config);
  }

  bool initFreeType() {
    if (!freeTypeTried) {
      freeTypeTried = true;
      if (FT_Init_FreeType(&library) != 0) library = nullptr;
    }
    return library != nullptr;
  }

  // Loads fontconfig's configuration, the costly part of a start: only when the font
  // cache cannot answer.
  bool initFontconfig() {
    if (!fontconfigTried) {
      fontconfigTried = true;
      // The clock the file systems stamp with: a dependency stamped from this moment on
      // may have changed while fontconfig read it.
      timespec before{};
      clock_gettime(CLOCK_REALTIME_COARSE, &before);
      config = FcInitLoadConfigAndFonts();
      if (config && !cachePath.empty())
        adoptConfiguration(std::int64_t{before.tv_sec} * 1000000000 + before.tv_nsec);
    }
    return config != nullptr;
  }

  void readCache() {
    if (cacheRead || cachePath.empty()) return;
    cacheRead = true;
    std::vector<std::uint8_t> bytes;
    FontCacheData data;
    if (readWholeFile(cachePath, bytes, nullptr, kMaxFontCacheBytes) &&
        parseFontCache(bytes.data(), bytes.size(), data) && data.context == fontLookupContext() &&
        dependenciesHold(data.dependencies)) {
      cache = std::move(data);
      cacheBelieved = true;
    }
  }

  // Keeps the cached answers when they were found with this very configuration, else
  // starts afresh under its dependencies.
  void adoptConfiguration(std::int64_t loadStartNs) {
    readCache();
    auto paths = [](FcStrList* list) {
      std::vector<std::string> out;
      while (FcChar8* path = FcStrListNext(list)) out.emplace_back(reinterpret_cast<char*>(path));
      FcStrListDone(list);
      return out;
    };
    std::vector<std::string> folders = paths(FcConfigGetConfigDirs(config));
    for (std::string& folder : paths(FcConfigGetFontDirs(config))) folders.push_back(folder);
    std::vector<CachedDependency> deps =
        stampDependencies(paths(FcConfigGetConfigFiles(config)), folders);
    std::string context = fontLookupContext();
    if (!cacheBelieved || context != cache.context || deps != cache.dependencies)
      cache = FontCacheData{std::move(context), std::move(deps), {}};
    cacheBelieved = true;
    for (const CachedDependency& d : cache.dependencies)
      if (std::max(d.stamp.mtimeNs, d.stamp.ctimeNs) >= loadStartNs) cacheWritable = false;
  }

  CachedFont* cachedFont(const std::string& name, bool bold, bool italic) {
    readCache();
    if (!cacheBelieved) return nullptr;
    for (CachedFont& f : cache.fonts)
      if (f.name == name && f.bold == bold && f.italic == italic) return &f;
    return nullptr;
  }

  void saveCache() {
    if (!cacheDirty) return;
    cacheDirty = false;
    if (!cacheWritable || cachePath.empty()) return;
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(cachePath).parent_path(), ec);
    writeFileAtomically(cachePath, serializeFontCache(cache), nullptr);
  }

  LoadedFace* loadFace(const std::string& file, int index) {
    auto key = std::make_pair(file, index);
    auto it = faces.find(key);
    if (it != faces.end()) return it->second->face ? it->second.get() : nullptr;
    auto loaded = std::make_unique<LoadedFace>();
    FT_Face face = nullptr;
    if (FT_New_Face(library, file.c_str(), index, &face) == 0 && FT_IS_SCALABLE(face)) {
      loaded->face = face;
      loaded->source = {file, index};
      describeFace(*loaded);
    } else if (face) {
      FT_Done_Face(face);
    }
    LoadedFace* result = loaded->face ? loaded.get() : nullptr;
    faces.emplace(key, std::move(loaded));
    return result;
  }

  static void describeFace(LoadedFace& lf) {
    FT_Face face = lf.face;
    lf.family = face->family_name ? face->family_name : "";
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      lf.ascent = os2->usWinAscent;
      lf.descent = os2->usWinDescent;
    } else if (face->ascender - face->descender > 0) {
      lf.ascent = face->ascender;
      lf.descent = -face->descender;
    } else {
      lf.ascent = face->units_per_EM * 0.8;
      lf.descent = face->units_per_EM * 0.2;
    }
    double weighted = 0;
    bool complete = true;
    for (int k = 0; k < 27 && complete; ++k) {
      FT_ULong ch = k < 26 ? static_cast<FT_ULong>('a' + k) : ' ';
      FT_UInt glyph = FT_Get_Char_Index(face, ch);
      if (glyph == 0 || FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) != 0)
        complete = false;
      else
        weighted += static_cast<double>(face->glyph->advance.x) * kAverageWidthWeights[k];
    }
    if (complete)
      lf.averageWidth = weighted / 1000.0;
    else if (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0)
      lf.averageWidth = os2->xAvgCharWidth;
    else
      lf.averageWidth = face->max_advance_width > 0 ? face->max_advance_width / 2.0 : 0;
    if (lf.averageWidth <= 0) lf.averageWidth = face->units_per_EM / 2.0;
  }

  FcPattern* makeRequest(const std::string& name, bool bold, bool italic) {
    FcPattern* p = FcPatternCreate();
    if (!name.empty())
      FcPatternAddString(p, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.c_str()));
    FcPatternAddInteger(p, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(p, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(p, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    return p;
  }

  // The matched font's file and index, or an empty file when nothing matched.
  std::pair<std::string, int> matchFile(FcPattern* request, FcPattern** matchOut) {
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, request, &result);
    std::pair<std::string, int> file{"", 0};
    if (match) {
      FcChar8* path = nullptr;
      int index = 0;
      if (FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        file.first = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) == FcResultMatch) file.second = index;
      }
    }
    if (matchOut)
      *matchOut = match;
    else if (match)
      FcPatternDestroy(match);
    return file;
  }

  static bool familyNamed(FcPattern* match, const std::string& name) {
    FcChar8* family = nullptr;
    for (int i = 0; FcPatternGetString(match, FC_FAMILY, i, &family) == FcResultMatch; ++i)
      if (lower(reinterpret_cast<const char*>(family)) == lower(name)) return true;
    return false;
  }

  ResolvedFont* resolve(const std::string& name, bool bold, bool italic) {
    // A fixed two-character suffix keeps the keys of different styles apart.
    std::string key = name;
    key += bold ? 'b' : '-';
    key += italic ? 'i' : '-';
    auto it = fonts.find(key);
    if (it != fonts.end()) return it->second.get();
    auto font = std::make_unique<ResolvedFont>();
    font->name = name;
    font->bold = bold;
    font->italic = italic;
    if (initFreeType() && !answerFromCache(*font)) answerFromFontconfig(*font);
    ResolvedFont* result = font.get();
    fonts.emplace(key, std::move(font));
    return result;
  }

  bool answerFromCache(ResolvedFont& font) {
    const CachedFont* hit = cachedFont(font.name, font.bold, font.italic);
    if (!hit || (!hit->face.file.empty() && stampOf(hit->face.file) != hit->faceStamp))
      return false;
    if (!hit->face.file.empty()) font.primary = loadFace(hit->face.file, hit->face.index);
    font.fallback = hit->fallback;
    return true;
  }

  void answerFromFontconfig(ResolvedFont& font) {
    if (!initFontconfig()) return;
    const std::string& name = font.name;
    font.request = makeRequest(name, font.bold, font.italic);
    FcPattern* match = nullptr;
    auto file = matchFile(font.request, &match);
    if (!file.first.empty()) font.primary = loadFace(file.first, file.second);
    // A name fontconfig neither knows nor aliases lands on the same face as no name
    // at all; an alias such as a metric-compatible stand-in lands elsewhere.
    if (match && !name.empty() && !familyNamed(match, name)) {
      FcPattern* anonymous = makeRequest("", font.bold, font.italic);
      font.fallback = matchFile(anonymous, nullptr) == file;
      FcPatternDestroy(anonymous);
    }
    if (match) FcPatternDestroy(match);
    if (!cacheBelieved) return;
    CachedFont answer{name, font.bold,     font.italic, {file.first, file.second},
                      {},   font.fallback, {}};
    if (!file.first.empty()) answer.faceStamp = stampOf(file.first);
    if (CachedFont* old = cachedFont(name, font.bold, font.italic))
      *old = std::move(answer);
    else
      cache.fonts.push_back(std::move(answer));
    cacheDirty = true;
  }

  LoadedFace* faceFor(ResolvedFont& font, char32_t cp) {
    if (FT_Get_Char_Index(font.primary->face, cp) != 0) return font.primary;
    auto it = font.charFaces.find(cp);
    if (it != font.charFaces.end()) return it->second;
    LoadedFace* found = cachedCharFace(font, cp);
    if (!found) {
      found = searchFallback(font, cp);
      if (config) rememberCharFace(font, cp, *found);
    }
    font.charFaces.emplace(cp, found);
    return found;
  }

  // The cached answer for a character the face lacks, when it still holds: the face it
  // names has the character.
  LoadedFace* cachedCharFace(const ResolvedFont& font, char32_t cp) {
    const CachedFont* entry = cachedFont(font.name, font.bold, font.italic);
    if (!entry) return nullptr;
    auto it = std::lower_bound(entry->chars.begin(), entry->chars.end(), cp,
                               [](const auto& c, char32_t v) { return c.first < v; });
    if (it == entry->chars.end() || it->first != cp) return nullptr;
    if (it->second.file.empty()) return font.primary;
    LoadedFace* face = loadFace(it->second.file, it->second.index);
    return face && FT_Get_Char_Index(face->face, cp) != 0 ? face : nullptr;
  }

  void rememberCharFace(const ResolvedFont& font, char32_t cp, const LoadedFace& face) {
    CachedFont* entry = cachedFont(font.name, font.bold, font.italic);
    if (!entry) return;
    FaceFileRef ref = &face == font.primary ? FaceFileRef{} : face.source;
    auto it = std::lower_bound(entry->chars.begin(), entry->chars.end(), cp,
                               [](const auto& c, char32_t v) { return c.first < v; });
    if (it != entry->chars.end() && it->first == cp)
      it->second = std::move(ref);
    else
      entry->chars.emplace(it, cp, std::move(ref));
    cacheDirty = true;
  }

  // fontconfig's sorted list for the request: the first face that has the character.
  LoadedFace* searchFallback(ResolvedFont& font, char32_t cp) {
    if (!font.sortTried) {
      font.sortTried = true;
      if (initFontconfig()) {
        if (!font.request) font.request = makeRequest(font.name, font.bold, font.italic);
        FcResult result = FcResultNoMatch;
        font.sorted = FcFontSort(config, font.request, FcTrue, nullptr, &result);
      }
    }
    LoadedFace* found = nullptr;
    for (int i = 0; font.sorted && i < font.sorted->nfont && !found; ++i) {
      FcPattern* candidate = font.sorted->fonts[i];
      FcCharSet* charset = nullptr;
      if (FcPatternGetCharSet(candidate, FC_CHARSET, 0, &charset) != FcResultMatch ||
          !FcCharSetHasChar(charset, cp))
        continue;
      FcChar8* path = nullptr;
      int index = 0;
      if (FcPatternGetString(candidate, FC_FILE, 0, &path) != FcResultMatch) continue;
      FcPatternGetInteger(candidate, FC_INDEX, 0, &index);
      LoadedFace* face = loadFace(reinterpret_cast<const char*>(path), index);
      if (face && FT_Get_Char_Index(face->face, cp) != 0) found = face;
    }
    // Nothing has it: the face's own missing-glyph box is drawn.
    return found ? found : font.primary;
  }

  static bool setSize(LoadedFace& face, FT_F26Dot6 x, FT_F26Dot6 y) {
    if (face.sizeX != x || face.sizeY != y) {
      face.sizeX = x;
      face.sizeY = y;
      face.sizeOk = FT_Set_Char_Size(face.face, x, y, 72, 72) == 0;
    }
    return face.sizeOk;
  }

  bool metricsFor(const LogFont& logFont, Metrics& m) {
    if (grid <= 1) return metricsAt(logFont, m);
    // The unscaled font gives the layout and the hinted outlines; lfHeight 0 is the
    // default size, then made grid times larger like the rest.
    LogFont small = logFont;
    small.lfHeight = logFont.lfHeight / grid;
    small.lfWidth = logFont.lfWidth / grid;
    if (!metricsAt(small, m)) return false;
    m.grid = grid;
    m.ascent *= grid;
    m.cell *= grid;
    m.underlineTop *= grid;
    m.underlineThickness *= grid;
    m.strikeTop *= grid;
    m.strikeThickness *= grid;
    return true;
  }

  bool metricsAt(const LogFont& logFont, Metrics& m) {
    bool bold = logFont.lfWeight >= kBoldWeight;
    bool italic = logFont.lfItalic != 0;
    ResolvedFont* font = resolve(logFont.faceName(), bold, italic);
    lastFace = font->primary ? font->primary->family : "";
    lastFallback = font->fallback;
    if (!font->primary) return false;
    const LoadedFace& face = *font->primary;
    double upem = face.face->units_per_EM;
    double cellUnits = face.ascent + face.descent;
    double em;
    if (logFont.lfHeight > 0) {
      // The cell height is exactly what was asked for; the em follows from it.
      m.cell = static_cast<int>(std::min<double>(logFont.lfHeight, kMaxEmPixels * 2));
      em = m.cell * upem / cellUnits;
      m.ascent = static_cast<int>(std::lround(m.cell * face.ascent / cellUnits));
    } else {
      em = logFont.lfHeight < 0 ? -static_cast<double>(logFont.lfHeight) : kDefaultEmPixels;
      em = std::min(em, kMaxEmPixels);
      m.ascent = static_cast<int>(std::lround(face.ascent * em / upem));
      m.cell = m.ascent + static_cast<int>(std::lround(face.descent * em / upem));
    }
    em = std::clamp(em, 1.0, kMaxEmPixels);
    double emX = em;
    if (logFont.lfWidth != 0) {
      double wanted = std::fabs(static_cast<double>(logFont.lfWidth));
      emX = std::clamp(wanted * upem / face.averageWidth, 1.0, kMaxWidthPixels);
    }
    m.font = font;
    m.emX = static_cast<FT_F26Dot6>(std::lround(emX * 64));
    m.emY = static_cast<FT_F26Dot6>(std::lround(em * 64));
    decorations(face, em / upem, logFont, m);
    return true;
  }

  static void decorations(const LoadedFace& face, double scale, const LogFont& logFont,
                          Metrics& m) {
    m.underline = logFont.lfUnderline != 0;
    m.strikeOut = logFont.lfStrikeOut != 0;
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face.face, FT_SFNT_OS2));
    double ulPos = face.face->underline_position, ulSize = face.face->underline_thickness;
    if (ulSize <= 0) {
      ulPos = -face.face->units_per_EM / 10.0;
      ulSize = face.face->units_per_EM / 14.0;
    }
    m.underlineThickness = std::max(1, static_cast<int>(std::lround(ulSize * scale)));
    // The stroke is centred on the position, but stays below the baseline and in the cell.
    int top = static_cast<int>(std::lround(-ulPos * scale - m.underlineThickness / 2.0));
    top = std::min(std::max(top, 1), m.cell - m.ascent - m.underlineThickness);
    m.underlineTop = std::max(top, 0);
    double stPos = face.face->units_per_EM * 0.26, stSize = face.face->units_per_EM / 14.0;
    if (os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0) {
      stPos = os2->yStrikeoutPosition;
      stSize = os2->yStrikeoutSize;
    }
    m.strikeThickness = std::max(1, static_cast<int>(std::lround(stSize * scale)));
    m.strikeTop = -static_cast<int>(std::lround(stPos * scale));
  }

  // Places every glyph of the text with its top-left at (originX, originY); returns the
  // widest line's advance width.
  std::int64_t walk(const Metrics& m, const std::vector<std::u32string>& lines,
                    std::int64_t originX, std::int64_t originY, GlyphSink& sink) {
    std::int64_t widest = 0;
    for (std::size_t li = 0; li < lines.size(); ++li) {
      std::int64_t baseline = originY + static_cast<std::int64_t>(li) * m.cell + m.ascent;
      std::int64_t pen = originX;
      for (char32_t cp : lines[li]) {
        if (isControl(cp)) continue;
        pen += placeGlyph(m, cp, pen, baseline, sink);
      }
      std::int64_t width = pen - originX;
      widest = std::max(widest, width);
      if (width <= 0) continue;
      if (m.underline)
        sink.rect(originX, baseline + m.underlineTop, pen,
                  baseline + m.underlineTop + m.underlineThickness);
      if (m.strikeOut)
        sink.rect(originX, baseline + m.strikeTop, pen, baseline + m.strikeTop + m.strikeThickness);
    }
    return widest;
  }

  // One glyph's outline at a size, with the synthesised italic and bold; null when the
  // face cannot give it.
  FT_GlyphSlot loadGlyph(const Metrics& m, LoadedFace* face, char32_t cp, FT_F26Dot6 x,
                         FT_F26Dot6 y) {
    if (!setSize(*face, x, y)) return nullptr;
    FT_UInt glyph = FT_Get_Char_Index(face->face, cp);
    if (FT_Load_Glyph(face->face, glyph, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) != 0)
      return nullptr;
    FT_GlyphSlot slot = face->face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return nullptr;
    if (m.font->italic && !(face->face->style_flags & FT_STYLE_FLAG_ITALIC))
      FT_GlyphSlot_Oblique(slot);
    if (m.font->bold && !(face->face->style_flags & FT_STYLE_FLAG_BOLD))
      FT_GlyphSlot_Embolden(slot);
    return slot;
  }

  // Loads, and when the sink wants it renders, one glyph; returns its advance in pixels.
  std::int64_t placeGlyph(const Metrics& m, char32_t cp, std::int64_t pen, std::int64_t baseline,
                          GlyphSink& sink) {
    LoadedFace* face = faceFor(*m.font, cp);
    const GlyphKey key{face, m.emX, m.emY, cp, m.font->italic, m.font->bold, m.grid};
    auto found = glyphs.find(key);
    if (found == glyphs.end()) {
      // Bounded, so that a long run of many faces and sizes does not grow without end.
      if (glyphs.size() >= kMaxGlyphRecords) glyphs.clear();
      found = glyphs.emplace(key, GlyphRecord{}).first;
      loadRecord(m, face, cp, found->second);
    }
    GlyphRecord& g = found->second;
    if (!g.loaded) return 0;
    std::int64_t advance = ((g.advanceX + 32) >> 6) * m.grid;
    const FT_BBox& box = g.box;
    std::int64_t x0 = pen + (box.xMin >> 6), x1 = pen + ((box.xMax + 63) >> 6);
    std::int64_t y0 = baseline - ((box.yMax + 63) >> 6), y1 = baseline - (box.yMin >> 6);
    if (x1 > x0 && y1 > y0 && sink.wants(x0, y0, x1, y1)) {
      if (g.renderTried) {
        if (g.rendered) sink.bitmap(g.bitmap, pen + g.left, baseline - g.top);
      } else if (FT_GlyphSlot slot = renderSlot(m, face, cp)) {
        sink.bitmap(slot->bitmap, pen + slot->bitmap_left, baseline - slot->bitmap_top);
        keepBitmap(*slot, g);
      } else {
        g.renderTried = true;
      }
    }
    return std::max<std::int64_t>(advance, 0);
  }

  static constexpr std::size_t kMaxGlyphRecords = 4096;

  // The outline at the walk's size, the grid applied; null when the face cannot give it.
  FT_GlyphSlot loadOutline(const Metrics& m, LoadedFace* face, char32_t cp) {
    FT_GlyphSlot slot = loadGlyph(m, face, cp, m.emX, m.emY);
    if (slot && m.grid > 1) {
      // The outline as hinted for the unscaled size, enlarged: stems land on the same
      // pixels, curves are drawn on the finer grid.
      const FT_Fixed g = static_cast<FT_Fixed>(m.grid) * 0x10000;
      FT_Matrix grow{g, 0, 0, g};
      FT_Outline_Transform(&slot->outline, &grow);
    }
    return slot;
  }

  void loadRecord(const Metrics& m, LoadedFace* face, char32_t cp, GlyphRecord& g) {
    FT_GlyphSlot slot = loadOutline(m, face, cp);
    if (!slot) return;
    g.loaded = true;
    g.advanceX = slot->advance.x;
    FT_Outline_Get_CBox(&slot->outline, &g.box);
  }

  // The glyph slot holds the last glyph loaded, which may be another by now: the outline
  // is loaded again before it is rendered. Null when it cannot be rendered.
  FT_GlyphSlot renderSlot(const Metrics& m, LoadedFace* face, char32_t cp) {
    FT_GlyphSlot slot = loadOutline(m, face, cp);
    return slot && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) == 0 ? slot : nullptr;
  }

  // Keeps the rendered bitmap for the next walk; a huge one (a letter thousands of
  // pixels high) is rendered again each time instead of held.
  static void keepBitmap(const FT_GlyphSlotRec& slot, GlyphRecord& g) {
    constexpr std::size_t kMaxKeptBytes = std::size_t{1} << 18;
    const FT_Bitmap& bits = slot.bitmap;
    const std::size_t bytes = bits.pitch > 0 ? static_cast<std::size_t>(bits.pitch) * bits.rows : 0;
    if (bits.pitch < 0 || bytes > kMaxKeptBytes) return;
    if (bits.buffer) g.pixels.assign(bits.buffer, bits.buffer + bytes);
    g.bitmap = bits;
    g.bitmap.buffer = g.pixels.empty() ? nullptr : g.pixels.data();
    g.left = slot.bitmap_left;
    g.top = slot.bitmap_top;
    g.renderTried = g.rendered = true;
  }
};

TextRasterizer::TextRasterizer() : impl_(std::make_unique<Impl>()) {}
TextRasterizer::~TextRasterizer() = default;

// New answers of fontconfig reach the cache file once per call, however many faces and
// characters the call asked for.
class TextRasterizer::CacheSaver {
 public:
  explicit CacheSaver(Impl& impl) : impl_(impl) {}
  ~CacheSaver() { impl_.saveCache(); }
  CacheSaver(const CacheSaver&) = delete;
  CacheSaver& operator=(const CacheSaver&) = delete;

 private:
  Impl& impl_;
};

namespace {
int clampToInt(std::int64_t v) {
  constexpr std::int64_t kLimit = 1 << 30;
  return static_cast<int>(std::clamp<std::int64_t>(v, 0, kLimit));
}
}  // namespace

// With a layout grid the unscaled font is measured and the result enlarged, so sizes
// and ink bounds are exactly grid times those at scale 1 (the finer rasterisation may
// light a part of a pixel more or less at the edges; the layout must not follow it).
LogFont TextRasterizer::unscaledFont(const LogFont& font) const {
  LogFont small = font;
  small.lfHeight = font.lfHeight / impl_->grid;
  small.lfWidth = font.lfWidth / impl_->grid;
  return small;
}

TextExtent TextRasterizer::measure(const LogFont& font, const std::string& text) {
  if (impl_->grid > 1) {
    const int grid = impl_->grid;
    const LogFont small = unscaledFont(font);
    impl_->grid = 1;
    TextExtent extent = measure(small, text);
    impl_->grid = grid;
    return {clampToInt(std::int64_t{extent.width} * grid),
            clampToInt(std::int64_t{extent.height} * grid)};
  }
  Metrics m;
  CacheSaver saver(*impl_);
  if (!impl_->metricsFor(font, m) || text.empty()) return {};
  auto lines = splitLines(text);
  MeasureSink sink;
  std::int64_t width = impl_->walk(m, lines, 0, 0, sink);
  TextExtent extent;
  extent.width = clampToInt(std::max(width, sink.inkRight));
  extent.height = clampToInt(static_cast<std::int64_t>(lines.size()) * m.cell);
  return extent;
}

void TextRasterizer::draw(const LogFont& font, const std::string& text, std::uint8_t* bgr,
                          int width, int height, int left, int top) {
  Metrics m;
  CacheSaver saver(*impl_);
  if (!impl_->metricsFor(font, m) || text.empty() || width <= 0 || height <= 0) return;
  RasterSink sink(bgr, width, height, left, top);
  impl_->walk(m, splitLines(text), left, top, sink);
}

InkBounds TextRasterizer::inkBounds(const LogFont& font, const std::string& text, int width,
                                    int height) {
  if (impl_->grid > 1) {
    const int grid = impl_->grid;
    const LogFont small = unscaledFont(font);
    impl_->grid = 1;
    InkBounds ink = inkBounds(small, text, (width + grid - 1) / grid, (height + grid - 1) / grid);
    impl_->grid = grid;
    return {clampToInt(std::int64_t{ink.left} * grid), clampToInt(std::int64_t{ink.top} * grid),
            clampToInt(std::int64_t{ink.right} * grid),
            clampToInt(std::int64_t{ink.bottom} * grid)};
  }
  Metrics m;
  CacheSaver saver(*impl_);
  if (!impl_->metricsFor(font, m) || text.empty() || width <= 0 || height <= 0) return {};
  InkSink sink(width, height);
  impl_->walk(m, splitLines(text), 0, 0, sink);
  return sink.bounds();
}

std::string TextRasterizer::resolvedFace() const {
  return impl_->lastFace;
}
bool TextRasterizer::usedFallbackFace() const {
  return impl_->lastFallback;
}
void TextRasterizer::setLayoutGrid(int factor) {
  impl_->grid = std::max(factor, 1);
}
void TextRasterizer::setFontCacheFile(const std::string& path) {
  impl_->cachePath = path;
}
bool TextRasterizer::fontconfigLoaded() const {
  return impl_->config != nullptr;
}

}  // namespace vornel
