// create_only(N, NBOOT): an N x NBOOT double matrix of zeros, made the way
// boot makes its output and returned. Timed beside boot inside a host, it is
// the host's own cost of such a result: allocation, zero fill, and whatever
// the host does with the returned array.
#include "convert.h"
#include "mex_api.h"

void mexFunction(int /*nlhs*/, mxArray* plhs[], int nrhs,
                 const mxArray* prhs[]) {
  if (nrhs != 2) mexErrMsgTxt("create_only(N, NBOOT)");
  const mwSize dims[] = {mexhost::truncateToInt<mwSize>(mxGetScalar(prhs[0])),
                         mexhost::truncateToInt<mwSize>(mxGetScalar(prhs[1]))};
  plhs[0] = mxCreateNumericArray(2, dims, mxDOUBLE_CLASS, mxREAL);
}
