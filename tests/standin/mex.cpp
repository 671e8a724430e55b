// Stand-in libmex: the error exit throws to the caller of mexFunction, and
// console output is kept for the tests to read.
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>

#include "standin.h"

namespace {
std::mutex gPrintedLock;
std::string gPrinted;
}  // namespace

namespace standin {

HostError::HostError(const std::string& message)
    : std::runtime_error(message) {}
HostError::~HostError() = default;

std::string takePrinted() {
  std::lock_guard<std::mutex> lock(gPrintedLock);
  std::string out;
  out.swap(gPrinted);
  return out;
}

}  // namespace standin

extern "C" {

void mexErrMsgTxt(const char* message) { throw standin::HostError(message); }

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
