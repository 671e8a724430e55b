// differential <quorvane|boot> <module> <calls> <seed> [--any-nan]: makes
// that many random calls of the function (random shapes, NaN and Inf, ties,
// DIM and TOL; boot's N or X, NBOOT, LOO, SEED and WEIGHTS; now and then a
// bad argument) and prints one line per call: the call, then its message or
// the result's shape, a hash of its bits and what it printed. The calls
// depend only on the seed, so two builds of a module, run on two platforms,
// must print the same lines. --any-nan: every NaN counts as one, for
// comparing x86 with arm64, whose operations make NaNs of the other sign.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using harness::Array;

// SplitMix64: the same sequence on every platform, unlike the standard
// library's distributions.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 .. n - 1
  int below(int n) {
    return static_cast<int>(next() % static_cast<unsigned>(n));
  }
  bool chance(int percent) { return below(100) < percent; }
  // Uniform in [0, 1), exactly representable.
  double unit() { return static_cast<double>(next() >> 11) * 0x1p-53; }

 private:
  std::uint64_t state_;
};

constexpr double kNaN = harness::kNaN;
constexpr double kInf = harness::kInf;

// A value for X: mostly ordinary, with ties, zeros of both signs, NaN, the
// infinities and extremes.
double value(Random& r, int style) {
  switch (style) {
    case 0: {  // skewed, continuous; only IEEE basic operations, which
               // round alike everywhere (a library exp may not)
      const double u = r.unit();
      return u * u * u * 8 - 0.5;
    }
    case 1:  // small integers: ties
      return r.below(7) - 3;
    default: {
      const double specials[] = {kNaN,  kInf,   -kInf,  0.0,     -0.0,
                                 1e300, -1e300, 5e-324, 1.7e308, 1};
      if (r.chance(30)) return specials[r.below(10)];
      return (r.unit() - 0.5) * 1000;
    }
  }
}

Array matrix(Random& r, std::vector<std::size_t> dims) {
  Array a = harness::ofClass(mxDOUBLE_CLASS, dims);
  auto* p = static_cast<double*>(standin::realData(a.get()));
  const int style = r.below(3);
  for (std::size_t i = 0; i < standin::storedElements(a.get()); ++i)
    p[i] = value(r, style);
  return a;
}

// Now and then an argument of the wrong class, shape or value.
Array badArgument(Random& r) {
  switch (r.below(6)) {
    case 0:
      return harness::ofClass(mxINT8_CLASS, {1, 1});
    case 1:
      return harness::complexScalar(1, 1);
    case 2:
      return harness::row({1, 2});
    case 3:
      return harness::scalar(kNaN);
    case 4:
      return harness::scalar(-1);
    default:
      return harness::logical(true);
  }
}

std::vector<Array> quorvaneCall(Random& r, std::string& what) {
  std::vector<Array> in;
  std::vector<std::size_t> dims = {static_cast<std::size_t>(r.below(25)),
                                   static_cast<std::size_t>(r.below(13))};
  if (r.chance(10)) dims[0] = 1;
  if (r.chance(5)) dims.push_back(2);
  in.push_back(r.chance(3) ? badArgument(r) : matrix(r, dims));
  what = std::to_string(dims[0]) + "x" + std::to_string(dims[1]);
  const int extra = r.below(3);
  if (extra >= 1) {
    const double dimValues[] = {1, 2, 1.5, 2.5, 1, 2};
    const int pick = r.below(8);
    in.push_back(pick < 6   ? harness::scalar(dimValues[pick])
                 : pick < 7 ? harness::empty()
                            : badArgument(r));
  }
  if (extra >= 2) {
    const double tolValues[] = {0, 1e-12, 1e-6, 1e-3, 0.5, 10};
    const int pick = r.below(8);
    in.push_back(pick < 6   ? harness::scalar(tolValues[pick])
                 : pick < 7 ? harness::empty()
                            : badArgument(r));
  }
  return in;
}

