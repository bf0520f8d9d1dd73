// PNG files: our writer and reader against each other and against PIL, pngcheck and
// files built chunk by chunk; hostile files; the composition over nothing that keeps
// coverage, checked by hand and against the composition over a page; and transparent
// PNG output laid over dark, light and red pages.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <sstream>

#include "cli/cli.h"
#include "core/batch_list.h"
#include "imageio/bmp_file.h"
#include "imageio/file_bytes.h"
#include "imageio/gif_reader.h"
#include "imageio/image_by_name.h"
#include "imageio/png_file.h"
#include "render/compose.h"
#include "render/engine.h"
#include "render/pipeline.h"
#include "test_support.h"
#include "ui/logic/save_page.h"

namespace vornel {
namespace {

using Rgba = std::array<int, 4>;  // red, green, blue, alpha

// Pixel (x, y), top row first, of an 8-, 24- or 32-bit picture (alpha 255 but at 32).
Rgba pixelAt(DibImage& image, int x, int y) {
  DibRowAccess rows(image);
  const std::uint8_t* p = rows[y];
  switch (image.bitsPerPixel()) {
    case 32:
      p += x * 4;
      return {p[2], p[1], p[0], p[3]};
    case 24:
      p += x * 3;
      return {p[2], p[1], p[0], 255};
    default: {
      PaletteColor c = image.palette()[p[x]];
      return {c.red, c.green, c.blue, 255};
    }
  }
}

DibImage randomPicture(int w, int h, int bits, std::uint32_t seed) {
  test::TestRandom random(seed);
  std::vector<std::uint8_t> colours(256 * 3);
  for (std::uint8_t& v : colours) v = static_cast<std::uint8_t>(random.below(256));
  DibImage image;
  EXPECT_EQ(image.create(w, h, bits, colours.data()), 1);
  DibRowAccess rows(image);
  for (int y = 0; y < h; ++y)
    for (std::size_t i = 0; i < static_cast<std::size_t>(w) * bits / 8; ++i)
      rows[y][i] = static_cast<std::uint8_t>(random.below(256));
  return image;
}

std::vector<std::uint8_t> encoded(const DibImage& image) {
  std::vector<std::uint8_t> bytes;
  std::string reason;
  EXPECT_EQ(encodePng(image, bytes, &reason), 1) << reason;
  return bytes;
}

// The CRC of PNG chunks (ISO 3309, reflected 0xEDB88320), bit by bit.
std::uint32_t crc32(const std::uint8_t* p, std::size_t n) {
  std::uint32_t c = 0xFFFFFFFF;
  for (std::size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320 & (0u - (c & 1)));
  }
  return ~c;
}

void storeU32be(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// Our file with the IHDR width and height replaced and its CRC made right again.
std::vector<std::uint8_t> withSize(std::vector<std::uint8_t> f, std::uint32_t w, std::uint32_t h) {
  storeU32be(&f[16], w);
  storeU32be(&f[20], h);
  storeU32be(&f[29], crc32(&f[12], 17));  // type and 13 data bytes
  return f;
}

TEST(PngCodec, OurReaderReadsOurWriterExactly) {
  for (auto [w, h] : {std::pair{1, 1}, {7, 5}, {9, 3}, {513, 2}}) {
    for (int bits : {8, 24, 32}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " " + std::to_string(bits));
      DibImage picture = randomPicture(w, h, bits, static_cast<std::uint32_t>(w * 31 + bits));
      std::vector<std::uint8_t> file = encoded(picture);
      DibImage back, flat;
      std::string reason;
      ASSERT_EQ(decodePngWithAlpha(back, file.data(), file.size(), &reason), 1) << reason;
      ASSERT_EQ(decodePng(flat, file.data(), file.size(), &reason), 1) << reason;
      ASSERT_EQ(back.bitsPerPixel(), 32);
      ASSERT_EQ(flat.bitsPerPixel(), 24);
      ASSERT_EQ(back.width(), w);
      ASSERT_EQ(back.height(), h);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          Rgba want = pixelAt(picture, x, y), got = pixelAt(back, x, y), dark = pixelAt(flat, x, y);
          ASSERT_EQ(got, want) << x << "," << y;
          // The 24-bit reading lays the colour over black, rounded.
          for (int k = 0; k < 3; ++k) ASSERT_EQ(dark[k], (want[k] * want[3] + 127) / 255);
        }
    }
  }
  DibImage empty;
  std::vector<std::uint8_t> out;
  std::string reason;
  EXPECT_EQ(encodePng(empty, out, &reason), 0);
  EXPECT_TRUE(out.empty());
}

