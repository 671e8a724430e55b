#include "macho_runner.h"

#include <unicorn/unicorn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <stdexcept>
#include <utility>

#include "standin.h"

namespace macho {

namespace {

// Where things live in the emulated address space. The bundle is linked at
// address 0 and slid to kImage.
constexpr std::uint64_t kImage = 0x100000000;
constexpr std::uint64_t kStubs = 0x200000000;  // one `ret` per served import
constexpr std::uint64_t kStubSize = 0x10000;
constexpr std::uint64_t kReturn = kStubs + kStubSize - 16;  // where calls end
constexpr std::uint64_t kData = 0x210000000;  // type info and vtables
constexpr std::uint64_t kDataSize = 0x10000;
constexpr std::uint64_t kStack = 0x300000000;
constexpr std::uint64_t kStackSize = 8u << 20;
constexpr std::uint64_t kHeap = 0x400000000;
constexpr std::uint64_t kHeapSize = 256u << 20;
constexpr std::uint32_t kRet = 0xd65f03c0;

[[noreturn]] void fail(const std::string& what) {
  throw std::runtime_error("Mach-O runner: " + what);
}

void check(uc_err err, const char* what) {
  if (err != UC_ERR_OK) fail(std::string(what) + ": " + uc_strerror(err));
}

// Little-endian reads from the file's bytes.
struct Reader {
  const std::vector<std::uint8_t>& bytes;
  std::uint64_t at;
  std::uint8_t u8() {
    if (at >= bytes.size()) fail("read past the end of the file");
    return bytes[at++];
  }
  std::uint32_t u32() {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= std::uint32_t{u8()} << (8 * i);
    return v;
  }
  std::uint64_t u64() {
    std::uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= std::uint64_t{u8()} << (8 * i);
    return v;
  }
  std::uint64_t uleb() {
    std::uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      const std::uint8_t b = u8();
      if (shift < 64) v |= std::uint64_t{b & 0x7fu} << shift;
      if (!(b & 0x80)) return v;
    }
  }
  std::int64_t sleb() {
    std::int64_t v = 0;
    int shift = 0;
    std::uint8_t b;
    do {
      b = u8();
      if (shift < 64) v |= std::int64_t{b & 0x7f} << shift;
      shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40)) v |= -(std::int64_t{1} << shift);
    return v;
  }
  std::string cstring() {
    std::string s;
    for (char c; (c = static_cast<char>(u8())) != '\0';) s += c;
    return s;
  }
};

struct Segment {
  std::string name;
  std::uint64_t vmaddr, vmsize, fileoff, filesize;
};

// The imports the runner serves. Functions get a stub that returns at once;
// the hook on the stub does the work. Data (type info, vtables) gets a block
// of zeros: it is only read on the way to a throw, which ends the call.
enum class Import {
  mxIsClass,
  mxIsComplex,
  mxIsEmpty,
  mxIsSparse,
  mxGetNumberOfElements,
  mxGetPr,
  mxGetData,
  mxGetLogicals,
  mxIsFinite,
  mxIsNaN,
  mxGetDimensions_730,
  mxCreateDoubleMatrix_730,
  mxCreateNumericArray_730,
  mexErrMsgTxt,
  mexPrintf,
  operatorNew,
  operatorDelete,
  memsetPattern16,
  bzero,
  rand,
  srand,
  noOp,
  cxaThrow,
  mustNotRun,
  data,
};

