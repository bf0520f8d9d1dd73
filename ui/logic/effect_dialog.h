// The effect dialogs' record rules, without Qt.
#pragma once

#include "render/effects/effect_record.h"

namespace vornel {

// The record "Add to Applied Effect" appends after the dialog of working.type closed with
// OK: for Draw, Outline, Drop Shadow and Depth of Field only the values the dialog shows
// (the others 0, the texture name for Draw only); for the other types the whole working
// record.
EffectRecord effectRecordForAdd(const EffectRecord& working);

}  // namespace vornel
