// Stand-in libmx: arrays with a class, any number of dimensions, optional
// imaginary part and sparse flag, column-major storage.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "standin.h"

struct mxArray_tag {
  mxClassID classId;
  std::vector<std::size_t> dims;
  std::vector<int> dims700;  // the same sizes for the 32-bit entry points
  bool sparse;
  std::size_t stored;  // elements in each of real and imag
  unsigned char* real;
  unsigned char* imag;
};

namespace {

std::atomic<long> gLive{0};
std::atomic<std::size_t> gCreationLimit{~std::size_t{0}};

struct ClassInfo {
  mxClassID id;
  const char* name;
  std::size_t size;
};

constexpr ClassInfo kClasses[] = {
    {mxLOGICAL_CLASS, "logical", 1}, {mxCHAR_CLASS, "char", 2},
    {mxDOUBLE_CLASS, "double", 8},   {mxSINGLE_CLASS, "single", 4},
    {mxINT8_CLASS, "int8", 1},       {mxUINT8_CLASS, "uint8", 1},
    {mxINT16_CLASS, "int16", 2},     {mxUINT16_CLASS, "uint16", 2},
    {mxINT32_CLASS, "int32", 4},     {mxUINT32_CLASS, "uint32", 4},
    {mxINT64_CLASS, "int64", 8},     {mxUINT64_CLASS, "uint64", 8},
    {mxCELL_CLASS, "cell", 8},       {mxSTRUCT_CLASS, "struct", 8},
};

const ClassInfo& classInfo(mxClassID id) {
  for (const ClassInfo& info : kClasses) {
    if (info.id == id) return info;
  }
  std::fprintf(stderr, "stand-in host: unknown class %d\n", id);
  std::abort();
}

// A misuse of the host API by a module is a test failure, not a crash later.
[[noreturn]] void misuse(const char* what) {
  std::fprintf(stderr, "stand-in host: %s\n", what);
  std::abort();
}

std::size_t elementCount(const std::vector<std::size_t>& dims) {
  std::size_t n = 1;
  for (std::size_t d : dims) n *= d;
  return n;
}

mxArray* make(mxClassID classId, std::size_t ndim, const std::size_t* dims,
              bool complex, bool sparse, std::size_t nzmax, bool backed) {
  auto* a = new mxArray_tag{};
  a->classId = classId;
  a->dims.assign(dims, dims + ndim);
  while (a->dims.size() < 2) a->dims.push_back(1);
  // Trailing singleton dimensions are dropped, as the host does.
  while (a->dims.size() > 2 && a->dims.back() == 1) a->dims.pop_back();
  for (std::size_t d : a->dims) {
    a->dims700.push_back(
        d > static_cast<std::size_t>(std::numeric_limits<int>::max())
            ? std::numeric_limits<int>::max()
            : static_cast<int>(d));
  }
  a->sparse = sparse;
  a->stored = !backed  ? 0
              : sparse ? std::max<std::size_t>(nzmax, 1)
                       : elementCount(a->dims);
  const std::size_t bytes = a->stored * classInfo(classId).size;
  // Exact-size blocks, so that AddressSanitizer sees any read past the end;
  // an array with no elements has no storage at all.
  if (bytes > 0) {
    a->real = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (complex) a->imag = static_cast<unsigned char*>(std::calloc(bytes, 1));
    if (a->real == nullptr || (complex && a->imag == nullptr))
      misuse("out of memory");
  } else if (complex) {
    a->imag = static_cast<unsigned char*>(std::calloc(1, 1));
  }
  ++gLive;
  return a;
}

// The host ends a call whose output it cannot allocate.
void refuseBeyondLimit(std::size_t ndim, const std::size_t* dims,
                       std::size_t elementSize) {
  std::size_t bytes = elementSize;
  for (std::size_t i = 0; i < ndim; ++i) {
    if (__builtin_mul_overflow(bytes, dims[i], &bytes)) {
      bytes = ~std::size_t{0};
      break;
    }
  }
  if (bytes > gCreationLimit.load()) mexErrMsgTxt("Out of memory.");
}

}  // namespace

