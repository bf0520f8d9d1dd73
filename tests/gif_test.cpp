#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <sstream>

#include "imageio/byte_reader.h"
#include "imageio/file_bytes.h"
#include "imageio/gif_reader.h"
#include "imageio/gif_writer.h"
#include "imageio/image_by_name.h"
#include "test_support.h"

namespace vornel {
namespace {

using test::TempDir;
using test::TestRandom;

struct IndexedPicture {
  int width = 0, height = 0, bits = 8;
  std::vector<std::uint8_t> index;
  std::uint8_t red[256] = {}, green[256] = {}, blue[256] = {};
};

// Runs and noise mixed, so the coder meets long strings, misses and (when large) a full
// table; colours kept away from grey so no peer turns the palette into a grey ramp.
IndexedPicture makePicture(int width, int height, int bits, std::uint32_t seed) {
  IndexedPicture p;
  p.width = width;
  p.height = height;
  p.bits = bits;
  TestRandom rnd(seed);
  int n = 1 << bits;
  for (int i = 0; i < 256; ++i) {
    p.red[i] = static_cast<std::uint8_t>(rnd.next());
    p.green[i] = static_cast<std::uint8_t>(p.red[i] + 1 + rnd.below(254));
    p.blue[i] = static_cast<std::uint8_t>(rnd.next());
  }
  for (int y = 0; y < height; ++y) {
    int mode = rnd.below(3);
    int run = rnd.below(n);
    for (int x = 0; x < width; ++x) {
      if (mode == 0) p.index.push_back(static_cast<std::uint8_t>(rnd.below(n)));
      if (mode == 1) p.index.push_back(static_cast<std::uint8_t>(run));
      if (mode == 2) p.index.push_back(static_cast<std::uint8_t>((x / 3 + y) % n));
    }
  }
  return p;
}

std::vector<std::uint8_t> encode(const IndexedPicture& p, int transparent) {
  std::vector<std::uint8_t> out;
  std::string status;
  EXPECT_TRUE(encodeGif(p.index.data(), p.width, p.height, 0, transparent, p.bits, p.red, p.green,
                        p.blue, out, &status))
      << status;
  EXPECT_EQ(status, "No Error");
  return out;
}

// The offset of the byte after the colour table and control extension we always write.
std::size_t descriptorOffset(int bits) {
  return 13 + 3 * (std::size_t{1} << bits) + 8;
}

std::string hex(const std::uint8_t* p, std::size_t n) {
  std::string s;
  char buf[3];
  for (std::size_t i = 0; i < n; ++i) {
    std::snprintf(buf, sizeof buf, "%02x", p[i]);
    s += buf;
  }
  return s;
}

TEST(GifWriter, OneByOnePictureIsLaidOutByteForByte) {
  IndexedPicture p;
  p.width = p.height = 1;
  p.index = {5};
  for (int i = 0; i < 256; ++i) p.red[i] = static_cast<std::uint8_t>(i);
  std::vector<std::uint8_t> f = encode(p, -1);
  ASSERT_EQ(f.size(), 13u + 768 + 8 + 10 + 1 + 1 + 4 + 1 + 1);
  EXPECT_EQ(std::string(f.begin(), f.begin() + 6), "GIF89a");
  // 1 x 1, a table of 256 entries, background index 0, aspect 0.
  EXPECT_EQ(hex(&f[6], 7), "01000100f70000");
  EXPECT_EQ(f[13 + 3 * 7], 7);  // red of entry 7
  EXPECT_EQ(hex(&f[781], 8), "21f904000000ff00");
  EXPECT_EQ(hex(&f[789], 10), "2c000000000100010000");
  EXPECT_EQ(f[799], 8);  // minimum code size
  // Clear 256, pixel 5, end 257 in 9-bit codes, least significant bit first:
  // 0x00 | 1 + (5 << 1) | (257 & 63) << 2 | 257 >> 6.
  EXPECT_EQ(hex(&f[800], 7), "04000b0404003b");
}

TEST(GifWriter, ControlExtensionAndSmallTables) {
  IndexedPicture p = makePicture(5, 3, 1, 3);
  std::vector<std::uint8_t> none = encode(p, -1), zero = encode(p, 0), one = encode(p, 1);
  std::size_t gce = 13 + 6;  // two colour entries
  EXPECT_EQ(hex(&none[gce], 8), "21f904000000ff00");
  EXPECT_EQ(hex(&zero[gce], 8), "21f9040100000000");
  EXPECT_EQ(hex(&one[gce], 8), "21f9040100000100");
  EXPECT_EQ(none[10], 0x80);                     // one bit: two entries
  EXPECT_EQ(none[descriptorOffset(1) + 10], 2);  // but code size at least 2
  IndexedPicture q = makePicture(5, 3, 4, 3);
  std::vector<std::uint8_t> f = encode(q, -1);
  EXPECT_EQ(f[10], 0xB3);
  EXPECT_EQ(f[descriptorOffset(4) + 10], 4);
}

TEST(GifWriter, SubBlocksHoldAtMost254Bytes) {
  IndexedPicture p = makePicture(301, 207, 8, 11);
  std::vector<std::uint8_t> f = encode(p, -1);
  std::size_t pos = descriptorOffset(8) + 11;
  std::vector<int> lengths;
  while (pos < f.size() && f[pos] != 0) {
    lengths.push_back(f[pos]);
    pos += f[pos] + 1u;
  }
  ASSERT_GT(lengths.size(), 3u);
  for (std::size_t i = 0; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], 254);
  EXPECT_LE(lengths.back(), 254);
  EXPECT_EQ(pos + 2, f.size());
  EXPECT_EQ(f.back(), 0x3B);
}

TEST(GifWriter, RefusesWhatItCannotWrite) {
  IndexedPicture p = makePicture(4, 4, 2, 1);
  std::vector<std::uint8_t> out;
  std::string status;
  EXPECT_FALSE(encodeGif(p.index.data(), 0, 4, 0, -1, 2, p.red, p.green, p.blue, out, &status));
  EXPECT_FALSE(encodeGif(p.index.data(), 4, 4, 0, -1, 9, p.red, p.green, p.blue, out, &status));
  p.index[7] = 4;  // beyond a 4-entry table
  EXPECT_FALSE(encodeGif(p.index.data(), 4, 4, 0, -1, 2, p.red, p.green, p.blue, out, &status));
  EXPECT_TRUE(out.empty());
  TempDir dir;
  p.index[7] = 3;
  EXPECT_FALSE(GIFWrite(p.index.data(), dir.file("no/such/folder.gif"), 4, 4, 0, -1, 2, p.red,
                        p.green, p.blue, &status));
  EXPECT_EQ(status, "Can't open GIF for writing");
}

void expectDecodesTo(const std::vector<std::uint8_t>& file, const IndexedPicture& p) {
  GifPicture got;
  std::string status;
  ASSERT_TRUE(decodeGif(file.data(), file.size(), got, &status)) << status;
  ASSERT_EQ(got.width, p.width);
  ASSERT_EQ(got.height, p.height);
  for (std::size_t i = 0; i < p.index.size(); ++i) {
    int v = p.index[i];
    ASSERT_EQ(got.rgb[i * 3 + 0], p.red[v]) << "pixel " << i;
    ASSERT_EQ(got.rgb[i * 3 + 1], p.green[v]) << "pixel " << i;
    ASSERT_EQ(got.rgb[i * 3 + 2], p.blue[v]) << "pixel " << i;
  }
}

TEST(GifRoundTrip, OurReaderReadsOurWriterExactly) {
  for (int bits = 1; bits <= 8; ++bits)
    for (int width : {1, 7, 9, 513}) {
      IndexedPicture p =
          makePicture(width, 1 + width % 11, bits, static_cast<std::uint32_t>(width));
      expectDecodesTo(encode(p, -1), p);
    }
  // Enough noise to fill the 4096-entry table many times over (clear codes mid-stream).
  IndexedPicture big = makePicture(640, 480, 8, 99);
  expectDecodesTo(encode(big, 0), big);
  // Long runs of one value build the longest strings (and the code-equals-next case).
  IndexedPicture flat = makePicture(2000, 300, 1, 5);
  std::fill(flat.index.begin(), flat.index.end(), 1);
  expectDecodesTo(encode(flat, -1), flat);
}

// Peers: every file we write reads back in PIL with our palette, our indices and the
// transparent index where asked, and in giflib's gif2rgb with our colours.
TEST(GifPeer, PilAndGiflibReadOurFilesExactly) {
  std::string py = test::pythonWithPil();
  if (py.empty()) GTEST_SKIP() << "no Python with PIL";
  TempDir dir;
  struct Case {
    IndexedPicture p;
    int transparent;
    std::string file;
  };
  std::vector<Case> cases;
  for (int bits = 1; bits <= 8; ++bits)
    for (int transparent : {-1, (1 << bits) - 1}) {
      Case c{makePicture(37, 23, bits, static_cast<std::uint32_t>(bits * 7 + transparent)),
             transparent,
             dir.file("b" + std::to_string(bits) + "_" + std::to_string(transparent + 1) + ".gif")};
      cases.push_back(std::move(c));
    }
  cases.push_back({makePicture(257, 203, 8, 1234), 0, dir.file("big.gif")});
  std::string script = dir.file("dump.py");
  std::string code =
      "import sys\nfrom PIL import Image\n"
      "for name in sys.argv[1:]:\n"
      "    im = Image.open(name)\n"
      "    t = im.info.get('transparency', -1)\n"
      "    print(im.mode, im.size[0], im.size[1], t, bytes(im.getpalette() or []).hex(),\n"
      "          bytes(im.getdata()).hex())\n";
  test::writeFileBytes(script, std::vector<std::uint8_t>(code.begin(), code.end()));
  std::string command = py + " " + script;
  for (Case& c : cases) {
    std::string status;
    ASSERT_TRUE(GIFWrite(c.p.index.data(), c.file, c.p.width, c.p.height, 0, c.transparent,
                         c.p.bits, c.p.red, c.p.green, c.p.blue, &status))
        << status;
    command += " " + c.file;
  }
  std::string output;
  ASSERT_EQ(test::runCommand(command, &output), 0);
  std::istringstream lines(output);
  for (const Case& c : cases) {
    std::string mode, pal, data;
    int w = 0, h = 0, t = 0;
    lines >> mode >> w >> h >> t >> pal >> data;
    SCOPED_TRACE(c.file);
    EXPECT_EQ(mode, "P");
    EXPECT_EQ(w, c.p.width);
    EXPECT_EQ(h, c.p.height);
    EXPECT_EQ(t, c.transparent);
    std::string wantPal;
    for (int i = 0; i < (1 << c.p.bits); ++i) {
      std::uint8_t e[3] = {c.p.red[i], c.p.green[i], c.p.blue[i]};
      wantPal += hex(e, 3);
    }
    ASSERT_GE(pal.size(), wantPal.size());
    EXPECT_EQ(pal.substr(0, wantPal.size()), wantPal);
    EXPECT_EQ(data, hex(c.p.index.data(), c.p.index.size()));
  }

  if (!test::haveCommand("gif2rgb")) return;
  for (const Case& c : cases) {
    std::string rgbFile = c.file + ".rgb";
    ASSERT_EQ(test::runCommand("gif2rgb -1 -o " + rgbFile + " " + c.file + " 2>/dev/null"), 0);
    std::vector<std::uint8_t> rgb = test::readFileBytes(rgbFile);
    ASSERT_EQ(rgb.size(), c.p.index.size() * 3) << c.file;
    for (std::size_t i = 0; i < c.p.index.size(); ++i) {
      int v = c.p.index[i];
      ASSERT_EQ(rgb[i * 3], c.p.red[v]) << c.file << " pixel " << i;
      ASSERT_EQ(rgb[i * 3 + 1], c.p.green[v]) << c.file << " pixel " << i;
      ASSERT_EQ(rgb[i * 3 + 2], c.p.blue[v]) << c.file << " pixel " << i;
    }
  }
}

// The formula of gif_peer_files.py.
void expectFormulaPicture(const std::string& file, int width, int height, int colours, int salt) {
  SCOPED_TRACE(file);
  GifPicture got;
  std::string status;
  ASSERT_TRUE(GIFRead(file, got, &status)) << status;
  ASSERT_EQ(got.width, width);
  ASSERT_EQ(got.height, height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      int i = (7 * x + 13 * y + salt) % colours;
      const std::uint8_t* px = &got.rgb[(static_cast<std::size_t>(y) * width + x) * 3];
      ASSERT_EQ(px[0], (37 * i + 11) % 256) << x << "," << y;
      ASSERT_EQ(px[1], (91 * i + 3) % 256) << x << "," << y;
      ASSERT_EQ(px[2], (53 * i + 7) % 256) << x << "," << y;
    }
}

TEST(GifPeer, WeReadPeerFilesExactly) {
  std::string py = test::pythonWithPil();
  if (py.empty()) GTEST_SKIP() << "no Python with PIL";
  TempDir dir;
  bool magick = test::haveCommand("convert"), gifbuild = test::haveCommand("gifbuild");
  ASSERT_EQ(test::runCommand(py + " " VORNEL_TEST_SOURCE_DIR "/gif_peer_files.py " + dir.path() +
                             (magick ? " --imagemagick" : "") + (gifbuild ? " --gifbuild" : "")),
            0);
  // PIL: 1 to 8 bits, interlaced and progressive.
  for (int bits = 1; bits <= 8; ++bits)
    for (const char* kind : {"i", "p"})
      expectFormulaPicture(dir.file("pil_b" + std::to_string(bits) + "_" + kind + ".gif"), 31, 19,
                           1 << bits, bits);
  // Three frames with a comment and a looping application extension: the first one.
  expectFormulaPicture(dir.file("pil_frames.gif"), 24, 20, 64, 5);
  if (magick) {
    expectFormulaPicture(dir.file("im_interlaced.gif"), 23, 17, 256, 3);
    for (int bits : {1, 2, 3, 5, 7})
      expectFormulaPicture(dir.file("im_b" + std::to_string(bits) + ".gif"), 13, 11, 1 << bits,
                           bits);
  }
  if (gifbuild) {
    // A local colour table and no global one, interlaced and not.
    expectFormulaPicture(dir.file("gb_local_i.gif"), 20, 19, 16, 2);
    expectFormulaPicture(dir.file("gb_local_p.gif"), 20, 19, 16, 2);
  }
}

// A hand-made file: header, optional global table of 4 entries, then `body`.
std::vector<std::uint8_t> handMade(int width, int height, const std::vector<std::uint8_t>& body,
                                   bool globalTable = true) {
  std::vector<std::uint8_t> f = {'G', 'I', 'F', '8', '7', 'a'};
  f.insert(f.end(), {static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
                     static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8),
                     static_cast<std::uint8_t>(globalTable ? 0x81 : 0x01), 0, 0});
  if (globalTable) f.insert(f.end(), {10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42});
  f.insert(f.end(), body.begin(), body.end());
  return f;
}

