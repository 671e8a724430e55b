// verify_modules <llvm-objdump> <llvm-readobj> <llvm-nm> <module folder>
// <packaging folder>: checks the release modules as a host would find them.
// The load commands, symbols and PE tables come from LLVM's tools; the zip in
// us_resources and the signature's identifier are read from the file itself.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "manifest.h"

namespace {

int gFailures = 0;
std::string gObjdump, gReadobj, gNm;

void check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "PASS" : "FAIL", what.c_str());
  if (!ok) ++gFailures;
}

std::string run(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"),
                                             pclose);
  if (!pipe) return out;
  std::array<char, 4096> buffer;
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
    out.append(buffer.data(), n);
  return out;
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

std::string trim(const std::string& s) {
  const auto b = s.find_first_not_of(" \t");
  const auto e = s.find_last_not_of(" \t\r");
  return b == std::string::npos ? "" : s.substr(b, e - b + 1);
}

// The value after "key " on a trimmed line "key value".
std::vector<std::string> valuesOf(const std::vector<std::string>& text,
                                  const std::string& key) {
  std::vector<std::string> out;
  for (const std::string& l : text) {
    const std::string t = trim(l);
    if (t.rfind(key + " ", 0) == 0) out.push_back(trim(t.substr(key.size())));
  }
  return out;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  if (at + 4 > b.size()) return 0;
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::uint32_t be32(const std::vector<std::uint8_t>& b, std::size_t at) {
  if (at + 4 > b.size()) return 0;
  return (static_cast<std::uint32_t>(b[at]) << 24) | (b[at + 1] << 16) |
         (b[at + 2] << 8) | b[at + 3];
}

std::uint64_t le64(const std::vector<std::uint8_t>& b, std::size_t at) {
  return le32(b, at) | (static_cast<std::uint64_t>(le32(b, at + 4)) << 32);
}

// The bytes of __TEXT,us_resources and the code signature's identifier,
// from the Mach-O load commands.
struct MachOFacts {
  std::vector<std::uint8_t> resources;
  std::string identifier;
};

MachOFacts readMachO(const std::vector<std::uint8_t>& b) {
  constexpr std::uint32_t kSegment64 = 0x19, kCodeSignature = 0x1d;
  MachOFacts facts;
  if (le32(b, 0) != 0xfeedfacf) return facts;
  const std::uint32_t count = le32(b, 16);
  std::size_t at = 32;
  for (std::uint32_t i = 0; i < count && at + 8 <= b.size(); ++i) {
    const std::uint32_t cmd = le32(b, at), size = le32(b, at + 4);
    if (cmd == kSegment64) {
      const std::uint32_t sections = le32(b, at + 64);
      for (std::uint32_t s = 0; s < sections; ++s) {
        const std::size_t sec = at + 72 + s * 80;
        const std::string name(
            reinterpret_cast<const char*>(&b[sec]),
            strnlen(reinterpret_cast<const char*>(&b[sec]), 16));
        const std::string segment(
            reinterpret_cast<const char*>(&b[sec + 16]),
            strnlen(reinterpret_cast<const char*>(&b[sec + 16]), 16));
        if (segment == "__TEXT" && name == "us_resources") {
          const std::uint64_t bytes = le64(b, sec + 40);
          const std::uint32_t offset = le32(b, sec + 48);
          if (offset + bytes <= b.size())
            facts.resources.assign(b.begin() + offset,
                                   b.begin() + offset + bytes);
        }
      }
    } else if (cmd == kCodeSignature) {
      // A big-endian SuperBlob whose CodeDirectory names the identifier.
      const std::uint32_t blob = le32(b, at + 8);
      if (be32(b, blob) == 0xfade0cc0) {
        const std::uint32_t n = be32(b, blob + 8);
        for (std::uint32_t k = 0; k < n; ++k) {
          const std::uint32_t off = be32(b, blob + 12 + k * 8 + 4);
          const std::size_t dir = blob + off;
          if (be32(b, dir) == 0xfade0c02) {
            const std::size_t ident = dir + be32(b, dir + 20);
            if (ident < b.size())
              facts.identifier = reinterpret_cast<const char*>(&b[ident]);
          }
        }
      }
    }
    at += size;
  }
  return facts;
}

std::string firstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

const std::set<std::string> kHostOperations730 = {
    "mxIsClass", "mxIsComplex", "mxIsEmpty", "mxGetNumberOfElements",
    "mxGetDimensions_730", "mxGetPr", "mxGetData", "mxGetLogicals",
    "mxIsFinite", "mxIsNaN", "mxCreateDoubleMatrix_730",
    "mxCreateNumericArray_730", "mexErrMsgTxt", "mexPrintf",
    // Refusing sparse input needs the class test for sparse storage.
    "mxIsSparse"};

std::set<std::string> hostOperations(bool sizes700) {
  if (!sizes700) return kHostOperations730;
  std::set<std::string> ops;
  for (std::string op : kHostOperations730) {
    const auto p = op.find("_730");
    if (p != std::string::npos) op.replace(p, 4, "_700");
    ops.insert(op);
  }
  return ops;
}

void verifyBundle(const std::string& folder, const std::string& packaging,
                  const std::string& name) {
  const std::string file = name + ".mexmaca64";
  const std::string path = folder + "/" + file;
  const auto headers =
      lines(run(gObjdump + " --macho --private-header --private-headers '" +
                path + "' 2>&1"));
  bool bundle = false, arm64 = false;
  for (const std::string& l : headers) {
    if (l.find("MH_MAGIC_64") != std::string::npos) {
      bundle = l.find("BUNDLE") != std::string::npos;
      arm64 = l.find("ARM64") != std::string::npos;
    }
  }
  check(bundle && arm64, file + ": arm64 Mach-O bundle");
  const auto platform = valuesOf(headers, "platform");
  const auto minos = valuesOf(headers, "minos");
  check(platform == std::vector<std::string>{"macos"} &&
            minos == std::vector<std::string>{"11.0"},
        file + ": LC_BUILD_VERSION macos, minos 11.0");
  std::set<std::string> dylibs;
  for (const std::string& v : valuesOf(headers, "name"))
    dylibs.insert(v.substr(0, v.find(" (offset")));
  const std::set<std::string> expected = {
      "@rpath/libmx.dylib", "@rpath/libmex.dylib", "/usr/lib/libc++.1.dylib",
      "/usr/lib/libSystem.B.dylib"};
  check(dylibs == expected,
        file + ": loads libmx, libmex and system libraries only");
  const auto commands = valuesOf(headers, "cmd");
  check(std::count(commands.begin(), commands.end(), "LC_RPATH") == 0,
        file + ": no LC_RPATH");
  const auto sections = valuesOf(headers, "sectname");
  check(
      std::count(sections.begin(), sections.end(), "__mod_init_func") == 0 &&
          std::count(sections.begin(), sections.end(), "__mod_term_func") == 0,
      file + ": no initializers or terminators");

  const auto exports = lines(run(
      gNm + " --extern-only --defined-only --just-symbol-name '" + path + "'"));
  check(exports == std::vector<std::string>{"_mexFunction",
                                            "_mexfilerequiredapiversion"},
        file + ": exports _mexFunction and _mexfilerequiredapiversion only");
  bool hostOk = true;
  const auto ops = hostOperations(false);
  for (const std::string& u : lines(
           run(gNm + " --undefined-only --just-symbol-name '" + path + "'"))) {
    if (u.rfind("_mx", 0) == 0 || u.rfind("_mex", 0) == 0)
      hostOk = hostOk && ops.count(u.substr(1)) == 1;
  }
  check(hostOk,
        file + ": needs no host entry point beyond the host operations");

  const MachOFacts facts = readMachO(readFile(path));
  check(facts.identifier == file,
        file + ": signed ad hoc with identifier " + facts.identifier);
  const auto entries = packaging::readZip(facts.resources);
  const std::string uuid = firstLine(packaging + "/" + name + ".uuid");
  check(entries && entries->size() == 2 &&
            (*entries)[0].name == "mexVersioning/manifest.json" &&
            (*entries)[0].method == 8 &&
            (*entries)[1].name == "mexVersioning/" &&
            (*entries)[1].content.empty(),
        file + ": us_resources holds the deflated manifest, then the folder");
  check(packaging::isUuidV4(uuid) && entries && !entries->empty() &&
            (*entries)[0].content == packaging::manifestJson(uuid),
        file + ": manifest names the module's own UUID " + uuid);
}

void verifyWindows(const std::string& folder, const std::string& file,
                   bool x86) {
  const std::string path = folder + "/" + file;
  const auto header = run(gReadobj + " --file-headers '" + path + "'");
  check(header.find(x86 ? "IMAGE_FILE_MACHINE_I386"
                        : "IMAGE_FILE_MACHINE_AMD64") != std::string::npos,
        file + (x86 ? ": machine i386" : ": machine x86-64"));
  const auto p = lines(run(gObjdump + " -p '" + path + "'"));
  const auto dllName = valuesOf(p, "DLL name:");
  std::vector<std::string> exportRows;
  bool inExports = false;
  for (const std::string& l : p) {
    if (trim(l).rfind("Ordinal      RVA", 0) == 0) {
      inExports = true;
    } else if (inExports) {
      if (trim(l).empty()) break;
      std::istringstream row(l);
      std::string ordinal, rva, name;
      row >> ordinal >> rva >> name;
      exportRows.push_back(ordinal + " " + name);
    }
  }
  check(!dllName.empty() && dllName[0] == file,
        file + ": export directory names the module");
  check(exportRows == std::vector<std::string>{"1 mexFunction"},
        file + ": one export, mexFunction, ordinal 1");
  // Imports: the host's two libraries by name, otherwise system DLLs.
  const auto imports = lines(run(gReadobj + " --coff-imports '" + path + "'"));
  const std::set<std::string> system = {"KERNEL32.dll", "msvcrt.dll"};
  const auto ops = hostOperations(x86);
  std::string library;
  std::set<std::string> libraries;
  bool importsOk = true;
  for (const std::string& l : imports) {
    const std::string t = trim(l);
    if (t.rfind("Name: ", 0) == 0) {
      library = t.substr(6);
      libraries.insert(library);
      importsOk =
          importsOk && (library == "libmx.dll" || library == "libmex.dll" ||
                        system.count(library));
    } else if (t.rfind("Symbol: ", 0) == 0 &&
               (library == "libmx.dll" || library == "libmex.dll")) {
      const std::string symbol = t.substr(8, t.find(" (") - 8);
      importsOk = importsOk && ops.count(symbol) == 1;
    }
  }
  check(importsOk && libraries.count("libmx.dll") &&
            libraries.count("libmex.dll"),
        file +
            ": imports host operations by name from libmx.dll and "
            "libmex.dll, otherwise only system DLLs");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr,
                 "usage: verify_modules <llvm-objdump> <llvm-readobj> "
                 "<llvm-nm> <module folder> <packaging folder>\n");
    return 2;
  }
  gObjdump = argv[1];
  gReadobj = argv[2];
  gNm = argv[3];
  const std::string folder = argv[4], packaging = argv[5];
  verifyBundle(folder, packaging, "quorvane");
  verifyBundle(folder, packaging, "boot");
  verifyWindows(folder, "quorvane.mexw32", true);
  verifyWindows(folder, "quorvane.mexw64", false);
  verifyWindows(folder, "boot.mexw64", false);
  std::printf("%d failed\n", gFailures);
  return gFailures == 0 ? 0 : 1;
}
