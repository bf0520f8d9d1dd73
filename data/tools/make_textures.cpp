// Writes the texture pictures of the program folder into the folder given as the only
// argument: fill textures (BMP, JPEG and GIF) for the Draw effect and tile pictures
// (".git", GIF data) for the Tile effect.
//
// Every fill texture is built from a periodic value noise, so it repeats without a seam
// when the Draw effect tiles it. Tile pictures are grey: the Tile effect multiplies each
// block's mean colour by tile / 200, so grey 200 keeps the mean, brighter greys lift it,
// darker ones shade it, and exact black (0) leaves a transparent hole.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "imageio/color_reduce.h"
#include "imageio/dib_image.h"
#include "imageio/gif_writer.h"
#include "imageio/image_by_name.h"

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Rgb {
  double r = 0, g = 0, b = 0;
};

Rgb mix(const Rgb& a, const Rgb& b, double t) {
  t = std::clamp(t, 0.0, 1.0);
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Rgb scale(const Rgb& a, double f) {
  return {a.r * f, a.g * f, a.b * f};
}

double smoothstep(double e0, double e1, double x) {
  const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

double fract(double x) {
  return x - std::floor(x);
}

// An integer hash: the textures must come out the same on every build, so no library
// random generator (whose sequence is not fixed across implementations) is used.
std::uint32_t hash3(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
  std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return h;
}

double hashUnit(int x, int y, std::uint32_t seed) {
  return (hash3(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y), seed) & 0xFFFFFF) /
         16777216.0;
}

int wrap(int v, int period) {
  return ((v % period) + period) % period;
}

// Value noise on a lattice that repeats every periodX x periodY cells; x, y in cells.
double valueNoise(double x, double y, int periodX, int periodY, std::uint32_t seed) {
  const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
  const double fx = x - x0, fy = y - y0;
  // Quintic fade: no visible lattice creases in smooth gradients like the clouds.
  const double sx = fx * fx * fx * (fx * (fx * 6 - 15) + 10);
  const double sy = fy * fy * fy * (fy * (fy * 6 - 15) + 10);
  auto at = [&](int dx, int dy) {
    return hashUnit(wrap(x0 + dx, periodX), wrap(y0 + dy, periodY), seed);
  };
  const double top = at(0, 0) + (at(1, 0) - at(0, 0)) * sx;
  const double bottom = at(0, 1) + (at(1, 1) - at(0, 1)) * sx;
  return top + (bottom - top) * sy;
}

// Fractal sum over the texture's unit square (u, v in 0 ... 1), 0 ... 1. The base
// periods are whole cells per texture, doubled each octave, so the sum tiles too.
double fbm(double u, double v, int periodX, int periodY, int octaves, std::uint32_t seed) {
  double sum = 0, amplitude = 0.5, total = 0;
  for (int o = 0; o < octaves; ++o) {
    const int px = periodX << o, py = periodY << o;
    sum += amplitude * valueNoise(u * px, v * py, px, py, seed + static_cast<std::uint32_t>(o));
    total += amplitude;
    amplitude *= 0.5;
  }
  return sum / total;
}

std::uint8_t toByte(double v) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(v * 255.0), 0L, 255L));
}

using Shader = std::function<Rgb(int x, int y, double u, double v)>;

// A 24-bit picture whose pixels come from shade(x, y, u, v), u = x / w, v = y / h.
vornel::DibImage paint(int w, int h, const Shader& shade) {
  vornel::DibImage image;
  image.create(w, h, 24);
  vornel::DibRowAccess rows(image);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const Rgb c = shade(x, y, static_cast<double>(x) / w, static_cast<double>(y) / h);
      std::uint8_t* p = rows[y] + 3 * x;
      p[0] = toByte(c.b);
      p[1] = toByte(c.g);
      p[2] = toByte(c.r);
    }
  return image;
}

// --- fill textures -------------------------------------------------------------------

