// Windows BMP files: a 14-byte file header followed by the DibImage block as it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/dib_image.h"

namespace vornel {

// Appends the file to `out`. Returns 1, or 0 when the image is empty or unusable
// (the reason is set). Stores the computed image size into the image's own header.
int encodeBmp(DibImage& image, std::vector<std::uint8_t>& out, std::string* reason = nullptr);
// Decodes a BMP file held in memory. Returns 1, or 0 with a reason; the image is left
// untouched on failure. Only uncompressed 8- and 24-bit pictures are accepted, and
// every row the header declares must lie inside the data.
int decodeBmp(DibImage& image, const std::uint8_t* data, std::size_t size,
              std::string* reason = nullptr);

int writeBmp(DibImage& image, const std::string& fileName, std::string* reason = nullptr);
int readBmp(DibImage& image, const std::string& fileName, std::string* reason = nullptr);

}  // namespace vornel
