// Baseline JPEG writer: fixed quantisation tables (no quality setting), the typical
// Huffman tables, three components without subsampling and no JFIF segment.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "imageio/dib_image.h"
#include "imageio/jpeg_codec.h"

namespace vornel {

// The tables written into every file, in zig-zag order.
extern const std::array<std::uint8_t, 64> kJpegLumaQuant;
extern const std::array<std::uint8_t, 64> kJpegChromaQuant;

// One block's quantised coefficients in zig-zag order, from 64 samples in natural order
// already minus 128, with the step table in zig-zag order. Plain: the direct 64-term
// sum of each coefficient. Fast: a separable transform, checked against the plain sums'
// reach and replaced by them where it cannot vouch for the same numbers; both give the
// same values for every block.
void quantizeBlockPlain(const double samples[64], const std::uint8_t* table, int zz[64]);
void quantizeBlockFast(const double samples[64], const std::uint8_t* table, int zz[64]);

// Codes `height` rows of blue-green-red pixels, top row first, `stride` bytes apart,
// and appends the whole file (SOI to EOI) to `out`. Width and height are 1..65535.
void encode(JpegCodec& codec, int width, int height, const std::uint8_t* pixels,
            std::ptrdiff_t stride, std::vector<std::uint8_t>& out);

// Codes a 24-bit picture (an 8-bit one is coded from a 24-bit copy) into `out`. The
// picture's rows are mirrored while it is coded and mirrored back before returning.
// Returns 1, or 0 with the reason when the picture is empty, too large or of another
// depth.
int encodeJpeg(DibImage& image, std::vector<std::uint8_t>& out, std::string* reason = nullptr);
// Writes the file through a temporary file; 0 with the reason when coding or writing
// fails.
int saveJpeg(DibImage& image, const std::string& fileName, std::string* reason = nullptr);

}  // namespace vornel
