// The routines of quorvane called directly: slice preparation, and the
// refinement against an independent brute-force minimiser.
#include "smoothed_median.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <vector>

#include "standin.h"

namespace {

using quorvane::kColumnWise;
using quorvane::kRowWise;
using quorvane::PreparedSlice;
using quorvane::prepareSlice;
using quorvane::refineSmoothedMedian;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

PreparedSlice prepareColumn(const std::vector<double>& values,
                            std::optional<double> tol,
                            std::vector<double>& scratch) {
  scratch.clear();
  scratch.reserve(values.size());
  return prepareSlice(values.data(), 0, 1,
                      static_cast<std::int32_t>(values.size()), kColumnWise,
                      tol, scratch);
}

struct PrepareCase {
  std::vector<double> values;
  std::optional<double> tol;
  std::int32_t n;
  double estimate, lower, upper, tolerance;
};

TEST(PrepareSlice, MedianBracketAndTolerance) {
  const PrepareCase cases[] = {
      {{5, 1, 3}, {}, 3, 3, 1, 5, 4 * 0.0001},
      {{4, 1, 3, 2}, {}, 4, 2.5, 1, 4, 3 * 0.0001},
      {{7.5}, {}, 1, 7.5, 7.5, 7.5, 0},
      {{2, 9}, {}, 2, 5.5, 2, 9, 7 * 0.0001},
      {{kNaN, 3, 1}, {}, 2, 2, 1, 3, 2 * 0.0001},
      {{1, 2, kInf}, {}, 3, 2, 1, kInf, kInf},
      {{-kInf, 0, 1, kInf}, {}, 4, 0.5, -kInf, kInf, kInf},
      {{4, 4, 4}, {}, 3, 4, 4, 4, 0},
      {{5, 1, 3}, 0.5, 3, 3, 1, 5, 0.5},
      {{1.7e308, 1.7e308}, {}, 2, 1.7e308, 1.7e308, 1.7e308, 0},
      {{-1.7e308, -1.7e308}, {}, 2, -1.7e308, -1.7e308, -1.7e308, 0},
      {{1.7e308, 1.5e308, -1e308, 1.6e308},
       {},
       4,
       1.55e308,
       -1e308,
       1.7e308,
       (1.7e308 - -1e308) * 0.0001},
  };
  std::vector<double> scratch;
  for (const PrepareCase& c : cases) {
    const PreparedSlice s = prepareColumn(c.values, c.tol, scratch);
    EXPECT_EQ(s.n, c.n);
    EXPECT_EQ(s.estimate, c.estimate);
    EXPECT_EQ(s.lower, c.lower);
    EXPECT_EQ(s.upper, c.upper);
    EXPECT_DOUBLE_EQ(s.tolerance, c.tolerance);
    EXPECT_EQ(s.values, scratch.data());
  }
}

TEST(PrepareSlice, EvenMeanKeepsPlainBitsWhenNoOverflow) {
  std::vector<double> scratch;
  const double tiny = std::numeric_limits<double>::denorm_min();
  // (a + b) * 0.5 and 0.5 * a + 0.5 * b differ for these; the plain form holds.
  const PreparedSlice s = prepareColumn({tiny, 2 * tiny}, {}, scratch);
  EXPECT_EQ(s.estimate, (tiny + 2 * tiny) * 0.5);
}

TEST(PrepareSlice, AllNaNGivesNaNStart) {
  std::vector<double> scratch;
  for (std::optional<double> tol :
       {std::optional<double>{}, std::optional<double>{0.5}}) {
    const PreparedSlice s = prepareColumn({kNaN, kNaN, kNaN}, tol, scratch);
    EXPECT_EQ(s.n, 0);
    EXPECT_TRUE(std::isnan(s.estimate));
    EXPECT_TRUE(std::isnan(s.lower));
    EXPECT_TRUE(std::isnan(s.upper));
    EXPECT_EQ(std::isnan(s.tolerance), !tol);
  }
}

TEST(PrepareSlice, GathersColumnsAndRowsFromTheRightIndices) {
  // Each element holds its own index in a 3 x 4 matrix.
  std::vector<double> x(12);
  for (int i = 0; i < 12; ++i) x[i] = i;
  std::vector<double> scratch;
  scratch.reserve(4);
  const double* before = scratch.data();

  const PreparedSlice row =
      prepareSlice(x.data(), 1, 3, 4, kRowWise, {}, scratch);
  std::vector<double> got(row.values, row.values + row.n);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<double>{1, 4, 7, 10}));
  EXPECT_EQ(scratch.data(), before);  // no reallocation

  scratch.clear();
  const PreparedSlice col =
      prepareSlice(x.data(), 2, 4, 3, kColumnWise, {}, scratch);
  got.assign(col.values, col.values + col.n);
  std::sort(got.begin(), got.end());
  EXPECT_EQ(got, (std::vector<double>{6, 7, 8}));
  EXPECT_EQ(scratch.data(), before);
}

// S'(m) in extended precision, summed by a different route than the module's.
long double referenceGradient(const std::vector<double>& x, long double m) {
  long double g = 0;
  for (std::size_t a = 0; a < x.size(); ++a) {
    for (std::size_t b = a + 1; b < x.size(); ++b) {
      const long double da = x[a] - m;
      const long double db = x[b] - m;
      const long double r = std::sqrt(da * da + db * db);
      if (r > 0) g -= (da + db) / r;
    }
  }
  return g;
}

