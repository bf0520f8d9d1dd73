// The program's pseudo-random generator: one linear congruential sequence that starts
// at state 1 and is never reseeded. Random Dot, Space and the noise set-up all draw from
// the same sequence, so what they produce depends on everything drawn before.
#pragma once

#include <cstdint>

namespace vornel {

struct RandomGenerator {
  std::uint32_t state = 1;

  // 0 ... 32767. Unsigned arithmetic gives the modulo 2^32 wrap without overflow.
  int draw() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & 0x7FFFu);
  }
};

// draw mod n (the sign of n does not matter: a draw is never negative); 0 without
// drawing when n is 0.
int randomBelow(RandomGenerator& random, int n);

}  // namespace vornel
