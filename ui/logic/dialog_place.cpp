#include "ui/logic/dialog_place.h"

#include <algorithm>

namespace vornel {

namespace {

constexpr int kGap = 8;

PlaceRect unite(const PlaceRect& a, const PlaceRect& b) {
  if (a.empty()) return b;
  if (b.empty()) return a;
  const int x = std::min(a.x, b.x), y = std::min(a.y, b.y);
  return {x, y, std::max(a.right(), b.right()) - x, std::max(a.bottom(), b.bottom()) - y};
}

// Within the screen along one axis; a dialog larger than the screen keeps its start.
int within(int start, int length, int screenStart, int screenLength) {
  return std::max(screenStart, std::min(start, screenStart + screenLength - length));
}

bool fitsAcross(int x, int width, const PlaceRect& screen) {
  return x >= screen.x && x + width <= screen.right();
}

}  // namespace

PlacePoint placeBesidePreview(const PlaceRect& mainWindow, const PlaceRect& preview, int width,
                              int height, const PlaceRect& screen) {
  const PlaceRect both = unite(mainWindow, preview);
  const PlaceRect& seen = preview.empty() ? both : preview;
  auto rowAt = [&](int top) { return within(top, height, screen.y, screen.height); };

  struct Candidate {
    int x, y;
  };
  const Candidate besides[] = {
      {both.right() + kGap, rowAt(both.y)},
      {both.x - kGap - width, rowAt(both.y)},
      {seen.right() + kGap, rowAt(seen.y)},
      {seen.x - kGap - width, rowAt(seen.y)},
  };
  for (const Candidate& c : besides)
    if (fitsAcross(c.x, width, screen)) return {c.x, c.y};

  const int column = within(seen.x, width, screen.x, screen.width);
  if (seen.y - kGap - height >= screen.y) return {column, seen.y - kGap - height};
  if (seen.bottom() + kGap + height <= screen.bottom()) return {column, seen.bottom() + kGap};
  return {within(seen.right() + kGap, width, screen.x, screen.width), rowAt(seen.y)};
}

}  // namespace vornel
