// libFuzzer harness for quorvane: any call either ends with a documented
// message, or returns one estimate per slice, each within its slice's range
// (widened by one tolerance, as far as the bracket may move) or NaN where no
// value or the median itself is NaN.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "call_decoder.h"
#include "messages.h"

extern "C" void mexFunction(int, mxArray**, int, const mxArray**);

namespace {

using namespace messages::quorvane;

const std::set<std::string> kMessages = {
    "Out of memory.",  // the stand-in host, beyond its creation limit
    kOneInput,        kXType,     kXImag,    kXSparse,   kDimScalar,
    kDimType,         kDimImag,   kDimValue, kTolScalar, kTolType,
    kTolImag,         kTolFinite, kTolSign,  kXSize,
};

bool given(const fuzz::Call& call, std::size_t i) {
  return call.inputs.size() > i && !mxIsEmpty(call.inputs[i]);
}

// Every printed line is the non-convergence warning of one slice.
bool onlyWarnings(const std::string& printed, const char* word,
                  std::int32_t slices) {
  const std::string head =
      std::string("warning: Root finding failed to reach tolerance for ") +
      word + " ";
  std::size_t at = 0;
  while (at < printed.size()) {
    if (printed.compare(at, head.size(), head) != 0) return false;
    at += head.size();
    const std::size_t end = printed.find(" \n", at);
    if (end == std::string::npos) return false;
    const std::string number = printed.substr(at, end - at);
    if (number.empty() ||
        number.find_first_not_of("0123456789") != std::string::npos ||
        std::stol(number) < 1 || std::stol(number) > slices)
      return false;
    at = end + 2;
  }
  return true;
}

void checkSuccess(const fuzz::Call& call, const fuzz::Outcome& o) {
  const mxArray* x = call.inputs[0];
  const std::size_t* d = mxGetDimensions_730(x);
  const auto rows = static_cast<std::int32_t>(d[0]);
  const auto columns = static_cast<std::int32_t>(d[1]);
  int dim = 1;
  if (given(call, 1)) dim = static_cast<int>(*mxGetPr(call.inputs[1]));
  if (rows == 1) dim = 2;
  const bool byColumn = dim == 1;
  const std::int32_t slices = byColumn ? columns : rows;
  const std::int32_t length = byColumn ? rows : columns;

  const std::size_t* od = mxGetDimensions_730(o.out);
  if (!mxIsClass(o.out, "double") || mxIsComplex(o.out) ||
      mxGetNumberOfElements(o.out) != static_cast<std::size_t>(slices) ||
      od[0] != static_cast<std::size_t>(byColumn ? 1 : rows) ||
      od[1] != static_cast<std::size_t>(byColumn ? columns : 1))
    fuzz::fail("quorvane: output is not one real double per slice");
  if (!onlyWarnings(o.printed, byColumn ? "column" : "row", slices))
    fuzz::fail("quorvane: unexpected console output: " + o.printed);

  const double* xs = mxGetPr(x);
  const double* result = mxGetPr(o.out);
  for (std::int32_t i = 0; i < slices; ++i) {
    std::vector<double> v;
    for (std::int32_t j = 0; j < length && !mxIsEmpty(x); ++j) {
      const double value = xs[byColumn ? std::int64_t{i} * rows + j
                                       : i + std::int64_t{rows} * j];
      if (!std::isnan(value)) v.push_back(value);
    }
    const double r = result[i];
    if (v.empty()) {
      if (!std::isnan(r)) fuzz::fail("quorvane: a slice of NaNs gave a number");
      continue;
    }
    const double lo = *std::min_element(v.begin(), v.end());
    const double hi = *std::max_element(v.begin(), v.end());
    if (std::isnan(r)) {
      // Only the median of values reaching both infinities is NaN.
      if (!(lo == -INFINITY && hi == INFINITY))
        fuzz::fail("quorvane: NaN for a slice with values");
      continue;
    }
    double tol = given(call, 2) ? *mxGetPr(call.inputs[2]) : (hi - lo) * 0.0001;
    if (std::isnan(tol)) tol = 0.0;
    if (!(r >= lo - tol && r <= hi + tol))
      fuzz::fail("quorvane: estimate outside its slice's range, slice " +
                 std::to_string(i + 1));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  return fuzz::fuzzOne(
      mexFunction, data, size,
      [](const fuzz::Call& call, const fuzz::Outcome& o) {
        if (o.failed) {
          if (kMessages.count(o.message) == 0)
            fuzz::fail("quorvane: undocumented message: " + o.message);
          // quorvane creates its output only after every check.
          if (o.out != nullptr)
            fuzz::fail("quorvane: output left after an error");
        } else {
          if (o.out == nullptr) fuzz::fail("quorvane: no output");
          checkSuccess(call, o);
        }
      });
}
