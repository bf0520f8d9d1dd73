#include "imageio/color_reduce.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

namespace vornel {

namespace {

// The list holds this many entries, the sentinel included. Once it is full, colours not
// yet in it are no longer entered: their pixels still take the nearest palette colour,
// and the palette only ever uses the first 255 entries, which by then are long settled.
constexpr std::size_t kListCapacity = 50000;
constexpr std::int64_t kSentinelCount = 0x7FFFFFFF;
// Large enough that no colour of a picture can overtake the background at entry 1.
constexpr std::int64_t kBackgroundCount = 0x0FFFFFFF;

struct ColorCount {
  std::uint8_t red = 0, green = 0, blue = 0;
  std::int64_t count = 0;
  std::uint32_t slot = 0;  // where the popularity index keeps this colour
};

std::uint32_t colorKey(int red, int green, int blue) {
  return (static_cast<std::uint32_t>(red) << 16) | (static_cast<std::uint32_t>(green) << 8) |
         static_cast<std::uint32_t>(blue);
}

// The colour list, entry 0 being the sentinel. Alongside it an open-addressing index
// from colour to list position, so the popularity method finds a colour at once instead
// of walking the list; the list itself, its order and its swaps are exactly those of a
// linear search from entry 1.
class ColorCountList {
 public:
  ColorCountList() : slots_(kSlotCount) {
    entries_.reserve(1024);
    entries_.push_back(ColorCount{0, 0, 0, kSentinelCount, 0});
  }

  std::size_t size() const { return entries_.size(); }
  bool full() const { return entries_.size() >= kListCapacity; }
  ColorCount& operator[](std::size_t i) { return entries_[i]; }

  // Position of the colour in the list, 0 when it is not in it.
  std::size_t find(std::uint32_t key) const {
    const Slot& s = slots_[lookup(key)];
    return s.key == key + 1 ? s.position : 0;
  }

  void append(int red, int green, int blue, std::int64_t count) {
    std::uint32_t key = colorKey(red, green, blue);
    std::uint32_t slot = lookup(key);
    slots_[slot] = Slot{key + 1, static_cast<std::uint32_t>(entries_.size())};
    entries_.push_back(ColorCount{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                                  static_cast<std::uint8_t>(blue), count, slot});
  }

  void swapEntries(std::size_t a, std::size_t b) {
    std::swap(entries_[a], entries_[b]);
    slots_[entries_[a].slot].position = static_cast<std::uint32_t>(a);
    slots_[entries_[b].slot].position = static_cast<std::uint32_t>(b);
  }

 private:
  static constexpr std::uint32_t kSlotCount = 1u << 17;  // over twice the list capacity
  struct Slot {
    std::uint32_t key = 0;  // colour key + 1; 0 = empty
    std::uint32_t position = 0;
  };

  // The slot holding the key, or the empty slot where it would go.
  std::uint32_t lookup(std::uint32_t key) const {
    std::uint32_t i = (key * 2654435761u) >> 15;
    while (slots_[i].key != 0 && slots_[i].key != key + 1) i = (i + 1) & (kSlotCount - 1);
    return i;
  }

  std::vector<ColorCount> entries_;
  std::vector<Slot> slots_;
};

void enterBackground(ColorCountList& list, std::uint32_t backgroundColor) {
  list.append(backgroundColor & 0xFF, (backgroundColor >> 8) & 0xFF, (backgroundColor >> 16) & 0xFF,
              kBackgroundCount);
}

void countPopularity(ColorCountList& list, const std::uint8_t* const* pixelRows, int width,
                     int height) {
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = pixelRows[y];
    for (int x = 0; x < width; ++x, p += 3) {
      std::uint32_t key = colorKey(p[2], p[1], p[0]);
      std::size_t i = list.find(key);
      if (i != 0) {
        ++list[i].count;
        // One step only: frequent colours drift forward over many visits.
        if (list[i - 1].count < list[i].count) list.swapEntries(i - 1, i);
      } else if (!list.full()) {
        list.append(p[2], p[1], p[0], 1);
      }
    }
  }
}

// 32 x 32 x 32 cells over the top five bits of red, green and blue.
struct Histogram {
  static constexpr int kCells = 32 * 32 * 32;
  std::vector<std::uint8_t> count = std::vector<std::uint8_t>(kCells, 0);
  std::vector<std::uint16_t> sumRed = std::vector<std::uint16_t>(kCells, 0);
  std::vector<std::uint16_t> sumGreen = std::vector<std::uint16_t>(kCells, 0);
  std::vector<std::uint16_t> sumBlue = std::vector<std::uint16_t>(kCells, 0);
};

int cellIndex(int red5, int green5, int blue5) {
  return red5 * 1024 + green5 * 32 + blue5;
}

void fillHistogram(Histogram& h, const std::uint8_t* const* pixelRows, int width, int height) {
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = pixelRows[y];
    for (int x = 0; x < width; ++x, p += 3) {
      int r5 = p[2] / 8, g5 = p[1] / 8, b5 = p[0] / 8;
      int cell = cellIndex(r5, g5, b5);
      // A saturated cell ignores further pixels, sums included, so a large flat area
      // weighs no more than 255 pixels.
      if (h.count[cell] == 255) continue;
      ++h.count[cell];
      h.sumRed[cell] = static_cast<std::uint16_t>(h.sumRed[cell] + r5);
      h.sumGreen[cell] = static_cast<std::uint16_t>(h.sumGreen[cell] + g5);
      h.sumBlue[cell] = static_cast<std::uint16_t>(h.sumBlue[cell] + b5);
    }
  }
}

