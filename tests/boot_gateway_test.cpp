// boot through its module: messages in their order, resamples, balance,
// leave-one-out, SEED and ownership.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "balanced_resampling.h"
#include "harness.h"
#include "random_source.h"

using harness::argsOf;
using harness::Array;
using harness::CallResult;
using harness::kInf;
using harness::kNaN;

namespace {

const harness::Module& module() {
  static const harness::Module m(BOOT_MODULE);
  return m;
}

CallResult run(const std::vector<Array>& in, int nlhs = 1) {
  return harness::run(module(), in, nlhs);
}

Array s(double v) { return harness::scalar(v); }
Array e() { return harness::empty(); }
Array yes() { return harness::logical(true); }

struct MessageCase {
  const char* name;
  std::function<std::vector<Array>()> inputs;
  int nlhs;
  const char* message;
  bool outputMade;  // failed after the output was created (steps 19 to 24)
};

// Test values print as their names (GoogleTest would dump raw bytes).
void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

const MessageCase kCases[] = {
    {"OneInput", [] { return argsOf(s(5)); }, 1,
     "At least two input arguments are required.", false},
    {"SixInputs", [] { return argsOf(s(5), s(3), e(), e(), e(), e()); }, 1,
     "Too many input arguments.", false},
    {"ComplexN", [] { return argsOf(harness::complexScalar(5, 1), s(3)); }, 1,
     "The first input argument (N) cannot contain an imaginary part.", false},
    {"SingleN",
     [] {
       return argsOf(harness::ofClass(mxSINGLE_CLASS, {1, 1}), s(3));
     },
     1, "The first input argument (N or X) must be of type double.", false},
    {"Int32N",
     [] {
       return argsOf(harness::ofClass(mxINT32_CLASS, {1, 1}), s(3));
     },
     1, "The first input argument (N or X) must be of type double.", false},
    {"EmptyN", [] { return argsOf(e(), s(3)); }, 1,
     "The first input argument (N or X) cannot be empty.", false},
    {"SparseN",
     [] {
       return argsOf(harness::sparse({1, 1}, 1), s(3));
     },
     1, "The first input argument (N or X) cannot be sparse.", false},
    {"FractionN", [] { return argsOf(s(2.5), s(10)); }, 1,
     "The value of the first input argument (N) must be a positive integer.",
     false},
    {"ZeroN", [] { return argsOf(s(0), s(10)); }, 1,
     "The value of the first input argument (N) must be a positive integer.",
     false},
    {"NegativeN", [] { return argsOf(s(-3), s(10)); }, 1,
     "The value of the first input argument (N) must be a positive integer.",
     false},
    {"NaNN", [] { return argsOf(s(kNaN), s(10)); }, 1,
     "The value of the first input argument (N) must be a positive integer.",
     false},
    {"InfN", [] { return argsOf(s(kInf), s(10)); }, 1,
     "The value of the first input argument (N) must be a positive integer.",
     false},
    {"HugeN", [] { return argsOf(s(2147483648.0), s(1)); }, 1,
     "The value of the first input argument (N) must be a positive integer.",
     false},
    {"MatrixX",
     [] {
       return argsOf(harness::ofClass(mxCHAR_CLASS, {2, 3}), s(3));
     },
     1, "The first input argument must be either a scalar (N) or vector (X).",
     false},
    {"SingleX",
     [] {
       return argsOf(harness::ofClass(mxSINGLE_CLASS, {1, 3}), s(3));
     },
     1, "The first input argument (N or X) must be of type double.", false},
    {"SparseX",
     [] {
       return argsOf(harness::sparse({5, 1}, 1), s(3));
     },
     1, "The first input argument (N or X) cannot be sparse.", false},
    {"NbootTwoElements",
     [] {
       return argsOf(s(5), harness::row({1, 2}));
     },
     1, "The second input argument (NBOOT) must be scalar.", false},
    {"NbootInt32",
     [] {
       return argsOf(s(5), harness::ofClass(mxINT32_CLASS, {1, 1}));
     },
     1, "The second input argument (NBOOT) must be of type double.", false},
    {"NbootComplex", [] { return argsOf(s(5), harness::complexScalar(2, 1)); },
     1, "The second input argument (NBOOT) cannot contain an imaginary part.",
     false},
    {"NbootEmpty", [] { return argsOf(s(5), e()); }, 1,
     "The second input argument (NBOOT) cannot be empty.", false},
    {"NbootHalf", [] { return argsOf(s(5), s(0.5)); }, 1,
     "The second input argument (NBOOT) must be a positive integer.", false},
    {"NbootMinusOne", [] { return argsOf(s(5), s(-1)); }, 1,
     "The second input argument (NBOOT) must be a positive integer.", false},
    {"NbootNaN", [] { return argsOf(s(5), s(kNaN)); }, 1,
     "The second input argument (NBOOT) must be a positive integer.", false},
    {"NbootMinusInf", [] { return argsOf(s(5), s(-kInf)); }, 1,
     "The second input argument (NBOOT) must be a positive integer.", false},
    {"NbootInf", [] { return argsOf(s(5), s(kInf)); }, 1,
     "The second input argument (NBOOT) cannot be NaN or Inf.", false},
    {"LooDouble", [] { return argsOf(s(5), s(3), s(1)); }, 1,
     "The third input argument (LOO) must be a logical scalar value.", false},
    {"LooTwoLogicals",
     [] {
       return argsOf(s(5), s(3), harness::ofClass(mxLOGICAL_CLASS, {1, 2}));
     },
     1, "The third input argument (LOO) must be a logical scalar value.",
     false},
    {"SeedTwoElements",
     [] {
       return argsOf(s(5), s(3), e(), harness::row({1, 2}));
     },
     1, "The fourth input argument (SEED) must be a scalar value.", false},
    {"SeedInt32",
     [] {
       return argsOf(s(5), s(3), e(), harness::ofClass(mxINT32_CLASS, {1, 1}));
     },
     1, "The fourth input argument (SEED) must be of type double.", false},
    {"SeedNaN", [] { return argsOf(s(5), s(3), e(), s(kNaN)); }, 1,
     "The fourth input argument (SEED) cannot be NaN or Inf.", false},
    {"TwoOutputs", [] { return argsOf(s(5), s(3)); }, 2,
     "Too many output arguments.", false},
    {"ProductPast32Bits", [] { return argsOf(s(65536), s(32768)); }, 1,
     "N * NBOOT must not exceed 2147483647.", false},
    {"WeightsInt32",
     [] {
       return argsOf(s(3), s(2), e(), e(),
                     harness::ofClass(mxINT32_CLASS, {1, 3}));
     },
     1, "The fifth input argument (WEIGHTS) must be of type double.", true},
    {"WeightsComplex",
     [] {
       return argsOf(s(3), s(2), e(), e(),
                     harness::ofClass(mxDOUBLE_CLASS, {1, 3}, true));
     },
     1, "The fifth input argument (WEIGHTS) cannot contain an imaginary part.",
     true},
    {"WeightsTooMany",
     [] {
       return argsOf(s(3), s(2), e(), e(), harness::row({kNaN, -1, 2, 2}));
     },
     1, "WEIGHTS must be a vector of length N or be the same length as X.",
     true},
    {"WeightsSparse",
     [] {
       return argsOf(s(3), s(2), e(), e(), harness::sparse({1, 3}, 1));
     },
     1, "The fifth input argument (WEIGHTS) cannot be sparse.", true},
    {"WeightsNaNFirst",
     [] {
       return argsOf(s(3), s(2), e(), e(), harness::row({kNaN, -1, 2}));
     },
     1, "The fifth input argument (WEIGHTS) cannot contain NaN or Inf.", true},
    {"WeightsNegativeFirst",
     [] {
       return argsOf(s(3), s(2), e(), e(), harness::row({-1, kNaN, 2}));
     },
     1,
     "The fifth input argument (WEIGHTS) must contain only positive integers.",
     true},
    {"WeightsBadSum",
     [] {
       return argsOf(s(3), s(2), e(), e(), harness::row({2, 2, 3}));
     },
     1, "The elements of WEIGHTS must sum to N * NBOOT.", true},
    // Truncated to int64 these wrap their sum onto exactly N * NBOOT.
    {"WeightsSumOverflow",
     [] {
       return argsOf(
           s(3), s(1), e(), e(),
           harness::row({9223372036854775808.0, 9223372036854775808.0, 5}));
     },
     1, "The elements of WEIGHTS must sum to N * NBOOT.", true},
};

class Messages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(Messages, RaisesItsMessageAndLeaksNothing) {
  const MessageCase& c = GetParam();
  const CallResult r = run(c.inputs(), c.nlhs);
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.message, c.message);
  // An output made before the failure is left with the host.
  EXPECT_EQ(r.out != nullptr, c.outputMade);
  EXPECT_EQ(r.leaked, 0);
}

