// How mexFunction runs a gateway.
//
// A Windows module carries its own static copy of the C++ runtime, so a C++
// exception leaving mexFunction cannot be caught by a host built with
// another compiler: the host process would abort. There, a failed
// allocation ends the call through mexErrMsgTxt with "Out of memory."
// instead. Elsewhere the exception goes on to the host, which catches the
// standard exceptions.
#pragma once

#include <new>
#include <stdexcept>

#include "mex_api.h"

namespace mexhost {

using Gateway = void (*)(int nlhs, mxArray* plhs[], int nrhs,
                         const mxArray* prhs[]);

inline void runGateway(Gateway gateway, int nlhs, mxArray* plhs[], int nrhs,
                       const mxArray* prhs[]) {
#if defined(_WIN32) && !defined(MEXHOST_OCTAVE)
  bool outOfMemory = false;
  try {
    gateway(nlhs, plhs, nrhs, prhs);
  } catch (const std::bad_alloc&) {
    outOfMemory = true;
  } catch (const std::length_error&) {
    // A vector longer than the address space can hold.
    outOfMemory = true;
  }
  // Outside the handler, so that the exception is finished before an exit
  // that may not come back through this frame.
  if (outOfMemory) mexErrMsgTxt("Out of memory.");
#else
  gateway(nlhs, plhs, nrhs, prhs);
#endif
}

}  // namespace mexhost