Rgb marble(int, int, double u, double v) {
  const double t = fbm(u, v, 4, 4, 5, 11);
  const double vein = std::abs(std::sin(kTwoPi * (u + 2 * v) + 7.0 * t));
  const Rgb white{0.95, 0.94, 0.91}, grey{0.50, 0.52, 0.55};
  return mix(grey, white, std::pow(vein, 0.35));
}

Rgb wood(int, int, double u, double v) {
  const double ring = fract(5.0 * v + 1.4 * fbm(u, v, 3, 3, 4, 21));
  const double grain = fbm(u, v, 2, 48, 3, 22);
  const Rgb light{0.80, 0.58, 0.34}, dark{0.47, 0.28, 0.12};
  const Rgb c = mix(light, dark, std::pow(ring, 3.0) * 0.9 + 0.1);
  return scale(c, 0.85 + 0.3 * grain);
}

Rgb brushedMetal(int, int, double u, double v) {
  const double streaks = fbm(u, v, 2, 64, 3, 31);
  const double sheen = 0.5 + 0.5 * std::cos(kTwoPi * v);
  const double g = 0.55 + 0.25 * streaks + 0.12 * sheen;
  return {g, g + 0.01, g + 0.04};
}

Rgb brick(int x, int y, double u, double v) {
  constexpr int kRow = 16, kWidth = 32, kMortar = 2;
  const int row = y / kRow;
  const int shifted = x + (row % 2) * (kWidth / 2);
  const int col = shifted / kWidth;
  const int inRow = y % kRow, inCol = shifted % kWidth;
  const double grit = fbm(u, v, 16, 16, 3, 41);
  if (inRow < kMortar || inCol < kMortar) {
    const double g = 0.70 + 0.15 * grit;
    return {g, g * 0.97, g * 0.92};
  }
  const double tone = hashUnit(wrap(col, 128 / kWidth), row, 42);
  Rgb c = mix(Rgb{0.62, 0.22, 0.13}, Rgb{0.78, 0.36, 0.22}, tone);
  c = scale(c, 0.8 + 0.35 * grit);
  // A lighter top edge and a darker bottom edge give each brick a little depth.
  if (inRow == kMortar) c = scale(c, 1.18);
  if (inRow == kRow - 1) c = scale(c, 0.8);
  return c;
}

Rgb stone(int x, int y, double u, double v) {
  const double body = fbm(u, v, 4, 4, 5, 51);
  const double fleck = hashUnit(x, y, 52);
  double g = 0.42 + 0.3 * body;
  if (fleck > 0.93) g -= 0.22;
  if (fleck < 0.04) g += 0.2;
  return {g * 1.02, g, g * 0.96};
}

Rgb clouds(int, int, double u, double v) {
  const double n = fbm(u, v, 3, 3, 6, 61);
  const Rgb sky{0.22, 0.48, 0.88}, cloud{0.98, 0.98, 1.0};
  return mix(sky, cloud, smoothstep(0.42, 0.72, n));
}

Rgb water(int, int, double u, double v) {
  const double n = fbm(u, v, 4, 4, 4, 71);
  // Thin bright lines where the noise crosses its middle, like light on ripples.
  const double ridge = 1.0 - std::abs(2.0 * n - 1.0);
  const Rgb deep{0.02, 0.22, 0.45}, shallow{0.10, 0.55, 0.75};
  Rgb c = mix(deep, shallow, fbm(u, v, 2, 2, 3, 72));
  return mix(c, Rgb{0.85, 0.97, 1.0}, std::pow(ridge, 8.0));
}

Rgb gold(int, int, double u, double v) {
  const double n = fbm(u, v, 3, 3, 4, 81);
  const double band = 0.5 + 0.5 * std::sin(kTwoPi * (2 * u + 3 * v) + 5.0 * n);
  const Rgb shadow{0.50, 0.31, 0.04}, body{0.88, 0.66, 0.16}, light{1.0, 0.95, 0.62};
  return band < 0.5 ? mix(shadow, body, band * 2) : mix(body, light, (band - 0.5) * 2);
}