const std::map<std::string, Import>& servedImports() {
  static const std::map<std::string, Import> served = {
      {"_mxIsClass", Import::mxIsClass},
      {"_mxIsComplex", Import::mxIsComplex},
      {"_mxIsEmpty", Import::mxIsEmpty},
      {"_mxIsSparse", Import::mxIsSparse},
      {"_mxGetNumberOfElements", Import::mxGetNumberOfElements},
      {"_mxGetPr", Import::mxGetPr},
      {"_mxGetData", Import::mxGetData},
      {"_mxGetLogicals", Import::mxGetLogicals},
      {"_mxIsFinite", Import::mxIsFinite},
      {"_mxIsNaN", Import::mxIsNaN},
      {"_mxGetDimensions_730", Import::mxGetDimensions_730},
      {"_mxCreateDoubleMatrix_730", Import::mxCreateDoubleMatrix_730},
      {"_mxCreateNumericArray_730", Import::mxCreateNumericArray_730},
      {"_mexErrMsgTxt", Import::mexErrMsgTxt},
      {"_mexPrintf", Import::mexPrintf},
      {"__Znwm", Import::operatorNew},
      {"__ZdlPv", Import::operatorDelete},
      {"_memset_pattern16", Import::memsetPattern16},
      {"_bzero", Import::bzero},
      {"_rand", Import::rand},
      {"_srand", Import::srand},
      // The C++ runtime's throw path: building the exception object is
      // harmless, the throw itself ends the call as a failure.
      {"___cxa_allocate_exception", Import::operatorNew},
      {"___cxa_free_exception", Import::operatorDelete},
      {"__ZNSt11logic_errorC2EPKc", Import::noOp},
      {"__ZNSt12length_errorD1Ev", Import::noOp},
      {"__ZNSt20bad_array_new_lengthC1Ev", Import::noOp},
      {"__ZNSt20bad_array_new_lengthD1Ev", Import::noOp},
      {"___cxa_throw", Import::cxaThrow},
      // Unwinding and lazy binding never happen here.
      {"__Unwind_Resume", Import::mustNotRun},
      {"___gxx_personality_v0", Import::mustNotRun},
      {"dyld_stub_binder", Import::mustNotRun},
      {"__ZTISt12length_error", Import::data},
      {"__ZTVSt12length_error", Import::data},
      {"__ZTISt20bad_array_new_length", Import::data},
  };
  return served;
}

// An array as the bundle sees it: the stand-in array behind it answers the
// queries; its data, imaginary part and sizes are copies in emulated memory.
struct EmuArray {
  mxArray* shadow;
  bool created;  // by the call (else an input, owned by the caller)
  std::uint64_t data, imag, dims;
};

}  // namespace

struct Bundle::State {
  uc_engine* uc = nullptr;
  std::vector<Segment> segments;
  std::map<std::string, std::uint64_t> exports;
  std::vector<Import> stubImports;  // by stub slot
  std::vector<std::string> stubNames;
  uc_hook stubHook = 0;
  uc_hook dividerHook = 0;
  DividerCounts counts;
  std::uint64_t textBegin = 0, textEnd = 0;

  // One call's state.
  std::uint64_t heapTop = kHeap;
  std::map<std::uint64_t, std::uint64_t> liveBlocks;  // operator new
  std::map<std::uint64_t, EmuArray> arrays;           // by handle
  std::string printed;
  bool errorExit = false;
  std::string message;
  std::string fault;  // what went wrong inside the emulation

  ~State() {
    if (uc != nullptr) uc_close(uc);
  }

  std::uint64_t reg(int id) {
    std::uint64_t v = 0;
    uc_reg_read(uc, id, &v);
    return v;
  }
  void setReg(int id, std::uint64_t v) { uc_reg_write(uc, id, &v); }
  double fpArg() {
    double d = 0;
    uc_reg_read(uc, UC_ARM64_REG_D0, &d);
    return d;
  }
  void read(std::uint64_t at, void* out, std::size_t n) {
    check(uc_mem_read(uc, at, out, n), "read of emulated memory");
  }
  void write(std::uint64_t at, const void* in, std::size_t n) {
    check(uc_mem_write(uc, at, in, n), "write of emulated memory");
  }
  std::uint64_t read64(std::uint64_t at) {
    std::uint64_t v;
    read(at, &v, 8);
    return v;
  }
  std::string readString(std::uint64_t at) {
    std::string s;
    for (char c; read(at++, &c, 1), c != '\0';) s += c;
    return s;
  }

