// Drawing the whole job N times larger (1 to 4), as if on a grid N times finer: every
// length in pixels the job holds is multiplied (fonts, boxes, positions, the Message's
// margin and shape, and each effect's lengths; see the table in job_scale.cpp), and the
// engine draws pictures, random grains and stars at the matching size. Call it once the
// job is built and before it renders; the job then stays scaled, so it is never saved
// back as a style or project (VornelDocument::drawScale).
#pragma once

#include <string>

#include "render/effects/effect_record.h"

namespace vornel {

struct Engine;

inline constexpr int kMinDrawScale = 1;
inline constexpr int kMaxDrawScale = 4;

// Scales engine's job by factor. Factor 1 changes nothing. Returns false with a reason,
// changing nothing, for a factor outside 1 ... 4, a job already scaled, or a Message
// shape that would grow past the largest canvas. Whether the scaled job fits the work
// budget is the render's to say: renderJob refuses it with the size it would need.
bool scaleJob(Engine& engine, int factor, std::string* reason = nullptr);

// The record with its lengths in pixels multiplied by factor (saturating at the 32-bit
// range); every other word and the texture name as they are.
EffectRecord scaleEffectRecord(const EffectRecord& record, int factor);

}  // namespace vornel
