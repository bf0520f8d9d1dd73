// The outline: a disc of radius r stamped in the outline colour over every edge pixel,
// in edge order, each stamp blending by its cell's weight and adding 255 x weight to the
// coverage. Computed here without visiting the disc's (2r + 1)^2 cells per edge pixel,
// and with every byte the stamps give:
//
// - A cell of weight 1 sets a pixel to the colour, and every later stamp keeps it there
//   ((1 - w) C + w C is exactly C in double precision), whatever came before. So a pixel
//   that any full-weight cell reaches ends in the colour; only the others, reached by
//   rim cells alone (0 < w < 1, a ring about one pixel wide), need their blends in
//   order, and those are exactly the rim cells' blends, applied here stamp by stamp.
// - Coverage grows by 255 per full cell and by trunc(P + 255 w) - P per rim cell, which
//   is floor(255 w) whenever the plane P is not negative; the sums of non-negative steps
//   commute, and the upper clamp with them. The full cells a pixel gets are a count of
//   edge pixels within the disc, taken for each output row as one +1/-1 pair per edge
//   pixel and disc row (a difference array). A plane that starts negative (an earlier
//   effect of negative strength) makes the rim steps depend on the full steps before
//   them, so on such rows the full runs go into a Fenwick tree that tells, at every rim
//   step, how many full steps that pixel has had so far.
//
// The work is one difference pair and about 2 pi r rim cells per edge pixel and disc
// row, plus one pass over the rows the discs reach.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/memory.h"
#include "render/effects/effect_math.h"
#include "render/effects/effects.h"

namespace vornel {

namespace {

constexpr int kPlaneMax = 32767;

// The disc, one entry per row distance |dy| = 0 ... r: the half-width of its run of
// full-weight cells (-1 when none) and its rim cells dx = full + 1 ... (the same on both
// sides), each with its weight and the coverage it adds to a non-negative plane.
struct DiscRows {
  std::vector<int> full;
  std::vector<std::size_t> rimStart;  // rim of row d: rimStart[d] ... rimStart[d + 1] - 1
  std::vector<float> rimWeight;
  std::vector<int> rimCoverage;

  explicit DiscRows(int radius) : full(radius + 1), rimStart(radius + 2) {
    const double whole = discWhole(static_cast<float>(radius));
    const std::int64_t r = radius;
    for (std::int64_t d = 0; d <= r; ++d) {
      // Weights fall as dx grows, so the full run and the rim are two prefixes of
      // 0 ... r; start from the integer square roots and settle on the weights.
      auto weight = [&](std::int64_t dx) { return discWeight(whole, dx * dx + d * d); };
      std::int64_t f = static_cast<std::int64_t>(std::sqrt(static_cast<double>(r * r - d * d)));
      f = std::min(f, r);
      while (f >= 0 && weight(f) != 1.0f) --f;
      while (f < r && weight(f + 1) == 1.0f) ++f;
      std::int64_t last = std::min<std::int64_t>(
          r, static_cast<std::int64_t>(std::sqrt(static_cast<double>((r + 1) * (r + 1) - d * d))));
      while (last > f && !(weight(last) > 0.0f)) --last;
      while (last < r && weight(last + 1) > 0.0f) ++last;
      full[static_cast<std::size_t>(d)] = static_cast<int>(f);
      rimStart[static_cast<std::size_t>(d)] = rimWeight.size();
      for (std::int64_t dx = f + 1; dx <= last; ++dx) {
        float w = weight(dx);
        rimWeight.push_back(w);
        rimCoverage.push_back(static_cast<int>(std::floor(255.0 * w)));
      }
    }
    rimStart[static_cast<std::size_t>(r) + 1] = rimWeight.size();
  }

