// The host operations that quorvane and boot use, under the host's own names.
//
// Function code calls the unsuffixed names (mxGetDimensions, ...). One build
// setting picks what they bind to:
//   MEXHOST_OCTAVE     GNU Octave's own mex.h (64-bit signed sizes)
//   MEXHOST_SIZES_700  the 32-bit-size _700 entry points (32-bit Windows)
//   neither            the 64-bit-size _730 entry points (Linux, macOS, Win64)
#pragma once

#include <cstddef>

#if defined(MEXHOST_OCTAVE)

#include <mex.h>

#else

extern "C" {

typedef struct mxArray_tag mxArray;

typedef enum {
  mxUNKNOWN_CLASS = 0,
  mxCELL_CLASS,
  mxSTRUCT_CLASS,
  mxLOGICAL_CLASS,
  mxCHAR_CLASS,
  mxVOID_CLASS,
  mxDOUBLE_CLASS,
  mxSINGLE_CLASS,
  mxINT8_CLASS,
  mxUINT8_CLASS,
  mxINT16_CLASS,
  mxUINT16_CLASS,
  mxINT32_CLASS,
  mxUINT32_CLASS,
  mxINT64_CLASS,
  mxUINT64_CLASS,
  mxFUNCTION_CLASS
} mxClassID;

typedef enum { mxREAL = 0, mxCOMPLEX = 1 } mxComplexity;

// One byte per element, nonzero meaning true. Read as unsigned char so that a
// byte other than 0 or 1 is never loaded as a bool.
typedef unsigned char mxLogical;

// Array tests
bool mxIsClass(const mxArray* array, const char* className);
bool mxIsComplex(const mxArray* array);
bool mxIsEmpty(const mxArray* array);
bool mxIsSparse(const mxArray* array);
std::size_t mxGetNumberOfElements(const mxArray* array);

// Element access
double* mxGetPr(const mxArray* array);
void* mxGetData(const mxArray* array);
mxLogical* mxGetLogicals(const mxArray* array);

// Tests of one double
bool mxIsFinite(double value);
bool mxIsNaN(double value);

// Sizes and creation, 64-bit sizes
const std::size_t* mxGetDimensions_730(const mxArray* array);
mxArray* mxCreateDoubleMatrix_730(std::size_t rows, std::size_t columns,
                                  mxComplexity complexity);
mxArray* mxCreateNumericArray_730(std::size_t ndim, const std::size_t* dims,
                                  mxClassID classId, mxComplexity complexity);

// Sizes and creation, 32-bit sizes
const int* mxGetDimensions_700(const mxArray* array);
mxArray* mxCreateDoubleMatrix_700(int rows, int columns,
                                  mxComplexity complexity);
mxArray* mxCreateNumericArray_700(int ndim, const int* dims, mxClassID classId,
                                  mxComplexity complexity);

// Messages. The host ends the call inside mexErrMsgTxt.
[[noreturn]] void mexErrMsgTxt(const char* message);
int mexPrintf(const char* format, ...);

}  // extern "C"

#if defined(MEXHOST_SIZES_700)
typedef int mwSize;
#define mxGetDimensions mxGetDimensions_700
#define mxCreateDoubleMatrix mxCreateDoubleMatrix_700
#define mxCreateNumericArray mxCreateNumericArray_700
#else
typedef std::size_t mwSize;
#define mxGetDimensions mxGetDimensions_730
#define mxCreateDoubleMatrix mxCreateDoubleMatrix_730
#define mxCreateNumericArray mxCreateNumericArray_730
#endif

#endif  // MEXHOST_OCTAVE

// The entry point every module exports.
extern "C" void mexFunction(int nlhs, mxArray* plhs[], int nrhs,
                            const mxArray* prhs[]);
