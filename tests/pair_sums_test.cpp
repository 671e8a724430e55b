// The vector pair sums against the plain loop, bit for bit, on slices that
// exercise every IEEE corner the terms can reach.
#include "pair_sums.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using Sums = void (*)(const double*, std::int32_t, double, double&, double&);

std::uint64_t bitsOf(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Values drawn from a family chosen by kind; every family mixes in ties.
std::vector<double> slice(std::int32_t n, int kind, std::mt19937_64& rng) {
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
std::vector<double> centres(const std::vector<double>& v) {
  if (v.empty()) return {0.0, 0.5, 1e200};
  return {0.0, 0.5, 1e200, v[v.size() / 2], v[0]};
}

void expectSameBits(Sums fast, const char* name) {
  std::mt19937_64 rng(20261209);
  const std::int32_t sizes[] = {0,  1,  2,   3,   4,   5,   7,   8,    63,  64,
                                65, 66, 127, 128, 129, 200, 257, 1000, 2001};
  int compared = 0;
  for (std::int32_t n : sizes) {
    for (int kind = 0; kind < 6; ++kind) {
      const std::vector<double> v = slice(n, kind, rng);
      for (double m : centres(v)) {
        double g0, c0, g1, c1;
        quorvane::pairSumsPlain(v.data(), n, m, g0, c0);
        fast(v.data(), n, m, g1, c1);
        ASSERT_EQ(bitsOf(g0), bitsOf(g1))
            << name << " gradient, n=" << n << " kind=" << kind << " m=" << m;
        ASSERT_EQ(bitsOf(c0), bitsOf(c1))
            << name << " curvature, n=" << n << " kind=" << kind << " m=" << m;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 500);
}

TEST(PairSums, EmptyAndSinglePairs) {
  double g = 1, c = 1;
  quorvane::pairSums(nullptr, 0, 3.0, g, c);
  EXPECT_EQ(bitsOf(g), bitsOf(0.0));
  EXPECT_EQ(bitsOf(c), bitsOf(0.0));
  const double tie[] = {2.0, 2.0};
  quorvane::pairSums(tie, 2, 2.0, g, c);  // the one pair has R = 0
  EXPECT_EQ(bitsOf(g), bitsOf(0.0));
  EXPECT_EQ(bitsOf(c), bitsOf(0.0));
}

TEST(PairSums, DispatchedPathMatchesPlainLoop) {
  expectSameBits(quorvane::pairSums, "dispatched");
}

#if QUORVANE_HAVE_VECTOR_PAIR_SUMS
TEST(PairSums, Sse2MatchesPlainLoop) {
  expectSameBits(quorvane::pairSumsSse2, "sse2");
}

TEST(PairSums, Avx2MatchesPlainLoop) {
  if (!quorvane::processorHasAvx2()) {
    GTEST_SKIP() << "this processor has no AVX2";
  }
  expectSameBits(quorvane::pairSumsAvx2, "avx2");
}
#endif

}  // namespace
