// Our plain RGB pictures as Qt images, for drawing.
#pragma once

#include <QImage>

#include "imageio/dib_image.h"

namespace vornel {

// A deep copy; a null image for an empty picture.
QImage imageOf(const RgbPicture& picture);

}  // namespace vornel
