#include "ui/picture_image.h"

namespace vornel {

QImage imageOf(const RgbPicture& picture) {
  if (picture.width <= 0 || picture.height <= 0) return {};
  QImage image(picture.rgb.data(), picture.width, picture.height, picture.width * 3,
               QImage::Format_RGB888);
  return image.copy();
}

}  // namespace vornel
