// manifest_zip <uuid file> <output zip>: the us_resources section of a macOS
// bundle, for the module whose UUID the file holds.
#include <fstream>
#include <iostream>
#include <string>

#include "manifest.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: manifest_zip <uuid file> <output zip>\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  std::string uuid;
  std::getline(in, uuid);
  if (!packaging::isUuidV4(uuid)) {
    std::cerr << argv[1] << ": not a lowercase version-4 UUID\n";
    return 1;
  }
  const auto zip = packaging::manifestZip(uuid);
  std::ofstream out(argv[2], std::ios::binary);
  out.write(reinterpret_cast<const char*>(zip.data()),
            static_cast<std::streamsize>(zip.size()));
  return out ? 0 : 1;
}
