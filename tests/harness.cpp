#include "harness.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace harness {

Array doubles(std::vector<std::size_t> dims,
              const std::vector<double>& values) {
  Array a(
      standin::createArray(mxDOUBLE_CLASS, dims.size(), dims.data(), false));
  if (values.size() != standin::storedElements(a.get()))
    throw std::invalid_argument("value count does not match the shape");
  std::copy(values.begin(), values.end(),
            static_cast<double*>(standin::realData(a.get())));
  return a;
}

Array scalar(double value) { return doubles({1, 1}, {value}); }
Array row(const std::vector<double>& values) {
  return doubles({1, values.size()}, values);
}
Array column(const std::vector<double>& values) {
  return doubles({values.size(), 1}, values);
}

Array ofClass(mxClassID classId, std::vector<std::size_t> dims, bool complex) {
  return Array(
      standin::createArray(classId, dims.size(), dims.data(), complex));
}

Array empty(mxClassID classId) { return ofClass(classId, {0, 0}); }

Array logical(bool value) {
  Array a = ofClass(mxLOGICAL_CLASS, {1, 1});
  *static_cast<unsigned char*>(standin::realData(a.get())) = value ? 1 : 0;
  return a;
}

Array complexScalar(double re, double im) {
  Array a = ofClass(mxDOUBLE_CLASS, {1, 1}, true);
  *static_cast<double*>(standin::realData(a.get())) = re;
  *static_cast<double*>(standin::imagData(a.get())) = im;
  return a;
}

Array sparse(std::vector<std::size_t> dims, std::size_t nzmax) {
  return Array(standin::createArray(mxDOUBLE_CLASS, dims.size(), dims.data(),
                                    false, true, nzmax));
}

std::vector<std::size_t> dimsOf(const mxArray* array) {
  const std::size_t* d = mxGetDimensions_730(array);
  // The stand-in keeps at least two sizes; count the rest by element count.
  std::vector<std::size_t> dims{d[0], d[1]};
  std::size_t n = d[0] * d[1];
  for (std::size_t i = 2; n != mxGetNumberOfElements(array); ++i) {
    dims.push_back(d[i]);
    n *= d[i];
  }
  return dims;
}

std::vector<double> valuesOf(const mxArray* array) {
  const auto* p = static_cast<const double*>(mxGetData(array));
  return std::vector<double>(p, p + mxGetNumberOfElements(array));
}

#if defined(_WIN32)
Module::Module(const std::string& path)
    : handle_(LoadLibraryA(path.c_str())), entry_(nullptr) {
  if (handle_ == nullptr)
    throw std::runtime_error("cannot load module: " + path + " (error " +
                             std::to_string(GetLastError()) + ")");
  FARPROC symbol = GetProcAddress(static_cast<HMODULE>(handle_), "mexFunction");
  if (symbol == nullptr)
    throw std::runtime_error("module exports no mexFunction: " + path);
  std::memcpy(&entry_, &symbol, sizeof symbol);
}

Module::~Module() { FreeLibrary(static_cast<HMODULE>(handle_)); }
#else
Module::Module(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)), entry_(nullptr) {
  if (handle_ == nullptr)
    throw std::runtime_error(std::string("cannot load module: ") + dlerror());
  void* symbol = dlsym(handle_, "mexFunction");
  if (symbol == nullptr)
    throw std::runtime_error("module exports no mexFunction: " + path);
  // POSIX guarantees that a data pointer from dlsym converts to a function.
  std::memcpy(&entry_, &symbol, sizeof symbol);
}

Module::~Module() { dlclose(handle_); }
#endif

CallResult Module::call(const std::vector<const mxArray*>& inputs,
                        int nlhs) const {
  CallResult result;
  std::vector<mxArray*> outputs(static_cast<std::size_t>(std::max(nlhs, 1)),
                                nullptr);
  const long before = standin::liveArrays();
  standin::takePrinted();
  std::vector<const mxArray*> in(inputs);
  result.failed = !standin::callEntry(entry_, nlhs, outputs.data(),
                                      static_cast<int>(in.size()), in.data(),
                                      result.message);
  result.printed = standin::takePrinted();
  // Only slot 0 may be written.
  for (std::size_t i = 1; i < outputs.size(); ++i) {
    if (outputs[i] != nullptr)
      throw std::logic_error("module wrote an output slot beyond the first");
  }
  result.out.reset(outputs[0]);
  result.leaked = standin::liveArrays() - before - (outputs[0] ? 1 : 0);
  return result;
}

Runner::~Runner() = default;

CallResult run(const Runner& module, const std::vector<Array>& inputs,
               int nlhs) {
  std::vector<const mxArray*> raw;
  for (const Array& a : inputs) raw.push_back(a.get());
  return module.call(raw, nlhs);
}

}  // namespace harness
