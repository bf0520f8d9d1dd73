// Baseline JPEG reader: Huffman-coded 8-bit frames of one or three components with any
// sampling factors 1-4, optional restart intervals. Progressive, arithmetic-coded,
// lossless, hierarchical, 12-bit and four-component files are refused, not guessed at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "imageio/dib_image.h"
#include "imageio/jpeg_codec.h"

namespace vornel {

// Decodes a file held in memory into a new 24-bit picture. On failure `image` is left
// as it was and the status says why.
JpegStatus decode(JpegCodec& codec, const std::uint8_t* data, std::size_t size, DibImage& image);

// 1 on success, 0 with the reason (and, when asked, the status) on failure.
int decodeJpeg(DibImage& image, const std::uint8_t* data, std::size_t size,
               std::string* reason = nullptr, JpegStatus* status = nullptr);
int loadJpeg(DibImage& image, const std::string& fileName, std::string* reason = nullptr);

}  // namespace vornel