  // Emulated storage for this call; 0 when the heap is full.
  std::uint64_t allocate(std::uint64_t bytes) {
    const std::uint64_t size =
        (std::max<std::uint64_t>(bytes, 1) + 15) & ~15ull;
    if (heapTop + size > kHeap + kHeapSize) return 0;
    const std::uint64_t at = heapTop;
    heapTop += size;
    std::vector<std::uint8_t> zeros(size, 0);
    write(at, zeros.data(), size);
    return at;
  }

  std::uint64_t addArray(mxArray* shadow, bool created) {
    const std::uint64_t handle = allocate(16);
    EmuArray a{shadow, created, 0, 0, 0};
    const std::size_t bytes = standin::storedElements(shadow) *
                              standin::elementSize(standin::classOf(shadow));
    const std::vector<std::size_t> dims = harness::dimsOf(shadow);
    a.dims = allocate(dims.size() * 8);
    if (handle == 0 || a.dims == 0) return 0;
    for (std::size_t i = 0; i < dims.size(); ++i) {
      const std::uint64_t d = dims[i];
      write(a.dims + 8 * i, &d, 8);
    }
    if (standin::realData(shadow) != nullptr) {
      if ((a.data = allocate(bytes)) == 0) return 0;
      write(a.data, standin::realData(shadow), bytes);
    }
    if (standin::imagData(shadow) != nullptr) {
      if ((a.imag = allocate(bytes)) == 0) return 0;
      write(a.imag, standin::imagData(shadow), bytes);
    }
    arrays[handle] = a;
    return handle;
  }

  EmuArray& arrayAt(std::uint64_t handle) {
    auto it = arrays.find(handle);
    if (it == arrays.end()) fail("the bundle passed a handle that is no array");
    return it->second;
  }

  void endCall(const std::string& why) {
    fault = why;
    uc_emu_stop(uc);
  }

  void errorExitWith(const std::string& text) {
    errorExit = true;
    message = text;
    uc_emu_stop(uc);
  }

  // A new output: the stand-in creates it (and may refuse it, as a host
  // short of memory does), the emulator holds its data.
  void created(const std::function<mxArray*()>& create) {
    mxArray* shadow = nullptr;
    try {
      shadow = create();
    } catch (const standin::HostError& e) {
      return errorExitWith(e.what());
    }
    const std::uint64_t handle = addArray(shadow, true);
    if (handle == 0) {
      standin::destroyArray(shadow);
      return errorExitWith("Out of memory.");
    }
    setReg(UC_ARM64_REG_X0, handle);
  }

  std::string format(const std::string& f) {
    // Apple's arm64 convention: the variadic arguments are on the stack, one
    // 8-byte slot each.
    std::uint64_t slot = reg(UC_ARM64_REG_SP);
    std::string out;
    for (std::size_t i = 0; i < f.size(); ++i) {
      if (f[i] != '%') {
        out += f[i];
        continue;
      }
      const char conversion = i + 1 < f.size() ? f[++i] : '\0';
      char buffer[32];
      if (conversion == '%') {
        out += '%';
        continue;
      }
      const std::uint64_t arg = read64(slot);
      slot += 8;
      if (conversion == 'd' || conversion == 'i') {
        std::snprintf(buffer, sizeof buffer, "%d",
                      static_cast<int>(static_cast<std::uint32_t>(arg)));
        out += buffer;
      } else if (conversion == 's') {
        out += readString(arg);
      } else {
        endCall(std::string("mexPrintf with a format the runner does not "
                            "serve: %") +
                conversion);
        return out;
      }
    }
    return out;
  }

