// The window's pictures as the build leaves them: the sizes and depths the window lays
// out, read back with our BMP reader.
#include <gtest/gtest.h>

#include <string>

#include "imageio/bmp_file.h"
#include "imageio/dib_image.h"

namespace vornel {
namespace {

// Beside the staged program folder in the build tree (data/CMakeLists.txt).
const std::string kPictures = std::string(VORNEL_APPDATA_DIR) + "/../ui-pictures/";

TEST(UiPictures, PagesAndIconsHaveTheirSizesAndDepths) {
  for (int page = 0; page < 6; ++page) {
    SCOPED_TRACE("page " + std::to_string(page));
    DibImage image;
    std::string reason;
    ASSERT_EQ(readBmp(image, kPictures + "page" + std::to_string(page) + ".bmp", &reason), 1)
        << reason << " (built by the target vornel_ui_pictures)";
    EXPECT_EQ(image.width(), 174);
    EXPECT_EQ(image.height(), 209);
    EXPECT_EQ(image.bitsPerPixel(), 8);
    EXPECT_EQ(image.palette().size(), 256u);
  }
  for (int size : {16, 32, 48, 64, 128, 256}) {
    SCOPED_TRACE("icon " + std::to_string(size));
    DibImage image;
    std::string reason;
    ASSERT_EQ(readBmp(image, kPictures + "icon" + std::to_string(size) + ".bmp", &reason), 1)
        << reason;
    EXPECT_EQ(image.width(), size);
    EXPECT_EQ(image.height(), size);
    EXPECT_EQ(image.bitsPerPixel(), 24);
    // Outside the rounded tile every corner is pure white, a colour the window can mask.
    const RgbPicture rgb = image.toRgb();
    for (int corner : {0, size - 1, (size - 1) * size, size * size - 1})
      for (int k = 0; k < 3; ++k)
        EXPECT_EQ(rgb.rgb[static_cast<std::size_t>(corner) * 3 + k], 255) << "corner " << corner;
  }
}

}  // namespace
}  // namespace vornel