// PIL and pngcheck read our files; PIL gives back our pixels, top row first.
TEST(PngPeer, PilAndPngcheckReadOurFiles) {
  std::string py = test::pythonWithPil();
  if (py.empty()) GTEST_SKIP() << "no Python with PIL";
  test::TempDir dir;
  std::vector<std::pair<std::string, DibImage>> cases;
  cases.emplace_back(dir.file("rgb.png"), randomPicture(37, 23, 24, 5));
  cases.emplace_back(dir.file("rgba.png"), randomPicture(37, 23, 32, 6));
  cases.emplace_back(dir.file("pal.png"), randomPicture(6, 5, 8, 7));
  std::string code =
      "import sys\nfrom PIL import Image\n"
      "for name in sys.argv[1:]:\n"
      "    im = Image.open(name)\n"
      "    print(im.mode, im.size[0], im.size[1], im.convert('RGBA').tobytes().hex())\n";
  test::writeFileBytes(dir.file("dump.py"), std::vector<std::uint8_t>(code.begin(), code.end()));
  std::string names;
  for (auto& [name, picture] : cases) {
    std::string reason;
    ASSERT_EQ(savePng(picture, name, &reason), 1) << reason;
    names += " " + name;
  }
  std::string output;
  ASSERT_EQ(test::runCommand(py + " " + dir.file("dump.py") + names, &output), 0);
  std::istringstream lines(output);
  for (auto& [name, picture] : cases) {
    SCOPED_TRACE(name);
    std::string mode, data;
    int w = 0, h = 0;
    lines >> mode >> w >> h >> data;
    EXPECT_EQ(mode, picture.bitsPerPixel() == 32 ? "RGBA" : "RGB");
    ASSERT_EQ(w, picture.width());
    ASSERT_EQ(h, picture.height());
    std::string want;
    char hex[3];
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        for (int v : pixelAt(picture, x, y)) {
          std::snprintf(hex, sizeof hex, "%02x", v);
          want += hex;
        }
    EXPECT_EQ(data, want);
  }
  if (!test::haveCommand("pngcheck")) return;
  EXPECT_EQ(test::runCommand("pngcheck -q" + names), 0);
}

// The formulas of png_peer_files.py.
int sample(int x, int y, int c, int salt) {
  return (37 * x + 11 * y + 71 * c + salt) % 256;
}
int paletteIndex(int x, int y, int n, int salt) {
  return (7 * x + 13 * y + salt) % n;
}
Rgba paletteEntry(int i, int opaqueFrom) {
  return {(37 * i + 11) % 256, (91 * i + 3) % 256, (53 * i + 7) % 256,
          i < opaqueFrom ? (17 * i + 40) % 256 : 255};
}

void expectFile(const std::string& file, int w, int h, int tolerance,
                const std::function<Rgba(int, int)>& want) {
  SCOPED_TRACE(file);
  std::vector<std::uint8_t> bytes = test::readFileBytes(file);
  DibImage image;
  std::string reason;
  ASSERT_EQ(decodePngWithAlpha(image, bytes.data(), bytes.size(), &reason), 1) << reason;
  ASSERT_EQ(image.width(), w);
  ASSERT_EQ(image.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      Rgba got = pixelAt(image, x, y), expected = want(x, y);
      for (int k = 0; k < 4; ++k)
        ASSERT_LE(std::abs(got[k] - expected[k]), tolerance) << x << "," << y << " channel " << k;
    }
}

