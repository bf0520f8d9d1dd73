#include "core/log_font.h"

#include "render/effects/effect_record.h"

namespace vornel {

void LogFont::setFaceName(const std::string& name) {
  std::string cut = cutUtf8(name, kFaceNameSize - 1);
  std::memset(lfFaceName, 0, kFaceNameSize);
  std::memcpy(lfFaceName, cut.data(), cut.size());
}

}  // namespace vornel