  void serve(std::size_t slot) {
    const Import what = stubImports[slot];
    const std::uint64_t x0 = reg(UC_ARM64_REG_X0);
    auto result = [&](std::uint64_t v) { setReg(UC_ARM64_REG_X0, v); };
    switch (what) {
      case Import::mxIsClass:
        return result(mxIsClass(arrayAt(x0).shadow,
                                readString(reg(UC_ARM64_REG_X1)).c_str()));
      case Import::mxIsComplex:
        return result(mxIsComplex(arrayAt(x0).shadow));
      case Import::mxIsEmpty:
        return result(mxIsEmpty(arrayAt(x0).shadow));
      case Import::mxIsSparse:
        return result(mxIsSparse(arrayAt(x0).shadow));
      case Import::mxGetNumberOfElements:
        return result(mxGetNumberOfElements(arrayAt(x0).shadow));
      case Import::mxGetPr:
      case Import::mxGetData:
      case Import::mxGetLogicals:
        return result(arrayAt(x0).data);
      case Import::mxIsFinite:
        return result(mxIsFinite(fpArg()));
      case Import::mxIsNaN:
        return result(mxIsNaN(fpArg()));
      case Import::mxGetDimensions_730:
        return result(arrayAt(x0).dims);
      case Import::mxCreateDoubleMatrix_730: {
        const std::uint64_t columns = reg(UC_ARM64_REG_X1);
        const auto complexity =
            static_cast<mxComplexity>(reg(UC_ARM64_REG_X2) & 0xffffffff);
        return created(
            [&] { return mxCreateDoubleMatrix_730(x0, columns, complexity); });
      }
      case Import::mxCreateNumericArray_730: {
        std::vector<std::size_t> dims(std::min<std::uint64_t>(x0, 64));
        for (std::size_t i = 0; i < dims.size(); ++i)
          dims[i] = read64(reg(UC_ARM64_REG_X1) + 8 * i);
        const auto classId =
            static_cast<mxClassID>(reg(UC_ARM64_REG_X2) & 0xffffffff);
        const auto complexity =
            static_cast<mxComplexity>(reg(UC_ARM64_REG_X3) & 0xffffffff);
        return created([&] {
          return mxCreateNumericArray_730(dims.size(), dims.data(), classId,
                                          complexity);
        });
      }
      case Import::mexErrMsgTxt:
        return errorExitWith(readString(x0));
      case Import::mexPrintf: {
        const std::string text = format(readString(x0));
        printed += text;
        return result(text.size());
      }
      case Import::operatorNew: {
        const std::uint64_t at = allocate(x0);
        if (at == 0) return endCall("operator new: the emulated heap is full");
        liveBlocks[at] = x0;
        return result(at);
      }
      case Import::operatorDelete:
        if (x0 != 0 && liveBlocks.erase(x0) == 0)
          return endCall("operator delete of storage it did not give");
        return;
      case Import::memsetPattern16: {
        std::uint8_t pattern[16];
        read(reg(UC_ARM64_REG_X1), pattern, 16);
        const std::uint64_t n = reg(UC_ARM64_REG_X2);
        std::vector<std::uint8_t> fill(n);
        for (std::uint64_t i = 0; i < n; ++i) fill[i] = pattern[i % 16];
        write(x0, fill.data(), n);
        return;
      }
      case Import::bzero: {
        const std::vector<std::uint8_t> zeros(reg(UC_ARM64_REG_X1));
        write(x0, zeros.data(), zeros.size());
        return;
      }
      case Import::rand:
        // The process's own C library generator, as the Linux module uses.
        return result(static_cast<std::uint32_t>(std::rand()));
      case Import::srand:
        std::srand(static_cast<unsigned>(x0 & 0xffffffff));
        return;
      case Import::noOp:
        return;
      case Import::cxaThrow:
        return endCall("a C++ exception was thrown (" + stubNames[slot] + ")");
      case Import::mustNotRun:
      case Import::data:
        return endCall("the bundle called " + stubNames[slot] +
                       ", which must never run here");
    }
  }

  void countDivider(std::uint64_t address) {
    std::uint32_t insn;
    read(address, &insn, 4);
    if ((insn & 0xFFE0FC00) == 0x1E601800 ||  // fdiv d, d, d
        (insn & 0xFFFFFC00) == 0x1E61C000)    // fsqrt d, d
      ++counts.scalar;
    else if ((insn & 0xFFE0FC00) == 0x6E60FC00 ||  // fdiv v.2d
             (insn & 0xFFFFFC00) == 0x6EE1F800)    // fsqrt v.2d
      ++counts.vector;
  }

