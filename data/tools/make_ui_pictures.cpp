// Makes the desktop window's pictures: the six wizard page strips (174 x 209, 8-bit BMP
// reduced by our own colour reduction), the program icon at six sizes (24-bit BMP) and
// the Edit Style dialog's thirteen effect-type pictures (16-colour, 4-bit BMP).
// Every word, gem and tile on them is rendered by our engine from the bundled styles of
// the program folder; only the backdrops (gradients, glows, cards) are painted here, and
// the renders are placed on them with the engine's own compositing.
//
// usage: vornel_make_ui_pictures APP_DIR OUTPUT_DIR
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/job.h"
#include "core/style_choice.h"
#include "imageio/bmp_file.h"
#include "imageio/byte_reader.h"
#include "imageio/color_reduce.h"
#include "imageio/dib_image.h"
#include "platform/host.h"
#include "render/compose.h"
#include "render/engine.h"
#include "render/pipeline.h"

namespace vornel {
namespace {

constexpr int kStripWidth = 174;
constexpr int kStripHeight = 209;

// The engine asks nothing of a build step; a message it shows is a fault of ours.
class ToolHost : public Host {
 public:
  MsgAnswer messageBox(const std::string& message, const std::string& caption, MsgButtons,
                       MsgIcon) override {
    std::fprintf(stderr, "make_ui_pictures: %s %s\n", caption.c_str(), message.c_str());
    return MsgAnswer::Cancel;
  }
  std::optional<std::string> openFileDialog(const FileDialogOptions&) override {
    return std::nullopt;
  }
  std::optional<std::string> saveFileDialog(const FileDialogOptions&) override {
    return std::nullopt;
  }
};

// ---------------------------------------------------------------------------------------
// Engine renders

// One layer of a job, as the pages would set it.
struct LayerLook {
  std::int32_t kind = kLayerNone;
  std::string text;
  std::string style;  // a .sty file of the program folder
  std::string face = "Arial";
  int emHeight = 40;
  bool bold = true;
  bool italic = false;
  int boxWidth = 0, boxHeight = 0, cornerWidth = 0, cornerHeight = 0;  // a Message round box
  std::vector<EffectRecord> effects;  // the style when no style file is named
};

struct JobLook {
  LayerLook templ, bulletin, message;
  std::optional<RoundBoxFactors> templateFactors;
  // When set, a round-box Template is made this wide whatever the message's width, so
  // that buttons of different words line up.
  int templateBoxWidth = 0;
};

LayerLook text(const std::string& words, const std::string& style, int emHeight,
               const std::string& face = "Arial", bool italic = false) {
  LayerLook layer;
  layer.kind = kLayerFont;
  layer.text = words;
  layer.style = style;
  layer.emHeight = emHeight;
  layer.face = face;
  layer.italic = italic;
  return layer;
}

LayerLook roundBox(const std::string& style, int width, int height, int corner) {
  LayerLook layer;
  layer.kind = kLayerRoundBox;
  layer.text = "a";  // a blank message lays out as nothing, box or not
  layer.style = style;
  layer.boxWidth = width;
  layer.boxHeight = height;
  layer.cornerWidth = layer.cornerHeight = corner;
  return layer;
}

JobLook job(const LayerLook& message) {
  JobLook look;
  look.message = message;
  return look;
}

void applyLayer(VornelDocument& doc, int index, const LayerLook& look) {
  LayerRecord& layer = doc.layer(index);
  layer.kind = look.kind;
  if (look.kind == kLayerNone) return;
  layer.text = look.text;
  LogFont font = startupFont();
  font.setFaceName(look.face);
  font.lfHeight = -look.emHeight;
  font.lfWidth = 0;  // the face's own proportions
  font.lfWeight = look.bold ? 700 : 400;
  font.lfItalic = look.italic ? 1 : 0;
  layer.font = font;
  layer.fontWidth = 0;
  layer.box[0] = look.boxWidth;
  layer.box[1] = look.boxHeight;
  layer.box[2] = look.cornerWidth;
  layer.box[3] = look.cornerHeight;
  if (look.style.empty()) {
    layer.effects = look.effects;
  } else if (!assignStyleToLayer(doc, index, doc.appDirectory + look.style)) {
    throw std::runtime_error("cannot read the style " + look.style);
  }
}

// Lays the stored layer renders over one another as composeJob does, but onto a
// transparent picture, so the result can be placed on any backdrop. Colours stay
// weighted by coverage, as the engine stores them.
void stackLayer(LayerImage& out, const LayerImage& layer, int ox, int oy) {
  for (int y = 0; y < layer.height; ++y) {
    const int ty = y + oy;
    if (ty < 0 || ty >= out.height) continue;
    for (int x = 0; x < layer.width; ++x) {
      const int tx = x + ox;
      if (tx < 0 || tx >= out.width) continue;
      const std::size_t s = static_cast<std::size_t>(y) * layer.width + x;
      const std::size_t d = static_cast<std::size_t>(ty) * out.width + tx;
      const int a = layer.alpha[s];
      for (int k = 0; k < 3; ++k) {
        const int under = out.pixels[d * 3 + k];
        out.pixels[d * 3 + k] = static_cast<std::uint8_t>(
            std::min(255, layer.pixels[s * 3 + k] + under * (255 - a) / 255));
      }
      out.alpha[d] = static_cast<std::uint8_t>(a + out.alpha[d] * (255 - a) / 255);
    }
  }
}

// The box of a sprite's solid pixels: what the eye takes for the word, without its
// margins and faint glow.
struct InkBox {
  int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

InkBox inkBox(const LayerImage& sprite) {
  InkBox box{sprite.width, sprite.height, 0, 0};
  for (int y = 0; y < sprite.height; ++y)
    for (int x = 0; x < sprite.width; ++x)
      if (sprite.alpha[static_cast<std::size_t>(y) * sprite.width + x] >= 160) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  if (box.right <= box.left) return {0, 0, sprite.width, sprite.height};
  return box;
}

// Star glints and soft shadows reach past the canvas the layout gives them and would
// stop at its border in a visible rectangle on a backdrop of another colour. Between
// the ink and each border they fade out instead, linearly, so nothing solid is touched.
void fadeEdges(LayerImage& sprite) {
  const InkBox ink = inkBox(sprite);
  auto ramp = [](int distance, int gap) {
    return gap <= 0 ? 1.0 : std::min(1.0, (distance + 0.5) / gap);
  };
  for (int y = 0; y < sprite.height; ++y)
    for (int x = 0; x < sprite.width; ++x) {
      const double weight =
          ramp(x, ink.left) * ramp(sprite.width - 1 - x, sprite.width - ink.right) *
          ramp(y, ink.top) * ramp(sprite.height - 1 - y, sprite.height - ink.bottom);
      if (weight >= 1.0) continue;
      const std::size_t i = static_cast<std::size_t>(y) * sprite.width + x;
      for (int k = 0; k < 3; ++k)
        sprite.pixels[i * 3 + k] = static_cast<std::uint8_t>(sprite.pixels[i * 3 + k] * weight);
      sprite.alpha[i] = static_cast<std::uint8_t>(sprite.alpha[i] * weight);
    }
}

// A job rendered by a fresh engine (so the random sequence starts over and every run
// gives the same picture), its layers stacked into one transparent sprite.
LayerImage render(const std::string& appDir, const JobLook& look) {
  ToolHost host;
  auto engine = std::make_unique<Engine>(host);
  startEngine(*engine, {appDir, ""});
  VornelDocument& doc = engine->doc;
  // The user's own preferences must not change what the build makes. Blank margins
  // are kept: glows then fade out inside the canvas instead of stopping at the ink.
  doc.prefs = Preferences{};
  doc.prefs.clipBlank = 0;
  if (look.templateFactors) doc.templateFactors = *look.templateFactors;
  applyLayer(doc, kTemplateLayer, look.templ);
  applyLayer(doc, kBulletinLayer, look.bulletin);
  applyLayer(doc, kMessageLayer, look.message);
  std::string reason;
  if (!renderJob(*engine, &reason)) throw std::runtime_error("render refused: " + reason);
  if (look.templateBoxWidth > 0) {
    // The Template's box is a share of the message's width; the first render gives it.
    const LayerRecord& m = doc.layer(kMessageLayer);
    const int messageWidth = std::max(1, m.width - 2 * m.textOriginX);
    doc.templateFactors.width = look.templateBoxWidth * 1000 / messageWidth + 1;
    if (!renderJob(*engine, &reason)) throw std::runtime_error("render refused: " + reason);
  }

  LayerImage sprite;
  sprite.width = doc.outputWidth;
  sprite.height = doc.outputHeight;
  const std::size_t n = static_cast<std::size_t>(sprite.width) * sprite.height;
  sprite.pixels.assign(n * 3, 0);
  sprite.alpha.assign(n, 0);
  for (const LayerRecord& layer : doc.layers)
    if (layer.kind != kLayerNone)
      stackLayer(sprite, layer.image, layer.x - doc.originX, layer.y - doc.originY);
  fadeEdges(sprite);
  return sprite;
}

LayerImage render(const std::string& appDir, const LayerLook& message) {
  return render(appDir, job(message));
}

// ---------------------------------------------------------------------------------------
// Backdrops

struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb hex(std::uint32_t rgb) {
  return {static_cast<double>(rgb >> 16 & 0xFF), static_cast<double>(rgb >> 8 & 0xFF),
          static_cast<double>(rgb & 0xFF)};
}

Rgb mix(const Rgb& a, const Rgb& b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double smoothstep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// A painting surface in floating point, turned into a 24-bit picture once painted.
struct Backdrop {
  int width = 0, height = 0;
  std::vector<Rgb> px;

  Backdrop(int w, int h) : width(w), height(h), px(static_cast<std::size_t>(w) * h) {}
  Rgb& at(int x, int y) { return px[static_cast<std::size_t>(y) * width + x]; }

  // Paints colour over the surface with the coverage shape(x, y) returns (0 ... 1),
  // sampled at pixel centres.
  template <typename Shape>
  void paint(const Rgb& colour, Shape shape) {
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const double a = shape(x + 0.5, y + 0.5);
        if (a > 0) at(x, y) = mix(at(x, y), colour, a);
      }
  }
};

// Signed distance from (x, y) to a rounded rectangle; negative inside.
double roundRectDistance(double x, double y, double left, double top, double right, double bottom,
                         double radius) {
  const double cx = (left + right) / 2, cy = (top + bottom) / 2;
  const double hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
  const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
  const double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
  return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

// The shared look of the strips: a deep night-blue gradient, a soft glow of the page's
// own accent colour behind its motif, faint diagonal light lines and a darker rim.
Backdrop pageBackdrop(const Rgb& accent, double glowY) {
  Backdrop b(kStripWidth, kStripHeight);
  const Rgb top = hex(0x141B3D), bottom = hex(0x0A0E22);
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      const double fy = (y + 0.5) / b.height;
      Rgb c = mix(top, bottom, fy);
      const double dx = (x + 0.5 - b.width / 2.0) / (b.width * 0.62);
      const double dy = (y + 0.5 - glowY) / (b.height * 0.42);
      const double glow = std::exp(-(dx * dx + dy * dy) * 1.6);
      c = mix(c, accent, glow * 0.55);
      // Light lines every 14 pixels along the diagonal, a pixel and a half wide.
      const double d = std::fmod(x + 0.5 + (b.height - y), 14.0);
      const double line = smoothstep(1.5, 0.0, std::min(d, 14.0 - d));
      c = mix(c, hex(0xFFFFFF), line * 0.035);
      // The rim darkens toward the edges so the strip sits inside the window's frame.
      const double ex = std::min(x + 0.5, b.width - x - 0.5),
                   ey = std::min(y + 0.5, b.height - y - 0.5);
      const double rim = smoothstep(0.0, 14.0, std::min(ex, ey));
      c = mix(hex(0x05070F), c, 0.55 + 0.45 * rim);
      b.at(x, y) = c;
    }
  return b;
}

// A card: a rounded rectangle in colour, with a soft shadow under it and a lit top edge.
void paintCard(Backdrop& b, double left, double top, double right, double bottom, double radius,
               const Rgb& colour) {
  b.paint(hex(0x000000), [&](double x, double y) {
    const double d = roundRectDistance(x, y, left + 2, top + 3, right + 2, bottom + 3, radius);
    return 0.55 * smoothstep(4.0, -2.0, d);
  });
  b.paint(colour, [&](double x, double y) {
    return smoothstep(0.5, -0.5, roundRectDistance(x, y, left, top, right, bottom, radius));
  });
  b.paint(hex(0xFFFFFF), [&](double x, double y) {
    const double d = roundRectDistance(x, y, left, top, right, bottom, radius);
    const double edge = smoothstep(-2.0, -1.0, d) * smoothstep(0.5, -0.5, d);
    return edge * 0.35 * smoothstep(bottom, top, y);
  });
}

// The backdrop as a 24-bit picture. With dither set, a 4 x 4 ordered dither of a few
// levels is laid over it first: the colour reduction maps every pixel to its nearest
// palette colour, and a smooth glow would otherwise come out in rings.
DibImage toDib(const Backdrop& b, bool dither = true) {
  static constexpr int kBayer[4][4] = {
      {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  constexpr double kDitherLevels = 6.0;
  DibImage image;
  if (!image.create(b.width, b.height, 24)) throw std::bad_alloc();
  DibRowAccess rows(image);
  auto byte = [](double v) {
    return static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
  };
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      const Rgb& c = b.px[static_cast<std::size_t>(y) * b.width + x];
      const double d = dither ? (kBayer[y & 3][x & 3] - 7.5) / 16.0 * kDitherLevels : 0.0;
      std::uint8_t* p = rows[y] + static_cast<std::size_t>(x) * 3;
      p[0] = byte(c.b + d);
      p[1] = byte(c.g + d);
      p[2] = byte(c.r + d);
    }
  return image;
}

// Places a sprite with the centre of its ink at (cx, cy), as the engine composes a layer.
void place(DibImage& image, const LayerImage& sprite, int cx, int cy) {
  const InkBox ink = inkBox(sprite);
  compositeLayer(image, sprite, cx - (ink.left + ink.right) / 2, cy - (ink.top + ink.bottom) / 2,
                 true);
}

// Places a sprite with the left of its ink at x and the centre of its ink at height cy.
void placeLeft(DibImage& image, const LayerImage& sprite, int x, int cy) {
  const InkBox ink = inkBox(sprite);
  compositeLayer(image, sprite, x - ink.left, cy - (ink.top + ink.bottom) / 2, true);
}

// ---------------------------------------------------------------------------------------
// The pages

DibImage examplesPage(const std::string& app) {
  Backdrop b = pageBackdrop(hex(0x7A3FA8), 105);
  struct Sample {
    double left, top;
    std::uint32_t card;
    LayerLook words;
  };
  const Sample samples[] = {
      {12, 14, 0x1E143C, text("Gold", "gold_stars.sty", 30, "Times New Roman")},
      {32, 62, 0x000000, text("Neon", "neon_glow.sty", 28)},
      {12, 110, 0x5AC8FF, text("Pow!", "comic.sty", 28)},
      {32, 158, 0xF5EBD7, text("Wood", "wood_carving.sty", 30, "Times New Roman")},
  };
  const double w = 130, h = 40;
  for (const Sample& s : samples)
    paintCard(b, s.left, s.top, s.left + w, s.top + h, 7, hex(s.card));
  DibImage image = toDib(b);
  for (const Sample& s : samples)
    place(image, render(app, s.words), static_cast<int>(s.left + w / 2),
          static_cast<int>(s.top + h / 2));
  return image;
}

DibImage messagePage(const std::string& app) {
  Backdrop b = pageBackdrop(hex(0x2F6FD0), 80);
  DibImage image = toDib(b);
  place(image, render(app, text("Aa", "chrome.sty", 96)), 87, 82);
  place(image, render(app, text("Text", "gold_stars.sty", 38, "Times New Roman", true)), 87, 165);
  return image;
}

DibImage backgroundPage(const std::string& app) {
  Backdrop b = pageBackdrop(hex(0x1F9A8E), 104);
  DibImage image = toDib(b);
  const char* styles[] = {"marble.sty", "wood_carving.sty", "glass_tiles.sty",
                          "lava.sty",   "cloudy_sky.sty",   "brick_wall.sty"};
  for (int i = 0; i < 6; ++i) {
    const int col = i % 2, row = i / 2;
    place(image, render(app, roundBox(styles[i], 64, 50, 16)), 48 + col * 78, 40 + row * 64);
  }
  return image;
}

DibImage bulletinPage(const std::string& app) {
  Backdrop b = pageBackdrop(hex(0xB0303C), 70);
  DibImage image = toDib(b);
  place(image, render(app, text("\u2605", "gold_stars.sty", 100, "DejaVu Sans")), 87, 60);
  JobLook row = job(text("News", "button_text.sty", 22));
  row.bulletin = roundBox("bullet_gem.sty", 0, 0, 0);
  placeLeft(image, render(app, row), 40, 130);
  JobLook star = job(text("Sale", "button_text.sty", 22));
  star.bulletin = text("*", "bullet_star.sty", 30);
  placeLeft(image, render(app, star), 40, 157);
  JobLook arrow = job(text("Info", "button_text.sty", 22));
  arrow.bulletin = text(">", "comic.sty", 24);
  placeLeft(image, render(app, arrow), 40, 184);
  return image;
}

DibImage savePage(const std::string& app) {
  Backdrop b = pageBackdrop(hex(0x2E9A4A), 104);
  DibImage image = toDib(b);
  const char* styles[] = {"button_blue.sty", "emerald_jelly.sty", "plastic_3d.sty"};
  const char* words[] = {"GIF", "JPG", "BMP"};
  for (int i = 0; i < 3; ++i) {
    JobLook button = job(text(words[i], "button_text.sty", 28));
    button.templ = roundBox(styles[i], 0, 0, 0);
    button.templateFactors = RoundBoxFactors{0, 1250, 400, 900};
    button.templateBoxWidth = 112;
    place(image, render(app, button), 87, 46 + i * 58);
  }
  return image;
}

DibImage batchPage(const std::string& app) {
  Backdrop b = pageBackdrop(hex(0xC07A20), 104);
  const Rgb cards[] = {hex(0xF4E7C8), hex(0xF8EFD8), hex(0xFFF8E8)};
  for (int i = 0; i < 3; ++i) {
    const double left = 18 + i * 26, top = 18 + i * 52;
    paintCard(b, left, top, left + 86, top + 80, 10, cards[i]);
  }
  DibImage image = toDib(b);
  const char* digits[] = {"1", "2", "3"};
  for (int i = 0; i < 3; ++i)
    place(image, render(app, text(digits[i], "gold_stars.sty", 60, "Times New Roman")),
          18 + i * 26 + 43, 18 + i * 52 + 40);
  return image;
}

// ---------------------------------------------------------------------------------------
// The effect-type pictures

// The Edit Style dialog's type list draws no text: each row is its picture, so every
// picture names its type in letters drawn with that effect, on the list's white.
struct EffectPicture {
  int width = 0, height = 0;
  std::string word;
  std::vector<EffectRecord> effects;
  // When not empty, the word is drawn a second time behind itself with this style (the
  // Template layer), for the effects that replace the letters by a shape.
  std::vector<EffectRecord> behind;
  std::uint32_t backdrop = 0xFFFFFF;  // 0xRRGGBB
  // The least coverage that must lie inside the picture: glows fainter than this may be
  // cut by its border.
  int fitAlpha = 40;
};

// 0xRRGGBB as the records' COLORREF, 0x00BBGGRR.
std::int32_t colorRef(std::uint32_t rgb) {
  return static_cast<std::int32_t>((rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF));
}

// A record of type with its parameters given as (number, value) pairs.
EffectRecord effect(std::int32_t type, std::initializer_list<std::pair<int, std::int32_t>> params,
                    const std::string& texture = "") {
  EffectRecord r;
  r.type = type;
  for (const auto& [n, value] : params) r.param(n) = value;
  r.setTexture(texture);
  return r;
}

EffectRecord draw(std::uint32_t rgb) {
  return effect(kSingleColor, {{1, colorRef(rgb)}, {5, 2}});
}

// In type order, at the sizes the dialog's rows are laid out for.
EffectPicture picture(int width, int height, const std::string& word,
                      std::vector<EffectRecord> effects) {
  EffectPicture p;
  p.width = width;
  p.height = height;
  p.word = word;
  p.effects = std::move(effects);
  return p;
}

std::vector<EffectPicture> effectPictures() {
  const auto relief = [](std::uint32_t rgb, int height) {
    return effect(k3dSingleColor,
                  {{1, colorRef(rgb)}, {6, height}, {7, 100}, {8, 1000}, {9, 30}, {10, 950}});
  };
  std::vector<EffectPicture> pictures(kEffectTypeCount);
  pictures[kSingleColor] = picture(44, 16, "Draw", {draw(0xC8281E)});
  pictures[kOutLine] = picture(
      67, 20, "Outline", {effect(kOutLine, {{1, colorRef(0x1E3C96)}, {5, 2}}), draw(0xFFFFFF)});
  pictures[kDropShadow] =
      picture(108, 24, "Drop Shadow",
              {effect(kDropShadow, {{1, colorRef(0x505050)}, {3, 2}, {4, 2}, {5, 100}, {6, 2}}),
               draw(0x1E5AC8)});
  pictures[kLinearGradient] = picture(
      144, 20, "Linear Gradient",
      {effect(kLinearGradient, {{1, colorRef(0xD01E78)}, {2, colorRef(0xF0A000)}, {6, 64}})});
  // Too narrow for the name: the word out of focus.
  pictures[kDepthField] =
      picture(44, 20, "Depth", {draw(0xE04040), effect(kDepthField, {{5, 120}, {6, 2}})});
  pictures[kDisturbTemplet] =
      picture(160, 24, "Disturbing Font",
              {effect(kDisturbTemplet, {{5, 1}, {6, 350}, {7, 30}}), draw(0x7828B4)});
  // Glints are light, which only shows on a dark sky; they reach far beyond the letters,
  // so only their bright part need fit.
  pictures[kStarFilter] =
      picture(76, 24, "Star",
              {effect(kStarFilter, {{1, colorRef(0xFFDC78)}, {2, 0}, {6, 6}}), draw(0xFFC832)});
  pictures[kStarFilter].backdrop = 0x141E46;
  pictures[kStarFilter].fitAlpha = 160;
  pictures[kTile] =
      picture(36, 16, "Tile",
              {effect(kOutLine, {{1, colorRef(0x0096FF)}, {5, 1}}),
               effect(kLinearGradient, {{1, colorRef(0xFF3C00)}, {2, colorRef(0x0096FF)}, {6, 16}}),
               effect(kTile, {}, "pixel.git")});
  pictures[k3dSingleColor] = picture(132, 24, "3D Single Color", {relief(0x28A03C, 1500)});
  // The box replaces the letters: the word is drawn again in front of it.
  pictures[kRoundBoxEffect] = picture(108, 16, "Round Box", {draw(0xFFFFFF)});
  pictures[kRoundBoxEffect].behind = {
      effect(kRoundBoxEffect, {{5, 1040}, {6, 1000}, {7, 160}, {8, 700}}), relief(0x2850C8, 800)};
  pictures[kFog] = picture(98, 23, "Fog",
                           {draw(0x1E3264), effect(kFog, {{1, colorRef(0xDCE6FF)},
                                                          {6, 100},
                                                          {7, 25},
                                                          {8, 1000},
                                                          {9, 100},
                                                          {11, 100},
                                                          {12, 90}})});
  pictures[kSpace] =
      picture(104, 20, "Space", {draw(0x8C3CDC), effect(kSpace, {{5, 200}, {6, 700}})});
  pictures[kCutOut] =
      picture(76, 19, "Cut Out",
              {draw(0xDCC8A0),
               effect(kCutOut, {{1, colorRef(0x3C2814)}, {3, 2}, {4, 2}, {5, 160}, {6, 2}})});
  return pictures;
}

// The box of whatever a sprite covers with at least the given alpha.
InkBox coverageBox(const LayerImage& sprite, int alpha) {
  InkBox box{sprite.width, sprite.height, 0, 0};
  for (int y = 0; y < sprite.height; ++y)
    for (int x = 0; x < sprite.width; ++x)
      if (sprite.alpha[static_cast<std::size_t>(y) * sprite.width + x] >= alpha) {
        box.left = std::min(box.left, x);
        box.top = std::min(box.top, y);
        box.right = std::max(box.right, x + 1);
        box.bottom = std::max(box.bottom, y + 1);
      }
  if (box.right <= box.left) return {0, 0, 0, 0};
  return box;
}

// The word in the largest bold Arial whose render fits the picture with a pixel to
// spare on every side.
LayerImage fittedWord(const std::string& app, const EffectPicture& picture) {
  for (int em = picture.height; em >= 6; --em) {
    LayerLook word = text(picture.word, "", em);
    word.effects = picture.effects;
    JobLook look = job(word);
    if (!picture.behind.empty()) {
      look.templ = text(picture.word, "", em);
      look.templ.effects = picture.behind;
    }
    const LayerImage sprite = render(app, look);
    const InkBox box = coverageBox(sprite, picture.fitAlpha);
    if (box.right - box.left <= picture.width - 2 && box.bottom - box.top <= picture.height - 2)
      return sprite;
  }
  throw std::runtime_error("\"" + picture.word + "\" does not fit its picture");
}

// A 16-colour picture as a 4-bit DIB: the 8-bit one our reduction makes (whose indices
// then lie below 16) with two pixels packed in each byte, high nibble first.
DibImage fourBitOf(const DibImage& reduced) {
  const int w = reduced.width(), h = reduced.height();
  constexpr std::size_t kHeader = 40, kColours = 16;
  const std::size_t rowBytes = dibRowBytes(w, 4);
  std::vector<std::uint8_t> block(kHeader + kColours * 4 + rowBytes * h, 0);
  std::uint8_t* header = block.data();
  storeU32le(header + 0, kHeader);
  storeU32le(header + 4, static_cast<std::uint32_t>(w));
  storeU32le(header + 8, static_cast<std::uint32_t>(h));
  storeU16le(header + 12, 1);
  storeU16le(header + 14, 4);
  storeU32le(header + 20, static_cast<std::uint32_t>(rowBytes * h));
  storeU32le(header + 32, kColours);
  const std::vector<PaletteColor>& palette = reduced.palette();
  for (std::size_t i = 0; i < kColours && i < palette.size(); ++i) {
    std::uint8_t* entry = header + kHeader + i * 4;
    entry[0] = palette[i].blue;
    entry[1] = palette[i].green;
    entry[2] = palette[i].red;
  }
  DibImage source = reduced;
  DibRowAccess rows(source);
  std::uint8_t* pixels = block.data() + kHeader + kColours * 4;
  for (int y = 0; y < h; ++y) {
    // Rows are stored bottom row first.
    std::uint8_t* out = pixels + static_cast<std::size_t>(h - 1 - y) * rowBytes;
    for (int x = 0; x < w; ++x) {
      const std::uint8_t index = rows[y][x];
      if (index >= kColours) throw std::runtime_error("a reduced colour lies beyond 16");
      out[x / 2] |= static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
    }
  }
  DibImage image;
  image.block() = std::move(block);
  image.refreshFromBlock(true);
  return image;
}

// The summed channel differences between a 24-bit picture and its reduced copy.
long long reductionError(const DibImage& original, const DibImage& reduced) {
  const RgbPicture a = original.toRgb(), b = reduced.toRgb();
  long long error = 0;
  for (std::size_t i = 0; i < a.rgb.size(); ++i) error += std::abs(a.rgb[i] - b.rgb[i]);
  return error;
}

// The picture reduced to 16 colours by whichever of our two methods comes closer. The
// median cut keeps the boxes it visits first, the dark ones, and can lose a bright
// word's colour; popularity keeps the most frequent colours exactly but drops a
// gradient's. Each wins on some of these pictures.
DibImage sixteenColours(const DibImage& image, std::int32_t background) {
  DibImage best;
  long long bestError = -1;
  for (ReduceMethod method : {ReduceMethod::MedianCut, ReduceMethod::Popularity}) {
    DibImage reduced = image;
    // Fresh tables: a picture's palette must not depend on the pictures made before it.
    MedianCutTables tables;
    reduceOutput(reduced, 16, method, static_cast<std::uint32_t>(background), tables);
    const long long error = reductionError(image, reduced);
    if (bestError < 0 || error < bestError) {
      best = reduced;
      bestError = error;
    }
  }
  return best;
}

DibImage effectPicture(const std::string& app, const EffectPicture& picture) {
  Backdrop backdrop(picture.width, picture.height);
  const Rgb back = hex(picture.backdrop);
  std::fill(backdrop.px.begin(), backdrop.px.end(), back);
  DibImage image = toDib(backdrop, false);
  const LayerImage sprite = fittedWord(app, picture);
  const InkBox box = coverageBox(sprite, picture.fitAlpha);
  // The list draws each picture from its row's left edge: the words start at one
  // column, a pixel in, whatever the picture's width.
  compositeLayer(image, sprite, 1 - box.left, (picture.height - box.top - box.bottom) / 2, true);
  // Composing scales what lies under the sprite by 255 / 256 even where it is
  // transparent: the backdrop must stay one colour (white: the list's own).
  DibRowAccess rows(image);
  const std::uint8_t bgr[3] = {static_cast<std::uint8_t>(back.b), static_cast<std::uint8_t>(back.g),
                               static_cast<std::uint8_t>(back.r)};
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x) {
      std::uint8_t* p = rows[y] + static_cast<std::size_t>(x) * 3;
      if (std::abs(p[0] - bgr[0]) <= 2 && std::abs(p[1] - bgr[1]) <= 2 &&
          std::abs(p[2] - bgr[2]) <= 2)
        std::copy(bgr, bgr + 3, p);
    }
  return fourBitOf(sixteenColours(image, colorRef(picture.backdrop)));
}

// ---------------------------------------------------------------------------------------
// The icon

// A soft shadow of a sprite's coverage: blurred by a box of the given radius (run twice,
// close to a Gaussian) and painted darkening the backdrop at (ox, oy) from the sprite.
void paintShadow(Backdrop& b, const LayerImage& sprite, int ox, int oy, int radius,
                 double strength) {
  const int w = sprite.width, h = sprite.height;
  std::vector<double> a(static_cast<std::size_t>(w) * h);
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = sprite.alpha[i] / 255.0;
  auto blur = [&](bool horizontal) {
    std::vector<double> out(a.size());
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        double sum = 0;
        for (int d = -radius; d <= radius; ++d) {
          const int sx = horizontal ? x + d : x, sy = horizontal ? y : y + d;
          if (sx >= 0 && sx < w && sy >= 0 && sy < h)
            sum += a[static_cast<std::size_t>(sy) * w + sx];
        }
        out[static_cast<std::size_t>(y) * w + x] = sum / (2 * radius + 1);
      }
    a = out;
  };
  for (int pass = 0; pass < 2; ++pass) {
    blur(true);
    blur(false);
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int tx = x + ox, ty = y + oy;
      if (tx < 0 || ty < 0 || tx >= b.width || ty >= b.height) continue;
      b.at(tx, ty) =
          mix(b.at(tx, ty), hex(0x000000), strength * a[static_cast<std::size_t>(y) * w + x]);
    }
}

// The program icon: a gold "V" rendered in a bundled style on a rounded night-blue tile
// of the strips' colours. Each size is rendered on its own, never scaled, so the letter's
// strokes fall on whole pixels; the smallest sizes get a larger letter so that its
// strokes stay two pixels wide.
DibImage icon(const std::string& app, int size) {
  Backdrop b(size, size);
  std::vector<double> tile(static_cast<std::size_t>(size) * size);
  const double radius = size * 0.2, inset = size <= 16 ? 0.0 : size / 64.0;
  const Rgb top = hex(0x3A51AE), bottom = hex(0x0C1130), glow = hex(0x6A86E0);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const double px = x + 0.5, py = y + 0.5;
      const double d = roundRectDistance(px, py, inset, inset, size - inset, size - inset, radius);
      Rgb c = mix(top, bottom, py / size);
      const double gx = (px - size * 0.5) / size, gy = (py - size * 0.3) / size;
      c = mix(c, glow, 0.45 * std::exp(-(gx * gx + gy * gy) * 9.0));
      // A lit rim along the top edge and a darker one along the bottom give the tile depth.
      const double rim = smoothstep(-std::max(1.0, size / 24.0), 0.0, d);
      c = mix(c, mix(hex(0xB8C8FF), hex(0x05081A), smoothstep(0.35, 0.65, py / size)), rim * 0.6);
      tile[static_cast<std::size_t>(y) * size + x] = smoothstep(0.5, -0.5, d);
      b.at(x, y) = mix(hex(0xFFFFFF), c, tile[static_cast<std::size_t>(y) * size + x]);
    }
  const double em = size <= 16 ? 1.0 : size <= 32 ? 0.9 : 0.8;
  const LayerImage v = render(
      app, text("V", "button_gold.sty", static_cast<int>(std::lround(size * em)), "DejaVu Sans"));
  const InkBox ink = inkBox(v);
  const int ox = size / 2 - (ink.left + ink.right) / 2, oy = size / 2 - (ink.top + ink.bottom) / 2;
  if (size >= 32) paintShadow(b, v, ox + size / 48, oy + size / 32, std::max(1, size / 40), 0.7);
  DibImage image = toDib(b, false);
  compositeLayer(image, v, ox, oy, true);
  // Outside the tile the icon stays pure white, a colour the window can mask out: the
  // letter's faint glow must not spill there, and composing scales whatever lies under
  // a layer's rectangle by 255 / 256 even where the layer is transparent.
  DibRowAccess rows(image);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      if (tile[static_cast<std::size_t>(y) * size + x] <= 0.0)
        std::fill_n(rows[y] + static_cast<std::size_t>(x) * 3, 3, std::uint8_t{255});
  return image;
}

void save(DibImage& image, const std::filesystem::path& path) {
  std::string reason;
  if (!writeBmp(image, path.string(), &reason))
    throw std::runtime_error(path.string() + ": " + reason);
}

}  // namespace
}  // namespace vornel

int main(int argc, char** argv) {
  using namespace vornel;
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s APP_DIR OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string app = argv[1];
  const std::filesystem::path out = argv[2];
  try {
    std::filesystem::create_directories(out);
    DibImage (*const pages[])(const std::string&) = {examplesPage, messagePage, backgroundPage,
                                                     bulletinPage, savePage,    batchPage};
    for (int i = 0; i < 6; ++i) {
      DibImage page = pages[i](app);
      // Fresh tables: a page's palette must not depend on the pages made before it.
      MedianCutTables tables;
      reduceOutput(page, 256, ReduceMethod::MedianCut, 0x000000, tables);
      save(page, out / ("page" + std::to_string(i) + ".bmp"));
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
      DibImage image = icon(app, size);
      save(image, out / ("icon" + std::to_string(size) + ".bmp"));
    }
    const std::vector<EffectPicture> effects = effectPictures();
    for (std::size_t type = 0; type < effects.size(); ++type) {
      DibImage image = effectPicture(app, effects[type]);
      save(image, out / ("effect" + std::to_string(type) + ".bmp"));
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_ui_pictures: %s\n", e.what());
    return 1;
  }
  return 0;
}
