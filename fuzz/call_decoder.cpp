#include "call_decoder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "standin.h"

namespace fuzz {

const mxClassID kClasses[12] = {
    mxDOUBLE_CLASS, mxLOGICAL_CLASS, mxCHAR_CLASS,  mxSINGLE_CLASS,
    mxINT8_CLASS,   mxUINT8_CLASS,   mxINT16_CLASS, mxUINT16_CLASS,
    mxINT32_CLASS,  mxUINT32_CLASS,  mxINT64_CLASS, mxUINT64_CLASS};

const std::size_t kDims[12] = {0, 1, 2, 3, 4, 5, 8, 17, 100, 1000, 70000, 1};
const std::size_t kHugeDims[3] = {
    std::size_t{1} << 31, (std::size_t{1} << 31) + 1, std::size_t{1} << 32};

const double kValues[36] = {
    0.0,
    -0.0,
    1.0,
    2.0,
    3.0,
    5.0,
    10.0,
    100.0,
    1000.0,
    0.5,
    -1.0,
    -2.5,
    std::numeric_limits<double>::quiet_NaN(),
    std::numeric_limits<double>::infinity(),
    -std::numeric_limits<double>::infinity(),
    std::numeric_limits<double>::denorm_min(),
    -std::numeric_limits<double>::denorm_min(),
    2.2e-308,
    2147483647.0,
    2147483648.0,
    2147483649.0,
    4294967295.0,
    4294967296.0,
    4294967297.0,
    9.2e18,
    9.3e18,
    1e308,
    -1e308,
    1.7e308,
    1e-300,
    7.0,
    42.0,
    0.0001,
    1e10,
    2.9,
    -7.5,
};

namespace {

class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size)
      : p_(data), end_(data + size) {}
  std::uint8_t byte() { return p_ < end_ ? *p_++ : 0; }

 private:
  const std::uint8_t* p_;
  const std::uint8_t* end_;
};

void fillStorage(Reader& in, mxClassID id, void* storage, std::size_t count) {
  if (storage == nullptr) return;
  auto* bytes = static_cast<unsigned char*>(storage);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t b = in.byte();
    if (id == mxDOUBLE_CLASS) {
      const double v = kValues[b % std::size(kValues)];
      std::memcpy(bytes + i * 8, &v, 8);
    } else if (id == mxSINGLE_CLASS) {
      const auto v = static_cast<float>(kValues[b % std::size(kValues)]);
      std::memcpy(bytes + i * 4, &v, 4);
    } else {
      // Spread the byte over the element so large integers occur too.
      const std::size_t size = standin::elementSize(id);
      for (std::size_t k = 0; k < size; ++k)
        bytes[i * size + k] = static_cast<unsigned char>(b * (k + 1));
    }
  }
}

}  // namespace

Call::~Call() {
  for (mxArray* a : inputs) standin::destroyArray(a);
}

void decodeCall(const std::uint8_t* data, std::size_t size, Call& call) {
  Reader in(data, size);
  const int nrhs = in.byte() % 8;
  call.nlhs = in.byte() % 4;
  for (int i = 0; i < nrhs; ++i) {
    const mxClassID id = kClasses[in.byte() % std::size(kClasses)];
    const std::uint8_t flags = in.byte();
    const bool complex = flags & 1;
    const bool sparse = flags & 2;
    const std::size_t ndim = 2 + ((flags >> 2) & 3) % 3;
    std::vector<std::size_t> dims(ndim);
    for (std::size_t& d : dims) d = kDims[in.byte() % std::size(kDims)];
    if (flags & 0x10) {
      // A double array too large to allocate: rows or columns reach 2^31.
      // Both functions must refuse it before reading any element.
      dims[(flags >> 5) & 1] = kHugeDims[in.byte() % std::size(kHugeDims)];
      call.inputs.push_back(standin::createUnbacked(ndim, dims.data()));
      continue;
    }
    // Cut the shape down, last dimension first, until it is small enough.
    auto count = [&] {
      std::size_t n = 1;
      for (std::size_t d : dims) n *= d;
      return n;
    };
    for (std::size_t k = ndim; k-- > 0 && count() > kMaxElements;) dims[k] = 1;
    const std::size_t nzmax = sparse ? 1 + in.byte() % 8 : 0;
    mxArray* a =
        standin::createArray(id, ndim, dims.data(), complex, sparse, nzmax);
    const std::size_t stored = standin::storedElements(a);
    fillStorage(in, id, standin::realData(a), stored);
    if (complex) fillStorage(in, id, standin::imagData(a), stored);
    call.inputs.push_back(a);
  }
}