TEST(PngPeer, WeReadPeerFilesOfEveryKind) {
  std::string py = test::pythonWithPil();
  if (py.empty()) GTEST_SKIP() << "no Python with PIL";
  test::TempDir dir;
  ASSERT_EQ(test::runCommand(py + " " VORNEL_TEST_SOURCE_DIR "/png_peer_files.py " + dir.path()),
            0);
  const int w = 23, h = 17;
  expectFile(dir.file("pil_rgb.png"), w, h, 0, [](int x, int y) {
    return Rgba{sample(x, y, 0, 1), sample(x, y, 1, 1), sample(x, y, 2, 1), 255};
  });
  expectFile(dir.file("pil_rgba.png"), w, h, 0, [](int x, int y) {
    return Rgba{sample(x, y, 0, 2), sample(x, y, 1, 2), sample(x, y, 2, 2), sample(x, y, 3, 2)};
  });
  expectFile(dir.file("pil_l.png"), w, h, 0, [](int x, int y) {
    int v = sample(x, y, 0, 3);
    return Rgba{v, v, v, 255};
  });
  expectFile(dir.file("pil_la.png"), w, h, 0, [](int x, int y) {
    int v = sample(x, y, 0, 4);
    return Rgba{v, v, v, sample(x, y, 3, 4)};
  });
  expectFile(dir.file("pil_p_trns.png"), w, h, 0,
             [](int x, int y) { return paletteEntry(paletteIndex(x, y, 16, 5), 16); });
  // 16-bit samples become the nearest 8-bit value.
  expectFile(dir.file("raw_rgb16.png"), 11, 7, 1, [](int x, int y) {
    Rgba v{0, 0, 0, 255};
    for (int c = 0; c < 3; ++c) v[c] = ((4099 * x + 7919 * y + 12345 * c + 6) % 65536 + 128) / 257;
    return v;
  });
  expectFile(dir.file("raw_adam7_rgba.png"), 13, 11, 0, [](int x, int y) {
    return Rgba{sample(x, y, 0, 7), sample(x, y, 1, 7), sample(x, y, 2, 7), sample(x, y, 3, 7)};
  });
  expectFile(dir.file("raw_grey2.png"), 9, 5, 0, [](int x, int y) {
    int v = 85 * ((x + 2 * y) % 4);
    return Rgba{v, v, v, 255};
  });
  expectFile(dir.file("raw_p4_trns.png"), 10, 6, 0,
             [](int x, int y) { return paletteEntry(paletteIndex(x, y, 16, 9), 5); });
  // By name, as textures and masks are read: 24 bits, laid over black.
  DibImage image;
  std::string reason;
  ASSERT_EQ(readImageByName(image, dir.file("pil_rgba.png"), &reason), 1) << reason;
  EXPECT_EQ(image.bitsPerPixel(), 24);
  Rgba corner = pixelAt(image, 0, 0);  // sample(0, 0, c, 2): 2, 73, 144, alpha 215
  EXPECT_EQ(corner,
            (Rgba{(2 * 215 + 127) / 255, (73 * 215 + 127) / 255, (144 * 215 + 127) / 255, 255}));
}

std::string decodeReason(const std::vector<std::uint8_t>& f, bool* ok = nullptr) {
  DibImage image;
  std::string reason;
  int result = decodePngWithAlpha(image, f.data(), f.size(), &reason);
  if (ok) *ok = result == 1;
  EXPECT_TRUE(result == 1 || image.empty());
  return reason;
}

TEST(PngReader, HostileFilesAreRefusedWithOneLine) {
  std::vector<std::uint8_t> good = encoded(randomPicture(9, 7, 32, 11));
  bool ok = false;
  decodeReason(good, &ok);
  ASSERT_TRUE(ok);
  auto refused = [&](const std::vector<std::uint8_t>& f, const std::string& part) {
    bool succeeded = true;
    std::string reason = decodeReason(f, &succeeded);
    EXPECT_FALSE(succeeded) << part;
    EXPECT_NE(reason.find(part), std::string::npos) << reason;
    EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
  };
  refused({}, "not a PNG file");
  refused(std::vector<std::uint8_t>(good.begin(), good.begin() + 8), "bad PNG file");
  refused(std::vector<std::uint8_t>(good.begin(), good.end() - 20), "bad PNG file");
  std::vector<std::uint8_t> badCrc = good;
  badCrc[17] ^= 1;  // a width byte, under IHDR's unchanged CRC
  refused(badCrc, "CRC");
  std::vector<std::uint8_t> badData = good;
  badData[good.size() - 20] ^= 0x40;  // inside IDAT
  refused(badData, "bad PNG file");
  refused(withSize(good, 0, 7), "bad PNG file");
  // 70000 x 70000 is far beyond the pixel budget; 4000 x 4000 within it, but a few
  // hundred IDAT bytes inflate to at most some 200 KB, not the 64 MB of its rows.
  refused(withSize(good, 70000, 70000), "70000 x 70000 pixels; at most");
  refused(withSize(good, 4000, 4000), "too short for its dimensions");
}

