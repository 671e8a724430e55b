// quorvane through its module, as the host calls it: messages in their order,
// output shapes, warnings, worked values and ownership.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "harness.h"
#include "messages.h"

using harness::argsOf;
using harness::Array;
using harness::CallResult;
using harness::kInf;
using harness::kNaN;

namespace {

const harness::Module& module() {
  static const harness::Module m(QUORVANE_MODULE);
  return m;
}

const harness::Module& module700() {
  static const harness::Module m(QUORVANE_700_MODULE);
  return m;
}

// Calls quorvane with owned arrays.
CallResult run(const std::vector<Array>& in, int nlhs = 1,
               const harness::Module& m = module()) {
  return harness::run(m, in, nlhs);
}

Array x43() {
  return harness::doubles({4, 3}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
}

using namespace messages::quorvane;

struct MessageCase {
  const char* name;
  std::function<std::vector<Array>()> inputs;
  const char* message;
};

// Test values print as their names (GoogleTest would dump raw bytes).
void PrintTo(const MessageCase& c, std::ostream* os) { *os << c.name; }

Array big(std::vector<std::size_t> dims) {
  return Array(standin::createUnbacked(dims.size(), dims.data()));
}

const MessageCase kMessageCases[] = {
    {"NoInputs", [] { return argsOf(); }, kOneInput},
    {"CharX",
     [] {
       return argsOf(harness::ofClass(mxCHAR_CLASS, {1, 3}));
     },
     kXType},
    {"LogicalX", [] { return argsOf(harness::logical(true)); }, kXType},
    {"SingleX",
     [] {
       return argsOf(harness::ofClass(mxSINGLE_CLASS, {2, 2}));
     },
     kXType},
    {"Int32X",
     [] {
       return argsOf(harness::ofClass(mxINT32_CLASS, {2, 2}));
     },
     kXType},
    {"EmptyCharX", [] { return argsOf(harness::empty(mxCHAR_CLASS)); }, kXType},
    {"ComplexX", [] { return argsOf(harness::complexScalar(1, 2)); }, kXImag},
    // Type comes before the imaginary part.
    {"ComplexSingleX",
     [] {
       return argsOf(harness::ofClass(mxSINGLE_CLASS, {1, 1}, true));
     },
     kXType},
    {"SparseX",
     [] {
       return argsOf(harness::sparse({4, 3}, 2));
     },
     kXSparse},
    {"ComplexXBeforeBadDim",
     [] { return argsOf(harness::complexScalar(1, 2), harness::scalar(7)); },
     kXImag},
    {"DimTwoElements",
     [] {
       return argsOf(x43(), harness::row({1, 2}));
     },
     kDimScalar},
    // Size comes before class, class before the imaginary part.
    {"DimCharTwoElements",
     [] {
       return argsOf(x43(), harness::ofClass(mxCHAR_CLASS, {1, 2}));
     },
     kDimScalar},
    {"DimInt32One",
     [] {
       return argsOf(x43(), harness::ofClass(mxINT32_CLASS, {1, 1}));
     },
     kDimType},
    {"DimComplexInt32",
     [] {
       return argsOf(x43(), harness::ofClass(mxINT32_CLASS, {1, 1}, true));
     },
     kDimType},
    {"DimLogical", [] { return argsOf(x43(), harness::logical(true)); },
     kDimType},
    {"DimComplex", [] { return argsOf(x43(), harness::complexScalar(1, 1)); },
     kDimImag},
    {"DimPointFive", [] { return argsOf(x43(), harness::scalar(0.5)); },
     kDimValue},
    {"DimPointNineNine", [] { return argsOf(x43(), harness::scalar(0.99)); },
     kDimValue},
    {"DimZero", [] { return argsOf(x43(), harness::scalar(0)); }, kDimValue},
    {"DimThree", [] { return argsOf(x43(), harness::scalar(3)); }, kDimValue},
    {"DimMinusOne", [] { return argsOf(x43(), harness::scalar(-1)); },
     kDimValue},
    {"DimNaN", [] { return argsOf(x43(), harness::scalar(kNaN)); }, kDimValue},
    {"DimInf", [] { return argsOf(x43(), harness::scalar(kInf)); }, kDimValue},
    {"DimMinusInf", [] { return argsOf(x43(), harness::scalar(-kInf)); },
     kDimValue},
    {"DimHuge", [] { return argsOf(x43(), harness::scalar(4294967297.0)); },
     kDimValue},
    // DIM is checked in full before a one-row X overrides it.
    {"RowVectorBadDim",
     [] {
       return argsOf(harness::row({1, 2, 3}), harness::scalar(3));
     },
     kDimValue},
    {"BadDimBeforeBadTol",
     [] { return argsOf(x43(), harness::scalar(3), harness::scalar(-1)); },
     kDimValue},
    {"TolTwoElements",
     [] {
       return argsOf(x43(), harness::scalar(1), harness::row({1, 2}));
     },
     kTolScalar},
    {"TolAfterEmptyDim",
     [] {
       return argsOf(x43(), harness::empty(), harness::row({1, 2}));
     },
     kTolScalar},
    {"TolAfterEmptyCharDim",
     [] {
       return argsOf(x43(), harness::empty(mxCHAR_CLASS),
                     harness::scalar(kNaN));
     },
     kTolFinite},
    {"TolInt32",
     [] {
       return argsOf(x43(), harness::empty(),
                     harness::ofClass(mxINT32_CLASS, {1, 1}));
     },
     kTolType},
    {"TolComplex",
     [] {
       return argsOf(x43(), harness::empty(), harness::complexScalar(1, 1));
     },
     kTolImag},
    {"TolNaN",
     [] { return argsOf(x43(), harness::empty(), harness::scalar(kNaN)); },
     kTolFinite},
    {"TolInf",
     [] { return argsOf(x43(), harness::empty(), harness::scalar(kInf)); },
     kTolFinite},
    // Finiteness comes before the sign.
    {"TolMinusInf",
     [] { return argsOf(x43(), harness::empty(), harness::scalar(-kInf)); },
     kTolFinite},
    {"TolNegative",
     [] { return argsOf(x43(), harness::empty(), harness::scalar(-0.5)); },
     kTolSign},
    {"TolTiny",
     [] {
       return argsOf(
           x43(), harness::empty(),
           harness::scalar(-std::numeric_limits<double>::denorm_min()));
     },
     kTolSign},
    // Sizes past the 32-bit range, after every argument check.
    {"RowsPast32Bits",
     [] {
       return argsOf(big({std::size_t{1} << 31, 0}), harness::scalar(2));
     },
     kXSize},
    {"ColumnsPast32Bits",
     [] {
       return argsOf(big({0, std::size_t{1} << 31}));
     },
     kXSize},
    {"PagePast32Bits",
     [] {
       return argsOf(big({46341, 46341, 2}));
     },
     kXSize},
    {"BadTolBeforeSize",
     [] {
       return argsOf(big({46341, 46341}), harness::empty(),
                     harness::scalar(-1));
     },
     kTolSign},
};

class Messages : public ::testing::TestWithParam<MessageCase> {};

TEST_P(Messages, RaisesItsMessageAndCreatesNothing) {
  for (const harness::Module* m : {&module(), &module700()}) {
    // 32-bit hosts cannot hold arrays past the 32-bit range.
    if (m == &module700() && GetParam().message == kXSize) continue;
    const CallResult r = run(GetParam().inputs(), 1, *m);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.message, GetParam().message);
    EXPECT_EQ(r.out, nullptr);
    EXPECT_EQ(r.leaked, 0);
    EXPECT_EQ(r.printed, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Quorvane, Messages, ::testing::ValuesIn(kMessageCases),
                         [](const ::testing::TestParamInfo<MessageCase>& info) {
                           return std::string(info.param.name);
                         });

// Calls that must succeed; returns the result's values.
std::vector<double> succeed(const std::vector<Array>& in, int nlhs = 1) {
  const CallResult r = run(in, nlhs);
  EXPECT_FALSE(r.failed) << r.message;
  EXPECT_EQ(r.leaked, 0);
  if (r.out == nullptr) return {};
  return harness::valuesOf(r.out.get());
}

TEST(Arguments, EmptyDimOrTolOfAnyClassCountsAsAbsent) {
  const std::vector<double> expected = succeed(argsOf(x43()));
  for (mxClassID cls : {mxDOUBLE_CLASS, mxCHAR_CLASS, mxINT32_CLASS,
                        mxLOGICAL_CLASS, mxSINGLE_CLASS}) {
    EXPECT_EQ(succeed(argsOf(x43(), harness::empty(cls))), expected);
    EXPECT_EQ(succeed(argsOf(x43(), harness::empty(cls), harness::empty(cls))),
              expected);
    // An empty array of any shape: 0 x 3 is still empty.
    EXPECT_EQ(succeed(argsOf(x43(), harness::ofClass(cls, {0, 3}))), expected);
  }
}

TEST(Arguments, DimIsTruncatedTowardZero) {
  const std::vector<double> byColumn =
      succeed(argsOf(x43(), harness::scalar(1)));
  const std::vector<double> byRow = succeed(argsOf(x43(), harness::scalar(2)));
  EXPECT_EQ(succeed(argsOf(x43(), harness::scalar(1.5))), byColumn);
  EXPECT_EQ(succeed(argsOf(x43(), harness::scalar(1.9))), byColumn);
  EXPECT_EQ(succeed(argsOf(x43(), harness::scalar(2.7))), byRow);
  EXPECT_EQ(succeed(argsOf(x43(), harness::scalar(2.999))), byRow);
}

TEST(Arguments, TolZeroAcceptedAndExtraInputsIgnored) {
  const CallResult r = run(argsOf(harness::column({0, 1, 10}), harness::empty(),
                                  harness::scalar(0), harness::scalar(kNaN),
                                  harness::ofClass(mxCHAR_CLASS, {2, 2})));
  EXPECT_FALSE(r.failed);
  EXPECT_EQ(harness::dimsOf(r.out.get()), (std::vector<std::size_t>{1, 1}));
}

TEST(Arguments, RequestedOutputCountChangesNothing) {
  const std::vector<double> one = succeed(argsOf(x43()), 1);
  EXPECT_EQ(succeed(argsOf(x43()), 0), one);
  EXPECT_EQ(succeed(argsOf(x43()), 2), one);
}

struct ShapeCase {
  const char* name;
  std::vector<std::size_t> xDims;
  double dim;  // 0: DIM absent
  std::vector<std::size_t> outDims;
};

// Test values print as their names (GoogleTest would dump raw bytes).
void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

const ShapeCase kShapeCases[] = {
    {"FourByThree", {4, 3}, 0, {1, 3}},
    {"FourByThreeDim2", {4, 3}, 2, {4, 1}},
    {"RowVector", {1, 5}, 0, {1, 1}},
    {"RowVectorDim1", {1, 5}, 1, {1, 1}},
    {"RowVectorDim2", {1, 5}, 2, {1, 1}},
    {"ColumnVector", {5, 1}, 0, {1, 1}},
    {"ColumnVectorDim2", {5, 1}, 2, {5, 1}},
    {"Scalar", {1, 1}, 0, {1, 1}},
    {"Empty", {0, 0}, 0, {1, 0}},
    {"EmptyDim2", {0, 0}, 2, {0, 1}},
    {"ThreeD", {3, 4, 2}, 0, {1, 4}},
    {"ThreeDDim2", {3, 4, 2}, 2, {3, 1}},
    {"NoRows", {0, 3}, 0, {1, 3}},
    {"NoRowsDim2", {0, 3}, 2, {0, 1}},
    {"OneByZero", {1, 0}, 0, {1, 1}},
    {"NoColumns", {3, 0}, 0, {1, 0}},
    {"NoColumnsDim2", {3, 0}, 2, {3, 1}},
};

class Shapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(Shapes, FollowTheEffectiveDimension) {
  const ShapeCase& c = GetParam();
  for (const harness::Module* m : {&module(), &module700()}) {
    std::vector<Array> in;
    in.push_back(harness::ofClass(mxDOUBLE_CLASS, c.xDims));
    if (c.dim != 0) in.push_back(harness::scalar(c.dim));
    const CallResult r = run(in, 1, *m);
    ASSERT_FALSE(r.failed) << r.message;
    EXPECT_EQ(harness::dimsOf(r.out.get()), c.outDims);
    EXPECT_EQ(r.printed, "");
  }
}

INSTANTIATE_TEST_SUITE_P(Quorvane, Shapes, ::testing::ValuesIn(kShapeCases),
                         [](const ::testing::TestParamInfo<ShapeCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(Shapes, SliceWithNoElementsGivesNaNQuietly) {
  for (const auto& [dims, dim, count] :
       std::vector<std::tuple<std::vector<std::size_t>, double, std::size_t>>{
           {{0, 3}, 0, 3},
           {{1, 0}, 0, 1},
           {{3, 0}, 2, 3},
           // Found by the fuzzer: rows and columns, but no page at all (X
           // had no storage and was read).
           {{3, 2, 0}, 0, 2},
           {{3, 2, 4, 0}, 2, 3}}) {
    std::vector<Array> in;
    in.push_back(harness::ofClass(mxDOUBLE_CLASS, dims));
    if (dim != 0) in.push_back(harness::scalar(dim));
    const CallResult r = run(in);
    ASSERT_FALSE(r.failed);
    const std::vector<double> v = harness::valuesOf(r.out.get());
    ASSERT_EQ(v.size(), count);
    for (double e : v) EXPECT_TRUE(std::isnan(e));
    EXPECT_EQ(r.printed, "");
  }
}

TEST(Shapes, OnlyTheFirstPageIsRead) {
  std::vector<double> twoPages(24);
  for (int i = 0; i < 12; ++i) twoPages[i] = i * i % 7;
  for (int i = 12; i < 24; ++i) twoPages[i] = 1e300;
  const std::vector<double> firstPage(twoPages.begin(), twoPages.begin() + 12);
  EXPECT_EQ(succeed(argsOf(harness::doubles({3, 4, 2}, twoPages))),
            succeed(argsOf(harness::doubles({3, 4}, firstPage))));
}

TEST(Shapes, RowWiseOnColumnVectorCopiesEachValue) {
  const CallResult r = run(
      argsOf(harness::column({3, -1.5, kNaN, kInf, 0}), harness::scalar(2)));
  const std::vector<double> v = harness::valuesOf(r.out.get());
  EXPECT_EQ(v[0], 3);
  EXPECT_EQ(v[1], -1.5);
  EXPECT_TRUE(std::isnan(v[2]));
  EXPECT_EQ(v[3], kInf);
  EXPECT_EQ(v[4], 0);
  EXPECT_EQ(r.printed,
            "warning: Root finding failed to reach tolerance for row 3 \n"
            "warning: Root finding failed to reach tolerance for row 4 \n");
}

// One column of values, with optional TOL; the worked examples.
struct ValueCase {
  const char* name;
  std::vector<double> values;
  double tol;        // NaN: TOL absent
  double low, high;  // the result lies in [low, high]
  bool warns;
};

// Test values print as their names (GoogleTest would dump raw bytes).
void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.name; }

const ValueCase kValueCases[] = {
    {"ZeroOneTen", {0, 1, 10}, kNaN, 2.60, 2.61, false},
    {"OneTwoThreeHundred", {1, 2, 3, 100}, kNaN, 2.81, 2.82, false},
    {"ZeroZeroOne", {0, 0, 1}, kNaN, 0.21, 0.22, false},
    {"WideTolKeepsMedian", {0, 1, 10}, 20, 1, 1, false},
    {"TolZeroRunsToCap", {0, 1, 10}, 0, 2.60, 2.61, true},
    {"Symmetric", {1, 2, 3}, kNaN, 2, 2, false},
    {"TwoValues", {4, 7}, kNaN, 5.5, 5.5, false},
    {"OneValue", {-3.25}, kNaN, -3.25, -3.25, false},
    {"AllEqual", {6, 6, 6, 6}, kNaN, 6, 6, false},
    {"NaNsDropped", {kNaN, 3, 1}, kNaN, 2, 2, false},
    {"AllPlusInf", {kInf, kInf, kInf}, kNaN, kInf, kInf, true},
    {"InfWithTol", {1, 2, kInf}, 0.5, kInf, kInf, true},
    {"InfDefaultTol", {1, 2, kInf}, kNaN, 2, 2, false},
    // The two middle values sum past the largest double.
    {"HugeEvenMedian", {1.7e308, 1.7e308}, kNaN, 1.7e308, 1.7e308, false},
    {"HugeEvenMedianSpread",
     {1.6e308, 1.7e308, 1.7e308, 1.79e308},
     1e308,
     1.7e308,
     1.7e308,
     false},
};

class Values : public ::testing::TestWithParam<ValueCase> {};

TEST_P(Values, MatchTheWorkedExamples) {
  const ValueCase& c = GetParam();
  std::vector<Array> in;
  in.push_back(harness::column(c.values));
  if (!std::isnan(c.tol)) {
    in.push_back(harness::empty());
    in.push_back(harness::scalar(c.tol));
  }
  const CallResult r = run(in);
  ASSERT_FALSE(r.failed) << r.message;
  const double v = harness::valuesOf(r.out.get()).at(0);
  EXPECT_GE(v, c.low);
  EXPECT_LE(v, c.high);
  EXPECT_EQ(r.printed,
            c.warns ? "warning: Root finding failed to reach tolerance for "
                      "column 1 \n"
                    : "");
}

INSTANTIATE_TEST_SUITE_P(Quorvane, Values, ::testing::ValuesIn(kValueCases),
                         [](const ::testing::TestParamInfo<ValueCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(Values, NaNOnlySliceIsNaNWithWarningWhateverTol) {
  for (bool withTol : {false, true}) {
    std::vector<Array> in;
    in.push_back(harness::column({kNaN, kNaN}));
    if (withTol) {
      in.push_back(harness::scalar(1));
      in.push_back(harness::scalar(0.5));
    }
    const CallResult r = run(in);
    EXPECT_TRUE(std::isnan(harness::valuesOf(r.out.get()).at(0)));
    EXPECT_EQ(
        r.printed,
        "warning: Root finding failed to reach tolerance for column 1 \n");
  }
}

TEST(Values, NaNScalarWarnsForRowOne) {
  const CallResult r = run(argsOf(harness::scalar(kNaN)));
  EXPECT_TRUE(std::isnan(harness::valuesOf(r.out.get()).at(0)));
  EXPECT_EQ(r.printed,
            "warning: Root finding failed to reach tolerance for row 1 \n");
}

TEST(Values, WarningNamesTheSliceAndWorkGoesOn) {
  // Column 3 holds +Inf values and cannot converge; the others can.
  const CallResult r = run(argsOf(harness::doubles(
      {3, 4}, {0, 1, 10, 1, 2, 3, kInf, kInf, kInf, 5, 1, 3})));
  const std::vector<double> v = harness::valuesOf(r.out.get());
  EXPECT_NEAR(v[0], 2.605, 0.005);
  EXPECT_EQ(v[1], 2);
  EXPECT_EQ(v[2], kInf);
  EXPECT_EQ(v[3], 3);
  EXPECT_EQ(r.printed,
            "warning: Root finding failed to reach tolerance for column 3 \n");

  const CallResult rowWise = run(argsOf(
      harness::row({1, 2, kInf}), harness::empty(), harness::scalar(0.5)));
  EXPECT_EQ(rowWise.printed,
            "warning: Root finding failed to reach tolerance for row 1 \n");
}

TEST(Values, RowsAndColumnsAgreeOnTransposedData) {
  const std::vector<double> a = {4, -2, 9, 0.5, 7, 3, 3, 1, -8, 2, 2, 6};
  std::vector<double> t(12);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 4; ++c) t[c + 4 * r] = a[r + 3 * c];
  const std::vector<double> byColumn =
      succeed(argsOf(harness::doubles({3, 4}, a)));
  const std::vector<double> byRow =
      succeed(argsOf(harness::doubles({4, 3}, t), harness::scalar(2)));
  EXPECT_EQ(byColumn, byRow);
}

// Whole results, and so every iteration count, against a build of the plain
// pair-sum loop.
TEST(Bindings, VectorPairSumsGiveThePlainLoopsBits) {
  static const harness::Module plain(QUORVANE_PLAIN_MODULE);
  std::mt19937_64 rng(7);
  std::lognormal_distribution<double> skewed(0.0, 1.5);
  for (const std::size_t rows : {2, 5, 64, 301}) {
    const std::size_t cols = 600 / rows;
    std::vector<double> data(rows * cols);
    for (double& v : data) {
      v = rng() % 17 == 0 ? std::floor(skewed(rng)) : skewed(rng);
    }
    for (double dim : {1.0, 2.0}) {
      const CallResult a = run(
          argsOf(harness::doubles({rows, cols}, data), harness::scalar(dim)));
      const CallResult b = run(
          argsOf(harness::doubles({rows, cols}, data), harness::scalar(dim)), 1,
          plain);
      ASSERT_FALSE(a.failed);
      ASSERT_FALSE(b.failed);
      EXPECT_EQ(a.printed, b.printed);
      const std::vector<double> x = harness::valuesOf(a.out.get());
      const std::vector<double> y = harness::valuesOf(b.out.get());
      ASSERT_EQ(x.size(), y.size());
      EXPECT_EQ(0, std::memcmp(x.data(), y.data(), x.size() * sizeof(double)))
          << rows << "x" << cols << " dim " << dim;
    }
  }
}

TEST(Bindings, SizesOf32BitEntryPointsGiveTheSameResults) {
  const std::vector<double> data = {4, -2, 9, 0.5, 7, 3, kNaN, 1, -8, 2, 2, 6};
  for (double dim : {1.0, 2.0}) {
    const CallResult a =
        run(argsOf(harness::doubles({3, 4}, data), harness::scalar(dim)));
    const CallResult b =
        run(argsOf(harness::doubles({3, 4}, data), harness::scalar(dim)), 1,
            module700());
    EXPECT_EQ(harness::dimsOf(a.out.get()), harness::dimsOf(b.out.get()));
    EXPECT_EQ(harness::valuesOf(a.out.get()), harness::valuesOf(b.out.get()));
  }
}

}  // namespace
