#include "ui/effect_dialog.h"

namespace vornel {

bool runEffectDialog(QWidget*, Engine&, std::int32_t) {
  return false;
}

}  // namespace vornel
