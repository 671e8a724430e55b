// S'(m) and S''(m) of the smoothed-median objective: one term pair per value
// pair, summed in the order k = 1..n-1, l = 0..k-1.
#pragma once

#include <cstdint>

namespace quorvane {

// The fastest evaluation this processor supports; same bits as the plain loop.
void pairSums(const double* x, std::int32_t n, double m, double& gradient,
              double& curvature);

// One term per pair and one addition at a time: the reference.
void pairSumsPlain(const double* x, std::int32_t n, double m, double& gradient,
                   double& curvature);

#if defined(__x86_64__) || defined(__i386__)
#define QUORVANE_HAVE_VECTOR_PAIR_SUMS 1
// The terms of a block of pairs in 128-bit vectors, then added one by one in
// pair order, so the sums keep the plain loop's bits.
void pairSumsSse2(const double* x, std::int32_t n, double m, double& gradient,
                  double& curvature);
#endif

#if defined(__x86_64__)
// The same in 256-bit vectors, where the processor has AVX2. The 32-bit
// Windows module keeps to SSE2: no run-time choice, no state of its own.
#define QUORVANE_HAVE_AVX2_PAIR_SUMS 1
void pairSumsAvx2(const double* x, std::int32_t n, double m, double& gradient,
                  double& curvature);
bool processorHasAvx2();
#endif

#if defined(__aarch64__)
// The same in 128-bit NEON vectors (the macOS arm64 bundles).
#define QUORVANE_HAVE_NEON_PAIR_SUMS 1
void pairSumsNeon(const double* x, std::int32_t n, double m, double& gradient,
                  double& curvature);
#endif

}  // namespace quorvane
