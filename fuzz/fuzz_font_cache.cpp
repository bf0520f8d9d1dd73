// Font cache files: any bytes must read or be refused, never read beyond the data; what
// reads must write and read back the same. The bytes are also tried as a file body with
// a good checksum after it, so that the fuzzer reaches the fields behind the checksum.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/font_cache.h"

namespace {

void readAndRoundTrip(const std::uint8_t* data, std::size_t size) {
  vornel::FontCacheData cache;
  if (!vornel::parseFontCache(data, size, cache)) return;
  const std::vector<std::uint8_t> again = vornel::serializeFontCache(cache);
  vornel::FontCacheData back;
  if (!vornel::parseFontCache(again.data(), again.size(), back) || !(back == cache)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  readAndRoundTrip(data, size);
  // The file's checksum: FNV-1a over the body, eight bytes little-endian.
  std::uint64_t h = 14695981039346656037ull;
  for (std::size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
  std::vector<std::uint8_t> sealed(data, data + size);
  for (int i = 0; i < 8; ++i) sealed.push_back(static_cast<std::uint8_t>(h >> (8 * i)));
  readAndRoundTrip(sealed.data(), sealed.size());
  return 0;
}
