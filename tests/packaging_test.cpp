// The pieces of the macOS bundles that run natively: the API version entry
// point and the versioning manifest with its zip archive.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "api_version.h"
#include "manifest.h"

namespace {

TEST(ApiVersion, StoresReleaseAndApiVersionWhateverWasThere) {
  for (std::uint32_t before : {0u, 0xffffffffu, 12345u}) {
    std::uint32_t release = before, api = before;
    mexfilerequiredapiversion(&release, &api);
    EXPECT_EQ(release, 131643u);
    EXPECT_EQ(api, 120586240u);
  }
}

TEST(Manifest, JsonMembersInOrderOnePerLineTabIndented) {
  EXPECT_EQ(packaging::manifestJson("6ff54a65-15f7-496e-b41a-9121e5032238"),
            "{\n"
            "\t\"bundle.symbolic_name\": "
            "\"6ff54a65-15f7-496e-b41a-9121e5032238\",\n"
            "\t\"mw\": {\n"
            "\t\t\"mex\": {\n"
            "\t\t\t\"apiVersion\": 730,\n"
            "\t\t\t\"release\": \"R2023b\",\n"
            "\t\t\t\"threadpoolSafe\": 0\n"
            "\t\t}\n"
            "\t}\n"
            "}\n");
}

TEST(Manifest, ZipHoldsDeflatedManifestThenFolderAndIsReproducible) {
  const std::string uuid = "74f387c7-93c7-4b4e-a2d7-6bc7fff0dd8d";
  const auto zip = packaging::manifestZip(uuid);
  EXPECT_EQ(zip, packaging::manifestZip(uuid));
  const auto entries = packaging::readZip(zip);
  ASSERT_TRUE(entries);
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].name, "mexVersioning/manifest.json");
  EXPECT_EQ((*entries)[0].method, 8);
  EXPECT_EQ((*entries)[0].content, packaging::manifestJson(uuid));
  EXPECT_EQ((*entries)[1].name, "mexVersioning/");
  EXPECT_EQ((*entries)[1].method, 0);
  EXPECT_TRUE((*entries)[1].content.empty());
}

TEST(Manifest, ReaderRefusesDamagedArchives) {
  const auto zip =
      packaging::manifestZip("74f387c7-93c7-4b4e-a2d7-6bc7fff0dd8d");
  for (std::size_t at :
       {std::size_t{0}, std::size_t{20}, std::size_t{45}, zip.size() - 10}) {
    auto damaged = zip;
    damaged[at] ^= 0x5a;
    EXPECT_FALSE(packaging::readZip(damaged)) << "byte " << at;
  }
  EXPECT_FALSE(packaging::readZip({}));
}

TEST(Manifest, UuidMustBeLowercaseVersion4) {
  EXPECT_TRUE(packaging::isUuidV4("6ff54a65-15f7-496e-b41a-9121e5032238"));
  EXPECT_FALSE(packaging::isUuidV4("6FF54A65-15F7-496E-B41A-9121E5032238"));
  EXPECT_FALSE(packaging::isUuidV4("6ff54a65-15f7-196e-b41a-9121e5032238"));
  EXPECT_FALSE(packaging::isUuidV4("6ff54a65-15f7-496e-c41a-9121e5032238"));
  EXPECT_FALSE(packaging::isUuidV4("6ff54a6515f7496eb41a9121e5032238"));
}

}  // namespace