Rgb fabric(int x, int y, double u, double v) {
  constexpr int kThread = 4;
  const int cx = x / kThread, cy = y / kThread;
  const bool warpOnTop = (cx + cy) % 2 == 0;
  // Position across the visible thread, -1 ... 1, for a rounded cross-section.
  const double across =
      warpOnTop ? ((x % kThread) + 0.5) / kThread * 2 - 1 : ((y % kThread) + 0.5) / kThread * 2 - 1;
  const double round = std::sqrt(std::max(0.0, 1 - across * across));
  const double fuzz = fbm(u, v, 32, 32, 2, 91);
  const Rgb warp{0.17, 0.30, 0.55}, weft{0.30, 0.42, 0.66};
  return scale(warpOnTop ? warp : weft, 0.6 + 0.45 * round + 0.15 * fuzz);
}

Rgb paper(int x, int y, double u, double v) {
  const double blotch = fbm(u, v, 3, 3, 5, 101);
  const double fibre = fbm(u, v, 24, 6, 2, 102);
  const Rgb light{0.96, 0.91, 0.78}, aged{0.82, 0.70, 0.50};
  Rgb c = mix(light, aged, smoothstep(0.45, 0.85, blotch));
  c = scale(c, 0.96 + 0.06 * fibre);
  if (hashUnit(x, y, 103) > 0.997) c = scale(c, 0.8);
  return c;
}

Rgb checker(int x, int y, double, double) {
  const bool dark = ((x / 16) + (y / 16)) % 2 == 1;
  return dark ? Rgb{0.78, 0.10, 0.12} : Rgb{0.98, 0.96, 0.90};
}

Rgb stars(int x, int y, double u, double v) {
  const double nebula = fbm(u, v, 3, 3, 5, 111);
  Rgb c = mix(Rgb{0.01, 0.01, 0.06}, Rgb{0.25, 0.08, 0.35}, smoothstep(0.5, 0.85, nebula));
  const double s = hashUnit(x, y, 112);
  if (s > 0.985) {
    const double bright = (s - 0.985) / 0.015;
    const double tint = hashUnit(x, y, 113);
    const Rgb star = tint < 0.3   ? Rgb{0.75, 0.85, 1.0}
                     : tint < 0.6 ? Rgb{1.0, 0.92, 0.75}
                                  : Rgb{1, 1, 1};
    c = mix(c, star, 0.4 + 0.6 * bright);
  }
  return c;
}

Rgb lava(int, int, double u, double v) {
  const double n = fbm(u, v, 4, 4, 5, 121);
  const double ridge = std::pow(1.0 - std::abs(2.0 * n - 1.0), 4.0);
  const Rgb crust{0.18, 0.03, 0.02}, hot{0.95, 0.30, 0.02}, white{1.0, 0.92, 0.45};
  return ridge < 0.5 ? mix(crust, hot, ridge * 2) : mix(hot, white, (ridge - 0.5) * 2);
}

Rgb hue(double h) {
  h = fract(h) * 6.0;
  const double f = fract(h);
  switch (static_cast<int>(h)) {
    case 0:
      return {1, f, 0};
    case 1:
      return {1 - f, 1, 0};
    case 2:
      return {0, 1, f};
    case 3:
      return {0, 1 - f, 1};
    case 4:
      return {f, 0, 1};
    default:
      return {1, 0, 1 - f};
  }
}

Rgb rainbow(int, int, double, double v) {
  return hue(v * 0.83);
}

// Sky above a dark horizon and a warm ground below: the reflection that makes letters
// look like polished chrome when stretched over them.
Rgb chrome(int, int, double, double v) {
  if (v < 0.5) return mix(Rgb{0.93, 0.97, 1.0}, Rgb{0.30, 0.45, 0.70}, std::pow(v / 0.5, 1.5));
  if (v < 0.54) return mix(Rgb{0.08, 0.08, 0.12}, Rgb{0.20, 0.16, 0.12}, (v - 0.5) / 0.04);
  return mix(Rgb{0.35, 0.26, 0.18}, Rgb{0.96, 0.88, 0.72}, (v - 0.54) / 0.46);
}

