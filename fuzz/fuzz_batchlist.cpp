// Batch-list reader: any bytes must read to entries within the message width, and what
// was read must write and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/batch_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vornel;
  BatchList list;
  TextReader in(std::string_view(reinterpret_cast<const char*>(data), size));
  readBatchListFrom(in, list);
  for (const std::string& entry : list)
    if (entry.size() > kMaxTextBytes) std::abort();
  std::string text = batchListText(list);
  BatchList again;
  TextReader back(text);
  readBatchListFrom(back, again);
  (void)again;
  return 0;
}
