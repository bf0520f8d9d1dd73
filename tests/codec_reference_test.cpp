// Our GIF and JPEG writers checked byte for byte against plain Python re-computations
// of the same steps (gif_lzw_reference.py, jpeg_scan_reference.py). Peer decoders accept
// any valid stream, so they cannot notice a hashing or rounding slip that still decodes;
// these comparisons can.
#include <gtest/gtest.h>

#include <cmath>

#include "imageio/gif_writer.h"
#include "imageio/jpeg_codec.h"
#include "imageio/jpeg_encoder.h"
#include "test_support.h"

namespace vornel {
namespace {

using test::TempDir;
using test::TestRandom;

std::string python() {
  std::string py = test::pythonWithPil();
  return py.empty() && test::haveCommand("python3") ? "python3" : py;
}

TEST(CodecReference, GifLzwDataMatchesTheStepByStepCompressor) {
  std::string py = python();
  if (py.empty()) GTEST_SKIP() << "no Python";
  TempDir dir;
  // Noise fills the table and forces clear codes; long runs of index 0 store keys of 0,
  // which end later probes early and so leave duplicate strings in the table.
  struct Case {
    int width, height, bits, kind;
  };
  const Case cases[] = {
      {300, 200, 8, 0}, {257, 181, 8, 1}, {640, 480, 4, 2}, {1000, 13, 1, 0}, {512, 512, 8, 3},
  };
  TestRandom rnd(5);
  std::string files;
  int n = 0;
  for (const Case& c : cases) {
    int colours = 1 << c.bits;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(c.width) * c.height);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
      int v = 0;
      if (c.kind == 0) v = rnd.below(colours);
      if (c.kind == 1) v = rnd.below(5) == 0 ? rnd.below(colours) : 0;
      if (c.kind == 2) v = static_cast<int>((i / 7) ^ (i % 13)) % colours;
      if (c.kind == 3) v = rnd.below(3) ? 0 : rnd.below(4);
      pixels[i] = static_cast<std::uint8_t>(v);
    }
    std::uint8_t red[256] = {}, green[256] = {}, blue[256] = {};
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(encodeGif(pixels.data(), c.width, c.height, 0, -1, c.bits, red, green, blue, out));
    std::string file = dir.file("t" + std::to_string(n++) + ".gif");
    test::writeFileBytes(file, out);
    test::writeFileBytes(file + ".raw", pixels);
    files += " " + file;
  }
  std::string output;
  EXPECT_EQ(
      test::runCommand(py + " " VORNEL_TEST_SOURCE_DIR "/gif_lzw_reference.py" + files, &output), 0)
      << output;
  EXPECT_NE(output.find("MATCH"), std::string::npos) << output;
}

TEST(CodecReference, JpegScanMatchesTheStepByStepEncoder) {
  std::string py = python();
  if (py.empty()) GTEST_SKIP() << "no Python";
  TempDir dir;
  // Odd sizes exercise the padding; noise gives large coefficients and long ZRL runs,
  // hard black and white edges give 0xFF bytes to stuff.
  struct Case {
    int width, height, kind;
  };
  const Case cases[] = {{1, 1, 0}, {9, 9, 1}, {37, 21, 0}, {64, 40, 2}, {24, 16, 3}, {17, 33, 1}};
  TestRandom rnd(9);
  std::string files;
  int n = 0;
  for (const Case& c : cases) {
    std::size_t stride = (static_cast<std::size_t>(c.width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> bgr(stride * c.height), rgb;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) {
        int r = 0, g = 0, b = 0;
        if (c.kind == 0) {
          r = rnd.below(256);
          g = rnd.below(256);
          b = rnd.below(256);
        } else if (c.kind == 1) {
          r = g = b = (x + y) % 3 == 0 ? 0 : 255;
        } else if (c.kind == 2) {
          r = x * 4;
          g = y * 6;
          b = (x * y) % 256;
        } else {
          r = 128 + static_cast<int>(100 * std::sin(x * 0.7));
          g = 128 + static_cast<int>(90 * std::cos(y * 0.9));
          b = (x + y) % 2 ? 250 : 3;
        }
        std::uint8_t* p = &bgr[y * stride + static_cast<std::size_t>(x) * 3];
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
        rgb.insert(rgb.end(), {p[2], p[1], p[0]});
      }
    JpegCodec codec;
    std::vector<std::uint8_t> out;
    encode(codec, c.width, c.height, bgr.data(), stride, out);
    std::string file = dir.file("j" + std::to_string(n++) + ".jpg");
    test::writeFileBytes(file, out);
    test::writeFileBytes(file + ".rgb", rgb);
    files += " " + file;
  }
  std::string output;
  EXPECT_EQ(
      test::runCommand(py + " " VORNEL_TEST_SOURCE_DIR "/jpeg_scan_reference.py" + files, &output),
      0)
      << output;
  EXPECT_NE(output.find("MATCH"), std::string::npos) << output;
}

}  // namespace
}  // namespace vornel
