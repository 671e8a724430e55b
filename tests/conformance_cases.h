// The conformance table: calls whose messages, shapes, values, printed text
// and balance every build of the modules must give, whichever way it is
// loaded and called (natively, under Wine, in an emulator). Cases are data;
// a runner only says how to call a function of the module under test.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "harness.h"

namespace conformance {

enum class Function { kQuorvane, kBoot };

// One call of a function of the module under test.
using Caller = std::function<harness::CallResult(
    Function, const std::vector<harness::Array>& inputs, int nlhs)>;

// "" when the result is right, else what is wrong. A check may make further
// calls (the same SEED again, a call after a failed one).
using Check =
    std::function<std::string(const harness::CallResult&, const Caller&)>;

// What a case needs of the module and the process that runs it.
enum Needs : unsigned {
  kAnyModule = 0,
  // Sizes of 2^31 and more reach the module only through 64-bit sizes.
  kSizes730 = 1u << 0,
  // A 32-bit process, where a vector of 2^31 - 1 doubles cannot exist.
  kProcess32 = 1u << 1,
};

struct Case {
  std::string name;
  Function function;
  std::function<std::vector<harness::Array>()> inputs;
  int nlhs;
  Check check;
  unsigned needs;
};

const std::vector<Case>& cases();

struct Selection {
  bool quorvane = true;
  bool boot = true;
  bool sizes730 = true;  // the module binds the 64-bit-size operations
};

// Runs every case the selection and the process allow, prints a PASS or
// FAIL line for each and a closing count; returns the number failed.
int runTable(const Caller& call, const Selection& selection);

}  // namespace conformance
