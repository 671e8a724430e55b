// The blocked pair sums over a vector type, included by one source file per
// instruction set so that each is compiled for its own target. Internal
// linkage only: nothing here may be shared between those files.
#pragma once

#include <cstdint>

namespace quorvane {
namespace {

// The terms of the pair (xl, xk) at m, where dk2 = (xk - m)^2 and
// twoM = 2m. A pair with R = 0 gives -0.0, which leaves every sum unchanged
// (x + -0.0 is x for every x), exactly as skipping it does.
inline void pairTerm(double xl, double xk, double m, double twoM, double dk2,
                     double& g, double& c) {
  const double dl = xl - m;
  const double r = dl * dl + dk2;
  if (r == 0.0) {
    g = -0.0;
    c = -0.0;
    return;
  }
  const double s = __builtin_sqrt(r);
  const double d = xl - xk;
  g = ((twoM - xl) - xk) / s;
  c = (d * d * s) / (r * r);
}

// Pairs per block: small enough that the additions of one block overlap the
// divisions of the next in the processor's reorder window.
constexpr std::int32_t kBlock = 16;

// V supplies the vector type and its operations; every lane performs the same
// IEEE operations in the same order as pairTerm.
template <class V>
void blockedPairSums(const double* x, std::int32_t n, double m,
                     double& gradient, double& curvature) {
  alignas(32) double gt[kBlock];
  alignas(32) double ct[kBlock];
  const double twoM = 2.0 * m;
  const typename V::Vec vm = V::set1(m);
  const typename V::Vec vtwoM = V::set1(twoM);
  double g = 0.0;
  double c = 0.0;
  for (std::int32_t k = 1; k < n; ++k) {
    const double xk = x[k];
    const double dk = xk - m;
    const double dk2 = dk * dk;
    const typename V::Vec vxk = V::set1(xk);
    const typename V::Vec vdk2 = V::set1(dk2);
    for (std::int32_t l0 = 0; l0 < k; l0 += kBlock) {
      const std::int32_t count = k - l0 < kBlock ? k - l0 : kBlock;
      const double* xb = x + l0;
      std::int32_t j = 0;
      for (; j + V::kWidth <= count; j += V::kWidth) {
        const typename V::Vec xl = V::load(xb + j);
        const typename V::Vec dl = V::sub(xl, vm);
        const typename V::Vec r = V::add(V::mul(dl, dl), vdk2);
        const typename V::Vec s = V::sqrt(r);
        const typename V::Vec d = V::sub(xl, vxk);
        const typename V::Vec skip = V::isZero(r);
        V::store(gt + j, V::negZeroWhere(
                             skip, V::div(V::sub(V::sub(vtwoM, xl), vxk), s)));
        V::store(ct + j, V::negZeroWhere(skip, V::div(V::mul(V::mul(d, d), s),
                                                      V::mul(r, r))));
      }
      for (; j < count; ++j) pairTerm(xb[j], xk, m, twoM, dk2, gt[j], ct[j]);
      for (j = 0; j < count; ++j) {
        g += gt[j];
        c += ct[j];
      }
    }
  }
  gradient = g;
  curvature = c;
}

}  // namespace
}  // namespace quorvane
