// Loads a built module by file name, as the host does, and calls its
// mexFunction with stand-in arrays.
#pragma once

#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "standin.h"

namespace harness {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct ArrayDeleter {
  void operator()(mxArray* array) const { standin::destroyArray(array); }
};
using Array = std::unique_ptr<mxArray, ArrayDeleter>;

// Column-major values of the given shape.
Array doubles(std::vector<std::size_t> dims, const std::vector<double>& values);
Array scalar(double value);
Array row(const std::vector<double>& values);
Array column(const std::vector<double>& values);
// A zero-filled array of any class and shape.
Array ofClass(mxClassID classId, std::vector<std::size_t> dims,
              bool complex = false);
Array empty(mxClassID classId = mxDOUBLE_CLASS);
Array logical(bool value);
Array complexScalar(double re, double im);
Array sparse(std::vector<std::size_t> dims, std::size_t nzmax);

std::vector<std::size_t> dimsOf(const mxArray* array);
std::vector<double> valuesOf(const mxArray* array);

struct CallResult {
  bool failed = false;
  std::string message;  // the error message when failed
  std::string printed;  // console output of the call
  Array out;            // what the call left in the first output slot
  long leaked = 0;      // arrays created by the call and not handed back
};

// A module loaded one way or another (by the platform's loader, or into an
// emulator), called as the host calls it.
class Runner {
 public:
  virtual ~Runner();
  // Calls mexFunction with the inputs (not owned) and nlhs requested outputs.
  virtual CallResult call(const std::vector<const mxArray*>& inputs,
                          int nlhs = 1) const = 0;
};

// Loaded by the platform's loader (dlopen, LoadLibrary) into this process.
class Module : public Runner {
 public:
  explicit Module(const std::string& path);
  ~Module() override;
  Module(const Module&) = delete;
  Module& operator=(const Module&) = delete;

  CallResult call(const std::vector<const mxArray*>& inputs,
                  int nlhs = 1) const override;

 private:
  void* handle_;
  void (*entry_)(int, mxArray**, int, const mxArray**);
};

// The arguments of a call, owned: argsOf(scalar(5), empty()).
template <typename... A>
std::vector<Array> argsOf(A&&... arrays) {
  std::vector<Array> v;
  (v.push_back(std::forward<A>(arrays)), ...);
  return v;
}

// Calls a module with owned arrays.
CallResult run(const Runner& module, const std::vector<Array>& inputs,
               int nlhs = 1);

// Loads the module at path the way the program was built for: the
// platform's loader (open_native.cpp) or the emulator (macho_runner.cpp).
std::unique_ptr<Runner> openModule(const std::string& path);

}  // namespace harness
