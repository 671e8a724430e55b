// Stand-in libmex: the error exit throws or jumps back to the caller of
// mexFunction, and console output is kept for the tests to read.
#include <csetjmp>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "standin.h"

namespace {
std::mutex gPrintedLock;
std::string gPrinted;

standin::ErrorExit initialErrorExit() {
  const char* chosen = std::getenv("STANDIN_ERROR_EXIT");
  if (chosen != nullptr && std::strcmp(chosen, "jump") == 0)
    return standin::ErrorExit::kJump;
  if (chosen != nullptr && std::strcmp(chosen, "throw") == 0)
    return standin::ErrorExit::kThrow;
#if defined(_WIN32)
  return standin::ErrorExit::kJump;
#else
  return standin::ErrorExit::kThrow;
#endif
}

standin::ErrorExit gErrorExit = initialErrorExit();
std::jmp_buf* gJumpTarget = nullptr;
std::string gJumpMessage;

// The jump lands in this frame, which holds nothing with a destructor; the
// frames it skips (the module's, libmex's) must hold nothing either.
bool callWithJump(standin::MexEntry entry, int nlhs, mxArray* plhs[], int nrhs,
                  const mxArray* prhs[]) {
  std::jmp_buf target;
  gJumpTarget = &target;
  if (setjmp(target) != 0) {
    gJumpTarget = nullptr;
    return false;
  }
  entry(nlhs, plhs, nrhs, prhs);
  gJumpTarget = nullptr;
  return true;
}
}  // namespace

namespace standin {

HostError::HostError(const std::string& message)
    : std::runtime_error(message) {}
HostError::~HostError() = default;

void setErrorExit(ErrorExit exit) { gErrorExit = exit; }
ErrorExit errorExit() { return gErrorExit; }

bool callEntry(MexEntry entry, int nlhs, mxArray* plhs[], int nrhs,
               const mxArray* prhs[], std::string& message) {
  if (gErrorExit == ErrorExit::kJump) {
    bool returned = false;
    try {
      returned = callWithJump(entry, nlhs, plhs, nrhs, prhs);
    } catch (...) {
      gJumpTarget = nullptr;
      throw;
    }
    if (!returned) message = gJumpMessage;
    return returned;
  }
  try {
    entry(nlhs, plhs, nrhs, prhs);
    return true;
  } catch (const HostError& error) {
    message = error.what();
    return false;
  }
}

std::string takePrinted() {
  std::lock_guard<std::mutex> lock(gPrintedLock);
  std::string out;
  out.swap(gPrinted);
  return out;
}

}  // namespace standin

extern "C" {

void mexErrMsgTxt(const char* message) {
  if (gErrorExit == standin::ErrorExit::kJump && gJumpTarget != nullptr) {
    gJumpMessage.assign(message);
    std::longjmp(*gJumpTarget, 1);
  }
  throw standin::HostError(message);
}

int mexPrintf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  std::lock_guard<std::mutex> lock(gPrintedLock);
  gPrinted += text;
  return length;
}

}  // extern "C"
