// Slices for testing the pair sums: six families of values that reach every
// IEEE corner the terms can, and the points at which to sum them. Shared by
// the x86 tests and the arm64 emulator's.
#pragma once

#include <cstdint>
#include <iterator>
#include <limits>
#include <random>
#include <vector>

namespace pair_sum_families {

// Odd and even, around the block of 16 and the vector widths, and large.
inline constexpr std::int32_t kSizes[] = {0,   1,   2,   3,    4,   5,   7,
                                          8,   63,  64,  65,   66,  127, 128,
                                          129, 200, 257, 1000, 2001};
inline constexpr int kFamilies = 6;

// Values drawn from a family chosen by kind; every family mixes in ties.
inline std::vector<double> slice(std::int32_t n, int kind,
                                 std::mt19937_64& rng) {
  const double specials[] = {0.0,
                             -0.0,
                             std::numeric_limits<double>::denorm_min(),
                             -4.9e-320,
                             2.2e-308,
                             1e-300,
                             1e300,
                             -1.7e308,
                             1.7e308,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             1.0,
                             1.0};
  std::normal_distribution<double> normal(0.0, 1.0);
  std::uniform_int_distribution<int> small(-3, 3);
  std::uniform_int_distribution<std::size_t> pick(0, std::size(specials) - 1);
  std::vector<double> v(static_cast<std::size_t>(n));
  for (double& x : v) {
    switch (kind) {
      case 0:
        x = normal(rng);
        break;
      case 1:
        x = small(rng);
        break;  // many ties and R = 0 pairs
      case 2:
        x = normal(rng) * 1e-310;
        break;  // subnormal
      case 3:
        x = normal(rng) * 1e154;
        break;  // R * R overflows
      case 4:
        x = normal(rng) * 1e-160;
        break;  // R * R underflows
      default:
        x = rng() % 4 == 0 ? specials[pick(rng)] : normal(rng);
    }
  }
  return v;
}

// Points at which to sum: the median-like centre, a value of the slice (so
// that ties with m give R = 0), zero and a point far outside.
inline std::vector<double> centres(const std::vector<double>& v) {
  if (v.empty()) return {0.0, 0.5, 1e200};
  return {0.0, 0.5, 1e200, v[v.size() / 2], v[0]};
}

}  // namespace pair_sum_families
