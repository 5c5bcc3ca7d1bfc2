// lirractl doctor in a Wine prefix: the report's lines, and that it changes nothing.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "net/md5.h"
#include "pc/system_probe.h"
#include "support/temp_dir.h"
#include "win32_test_util.h"

namespace lirra {
namespace {

using test::CreateKey;
using test::DeleteTree;
using test::ReadFile;
using test::TempDir;
using test::Widen;
using test::WinePath;
using test::WriteFile;

// Runs lirractl with its standard output in a file; returns the exit code.
DWORD RunLirractl(const std::wstring& arguments, const std::string& outFile) {
  return test::RunWithOutput(WinePath(LIRRACTL_PATH), arguments, outFile);
}

std::set<std::string> Listing(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) names.insert(entry.path().string());
  return names;
}

TEST(Win32Doctor, ReportsWithoutChangingAnything) {
  TempDir client;
  // HID 0: the client's own load would reset this file; the report must not.
  const std::string config = "[HID]\r\nvalue=0\r\n[NJYS]\r\nvalue=1\r\n";
  WriteFile(client.File("config.ini"), config);
  std::filesystem::create_directories(client.File("YSB"));
  std::filesystem::create_directories(client.File("NJYS"));
  const std::string installer = std::string(FIXTURE_INSTALLERS_DIR) + "/YSB/BTReader.exe";
  std::string stub = ReadFile(test::WinePathA(installer.c_str()));
  ASSERT_NE(stub, "<missing>");
  WriteFile(client.File("YSB\\BTReader.exe"), stub);
  WriteFile(client.File("NJYS\\clientsetup.exe"), stub);
  char digest[kMd5TextSize];
  ASSERT_TRUE(GetFileMd5(client.File("YSB\\BTReader.exe").c_str(), digest));
  std::string upper = digest;
  for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  WriteFile(client.File("file.ini"),
            "[YSB]\r\npath=BTReader.exe\r\nMD5=" + upper +
                "\r\n[NJYS]\r\npath=clientsetup.exe\r\nMD5=00000000000000000000000000000000\r\n");
  const std::wstring hidKey = L"SOFTWARE\\Classes\\Interface\\{D18F137A-0549-4868-B49D-4AF69278E7AC}";
  ASSERT_TRUE(CreateKey(HKEY_LOCAL_MACHINE, hidKey + L"\\ProxyStubClsid32"));
  const std::set<std::string> before = Listing(client.path());

  TempDir outDir;
  const std::string report = outDir.File("report.txt");
  EXPECT_EQ(RunLirractl(L"doctor --dir \"" + Widen(client.path()) + L"\"", report), 0u);
  std::string text = ReadFile(report);
  const std::wstring osName = CSystemProbe::GetOsVersionName();
  const std::string os(osName.begin(), osName.end());
  // The width of the Windows under the test, as scripts/wine.sh made the prefix: a 32-bit
  // lirractl on 64-bit Windows reports 64.
  const char* windowsBits = std::getenv("LIRRA_WINDOWS_BITS");
  ASSERT_NE(nullptr, windowsBits) << "run through scripts/wine.sh, which names the prefix's width";
  const std::string bits = std::string("bits: ") + windowsBits;
  for (const std::string& line :
       {"os: " + os, bits, std::string("service.upnphost: missing"), std::string("service.SCardSvr: missing"),
        std::string("plugin.HID: registered"), std::string("plugin.YSB: not registered"),
        std::string("omnikey: missing"), std::string("config.HID: 0"), std::string("config.NJYS: 1"),
        std::string("config.SDSS: unset"), std::string("package.HID: missing"), std::string("package.YSB: ok"),
        std::string("package.NJYS: digest mismatch"), std::string("package.IE8: missing"), std::string("log: none")}) {
    EXPECT_NE(text.find(line + "\r\n"), std::string::npos) << line << "\n" << text;
  }
  for (const char* name : {"ie: ", "platform: ", "download: "}) EXPECT_NE(text.find(name), std::string::npos);

  EXPECT_EQ(ReadFile(client.File("config.ini")), config);
  EXPECT_EQ(Listing(client.path()), before);
  DeleteTree(HKEY_LOCAL_MACHINE, hidKey);
}

// The support log's newest lines end the report, reaching into the older copy when the
// current file has just rolled over.
TEST(Win32Doctor, EndsWithTheNewestLinesOfTheSupportLog) {
  TempDir client;
  auto line = [](int i) {
    return "2024-05-01 12:00:" + std::to_string(10 + i) + ".000 [7] entry " + std::to_string(i);
  };
  std::string older, current;
  for (int i = 1; i <= 15; ++i) older += line(i) + "\r\n";
  for (int i = 16; i <= 25; ++i) current += line(i) + "\r\n";
  WriteFile(client.File("lirra.log.1"), older);
  WriteFile(client.File("lirra.log"), current);

  TempDir outDir;
  const std::string report = outDir.File("report.txt");
  EXPECT_EQ(RunLirractl(L"doctor --dir \"" + Widen(client.path()) + L"\"", report), 0u);
  std::string text = ReadFile(report);
  std::string expected;
  for (int i = 6; i <= 25; ++i) expected += "log: " + line(i) + "\r\n";
  ASSERT_GE(text.size(), expected.size()) << text;
  EXPECT_EQ(text.substr(text.size() - expected.size()), expected) << text;
  EXPECT_EQ(ReadFile(client.File("lirra.log")), current);
}

}  // namespace
}  // namespace lirra
