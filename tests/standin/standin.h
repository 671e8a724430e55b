// A stand-in for the host's array and messaging libraries (libmx, libmex),
// with real array semantics, for running the modules without the host.
// Beyond the host operations the modules use, it offers what a test needs to
// build inputs and to watch the call: array creation of any class and shape,
// captured console output and a count of live arrays.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

#include "mex_api.h"

namespace standin {

// What mexErrMsgTxt throws, with the throwing exit: the call ends and the
// caller sees the message.
class HostError : public std::runtime_error {
 public:
  explicit HostError(const std::string& message);
  ~HostError() override;
};

// How mexErrMsgTxt ends a call. A host may throw a C++ exception through the
// module's frames, or jump back to where it called mexFunction (longjmp)
// without unwinding them; a module must be right under both. The exit starts
// as the environment variable STANDIN_ERROR_EXIT says ("throw" or "jump");
// without it, "jump" on Windows, where a C++ exception cannot cross modules
// that each carry their own static C++ runtime, and "throw" elsewhere.
enum class ErrorExit { kThrow, kJump };
void setErrorExit(ErrorExit exit);
ErrorExit errorExit();

using MexEntry = void (*)(int nlhs, mxArray* plhs[], int nrhs,
                          const mxArray* prhs[]);

// Calls a module's mexFunction as the host does. Returns false, with the
// message, when the call ended through mexErrMsgTxt; any other exception
// goes on to the caller.
bool callEntry(MexEntry entry, int nlhs, mxArray* plhs[], int nrhs,
               const mxArray* prhs[], std::string& message);

// A new array of any class and any number of dimensions, zero-filled. A
// sparse array stores nzmax elements (at least one), as the host does.
mxArray* createArray(mxClassID classId, std::size_t ndim,
                     const std::size_t* dims, bool complex, bool sparse = false,
                     std::size_t nzmax = 0);

// A double array with the given shape and no element storage, for size
// checks on shapes too large to allocate. Its data pointer is null.
mxArray* createUnbacked(std::size_t ndim, const std::size_t* dims);

// Bytes per element of a class, and an array's class.
std::size_t elementSize(mxClassID classId);
mxClassID classOf(const mxArray* array);

// Raw storage of any array, whatever its class.
void* realData(const mxArray* array);
void* imagData(const mxArray* array);
std::size_t storedElements(const mxArray* array);

void destroyArray(mxArray* array);

// The host operations that create arrays end the call with "Out of memory."
// beyond this many bytes of elements, as a host short of memory does.
void setCreationLimit(std::size_t bytes);

// Arrays created and not yet destroyed, by anyone.
long liveArrays();

// Everything printed through mexPrintf since the last call, then cleared.
std::string takePrinted();

}  // namespace standin