TEST(PngReader, MutationSweepFailsOrSucceedsCleanly) {
  std::vector<std::uint8_t> f = encoded(randomPicture(5, 4, 32, 3));
  int successes = 0;
  auto tryDecode = [&](const std::vector<std::uint8_t>& bytes) {
    bool ok = false;
    std::string reason = decodeReason(bytes, &ok);
    if (ok)
      ++successes;
    else
      EXPECT_FALSE(reason.empty());
  };
  test::forEachDamagedCopy(f, tryDecode);
  EXPECT_GT(successes, 0);
}

LayerImage layerOf(int w, int h, std::vector<std::uint8_t> bgr, std::vector<std::uint8_t> alpha) {
  return {w, h, std::move(bgr), std::move(alpha)};
}

LayerImage nothing(int w, int h) {
  return layerOf(w, h, std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h * 3),
                 std::vector<std::uint8_t>(static_cast<std::size_t>(w) * h));
}

TEST(PngAlpha, LayersOverNothingByHand) {
  // Three pixels: a = 128 over nothing, a = 64 over that, a = 255 over that.
  LayerImage under = nothing(3, 1);
  compositeLayerKeepingAlpha(
      under, layerOf(3, 1, {0, 50, 100, 0, 50, 100, 0, 50, 100}, {128, 128, 128}), 0, 0, false);
  compositeLayerKeepingAlpha(under, layerOf(2, 1, {64, 0, 0, 7, 8, 9}, {64, 255}), 1, 0, false);
  // Pixel 0: the layer itself. Pixel 1: colour L + C * 191 / 255 rounded: blue 64 + 0,
  // green 0 + 37 (37.45), red 0 + 75 (74.9); alpha 64 + 128 * 191 / 255 = 64 + 96 (95.9).
  // Pixel 2: copied.
  EXPECT_EQ(under.pixels, (std::vector<std::uint8_t>{0, 50, 100, 64, 37, 75, 7, 8, 9}));
  EXPECT_EQ(under.alpha, (std::vector<std::uint8_t>{128, 160, 255}));
  DibImage image;
  storeStraightAlpha(under, image);
  // Straight: 50 * 255 / 128 = 99.6, 100 * 255 / 128 = 199.2; 64 * 255 / 160 = 102,
  // 37 * 255 / 160 = 58.97, 75 * 255 / 160 = 119.5 (rounded half up: 120).
  EXPECT_EQ(pixelAt(image, 0, 0), (Rgba{199, 100, 0, 128}));
  EXPECT_EQ(pixelAt(image, 1, 0), (Rgba{120, 59, 102, 160}));
  EXPECT_EQ(pixelAt(image, 2, 0), (Rgba{9, 8, 7, 255}));
}