INSTANTIATE_TEST_SUITE_P(Boot, Messages, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<MessageCase>& i) {
                           return std::string(i.param.name);
                         });

std::vector<double> resamples(const std::vector<Array>& in,
                              std::vector<std::size_t>* dims = nullptr) {
  const CallResult r = run(in);
  EXPECT_FALSE(r.failed) << r.message;
  EXPECT_EQ(r.leaked, 0);
  if (r.out == nullptr) return {};
  if (dims) *dims = harness::dimsOf(r.out.get());
  return harness::valuesOf(r.out.get());
}

std::map<double, int> tally(const std::vector<double>& v) {
  std::map<double, int> t;
  for (double x : v) ++t[x];
  return t;
}

TEST(Resamples, ExactColumnsWhateverTheSeed) {
  for (double seed : {0.0, 1.0, 42.0, 123456.0}) {
    EXPECT_EQ(resamples(argsOf(s(2), s(2), yes(), s(seed))),
              (std::vector<double>{2, 2, 1, 1}));
    const std::vector<double> v = resamples(argsOf(s(2), s(3), yes(), s(seed)));
    EXPECT_EQ(std::vector<double>(v.begin(), v.begin() + 4),
              (std::vector<double>{2, 2, 1, 1}));
    EXPECT_EQ(tally({v[4], v[5]}), (std::map<double, int>{{1, 1}, {2, 1}}));
    EXPECT_EQ(resamples(argsOf(s(1), s(4), yes(), s(seed))),
              (std::vector<double>{1, 1, 1, 1}));
  }
}