// Sets up to seven cut boundaries per axis at the slices where the running count first
// passes each eighth of the total. Boundaries not reached keep their earlier values.
void placeCuts(const Histogram& h, MedianCutTables& tables) {
  std::int64_t slice[3][32] = {};
  std::int64_t total = 0;
  for (int r = 0; r < 32; ++r)
    for (int g = 0; g < 32; ++g)
      for (int b = 0; b < 32; ++b) {
        int n = h.count[cellIndex(r, g, b)];
        slice[0][r] += n;
        slice[1][g] += n;
        slice[2][b] += n;
        total += n;
      }
  for (int axis = 0; axis < 3; ++axis) {
    std::int64_t running = 0, threshold = total;
    int k = 1;
    for (int d = 0; d < 32; ++d) {
      running += slice[axis][d];
      if (running > threshold / 8 && k < 8) {
        tables.bounds[axis][k] = static_cast<std::uint8_t>(d);
        ++k;
        threshold += total;
      }
    }
    tables.bounds[axis][0] = 0;
    tables.bounds[axis][8] = 32;
  }
}

// Enters a box colour with weight n. Only a colour already in the list moves, and the
// test for moving on looks at the entry now standing where the colour was found.
void enterBoxColor(ColorCountList& list, int red, int green, int blue, std::int64_t n) {
  for (std::size_t i = 1; i < list.size(); ++i) {
    if (list[i].red == red && list[i].green == green && list[i].blue == blue) {
      list[i].count += n;
      for (std::size_t j = i; j > 0 && list[j - 1].count < list[i].count; --j)
        list.swapEntries(j - 1, j);
      return;
    }
  }
  if (!list.full()) list.append(red, green, blue, n);
}

void medianCut(ColorCountList& list, const std::uint8_t* const* pixelRows, int width, int height,
               MedianCutTables& tables) {
  Histogram h;
  fillHistogram(h, pixelRows, width, height);
  placeCuts(h, tables);
  const auto& bd = tables.bounds;
  for (int rb = 0; rb < 8; ++rb)
    for (int gb = 0; gb < 8; ++gb)
      for (int bb = 0; bb < 8; ++bb) {
        if (bd[0][rb] >= bd[0][rb + 1] || bd[1][gb] >= bd[1][gb + 1] || bd[2][bb] >= bd[2][bb + 1])
          continue;
        std::int64_t n = 0, sr = 0, sg = 0, sb = 0;
        for (int r = bd[0][rb]; r < bd[0][rb + 1]; ++r)
          for (int g = bd[1][gb]; g < bd[1][gb + 1]; ++g)
            for (int b = bd[2][bb]; b < bd[2][bb + 1]; ++b) {
              int cell = cellIndex(r, g, b);
              n += h.count[cell];
              sr += h.sumRed[cell];
              sg += h.sumGreen[cell];
              sb += h.sumBlue[cell];
            }
        if (n == 0) continue;
        // The mean five-bit value times 8, truncated; (8 * sum) / n is the same number
        // without a detour through floating point.
        enterBoxColor(list, static_cast<int>(8 * sr / n), static_cast<int>(8 * sg / n),
                      static_cast<int>(8 * sb / n), n);
      }
}

void fillPalette(ColorCountList& list, int colourCount, std::uint8_t* palette) {
  std::memset(palette, 0, 256 * 3);
  // The last entry of the requested count is left black: entries come from list
  // entries 1 to colourCount - 1 only.
  for (int e = 0; e + 1 < colourCount && static_cast<std::size_t>(e + 1) < list.size(); ++e) {
    const ColorCount& c = list[static_cast<std::size_t>(e + 1)];
    palette[e * 3 + 0] = c.blue;
    palette[e * 3 + 1] = c.green;
    palette[e * 3 + 2] = c.red;
  }
}