void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
  std::abort();
}

Outcome::~Outcome() {
  if (out != nullptr) standin::destroyArray(out);
}

void invoke(MexFunction function, const Call& call, Outcome& o) {
  std::vector<mxArray*> slots(static_cast<std::size_t>(std::max(call.nlhs, 1)),
                              nullptr);
  std::vector<const mxArray*> in(call.inputs.begin(), call.inputs.end());
  const long before = standin::liveArrays();
  standin::takePrinted();
  o.failed =
      !standin::callEntry(function, call.nlhs, slots.data(),
                          static_cast<int>(in.size()), in.data(), o.message);
  o.printed = standin::takePrinted();
  for (std::size_t i = 1; i < slots.size(); ++i) {
    if (slots[i] != nullptr)
      fail("an output slot beyond the first was written");
  }
  o.out = slots[0];
  if (standin::liveArrays() - before != (o.out ? 1 : 0))
    fail("an array was created and not handed back");
}

Encoder::Encoder(int nrhs, int nlhs) {
  bytes_.push_back(static_cast<std::uint8_t>(nrhs));
  bytes_.push_back(static_cast<std::uint8_t>(nlhs));
}

Encoder& Encoder::input(mxClassID classId, std::vector<std::size_t> dims,
                        std::vector<std::uint8_t> values, bool complex,
                        bool sparse) {
  const auto c = std::find(std::begin(kClasses), std::end(kClasses), classId);
  bytes_.push_back(static_cast<std::uint8_t>(c - std::begin(kClasses)));
  bytes_.push_back(static_cast<std::uint8_t>(
      (complex ? 1 : 0) | (sparse ? 2 : 0) | ((dims.size() - 2) << 2)));
  for (std::size_t d : dims) {
    const auto k = std::find(std::begin(kDims), std::end(kDims), d);
    if (k == std::end(kDims)) fail("seed dimension not in the table");
    bytes_.push_back(static_cast<std::uint8_t>(k - std::begin(kDims)));
  }
  if (sparse) bytes_.push_back(0);
  bytes_.insert(bytes_.end(), values.begin(), values.end());
  return *this;
}

Encoder& Encoder::huge(std::size_t dimIndex) {
  bytes_.push_back(0);  // double
  bytes_.push_back(static_cast<std::uint8_t>(0x10 | (dimIndex << 5)));
  bytes_.push_back(1);  // rows 1
  bytes_.push_back(1);  // columns 1
  bytes_.push_back(0);  // then 2^31 in place of dimension dimIndex
  return *this;
}

Encoder& Encoder::doubles(std::vector<std::size_t> dims,
                          const std::vector<double>& values) {
  std::vector<std::uint8_t> indices;
  for (double v : values) {
    std::size_t k = 0;
    while (k < std::size(kValues) &&
           std::memcmp(&kValues[k], &v, sizeof v) != 0)
      ++k;
    if (k == std::size(kValues))
      fail("seed value not in the table: " + std::to_string(v));
    indices.push_back(static_cast<std::uint8_t>(k));
  }
  return input(mxDOUBLE_CLASS, std::move(dims), std::move(indices));
}

Encoder& Encoder::scalar(double value) { return doubles({1, 1}, {value}); }

}  // namespace fuzz

// Both fuzzers: a host that cannot allocate beyond 64 MB, so that valid calls
// with huge outputs end as on a host short of memory instead of exhausting
// the fuzzer's.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  standin::setCreationLimit(std::size_t{64} << 20);
  return 0;
}
