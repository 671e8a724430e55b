// The versioning manifest of the macOS bundles and the zip archive that
// carries it in their __TEXT,us_resources section.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace packaging {

// True for a version-4 UUID in the 36-character lowercase form.
bool isUuidV4(const std::string& text);

// The manifest: one member per line, tab-indented.
std::string manifestJson(const std::string& uuid);

// A zip archive with "mexVersioning/manifest.json" (deflated) and then the
// directory entry "mexVersioning/". Fixed timestamps: the same input gives
// the same bytes.
std::vector<std::uint8_t> manifestZip(const std::string& uuid);

struct ZipEntry {
  std::string name;
  std::uint16_t method = 0;
  std::string content;  // inflated
};

// Reads every entry through the central directory and checks each against
// its local header and its CRC; nothing when the archive is malformed.
std::optional<std::vector<ZipEntry>> readZip(
    const std::vector<std::uint8_t>& bytes);

}  // namespace packaging
