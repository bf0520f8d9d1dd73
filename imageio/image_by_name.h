// Loading and saving pictures by file name: the format is the first of the known
// extensions found anywhere in the upper-cased name.
#pragma once

#include <cstdint>
#include <string>

#include "imageio/dib_image.h"

namespace vornel {

enum class ImageFormat { Unknown, Bmp, Gif, Jpeg, Png };

// For saving: ".BMP", then ".GIF", ".JPG", then ".PNG".
ImageFormat formatForWriting(const std::string& fileName);
// For loading: ".BMP", ".GIF", ".JPG", ".GIT" (a GIF file in the texture folder), then
// ".PNG".
ImageFormat formatForReading(const std::string& fileName);

// Returns the writer's result, or 0 when the name matches no format (reason set).
int writeImageByName(DibImage& image, const std::string& fileName, int backgroundIndex,
                     int transparentIndex, int bits, std::string* reason = nullptr);
// Returns 1 when a picture was read, 0 otherwise (reason set).
int readImageByName(DibImage& image, const std::string& fileName, std::string* reason = nullptr);

// Size of the file in bytes, 0 when the name is empty or the file cannot be opened.
std::uint64_t fileSize(const std::string& fileName);

}  // namespace vornel
