#include "conformance_cases.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <utility>

#include "messages.h"

namespace conformance {

namespace {

using harness::Array;
using harness::CallResult;
using harness::kInf;
using harness::kNaN;
using Inputs = std::vector<Array>;
using Dims = std::vector<std::size_t>;

constexpr Function Q = Function::kQuorvane;
constexpr Function B = Function::kBoot;

// ---- inputs -------------------------------------------------------------

Array s(double v) { return harness::scalar(v); }
Array e() { return harness::empty(); }
Array col(const std::vector<double>& v) { return harness::column(v); }
Array row(const std::vector<double>& v) { return harness::row(v); }
Array yes() { return harness::logical(true); }
Array no() { return harness::logical(false); }
Array of(mxClassID id, Dims dims = {1, 1}) {
  return harness::ofClass(id, dims);
}
Array cplx(double re, double im) { return harness::complexScalar(re, im); }
Array complexOf(Dims dims) {
  return harness::ofClass(mxDOUBLE_CLASS, std::move(dims), true);
}
// A size that a 32-bit process cannot hold saturates (its cases need 64-bit
// sizes and are not run there).
std::size_t wide(std::uint64_t v) {
  return v > SIZE_MAX ? SIZE_MAX : static_cast<std::size_t>(v);
}
Array unbacked(Dims dims) {
  return Array(standin::createUnbacked(dims.size(), dims.data()));
}
Array zeros(Dims dims) { return harness::ofClass(mxDOUBLE_CLASS, dims); }
// Every element v.
Array filled(Dims dims, double v) {
  Array a = zeros(std::move(dims));
  auto* p = static_cast<double*>(standin::realData(a.get()));
  for (std::size_t i = 0; i < standin::storedElements(a.get()); ++i) p[i] = v;
  return a;
}

template <typename... A>
std::function<Inputs()> in(A... builders) {
  return [=] { return harness::argsOf(builders()...); };
}
// Inputs are built afresh for every call; a builder is a small lambda.
#define ARG(expr) [=] { return (expr); }

// ---- results --------------------------------------------------------------

std::string dimsText(const Dims& d) {
  std::string t;
  for (std::size_t i = 0; i < d.size(); ++i)
    t += (i ? "x" : "") + std::to_string(d[i]);
  return t;
}

std::string describe(const CallResult& r) {
  if (r.failed) return "failed with \"" + r.message + "\"";
  if (!r.out) return "returned no output";
  return "returned " + dimsText(harness::dimsOf(r.out.get()));
}

std::vector<double> values(const CallResult& r) {
  return r.out ? harness::valuesOf(r.out.get()) : std::vector<double>{};
}

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The call ends with the message. With output, the output had been created
// and belongs to the host (boot's WEIGHTS checks); without, nothing was.
Check fails(std::string message, bool output = false) {
  return [=](const CallResult& r, const Caller&) -> std::string {
    if (!r.failed || r.message != message)
      return describe(r) + ", not with \"" + message + "\"";
    if (output != static_cast<bool>(r.out))
      return output ? "no output was created before the message"
                    : "an output was left in the slot";
    if (r.leaked != 0) return "arrays left behind";
    if (!r.printed.empty()) return "printed \"" + r.printed + "\"";
    return "";
  };
}

Check failsAfterOutput(std::string message) { return fails(message, true); }

// A successful call that returns a real double array of the shape.
std::string shapeError(const CallResult& r, const Dims& dims) {
  if (r.failed || !r.out) return describe(r);
  if (harness::dimsOf(r.out.get()) != dims)
    return describe(r) + ", not " + dimsText(dims);
  if (!mxIsClass(r.out.get(), "double") || mxIsComplex(r.out.get()))
    return "not a real double array";
  if (r.leaked != 0) return "arrays left behind";
  return "";
}

Check shape(Dims dims) {
  return [=](const CallResult& r, const Caller&) -> std::string {
    std::string error = shapeError(r, dims);
    if (error.empty() && !r.printed.empty())
      error = "printed \"" + r.printed + "\"";
    return error;
  };
}

// Exactly these values (NaN matches NaN; otherwise the same bits), and the
// printed text.
Check exactly(Dims dims, std::vector<double> expected,
              std::string printed = "") {
  return [=](const CallResult& r, const Caller&) -> std::string {
    std::string error = shapeError(r, dims);
    if (!error.empty()) return error;
    const std::vector<double> got = values(r);
    for (std::size_t i = 0; i < got.size(); ++i) {
      const bool same = std::isnan(expected[i]) ? std::isnan(got[i])
                                                : sameBits(got[i], expected[i]);
      if (!same) {
        std::ostringstream os;
        os.precision(17);
        os << "element " << i << " is " << got[i] << ", not " << expected[i];
        return os.str();
      }
    }
    if (r.printed != printed) return "printed \"" + r.printed + "\"";
    return "";
  };
}

// Within the bound of each value (the refinement stops within about two
// tolerances of the exact minimiser), and the printed text.
Check near(Dims dims, std::vector<double> expected, std::vector<double> bound,
           std::string printed = "") {
  return [=](const CallResult& r, const Caller&) -> std::string {
    std::string error = shapeError(r, dims);
    if (!error.empty()) return error;
    const std::vector<double> got = values(r);
    for (std::size_t i = 0; i < got.size(); ++i) {
      if (!(std::fabs(got[i] - expected[i]) <= bound[i])) {
        std::ostringstream os;
        os.precision(17);
        os << "element " << i << " is " << got[i] << ", not within " << bound[i]
           << " of " << expected[i];
        return os.str();
      }
    }
    if (r.printed != printed) return "printed \"" + r.printed + "\"";
    return "";
  };
}

std::string warning(const char* direction, int k) {
  return std::string("warning: Root finding failed to reach tolerance for ") +
         direction + " " + std::to_string(k) + " \n";
}

Check all(std::vector<Check> checks) {
  return [=](const CallResult& r, const Caller& call) -> std::string {
    for (const Check& c : checks) {
      std::string error = c(r, call);
      if (!error.empty()) return error;
    }
    return "";
  };
}

// How often each value occurs in the output.
std::map<double, long> tally(const CallResult& r) {
  std::map<double, long> t;
  for (double v : values(r)) ++t[v];
  return t;
}

// boot's observation numbers: each of 1..counts.size() occurs as often as
// counts says (a count of 0: never).
Check counts(std::vector<long> expected) {
  return [=](const CallResult& r, const Caller&) -> std::string {
    std::map<double, long> t = tally(r);
    for (std::size_t i = 0; i < expected.size(); ++i) {
      const double obs = static_cast<double>(i + 1);
      const long got = t.count(obs) ? t[obs] : 0;
      if (got != expected[i])
        return "observation " + std::to_string(i + 1) + " occurs " +
               std::to_string(got) + " times, not " +
               std::to_string(expected[i]);
      t.erase(obs);
    }
    if (!t.empty()) return "a value that is no observation number";
    return "";
  };
}

Check balanced(int n, int nboot) {
  return all(
      {shape({static_cast<std::size_t>(n), static_cast<std::size_t>(nboot)}),
       counts(std::vector<long>(static_cast<std::size_t>(n), nboot))});
}

// Every value is a whole observation number in 1..n.
Check observationNumbers(int n, int nboot) {
  return all(
      {shape({static_cast<std::size_t>(n), static_cast<std::size_t>(nboot)}),
       [=](const CallResult& r, const Caller&) -> std::string {
         for (double v : values(r)) {
           if (!(v >= 1 && v <= n && v == std::floor(v)))
             return "value " + std::to_string(v) + " is no observation";
         }
         return "";
       }});
}

// Leave-one-out: resample j (1-based) of the full rounds lacks observation
// ((j - 1) mod n) + 1. The last resample may put its held-out observation
// back when only its units are left, so it is not checked.
Check leaveOneOut(int n, int nboot) {
  return all({balanced(n, nboot),
              [=](const CallResult& r, const Caller&) -> std::string {
                const std::vector<double> v = values(r);
                const int rounds = (nboot / n) * n;
                for (int j = 1; j <= rounds && j < nboot; ++j) {
                  const double out = (j - 1) % n + 1;
                  for (int i = 0; i < n; ++i) {
                    if (v[static_cast<std::size_t>((j - 1) * n + i)] == out)
                      return "resample " + std::to_string(j) + " holds " +
                             std::to_string(static_cast<int>(out));
                  }
                }
                return "";
              }});
}

// The output equals (or differs from) what another call gives, bit for bit.
Check againstCall(Function f, std::function<Inputs()> other, bool equal) {
  return [=](const CallResult& r, const Caller& call) -> std::string {
    if (r.failed || !r.out) return describe(r);
    const CallResult again = call(f, other(), 1);
    if (again.failed || !again.out) return "the other call " + describe(again);
    const std::vector<double> a = values(r), b = values(again);
    bool same = a.size() == b.size();
    for (std::size_t i = 0; same && i < a.size(); ++i)
      same = sameBits(a[i], b[i]);
    if (same != equal)
      return equal ? "differs from the other call" : "equals the other call";
    return "";
  };
}
Check sameAs(Function f, std::function<Inputs()> other) {
  return againstCall(f, std::move(other), true);
}
Check differsFrom(Function f, std::function<Inputs()> other) {
  return againstCall(f, std::move(other), false);
}

// After this call, the next one still works.
Check thenWorks(Function f, std::function<Inputs()> next, Check check) {
  return [=](const CallResult&, const Caller& call) -> std::string {
    const CallResult r = call(f, next(), 1);
    const std::string error = check(r, call);
    return error.empty() ? "" : "the next call: " + error;
  };
}

// ---- the table ------------------------------------------------------------

using namespace messages::boot;
using namespace messages::quorvane;

std::vector<Case> quorvaneCases() {
  const auto x3 = ARG(col({0, 1, 10}));
  const auto bad = ARG(of(mxINT8_CLASS));
  // Smoothed medians of small samples, by bisection to 1e-15 outside the
  // code under test.
  const double m0110 = 2.6053583971950802;
  const double m001 = 0.21132486540518713;
  const double m7 = 1.1105694415936358;
  const double m7out = 4.165704429514992;
  return {
      // Messages, in the order they are checked.
      {"quorvane() needs an input", Q, in(), 1, fails(kOneInput), kAnyModule},
      {"quorvane() with nlhs 0 needs an input", Q, in(), 0, fails(kOneInput),
       kAnyModule},
      {"X logical", Q, in(ARG(yes())), 1, fails(kXType), kAnyModule},
      {"X single", Q, in(ARG(of(mxSINGLE_CLASS))), 1, fails(kXType),
       kAnyModule},
      {"X int32 matrix", Q, in(ARG(of(mxINT32_CLASS, {3, 2}))), 1,
       fails(kXType), kAnyModule},
      {"X char", Q, in(ARG(of(mxCHAR_CLASS, {1, 4}))), 1, fails(kXType),
       kAnyModule},
      {"X uint8 empty", Q, in(ARG(harness::empty(mxUINT8_CLASS))), 1,
       fails(kXType), kAnyModule},
      {"X cell", Q, in(ARG(of(mxCELL_CLASS))), 1, fails(kXType), kAnyModule},
      {"X int8 before DIM not scalar", Q, in(bad, ARG(row({1, 2}))), 1,
       fails(kXType), kAnyModule},
      {"X complex", Q, in(ARG(cplx(1, 2))), 1, fails(kXImag), kAnyModule},
      {"X complex matrix", Q, in(ARG(complexOf({3, 3}))), 1, fails(kXImag),
       kAnyModule},
      {"X complex before TOL NaN", Q,
       in(ARG(cplx(1, 2)), ARG(e()), ARG(s(kNaN))), 1, fails(kXImag),
       kAnyModule},
      {"X sparse", Q, in(ARG(harness::sparse({3, 3}, 2))), 1, fails(kXSparse),
       kAnyModule},
      {"X sparse before DIM 3", Q,
       in(ARG(harness::sparse({3, 3}, 2)), ARG(s(3))), 1, fails(kXSparse),
       kAnyModule},
      {"DIM 1x2", Q, in(x3, ARG(row({1, 2}))), 1, fails(kDimScalar),
       kAnyModule},
      {"DIM 2x2", Q, in(x3, ARG(zeros({2, 2}))), 1, fails(kDimScalar),
       kAnyModule},
      {"DIM int8 pair: scalar before class", Q,
       in(x3, ARG(of(mxINT8_CLASS, {1, 2}))), 1, fails(kDimScalar), kAnyModule},
      {"DIM int32", Q, in(x3, ARG(of(mxINT32_CLASS))), 1, fails(kDimType),
       kAnyModule},
      {"DIM single", Q, in(x3, ARG(of(mxSINGLE_CLASS))), 1, fails(kDimType),
       kAnyModule},
      {"DIM logical", Q, in(x3, ARG(yes())), 1, fails(kDimType), kAnyModule},
      {"DIM char", Q, in(x3, ARG(of(mxCHAR_CLASS))), 1, fails(kDimType),
       kAnyModule},
      {"DIM complex", Q, in(x3, ARG(cplx(1, 1))), 1, fails(kDimImag),
       kAnyModule},
      {"DIM complex 0i", Q, in(x3, ARG(cplx(2, 0))), 1, fails(kDimImag),
       kAnyModule},
      {"DIM 0", Q, in(x3, ARG(s(0))), 1, fails(kDimValue), kAnyModule},
      {"DIM 3", Q, in(x3, ARG(s(3))), 1, fails(kDimValue), kAnyModule},
      {"DIM -1", Q, in(x3, ARG(s(-1))), 1, fails(kDimValue), kAnyModule},
      {"DIM 0.99", Q, in(x3, ARG(s(0.99))), 1, fails(kDimValue), kAnyModule},
      {"DIM NaN", Q, in(x3, ARG(s(kNaN))), 1, fails(kDimValue), kAnyModule},
      {"DIM Inf", Q, in(x3, ARG(s(kInf))), 1, fails(kDimValue), kAnyModule},
      {"DIM 4294967297 saturates", Q, in(x3, ARG(s(4294967297.0))), 1,
       fails(kDimValue), kAnyModule},
      {"DIM 3 on a one-row X", Q, in(ARG(row({1, 2, 3})), ARG(s(3))), 1,
       fails(kDimValue), kAnyModule},
      {"DIM 3 before TOL -1", Q, in(x3, ARG(s(3)), ARG(s(-1))), 1,
       fails(kDimValue), kAnyModule},
      {"TOL 1x2", Q, in(x3, ARG(e()), ARG(row({1, 2}))), 1, fails(kTolScalar),
       kAnyModule},
      {"TOL int8", Q, in(x3, ARG(e()), ARG(of(mxINT8_CLASS))), 1,
       fails(kTolType), kAnyModule},
      {"TOL logical", Q, in(x3, ARG(s(1)), ARG(no())), 1, fails(kTolType),
       kAnyModule},
      {"TOL complex", Q, in(x3, ARG(e()), ARG(cplx(0.1, 1))), 1,
       fails(kTolImag), kAnyModule},
      {"TOL NaN", Q, in(x3, ARG(e()), ARG(s(kNaN))), 1, fails(kTolFinite),
       kAnyModule},
      {"TOL Inf", Q, in(x3, ARG(e()), ARG(s(kInf))), 1, fails(kTolFinite),
       kAnyModule},
      {"TOL -Inf: finite before sign", Q, in(x3, ARG(e()), ARG(s(-kInf))), 1,
       fails(kTolFinite), kAnyModule},
      {"TOL -0.5", Q, in(x3, ARG(e()), ARG(s(-0.5))), 1, fails(kTolSign),
       kAnyModule},
      {"TOL -1e-300", Q, in(x3, ARG(e()), ARG(s(-1e-300))), 1, fails(kTolSign),
       kAnyModule},
      {"X of 2^31 elements in its first page", Q,
       in(ARG(unbacked({65536, 32768}))), 1, fails(kXSize), kAnyModule},
      {"TOL -1 before the size check", Q,
       in(ARG(unbacked({65536, 32768})), ARG(e()), ARG(s(-1))), 1,
       fails(kTolSign), kAnyModule},
      {"X of 2^31 rows", Q, in(ARG(unbacked({wide(2147483648u), 1}))), 1,
       fails(kXSize), kSizes730},
      {"X of 2^31 columns", Q, in(ARG(unbacked({1, wide(2147483648u)}))), 1,
       fails(kXSize), kSizes730},
      {"X of 2^32 + 1 rows", Q, in(ARG(unbacked({wide(4294967297u), 2}))), 1,
       fails(kXSize), kSizes730},
      // A 32-bit process cannot hold the scratch vector of one row of
      // 2^31 - 1 values: the call ends with the host's message, cleanly.
      {"one row of 2^31 - 1 values in a 32-bit process", Q,
       in(ARG(unbacked({1, 2147483647}))), 1,
       all({failsAfterOutput("Out of memory."),
            thenWorks(Q, in(x3), near({1, 1}, {m0110}, {2e-3}))}),
       kProcess32},

      // Shapes.
      {"3x2 gives 1x2", Q, in(ARG(zeros({3, 2}))), 1, exactly({1, 2}, {0, 0}),
       kAnyModule},
      {"3x2, DIM 2, gives 3x1", Q, in(ARG(zeros({3, 2})), ARG(s(2))), 1,
       exactly({3, 1}, {0, 0, 0}), kAnyModule},
      {"DIM empty means columns", Q, in(ARG(zeros({3, 2})), ARG(e())), 1,
       shape({1, 2}), kAnyModule},
      {"DIM 1.9 means columns", Q, in(ARG(zeros({3, 2})), ARG(s(1.9))), 1,
       shape({1, 2}), kAnyModule},
      {"DIM 2.9 means rows", Q, in(ARG(zeros({3, 2})), ARG(s(2.9))), 1,
       shape({3, 1}), kAnyModule},
      {"one row, DIM 1, gives 1x1", Q, in(ARG(row({1, 2, 3})), ARG(s(1))), 1,
       exactly({1, 1}, {2}), kAnyModule},
      {"one row, DIM 2, gives 1x1", Q, in(ARG(row({1, 2, 3})), ARG(s(2))), 1,
       exactly({1, 1}, {2}), kAnyModule},
      {"one column, DIM 2, gives a result per row", Q,
       in(ARG(col({4, 5, 6})), ARG(s(2))), 1, exactly({3, 1}, {4, 5, 6}),
       kAnyModule},
      {"scalar X", Q, in(ARG(s(7.5))), 1, exactly({1, 1}, {7.5}), kAnyModule},
      {"0x0 X gives 1x0", Q, in(ARG(e())), 1, shape({1, 0}), kAnyModule},
      {"0x3 X gives three NaN", Q, in(ARG(zeros({0, 3}))), 1,
       exactly({1, 3}, {kNaN, kNaN, kNaN}), kAnyModule},
      {"3x0 X gives 1x0", Q, in(ARG(zeros({3, 0}))), 1, shape({1, 0}),
       kAnyModule},
      {"3x0 X, DIM 2, gives three NaN", Q, in(ARG(zeros({3, 0})), ARG(s(2))), 1,
       exactly({3, 1}, {kNaN, kNaN, kNaN}), kAnyModule},
      {"1x0 X gives one NaN", Q, in(ARG(zeros({1, 0}))), 1,
       exactly({1, 1}, {kNaN}), kAnyModule},
      {"3x2x4 X: the first page", Q, in(ARG(filled({3, 2, 4}, 1))), 1,
       exactly({1, 2}, {1, 1}), kAnyModule},
      {"3x2x0 X: two NaN", Q, in(ARG(zeros({3, 2, 0}))), 1,
       exactly({1, 2}, {kNaN, kNaN}), kAnyModule},
      {"nlhs 0 still gives the output", Q, in(x3), 0,
       near({1, 1}, {m0110}, {2e-3}), kAnyModule},
      {"nlhs 3 writes only the first slot", Q, in(x3), 3,
       near({1, 1}, {m0110}, {2e-3}), kAnyModule},
      {"inputs after the third are ignored", Q,
       in(x3, ARG(e()), ARG(e()), ARG(of(mxCHAR_CLASS)), ARG(s(kNaN))), 1,
       near({1, 1}, {m0110}, {2e-3}), kAnyModule},

      // Values.
      {"0 1 10", Q, in(x3), 1, near({1, 1}, {m0110}, {2e-3}), kAnyModule},
      {"0 1 10, TOL 1e-9", Q, in(x3, ARG(e()), ARG(s(1e-9))), 1,
       near({1, 1}, {m0110}, {2e-9}), kAnyModule},
      {"-10 -1 0", Q, in(ARG(col({-10, -1, 0}))), 1,
       near({1, 1}, {-m0110}, {2e-3}), kAnyModule},
      {"0 10 100", Q, in(ARG(col({0, 10, 100}))), 1,
       near({1, 1}, {10 * m0110}, {2e-2}), kAnyModule},
      {"0 0 1", Q, in(ARG(col({0, 0, 1}))), 1, near({1, 1}, {m001}, {2e-4}),
       kAnyModule},
      {"1 2 3 is 2", Q, in(ARG(col({1, 2, 3}))), 1, exactly({1, 1}, {2}),
       kAnyModule},
      {"1 3 is 2", Q, in(ARG(col({1, 3}))), 1, exactly({1, 1}, {2}),
       kAnyModule},
      {"5 5 5 is 5", Q, in(ARG(col({5, 5, 5}))), 1, exactly({1, 1}, {5}),
       kAnyModule},
      {"NaN values are ignored", Q, in(ARG(col({kNaN, 1, kNaN, 2, 3}))), 1,
       exactly({1, 1}, {2}), kAnyModule},
      // Only NaNs: all 25 iterations run on a NaN bracket.
      {"an all-NaN column is NaN, with the warning", Q,
       in(ARG(harness::doubles({2, 2}, {kNaN, kNaN, 1, 3}))), 1,
       exactly({1, 2}, {kNaN, 2}, warning("column", 1)), kAnyModule},
      {"a NaN scalar is NaN, with the warning", Q, in(ARG(s(kNaN))), 1,
       exactly({1, 1}, {kNaN}, warning("row", 1)), kAnyModule},
      {"all +Inf is +Inf, with the warning", Q, in(ARG(col({kInf, kInf}))), 1,
       exactly({1, 1}, {kInf}, warning("column", 1)), kAnyModule},
      {"1 2 Inf with the default TOL is its median", Q,
       in(ARG(col({1, 2, kInf}))), 1, exactly({1, 1}, {2}), kAnyModule},
      {"a NaN element of a column, DIM 2, warns for its row", Q,
       in(ARG(col({4, kNaN, 6})), ARG(s(2))), 1,
       exactly({3, 1}, {4, kNaN, 6}, warning("row", 2)), kAnyModule},
      {"1.7e308 twice stays finite", Q, in(ARG(col({1.7e308, 1.7e308}))), 1,
       exactly({1, 1}, {1.7e308}), kAnyModule},
      {"seven skewed values", Q,
       in(ARG(col({0.2, 0.4, 0.5, 0.9, 1.4, 2.8, 6.1}))), 1,
       near({1, 1}, {m7}, {2 * 1e-4 * 5.9}), kAnyModule},
      {"two columns", Q,
       in(ARG(harness::doubles({7, 2}, {0.2, 0.4, 0.5, 0.9, 1.4, 2.8, 6.1, 1, 2,
                                        3, 4, 5, 6, 100}))),
       1, near({1, 2}, {m7, m7out}, {2 * 1e-4 * 5.9, 2 * 1e-4 * 99}),
       kAnyModule},
      {"the same two, row-wise", Q,
       in(ARG(harness::doubles({2, 7}, {0.2, 1, 0.4, 2, 0.5, 3, 0.9, 4, 1.4, 5,
                                        2.8, 6, 6.1, 100})),
          ARG(s(2))),
       1, near({2, 1}, {m7, m7out}, {2 * 1e-4 * 5.9, 2 * 1e-4 * 99}),
       kAnyModule},
      {"rows 1 2 3 and 0 0 1", Q,
       in(ARG(harness::doubles({2, 3}, {1, 0, 2, 0, 3, 1})), ARG(s(2))), 1,
       near({2, 1}, {2, m001}, {0, 2e-4}), kAnyModule},
      {"a shift moves the estimate", Q, in(ARG(col({1000, 1001, 1010}))), 1,
       near({1, 1}, {1000 + m0110}, {2e-3}), kAnyModule},

      // Warnings: the estimate is still returned.
      {"TOL 0 warns for column 1", Q, in(x3, ARG(e()), ARG(s(0))), 1,
       near({1, 1}, {m0110}, {1e-3}, warning("column", 1)), kAnyModule},
      {"TOL 0 warns for each column", Q,
       in(ARG(harness::doubles({3, 3}, {0, 1, 10, 0, 1, 10, 0, 1, 10})),
          ARG(s(1)), ARG(s(0))),
       1,
       near({1, 3}, {m0110, m0110, m0110}, {1e-3, 1e-3, 1e-3},
            warning("column", 1) + warning("column", 2) + warning("column", 3)),
       kAnyModule},
      {"TOL 0 warns for each row", Q,
       in(ARG(harness::doubles({2, 3}, {0, 0, 1, 1, 10, 10})), ARG(s(2)),
          ARG(s(0))),
       1,
       near({2, 1}, {m0110, m0110}, {1e-3, 1e-3},
            warning("row", 1) + warning("row", 2)),
       kAnyModule},
      {"TOL 0 warns only where it fails", Q,
       in(ARG(harness::doubles({3, 2}, {5, 5, 5, 0, 1, 10})), ARG(e()),
          ARG(s(0))),
       1, near({1, 2}, {5, m0110}, {0, 1e-3}, warning("column", 2)),
       kAnyModule},
      {"1 2 Inf warns for row 1", Q,
       in(ARG(row({1, 2, kInf})), ARG(e()), ARG(s(0.5))), 1,
       exactly({1, 1}, {kInf}, warning("row", 1)), kAnyModule},
      {"1e308 and 1.7e308 stay inside the data", Q,
       in(ARG(col({1e308, 1.7e308}))), 1,
       exactly({1, 1}, {1.35e308}, warning("column", 1)), kAnyModule},
      {"default TOL: no warning", Q,
       in(ARG(col({3, 1, 4, 1, 5, 9, 2, 6, 5, 3, 5}))), 1,
       [](const CallResult& r, const Caller&) -> std::string {
         if (r.failed || !r.printed.empty()) return describe(r) + r.printed;
         return "";
       },
       kAnyModule},
  };
}

std::vector<Case> bootCases() {
  const auto n5 = ARG(s(5));
  const auto nb3 = ARG(s(3));
  const auto w = [](std::vector<double> v) { return [=] { return row(v); }; };
  std::vector<Case> c = {
      // Messages, in the order they are checked.
      {"boot() needs two inputs", B, in(), 1, fails(kTwoInputs), kAnyModule},
      {"boot(5) needs two inputs", B, in(n5), 1, fails(kTwoInputs), kAnyModule},
      {"boot(int8) needs two inputs first", B, in(ARG(of(mxINT8_CLASS))), 1,
       fails(kTwoInputs), kAnyModule},
      {"six inputs", B, in(n5, nb3, ARG(e()), ARG(e()), ARG(e()), ARG(e())), 1,
       fails(kTooManyInputs), kAnyModule},
      {"six inputs before a bad N", B,
       in(ARG(s(-1)), nb3, ARG(e()), ARG(e()), ARG(e()), ARG(e())), 1,
       fails(kTooManyInputs), kAnyModule},
      {"N complex", B, in(ARG(cplx(5, 1)), nb3), 1, fails(kNImag), kAnyModule},
      {"N complex int16: imaginary before class", B,
       in(ARG(harness::ofClass(mxINT16_CLASS, {1, 1}, true)), nb3), 1,
       fails(kNImag), kAnyModule},
      {"N int32", B, in(ARG(of(mxINT32_CLASS)), nb3), 1, fails(kNType),
       kAnyModule},
      {"N single", B, in(ARG(of(mxSINGLE_CLASS)), nb3), 1, fails(kNType),
       kAnyModule},
      {"N logical", B, in(ARG(yes()), nb3), 1, fails(kNType), kAnyModule},
      {"N char", B, in(ARG(of(mxCHAR_CLASS)), nb3), 1, fails(kNType),
       kAnyModule},
      {"N int8 empty: class before empty", B,
       in(ARG(harness::empty(mxINT8_CLASS)), nb3), 1, fails(kNType),
       kAnyModule},
      {"N sparse", B, in(ARG(harness::sparse({1, 1}, 1)), nb3), 1,
       fails(kNSparse), kAnyModule},
      {"N empty", B, in(ARG(e()), nb3), 1, fails(kNEmpty), kAnyModule},
      {"N 0x5 empty", B, in(ARG(zeros({0, 5})), nb3), 1, fails(kNEmpty),
       kAnyModule},
      {"N 0", B, in(ARG(s(0)), nb3), 1, fails(kNValue), kAnyModule},
      {"N -3", B, in(ARG(s(-3)), nb3), 1, fails(kNValue), kAnyModule},
      {"N 2.5", B, in(ARG(s(2.5)), nb3), 1, fails(kNValue), kAnyModule},
      {"N NaN", B, in(ARG(s(kNaN)), nb3), 1, fails(kNValue), kAnyModule},
      {"N Inf", B, in(ARG(s(kInf)), nb3), 1, fails(kNValue), kAnyModule},
      {"N 2^31", B, in(ARG(s(2147483648.0)), nb3), 1, fails(kNValue),
       kAnyModule},
      {"N 0.5 before NBOOT int8", B, in(ARG(s(0.5)), ARG(of(mxINT8_CLASS))), 1,
       fails(kNValue), kAnyModule},
      {"X matrix", B, in(ARG(zeros({2, 3})), nb3), 1, fails(kNOrX), kAnyModule},
      {"X int8 matrix: shape before class", B,
       in(ARG(of(mxINT8_CLASS, {2, 2})), nb3), 1, fails(kNOrX), kAnyModule},
      {"X int32 vector", B, in(ARG(of(mxINT32_CLASS, {1, 4})), nb3), 1,
       fails(kNType), kAnyModule},
      {"X logical vector", B, in(ARG(of(mxLOGICAL_CLASS, {3, 1})), nb3), 1,
       fails(kNType), kAnyModule},
      {"X sparse vector", B, in(ARG(harness::sparse({1, 3}, 2)), nb3), 1,
       fails(kNSparse), kAnyModule},
      {"NBOOT 1x2", B, in(n5, ARG(row({1, 2}))), 1, fails(kNbootScalar),
       kAnyModule},
      {"NBOOT int8 pair: scalar before class", B,
       in(n5, ARG(of(mxINT8_CLASS, {2, 1}))), 1, fails(kNbootScalar),
       kAnyModule},
      {"NBOOT int8", B, in(n5, ARG(of(mxINT8_CLASS))), 1, fails(kNbootType),
       kAnyModule},
      {"NBOOT logical", B, in(n5, ARG(yes())), 1, fails(kNbootType),
       kAnyModule},
      {"NBOOT int8 empty: class before empty", B,
       in(n5, ARG(harness::empty(mxINT8_CLASS))), 1, fails(kNbootType),
       kAnyModule},
      {"NBOOT complex", B, in(n5, ARG(cplx(2, 1))), 1, fails(kNbootImag),
       kAnyModule},
      {"NBOOT empty", B, in(n5, ARG(e())), 1, fails(kNbootEmpty), kAnyModule},
      {"NBOOT 0", B, in(n5, ARG(s(0))), 1, fails(kNbootValue), kAnyModule},
      {"NBOOT 0.9", B, in(n5, ARG(s(0.9))), 1, fails(kNbootValue), kAnyModule},
      {"NBOOT -2", B, in(n5, ARG(s(-2))), 1, fails(kNbootValue), kAnyModule},
      {"NBOOT NaN", B, in(n5, ARG(s(kNaN))), 1, fails(kNbootValue), kAnyModule},
      {"NBOOT -Inf", B, in(n5, ARG(s(-kInf))), 1, fails(kNbootValue),
       kAnyModule},
      {"NBOOT Inf", B, in(n5, ARG(s(kInf))), 1, fails(kNbootFinite),
       kAnyModule},
      {"LOO double", B, in(n5, nb3, ARG(s(1))), 1, fails(kLoo), kAnyModule},
      {"LOO two logicals", B, in(n5, nb3, ARG(of(mxLOGICAL_CLASS, {1, 2}))), 1,
       fails(kLoo), kAnyModule},
      {"LOO char", B, in(n5, nb3, ARG(of(mxCHAR_CLASS))), 1, fails(kLoo),
       kAnyModule},
      {"LOO bad before SEED bad", B, in(n5, nb3, ARG(s(0)), ARG(s(kNaN))), 1,
       fails(kLoo), kAnyModule},
      {"SEED 1x2", B, in(n5, nb3, ARG(e()), ARG(row({1, 2}))), 1,
       fails(kSeedScalar), kAnyModule},
      {"SEED int8", B, in(n5, nb3, ARG(e()), ARG(of(mxINT8_CLASS))), 1,
       fails(kSeedType), kAnyModule},
      {"SEED logical", B, in(n5, nb3, ARG(no()), ARG(yes())), 1,
       fails(kSeedType), kAnyModule},
      {"SEED NaN", B, in(n5, nb3, ARG(e()), ARG(s(kNaN))), 1,
       fails(kSeedFinite), kAnyModule},
      {"SEED -Inf", B, in(n5, nb3, ARG(e()), ARG(s(-kInf))), 1,
       fails(kSeedFinite), kAnyModule},
      {"two outputs", B, in(n5, nb3), 2, fails(kTooManyOutputs), kAnyModule},
      {"SEED NaN before two outputs", B, in(n5, nb3, ARG(e()), ARG(s(kNaN))), 2,
       fails(kSeedFinite), kAnyModule},
      {"two outputs before N * NBOOT", B, in(ARG(s(100000)), ARG(s(100000))), 2,
       fails(kTooManyOutputs), kAnyModule},
      {"N * NBOOT = 2^31", B, in(ARG(s(65536)), ARG(s(32768))), 1,
       fails(kTotal), kAnyModule},
      {"N * NBOOT = 10^10", B, in(ARG(s(100000)), ARG(s(100000))), 1,
       fails(kTotal), kAnyModule},
      {"N * NBOOT too large before WEIGHTS", B,
       in(ARG(s(65536)), ARG(s(32768)), ARG(e()), ARG(e()),
          ARG(of(mxINT8_CLASS))),
       1, fails(kTotal), kAnyModule},
      {"NBOOT 2^31 saturates into N * NBOOT", B, in(ARG(s(2)), ARG(s(4e9))), 1,
       fails(kTotal), kAnyModule},
      {"WEIGHTS int8", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()),
          ARG(of(mxINT8_CLASS, {1, 3}))),
       1, failsAfterOutput(kWType), kAnyModule},
      {"WEIGHTS logical", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()),
          ARG(of(mxLOGICAL_CLASS, {1, 3}))),
       1, failsAfterOutput(kWType), kAnyModule},
      {"WEIGHTS complex", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), ARG(complexOf({1, 3}))), 1,
       failsAfterOutput(kWImag), kAnyModule},
      {"WEIGHTS too short", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({3, 3})), 1,
       failsAfterOutput(kWLength), kAnyModule},
      {"WEIGHTS too long, NaN first: length first", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({kNaN, -1, 2, 2})), 1,
       failsAfterOutput(kWLength), kAnyModule},
      {"WEIGHTS for X of the wrong length", B,
       in(ARG(row({1.5, 2.5, 3.5})), ARG(s(2)), ARG(e()), ARG(e()), w({3, 3})),
       1, failsAfterOutput(kWLength), kAnyModule},
      {"WEIGHTS sparse", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()),
          ARG(harness::sparse({1, 3}, 3))),
       1, failsAfterOutput(kWSparse), kAnyModule},
      {"WEIGHTS NaN", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({2, kNaN, 4})), 1,
       failsAfterOutput(kWFinite), kAnyModule},
      {"WEIGHTS Inf", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({kInf, 0, 0})), 1,
       failsAfterOutput(kWFinite), kAnyModule},
      {"WEIGHTS NaN before -1", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({kNaN, -1, 2})), 1,
       failsAfterOutput(kWFinite), kAnyModule},
      {"WEIGHTS -1 before NaN", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({-1, kNaN, 2})), 1,
       failsAfterOutput(kWPositive), kAnyModule},
      {"WEIGHTS -0.5", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({2, 4.5, -0.5})), 1,
       failsAfterOutput(kWPositive), kAnyModule},
      {"WEIGHTS sum 7, not 6", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({2, 2, 3})), 1,
       failsAfterOutput(kWSum), kAnyModule},
      {"WEIGHTS 2.9 each truncate to 2 + 2 + 2", B,
       in(ARG(s(3)), ARG(s(3)), ARG(e()), ARG(e()), w({2.9, 2.9, 2.9})), 1,
       failsAfterOutput(kWSum), kAnyModule},
      {"WEIGHTS wrapping 2^64 do not sum to 6", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()),
          w({9.2e18, 9.2e18, 46744073709551622.0})),
       1, failsAfterOutput(kWSum), kAnyModule},
      {"WEIGHTS all 0", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({0, 0, 0})), 1,
       failsAfterOutput(kWSum), kAnyModule},

      // Shapes and values.
      {"boot(5, 8) is balanced", B, in(n5, ARG(s(8))), 1, balanced(5, 8),
       kAnyModule},
      {"NBOOT 2.9 means 2", B, in(ARG(s(7)), ARG(s(2.9))), 1, balanced(7, 2),
       kAnyModule},
      {"N 1", B, in(ARG(s(1)), ARG(s(4))), 1, exactly({1, 4}, {1, 1, 1, 1}),
       kAnyModule},
      {"N 1, NBOOT 1", B, in(ARG(s(1)), ARG(s(1))), 1, exactly({1, 1}, {1}),
       kAnyModule},
      {"NBOOT 1 draws with replacement", B,
       in(ARG(s(8)), ARG(s(1)), ARG(no()), ARG(s(3))), 1,
       observationNumbers(8, 1), kAnyModule},
      {"NBOOT 1, N 50", B, in(ARG(s(50)), ARG(s(1)), ARG(e()), ARG(s(9))), 1,
       observationNumbers(50, 1), kAnyModule},
      {"X values are copied", B, in(ARG(row({2.5, -1, 7})), ARG(s(4))), 1,
       [](const CallResult& r, const Caller&) -> std::string {
         std::string error = shapeError(r, {3, 4});
         if (!error.empty()) return error;
         std::map<double, long> t = tally(r);
         if (t.size() != 3 || t[2.5] != 4 || t[-1] != 4 || t[7] != 4)
           return "the values of X do not occur 4 times each";
         return "";
       },
       kAnyModule},
      {"X with NaN and -Inf", B, in(ARG(row({2.5, kNaN, -kInf})), ARG(s(4))), 1,
       [](const CallResult& r, const Caller&) -> std::string {
         std::string error = shapeError(r, {3, 4});
         if (!error.empty()) return error;
         long nan = 0, inf = 0, other = 0;
         for (double v : values(r)) {
           if (std::isnan(v))
             ++nan;
           else if (v == -kInf)
             ++inf;
           else if (v == 2.5)
             ++other;
         }
         if (nan != 4 || inf != 4 || other != 4)
           return "NaN, -Inf and 2.5 do not occur 4 times each";
         return "";
       },
       kAnyModule},
      {"X as a column", B, in(ARG(col({1, 2, 3, 4})), ARG(s(2))), 1,
       balanced(4, 2), kAnyModule},
      {"X 1x1x5", B, in(ARG(filled({1, 1, 5}, 3)), ARG(s(3))), 1,
       exactly({5, 3}, std::vector<double>(15, 3)), kAnyModule},
      {"X complex: the real parts", B, in(ARG(complexOf({1, 3})), ARG(s(2))), 1,
       exactly({3, 2}, std::vector<double>(6, 0)), kAnyModule},
      {"X of two values", B,
       in(ARG(row({1, 2})), ARG(s(6)), ARG(e()), ARG(s(4))), 1, balanced(2, 6),
       kAnyModule},
      {"LOO empty is false", B, in(ARG(s(4)), ARG(s(4)), ARG(e()), ARG(s(11))),
       1, sameAs(B, in(ARG(s(4)), ARG(s(4)), ARG(no()), ARG(s(11)))),
       kAnyModule},
      {"LOO, N 2", B, in(ARG(s(2)), ARG(s(2)), ARG(yes())), 1,
       exactly({2, 2}, {2, 2, 1, 1}), kAnyModule},
      {"LOO, N 1", B, in(ARG(s(1)), ARG(s(4)), ARG(yes())), 1,
       exactly({1, 4}, {1, 1, 1, 1}), kAnyModule},
      {"LOO, N 3, NBOOT 2", B, in(ARG(s(3)), ARG(s(2)), ARG(yes()), ARG(s(8))),
       1, balanced(3, 2), kAnyModule},
      {"LOO, N 2, NBOOT 3", B, in(ARG(s(2)), ARG(s(3)), ARG(yes()), ARG(s(5))),
       1, balanced(2, 3), kAnyModule},
  };
  // Balance over a spread of sizes, with and without SEED.
  const int sizes[][2] = {{2, 2},  {3, 5},  {4, 4},    {9, 23},  {10, 2},
                          {16, 3}, {17, 7}, {100, 50}, {257, 4}, {1000, 3}};
  for (const auto& size : sizes) {
    const int n = size[0], nboot = size[1];
    c.push_back(
        {"balance, N " + std::to_string(n) + ", NBOOT " + std::to_string(nboot),
         B, in(ARG(s(n)), ARG(s(nboot))), 1, balanced(n, nboot), kAnyModule});
    c.push_back({"balance with SEED, N " + std::to_string(n) + ", NBOOT " +
                     std::to_string(nboot),
                 B, in(ARG(s(n)), ARG(s(nboot)), ARG(e()), ARG(s(n + nboot))),
                 1, balanced(n, nboot), kAnyModule});
  }
  // Leave-one-out rotation.
  const int loo[][2] = {{6, 18}, {4, 8}, {5, 7}, {3, 10}, {10, 10}, {7, 30}};
  for (const auto& size : loo) {
    const int n = size[0], nboot = size[1];
    c.push_back({"leave-one-out, N " + std::to_string(n) + ", NBOOT " +
                     std::to_string(nboot),
                 B, in(ARG(s(n)), ARG(s(nboot)), ARG(yes()), ARG(s(5))), 1,
                 leaveOneOut(n, nboot), kAnyModule});
  }
  const std::vector<Case> more = {
      // SEED.
      {"the same SEED, the same resamples", B,
       in(ARG(s(12)), ARG(s(30)), ARG(yes()), ARG(s(17))), 1,
       sameAs(B, in(ARG(s(12)), ARG(s(30)), ARG(yes()), ARG(s(17)))),
       kAnyModule},
      {"another SEED, other resamples", B,
       in(ARG(s(12)), ARG(s(30)), ARG(no()), ARG(s(17))), 1,
       differsFrom(B, in(ARG(s(12)), ARG(s(30)), ARG(no()), ARG(s(18)))),
       kAnyModule},
      {"SEED 3.7 is SEED 3", B,
       in(ARG(s(12)), ARG(s(30)), ARG(e()), ARG(s(3.7))), 1,
       sameAs(B, in(ARG(s(12)), ARG(s(30)), ARG(e()), ARG(s(3)))), kAnyModule},
      {"SEED -5 is SEED 0", B, in(ARG(s(12)), ARG(s(30)), ARG(e()), ARG(s(-5))),
       1, sameAs(B, in(ARG(s(12)), ARG(s(30)), ARG(e()), ARG(s(0)))),
       kAnyModule},
      {"SEED 2^40 saturates to 2^32 - 1", B,
       in(ARG(s(12)), ARG(s(30)), ARG(e()), ARG(s(1099511627776.0))), 1,
       sameAs(B, in(ARG(s(12)), ARG(s(30)), ARG(e()), ARG(s(4294967295.0)))),
       kAnyModule},
      {"SEED empty does not reseed", B,
       in(ARG(s(12)), ARG(s(30)), ARG(e()), ARG(s(21))), 1,
       [](const CallResult& first, const Caller& call) -> std::string {
         // After SEED 21 the next unseeded call continues the sequence:
         // different from a call that reseeds with 21 again.
         if (first.failed) return describe(first);
         const CallResult next =
             call(B, harness::argsOf(s(12), s(30), e(), e()), 1);
         const CallResult reseeded =
             call(B, harness::argsOf(s(12), s(30), e(), s(21)), 1);
         if (values(next) == values(reseeded)) return "SEED [] reseeded";
         if (values(reseeded) != values(first)) return "SEED 21 differs";
         return "";
       },
       kAnyModule},
      {"a SEED that passes reseeds even if the call then fails", B,
       in(ARG(s(5)), ARG(s(3)), ARG(e()), ARG(s(77))), 2,
       all({fails(kTooManyOutputs),
            [](const CallResult&, const Caller& call) -> std::string {
              const CallResult unseeded =
                  call(B, harness::argsOf(s(5), s(3)), 1);
              const CallResult seeded =
                  call(B, harness::argsOf(s(5), s(3), e(), s(77)), 1);
              if (values(unseeded) != values(seeded))
                return "the failed call did not reseed";
              return "";
            }}),
       kAnyModule},
      {"SEED with X and with N give the same draws", B,
       in(ARG(row({10, 20, 30, 40})), ARG(s(5)), ARG(e()), ARG(s(99))), 1,
       [](const CallResult& r, const Caller& call) -> std::string {
         const CallResult numbers =
             call(B, harness::argsOf(s(4), s(5), e(), s(99)), 1);
         std::vector<double> expected;
         for (double v : values(numbers)) expected.push_back(10 * v);
         if (values(r) != expected) return "X's values are not X(numbers)";
         return "";
       },
       kAnyModule},

      // WEIGHTS.
      {"WEIGHTS 5 0 6.9 1.2", B,
       in(ARG(s(4)), ARG(s(3)), ARG(no()), ARG(e()), w({5, 0, 6.9, 1.2})), 1,
       all({shape({4, 3}), counts({5, 0, 6, 1})}), kAnyModule},
      {"WEIGHTS 6 0 0", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({6, 0, 0})), 1,
       exactly({3, 2}, {1, 1, 1, 1, 1, 1}), kAnyModule},
      {"WEIGHTS as a column", B,
       in(ARG(s(3)), ARG(s(4)), ARG(e()), ARG(s(2)), ARG(col({4, 4, 4}))), 1,
       balanced(3, 4), kAnyModule},
      {"WEIGHTS empty are NBOOT each", B,
       in(ARG(s(6)), ARG(s(5)), ARG(e()), ARG(s(31)), ARG(e())), 1,
       sameAs(B, in(ARG(s(6)), ARG(s(5)), ARG(e()), ARG(s(31)))), kAnyModule},
      {"WEIGHTS NBOOT each are the default", B,
       in(ARG(s(6)), ARG(s(5)), ARG(e()), ARG(s(31)), w({5, 5, 5, 5, 5, 5})), 1,
       sameAs(B, in(ARG(s(6)), ARG(s(5)), ARG(e()), ARG(s(31)))), kAnyModule},
      {"WEIGHTS with X", B,
       in(ARG(row({1.5, 2.5, 3.5})), ARG(s(2)), ARG(e()), ARG(e()),
          w({0, 6, 0})),
       1, exactly({3, 2}, {2.5, 2.5, 2.5, 2.5, 2.5, 2.5}), kAnyModule},
      {"WEIGHTS with LOO", B,
       in(ARG(s(4)), ARG(s(4)), ARG(yes()), ARG(s(6)), w({1, 3, 5, 7})), 1,
       all({shape({4, 4}), counts({1, 3, 5, 7})}), kAnyModule},
      {"WEIGHTS, NBOOT 1", B,
       in(ARG(s(3)), ARG(s(1)), ARG(e()), ARG(e()), w({0, 3, 0})), 1,
       exactly({3, 1}, {2, 2, 2}), kAnyModule},
      {"WEIGHTS 1e-9 truncate to 0", B,
       in(ARG(s(2)), ARG(s(2)), ARG(e()), ARG(e()), w({1e-9, 4.999})), 1,
       exactly({2, 2}, {2, 2, 2, 2}), kAnyModule},
      {"a failed WEIGHTS call, then a good one", B,
       in(ARG(s(3)), ARG(s(2)), ARG(e()), ARG(e()), w({-1, 2, 2})), 1,
       all({failsAfterOutput(kWPositive),
            thenWorks(B, in(ARG(s(3)), ARG(s(2))), balanced(3, 2))}),
       kAnyModule},
  };
  c.insert(c.end(), more.begin(), more.end());
  return c;
}

}  // namespace

