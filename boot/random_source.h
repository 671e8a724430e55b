// Every random choice of a boot call comes from one MT19937 engine, seeded
// from one value of the C library's rand() and mapped to integers by
// uniformInt's masked rejection.
#pragma once

#include <cstdint>
#include <random>

namespace boot {

// The standard MT19937 (the same output sequence as std::mt19937), with its
// state in 32-bit words: libstdc++'s std::mt19937 keeps 64-bit words.
using Engine =
    std::mersenne_twister_engine<std::uint32_t, 32, 624, 397, 31, 0x9908b0dfU,
                                 11, 0xffffffffU, 7, 0x9d2c5680U, 15,
                                 0xefc60000U, 18, 1812433253U>;

// A uniform integer from lo to hi inclusive (lo <= hi) by masked rejection:
// keep the lowest w bits of each engine output, where 2^w is the smallest
// power of two holding hi - lo + 1 values, until they fall in range. This
// exact mapping fixes the resamples a seed gives, so no library distribution
// may stand in for it. A range of one value takes no engine output.
template <typename Urbg>
std::int32_t uniformInt(std::int32_t lo, std::int32_t hi, Urbg& engine) {
  if (hi == lo) return lo;
  const std::uint64_t range =
      static_cast<std::uint64_t>(static_cast<std::int64_t>(hi) - lo) + 1;
  std::uint64_t mask = range - 1;
  mask |= mask >> 1;
  mask |= mask >> 2;
  mask |= mask >> 4;
  mask |= mask >> 8;
  mask |= mask >> 16;
  std::uint64_t v;
  do {
    v = static_cast<std::uint32_t>(engine()) & mask;
  } while (v >= range);
  return static_cast<std::int32_t>(lo + static_cast<std::int64_t>(v));
}

}  // namespace boot