  // Runs the function at entry with the integer arguments in x0.. and the
  // first double argument in d0, until it returns.
  void run(std::uint64_t entry, const std::vector<std::uint64_t>& args,
           double d0 = 0) {
    for (std::size_t i = 0; i < args.size(); ++i)
      setReg(UC_ARM64_REG_X0 + static_cast<int>(i), args[i]);
    uc_reg_write(uc, UC_ARM64_REG_D0, &d0);
    setReg(UC_ARM64_REG_SP, kStack + kStackSize - 64);
    setReg(UC_ARM64_REG_LR, kReturn);
    const uc_err err = uc_emu_start(uc, entry, kReturn, 0, 0);
    if (err != UC_ERR_OK)
      fail(std::string("the emulated call stopped: ") + uc_strerror(err) +
           " at pc 0x" + [&] {
             char b[32];
             std::snprintf(
                 b, sizeof b, "%llx",
                 static_cast<unsigned long long>(reg(UC_ARM64_REG_PC)));
             return std::string(b);
           }());
    if (!fault.empty()) fail(fault);
  }

  void startCall() {
    heapTop = kHeap;
    liveBlocks.clear();
    arrays.clear();
    printed.clear();
    errorExit = false;
    message.clear();
    fault.clear();
  }

  std::uint64_t exported(const std::string& name) {
    auto it = exports.find("_" + name);
    if (it == exports.end()) fail("the bundle does not export " + name);
    return it->second;
  }
};

