#include "platform/log_font.h"

#include "imageio/utf8.h"

namespace vornel {

void LogFont::setFaceName(const std::string& name) {
  std::string cut = cutUtf8(name, kFaceNameSize - 1);
  std::memset(lfFaceName, 0, kFaceNameSize);
  std::memcpy(lfFaceName, cut.data(), cut.size());
}

}  // namespace vornel