namespace standin {

void setCreationLimit(std::size_t bytes) { gCreationLimit = bytes; }

std::size_t elementSize(mxClassID classId) { return classInfo(classId).size; }
mxClassID classOf(const mxArray* array) { return array->classId; }

mxArray* createArray(mxClassID classId, std::size_t ndim,
                     const std::size_t* dims, bool complex, bool sparse,
                     std::size_t nzmax) {
  return make(classId, ndim, dims, complex, sparse, nzmax, true);
}

mxArray* createUnbacked(std::size_t ndim, const std::size_t* dims) {
  return make(mxDOUBLE_CLASS, ndim, dims, false, false, 0, false);
}

void* realData(const mxArray* array) { return array->real; }
void* imagData(const mxArray* array) { return array->imag; }
std::size_t storedElements(const mxArray* array) { return array->stored; }

void destroyArray(mxArray* array) {
  if (array == nullptr) return;
  std::free(array->real);
  std::free(array->imag);
  delete array;
  --gLive;
}

long liveArrays() { return gLive.load(); }

}  // namespace standin

extern "C" {

bool mxIsClass(const mxArray* array, const char* className) {
  return std::strcmp(classInfo(array->classId).name, className) == 0;
}

bool mxIsComplex(const mxArray* array) { return array->imag != nullptr; }

bool mxIsEmpty(const mxArray* array) { return elementCount(array->dims) == 0; }

bool mxIsSparse(const mxArray* array) { return array->sparse; }

std::size_t mxGetNumberOfElements(const mxArray* array) {
  return elementCount(array->dims);
}

double* mxGetPr(const mxArray* array) {
  if (array->classId != mxDOUBLE_CLASS) misuse("mxGetPr of a non-double array");
  return reinterpret_cast<double*>(array->real);
}

void* mxGetData(const mxArray* array) { return array->real; }

mxLogical* mxGetLogicals(const mxArray* array) {
  if (array->classId != mxLOGICAL_CLASS)
    misuse("mxGetLogicals of a non-logical array");
  return array->real;
}

bool mxIsFinite(double value) { return std::isfinite(value); }

bool mxIsNaN(double value) { return std::isnan(value); }

const std::size_t* mxGetDimensions_730(const mxArray* array) {
  return array->dims.data();
}

mxArray* mxCreateDoubleMatrix_730(std::size_t rows, std::size_t columns,
                                  mxComplexity complexity) {
  const std::size_t dims[] = {rows, columns};
  refuseBeyondLimit(2, dims, 8);
  return make(mxDOUBLE_CLASS, 2, dims, complexity == mxCOMPLEX, false, 0, true);
}

mxArray* mxCreateNumericArray_730(std::size_t ndim, const std::size_t* dims,
                                  mxClassID classId, mxComplexity complexity) {
  refuseBeyondLimit(ndim, dims, classInfo(classId).size);
  return make(classId, ndim, dims, complexity == mxCOMPLEX, false, 0, true);
}

const int* mxGetDimensions_700(const mxArray* array) {
  return array->dims700.data();
}

// Negative 32-bit sizes count as 0, as the host treats them.
static std::size_t size700(int value) {
  return value < 0 ? 0 : static_cast<std::size_t>(value);
}

mxArray* mxCreateDoubleMatrix_700(int rows, int columns,
                                  mxComplexity complexity) {
  return mxCreateDoubleMatrix_730(size700(rows), size700(columns), complexity);
}

mxArray* mxCreateNumericArray_700(int ndim, const int* dims, mxClassID classId,
                                  mxComplexity complexity) {
  // A plain array: the creation may end the call by the jump exit, which
  // would leave a vector's storage behind.
  std::size_t wide[32];
  if (ndim < 0 || ndim > 32)
    misuse("mxCreateNumericArray_700 of over 32 sizes");
  for (int i = 0; i < ndim; ++i) wide[i] = size700(dims[i]);
  return mxCreateNumericArray_730(static_cast<std::size_t>(ndim), wide, classId,
                                  complexity);
}

}  // extern "C"