namespace {

void stubHook(uc_engine*, std::uint64_t address, std::uint32_t, void* user) {
  auto* s = static_cast<Bundle::State*>(user);
  if (address == kReturn) return;
  try {
    s->serve(static_cast<std::size_t>((address - kStubs) / 16));
  } catch (const std::exception& e) {
    s->endCall(e.what());
  }
}

void dividerHook(uc_engine*, std::uint64_t address, std::uint32_t, void* user) {
  static_cast<Bundle::State*>(user)->countDivider(address);
}

void parseAndLoad(Bundle::State& s, const std::vector<std::uint8_t>& file) {
  Reader h{file, 0};
  if (h.u32() != 0xfeedfacf) fail("not a 64-bit Mach-O file");
  if (h.u32() != 0x0100000c) fail("not an arm64 file");
  h.u32();  // CPU subtype
  if (h.u32() != 8) fail("not a bundle (MH_BUNDLE)");
  const std::uint32_t ncmds = h.u32();
  h.u32();  // size of the commands
  h.u32();  // flags
  h.u32();  // reserved
  std::uint32_t rebaseOff = 0, rebaseSize = 0, bindOff = 0, bindSize = 0,
                lazyOff = 0, lazySize = 0, symOff = 0, nsyms = 0, strOff = 0;
  bool dyldInfo = false;
  std::uint64_t at = 32;
  for (std::uint32_t i = 0; i < ncmds; ++i) {
    Reader c{file, at};
    const std::uint32_t cmd = c.u32();
    const std::uint32_t size = c.u32();
    if (cmd == 0x19) {  // LC_SEGMENT_64
      Segment seg;
      for (int k = 0; k < 16; ++k) {
        const char ch = static_cast<char>(c.u8());
        if (ch) seg.name += ch;
      }
      seg.vmaddr = c.u64();
      seg.vmsize = c.u64();
      seg.fileoff = c.u64();
      seg.filesize = c.u64();
      s.segments.push_back(seg);
      if (seg.name == "__TEXT") {
        s.textBegin = kImage + seg.vmaddr;
        s.textEnd = kImage + seg.vmaddr + seg.vmsize;
      }
    } else if (cmd == 0x80000022) {  // LC_DYLD_INFO_ONLY
      dyldInfo = true;
      rebaseOff = c.u32();
      rebaseSize = c.u32();
      bindOff = c.u32();
      bindSize = c.u32();
      c.u32();  // weak bind: none for a bundle without weak imports
      if (c.u32() != 0) fail("weak binds, which the runner does not serve");
      lazyOff = c.u32();
      lazySize = c.u32();
    } else if (cmd == 0x2) {  // LC_SYMTAB
      symOff = c.u32();
      nsyms = c.u32();
      strOff = c.u32();
    } else if (cmd == 0x80000034) {  // LC_DYLD_CHAINED_FIXUPS
      fail("chained fixups, which the runner does not read");
    }
    at += size;
  }
  if (!dyldInfo) fail("no LC_DYLD_INFO_ONLY");

  // Map the segments and copy their bytes.
  for (const Segment& seg : s.segments) {
    const std::uint64_t size = (seg.vmsize + 0xfff) & ~0xfffull;
    check(uc_mem_map(s.uc, kImage + seg.vmaddr, size, UC_PROT_ALL),
          "mapping a segment");
    if (seg.filesize > 0) {
      if (seg.fileoff + seg.filesize > file.size())
        fail("segment past the file");
      s.write(kImage + seg.vmaddr, file.data() + seg.fileoff, seg.filesize);
    }
  }
  auto segmentAddress = [&](std::uint64_t index, std::uint64_t offset) {
    if (index >= s.segments.size()) fail("a fixup names a missing segment");
    return kImage + s.segments[index].vmaddr + offset;
  };

  // Rebases: every pointer the linker wrote moves by the slide.
  {
    Reader r{file, rebaseOff};
    std::uint64_t address = 0;
    auto rebase = [&] {
      const std::uint64_t moved = s.read64(address) + kImage;
      s.write(address, &moved, 8);
    };
    while (r.at < std::uint64_t{rebaseOff} + rebaseSize) {
      const std::uint8_t byte = r.u8();
      const std::uint8_t op = byte & 0xf0, imm = byte & 0x0f;
      if (op == 0x00) break;     // DONE
      if (op == 0x10) continue;  // SET_TYPE_IMM: pointers only
      if (op == 0x20) {          // SET_SEGMENT_AND_OFFSET_ULEB
        address = segmentAddress(imm, r.uleb());
      } else if (op == 0x30) {  // ADD_ADDR_ULEB
        address += r.uleb();
      } else if (op == 0x40) {  // ADD_ADDR_IMM_SCALED
        address += imm * 8u;
      } else if (op == 0x50 || op == 0x60) {  // DO_REBASE_IMM/ULEB_TIMES
        const std::uint64_t times = op == 0x50 ? imm : r.uleb();
        for (std::uint64_t k = 0; k < times; ++k, address += 8) rebase();
      } else if (op == 0x70) {  // DO_REBASE_ADD_ADDR_ULEB
        rebase();
        address += 8 + r.uleb();
      } else if (op == 0x80) {  // DO_REBASE_ULEB_TIMES_SKIPPING_ULEB
        const std::uint64_t times = r.uleb(), skip = r.uleb();
        for (std::uint64_t k = 0; k < times; ++k, address += 8 + skip) rebase();
      } else {
        fail("an unknown rebase opcode");
      }
    }
  }

  // The stub page: a `ret` per slot; and the data page.
  check(uc_mem_map(s.uc, kStubs, kStubSize, UC_PROT_ALL), "mapping the stubs");
  check(uc_mem_map(s.uc, kData, kDataSize, UC_PROT_READ | UC_PROT_WRITE),
        "mapping the data page");
  for (std::uint64_t a = kStubs; a < kStubs + kStubSize; a += 16)
    s.write(a, &kRet, 4);
  std::map<std::string, std::uint64_t> bound;
  std::uint64_t nextData = kData;
  auto resolve = [&](const std::string& name) -> std::uint64_t {
    auto it = bound.find(name);
    if (it != bound.end()) return it->second;
    auto served = servedImports().find(name);
    if (served == servedImports().end())
      fail("the bundle imports " + name + ", which the runner does not serve");
    std::uint64_t address;
    if (served->second == Import::data) {
      address = nextData;
      nextData += 64;
      if (nextData > kData + kDataSize) fail("too many data imports");
    } else {
      address = kStubs + 16 * s.stubImports.size();
      if (address >= kReturn) fail("too many imports");
      s.stubImports.push_back(served->second);
      s.stubNames.push_back(name);
    }
    bound[name] = address;
    return address;
  };

  // Binds, the lazy ones included: every import is bound at load.
  auto binds = [&](std::uint32_t off, std::uint32_t size, bool lazy) {
    Reader r{file, off};
    std::uint64_t address = 0;
    std::int64_t addend = 0;
    std::string symbol;
    auto bind = [&] {
      const std::uint64_t target =
          resolve(symbol) + static_cast<std::uint64_t>(addend);
      s.write(address, &target, 8);
    };
    while (r.at < std::uint64_t{off} + size) {
      const std::uint8_t byte = r.u8();
      const std::uint8_t op = byte & 0xf0, imm = byte & 0x0f;
      if (op == 0x00) {  // DONE: ends an entry of the lazy stream
        if (!lazy) break;
        continue;
      }
      if (op == 0x10 || op == 0x30 || op == 0x50) continue;  // ordinal, type
      if (op == 0x20) {
        r.uleb();  // SET_DYLIB_ORDINAL_ULEB
      } else if (op == 0x40) {
        symbol = r.cstring();  // SET_SYMBOL_TRAILING_FLAGS_IMM
      } else if (op == 0x60) {
        addend = r.sleb();
      } else if (op == 0x70) {
        address = segmentAddress(imm, r.uleb());
      } else if (op == 0x80) {
        address += r.uleb();
      } else if (op == 0x90) {
        bind();
        address += 8;
      } else if (op == 0xA0) {
        bind();
        address += 8 + r.uleb();
      } else if (op == 0xB0) {
        bind();
        address += 8 + imm * 8u;
      } else if (op == 0xC0) {
        const std::uint64_t times = r.uleb(), skip = r.uleb();
        for (std::uint64_t k = 0; k < times; ++k, address += 8 + skip) bind();
      } else {
        fail("an unknown bind opcode");
      }
    }
  };
  binds(bindOff, bindSize, false);
  binds(lazyOff, lazySize, true);

  // Exports: the external symbols defined in a section.
  for (std::uint32_t i = 0; i < nsyms; ++i) {
    Reader r{file, std::uint64_t{symOff} + 16u * i};
    const std::uint32_t strx = r.u32();
    const std::uint8_t type = r.u8();
    r.u8();
    r.u8();
    r.u8();
    const std::uint64_t value = r.u64();
    if ((type & 0xe0) == 0 && (type & 0x0e) == 0x0e && (type & 0x01)) {
      Reader name{file, std::uint64_t{strOff} + strx};
      s.exports[name.cstring()] = kImage + value;
    }
  }
}

}  // namespace

