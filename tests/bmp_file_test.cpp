#include "imageio/bmp_file.h"

#include <gtest/gtest.h>

#include <sstream>

#include "imageio/byte_reader.h"
#include "test_support.h"

namespace vornel {
namespace {

using test::TempDir;
using test::TestRandom;

DibImage randomImage(int width, int height, int bits, std::uint32_t seed) {
  DibImage image;
  TestRandom rnd(seed);
  std::vector<std::uint8_t> colours(256 * 3);
  for (auto& c : colours) c = static_cast<std::uint8_t>(rnd.next());
  EXPECT_EQ(image.create(width, height, bits, bits == 8 ? colours.data() : nullptr), 1);
  DibRowAccess rows(image);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width * bits / 8; ++x) rows[y][x] = static_cast<std::uint8_t>(rnd.next());
  return image;
}

TEST(BmpFile, ThreeByTwoImageIs78BytesWithOffset54) {
  DibImage image;
  ASSERT_EQ(image.create(3, 2, 24), 1);
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(encodeBmp(image, bytes), 1);
  ASSERT_EQ(bytes.size(), 78u);
  EXPECT_EQ(bytes[0], 'B');
  EXPECT_EQ(bytes[1], 'M');
  EXPECT_EQ(loadU32le(&bytes[2]), 78u);
  EXPECT_EQ(loadU32le(&bytes[10]), 54u);
  EXPECT_EQ(loadU32le(&bytes[14 + 20]), 24u);  // image size stored in the header
}

TEST(BmpFile, EightBitImageHasFullColourTableAndOffset1078) {
  DibImage image = randomImage(5, 3, 8, 1);
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(encodeBmp(image, bytes), 1);
  EXPECT_EQ(loadU32le(&bytes[10]), 1078u);
  EXPECT_EQ(bytes.size(), 1078u + 8u * 3u);
}

TEST(BmpFile, RoundTripKeepsEveryByteAndTheDepth) {
  for (int bits : {8, 24}) {
    for (int width : {1, 3, 5, 7, 13}) {
      DibImage image =
          randomImage(width, 1 + width % 4, bits, static_cast<std::uint32_t>(width * bits));
      std::vector<std::uint8_t> bytes;
      ASSERT_EQ(encodeBmp(image, bytes), 1);
      DibImage back;
      std::string reason;
      ASSERT_EQ(decodeBmp(back, bytes.data(), bytes.size(), &reason), 1) << reason;
      EXPECT_EQ(back.bitsPerPixel(), bits);
      EXPECT_EQ(back.block(), image.block());
      EXPECT_EQ(back.palette(), image.palette());
    }
  }
}

TEST(BmpFile, PixelOffsetFieldIsIgnored) {
  // A writer that left a gap before the rows: the rows are still taken to follow the
  // colour table directly.
  DibImage image = randomImage(3, 2, 24, 7);
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(encodeBmp(image, bytes), 1);
  storeU32le(&bytes[10], 54 + 16);
  bytes.insert(bytes.end(), 16, 0xEE);
  DibImage back;
  ASSERT_EQ(decodeBmp(back, bytes.data(), bytes.size()), 1);
  EXPECT_TRUE(std::equal(image.block().begin(), image.block().end(), back.block().begin()));
}

TEST(BmpFile, TopDownFilesAreStoredBottomUp) {
  DibImage image = randomImage(3, 3, 24, 9);
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(encodeBmp(image, bytes), 1);
  // Rewrite as top-down: negative height and rows reversed.
  storeU32le(&bytes[14 + 8], static_cast<std::uint32_t>(-3));
  std::vector<std::uint8_t> rows(bytes.begin() + 54, bytes.end());
  for (int r = 0; r < 3; ++r)
    std::copy(rows.begin() + 12 * (2 - r), rows.begin() + 12 * (3 - r),
              bytes.begin() + 54 + 12 * r);
  DibImage back;
  ASSERT_EQ(decodeBmp(back, bytes.data(), bytes.size()), 1);
  EXPECT_EQ(back.height(), 3);
  EXPECT_EQ(back.block(), image.block());
}

TEST(BmpFile, BadFilesFailWithAReason) {
  DibImage good = randomImage(4, 4, 24, 3);
  std::vector<std::uint8_t> bytes;
  ASSERT_EQ(encodeBmp(good, bytes), 1);
  struct Case {
    const char* what;
    std::vector<std::uint8_t> data;
  };
  std::vector<Case> cases;
  cases.push_back({"empty", {}});
  cases.push_back({"short header", {'B', 'M', 0, 0}});
  auto b = bytes;
  b[0] = 'X';
  cases.push_back({"signature", b});
  b = bytes;
  b.resize(bytes.size() - 1);
  cases.push_back({"rows missing", b});
  b = bytes;
  storeU32le(&b[14 + 8], 100000);  // declares far more rows than there are
  cases.push_back({"oversized height", b});
  b = bytes;
  storeU32le(&b[14 + 4], 0);
  cases.push_back({"zero width", b});
  b = bytes;
  storeU32le(&b[14 + 16], 1);
  cases.push_back({"compressed", b});
  b = bytes;
  storeU16le(&b[14 + 14], 32);
  cases.push_back({"32 bits", b});
  b = bytes;
  storeU32le(&b[14], 0xFFFFFFF0u);
  cases.push_back({"header size", b});
  for (const auto& c : cases) {
    DibImage image;
    ASSERT_EQ(image.create(1, 1, 24), 1);
    auto before = image.block();
    std::string reason;
    EXPECT_EQ(decodeBmp(image, c.data.data(), c.data.size(), &reason), 0) << c.what;
    EXPECT_FALSE(reason.empty()) << c.what;
    EXPECT_EQ(image.block(), before) << c.what << ": output touched on failure";
  }
}

TEST(BmpFile, MutationSweepNeverCrashes) {
  for (int bits : {8, 24}) {
    DibImage image = randomImage(5, 3, bits, 11);
    std::vector<std::uint8_t> bytes;
    ASSERT_EQ(encodeBmp(image, bytes), 1);
    std::size_t limit = std::min<std::size_t>(bytes.size(), 80);
    for (std::size_t i = 0; i < limit; ++i) {
      for (std::uint8_t v :
           {std::uint8_t{0}, std::uint8_t{255}, static_cast<std::uint8_t>(bytes[i] ^ 0x80)}) {
        auto m = bytes;
        m[i] = v;
        DibImage out;
        if (decodeBmp(out, m.data(), m.size())) {
          DibRowAccess rows(out);
          EXPECT_EQ(rows.rowCount(), out.height());
          (void)out.toRgb();
        }
      }
    }
    for (std::size_t n = 0; n < bytes.size(); ++n) {
      DibImage out;
      EXPECT_EQ(decodeBmp(out, bytes.data(), n), 0);
    }
  }
}

TEST(BmpFile, WriteReplacesOnlyWhenComplete) {
  TempDir dir;
  DibImage image = randomImage(3, 2, 24, 5);
  std::string path = dir.file("a.bmp");
  ASSERT_EQ(writeBmp(image, path), 1);
  DibImage back;
  ASSERT_EQ(readBmp(back, path), 1);
  EXPECT_EQ(back.block(), image.block());
  std::string reason;
  EXPECT_EQ(writeBmp(image, dir.file("missing/a.bmp"), &reason), 0);
  EXPECT_FALSE(reason.empty());
  DibImage empty;
  EXPECT_EQ(writeBmp(empty, path, &reason), 0);
  EXPECT_EQ(test::readFileBytes(path).size(), 78u) << "a failed write left the old file alone";
}

// Independent peer: PIL reads our files and writes its own for us to read.
TEST(BmpFile, PeerReadsOurFilesAndWeReadTheirs) {
  std::string py = test::pythonWithPil();
  if (py.empty()) GTEST_SKIP() << "Python PIL not installed";
  TempDir dir;
  for (int bits : {8, 24}) {
    for (int width : {1, 3, 5, 7}) {
      int height = 2 + width % 3;
      DibImage image =
          randomImage(width, height, bits, static_cast<std::uint32_t>(100 + width + bits));
      std::string path = dir.file("ours.bmp");
      ASSERT_EQ(writeBmp(image, path), 1);
      std::string out;
      ASSERT_EQ(test::runCommand(py + " -c \"from PIL import Image; im=Image.open('" + path +
                                     "').convert('RGB'); print(im.size[0], im.size[1]); "
                                     "print(' '.join(str(v) for p in im.getdata() for v in p))\"",
                                 &out),
                0);
      std::istringstream in(out);
      int w, h;
      in >> w >> h;
      ASSERT_EQ(w, width);
      ASSERT_EQ(h, height);
      RgbPicture rgb = image.toRgb();
      for (std::size_t i = 0; i < rgb.rgb.size(); ++i) {
        int v;
        in >> v;
        ASSERT_EQ(v, rgb.rgb[i]) << "bits " << bits << " width " << width << " at " << i;
      }
    }
  }
  // PIL's own 24-bit and 8-bit files.
  std::string p24 = dir.file("peer24.bmp"), p8 = dir.file("peer8.bmp");
  ASSERT_EQ(
      test::runCommand(py +
                       " -c \"from PIL import Image; im=Image.new('RGB',(5,3)); "
                       "im.putdata([(x*40,y*80,x*y*10) for y in range(3) for x in range(5)]); "
                       "im.save('" +
                       p24 + "'); im.quantize(8).save('" + p8 + "')\""),
      0);
  DibImage a, b;
  std::string reason;
  ASSERT_EQ(readBmp(a, p24, &reason), 1) << reason;
  EXPECT_EQ(a.bitsPerPixel(), 24);
  RgbPicture rgb = a.toRgb();
  EXPECT_EQ(rgb.rgb[(2 * 5 + 4) * 3 + 0], 160);
  EXPECT_EQ(rgb.rgb[(2 * 5 + 4) * 3 + 1], 160);
  EXPECT_EQ(rgb.rgb[(2 * 5 + 4) * 3 + 2], 80);
  ASSERT_EQ(readBmp(b, p8, &reason), 1) << reason;
  EXPECT_EQ(b.bitsPerPixel(), 8);
  ASSERT_EQ(convertTo24Bits(b), 1);
  EXPECT_EQ(b.width(), 5);
}

}  // namespace
}  // namespace vornel
