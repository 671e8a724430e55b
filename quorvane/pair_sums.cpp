#include "pair_sums.h"

#include <cmath>

namespace quorvane {

void pairSumsPlain(const double* x, std::int32_t n, double m, double& gradient,
                   double& curvature) {
  double g = 0.0;
  double c = 0.0;
  for (std::int32_t k = 1; k < n; ++k) {
    const double xk = x[k];
    const double dk = xk - m;
    for (std::int32_t l = 0; l < k; ++l) {
      const double xl = x[l];
      const double dl = xl - m;
      const double r = dl * dl + dk * dk;
      if (r == 0.0) continue;  // both values equal m
      const double s = std::sqrt(r);
      const double d = xl - xk;
      g += ((2.0 * m - xl) - xk) / s;
      c += (d * d * s) / (r * r);
    }
  }
  gradient = g;
  curvature = c;
}

#if QUORVANE_HAVE_AVX2_PAIR_SUMS && !defined(QUORVANE_PLAIN_PAIR_SUMS)
bool processorHasAvx2() {
  // Also checks that the operating system saves the 256-bit registers.
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

void pairSums(const double* x, std::int32_t n, double m, double& gradient,
              double& curvature) {
#if defined(QUORVANE_PLAIN_PAIR_SUMS)
  pairSumsPlain(x, n, m, gradient, curvature);
#elif QUORVANE_HAVE_AVX2_PAIR_SUMS
  if (processorHasAvx2()) {
    pairSumsAvx2(x, n, m, gradient, curvature);
  } else {
    pairSumsSse2(x, n, m, gradient, curvature);
  }
#elif QUORVANE_HAVE_VECTOR_PAIR_SUMS
  pairSumsSse2(x, n, m, gradient, curvature);
#elif QUORVANE_HAVE_NEON_PAIR_SUMS
  pairSumsNeon(x, n, m, gradient, curvature);
#else
  pairSumsPlain(x, n, m, gradient, curvature);
#endif
}

}  // namespace quorvane