void mapPixels(const std::uint8_t* const* pixelRows, std::uint8_t* const* indexRows, int width,
               int height, int colourCount, const std::uint8_t* palette) {
  // Rendered pictures repeat few colours, so a small direct-mapped cache spares most
  // palette searches; the answer is the same either way.
  constexpr std::uint32_t kCacheBits = 12;
  std::vector<std::uint32_t> cacheKey(1u << kCacheBits, 0);
  std::vector<std::uint8_t> cacheIndex(1u << kCacheBits, 0);
  PaletteSearch search(colourCount, palette);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* p = pixelRows[y];
    std::uint8_t* out = indexRows[y];
    for (int x = 0; x < width; ++x, p += 3) {
      std::uint32_t key = colorKey(p[2], p[1], p[0]) + 1;
      std::uint32_t slot = (key * 2654435761u) >> (32 - kCacheBits);
      if (cacheKey[slot] != key) {
        cacheKey[slot] = key;
        cacheIndex[slot] = static_cast<std::uint8_t>(search.nearest(p[2], p[1], p[0]));
      }
      out[x] = cacheIndex[slot];
    }
  }
}

}  // namespace

PaletteSearch::PaletteSearch(int colourCount, const std::uint8_t* palette)
    : listStart_(32 * 32 * 32, 0), listSize_(32 * 32 * 32, 0) {
  for (int i = 0; i < std::max(colourCount, 0); ++i)
    entries_.push_back(
        {palette[i * 3 + 2], palette[i * 3 + 1], palette[i * 3], static_cast<std::uint8_t>(i)});
}

void PaletteSearch::listCube(int slot, int red, int green, int blue) {
  const int lo[3] = {red & ~7, green & ~7, blue & ~7};
  const auto least = [&](const Entry& e) {
    const int v[3] = {e.red, e.green, e.blue};
    int d = 0;
    for (int c = 0; c < 3; ++c) d += std::max({0, lo[c] - v[c], v[c] - (lo[c] + 7)});
    return d;
  };
  const auto greatest = [&](const Entry& e) {
    const int v[3] = {e.red, e.green, e.blue};
    int d = 0;
    for (int c = 0; c < 3; ++c) d += std::max(v[c] - lo[c], lo[c] + 7 - v[c]);
    return d;
  };
  // Every colour of the cube lies within `bound` of some entry, so an entry farther
  // than that from the whole cube is never nearest, nor tied with the nearest.
  int bound = 765;
  for (const Entry& e : entries_) bound = std::min(bound, greatest(e));
  listStart_[static_cast<std::size_t>(slot)] = static_cast<std::uint32_t>(lists_.size()) + 1;
  for (const Entry& e : entries_)
    if (least(e) <= bound) lists_.push_back(e);
  listSize_[static_cast<std::size_t>(slot)] =
      static_cast<std::uint16_t>(lists_.size() + 1 - listStart_[static_cast<std::size_t>(slot)]);
}

int PaletteSearch::nearest(int red, int green, int blue) {
  const int slot = (red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3);
  if (listStart_[static_cast<std::size_t>(slot)] == 0) listCube(slot, red, green, blue);
  // As nearestPaletteIndex: the smallest distance, the lowest index among equals (the
  // list is in index order), entry 0 when nothing is nearer than 765.
  const Entry* e = lists_.data() + listStart_[static_cast<std::size_t>(slot)] - 1;
  const Entry* end = e + listSize_[static_cast<std::size_t>(slot)];
  int best = 765, bestIndex = 0;
  for (; e != end; ++e) {
    const int d = std::abs(red - e->red) + std::abs(green - e->green) + std::abs(blue - e->blue);
    if (d < best) {
      best = d;
      bestIndex = e->index;
    }
  }
  return bestIndex;
}

void reduceColors(ReduceMethod method, const std::uint8_t* const* pixelRows,
                  std::uint8_t* const* indexRows, int width, int height, int colourCount,
                  std::uint32_t backgroundColor, std::uint8_t palette[256 * 3],
                  MedianCutTables& tables) {
  if (colourCount < 1) colourCount = 1;
  if (colourCount > 256) colourCount = 256;
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  ColorCountList list;
  enterBackground(list, backgroundColor);
  if (method == ReduceMethod::Popularity) {
    countPopularity(list, pixelRows, width, height);
  } else {
    medianCut(list, pixelRows, width, height, tables);
  }
  fillPalette(list, colourCount, palette);
  mapPixels(pixelRows, indexRows, width, height, colourCount, palette);
}

int nearestPaletteIndex(int colourCount, const std::uint8_t* palette, int red, int green,
                        int blue) {
  // No entry can be farther than 765, which no distance beats: with nothing closer,
  // entry 0 (the background) is the answer.
  int best = 765, bestIndex = 0;
  for (int i = 0; i < colourCount; ++i) {
    const std::uint8_t* e = palette + i * 3;
    int d = std::abs(red - e[2]) + std::abs(green - e[1]) + std::abs(blue - e[0]);
    if (d == 0) return i;
    if (d < best) {
      best = d;
      bestIndex = i;
    }
  }
  return bestIndex;
}

}  // namespace vornel
