// Turns fuzz input into a call of mexFunction through the stand-in host, and
// back: the encoder writes the seed corpus.
//
// Layout, one byte each unless said: input count (mod 8), output count
// (mod 4), then per input: class, flags (bit 0 complex, bit 1 sparse, bits
// 2-3 extra dimensions, bit 4 a shape too large to allocate, bit 5 which of
// rows and columns is that large), one byte per dimension (an index into
// kDims; for the large shape one more byte, an index into kHugeDims), then
// one byte per stored element, real parts then imaginary parts (an index into
// kValues for double and single, raw bytes for the other classes). Missing
// bytes read as 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "mex_api.h"

namespace fuzz {

extern const mxClassID kClasses[12];
extern const std::size_t kDims[12];
extern const std::size_t kHugeDims[3];
extern const double kValues[36];
// Elements per input at most; larger shapes are cut down dimension by
// dimension, so that every call stays fast.
constexpr std::size_t kMaxElements = 1024;

using MexFunction = void (*)(int, mxArray**, int, const mxArray**);

struct Call {
  std::vector<mxArray*> inputs;
  int nlhs = 0;
  Call() = default;
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;
  ~Call();
};

void decodeCall(const std::uint8_t* data, std::size_t size, Call& call);

struct Outcome {
  bool failed = false;
  std::string message;
  std::string printed;
  mxArray* out = nullptr;  // what the call left in slot 0, given back here
  Outcome() = default;
  Outcome(const Outcome&) = delete;
  Outcome& operator=(const Outcome&) = delete;
  ~Outcome();
};

// Calls the function as the host does. Aborts, so that the fuzzer reports
// it, when the function writes a slot beyond the first or leaves an array
// behind that it did not hand back.
void invoke(MexFunction function, const Call& call, Outcome& outcome);

// One fuzz input: decoded into a call, run, and its outcome checked by
// check(call, outcome), which aborts on a fault.
template <typename Check>
int fuzzOne(MexFunction function, const std::uint8_t* data, std::size_t size,
            Check check) {
  Call call;
  decodeCall(data, size, call);
  Outcome outcome;
  invoke(function, call, outcome);
  check(call, outcome);
  return 0;
}

// The inverse of decodeCall, for the seed corpus.
class Encoder {
 public:
  Encoder(int nrhs, int nlhs);
  // values: indices into kValues (double, single) or raw bytes.
  Encoder& input(mxClassID classId, std::vector<std::size_t> dims,
                 std::vector<std::uint8_t> values = {}, bool complex = false,
                 bool sparse = false);
  Encoder& scalar(double value);
  // An unbacked double array with 2^31 rows (0) or columns (1).
  Encoder& huge(std::size_t dimIndex);
  Encoder& doubles(std::vector<std::size_t> dims,
                   const std::vector<double>& values);
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

[[noreturn]] void fail(const std::string& what);

}  // namespace fuzz
