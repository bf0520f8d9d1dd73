#include "render/effects/height_field.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "platform/memory.h"

namespace vornel {

void loadShapeProfile(ShapeProfile& profile, const EffectRecord& record) {
  profile.shape = record.param(5);
  profile.hs = record.param(6) * 0.01;
  profile.f = record.param(7) * 0.01;
  profile.cap = record.param(8) * 0.001;
  profile.thr = record.param(9) * 0.01;
  profile.lvl = record.param(10) * 0.001;
}

namespace {

std::int32_t truncToInt32(double v) {
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  constexpr double kMin = std::numeric_limits<std::int32_t>::min();
  if (std::isnan(v)) return 0;
  return static_cast<std::int32_t>(std::trunc(std::clamp(v, kMin, kMax)));
}

}  // namespace

void storeShapeProfile(const ShapeProfile& profile, EffectRecord& record) {
  record.param(5) = profile.shape;
  record.param(6) = truncToInt32(profile.hs * 100);
  record.param(7) = truncToInt32(profile.f * 100);
  record.param(8) = truncToInt32(profile.cap * 1000);
  record.param(9) = truncToInt32(profile.thr * 100);
  record.param(10) = truncToInt32(profile.lvl * 1000);
}

double profileHeight(const ShapeProfile& p, double x) {
  double b;
  if (p.shape == 0) {
    double v = p.f * x;
    b = v < p.thr ? p.hs * std::sin(6.28 * v) : p.lvl * p.hs;
  } else if (p.shape == 2) {
    b = p.hs * std::pow(std::sin(0.12211111111111111 * x), 5);
  } else {
    b = x;
  }
  // The cap compares b / hs; with hs = 0 that ratio is +inf for a positive b (capped)
  // and -inf or NaN otherwise (not capped), decided here without dividing by zero.
  bool over = p.hs != 0.0 ? b / p.hs > p.cap : b > 0.0;
  if (over) b = p.cap * p.hs;
  return b;
}

void extendRingTable(RingTable& rings, int k) {
  k = std::min(k, kMaxRing);
  const double spread = std::sin(0.785);
  if (rings.start.empty()) rings.start.push_back(0);
  for (int ring = rings.rings(); ring <= k; ++ring) {
    const auto first = rings.offsets.end() - rings.offsets.begin();
    int a = static_cast<int>(spread * ring + 1);
    for (int m = 0; m <= a; ++m) {
      int radicand = ring * ring - m * m;
      if (radicand < 0) continue;
      int d = static_cast<int>(std::sqrt(static_cast<double>(radicand)));
      const int points[8][2] = {{m, d}, {m, -d}, {-m, d}, {-m, -d},
                                {d, m}, {-d, m}, {d, -m}, {-d, -m}};
      for (const auto& pt : points) {
        const int squared = pt[0] * pt[0] + pt[1] * pt[1];
        const float distance = static_cast<float>(std::sqrt(double(squared)));
        rings.offsets.push_back({pt[0], pt[1], squared, distance});
      }
    }
    // Nearest first, so that a search can stop at a ring's first unlit sample. A point
    // that occurs twice in a ring cannot change whether the ring is all lit or which
    // unlit sample is nearest, so each is kept once.
    const auto begin = rings.offsets.begin() + first;
    std::sort(begin, rings.offsets.end(),
              [](const RingTable::Offset& a, const RingTable::Offset& b) {
                return std::tie(a.squared, a.dr, a.dc) < std::tie(b.squared, b.dr, b.dc);
              });
    rings.offsets.erase(std::unique(begin, rings.offsets.end(),
                                    [](const RingTable::Offset& a, const RingTable::Offset& b) {
                                      return a.dr == b.dr && a.dc == b.dc;
                                    }),
                        rings.offsets.end());
    rings.atLeastStart.push_back(static_cast<int>(rings.atLeast.size()));
    for (auto o = begin; o != rings.offsets.end(); ++o) {
      const int v = o == begin ? o->squared : (o - 1)->squared + 1;
      for (int u = v; u <= o->squared; ++u)
        rings.atLeast.push_back(static_cast<int>(o - rings.offsets.begin()));
    }
    rings.start.push_back(static_cast<int>(rings.offsets.size()));
  }
}

void buildRingTable(RingTable& rings) {
  extendRingTable(rings, kMaxRing);
}

namespace {

bool unlitForRings(RgbRows text, int row, int column) {
  return text.pixel(row, column)[0] != 255;
}

// Beyond every ring sample (the farthest lies at squared distance kMaxRing^2): a search
// at such a pixel looks at the last ring only, and finds nothing there.
constexpr std::int32_t kBeyondRings = kMaxRing * kMaxRing + 1;
constexpr std::int32_t kNoUnlit = -1;

// Squared Euclidean distance from every pixel to the nearest pixel that stops the ring
// search (unlit[i] set), exact up to kBeyondRings and kBeyondRings from there on (and
// where there is none): a column pass, then the lower envelope of parabolas along each
// row.
std::vector<std::int32_t> squaredDistanceToUnlit(const std::uint8_t* unlit, int w, int h) {
  // Rows in order, so that both column passes read memory as it lies.
  std::vector<std::int32_t> d2 = allocate<std::int32_t>(static_cast<std::size_t>(w) * h);
  for (int r = 0; r < h; ++r) {
    std::int32_t* row = &d2[static_cast<std::size_t>(r) * w];
    const std::int32_t* above = r > 0 ? row - w : nullptr;
    const std::uint8_t* u = unlit + static_cast<std::size_t>(r) * w;
    for (int c = 0; c < w; ++c)
      row[c] = u[c] ? 0 : (above && above[c] != kNoUnlit ? above[c] + 1 : kNoUnlit);
  }
  for (int r = h - 2; r >= 0; --r) {
    std::int32_t* row = &d2[static_cast<std::size_t>(r) * w];
    const std::int32_t* below = row + w;
    for (int c = 0; c < w; ++c)
      if (below[c] != kNoUnlit && (row[c] == kNoUnlit || below[c] + 1 < row[c]))
        row[c] = below[c] + 1;
  }

  std::vector<std::int64_t> g(static_cast<std::size_t>(w));
  std::vector<int> v(static_cast<std::size_t>(w));
  std::vector<double> z(static_cast<std::size_t>(w) + 1);
  for (int r = 0; r < h; ++r) {
    std::int32_t* out = &d2[static_cast<std::size_t>(r) * w];
    std::copy(out, out + w, g.begin());
    auto f = [&](int q) { return g[q] * g[q]; };
    int k = -1;
    for (int q = 0; q < w; ++q) {
      if (g[q] == kNoUnlit) continue;
      if (k < 0) {
        k = 0;
        v[0] = q;
        z[0] = -std::numeric_limits<double>::infinity();
        z[1] = std::numeric_limits<double>::infinity();
        continue;
      }
      double s;
      for (;;) {
        std::int64_t vk = v[static_cast<std::size_t>(k)];
        s = static_cast<double>((f(q) + std::int64_t{q} * q) - (f(vk) + vk * vk)) /
            (2.0 * static_cast<double>(q - vk));
        if (s > z[static_cast<std::size_t>(k)]) break;
        --k;  // z[0] is -inf, so k never drops below 0
      }
      ++k;
      v[static_cast<std::size_t>(k)] = q;
      z[static_cast<std::size_t>(k)] = s;
      z[static_cast<std::size_t>(k) + 1] = std::numeric_limits<double>::infinity();
    }
    if (k < 0) {
      std::fill(out, out + w, kBeyondRings);
      continue;
    }
    k = 0;
    for (int q = 0; q < w; ++q) {
      while (z[static_cast<std::size_t>(k) + 1] < q) ++k;
      std::int64_t vk = v[static_cast<std::size_t>(k)];
      const std::int64_t squared = (q - vk) * (q - vk) + f(static_cast<int>(vk));
      out[q] = static_cast<std::int32_t>(std::min<std::int64_t>(squared, kBeyondRings));
    }
  }
  return d2;
}

// Smallest k with k * k >= d2, capped at the last ring.
int firstRingNotSurelyLit(std::int32_t d2) {
  int k = static_cast<int>(std::sqrt(static_cast<double>(d2)));
  while (k * k < d2) ++k;
  while (k > 0 && (k - 1) * (k - 1) >= d2) --k;
  return std::min(k, kMaxRing);
}

// Makes the steps of rings 0 ... k those of a raster `width` pixels wide.
void ringSteps(RingTable& rings, int k, int width) {
  if (rings.stepWidth != width) {
    rings.stepWidth = width;
    rings.stepRings = 0;
  }
  if (k < rings.stepRings) return;
  rings.step.resize(static_cast<std::size_t>(rings.start[k + 1]));
  for (int s = rings.start[rings.stepRings]; s < rings.start[k + 1]; ++s) {
    const RingTable::Offset& o = rings.offsets[static_cast<std::size_t>(s)];
    rings.step[static_cast<std::size_t>(s)] = static_cast<std::ptrdiff_t>(o.dr) * width + o.dc;
  }
  rings.stepRings = k + 1;
}

// The first unlit sample of ring k around (r, c), -1 when there is none. Samples closer
// than the nearest unlit pixel (squared distance nearestSquared) are all lit, and a ring
// is sorted nearest first, so the scan starts past them and its first hit is the
// ring's nearest.
int nearestUnlitSample(const RingTable& rings, int k, const std::uint8_t* unlit, int w, int h,
                       int r, int c, std::int64_t nearestSquared) {
  const int first = rings.start[k], end = rings.start[k + 1];
  int from = first;
  if (first < end && nearestSquared > rings.offsets[static_cast<std::size_t>(first)].squared)
    from = nearestSquared > rings.offsets[static_cast<std::size_t>(end) - 1].squared
               ? end
               : rings.atLeast[static_cast<std::size_t>(
                     rings.atLeastStart[static_cast<std::size_t>(k)] + nearestSquared -
                     rings.offsets[static_cast<std::size_t>(first)].squared)];
  const std::size_t index = static_cast<std::size_t>(r) * w + c;
  if (r >= k && r + k < h && c >= k && c + k < w) {  // the whole ring on the raster
    const std::uint8_t* centre = unlit + index;
    for (int s = from; s < rings.start[k + 1]; ++s)
      if (centre[rings.step[static_cast<std::size_t>(s)]]) return s;
    return -1;
  }
  for (int s = from; s < rings.start[k + 1]; ++s) {
    const RingTable::Offset& o = rings.offsets[static_cast<std::size_t>(s)];
    const int sr = r + o.dr, sc = c + o.dc;
    if (sr >= 0 && sr < h && sc >= 0 && sc < w && unlit[static_cast<std::size_t>(sr) * w + sc])
      return s;
  }
  return -1;
}

}  // namespace

bool buildHeightField(ReliefState& relief, RgbRows text, std::int64_t* samplesLeft) {
  HeightField& field = relief.field;
  const int w = text.width, h = text.height;
  field.width = w;
  field.height = h;
  field.values = allocate<float>(static_cast<std::size_t>(w) * h);
  if (w <= 0 || h <= 0) return true;

  // Every sample of ring k lies within distance k, so the rings closer than the nearest
  // unlit pixel are all lit: the search starts at the first ring that can reach it and
  // finds exactly what a search from ring 0 finds.
  std::vector<std::uint8_t> unlit = allocate<std::uint8_t>(static_cast<std::size_t>(w) * h);
  for (int r = 0; r < h; ++r)
    for (int c = 0; c < w; ++c)
      unlit[static_cast<std::size_t>(r) * w + c] = unlitForRings(text, r, c);
  const std::vector<std::int32_t> d2 = squaredDistanceToUnlit(unlit.data(), w, h);
  RingTable& rings = relief.rings;
  float largest = 0.0f;
  for (int r = 0; r < h; ++r) {
    for (int c = 0; c < w; ++c) {
      std::size_t index = static_cast<std::size_t>(r) * w + c;
      if (unlit[index]) continue;  // ring 0 is the pixel itself: value 0
      float value = 0.0f;
      for (int k = firstRingNotSurelyLit(d2[index]);; ++k) {
        if (k >= rings.rings()) extendRingTable(rings, k);
        ringSteps(rings, k, w);
        if (samplesLeft && (*samplesLeft -= rings.start[k + 1] - rings.start[k]) < 0) return false;
        const int hit = nearestUnlitSample(rings, k, unlit.data(), w, h, r, c, d2[index]);
        if (hit >= 0) {
          value = rings.offsets[static_cast<std::size_t>(hit)].distance;
          break;
        }
        if (k == kMaxRing) {
          value = static_cast<float>(k + 3);
          break;
        }
      }
      field.values[index] = value;
      largest = std::max(largest, value);
    }
  }
  if (largest > 0.0f) {
    for (float& v : field.values) v /= largest;
  }
  return true;
}

bool refreshHeightField(ReliefState& relief, RgbRows text, bool& stale, std::int64_t* samplesLeft) {
  if (stale || relief.field.width != text.width || relief.field.height != text.height) {
    if (!buildHeightField(relief, text, samplesLeft)) {
      relief.field.width = relief.field.height = 0;  // so that nothing reads it as built
      stale = true;
      return false;
    }
  }
  stale = false;
  return true;
}

double surfaceHeight(const ReliefState& relief, int column, int row) {
  const HeightField& f = relief.field;
  if (column < 2 || column > f.width - 2 || row < 2 || row > f.height - 2) return 0.0;
  float corners = f.at(row - 1, column - 1) + f.at(row - 1, column + 1) +
                  f.at(row + 1, column - 1) + f.at(row + 1, column + 1);
  float sides =
      f.at(row - 1, column) + f.at(row + 1, column) + f.at(row, column - 1) + f.at(row, column + 1);
  double s = (corners * 0.25 + sides * 0.5 + f.at(row, column)) * 0.25;
  return profileHeight(relief.profile, s);
}

}  // namespace vornel
