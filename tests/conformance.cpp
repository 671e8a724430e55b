// conformance <quorvane module> [<boot module>]: a set of calls whose
// messages, shapes and values every build of the modules must give, run in
// the process of the platform the module was built for (natively, or under
// Wine for the Windows modules). Prints one line per check and exits non-zero
// when any fails.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "harness.h"

namespace {

using harness::argsOf;
using harness::CallResult;
using harness::scalar;

int gFailures = 0;

void check(bool ok, const std::string& name, const std::string& detail = "") {
  std::printf("%s %s%s%s\n", ok ? "PASS" : "FAIL", name.c_str(),
              ok || detail.empty() ? "" : ": ", ok ? "" : detail.c_str());
  if (!ok) ++gFailures;
}

void expectMessage(const harness::Module& m, const std::string& name,
                   const std::vector<harness::Array>& in,
                   const std::string& message, int nlhs = 1) {
  const CallResult r = harness::run(m, in, nlhs);
  check(r.failed && r.message == message && r.leaked == 0, name,
        r.failed ? "message \"" + r.message + "\"" : "call succeeded");
}

void quorvaneSet(const harness::Module& q) {
  expectMessage(q, "quorvane without inputs", {},
                "At least one input argument is required.");
  expectMessage(q, "quorvane of a logical", argsOf(harness::logical(true)),
                "The first input argument (X) must be of type double");
  expectMessage(
      q, "quorvane with TOL NaN",
      argsOf(harness::column({1, 2}), scalar(1), scalar(harness::kNaN)),
      "The third input argument (TOL) cannot be NaN or Inf");

  const CallResult byColumn =
      harness::run(q, argsOf(harness::doubles({3, 2}, {0, 1, 10, 1, 2, 3})));
  const std::vector<double> v = byColumn.out
                                    ? harness::valuesOf(byColumn.out.get())
                                    : std::vector<double>{};
  check(!byColumn.failed && harness::dimsOf(byColumn.out.get()) ==
                                std::vector<std::size_t>{1, 2},
        "quorvane column-wise shape 1x2");
  check(v.size() == 2 && v[0] > 2.60 && v[0] < 2.61 && v[1] == 2,
        "quorvane worked values 0 1 10 and 1 2 3");

  const CallResult byRow = harness::run(
      q, argsOf(harness::doubles({2, 3}, {1, 0, 2, 0, 3, 1}), scalar(2)));
  const std::vector<double> w =
      byRow.out ? harness::valuesOf(byRow.out.get()) : std::vector<double>{};
  check(!byRow.failed &&
            harness::dimsOf(byRow.out.get()) == std::vector<std::size_t>{2, 1},
        "quorvane row-wise shape 2x1");
  check(w.size() == 2 && w[0] == 2 && w[1] > 0.21 && w[1] < 0.22,
        "quorvane worked values 1 2 3 and 0 0 1");

  const CallResult warned = harness::run(
      q, argsOf(harness::column({0, 1, 10}), scalar(1), scalar(0)));
  check(warned.printed ==
            "warning: Root finding failed to reach tolerance for column 1 \n",
        "quorvane warning text", warned.printed);
}

void bootSet(const harness::Module& b) {
  expectMessage(b, "boot with one input", argsOf(scalar(3)),
                "At least two input arguments are required.");
  expectMessage(b, "boot with N * NBOOT too large",
                argsOf(scalar(100000), scalar(100000)),
                "N * NBOOT must not exceed 2147483647.");
  expectMessage(b, "boot with weights of the wrong sum",
                argsOf(scalar(3), scalar(2), harness::logical(false), scalar(1),
                       harness::row({1, 1, 1})),
                "The elements of WEIGHTS must sum to N * NBOOT.");

  const CallResult r = harness::run(
      b, argsOf(scalar(5), scalar(8), harness::logical(false), scalar(42)));
  check(!r.failed &&
            harness::dimsOf(r.out.get()) == std::vector<std::size_t>{5, 8},
        "boot shape N x NBOOT");
  std::vector<int> counts(6, 0);
  if (r.out) {
    for (double v : harness::valuesOf(r.out.get())) {
      if (v >= 1 && v <= 5) ++counts[static_cast<int>(v)];
    }
  }
  bool balanced = true;
  for (int i = 1; i <= 5; ++i) balanced = balanced && counts[i] == 8;
  check(balanced, "boot balance: each observation NBOOT times");

  const CallResult again = harness::run(
      b, argsOf(scalar(5), scalar(8), harness::logical(false), scalar(42)));
  check(
      again.out && r.out &&
          harness::valuesOf(again.out.get()) == harness::valuesOf(r.out.get()),
      "boot same SEED, same resamples");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: conformance <quorvane module> [<boot module>]\n");
    return 2;
  }
  try {
    quorvaneSet(harness::Module(argv[1]));
    if (argc > 2) bootSet(harness::Module(argv[2]));
  } catch (const std::exception& e) {
    check(false, "load", e.what());
  }
  std::printf("%d failed\n", gFailures);
  return gFailures == 0 ? 0 : 1;
}