const std::vector<Case>& cases() {
  static const std::vector<Case> table = [] {
    std::vector<Case> t = quorvaneCases();
    std::vector<Case> b = bootCases();
    t.insert(t.end(), b.begin(), b.end());
    return t;
  }();
  return table;
}

int runTable(const Caller& call, const Selection& selection) {
  int passed = 0, failed = 0, skipped = 0;
  for (const Case& c : cases()) {
    const bool wanted =
        c.function == Function::kQuorvane ? selection.quorvane : selection.boot;
    if (!wanted) continue;
    if (((c.needs & kSizes730) && !selection.sizes730) ||
        ((c.needs & kProcess32) && sizeof(void*) != 4)) {
      ++skipped;
      continue;
    }
    const char* prefix =
        c.function == Function::kQuorvane ? "quorvane" : "boot";
    std::string error;
    try {
      const CallResult r = call(c.function, c.inputs(), c.nlhs);
      error = c.check(r, call);
    } catch (const std::exception& ex) {
      error = std::string("exception: ") + ex.what();
    }
    std::printf("%s %s: %s%s%s\n", error.empty() ? "PASS" : "FAIL", prefix,
                c.name.c_str(), error.empty() ? "" : ": ", error.c_str());
    (error.empty() ? passed : failed) += 1;
  }
  std::printf("conformance: %d passed, %d failed, %d skipped\n", passed, failed,
              skipped);
  return failed;
}

}  // namespace conformance