// The minimiser of the convex S: the zero of S', found by bisection.
double bruteForceMinimiser(const std::vector<double>& x) {
  long double lo = *std::min_element(x.begin(), x.end());
  long double hi = *std::max_element(x.begin(), x.end());
  for (int i = 0; i < 200 && hi - lo > 0; ++i) {
    const long double mid = (lo + hi) / 2;
    if (mid <= lo || mid >= hi) break;
    (referenceGradient(x, mid) < 0 ? lo : hi) = mid;
  }
  return static_cast<double>((lo + hi) / 2);
}

TEST(RefineSmoothedMedian, LiesWithinToleranceOfTheTrueMinimiser) {
  std::mt19937 random(20261209);
  std::normal_distribution<double> normal(10, 3);
  std::exponential_distribution<double> skewed(0.5);
  std::uniform_int_distribution<int> ties(0, 4);
  std::vector<double> scratch;
  int checked = 0;
  for (int n : {2, 3, 4, 5, 10, 31, 100, 101}) {
    for (int kind = 0; kind < 3; ++kind) {
      for (int rep = 0; rep < 5; ++rep) {
        std::vector<double> x(static_cast<std::size_t>(n));
        for (double& v : x) {
          v = kind == 0   ? normal(random)
              : kind == 1 ? skewed(random)
                          : ties(random);
        }
        if (*std::min_element(x.begin(), x.end()) ==
            *std::max_element(x.begin(), x.end()))
          continue;
        const PreparedSlice s = prepareColumn(x, {}, scratch);
        const double result = refineSmoothedMedian(s, 1, kColumnWise);
        const double truth = bruteForceMinimiser(x);
        // Within two tolerances, not one: the convergence test returns the
        // estimate before its last Newton correction (up to one tolerance),
        // and a bracket end set one tolerance beyond m can pass the root.
        EXPECT_LE(std::fabs(result - truth), 2 * s.tolerance)
            << "n=" << n << " kind=" << kind << " rep=" << rep;
        EXPECT_EQ(standin::takePrinted(), "");
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 100);
}

TEST(RefineSmoothedMedian, WorkedExamplesAndTheirEvaluationCounts) {
  struct Case {
    std::vector<double> x;
    std::optional<double> tol;
    int evaluations;  // iteration of the stopping test, 0 when none runs
  };
  const Case cases[] = {{{0, 1, 10}, {}, 4},   {{1, 2, 3, 100}, {}, 3},
                        {{0, 1, 10}, 10.0, 0}, {{1, 2, 3}, {}, 1},
                        {{2, 9}, {}, 1},       {{0, 1, 10}, 0.0, 25}};
  std::vector<double> scratch;
  for (const Case& c : cases) {
    const PreparedSlice s = prepareColumn(c.x, c.tol, scratch);
    int evaluations = -1;
    const double result = refineSmoothedMedian(s, 1, kColumnWise, &evaluations);
    EXPECT_EQ(evaluations, c.evaluations) << c.x.size() << " values";
    if (c.evaluations > 0 && c.evaluations < 25) {
      EXPECT_LE(std::fabs(result - bruteForceMinimiser(c.x)), s.tolerance);
    }
  }
  standin::takePrinted();
}

// Found by the fuzzer: the pair sums overflow to NaN at these magnitudes, every
// iteration takes the midpoint, and upper + lower overflowed to Inf.
TEST(RefineSmoothedMedian, MidpointOfHugeBracketStaysFinite) {
  std::vector<double> scratch;
  const PreparedSlice s = prepareColumn({1e308, 1.7e308}, {}, scratch);
  standin::takePrinted();
  const double result = refineSmoothedMedian(s, 1, kColumnWise);
  EXPECT_EQ(result, 0.5 * 1.7e308 + 0.5 * 1e308);
  EXPECT_EQ(standin::takePrinted(),
            "warning: Root finding failed to reach tolerance for column 1 \n");
}

TEST(RefineSmoothedMedian, RangeWithinToleranceKeepsTheMedian) {
  std::vector<double> scratch;
  const PreparedSlice s = prepareColumn({0, 1, 10}, 10.0, scratch);
  EXPECT_EQ(refineSmoothedMedian(s, 1, kColumnWise), 1);
}

TEST(RefineSmoothedMedian, WarningCarriesSliceNumberAndDirection) {
  std::vector<double> scratch;
  const PreparedSlice s = prepareColumn({0, 1, 10}, 0.0, scratch);
  standin::takePrinted();
  const double col = refineSmoothedMedian(s, 7, kColumnWise);
  EXPECT_EQ(standin::takePrinted(),
            "warning: Root finding failed to reach tolerance for column 7 \n");
  const double row = refineSmoothedMedian(s, 12, kRowWise);
  EXPECT_EQ(standin::takePrinted(),
            "warning: Root finding failed to reach tolerance for row 12 \n");
  EXPECT_EQ(col, row);
  EXPECT_GT(col, 2.60);
  EXPECT_LT(col, 2.61);
}

}  // namespace
