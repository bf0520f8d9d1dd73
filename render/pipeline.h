// The effect pipeline: a style run over the render canvas (normal and pressed passes),
// the previews of the pages and dialogs, and renderJob, which lays out, places, renders
// and composes the job's layers into the output images.
#pragma once

#include <cstdint>
#include <string>

#include "core/job.h"
#include "render/canvas.h"
#include "render/effects/effect_record.h"

namespace vornel {

struct Engine;

// Normal pass over the working set's effects, on the canvas and its coverage. With
// clearToBackground the canvas starts as the working background colour (coverage 0),
// otherwise black.
void runEffects(Engine& engine, bool clearToBackground);
// Pressed pass: every record runs with its offsets halved toward zero, on the pressed
// canvas and its coverage. The text raster is shared with the normal pass.
void runPressedEffects(Engine& engine);

// The working set alone, normal and pressed, into the output images.
void renderPreview(Engine& engine);
// One record alone over the working background (the text raster is not restored).
void renderEffectPreview(Engine& engine, const EffectRecord& record);
// The Star Filtering dialog's preview: the canvas cleared to black and the star of kind
// (0 to 2; another kind leaves it black) stamped along the middle row (starPreview),
// then published as a render publishes it. intensity is the record's p6 x 1000.
void renderStarPreview(Engine& engine, int kind, float intensity, std::uint32_t color);
// Copies the canvas (and the pressed canvas when the pressed image is on) into the
// output images, as every preview does after painting. For the dialogs whose preview
// paints more after a render.
void publishCanvas(Engine& engine);
// Restores the text raster and re-applies the distortions among the first count effects.
void refreshDistortions(Engine& engine, int count);

// Largest composed picture: two full-size canvases side by side in either direction.
inline constexpr long long kMaxOutputSide = 2LL * kMaxCanvasSide;

// Lays out, places, renders and composes every layer that is not None. Returns false
// with a reason, leaving a 0 x 0 output, when a layer's canvas is refused or the placed
// layers would span more than kMaxOutputSide pixels in either direction or more pixels
// than a picture may hold (positions read from a project file may be anything).
bool renderJob(Engine& engine, std::string* reason = nullptr);

// Pieces of renderJob, exposed for the tests.
// Places Template and Bulletin relative to the Message from the layers' stored layout.
// Returns false when a Template drawn from text cannot be laid out.
bool placeLayers(Engine& engine, std::string* reason = nullptr);
// Stores a canvas and its coverage (values above 255 as 255, below 0 as 0).
void storeLayerImage(const std::uint8_t* pixels, const std::int16_t* coverage, int width,
                     int height, LayerImage& image);
// The record the pressed pass runs: offsets p3 and p4 halved toward zero. At a draw
// scale above 1 the halving is that of the unscaled offset, scaled again, so the
// pressed twin moves by what it moves at scale 1.
EffectRecord pressedRecord(const EffectRecord& record, int drawScale = 1);

}  // namespace vornel
