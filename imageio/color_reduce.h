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

// The same answer as nearestPaletteIndex, for many pixels of one palette: the entries
// kept in order of one channel, and only those searched whose difference in it alone
// does not already exceed the best distance found. hint: an index to measure first
// (a neighbouring pixel's answer), -1 for none; it changes only the speed.
class PaletteSearch {
 public:
  PaletteSearch(int colourCount, const std::uint8_t* palette);
  int nearest(int red, int green, int blue, int hint = -1) const;

 private:
  struct Entry {
    std::uint8_t key, red, green, blue, index;
  };
  int keyChannel_ = 1;
  std::vector<Entry> entries_;
  std::int16_t firstAtLeast_[256] = {};
  std::int16_t position_[256] =
      {};  // where entry i stands in entries_  // first entry whose key is at least v
};

}  // namespace vornel