std::vector<std::uint8_t> descriptor(int width, int height, std::uint8_t flags = 0) {
  return {0x2C,
          0,
          0,
          0,
          0,
          static_cast<std::uint8_t>(width),
          static_cast<std::uint8_t>(width >> 8),
          static_cast<std::uint8_t>(height),
          static_cast<std::uint8_t>(height >> 8),
          flags};
}

std::string decodeStatus(const std::vector<std::uint8_t>& f, bool* ok = nullptr) {
  GifPicture pic;
  std::string status;
  bool result = decodeGif(f.data(), f.size(), pic, &status, "x.gif");
  if (ok) *ok = result;
  return status;
}

TEST(GifReader, HeaderFailuresHaveTheirStatusTexts) {
  std::vector<std::uint8_t> good = encode(makePicture(3, 2, 2, 1), -1);
  auto with = [&](std::size_t at, std::uint8_t v) {
    std::vector<std::uint8_t> f = good;
    f[at] = v;
    return f;
  };
  auto cut = [&](std::size_t n) {
    return std::vector<std::uint8_t>(good.begin(), good.begin() + n);
  };
  bool ok = true;
  EXPECT_EQ(decodeStatus(cut(5), &ok), "Error reading GIF Magic #\nx.gif");
  EXPECT_FALSE(ok);
  EXPECT_EQ(decodeStatus(with(0, 'B')), "Error, x.gif is not a valid .GIF file");
  EXPECT_EQ(decodeStatus(with(4, '8')), "Error, Bad GIF Version number");
  EXPECT_EQ(decodeStatus(cut(12)), "Error, failed to GIF read screen descriptor.\nGiving up");
  EXPECT_EQ(decodeStatus(cut(20)), "Error reading GIF colormap");
  EXPECT_EQ(decodeStatus(cut(26)), "Error on extension read.\nGiving up");
  EXPECT_EQ(decodeStatus(cut(25 + 8 + 5)), "Error on dimension read\nGiving up");
  EXPECT_EQ(decodeStatus(handMade(2, 2, {0x3B})), "Unexpected EOF in GIF.\nGiving up");
  // A non-square aspect is reported and read anyway.
  EXPECT_EQ(decodeStatus(with(12, 17), &ok),
            "Non-square pixels in GIF image.\nIgnoring that fact...");
  EXPECT_TRUE(ok);
  EXPECT_EQ(decodeStatus(with(12, 49)), "No Error");

  GifPicture pic;
  std::string status;
  EXPECT_FALSE(GIFRead("", pic, &status));
  EXPECT_EQ(status, "No Name Given");
  TempDir dir;
  EXPECT_FALSE(GIFRead(dir.file("missing.gif"), pic, &status));
  EXPECT_EQ(status, "Cant open GIF :\n" + dir.file("missing.gif"));
}