Rgb grass(int x, int y, double u, double v) {
  const double blades = fbm(u, v, 48, 6, 2, 131);
  const double patch = fbm(u, v, 3, 3, 3, 132);
  Rgb c = mix(Rgb{0.10, 0.32, 0.06}, Rgb{0.42, 0.68, 0.18}, blades * 0.7 + patch * 0.3);
  if (hashUnit(x, y, 133) > 0.995) c = Rgb{0.95, 0.90, 0.35};
  return c;
}

// --- tile pictures (grey levels) -----------------------------------------------------

using TileShader = std::function<int(int x, int y)>;

// A square tile with a one-pixel black joint on its right and bottom: the mosaic's
// grout shows as holes.
int squareTile(int x, int y) {
  constexpr int kSide = 6;
  if (x == kSide - 1 || y == kSide - 1) return 0;
  if (x == 0 || y == 0) return 245;
  if (x == kSide - 2 || y == kSide - 2) return 160;
  return 205;
}

int bevelTile(int x, int y) {
  constexpr int kSide = 12;
  const int edge = std::min({x, y, kSide - 1 - x, kSide - 1 - y});
  if (edge >= 2) return 200;
  const bool lit = x + y < kSide - 1;
  return lit ? (edge == 0 ? 255 : 235) : (edge == 0 ? 110 : 150);
}

// A shaded dome in a black square: round dots, each a little sphere.
int dotTile(int x, int y) {
  constexpr double kCentre = 4.5, kRadius = 4.6;
  const double dx = x - kCentre, dy = y - kCentre;
  const double d2 = dx * dx + dy * dy;
  if (d2 > kRadius * kRadius) return 0;
  const double z = std::sqrt(kRadius * kRadius - d2) / kRadius;
  // Light from the upper left.
  const double lit = (-dx * 0.45 - dy * 0.45) / kRadius + z * 0.77;
  return std::clamp(static_cast<int>(110 + 150 * lit), 40, 255);
}

// The same dome on a 6-pixel grid, for halftone dots that still read on small text.
int smallDotTile(int x, int y) {
  constexpr double kCentre = 2.5, kRadius = 2.8;
  const double dx = x - kCentre, dy = y - kCentre;
  const double d2 = dx * dx + dy * dy;
  if (d2 > kRadius * kRadius) return 0;
  return dx + dy < -1 ? 255 : 200;
}

int diamondTile(int x, int y) {
  constexpr double kCentre = 5.5;
  const double d = std::abs(x - kCentre) + std::abs(y - kCentre);
  if (d > 5.6) return 0;
  return x < kCentre ? (y < kCentre ? 250 : 190) : (y < kCentre ? 215 : 150);
}

int brickTile(int x, int y) {
  constexpr int kWidth = 16, kHeight = 8;
  if (y == kHeight - 1 || x == kWidth - 1) return 0;
  if (y == 0) return 240;
  if (y == kHeight - 2) return 150;
  return 200;
}

// Small lamps with a dark frame, for LED signs.
int pixelTile(int x, int y) {
  if (x == 3 || y == 3) return 0;
  return x + y == 0 ? 255 : 215;
}

int scanlineTile(int, int y) {
  return y % 2 == 0 ? 225 : 140;
}

// A glassy square: a bright diagonal highlight across the upper-left half.
int glassTile(int x, int y) {
  constexpr int kSide = 7;
  const int s = x + y;
  if (x == kSide - 1 || y == kSide - 1) return 120;
  if (s >= 2 && s <= 3) return 255;
  return s < 2 ? 230 : 195;
}

// --- writing -------------------------------------------------------------------------

bool fail(const std::string& path, const std::string& reason) {
  std::fprintf(stderr, "make_textures: cannot write %s: %s\n", path.c_str(), reason.c_str());
  return false;
}