TEST(Resamples, ShapesAndForms) {
  std::vector<std::size_t> dims;
  resamples(argsOf(s(7), s(2.9)), &dims);
  EXPECT_EQ(dims, (std::vector<std::size_t>{7, 2}));
  resamples(argsOf(harness::ofClass(mxDOUBLE_CLASS, {1, 1, 5}), s(3)), &dims);
  EXPECT_EQ(dims, (std::vector<std::size_t>{5, 3}));
  EXPECT_EQ(resamples(argsOf(s(7), s(10), e(), s(5))),
            resamples(argsOf(harness::column({7}), s(10), e(), s(5))));
  // Extra empty arguments mean the defaults.
  EXPECT_EQ(resamples(argsOf(s(6), s(4), e(), s(8), e())),
            resamples(argsOf(s(6), s(4), harness::logical(false), s(8))));
}

TEST(Resamples, BalancedWithAndWithoutLooAndWeights) {
  for (bool loo : {false, true}) {
    for (int nboot : {2, 5, 9, 20, 23}) {
      const std::vector<double> v =
          resamples(argsOf(s(9), s(nboot), harness::logical(loo)));
      for (const auto& [obs, count] : tally(v)) EXPECT_EQ(count, nboot) << obs;
      EXPECT_EQ(tally(v).size(), 9u);
    }
    const std::vector<double> w =
        resamples(argsOf(s(4), s(3), harness::logical(loo), e(),
                         harness::row({5, 0, 6.9, 1.2})));
    EXPECT_EQ(tally(w), (std::map<double, int>{{1, 5}, {3, 6}, {4, 1}}));
  }
  EXPECT_EQ(tally(resamples(argsOf(s(3), s(2), harness::logical(false), e(),
                                   harness::row({3, 3, 0})))),
            (std::map<double, int>{{1, 3}, {2, 3}}));
}