TEST(GifReader, ExtensionsAndStrayBytesBeforeTheImageAreSkipped) {
  // Comment, unknown extension, stray byte and a trailer, then a 2 x 1 image with a local
  // table of 2 entries: codes clear 4, 1, 0, end 5 in 3 bits.
  std::vector<std::uint8_t> body = {0x21, 0xFE, 3, 'a', 'b', 'c',  0,
                                    0x21, 0x99, 1, 7,   0,   0x17, 0x3B};
  std::vector<std::uint8_t> d = descriptor(2, 1, 0x80);
  body.insert(body.end(), d.begin(), d.end());
  body.insert(body.end(), {1, 2, 3, 4, 5, 6});
  body.insert(body.end(), {2, 2, 0x0C, 0x0A, 0, 0x3B});
  GifPicture pic;
  std::string status;
  std::vector<std::uint8_t> f = handMade(2, 1, body);
  ASSERT_TRUE(decodeGif(f.data(), f.size(), pic, &status)) << status;
  EXPECT_EQ(hex(pic.rgb.data(), 6),
            "040506010203");  // local colours, not the global ones
}

TEST(GifReader, HugeDeclaredSizesFailBeforeAllocating) {
  std::vector<std::uint8_t> tail = {2, 2, 0x4C, 0x01, 0, 0x3B};
  for (int side : {65535, 16000, 4000, 1000}) {
    std::vector<std::uint8_t> body = descriptor(side, side);
    body.insert(body.end(), tail.begin(), tail.end());
    bool ok = true;
    // Beyond the pixel budget (4096 x 4096) the size itself is refused, whatever the data.
    EXPECT_EQ(decodeStatus(handMade(side, side, body), &ok),
              side > 4096 ? "Error, GIF image is " + std::to_string(side) + " x " +
                                std::to_string(side) + " pixels; at most 16777216 can be read"
                          : "Error, GIF image too large for its data")
        << side;
    EXPECT_FALSE(ok);
  }
  // Small pictures are taken on trust, so a cut-off file still shows what arrived.
  std::vector<std::uint8_t> small = descriptor(256, 256);
  small.insert(small.end(), tail.begin(), tail.end());
  bool smallOk = false;
  decodeStatus(handMade(256, 256, small), &smallOk);
  EXPECT_TRUE(smallOk);
  std::vector<std::uint8_t> body = descriptor(0, 5);
  body.insert(body.end(), tail.begin(), tail.end());
  bool ok = true;
  decodeStatus(handMade(0, 5, body), &ok);
  EXPECT_FALSE(ok);
}

