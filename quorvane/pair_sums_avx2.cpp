// The pair sums in 256-bit vectors, for processors with AVX2; chosen at run
// time. Everything after the target switch is compiled for AVX2 and has
// internal linkage, so no AVX2 code can stand in for a shared inline function.
#include <cstdint>

#include "pair_sums.h"

#if QUORVANE_HAVE_AVX2_PAIR_SUMS

#include <immintrin.h>

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), \
                             apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

#include "pair_sums_kernel.h"

namespace quorvane {
namespace {

struct Avx2 {
  using Vec = __m256d;
  static constexpr std::int32_t kWidth = 4;
  static Vec set1(double v) { return _mm256_set1_pd(v); }
  static Vec load(const double* p) { return _mm256_loadu_pd(p); }
  static void store(double* p, Vec v) { _mm256_store_pd(p, v); }
  static Vec add(Vec a, Vec b) { return _mm256_add_pd(a, b); }
  static Vec sub(Vec a, Vec b) { return _mm256_sub_pd(a, b); }
  static Vec mul(Vec a, Vec b) { return _mm256_mul_pd(a, b); }
  static Vec div(Vec a, Vec b) { return _mm256_div_pd(a, b); }
  static Vec sqrt(Vec a) { return _mm256_sqrt_pd(a); }
  static Vec isZero(Vec a) {
    return _mm256_cmp_pd(a, _mm256_setzero_pd(), _CMP_EQ_OQ);
  }
  static Vec negZeroWhere(Vec mask, Vec v) {
    return _mm256_blendv_pd(v, _mm256_set1_pd(-0.0), mask);
  }
};

}  // namespace

void pairSumsAvx2(const double* x, std::int32_t n, double m, double& gradient,
                  double& curvature) {
  blockedPairSums<Avx2>(x, n, m, gradient, curvature);
}

}  // namespace quorvane

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // QUORVANE_HAVE_AVX2_PAIR_SUMS
