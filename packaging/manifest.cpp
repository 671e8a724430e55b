#include "manifest.h"

#include <zlib.h>

#include <cstring>

namespace packaging {

namespace {

constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::uint32_t kCentralHeader = 0x02014b50;
constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint16_t kDeflate = 8;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDosDate = (0 << 9) | (1 << 5) | 1;  // 1980-01-01
constexpr std::uint32_t kDirectoryAttribute = 0x10;

void put16(std::vector<std::uint8_t>& out, std::uint16_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  put16(out, static_cast<std::uint16_t>(v));
  put16(out, static_cast<std::uint16_t>(v >> 16));
}

std::string deflateRaw(const std::string& data) {
  z_stream z{};
  // Raw deflate (negative window bits): zip stores no zlib header.
  deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::optional<std::string> inflateRaw(const std::uint8_t* data,
                                      std::size_t size, std::size_t expected) {
  std::string out(expected, '\0');
  z_stream z{};
  if (inflateInit2(&z, -15) != Z_OK) return std::nullopt;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = inflate(&z, Z_FINISH);
  const bool ok = rc == Z_STREAM_END && z.total_out == expected;
  inflateEnd(&z);
  if (!ok) return std::nullopt;
  return out;
}

std::uint32_t crcOf(const std::string& data) {
  return static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uInt>(data.size())));
}

struct Member {
  std::string name;
  std::uint16_t method;
  std::string stored;  // as written
  std::uint32_t crc;
  std::uint32_t size;  // inflated
  std::uint32_t offset = 0;
};

void putCommon(std::vector<std::uint8_t>& out, const Member& m) {
  put16(out, 20);  // version needed: 2.0 (deflate, directories)
  put16(out, 0);   // flags
  put16(out, m.method);
  put16(out, 0);  // time 00:00:00
  put16(out, kDosDate);
  put32(out, m.crc);
  put32(out, static_cast<std::uint32_t>(m.stored.size()));
  put32(out, m.size);
  put16(out, static_cast<std::uint16_t>(m.name.size()));
  put16(out, 0);  // extra field length
}

}  // namespace

bool isUuidV4(const std::string& t) {
  if (t.size() != 36) return false;
  for (std::size_t i = 0; i < t.size(); ++i) {
    const char c = t[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-') return false;
    } else if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
      return false;
    }
  }
  // Version nibble 4; variant bits 10.
  return t[14] == '4' && std::strchr("89ab", t[19]) != nullptr;
}

std::string manifestJson(const std::string& uuid) {
  return "{\n"
         "\t\"bundle.symbolic_name\": \"" +
         uuid +
         "\",\n"
         "\t\"mw\": {\n"
         "\t\t\"mex\": {\n"
         "\t\t\t\"apiVersion\": 730,\n"
         "\t\t\t\"release\": \"R2023b\",\n"
         "\t\t\t\"threadpoolSafe\": 0\n"
         "\t\t}\n"
         "\t}\n"
         "}\n";
}

std::vector<std::uint8_t> manifestZip(const std::string& uuid) {
  const std::string json = manifestJson(uuid);
  Member members[] = {
      {"mexVersioning/manifest.json", kDeflate, deflateRaw(json), crcOf(json),
       static_cast<std::uint32_t>(json.size())},
      {"mexVersioning/", kStored, "", 0, 0},
  };
  std::vector<std::uint8_t> out;
  for (Member& m : members) {
    m.offset = static_cast<std::uint32_t>(out.size());
    put32(out, kLocalHeader);
    putCommon(out, m);
    out.insert(out.end(), m.name.begin(), m.name.end());
    out.insert(out.end(), m.stored.begin(), m.stored.end());
  }
  const auto directory = static_cast<std::uint32_t>(out.size());
  for (const Member& m : members) {
    put32(out, kCentralHeader);
    put16(out, 20);  // made by: MS-DOS attributes, version 2.0
    putCommon(out, m);
    put16(out, 0);  // comment length
    put16(out, 0);  // disk number
    put16(out, 0);  // internal attributes
    put32(out, m.method == kStored && m.name.back() == '/' ? kDirectoryAttribute
                                                           : 0);
    put32(out, m.offset);
    out.insert(out.end(), m.name.begin(), m.name.end());
  }
  const auto directorySize = static_cast<std::uint32_t>(out.size()) - directory;
  put32(out, kEndOfDirectory);
  put16(out, 0);
  put16(out, 0);
  put16(out, std::size(members));
  put16(out, std::size(members));
  put32(out, directorySize);
  put32(out, directory);
  put16(out, 0);  // comment length
  return out;
}

std::optional<std::vector<ZipEntry>> readZip(
    const std::vector<std::uint8_t>& b) {
  auto get16 = [&](std::size_t at) -> std::optional<std::uint32_t> {
    if (at + 2 > b.size()) return std::nullopt;
    return b[at] | (b[at + 1] << 8);
  };
  auto get32 = [&](std::size_t at) -> std::optional<std::uint32_t> {
    if (at + 4 > b.size()) return std::nullopt;
    return static_cast<std::uint32_t>(b[at]) | (b[at + 1] << 8) |
           (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
  };
  if (b.size() < 22) return std::nullopt;
  const std::size_t end = b.size() - 22;  // no archive comment
  if (get32(end) != kEndOfDirectory) return std::nullopt;
  const std::uint32_t count = *get16(end + 10);
  std::size_t at = *get32(end + 16);
  if (get16(end + 8) != count || at + *get32(end + 12) != end)
    return std::nullopt;
  std::vector<ZipEntry> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (get32(at) != kCentralHeader || !get16(at + 46)) return std::nullopt;
    const std::uint32_t method = *get16(at + 10);
    const std::uint32_t crc = *get32(at + 16);
    const std::uint32_t stored = *get32(at + 20);
    const std::uint32_t size = *get32(at + 24);
    const std::uint32_t nameLength = *get16(at + 28);
    const std::uint32_t skip = *get16(at + 30) + *get16(at + 32);
    const std::uint32_t offset = *get32(at + 42);
    if (at + 46 + nameLength > b.size()) return std::nullopt;
    ZipEntry e;
    e.name.assign(b.begin() + at + 46, b.begin() + at + 46 + nameLength);
    e.method = static_cast<std::uint16_t>(method);
    // Its name follows, then its data.
    // The local header must repeat what the directory says.
    if (get32(offset) != kLocalHeader || get16(offset + 8) != method ||
        get32(offset + 14) != crc || get32(offset + 18) != stored ||
        get32(offset + 22) != size || get16(offset + 26) != nameLength ||
        !get16(offset + 28))
      return std::nullopt;
    const std::size_t data = offset + 30 + nameLength + *get16(offset + 28);
    if (data + stored > b.size() ||
        std::memcmp(&b[offset + 30], e.name.data(), nameLength) != 0)
      return std::nullopt;
    if (method == kStored) {
      if (stored != size) return std::nullopt;
      e.content.assign(b.begin() + data, b.begin() + data + stored);
    } else if (method == kDeflate) {
      auto inflated = inflateRaw(b.data() + data, stored, size);
      if (!inflated) return std::nullopt;
      e.content = *inflated;
    } else {
      return std::nullopt;
    }
    if (crcOf(e.content) != crc) return std::nullopt;
    entries.push_back(std::move(e));
    at += 46 + nameLength + skip;
  }
  return entries;
}

}  // namespace packaging