// Over any page colour, the kept-alpha composition (smoothed or not) is what
// compositeLayer makes over that colour, but for rounding: that one truncates, each
// layer's (page * (255 - a)) >> 8 falling up to 2 levels short of the exact share, and
// its softening's five shifts up to 2 more.
TEST(PngAlpha, OverAPageItMatchesTheCompositionOverThatPage) {
  test::TestRandom random(99);
  const int w = 17, h = 13;
  std::vector<LayerImage> layers;
  for (int n = 0; n < 2; ++n) {
    LayerImage layer = nothing(w - 4 * n, h - 3 * n);
    for (std::size_t i = 0; i < layer.alpha.size(); ++i) {
      // A disc-like coverage with soft and hard edges; colour weighted by it.
      int a = random.below(4) == 0 ? 0 : random.below(3) == 0 ? 255 : random.below(256);
      layer.alpha[i] = static_cast<std::uint8_t>(a);
      for (int k = 0; k < 3; ++k)
        layer.pixels[i * 3 + k] = static_cast<std::uint8_t>(random.below(256) * a / 256);
    }
    layers.push_back(std::move(layer));
  }
  for (bool smooth : {false, true})
    for (std::uint32_t page : {0x000000u, 0x201810u, 0xF0F4F8u, 0x1010C0u, 0xFFFFFFu}) {
      SCOPED_TRACE(std::to_string(page) + (smooth ? " smoothed" : ""));
      DibImage over;
      createFilledOutput(over, w, h, page);
      LayerImage kept = nothing(w, h);
      for (std::size_t n = 0; n < layers.size(); ++n) {
        compositeLayer(over, layers[n], static_cast<int>(2 * n), static_cast<int>(n), smooth);
        compositeLayerKeepingAlpha(kept, layers[n], static_cast<int>(2 * n), static_cast<int>(n),
                                   smooth);
      }
      DibImage straight;
      storeStraightAlpha(kept, straight);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          Rgba s = pixelAt(straight, x, y), o = pixelAt(over, x, y);
          for (int k = 0; k < 3; ++k) {
            int pageValue = static_cast<int>(page >> (8 * k) & 0xFF);  // 0x00BBGGRR: k 0 red
            double laid = (s[k] * s[3] + pageValue * (255 - s[3])) / 255.0;
            ASSERT_NEAR(laid, o[k], smooth ? 6.0 : 3.5) << x << "," << y << " channel " << k;
          }
        }
    }
}

// "#RRGGBB" as red, green, blue.
Rgba hexColour(const std::string& text) {
  long v = std::strtol(text.c_str() + 1, nullptr, 16);
  return {static_cast<int>(v >> 16 & 0xFF), static_cast<int>(v >> 8 & 0xFF),
          static_cast<int>(v & 0xFF), 255};
}

struct PngOutput : ::testing::Test {
  test::TempDir dir;
  int run(std::vector<std::string> args, std::string* out = nullptr) {
    if (args[0] != "info") args.insert(args.begin() + 1, {"--app-dir", dir.path()});
    std::ostringstream o, e;
    int status = runCli(args, o, e);
    EXPECT_EQ(status, kExitOk) << e.str();
    if (out) *out = o.str();
    return status;
  }
  // A Round Box template with a soft drop shadow and a 3D relief around a glowing
  // message: partial coverage on every edge.
  int render(const std::vector<std::string>& options, const std::string& name) {
    std::vector<std::string> args = {
        "render",      "--project", VORNEL_TEST_SOURCE_DIR "/../data/bundle/welcome_button.vrn",
        "--message",   "Go",        "-o",
        dir.file(name)};
    args.insert(args.end(), options.begin(), options.end());
    return run(args);
  }
  DibImage read(const std::string& name, bool withAlpha) {
    std::vector<std::uint8_t> bytes = test::readFileBytes(dir.file(name));
    DibImage image;
    std::string reason;
    int ok = withAlpha ? decodePngWithAlpha(image, bytes.data(), bytes.size(), &reason)
                       : readImageByName(image, dir.file(name), &reason);
    EXPECT_EQ(ok, 1) << name << ": " << reason;
    return image;
  }
};

TEST_F(PngOutput, TransparentPngShowsNoFringeOnDarkLightOrRedPages) {
  render({"--transparent", "--type", "png", "--pressed"}, "button");
  render({"--transparent", "--type", "gif256"}, "button");
  DibImage png = read("button.png", true), gif = read("button.gif", false);
  EXPECT_TRUE(fileExists(dir.file("button_.png")));
  int edges = 0;
  for (const char* page : {"#141820", "#F4F2EC", "#C01818"}) {
    SCOPED_TRACE(page);
    render({"--opaque", "--background", page, "--type", "bmp"}, "page");
    DibImage bmp = read("page.bmp", false);
    ASSERT_EQ(png.width(), bmp.width());
    ASSERT_EQ(png.height(), bmp.height());
    const Rgba pageRgb = hexColour(page);
    int gifWorst = 0;
    for (int y = 0; y < bmp.height(); ++y)
      for (int x = 0; x < bmp.width(); ++x) {
        Rgba s = pixelAt(png, x, y), want = pixelAt(bmp, x, y), g = pixelAt(gif, x, y);
        if (s[3] > 0 && s[3] < 255) ++edges;
        // The GIF's transparent colour is the white it was composed over.
        bool gifClear = g[0] == 255 && g[1] == 255 && g[2] == 255;
        for (int k = 0; k < 3; ++k) {
          double laid = (s[k] * s[3] + pageRgb[k] * (255 - s[3])) / 255.0;
          // As in OverAPageItMatchesTheCompositionOverThatPage: the page's composition
          // truncates, this one rounds.
          ASSERT_NEAR(laid, want[k], 6.0) << x << "," << y << " channel " << k;
          gifWorst = std::max(gifWorst, std::abs((gifClear ? pageRgb[k] : g[k]) - want[k]));
        }
      }
    // The same check finds the GIF's halo, where edges were blended with white: some 225
    // levels off on the dark and red pages, where the PNG stays within 4.
    if (page[1] != 'F') {
      EXPECT_GT(gifWorst, 60);
    }
  }
  EXPECT_GT(edges, 100);
}

