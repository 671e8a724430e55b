// The pair sums in 128-bit NEON vectors: every arm64 processor has them.
#include "pair_sums.h"

#if QUORVANE_HAVE_NEON_PAIR_SUMS

#include <arm_neon.h>

#include "pair_sums_kernel.h"

namespace quorvane {
namespace {

struct Neon {
  using Vec = float64x2_t;
  static constexpr std::int32_t kWidth = 2;
  static Vec set1(double v) { return vdupq_n_f64(v); }
  static Vec load(const double* p) { return vld1q_f64(p); }
  static void store(double* p, Vec v) { vst1q_f64(p, v); }
  static Vec add(Vec a, Vec b) { return vaddq_f64(a, b); }
  static Vec sub(Vec a, Vec b) { return vsubq_f64(a, b); }
  static Vec mul(Vec a, Vec b) { return vmulq_f64(a, b); }
  static Vec div(Vec a, Vec b) { return vdivq_f64(a, b); }
  static Vec sqrt(Vec a) { return vsqrtq_f64(a); }
  // All ones where a is +0 or -0 (false for NaN, as r == 0.0 is).
  static Vec isZero(Vec a) { return vreinterpretq_f64_u64(vceqzq_f64(a)); }
  static Vec negZeroWhere(Vec mask, Vec v) {
    return vbslq_f64(vreinterpretq_u64_f64(mask), vdupq_n_f64(-0.0), v);
  }
};

}  // namespace

void pairSumsNeon(const double* x, std::int32_t n, double m, double& gradient,
                  double& curvature) {
  blockedPairSums<Neon>(x, n, m, gradient, curvature);
}

}  // namespace quorvane

#endif  // QUORVANE_HAVE_NEON_PAIR_SUMS
