// The vector pair sums against the plain loop, bit for bit, on slices that
// exercise every IEEE corner the terms can reach.
#include "pair_sums.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "pair_sum_families.h"

namespace {

using pair_sum_families::centres;
using pair_sum_families::kSizes;
using pair_sum_families::slice;

using Sums = void (*)(const double*, std::int32_t, double, double&, double&);

std::uint64_t bitsOf(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

void expectSameBits(Sums fast, const char* name) {
  std::mt19937_64 rng(20261209);
  int compared = 0;
  for (std::int32_t n : kSizes) {
    for (int kind = 0; kind < pair_sum_families::kFamilies; ++kind) {
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