  int rimCount(int d) const {
    return static_cast<int>(rimStart[static_cast<std::size_t>(d) + 1] -
                            rimStart[static_cast<std::size_t>(d)]);
  }
  // How far a stamp reaches sideways on row distance d.
  int reach(int d) const { return full[static_cast<std::size_t>(d)] + rimCount(d); }
};

// The edge pixels row by row, columns ascending: edge order.
struct EdgeRows {
  std::vector<std::size_t> start;  // row i: columns[start[i]] ... columns[start[i + 1] - 1]
  std::vector<int> columns;

  EdgeRows(const std::uint8_t* mask, int w, int h) : start(static_cast<std::size_t>(h) + 1) {
    std::size_t count = 0;
    for (std::size_t n = 0, end = static_cast<std::size_t>(w) * h; n < end; ++n)
      count += mask[n] != 0;
    columns = allocate<int>(count);
    std::size_t k = 0;
    for (int i = 0; i < h; ++i) {
      start[static_cast<std::size_t>(i)] = k;
      const std::uint8_t* row = mask + static_cast<std::size_t>(i) * w;
      for (int j = 0; j < w; ++j)
        if (row[j] != 0) columns[k++] = j;
    }
    start[static_cast<std::size_t>(h)] = k;
  }
  std::size_t countIn(int lo, int hi) const {
    return start[static_cast<std::size_t>(hi) + 1] - start[static_cast<std::size_t>(lo)];
  }
};

// Range additions and point queries over one row's full-step counts.
class FullSteps {
 public:
  explicit FullSteps(int w) : tree_(static_cast<std::size_t>(w) + 2) {}
  void clear() { std::fill(tree_.begin(), tree_.end(), 0); }
  void addRun(int lo, int hi) {
    add(lo, 1);
    add(hi + 1, -1);
  }
  // Full steps so far at column c.
  int at(int c) const {
    int sum = 0;
    for (std::size_t i = static_cast<std::size_t>(c) + 1; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }

 private:
  void add(int c, int v) {
    for (std::size_t i = static_cast<std::size_t>(c) + 1; i < tree_.size(); i += i & (~i + 1))
      tree_[i] += v;
  }
  std::vector<int> tree_;
};

// One output row's working state.
struct RowState {
  std::vector<int> runs;      // difference array of full-step counts, w + 1
  std::vector<int> rimSteps;  // coverage added by rim cells (on negative pixels: their steps)
  std::vector<std::uint8_t> colour;  // the row as the rim blends leave it
  FullSteps negativeRuns;
  bool anyNegative = false;

