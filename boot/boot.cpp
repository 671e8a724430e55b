// boot(N or X, NBOOT, LOO, SEED, WEIGHTS): NBOOT balanced bootstrap resamples
// of N observations, as an N x NBOOT matrix of observation numbers (first
// argument N) or of values of X (first argument a vector).
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "balanced_resampling.h"
#include "convert.h"
#include "gateway.h"
#include "mex_api.h"
#include "random_source.h"

using mexhost::kMaxSize;
using mexhost::truncateToInt;
using mexhost::widenSize;

namespace {

void bootGateway(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  if (nrhs < 2) mexErrMsgTxt("At least two input arguments are required.");
  if (nrhs > 5) mexErrMsgTxt("Too many input arguments.");

  // A first argument of fewer than two elements is N, otherwise X.
  const mxArray* first = prhs[0];
  const bool scalarForm = mxGetNumberOfElements(first) < 2;
  const double* xData = nullptr;
  std::int64_t n = 0;  // 64-bit until N * NBOOT is known to fit
  if (scalarForm) {
    if (mxIsComplex(first))
      mexErrMsgTxt(
          "The first input argument (N) cannot contain an imaginary part.");
    if (!mxIsClass(first, "double"))
      mexErrMsgTxt("The first input argument (N or X) must be of type double.");
    if (mxIsSparse(first))
      mexErrMsgTxt("The first input argument (N or X) cannot be sparse.");
    if (mxIsEmpty(first))
      mexErrMsgTxt("The first input argument (N or X) cannot be empty.");
    const double value = *mxGetPr(first);
    if (!(value >= 1.0 && value <= static_cast<double>(kMaxSize) &&
          std::floor(value) == value))
      mexErrMsgTxt(
          "The value of the first input argument (N) must be a positive "
          "integer.");
    n = truncateToInt<std::int32_t>(value);
  } else {
    const mwSize* dims = mxGetDimensions(first);
    if (dims[0] > 1 && dims[1] > 1)
      mexErrMsgTxt(
          "The first input argument must be either a scalar (N) or vector "
          "(X).");
    if (!mxIsClass(first, "double"))
      mexErrMsgTxt("The first input argument (N or X) must be of type double.");
    if (mxIsSparse(first))
      mexErrMsgTxt("The first input argument (N or X) cannot be sparse.");
    // Only the real parts of a complex X are used.
    xData = mxGetPr(first);
    n = static_cast<std::int64_t>(mxGetNumberOfElements(first));
  }

  const mxArray* nbootArg = prhs[1];
  if (mxGetNumberOfElements(nbootArg) > 1)
    mexErrMsgTxt("The second input argument (NBOOT) must be scalar.");
  if (!mxIsClass(nbootArg, "double"))
    mexErrMsgTxt("The second input argument (NBOOT) must be of type double.");
  if (mxIsComplex(nbootArg))
    mexErrMsgTxt(
        "The second input argument (NBOOT) cannot contain an imaginary part.");
  if (mxIsEmpty(nbootArg))
    mexErrMsgTxt("The second input argument (NBOOT) cannot be empty.");
  const double nbootValue = *mxGetPr(nbootArg);
  // NaN and -Inf truncate below 1 and fail here; +Inf saturates and fails
  // the next check.
  const std::int32_t nboot = truncateToInt<std::int32_t>(nbootValue);
  if (nboot < 1)
    mexErrMsgTxt(
        "The second input argument (NBOOT) must be a positive integer.");
  if (!mxIsFinite(nbootValue))
    mexErrMsgTxt("The second input argument (NBOOT) cannot be NaN or Inf.");

  bool loo = false;
  if (nrhs >= 3 && !mxIsEmpty(prhs[2])) {
    const mxArray* arg = prhs[2];
    if (mxGetNumberOfElements(arg) > 1 || !mxIsClass(arg, "logical"))
      mexErrMsgTxt(
          "The third input argument (LOO) must be a logical scalar value.");
    loo = mxGetLogicals(arg)[0] != 0;
  }

  if (nrhs >= 4 && !mxIsEmpty(prhs[3])) {
    const mxArray* arg = prhs[3];
    if (mxGetNumberOfElements(arg) > 1)
      mexErrMsgTxt("The fourth input argument (SEED) must be a scalar value.");
    if (!mxIsClass(arg, "double"))
      mexErrMsgTxt("The fourth input argument (SEED) must be of type double.");
    const double seed = *mxGetPr(arg);
    if (!mxIsFinite(seed))
      mexErrMsgTxt("The fourth input argument (SEED) cannot be NaN or Inf.");
    // Reseeded at once: a later failure of this call does not undo it.
    std::srand(truncateToInt<std::uint32_t>(seed));
  }

  if (nlhs > 1) mexErrMsgTxt("Too many output arguments.");
  // Output positions and the pool's total are 32-bit.
  if (n > kMaxSize || n * nboot > kMaxSize)
    mexErrMsgTxt("N * NBOOT must not exceed 2147483647.");
  const auto rows = static_cast<std::int32_t>(n);
  const std::int64_t total = std::int64_t{rows} * nboot;

  // From here on the output belongs to the host, also if a check fails.
  const mwSize outDims[] = {widenSize<mwSize>(rows), widenSize<mwSize>(nboot)};
  mxArray* out = mxCreateNumericArray(2, outDims, mxDOUBLE_CLASS, mxREAL);
  plhs[0] = out;
  const double* weights = nullptr;
  if (nrhs == 5 && !mxIsEmpty(prhs[4])) {
    const mxArray* arg = prhs[4];
    if (!mxIsClass(arg, "double"))
      mexErrMsgTxt(
          "The fifth input argument (WEIGHTS) must be of type double.");
    if (mxIsComplex(arg))
      mexErrMsgTxt(
          "The fifth input argument (WEIGHTS) cannot contain an imaginary "
          "part.");
    if (mxGetNumberOfElements(arg) != static_cast<std::size_t>(rows))
      mexErrMsgTxt(
          "WEIGHTS must be a vector of length N or be the same length as X.");
    if (mxIsSparse(arg))
      mexErrMsgTxt("The fifth input argument (WEIGHTS) cannot be sparse.");
    weights = mxGetPr(arg);
    // Each element is checked and counted before the next is read, so the
    // first bad element decides the message.
    std::int64_t sum = 0;
    bool overflowed = false;
    for (std::int32_t i = 0; i < rows; ++i) {
      const double w = weights[i];
      if (!mxIsFinite(w))
        mexErrMsgTxt(
            "The fifth input argument (WEIGHTS) cannot contain NaN or Inf.");
      if (w < 0.0)
        mexErrMsgTxt(
            "The fifth input argument (WEIGHTS) must contain only positive "
            "integers.");
      // Weights near 9.2e18 could wrap the sum back onto N * NBOOT.
      overflowed |=
          __builtin_add_overflow(sum, truncateToInt<std::int64_t>(w), &sum);
    }
    if (overflowed || sum != total)
      mexErrMsgTxt("The elements of WEIGHTS must sum to N * NBOOT.");
  }

  // The count vector is made only after the last check: a host whose error
  // exit does not unwind the module's frames would leave it behind.
  std::vector<std::int64_t> counts(static_cast<std::size_t>(rows), nboot);
  if (weights != nullptr) {
    for (std::int32_t i = 0; i < rows; ++i)
      counts[static_cast<std::size_t>(i)] =
          truncateToInt<std::int64_t>(weights[i]);
  }

  auto* outData = static_cast<double*>(mxGetData(out));
  // One value of the process-wide generator seeds this call's engine.
  boot::Engine engine(static_cast<std::uint32_t>(std::rand()));
  boot::fillBalancedResamples(rows, nboot, loo, xData, outData, counts, total,
                              engine);
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  mexhost::runGateway(bootGateway, nlhs, plhs, nrhs, prhs);
}
