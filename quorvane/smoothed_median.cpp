#include "smoothed_median.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "convert.h"
#include "mex_api.h"
#include "pair_sums.h"

namespace quorvane {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// (a + b) * 0.5: the mean of the two middle values, and the bracket's
// midpoint. The plain form overflows when the sum passes the largest double;
// only then is the halved form used, so that every other result keeps the
// plain form's bits.
double midpoint(double a, double b) {
  const double mean = (a + b) * 0.5;
  if (std::isinf(mean) && std::isfinite(a) && std::isfinite(b)) {
    return 0.5 * a + 0.5 * b;
  }
  return mean;
}

}  // namespace

PreparedSlice prepareSlice(const double* x, std::int32_t i,
                           std::int32_t sliceCount, std::int32_t sliceLength,
                           int dim, std::optional<double> tol,
                           std::vector<double>& scratch) {
  // Gather and drop NaNs in one pass; the kept values stay in slice order.
  // The gateway has checked that every index fits 32 bits.
  for (std::int32_t j = 0; j < sliceLength; ++j) {
    const std::int32_t index =
        dim == kColumnWise ? i * sliceLength + j : i + sliceCount * j;
    const double value = x[index];
    if (!mxIsNaN(value)) scratch.push_back(value);
  }

  double* v = scratch.data();
  const auto n = static_cast<std::int32_t>(scratch.size());
  PreparedSlice slice{v, n, kNaN, kNaN, kNaN, kNaN};
  if (n > 0) {
    const double half = n * 0.5;
    const auto k = mexhost::truncateToInt<std::int32_t>(half);
    std::nth_element(v, v + k, v + n);

    // Below k: the minimum and the largest value under the middle; from k on:
    // the maximum. Strict comparisons keep the first extreme found.
    double lower = v[0];
    double belowMax = v[0];
    for (std::int32_t j = 1; j < k; ++j) {
      if (v[j] < lower) lower = v[j];
      if (belowMax < v[j]) belowMax = v[j];
    }
    double upper = v[k];
    for (std::int32_t j = k + 1; j < n; ++j) {
      if (upper < v[j]) upper = v[j];
    }
    slice.estimate = half == k ? midpoint(belowMax, v[k]) : v[k];
    slice.lower = k == 0 ? v[0] : lower;
    slice.upper = upper;
  }
  slice.tolerance = tol ? *tol : (slice.upper - slice.lower) * 0.0001;
  return slice;
}

double refineSmoothedMedian(const PreparedSlice& slice,
                            std::int32_t sliceNumber, int dim,
                            int* iterations) {
  int unused = 0;
  int& iteration = iterations ? *iterations : unused;
  iteration = 0;
  double m = slice.estimate;
  double lower = slice.lower;
  double upper = slice.upper;
  const double tolerance = slice.tolerance;
  // Every test is a plain IEEE comparison: a NaN never satisfies one.
  if (upper - lower <= tolerance) return m;

  for (iteration = 1;; ++iteration) {
    double gradient = 0.0;
    double curvature = 0.0;
    pairSums(slice.values, slice.n, m, gradient, curvature);
    const double ratio = gradient / curvature;
    if (std::fabs(ratio) <= tolerance) return m;

    // The new end lies one tolerance beyond m; this may invert the bracket,
    // which the width test below then ends.
    if (ratio < 0.0) {
      lower = m + tolerance;
    } else if (ratio > 0.0) {
      upper = m - tolerance;
    }
    const double proposal = m - ratio;
    if (lower < proposal && proposal < upper) {
      m = proposal;
    } else {
      m = midpoint(upper, lower);
    }

    if (iteration == kMaxIterations) {
      mexPrintf(dim == kColumnWise
                    ? "warning: Root finding failed to reach tolerance for "
                      "column %d \n"
                    : "warning: Root finding failed to reach tolerance for "
                      "row %d \n",
                sliceNumber);
      return m;
    }
    if (upper - lower <= tolerance) return m;
  }
}

}  // namespace quorvane
