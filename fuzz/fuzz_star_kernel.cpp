// Star kernel files: any bytes must load (or leave the kernel zero), and whatever floats
// they hold, stamping the star must stay inside the canvas and free of undefined
// conversions. Short inputs are repeated to fill a whole kernel, so that small seeds
// reach the stamps too.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "render/effects/effect_kernel.h"
#include "render/effects/effects.h"

namespace {

void stampOnce(const vornel::EffectKernel& star, float intensity) {
  const int w = 12, h = 8;
  std::vector<std::uint8_t> canvas(w * h * 3, 100), edge(w * h, 0);
  std::vector<std::int16_t> plane(w * h, -3);
  edge[3 * w + 4] = edge[5 * w + 9] = 255;
  vornel::starFilter({canvas.data(), w, h}, edge.data(), star, 0x00FFFFFF, intensity, -2, 1,
                     plane.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static const std::string path = "/tmp/fuzz_star_kernel." + std::to_string(getpid()) + ".lit";
  const std::size_t full = 101u * 101u * 12u;
  std::vector<std::uint8_t> bytes(size >= full ? size : full);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = data[i % size];
  // The file as given, then the repeated one.
  for (std::size_t length : {size, bytes.size()}) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 0;
    std::fwrite(length == size ? data : bytes.data(), 1, length, f);
    std::fclose(f);
    vornel::EffectKernel star;
    vornel::loadStarKernel(path, star);
    stampOnce(star, 1000.0f * static_cast<float>(data[0] % 21));
  }
  std::remove(path.c_str());
  return 0;
}
