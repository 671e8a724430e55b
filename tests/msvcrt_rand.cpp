// The Microsoft C library's rand and srand (a linear congruential generator
// giving 15 bits, first seed 1), in place of the platform's: a Linux run of
// boot that links these draws what a Windows build draws for the same SEED,
// so the two can be compared bit for bit.
#include <cstdint>

namespace {
std::uint32_t gState = 1;
}

extern "C" {

void srand(unsigned seed) { gState = seed; }

int rand() {
  gState = gState * 214013u + 2531011u;
  return static_cast<int>((gState >> 16) & 0x7FFF);
}

}  // extern "C"
