// The program's budget: what one run may cost, and the limits that keep every input
// within it. The promise: any input up to 1 MB (a style, project, list or picture, and
// the pictures it names) either renders or is refused with a message that names the size
// it would need, within 10 seconds and 2 GB on the reference machine (2 cores, a Release
// build). The limits are checked before anything of that size is allocated or computed.
//
// Time is counted in work units of about one nanosecond on the reference machine. The
// renderer charges every layer and every effect run its units before doing the work
// (render/work_budget.h: the effects' costs from the canvas, the lit and edge pixels and
// the record), and refuses the job when the next charge would pass kRenderWorkUnits.
// bench/budget_bench.cpp runs each effect and reports measured time over charged units;
// the costs below are set so that this stays below 1.
//
// Where the 10 seconds go (worst case):
//   rendering, charged                      kRenderWorkUnits           6.0 s
//   saving the picture and its pressed twin 2 x 16.8 M px x 36 ns      1.2 s (JPEG, slowest)
//   the file-size estimate (Save page)      16.8 M px x 36 ns          0.6 s
//   reading a picture (mask, convert)       16.8 M px x 12 ns          0.2 s
//   the estimates' own error, start-up      the rest                   2.0 s
//
// Where the 2 GB go (worst case, one layer of kMaxCanvasPixels):
//   the canvas: text raster and its copy, edge mask, canvas and pressed canvas (3 + 3 +
//   1 + 3 + 3 bytes), both coverage planes (2 + 2)        17 B/px x 16.8 M   285 MB
//   an effect's scratch (the 3D relief's distances 16 B/px and its field 4 B/px,
//   the largest)                                          20 B/px x 16.8 M   336 MB
//   the three layers' stored pictures and alpha, normal and pressed
//                                                         3 x 8 B/px x 16.8 M 403 MB
//   the composed picture and its pressed twin, and the file being written
//                                                         9 B/px x 16.8 M    151 MB
//   a decoded picture (the GIF reader holds its RGB and the bitmap)
//                                                         6 B/px x 16.8 M    101 MB
//   blur kernels, tables, the program itself                                 < 200 MB
//                                                                            ~1.5 GB
#pragma once

#include <cstddef>
#include <cstdint>

namespace vornel {

// Largest picture a reader decodes (4096 x 4096): textures, tiles, masks and pictures to
// convert. A 100 KB GIF or a 1 MB JPEG can declare 268 M pixels that its data really
// fills; at 12 ns a pixel such a picture would take 3 s and 1.5 GB, this one 0.2 s.
inline constexpr std::int64_t kMaxDecodedPixels = std::int64_t{1} << 24;

// Largest render canvas (one layer) and largest composed picture, in pixels. At these
// sizes a layer with no effect costs about 0.4 s (preparing, clearing, storing and
// composing), leaving the rest of kRenderWorkUnits to its effects.
inline constexpr std::int64_t kMaxCanvasPixels = std::int64_t{1} << 24;
inline constexpr std::int64_t kMaxOutputPixels = std::int64_t{1} << 24;

// Work units one job (renderJob, with every layer, both passes and the composition) may
// be charged: about 6 s on the reference machine.
inline constexpr std::int64_t kRenderWorkUnits = std::int64_t{6'000'000'000};

// Largest blur kernel (drop shadow, depth of field, cut out): radius 1000, 48 MB of
// weights. A larger radius would cost more than kRenderWorkUnits on any canvas it could
// change: every pixel of the shadow, blur or shade visits every cell.
inline constexpr int kMaxBlurRadius = 1000;

// Work units per element: about twice what bench/budget_bench.cpp measures (CPU time,
// Release, the reference machine), for the noise of a busy machine and of cache misses on
// canvases larger than the benchmark's.
namespace cost {
inline constexpr std::int64_t kJob = 5'000'000;     // a job's layout, text and its file
inline constexpr std::int64_t kLayerPixel = 24;     // prepare, clear both passes, store
inline constexpr std::int64_t kComposePixel = 20;   // per output pixel and layer, each pass
inline constexpr std::int64_t kScanPixel = 2;       // a pass over the canvas (counts, masks)
inline constexpr std::int64_t kFillPixel = 4;       // colour fill, round box, random dot
inline constexpr std::int64_t kGradientPixel = 12;  // linear gradient
inline constexpr std::int64_t kTexturePixel = 8;    // texture fill, tile
inline constexpr std::int64_t kDecodedPixel = 16;   // reading a texture or tile picture
inline constexpr std::int64_t kFileByte = 2;        // reading and probing its file
inline constexpr std::int64_t kWarpPixel = 40;      // a sine distortion
inline constexpr std::int64_t kNoisePixel = 180;    // one fractal noise sample per pixel
inline constexpr std::int64_t kShadePixel = 160;    // 3D lighting per lit pixel
inline constexpr std::int64_t kReliefPixel = 40;    // the relief's distances per pixel
inline constexpr std::int64_t kRingSample = 4;      // one sample of the relief's ring search
inline constexpr std::int64_t kOutlinePixel = 16;   // the outline's pass over a reached row
inline constexpr std::int64_t kOutlineCell = 8;     // a full run or a rim cell of the outline
inline constexpr std::int64_t kShadowPixel = 16;    // the shadow's buffer and its blend
inline constexpr std::int64_t kShadowCell = 2;      // a shadow kernel cell added
inline constexpr std::int64_t kBlurCell = 6;        // a depth-of-field or cut-out cell
inline constexpr std::int64_t kWindowPixel = 24;    // the blurs' window counts per pixel
inline constexpr std::int64_t kStarCell = 4;        // a star kernel cell visited
}  // namespace cost

}  // namespace vornel