TEST(GifReader, DataEndingEarlyKeepsPixelsAndFillsColourZero) {
  IndexedPicture p = makePicture(97, 61, 8, 21);
  p.red[0] = 201, p.green[0] = 202, p.blue[0] = 203;
  std::vector<std::uint8_t> f = encode(p, -1);
  std::size_t dataStart = descriptorOffset(8) + 11;
  for (std::size_t keep : {dataStart + 1, dataStart + 100, dataStart + 1000, f.size() - 10}) {
    std::vector<std::uint8_t> cut(f.begin(), f.begin() + static_cast<std::ptrdiff_t>(keep));
    GifPicture got;
    std::string status;
    ASSERT_TRUE(decodeGif(cut.data(), cut.size(), got, &status)) << status;
    std::size_t n = p.index.size(), firstWrong = n;
    for (std::size_t i = 0; i < n && firstWrong == n; ++i)
      if (got.rgb[i * 3] != p.red[p.index[i]] || got.rgb[i * 3 + 1] != p.green[p.index[i]] ||
          got.rgb[i * 3 + 2] != p.blue[p.index[i]])
        firstWrong = i;
    ASSERT_LT(firstWrong, n) << keep;
    for (std::size_t i = firstWrong; i < n; ++i)
      ASSERT_EQ(hex(&got.rgb[i * 3], 3), "c9cacb") << keep << " pixel " << i;
    if (keep > dataStart + 100) {
      EXPECT_GT(firstWrong, 100u);
    }
  }
  // An empty block before the end code is the same: the data ended early.
  std::vector<std::uint8_t> early(f.begin(),
                                  f.begin() + static_cast<std::ptrdiff_t>(dataStart + 255));
  early.insert(early.end(), {0, 0x3B});
  GifPicture got;
  EXPECT_TRUE(decodeGif(early.data(), early.size(), got));
}

