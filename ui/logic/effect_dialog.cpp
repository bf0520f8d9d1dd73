#include "ui/logic/effect_dialog.h"

namespace vornel {

EffectRecord effectRecordForAdd(const EffectRecord& working) {
  return working;
}

}  // namespace vornel
