// libFuzzer harness for boot: any call either ends with a documented message,
// or returns N x NBOOT resamples in which, for NBOOT >= 2, every observation
// occurs exactly as often as its count (NBOOT, or its weight) says.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>

#include "call_decoder.h"
#include "messages.h"

extern "C" void mexFunction(int, mxArray**, int, const mxArray**);

namespace {

using namespace messages::boot;

// The messages of the checks before the output exists.
const std::set<std::string> kBeforeOutput = {
    "Out of memory.",  // the stand-in host, beyond its creation limit
    kTwoInputs,       kTooManyInputs, kNImag,      kNType,          kNSparse,
    kNEmpty,          kNValue,        kNOrX,       kNbootScalar,    kNbootType,
    kNbootImag,       kNbootEmpty,    kNbootValue, kNbootFinite,    kLoo,
    kSeedScalar,      kSeedType,      kSeedFinite, kTooManyOutputs, kTotal,
};

// The messages of the WEIGHTS checks, made after the output went to the host.
const std::set<std::string> kAfterOutput = {
    kWType, kWImag, kWLength, kWSparse, kWFinite, kWPositive, kWSum,
};

std::uint64_t bitsOf(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

void checkSuccess(const fuzz::Call& call, const fuzz::Outcome& o) {
  const mxArray* first = call.inputs[0];
  const bool scalarForm = mxGetNumberOfElements(first) < 2;
  const std::size_t n = scalarForm ? static_cast<std::size_t>(*mxGetPr(first))
                                   : mxGetNumberOfElements(first);
  const auto nboot = static_cast<std::size_t>(*mxGetPr(call.inputs[1]));
  const std::size_t* od = mxGetDimensions_730(o.out);
  if (!mxIsClass(o.out, "double") || mxIsComplex(o.out) ||
      mxGetNumberOfElements(o.out) != n * nboot || od[0] != n || od[1] != nboot)
    fuzz::fail("boot: output is not N x NBOOT real doubles");
  if (!o.printed.empty()) fuzz::fail("boot: printed something");

  // Expected occurrences of each value: its count, NBOOT or its weight.
  const bool weighted = call.inputs.size() == 5 && !mxIsEmpty(call.inputs[4]);
  std::map<std::uint64_t, std::int64_t> expected;
  for (std::size_t i = 0; i < n; ++i) {
    const double value = scalarForm ? i + 1.0 : mxGetPr(first)[i];
    const std::int64_t count =
        weighted ? static_cast<std::int64_t>(mxGetPr(call.inputs[4])[i])
                 : static_cast<std::int64_t>(nboot);
    if (count > 0) expected[bitsOf(value)] += count;
  }
  std::map<std::uint64_t, std::int64_t> seen;
  const double* out = mxGetPr(o.out);
  for (std::size_t k = 0; k < n * nboot; ++k) {
    if (expected.count(bitsOf(out[k])) == 0)
      fuzz::fail("boot: an output element is no observation with a count");
    ++seen[bitsOf(out[k])];
  }
  if (nboot >= 2 && seen != expected)
    fuzz::fail("boot: observations not drawn as often as their counts say");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return fuzz::fuzzOne(
      mexFunction, data, size,
      [](const fuzz::Call& call, const fuzz::Outcome& o) {
        if (o.failed) {
          const bool after = kAfterOutput.count(o.message) == 1;
          if (!after && kBeforeOutput.count(o.message) == 0)
            fuzz::fail("boot: undocumented message: " + o.message);
          if ((o.out != nullptr) != after)
            fuzz::fail("boot: output slot does not match the failing step");
        } else {
          if (o.out == nullptr) fuzz::fail("boot: no output");
          checkSuccess(call, o);
        }
      });
}