TEST(GifReader, CorruptCodesFail) {
  // 2 x 2, code size 2, 3-bit codes. Clear 4, literal 0, then 7 while the next free code
  // is 6: bits 100 000 111.
  std::vector<std::uint8_t> body = descriptor(2, 2);
  body.insert(body.end(), {2, 2, 0xC4, 0x01, 0, 0x3B});
  EXPECT_EQ(decodeStatus(handMade(2, 2, body)),
            "Error reading GIF file\nGIFScreen Colormap\nGiving up");
  // A string code straight after a clear: clear 4, then 6.
  body = descriptor(2, 2, 0x80);
  body.insert(body.end(), {1, 2, 3, 4, 5, 6});
  body.insert(body.end(), {2, 1, 0x34, 0, 0x3B});
  EXPECT_EQ(decodeStatus(handMade(2, 2, body)), "Error reading GIF file\nLocalColorMap\nGiving up");
  // Code sizes outside 1-8 and a missing code size byte.
  for (std::uint8_t size : {0, 9, 12}) {
    body = descriptor(2, 2);
    body.insert(body.end(), {size, 2, 0x00, 0x00, 0, 0x3B});
    bool ok = true;
    decodeStatus(handMade(2, 2, body), &ok);
    EXPECT_FALSE(ok) << int(size);
  }
  body = descriptor(2, 2);
  bool ok = true;
  decodeStatus(handMade(2, 2, body), &ok);
  EXPECT_FALSE(ok);
}

