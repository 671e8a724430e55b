// quorvane(X, DIM, TOL): the smoothed median of every column (DIM = 1, the
// default) or row (DIM = 2) of a real double matrix, ignoring NaNs.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "convert.h"
#include "gateway.h"
#include "mex_api.h"
#include "smoothed_median.h"

using mexhost::fitsSize;
using mexhost::narrowSize;
using mexhost::truncateToInt;
using mexhost::widenSize;
using quorvane::kColumnWise;
using quorvane::kRowWise;

namespace {

void quorvaneGateway(int /*nlhs: one output is always made*/, mxArray* plhs[],
                     int nrhs, const mxArray* prhs[]) {
  if (nrhs < 1) mexErrMsgTxt("At least one input argument is required.");
  const mxArray* x = prhs[0];
  if (!mxIsClass(x, "double"))
    mexErrMsgTxt("The first input argument (X) must be of type double");
  if (mxIsComplex(x))
    mexErrMsgTxt(
        "The first input argument (X) cannot contain an imaginary part");
  // Sparse storage holds only the nonzeros; reading it as full would run
  // past its data.
  if (mxIsSparse(x))
    mexErrMsgTxt("The first input argument (X) must not be sparse");
  const auto* xData = static_cast<const double*>(mxGetData(x));

  // An empty array in the DIM or TOL position counts as not given.
  int dim = 0;
  if (nrhs >= 2 && !mxIsEmpty(prhs[1])) {
    const mxArray* arg = prhs[1];
    if (mxGetNumberOfElements(arg) >= 2)
      mexErrMsgTxt("The second input argument (DIM) must be scalar");
    if (!mxIsClass(arg, "double"))
      mexErrMsgTxt("The second input argument (DIM) must be of type double");
    if (mxIsComplex(arg))
      mexErrMsgTxt(
          "The second input argument (DIM) cannot contain an imaginary part");
    dim = truncateToInt<std::int32_t>(*mxGetPr(arg));
    if (dim != kColumnWise && dim != kRowWise)
      mexErrMsgTxt(
          "The second input argument (DIM) must be 1 (column-wise) or 2 "
          "(row-wise)");
  }

  std::optional<double> tol;
  if (nrhs >= 3 && !mxIsEmpty(prhs[2])) {
    const mxArray* arg = prhs[2];
    if (mxGetNumberOfElements(arg) >= 2)
      mexErrMsgTxt("The third input argument (TOL) must be scalar");
    if (!mxIsClass(arg, "double"))
      mexErrMsgTxt("The third input argument (TOL) must be of type double");
    if (mxIsComplex(arg))
      mexErrMsgTxt(
          "The third input argument (TOL) cannot contain an imaginary part");
    const double value = *mxGetPr(arg);
    if (!mxIsFinite(value))
      mexErrMsgTxt("The third input argument (TOL) cannot be NaN or Inf");
    // 0 is accepted: only values below 0 are refused.
    if (value < 0.0)
      mexErrMsgTxt("The third input argument (TOL) must be a positive value");
    tol = value;
  }

  // Only the first page is read; its sizes and every index into it must fit
  // the 32-bit signed sizes the routines keep.
  const mwSize* dims = mxGetDimensions(x);
  if (!fitsSize(dims[0]) || !fitsSize(dims[1]) ||
      !fitsSize(static_cast<std::uint64_t>(dims[0]) *
                static_cast<std::uint64_t>(dims[1])))
    mexErrMsgTxt(
        "The first input argument (X) must have fewer than 2^31 rows, "
        "columns and elements in its first page");
  const std::int32_t rows = narrowSize(dims[0]);
  const std::int32_t columns = narrowSize(dims[1]);

  // A one-row X is always handled row-wise, whatever DIM said.
  const int effectiveDim =
      rows == 1 ? kRowWise : (dim != 0 ? dim : kColumnWise);
  const bool byColumn = effectiveDim == kColumnWise;
  const std::int32_t sliceCount = byColumn ? columns : rows;
  const std::int32_t sliceLength = byColumn ? rows : columns;

  mxArray* out =
      mxCreateDoubleMatrix(widenSize<mwSize>(byColumn ? 1 : rows),
                           widenSize<mwSize>(byColumn ? columns : 1), mxREAL);
  plhs[0] = out;
  auto* result = static_cast<double*>(mxGetData(out));

  // A slice with no elements has no median. An N-D X with a trailing size of
  // 0 has rows and columns but no elements at all: its slices are as empty.
  if (sliceLength == 0 || mxIsEmpty(x)) {
    std::fill(result, result + sliceCount,
              std::numeric_limits<double>::quiet_NaN());
    return;
  }

  std::vector<double> scratch;
  scratch.reserve(static_cast<std::size_t>(sliceLength));
  for (std::int32_t i = 0; i < sliceCount; ++i) {
    const quorvane::PreparedSlice slice = quorvane::prepareSlice(
        xData, i, sliceCount, sliceLength, effectiveDim, tol, scratch);
    result[i] = quorvane::refineSmoothedMedian(slice, i + 1, effectiveDim);
    scratch.clear();
  }
}

}  // namespace

void mexFunction(int nlhs, mxArray* plhs[], int nrhs, const mxArray* prhs[]) {
  mexhost::runGateway(quorvaneGateway, nlhs, plhs, nrhs, prhs);
}