TEST(Resamples, LeaveOneOutRotation) {
  const int n = 6;
  for (int c : {1, 3}) {
    const std::vector<double> v =
        resamples(argsOf(s(n), s(c * n), yes(), s(c)));
    // The last resample may put its held-out observation back (the escape,
    // when only its units are left), so it is not checked.
    for (int b = 0; b + 1 < c * n; ++b) {
      const double held = b % n + 1;
      for (int k = 0; k < n; ++k) EXPECT_NE(v[k + n * b], held) << b;
    }
  }
}

// A host that cannot allocate the output ends the call itself; nothing of
// the call may be left behind.
TEST(Resamples, HostOutOfMemoryEndsTheCallCleanly) {
  standin::setCreationLimit(std::size_t{1} << 20);
  const CallResult r = run(argsOf(s(1000), s(1000)));
  standin::setCreationLimit(~std::size_t{0});
  EXPECT_TRUE(r.failed);
  EXPECT_EQ(r.message, "Out of memory.");
  EXPECT_EQ(r.out, nullptr);
  EXPECT_EQ(r.leaked, 0);
}

TEST(Resamples, SingleResampleDrawsWithReplacement) {
  bool repeats = false;
  for (int seed = 0; seed < 20; ++seed) {
    const std::vector<double> v = resamples(argsOf(s(8), s(1), e(), s(seed)));
    for (double x : v) EXPECT_TRUE(x >= 1 && x <= 8 && x == std::floor(x));
    repeats |= tally(v).size() < 8;
    // With LOO one observation is missing.
    EXPECT_LT(tally(resamples(argsOf(s(8), s(1), yes(), s(seed)))).size(), 8u);
  }
  EXPECT_TRUE(repeats);
}

TEST(Resamples, VectorFormCopiesValues) {
  const std::vector<double> x = {2.5, kNaN, -kInf, 1e300};
  const std::vector<double> v = resamples(argsOf(harness::row(x), s(3)));
  int nans = 0;
  std::map<double, int> others;
  for (double value : v) {
    if (std::isnan(value))
      ++nans;
    else
      ++others[value];
  }
  EXPECT_EQ(nans, 3);
  EXPECT_EQ(others, (std::map<double, int>{{2.5, 3}, {-kInf, 3}, {1e300, 3}}));
}

TEST(Seed, FixesTheResamples) {
  const auto call = [](double seed) {
    return resamples(argsOf(s(12), s(30), yes(), s(seed)));
  };
  EXPECT_EQ(call(17), call(17));
  EXPECT_NE(call(17), call(18));
  EXPECT_EQ(call(3.7), call(3));
  EXPECT_EQ(call(-2), call(0));
  EXPECT_EQ(call(4294967296.0 + 5), call(4294967295.0));
  EXPECT_NE(resamples(argsOf(s(12), s(30))), resamples(argsOf(s(12), s(30))));
}

TEST(Seed, GivesTheResamplesOfTheFirstRandAfterSrand) {
  std::srand(31);
  boot::Engine engine(static_cast<std::uint32_t>(std::rand()));
  std::vector<std::int64_t> counts(10, 7);
  std::vector<double> expected(70);
  boot::fillBalancedResamples(10, 7, true, nullptr, expected.data(), counts, 70,
                              engine);
  EXPECT_EQ(resamples(argsOf(s(10), s(7), yes(), s(31))), expected);
}

TEST(Seed, ReseedingSurvivesALaterFailure) {
  const CallResult r = run(argsOf(s(5), s(3), e(), s(77)), 2);
  EXPECT_EQ(r.message, "Too many output arguments.");
  const int next = std::rand();
  std::srand(77);
  EXPECT_EQ(next, std::rand());
  // And a failed call does not break the next one.
  EXPECT_EQ(resamples(argsOf(s(5), s(3), e(), s(77))),
            resamples(argsOf(s(5), s(3), e(), s(77))));
}

}  // namespace