// Opaque PNG is the BMP's picture; names, the pressed twin, batches, the size estimate
// and reading back by name go as for the other types.
TEST_F(PngOutput, OpaquePngHoldsTheBmpPictureAndTheEstimateIsTheFileSize) {
  render({"--opaque", "--background", "#3050A0", "--type", "bmp"}, "same");
  render({"--opaque", "--background", "#3050A0", "--pressed"}, "same.png");  // by the name
  DibImage bmp = read("same.bmp", false), png = read("same.png", true);
  ASSERT_EQ(png.width(), bmp.width());
  ASSERT_EQ(png.height(), bmp.height());
  for (int y = 0; y < bmp.height(); ++y)
    for (int x = 0; x < bmp.width(); ++x) ASSERT_EQ(pixelAt(png, x, y), pixelAt(bmp, x, y));
  EXPECT_TRUE(fileExists(dir.file("same_.png")));

  const std::string project = VORNEL_TEST_SOURCE_DIR "/../data/bundle/welcome_button.vrn";
  for (const char* mode : {"--opaque", "--transparent"}) {
    std::string size, info;
    run({"size", "--project", project, "--message", "Go", mode, "--type", "png"}, &size);
    render({mode, "--type", "png"}, "sized");
    EXPECT_EQ(std::stoull(size), fileLength(dir.file("sized.png"))) << mode;
    run({"info", dir.file("sized.png")}, &info);
    EXPECT_EQ(info, std::to_string(png.width()) + "x" + std::to_string(png.height()) + " 24-bit\n");
  }

  ASSERT_TRUE(writeBatchList(dir.file("list.blt"), {"One", "Two"}));
  std::string written;
  run({"batch", dir.file("list.blt"), "--transparent", "--type", "png", "-o", dir.file("nav")},
      &written);
  EXPECT_EQ(written, dir.file("nav0.png") + "\n" + dir.file("nav1.png") + "\n");
  EXPECT_EQ(read("nav1.png", true).bitsPerPixel(), 32);
}

// The Save page's fifth radio: the name takes ".png", the dialog the PNG filter, and the
// size shown is the size of the file Save Image writes, with its pressed twin beside it.
TEST(PngSavePage, RadioNamesFilterAndEstimate) {
  test::ScriptedHost host;
  Engine engine{host};
  test::TempDir dir;
  test::startWindowEngine(engine, dir);
  engine.doc.pressedImage = true;
  ASSERT_TRUE(renderJob(engine));
  SavePageState save;
  save.fileName = dir.file("title.jpg");
  SavePageView view = saveTypeChosen(engine, save, kOutputPng);
  EXPECT_EQ(view.checkedType, kOutputPng);
  EXPECT_EQ(save.fileName, dir.file("title.png"));
  EXPECT_EQ(engine.doc.outputImage.bitsPerPixel(), 32);  // the start-up job is transparent
  host.saveAnswers = {save.fileName};
  ASSERT_TRUE(saveImageClicked(engine, save));
  EXPECT_EQ(host.dialogs.back().filter, "PNG image(*.PNG)|*.PNG");
  EXPECT_EQ(std::to_string(fileLength(dir.file("title.png"))), view.sizeText);
  EXPECT_TRUE(fileExists(dir.file("title_.png")));
}

}  // namespace
}  // namespace vornel
