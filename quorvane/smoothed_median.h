// The smoothed median of one slice (Brown, Hall and Young, Biometrika 2001):
// the m that minimises S(m) = sum over pairs l < k of
// sqrt((x_l - m)^2 + (x_k - m)^2), found as the zero of S' by Newton steps
// kept inside a shrinking bracket.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quorvane {

constexpr int kColumnWise = 1;
constexpr int kRowWise = 2;
constexpr int kMaxIterations = 25;

// The starting point of the refinement of one slice.
struct PreparedSlice {
  const double* values;  // the non-NaN values, in the order selection left
  std::int32_t n;
  double estimate;  // ordinary median
  double lower;     // smallest value
  double upper;     // largest value
  double tolerance;
};

// Gathers slice i of the column-major data x into scratch (whose capacity must
// be at least sliceLength), drops NaNs and takes median, bracket and
// tolerance. tol is the caller's TOL, or empty for the per-slice default.
PreparedSlice prepareSlice(const double* x, std::int32_t i,
                           std::int32_t sliceCount, std::int32_t sliceLength,
                           int dim, std::optional<double> tol,
                           std::vector<double>& scratch);

// Moves the estimate to the smoothed median; prints the warning for slice
// sliceNumber (1-based) when 25 iterations do not reach the tolerance.
// iterations, when given, receives the number of pair-sum evaluations.
double refineSmoothedMedian(const PreparedSlice& slice,
                            std::int32_t sliceNumber, int dim,
                            int* iterations = nullptr);

}  // namespace quorvane
