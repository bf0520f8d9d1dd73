// PNG files through libpng's simplified interface. Written: 8-bit RGB from a 24- or 8-bit
// DibImage, 8-bit RGBA from a 32-bit one (straight colour and alpha). Read: every PNG
// (any depth and colour type, palettes with transparency, interlaced), as a 32-bit
// picture with its alpha or as a 24-bit one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/dib_image.h"

namespace vornel {

// Appends the file to `out`. Returns 1, or 0 with the reason when the picture is empty,
// of another depth or cannot be coded; `out` is then left as it was.
int encodePng(const DibImage& image, std::vector<std::uint8_t>& out, std::string* reason = nullptr);
// The same, written through a temporary file and a rename.
int savePng(const DibImage& image, const std::string& fileName, std::string* reason = nullptr);

// Decodes a PNG held in memory into a new 32-bit picture with its alpha. Returns 1, or 0
// with a one-line reason; `image` is left untouched on failure. Sizes beyond the pixel
// budget, or larger than the compressed data could ever fill, are refused before
// anything is allocated for the pixels. A 16-bit file without gamma information is
// taken as sRGB and rounded to 8 bits.
int decodePngWithAlpha(DibImage& image, const std::uint8_t* data, std::size_t size,
                       std::string* reason = nullptr);
// As a 24-bit picture, its alpha composed over black: the colour every layer is painted
// on, so a transparent part of a texture or mask reads as dark and unlit.
int decodePng(DibImage& image, const std::uint8_t* data, std::size_t size,
              std::string* reason = nullptr);
int loadPng(DibImage& image, const std::string& fileName, std::string* reason = nullptr);

}  // namespace vornel
