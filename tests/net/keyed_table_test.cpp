// The package table of a program built with a manifest key (RFC 8032's published test key,
// tests/CMakeLists.txt), made exactly as lirra.exe makes its own: the process table, from the
// platform, with the key built in. It takes only a list signed with that key.
#include <gtest/gtest.h>

#include <string>

#include "net/crypto.h"
#include "net/package_table.h"
#include "platform/platform.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace lirra {
namespace {

const std::string kManifest = "[manifest]\r\nserial=3\r\n[NJYS]\r\npath=signed.exe\r\n";

std::string SignatureFile(const std::string& manifest) {
  std::string seed;
  EXPECT_TRUE(DecodeBase64(LIRRA_TEST_MANIFEST_SECRET_SEED, &seed));
  return EncodeBase64(SignEd25519(seed, manifest).value_or("")) + "\n";
}

class KeyedProcessTable : public testing::Test {
 protected:
  KeyedProcessTable() {
    fake_.modulePath = OS().AnsiToWide(dir_.File("lirra.exe"));
    ResetPackageTable();
  }
  ~KeyedProcessTable() override { ResetPackageTable(); }

  test::TempDir dir_;
  test::FakePlatform fake_;
  std::string manifestPath_ = dir_.File("file.ini");
};

TEST_F(KeyedProcessTable, CarriesTheBuiltInKey) {
  const PackageTable& table = GetPackageTable();
  EXPECT_TRUE(table.m_ManifestKey.m_bOn);
  EXPECT_EQ(EncodeBase64(table.m_ManifestKey.m_strKey), LIRRA_MANIFEST_PUBLIC_KEY);
  EXPECT_EQ(table.m_strManifestPath, OS().AnsiToWide(manifestPath_));
}

TEST_F(KeyedProcessTable, RefusesAnUnsignedListAndTakesASignedOne) {
  PackageTable& table = GetPackageTable();
  test::WriteFile(manifestPath_, kManifest);
  EXPECT_FALSE(LoadManifest(table)) << "no file.ini.sig";
  EXPECT_EQ(table.m_NJYS.m_strFileName, L"clientsetup.exe");

  test::WriteFile(manifestPath_ + ".sig", SignatureFile(kManifest + "\r\n"));
  EXPECT_FALSE(LoadManifest(table)) << "the signature of other bytes";
  EXPECT_EQ(table.m_NJYS.m_strFileName, L"clientsetup.exe");

  test::WriteFile(manifestPath_ + ".sig", SignatureFile(kManifest));
  EXPECT_TRUE(LoadManifest(table));
  EXPECT_EQ(table.m_NJYS.m_strFileName, L"signed.exe");
}

}  // namespace
}  // namespace lirra
