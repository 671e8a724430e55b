// conformance [--sizes700] <quorvane module or -> [<boot module>]: runs the
// conformance table on the modules, loaded by file name in the process of
// the platform they were built for (natively, or under Wine for the Windows
// modules). --sizes700: the modules bind the 32-bit-size operations. Prints
// one line per case and exits non-zero when any fails.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>

#include "conformance_cases.h"
#include "harness.h"

int main(int argc, char** argv) {
  conformance::Selection selection;
  int first = 1;
  if (argc > 1 && std::strcmp(argv[1], "--sizes700") == 0) {
    selection.sizes730 = false;
    ++first;
  }
  if (argc - first < 1 || argc - first > 2) {
    std::fprintf(stderr,
                 "usage: conformance [--sizes700] <quorvane module or -> "
                 "[<boot module>]\n");
    return 2;
  }
  try {
    std::unique_ptr<harness::Runner> quorvane, boot;
    if (std::strcmp(argv[first], "-") != 0)
      quorvane = harness::openModule(argv[first]);
    if (argc - first == 2) boot = harness::openModule(argv[first + 1]);
    selection.quorvane = quorvane != nullptr;
    selection.boot = boot != nullptr;
    const conformance::Caller call = [&](conformance::Function f,
                                         const std::vector<harness::Array>& in,
                                         int nlhs) {
      return harness::run(
          f == conformance::Function::kQuorvane ? *quorvane : *boot, in, nlhs);
    };
    std::printf(
        "error exit: %s\n",
        standin::errorExit() == standin::ErrorExit::kJump ? "jump" : "throw");
    return conformance::runTable(call, selection) == 0 ? 0 : 1;
  } catch (const std::exception& e) {
    std::printf("FAIL load: %s\n", e.what());
    return 1;
  }
}
