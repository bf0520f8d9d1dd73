// Colour reduction of a 24-bit picture to 16 or 256 palette colours for GIF output,
// by the popularity method or the optimised median cut. The background colour is
// always palette entry 0; no dithering: every pixel takes the nearest palette colour.
#pragma once

#include <cstdint>
#include <vector>

namespace vornel {

enum class ReduceMethod { Popularity = 0, MedianCut = 1 };

// The median cut's boundaries live for the program's whole run: boundaries 1 to 7 that
// a reduction does not set keep the values left by the previous reduction (0 at first).
struct MedianCutTables {
  std::uint8_t bounds[3][9] = {};  // per axis: red, green, blue
};

// pixelRows[i]: row i (top first) of width pixels, bytes blue, green, red.
// indexRows[i]: row i of width index bytes, filled here.
// palette: 256 entries of three bytes blue, green, red; entries not filled are 0.
// colourCount: 16 or 256. backgroundColor: COLORREF 0x00BBGGRR.
// The popularity list holds 50,000 colours (its sentinel included); once it is full,
// further new colours are not entered, and their pixels take the nearest palette colour.
void reduceColors(ReduceMethod method, const std::uint8_t* const* pixelRows,
                  std::uint8_t* const* indexRows, int width, int height, int colourCount,
                  std::uint32_t backgroundColor, std::uint8_t palette[256 * 3],
                  MedianCutTables& tables);

// Index of the palette entry nearest (sum of absolute differences) to the colour; the
// lowest index wins a tie and an exact match returns at once.
int nearestPaletteIndex(int colourCount, const std::uint8_t* palette, int red, int green, int blue);

// The same answer as nearestPaletteIndex, for many pixels of one palette. Colours are
// grouped in cubes of 8 x 8 x 8; for each cube first met, the entries that could be
// nearest to some colour in it are listed once (those whose least distance to the cube
// is at most the smallest greatest distance of any entry to it), and a pixel compares
// only its cube's list, in index order.
class PaletteSearch {
 public:
  PaletteSearch(int colourCount, const std::uint8_t* palette);
  int nearest(int red, int green, int blue);

 private:
  struct Entry {
    std::uint8_t red, green, blue, index;
  };
  void listCube(int slot, int red, int green, int blue);
  std::vector<Entry> entries_;
  // Per cube (32 x 32 x 32), 1 + where its list starts in lists_, 0 while not listed.
  std::vector<std::uint32_t> listStart_;
  std::vector<std::uint16_t> listSize_;
  std::vector<Entry> lists_;
};

}  // namespace vornel