// BMP and JPEG by name; GIF after a median-cut reduction to 256 colours.
bool writeTexture(vornel::DibImage image, const std::string& path) {
  std::string reason;
  if (vornel::formatForWriting(path) == vornel::ImageFormat::Gif) {
    const int w = image.width(), h = image.height();
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(w) * h);
    std::vector<const std::uint8_t*> pixelRows(static_cast<std::size_t>(h));
    std::vector<std::uint8_t*> indexRows(static_cast<std::size_t>(h));
    vornel::DibRowAccess rows(image);
    for (int y = 0; y < h; ++y) {
      pixelRows[static_cast<std::size_t>(y)] = rows[y];
      indexRows[static_cast<std::size_t>(y)] = indices.data() + static_cast<std::size_t>(y) * w;
    }
    std::uint8_t palette[256 * 3] = {};
    vornel::MedianCutTables tables;
    vornel::reduceColors(vornel::ReduceMethod::MedianCut, pixelRows.data(), indexRows.data(), w, h,
                         256, 0, palette, tables);
    vornel::DibImage reduced;
    reduced.create(w, h, 8, palette);
    vornel::DibRowAccess out(reduced);
    for (int y = 0; y < h; ++y)
      std::copy_n(indices.data() + static_cast<std::size_t>(y) * w, w, out[y]);
    if (!vornel::saveGif(reduced, path, 0, -1, 8, &reason)) return fail(path, reason);
    return true;
  }
  if (!vornel::writeImageByName(image, path, 0, -1, 24, &reason)) return fail(path, reason);
  return true;
}

// Tiles are 8-bit pictures on the grey ramp, so index = grey level and black is exact.
bool writeTile(int w, int h, const TileShader& shade, const std::string& path) {
  vornel::DibImage image;
  image.create(w, h, 8);
  vornel::DibRowAccess rows(image);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) rows[y][x] = static_cast<std::uint8_t>(shade(x, y));
  std::string reason;
  if (!vornel::saveGif(image, path, 0, -1, 8, &reason)) return fail(path, reason);
  return true;
}

struct TextureSpec {
  const char* name;
  int width, height;
  Rgb (*shade)(int, int, double, double);
};

struct TileSpec {
  const char* name;
  int width, height;
  int (*shade)(int, int);
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);

  const TextureSpec textures[] = {
      {"marble.bmp", 128, 128, marble},
      {"wood.jpg", 128, 128, wood},
      {"brushed_metal.bmp", 128, 128, brushedMetal},
      {"brick.gif", 128, 128, brick},
      {"stone.jpg", 128, 128, stone},
      {"clouds.jpg", 128, 128, clouds},
      {"water.gif", 128, 128, water},
      {"gold.bmp", 128, 128, gold},
      {"fabric.gif", 64, 64, fabric},
      {"paper.jpg", 128, 128, paper},
      {"checker.gif", 64, 64, checker},
      {"stars.bmp", 128, 128, stars},
      {"lava.jpg", 128, 128, lava},
      {"rainbow.bmp", 16, 64, rainbow},
      {"chrome.gif", 16, 128, chrome},
      {"grass.jpg", 128, 128, grass},
  };
  const TileSpec tiles[] = {
      {"square.git", 6, 6, squareTile},      {"bevel.git", 12, 12, bevelTile},
      {"dot.git", 10, 10, dotTile},          {"diamond.git", 12, 12, diamondTile},
      {"brick.git", 16, 8, brickTile},       {"scanline.git", 6, 6, scanlineTile},
      {"glass.git", 7, 7, glassTile},        {"pixel.git", 4, 4, pixelTile},
      {"small_dot.git", 6, 6, smallDotTile},
  };

  bool ok = true;
  for (const TextureSpec& t : textures)
    ok = writeTexture(paint(t.width, t.height, t.shade), (dir / t.name).string()) && ok;
  for (const TileSpec& t : tiles)
    ok = writeTile(t.width, t.height, t.shade, (dir / t.name).string()) && ok;
  return ok ? 0 : 1;
}
