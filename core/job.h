// The one job: three layers (Template, Bulletin, Message), the working set through
// which the renderer and the style files see the current layer, the project background,
// the round-box factors, the thirteen effect defaults, preferences, file names and
// modified flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/dib_image.h"
#include "platform/log_font.h"
#include "render/effects/effect_record.h"

namespace vornel {

enum LayerKind : std::int32_t {
  kLayerFont = 0,
  kLayerRoundBox = 1,
  kLayerNone = 2,
  kLayerStretchedFont = 3,
};

enum BackgroundMode : std::int32_t {
  kBackgroundTransparent = 1,
  kBackgroundSingleColor = 2,
  kBackgroundBitmapCenter = 3,
  kBackgroundBitmapTile = 4,
  kBackgroundBitmapStretch = 5,
};

enum LayerIndex { kTemplateLayer = 0, kBulletinLayer = 1, kMessageLayer = 2 };

enum OutputFileType : std::int32_t {
  kOutputGif16 = 2,
  kOutputGif256 = 3,
  kOutputJpeg = 4,
  kOutputBmp = 5,
  kOutputPng = 6,  // with background mode 1 (transparent) the coverage is kept as alpha
};

// Widths of the fixed text fields, terminating NUL included; texts are cut to one less.
inline constexpr std::size_t kTextFieldSize = 300;
inline constexpr std::size_t kMaxTextBytes = kTextFieldSize - 1;
inline constexpr int kMaxLayers = 6;

// A stored layer render: top-down 24-bit pixels (blue, green, red) and one alpha byte
// per pixel.
struct LayerImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> pixels;  // width * height * 3
  std::vector<std::uint8_t> alpha;   // width * height
};

struct LayerRecord {
  std::int32_t kind = kLayerFont;
  std::string text;       // in memory a line break is one '\n'
  std::string styleName;  // informative only; not saved in project files
  std::int32_t box[6] = {};
  LogFont font;
  std::int32_t fontWidth = 0;
  std::int32_t stretchedFontWidth = 0;
  std::int32_t x = 0, y = 0;
  std::int32_t width = 0, height = 0;
  std::int32_t textOriginX = 0, textOriginY = 0;
  std::int32_t extentWidth = 0, extentHeight = 0;
  LayerImage image;
  LayerImage pressedImage;
  std::vector<EffectRecord> effects;  // at most kMaxEffects
};

struct WorkingSet {
  std::int32_t kind = kLayerFont;
  std::string message = "Hello Vornel!";
  LogFont font;
  std::int32_t box[6] = {};
  std::vector<EffectRecord> effects;
  std::int32_t backgroundMode = kBackgroundTransparent;
  std::uint32_t backgroundColor = 0xFFFFFF;
  std::string backgroundBitmap;
  std::string styleName;
  bool styleModified = false;
  // Blank pixels added on every side of the canvas (the Message's --pad), so that glows
  // and shadows reaching past the effects' offsets are not cut at the picture's edge.
  std::int32_t pad = 0;
};

struct RoundBoxFactors {
  std::int32_t width = 0, height = 0, cornerWidth = 0, cornerHeight = 0;
};

struct Preferences {
  int antialiasing = 1;
  int clipBlank = 1;
  int reduceColorMethod = 1;  // 0 popularity, 1 optimised median cut
};

struct VornelDocument {
  std::vector<LayerRecord> layers;
  WorkingSet ws;

  std::int32_t projectBackgroundMode = kBackgroundTransparent;
  std::uint32_t projectBackgroundColor = 0xFFFFFF;
  std::string projectBackgroundBitmap;

  RoundBoxFactors templateFactors{950, 950, 100, 100};
  RoundBoxFactors bulletinFactors{500, 500, 500, 500};

  std::array<EffectRecord, kEffectTypeCount> effectDefaults;
  Preferences prefs;

  // Output of the last render or composition.
  DibImage outputImage;
  DibImage pressedOutputImage;
  std::int32_t outputWidth = 0, outputHeight = 0;
  std::int32_t originX = 0, originY = 0;  // smallest layer x and y, never above 0
  bool pressedImage = false;
  // The margin of the Message's canvas (command line only; not kept in project files).
  std::int32_t messagePad = 0;
  // How many times larger than its files describe it the job is drawn (1 to 4, set by
  // scaleJob of render/job_scale.h). Above 1 the lengths of layers and effects are
  // already multiplied, so such a job is never written back as a style or project.
  std::int32_t drawScale = 1;

  std::string projectName;
  bool projectModified = false;
  std::string templateStyleName, bulletinStyleName, messageStyleName;
  bool templateStyleModified = false, bulletinStyleModified = false, messageStyleModified = false;
  std::string batchListName = "untitled.blt";
  std::int32_t outputFileType = kOutputJpeg;
  bool outputStale = false;

  std::string appDirectory;  // always ends with '/'

  LayerRecord& layer(int index) { return layers[static_cast<std::size_t>(index)]; }
  const LayerRecord& layer(int index) const { return layers[static_cast<std::size_t>(index)]; }
};

// The working font of a fresh start: Arial, height 20, width 10, every other field 0.
LogFont startupFont();
// Fills the job with its start-up values: working set, effect defaults, batch list
// name, output type and the three layers (Template and Bulletin None, Message Font).
void initializeDocument(VornelDocument& doc);
// The effect defaults' start-up parameters.
std::array<EffectRecord, kEffectTypeCount> startupEffectDefaults();

// Copies the record (all but its stored renders) into the next free slot. Returns 0, or
// -1 without change when six slots are in use.
int appendLayer(VornelDocument& doc, const LayerRecord& record);
void clearWorkingStyle(VornelDocument& doc);
void resetLayers(VornelDocument& doc);

// The per-layer styleModified flag of layer index (0 Template, 1 Bulletin, 2 Message).
bool& layerStyleModified(VornelDocument& doc, int index);
std::string& layerStyleName(VornelDocument& doc, int index);

// Copies layer index's kind, text, font, box and effects into the working set.
void loadLayerIntoWorkingSet(VornelDocument& doc, int index);

// Why a job drawn larger than its files (drawScale above 1) is not written back as a
// style or project: its lengths are multiplied and would replace the file's own.
std::string scaledJobNotSaved(int drawScale);

}  // namespace vornel