// What a user reads: one line naming the fault, not the status text's three.
TEST(GifReader, LoadFailuresGiveOneLineNamingTheFault) {
  std::vector<std::uint8_t> good = encode(makePicture(3, 2, 2, 1), -1);
  auto reasonFor = [](const std::vector<std::uint8_t>& f) {
    DibImage image;
    std::string reason;
    EXPECT_EQ(decodeGifImage(image, f.data(), f.size(), &reason), 0);
    EXPECT_EQ(reason.find('\n'), std::string::npos) << reason;
    return reason;
  };
  for (std::size_t n : {5, 12, 20, 26, 25 + 8 + 5})
    EXPECT_NE(reasonFor(std::vector<std::uint8_t>(good.begin(), good.begin() + n)), "") << n;
  std::vector<std::uint8_t> notGif = good;
  notGif[0] = 'B';
  EXPECT_EQ(reasonFor(notGif), "not a GIF file (no GIF signature)");
  EXPECT_EQ(reasonFor(handMade(2, 2, {0x3B})), "truncated GIF file (it ends before any image)");
  // Code 7 while the next free code is 6 (as in CorruptCodesFail), with either map.
  for (std::uint8_t flags : {0x00, 0x80}) {
    std::vector<std::uint8_t> body = descriptor(2, 2, flags);
    if (flags) body.insert(body.end(), {1, 2, 3, 4, 5, 6});
    body.insert(body.end(), {2, 2, 0xC4, 0x01, 0, 0x3B});
    EXPECT_EQ(reasonFor(handMade(2, 2, body)),
              "corrupt GIF image data (a bad LZW code or code size)");
  }
  TempDir dir;
  DibImage image;
  std::string reason;
  EXPECT_EQ(loadGif(image, dir.file("missing.gif"), &reason), 0);
  EXPECT_EQ(reason, std::string("cannot open: ") + std::strerror(ENOENT));
}