Bundle::Bundle(const std::string& path) : state_(std::make_unique<State>()) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail("cannot read " + path);
  const std::vector<std::uint8_t> file((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
  State& s = *state_;
  check(uc_open(UC_ARCH_ARM64, UC_MODE_ARM, &s.uc), "uc_open");
  check(uc_ctl_set_cpu_model(s.uc, UC_CPU_ARM64_MAX), "the processor model");
  // Floating point and SIMD on, as the operating system has them.
  s.setReg(UC_ARM64_REG_CPACR_EL1, 3u << 20);
  check(uc_mem_map(s.uc, kStack, kStackSize, UC_PROT_READ | UC_PROT_WRITE),
        "mapping the stack");
  check(uc_mem_map(s.uc, kHeap, kHeapSize, UC_PROT_READ | UC_PROT_WRITE),
        "mapping the heap");
  parseAndLoad(s, file);
  check(uc_hook_add(s.uc, &s.stubHook, UC_HOOK_CODE,
                    reinterpret_cast<void*>(&stubHook), &s, kStubs,
                    kStubs + kStubSize - 1),
        "the stub hook");
}

Bundle::~Bundle() = default;

harness::CallResult Bundle::call(const std::vector<const mxArray*>& inputs,
                                 int nlhs) const {
  State& s = *state_;
  s.startCall();
  harness::CallResult result;
  const std::size_t slots = static_cast<std::size_t>(std::max(nlhs, 1));
  std::vector<std::uint64_t> handles;
  for (const mxArray* in : inputs) {
    const std::uint64_t h = s.addArray(const_cast<mxArray*>(in), false);
    if (h == 0) fail("the inputs do not fit the emulated heap");
    handles.push_back(h);
  }
  const std::uint64_t prhs =
      s.allocate(8 * std::max<std::size_t>(handles.size(), 1));
  const std::uint64_t plhs = s.allocate(8 * slots);
  if (!handles.empty()) s.write(prhs, handles.data(), 8 * handles.size());
  s.run(s.exported("mexFunction"),
        {static_cast<std::uint64_t>(static_cast<std::uint32_t>(nlhs)), plhs,
         static_cast<std::uint64_t>(inputs.size()), prhs});
  result.failed = s.errorExit;
  result.message = s.message;
  result.printed = s.printed;
  for (std::size_t i = 1; i < slots; ++i) {
    if (s.read64(plhs + 8 * i) != 0)
      throw std::logic_error("module wrote an output slot beyond the first");
  }
  const std::uint64_t out = s.read64(plhs);
  // Every array the call created goes back to the host: the first slot's as
  // the result, any other counts as left behind.
  for (auto& [handle, a] : s.arrays) {
    if (!a.created) continue;
    if (handle == out) {
      const std::size_t bytes =
          standin::storedElements(a.shadow) *
          standin::elementSize(standin::classOf(a.shadow));
      if (a.data != 0) s.read(a.data, standin::realData(a.shadow), bytes);
      result.out.reset(a.shadow);
    } else {
      standin::destroyArray(a.shadow);
      ++result.leaked;
    }
  }
  if (out != 0 && !result.out) fail("the output slot holds no created array");
  // Storage of the bundle's own still live counts as left behind too.
  result.leaked += static_cast<long>(s.liveBlocks.size());
  return result;
}

void Bundle::requiredApiVersion(std::uint32_t fill, std::uint32_t& release,
                                std::uint32_t& api) const {
  State& s = *state_;
  s.startCall();
  const std::uint64_t slots = s.allocate(8);
  const std::uint32_t both[2] = {fill, fill};
  s.write(slots, both, 8);
  s.run(s.exported("mexfilerequiredapiversion"), {slots, slots + 4});
  std::uint32_t got[2];
  s.read(slots, got, 8);
  release = got[0];
  api = got[1];
}

void Bundle::callPairSums(const std::string& name, const std::vector<double>& x,
                          double m, double& gradient, double& curvature) const {
  State& s = *state_;
  s.startCall();
  const std::uint64_t data = s.allocate(8 * std::max<std::size_t>(x.size(), 1));
  const std::uint64_t sums = s.allocate(16);
  if (!x.empty()) s.write(data, x.data(), 8 * x.size());
  s.run(s.exported(name),
        {data, static_cast<std::uint32_t>(x.size()), sums, sums + 8}, m);
  s.read(sums, &gradient, 8);
  s.read(sums + 8, &curvature, 8);
}

void Bundle::countDividers(bool on) const {
  State& s = *state_;
  if (on && s.dividerHook == 0) {
    s.counts = {};
    check(uc_hook_add(s.uc, &s.dividerHook, UC_HOOK_CODE,
                      reinterpret_cast<void*>(&dividerHook), &s, s.textBegin,
                      s.textEnd - 1),
          "the divider hook");
  } else if (!on && s.dividerHook != 0) {
    uc_hook_del(s.uc, s.dividerHook);
    s.dividerHook = 0;
  }
}

DividerCounts Bundle::dividers() const { return state_->counts; }

}  // namespace macho

namespace harness {

std::unique_ptr<Runner> openModule(const std::string& path) {
  return std::make_unique<macho::Bundle>(path);
}

}  // namespace harness