std::vector<Array> bootCall(Random& r, std::string& what, int& nlhs) {
  std::vector<Array> in;
  const int n = 1 + r.below(40);
  const int nboot = 1 + r.below(25);
  const bool vectorForm = n >= 2 && r.chance(40);
  if (r.chance(3)) {
    in.push_back(badArgument(r));
  } else if (vectorForm) {
    // Either orientation; now and then a matrix (refused).
    const bool asRow = r.chance(50);
    const std::size_t other = r.chance(5) ? 2 : 1;
    in.push_back(matrix(r, {asRow ? other : static_cast<std::size_t>(n),
                            asRow ? static_cast<std::size_t>(n) : other}));
  } else {
    in.push_back(harness::scalar(n));
  }
  const std::size_t rows = mxGetNumberOfElements(in[0].get()) < 2
                               ? static_cast<std::size_t>(n)
                               : mxGetNumberOfElements(in[0].get());
  in.push_back(r.chance(3) ? badArgument(r)
                           : harness::scalar(nboot + (r.chance(20) ? 0.7 : 0)));
  what = std::to_string(rows) + " obs, " + std::to_string(nboot) + " resamples";
  const int extra = r.below(4);  // LOO, SEED, WEIGHTS
  if (extra >= 1)
    in.push_back(r.chance(30)  ? harness::empty()
                 : r.chance(5) ? badArgument(r)
                               : harness::logical(r.chance(40)));
  if (extra >= 2) {
    if (r.chance(10)) {
      in.push_back(harness::empty());
    } else if (r.chance(4)) {
      in.push_back(badArgument(r));
    } else {
      const double seeds[] = {0, -7, 3.7, 4294967295.0, 1e12};
      in.push_back(harness::scalar(
          r.chance(20) ? seeds[r.below(5)]
                       : static_cast<double>(r.next() & 0xFFFFFFFF)));
    }
  }
  if (extra >= 3) {
    if (r.chance(15)) {
      in.push_back(harness::empty());
    } else {
      // A random split of rows * nboot units, sometimes with fractions (which
      // truncate) or a fault.
      std::vector<double> w(rows, 0);
      for (long u = 0; u < static_cast<long>(rows) * nboot; ++u)
        w[static_cast<std::size_t>(r.below(static_cast<int>(rows)))] += 1;
      if (r.chance(20)) w[0] += 0.9;
      if (r.chance(5)) w[w.size() - 1] = -1;
      if (r.chance(5)) w[0] += 1;
      if (r.chance(3)) w.push_back(1);
      in.push_back(harness::row(w));
    }
  }
  nlhs = r.chance(5) ? 2 : r.chance(5) ? 0 : 1;
  return in;
}

bool gAnyNan = false;

double canonical(double x) { return gAnyNan && x != x ? kNaN : x; }

// FNV-1a over the bits of the values.
std::uint64_t hashOf(const std::vector<double>& v) {
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (double value : v) {
    const double x = canonical(value);
    unsigned char bytes[sizeof x];
    std::memcpy(bytes, &x, sizeof x);
    for (unsigned char b : bytes) h = (h ^ b) * 0x100000001b3ull;
  }
  return h;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  gAnyNan = argc == 6 && std::strcmp(argv[5], "--any-nan") == 0;
  if ((argc != 5 && !gAnyNan) || (std::strcmp(argv[1], "quorvane") != 0 &&
                                  std::strcmp(argv[1], "boot") != 0)) {
    std::fprintf(stderr,
                 "usage: differential <quorvane|boot> <module> <calls> <seed> "
                 "[--any-nan]\n");
    return 2;
  }
  const bool quorvane = std::strcmp(argv[1], "quorvane") == 0;
  const long calls = std::strtol(argv[3], nullptr, 10);
  Random random(std::strtoull(argv[4], nullptr, 10));
  try {
    const std::unique_ptr<harness::Runner> module =
        harness::openModule(argv[2]);
    for (long k = 0; k < calls; ++k) {
      std::string what;
      int nlhs = 1;
      const std::vector<Array> in =
          quorvane ? quorvaneCall(random, what) : bootCall(random, what, nlhs);
      const harness::CallResult r = harness::run(*module, in, nlhs);
      // Plain integer formats: the Windows C library has its own printf.
      std::printf("%ld %s (%d inputs): ", k, what.c_str(),
                  static_cast<int>(in.size()));
      if (r.failed) {
        std::printf("error \"%s\"", r.message.c_str());
      } else {
        const std::vector<std::size_t> dims = harness::dimsOf(r.out.get());
        const std::vector<double> v = harness::valuesOf(r.out.get());
        std::printf("%lux%lu %016" PRIx64, static_cast<unsigned long>(dims[0]),
                    static_cast<unsigned long>(dims[1]), hashOf(v));
        if (!v.empty()) {
          std::uint64_t bits;
          const double first = canonical(v[0]);
          std::memcpy(&bits, &first, sizeof bits);
          std::printf(" first %016" PRIx64, bits);
        }
      }
      std::printf(" printed \"%s\" left %ld\n", escaped(r.printed).c_str(),
                  r.leaked);
    }
  } catch (const std::exception& e) {
    std::printf("load failed: %s\n", e.what());
    return 1;
  }
  return 0;
}
