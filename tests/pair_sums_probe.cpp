// A test bundle for the arm64 emulator: the plain and the NEON pair sums
// behind plain C entry points, so that the emulator can compare them bit for
// bit on the arm64 code the delivered bundles carry.
#include <cstdint>

#include "pair_sums.h"

extern "C" {

void pairSumsPlainProbe(const double* x, std::int32_t n, double m,
                        double* gradient, double* curvature) {
  quorvane::pairSumsPlain(x, n, m, *gradient, *curvature);
}

void pairSumsNeonProbe(const double* x, std::int32_t n, double m,
                       double* gradient, double* curvature) {
  quorvane::pairSumsNeon(x, n, m, *gradient, *curvature);
}

}  // extern "C"
