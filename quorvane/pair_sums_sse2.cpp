// The pair sums in 128-bit vectors: every x86-64 processor has SSE2.
#include "pair_sums.h"

#if QUORVANE_HAVE_VECTOR_PAIR_SUMS

#include <immintrin.h>

#include "pair_sums_kernel.h"

namespace quorvane {
namespace {

struct Sse2 {
  using Vec = __m128d;
  static constexpr std::int32_t kWidth = 2;
  static Vec set1(double v) { return _mm_set1_pd(v); }
  static Vec load(const double* p) { return _mm_loadu_pd(p); }
  static void store(double* p, Vec v) { _mm_store_pd(p, v); }
  static Vec add(Vec a, Vec b) { return _mm_add_pd(a, b); }
  static Vec sub(Vec a, Vec b) { return _mm_sub_pd(a, b); }
  static Vec mul(Vec a, Vec b) { return _mm_mul_pd(a, b); }
  static Vec div(Vec a, Vec b) { return _mm_div_pd(a, b); }
  static Vec sqrt(Vec a) { return _mm_sqrt_pd(a); }
  static Vec isZero(Vec a) { return _mm_cmpeq_pd(a, _mm_setzero_pd()); }
  static Vec negZeroWhere(Vec mask, Vec v) {
    return _mm_or_pd(_mm_and_pd(mask, _mm_set1_pd(-0.0)),
                     _mm_andnot_pd(mask, v));
  }
};

}  // namespace

void pairSumsSse2(const double* x, std::int32_t n, double m, double& gradient,
                  double& curvature) {
  blockedPairSums<Sse2>(x, n, m, gradient, curvature);
}

}  // namespace quorvane

#endif  // QUORVANE_HAVE_VECTOR_PAIR_SUMS
