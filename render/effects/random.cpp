#include "render/effects/random.h"

namespace vornel {

int randomBelow(RandomGenerator& random, int n) {
  if (n == 0) return 0;
  // A draw is at most 32767, so the remainder is defined for every n, INT_MIN included.
  return random.draw() % n;
}

}  // namespace vornel
