// The program's whole state in one object: the job, and the renderer's canvas,
// kernels, noise tables and random generator. The program makes one; tests make a
// fresh one per case. Nothing of it lives in globals.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/job.h"
#include "imageio/color_reduce.h"
#include "platform/host.h"
#include "platform/text_raster.h"
#include "render/canvas.h"
#include "render/effects/effect_kernel.h"
#include "render/effects/height_field.h"
#include "render/effects/noise.h"
#include "render/work_budget.h"

namespace vornel {

struct StartOptions {
  std::string appDirOption;  // --app-dir, empty when not given
  std::string profilePath;   // empty: the user's profile
};

// A picture standing in for the Message layer's text: width x height bytes, non-zero
// where the shape is lit. Empty when the Message is drawn from its text.
struct ShapeMask {
  int width = 0, height = 0;
  std::vector<std::uint8_t> lit;  // index x + y * width
  bool empty() const { return width <= 0 || height <= 0; }
};

struct Engine {
  explicit Engine(Host& h) : host(h) {}
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  Host& host;
  VornelDocument doc;
  // The preferences file the job's preferences were read from and are saved to.
  std::string profilePath;
  RenderCanvas canvas;
  TextRasterizer text;
  // star0.lit, star1.lit, star2.lit, each read when a job first needs it (starKernel):
  // most jobs have no star, and reading the three is a good part of a small job's start.
  std::array<EffectKernel, 3> stars;
  std::array<bool, 3> starsRead{};
  // The random sequence (state 1 at start) with the noise tables built from it.
  NoiseState noise;
  // The 3D and Fog height field and shape profile, kept between dispatches.
  ReliefState relief;
  // The Message's shape when it comes from a picture (the command line's --mask).
  ShapeMask messageMask;
  // The median cut keeps its boundaries from one reduction to the next.
  MedianCutTables reduceTables;
  // The work charged to the job being rendered.
  WorkMeter meter;
};

// Start-up: job defaults, preferences, program folder, font cache.
void startEngine(Engine& engine, const StartOptions& options);

// Star kind 0, 1 or 2 from the program folder, read at the first call. A missing or short
// kernel file leaves that kind all zero: it draws nothing.
EffectKernel& starKernel(Engine& engine, int kind);

}  // namespace vornel
