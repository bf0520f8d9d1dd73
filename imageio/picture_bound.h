// How many pixels a picture file could decode to, read from its headers alone: for the
// work budget, which charges a texture's decoding before the texture is read.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vornel {

// An upper bound on the pixels any of the readers (BMP, GIF, JPEG) would decode from
// these bytes, whatever the file's name says it is: the first GIF image's size, the
// largest JPEG baseline frame's padded to whole blocks, and never less than the file's
// length (an uncompressed BMP holds at most a pixel per byte). Capped at
// kMaxDecodedPixels, beyond which every reader refuses.
std::int64_t decodedPixelBound(const std::uint8_t* data, std::size_t size);

}  // namespace vornel
