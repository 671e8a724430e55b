// Runs a macOS arm64 bundle's own bytes in an emulated arm64 processor
// (Unicorn), with a loader of our own: the segments mapped, the rebase and
// bind opcodes of LC_DYLD_INFO_ONLY applied (lazy pointers bound at load),
// the exports found in the symbol table. Every import is served by the test
// host: the host operations by the stand-in host's arrays, with their data
// copied into emulated memory; the few system and C++ library functions the
// bundles use by small functions here. An import the runner does not serve
// fails the load with its name: that is how an unexpected dependency shows.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "harness.h"

namespace macho {

struct DividerCounts {
  std::uint64_t scalar = 0;  // fdiv, fsqrt on one double
  std::uint64_t vector = 0;  // fdiv.2d, fsqrt.2d
};

class Bundle : public harness::Runner {
 public:
  explicit Bundle(const std::string& path);
  ~Bundle() override;
  Bundle(const Bundle&) = delete;
  Bundle& operator=(const Bundle&) = delete;

  // mexFunction, with the inputs copied into emulated memory and the output
  // copied back into a stand-in array.
  harness::CallResult call(const std::vector<const mxArray*>& inputs,
                           int nlhs = 1) const override;

  // Calls mexfilerequiredapiversion with both slots holding `fill` first.
  void requiredApiVersion(std::uint32_t fill, std::uint32_t& release,
                          std::uint32_t& api) const;

  // Calls an exported function f(const double* x, int32 n, double m,
  // double* gradient, double* curvature), as the pair-sum routines are.
  void callPairSums(const std::string& name, const std::vector<double>& x,
                    double m, double& gradient, double& curvature) const;

  // Counts the divider instructions executed from now on.
  void countDividers(bool on) const;
  DividerCounts dividers() const;

  // The emulator and the loaded image; public so that the emulator's hooks,
  // plain functions, can reach it.
  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace macho