TEST(GifReader, MutationSweepFailsOrSucceedsCleanly) {
  IndexedPicture p = makePicture(9, 7, 3, 4);
  std::vector<std::uint8_t> f = encode(p, 2);
  int successes = 0;
  auto tryDecode = [&](const std::vector<std::uint8_t>& bytes) {
    GifPicture pic;
    std::string status;
    if (decodeGif(bytes.data(), bytes.size(), pic, &status)) {
      ++successes;
      ASSERT_EQ(pic.rgb.size(), static_cast<std::size_t>(pic.width) * pic.height * 3);
    } else {
      EXPECT_NE(status, "No Error");
    }
  };
  test::forEachDamagedCopy(f, tryDecode);
  EXPECT_GT(successes, 0);
}

TEST(GifSave, EightBitPicturesSaveAndLoadByName) {
  TempDir dir;
  IndexedPicture p = makePicture(13, 6, 8, 8);
  std::vector<std::uint8_t> colours(256 * 3);
  for (int i = 0; i < 256; ++i) {
    colours[i * 3] = p.blue[i];
    colours[i * 3 + 1] = p.green[i];
    colours[i * 3 + 2] = p.red[i];
  }
  DibImage image;
  ASSERT_EQ(image.create(13, 6, 8, colours.data()), 1);
  {
    DibRowAccess rows(image);
    for (int y = 0; y < 6; ++y)
      std::copy(p.index.begin() + y * 13, p.index.begin() + (y + 1) * 13, rows[y]);
  }
  std::string reason;
  ASSERT_EQ(writeImageByName(image, dir.file("a.gif"), 0, 0, 8, &reason), 1) << reason;
  expectDecodesTo(test::readFileBytes(dir.file("a.gif")), p);
  std::vector<std::uint8_t> bytes = test::readFileBytes(dir.file("a.gif"));
  EXPECT_EQ(bytes[descriptorOffset(8) - 5], 1);  // transparent flag
  test::writeFileBytes(dir.file("tex.GiT"), bytes);

  DibImage back;
  ASSERT_EQ(readImageByName(back, dir.file("tex.GiT"), &reason), 1) << reason;
  EXPECT_EQ(back.bitsPerPixel(), 24);
  RgbPicture rgb = back.toRgb();
  for (std::size_t i = 0; i < p.index.size(); ++i) {
    EXPECT_EQ(rgb.rgb[i * 3], p.red[p.index[i]]);
    EXPECT_EQ(rgb.rgb[i * 3 + 2], p.blue[p.index[i]]);
  }

  // Sixteen-colour estimate form: 4 bits, a 16-entry table.
  for (auto& v : p.index) v &= 15;
  {
    DibRowAccess rows(image);
    for (int y = 0; y < 6; ++y)
      std::copy(p.index.begin() + y * 13, p.index.begin() + (y + 1) * 13, rows[y]);
  }
  std::vector<std::uint8_t> small;
  ASSERT_EQ(encodeGifImage(image, 0, -1, 4, small), 1);
  EXPECT_EQ(small[10], 0xB3);

  // A 24-bit picture is refused and leaves no file; a failed load leaves the image as is.
  EXPECT_EQ(writeImageByName(back, dir.file("b.gif"), 0, -1, 8, &reason), 0);
  EXPECT_FALSE(fileExists(dir.file("b.gif")));
  DibImage kept;
  kept.create(2, 2, 24);
  test::writeFileBytes(dir.file("bad.gif"), {'G', 'I', 'F'});
  EXPECT_EQ(loadGif(kept, dir.file("bad.gif")), 0);
  EXPECT_EQ(kept.width(), 2);
  EXPECT_EQ(kept.bitsPerPixel(), 24);
}

}  // namespace
}  // namespace vornel