  explicit RowState(int w)
      : runs(allocate<int>(static_cast<std::size_t>(w) + 1)),
        rimSteps(allocate<int>(static_cast<std::size_t>(w))),
        colour(allocate<std::uint8_t>(static_cast<std::size_t>(w) * 3)),
        negativeRuns(w) {}
};

}  // namespace

std::int64_t outlineCellsPerEdge(int radius) {
  const DiscRows disc(std::max(radius, 0));
  std::int64_t cells = 0;
  for (int d = -radius; d <= radius; ++d) cells += 1 + 2 * disc.rimCount(std::abs(d));
  return cells;
}

void outline(RgbRows canvas, const std::uint8_t* edgeMask, int radius, std::uint32_t color, int x,
             int y, std::int16_t* plane) {
  const int w = canvas.width, h = canvas.height;
  if (w <= 0 || h <= 0) return;
  const int r = std::max(radius, 0);
  const EdgeRows edges(edgeMask, w, h);
  if (edges.columns.empty()) return;
  const DiscRows disc(r);
  const double colour[3] = {static_cast<double>(colorChannel(color, 0)),
                            static_cast<double>(colorChannel(color, 1)),
                            static_cast<double>(colorChannel(color, 2))};
  RowState state(w);

  for (int row = 0; row < h; ++row) {
    // The edge rows whose stamps reach this row, in 64 bits: offsets may be anything.
    const long long first = std::max<long long>(0, static_cast<long long>(row) - y - r);
    const long long last = std::min<long long>(h - 1, static_cast<long long>(row) - y + r);
    if (first > last || edges.countIn(static_cast<int>(first), static_cast<int>(last)) == 0)
      continue;
    std::int16_t* cover = plane + static_cast<std::size_t>(row) * w;
    std::uint8_t* pixels = canvas.row(row);
    std::fill(state.runs.begin(), state.runs.end(), 0);
    std::fill(state.rimSteps.begin(), state.rimSteps.end(), 0);
    std::copy(pixels, pixels + static_cast<std::size_t>(w) * 3, state.colour.begin());
    state.anyNegative = std::any_of(cover, cover + w, [](std::int16_t v) { return v < 0; });
    if (state.anyNegative) state.negativeRuns.clear();

    auto rimStep = [&](int c, float weight, int coverage) {
      std::uint8_t* px = state.colour.data() + static_cast<std::size_t>(c) * 3;
      const double wk = weight;
      for (int k = 0; k < 3; ++k) px[k] = effects::truncToByte((1.0 - wk) * px[k] + wk * colour[k]);
      if (cover[c] >= 0) {
        state.rimSteps[static_cast<std::size_t>(c)] += coverage;
        return;
      }
      // The plane as it stands at this stamp, then the stamp's own step on it.
      const long long now =
          std::min<long long>(kPlaneMax, cover[c] + 255LL * state.negativeRuns.at(c) +
                                             state.rimSteps[static_cast<std::size_t>(c)]);
      std::int16_t next = static_cast<std::int16_t>(now);
      effects::storePlane(next, effects::truncToInt(static_cast<double>(now) + 255.0 * wk));
      state.rimSteps[static_cast<std::size_t>(c)] += next - static_cast<int>(now);
    };

    for (long long i = first; i <= last; ++i) {
      const int d = static_cast<int>(std::llabs(row - (i + y)));
      const int full = disc.full[static_cast<std::size_t>(d)];
      const int rim = disc.rimCount(d);
      const int reach = full + rim;
      const float* rimWeight = disc.rimWeight.data() + disc.rimStart[static_cast<std::size_t>(d)];
      const int* rimCoverage = disc.rimCoverage.data() + disc.rimStart[static_cast<std::size_t>(d)];
      for (std::size_t n = edges.start[static_cast<std::size_t>(i)];
           n < edges.start[static_cast<std::size_t>(i) + 1]; ++n) {
        const long long cx = static_cast<long long>(edges.columns[n]) + x;
        if (cx + reach < 0) continue;
        if (cx - reach > w - 1) break;  // columns ascend
        if (full >= 0) {
          const int lo = static_cast<int>(std::max<long long>(0, cx - full));
          const int hi = static_cast<int>(std::min<long long>(w - 1, cx + full));
          if (lo <= hi) {
            ++state.runs[static_cast<std::size_t>(lo)];
            --state.runs[static_cast<std::size_t>(hi) + 1];
            if (state.anyNegative) state.negativeRuns.addRun(lo, hi);
          }
        }
        for (int t = 0; t < rim; ++t) {
          const long long dx = full + 1 + t;
          if (cx - dx >= 0 && cx - dx < w)
            rimStep(static_cast<int>(cx - dx), rimWeight[t], rimCoverage[t]);
          if (cx + dx >= 0 && cx + dx < w)
            rimStep(static_cast<int>(cx + dx), rimWeight[t], rimCoverage[t]);
        }
      }
    }

    int fullSteps = 0;
    for (int c = 0; c < w; ++c) {
      fullSteps += state.runs[static_cast<std::size_t>(c)];
      std::uint8_t* px = pixels + static_cast<std::size_t>(c) * 3;
      const std::uint8_t* blended = state.colour.data() + static_cast<std::size_t>(c) * 3;
      for (int k = 0; k < 3; ++k)
        px[k] = fullSteps > 0 ? static_cast<std::uint8_t>(colour[k]) : blended[k];
      const long long sum =
          cover[c] + 255LL * fullSteps + state.rimSteps[static_cast<std::size_t>(c)];
      cover[c] = static_cast<std::int16_t>(std::min<long long>(kPlaneMax, sum));
    }
  }
}

}  // namespace vornel
