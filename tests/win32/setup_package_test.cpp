// The setup package as a shop installs it (run by setup-package.sh in a Wine prefix of its own,
// with the shop server on the client's loopback host): silent installs into the default folder
// and into a folder with a Chinese name, the files, shortcuts and uninstall key they leave, the
// installed client reaching the driver manager, upgrades that keep the shop's data and close a
// running client, and silent uninstalls that leave only the shop's data.
#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "platform/win32/scoped.h"
#include "resource.h"
#include "win32_test_util.h"
#include "window_driver.h"

namespace {

using lirra::test::EnvWinePath;
using lirra::test::Exists;
using lirra::test::ProductVersionOf;
using lirra::test::ReadBytes;
using lirra::test::ReadDword;
using lirra::test::RunAndWait;
using lirra::test::WindowHost;
using lirra::test::WriteBytes;

const std::wstring kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lirra";
const std::wstring kShortcut = L"Lirra·商户.lnk";
// The interface key that the stand-in CardX.ocx registers.
const std::wstring kCardXKey = L"SOFTWARE\\Classes\\Interface\\{D18F137A-0549-4868-B49D-4AF69278E7AC}";
// What the package brings; all of it goes with the uninstall.
const wchar_t* const kProgramFiles[] = {L"lirra.exe", L"CardX.ocx", L"uninstall.exe", L"res", L"lirra.log"};
// The shop's data, which upgrades and silent uninstalls keep.
const wchar_t* const kShopFiles[] = {L"config.ini", L"file.ini", L"file.ini.sig", L"file.ini.serial",
                                     L"NJYS\\clientsetup.exe"};
// Temporary files of transfers that an ended client cut off; the uninstaller takes them even when
// it keeps the shop's data.
const wchar_t* const kLeftovers[] = {L"~39v-1.tmp", L"NJYS\\~39v-2.tmp", L"HID\\~39v-3.tmp"};

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : L"<unknown folder>";
}

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

std::wstring RegString(const std::wstring& value) {
  return lirra::test::ReadString(HKEY_CURRENT_USER, kUninstallKey, value).value_or(L"<no " + value + L">");
}

bool KeyExists(HKEY root, const std::wstring& path) {
  lirra::win::ScopedKey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

struct Link {
  std::wstring target;
  std::wstring folder;
};

// A shortcut's target and working folder, read through the shell as Explorer reads them.
Link ReadLink(const std::wstring& path) {
  Link link{L"<unreadable>", L"<unreadable>"};
  IShellLinkW* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell))))
    return link;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
      wchar_t text[MAX_PATH] = {};
      if (SUCCEEDED(shell->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) link.target = text;
      text[0] = L'\0';
      if (SUCCEEDED(shell->GetWorkingDirectory(text, MAX_PATH))) link.folder = text;
    }
    file->Release();
  }
  shell->Release();
  return link;
}

bool UninstallerRunning() {
  lirra::win::ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return false;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
    // NSIS runs the uninstaller from a copy in the temporary folder named Un_A.exe (or _B, ...).
    const std::wstring name = Lower(entry.szExeFile);
    if (name.size() == 8 && name.compare(0, 3, L"un_") == 0 && name.compare(4, 4, L".exe") == 0) return true;
  }
  return false;
}

class SetupPackage : public testing::Test {
 protected:
  void SetUp() override {
    setup_ = EnvWinePath("LIRRA_SETUP_EXE");
    if (setup_.empty()) GTEST_SKIP() << "needs the package and shop server of setup-package.sh";
    const char* version = std::getenv("LIRRA_SETUP_VERSION");
    ASSERT_NE(nullptr, version);
    version_ = std::wstring(version, version + std::strlen(version));
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  }
  void TearDown() override {
    if (!setup_.empty()) CoUninitialize();
  }

  std::wstring DesktopLink() const { return Folder(CSIDL_DESKTOPDIRECTORY) + L"\\" + kShortcut; }
  std::wstring ProgramsLink() const { return Folder(CSIDL_PROGRAMS) + L"\\" + kShortcut; }

  // What a silent install into `dir` leaves: files, shortcuts and the uninstall key.
  void ExpectInstalled(const std::wstring& dir) {
    for (const wchar_t* name : {L"lirra.exe", L"CardX.ocx", L"uninstall.exe"})
      EXPECT_TRUE(Exists(dir + L"\\" + name)) << "missing " << testing::PrintToString(std::wstring(name));
    // Every skin picture, from the source tree's res folder.
    WIN32_FIND_DATAW found{};
    HANDLE find = FindFirstFileW(EnvWinePath("LIRRA_SOURCE_DIR", L"\\res\\*.png").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    int pictures = 0;
    do {
      ++pictures;
      EXPECT_TRUE(Exists(dir + L"\\res\\" + found.cFileName)) << testing::PrintToString(std::wstring(found.cFileName));
    } while (FindNextFileW(find, &found));
    FindClose(find);
    EXPECT_GT(pictures, 0);
    EXPECT_EQ(version_, ProductVersionOf(dir + L"\\lirra.exe"));

    for (const std::wstring& path : {DesktopLink(), ProgramsLink()}) {
      const Link link = ReadLink(path);
      EXPECT_EQ(Lower(dir + L"\\lirra.exe"), Lower(link.target)) << testing::PrintToString(path);
      EXPECT_EQ(Lower(dir), Lower(link.folder)) << testing::PrintToString(path);
    }

    EXPECT_EQ(L"Lirra·商户", RegString(L"DisplayName"));
    EXPECT_EQ(version_, RegString(L"DisplayVersion"));
    EXPECT_EQ(L"Lirra", RegString(L"Publisher"));
    EXPECT_EQ(Lower(dir + L"\\lirra.exe,0"), Lower(RegString(L"DisplayIcon")));
    EXPECT_EQ(Lower(L"\"" + dir + L"\\uninstall.exe\""), Lower(RegString(L"UninstallString")));
    EXPECT_EQ(Lower(L"\"" + dir + L"\\uninstall.exe\" /S"), Lower(RegString(L"QuietUninstallString")));
    EXPECT_EQ(Lower(dir), Lower(RegString(L"InstallLocation")));
    // In KB, at least what the client itself takes.
    WIN32_FILE_ATTRIBUTE_DATA client{};
    ASSERT_TRUE(GetFileAttributesExW((dir + L"\\lirra.exe").c_str(), GetFileExInfoStandard, &client));
    EXPECT_GE(ReadDword(HKEY_CURRENT_USER, kUninstallKey, L"EstimatedSize"), client.nFileSizeLow / 1024);
  }

  // Plants the shop's data that is not there yet; returns all of it, to compare later.
  std::vector<std::string> KeepShopData(const std::wstring& dir) {
    CreateDirectoryW((dir + L"\\NJYS").c_str(), nullptr);
    const std::string planted[] = {"[HID]\r\nvalue=1\r\n", "[YSB]\r\npath=BTReader.exe\r\n", "signature\r\n", "12\n",
                                   "downloaded installer"};
    std::vector<std::string> data;
    for (std::size_t i = 0; i < std::size(kShopFiles); ++i) {
      const std::wstring path = dir + L"\\" + kShopFiles[i];
      if (!Exists(path)) WriteBytes(path, planted[i]);
      data.push_back(ReadBytes(path));
    }
    return data;
  }

  void ExpectShopData(const std::wstring& dir, const std::vector<std::string>& data) {
    for (std::size_t i = 0; i < std::size(kShopFiles); ++i)
      EXPECT_EQ(data[i], ReadBytes(dir + L"\\" + kShopFiles[i])) << testing::PrintToString(std::wstring(kShopFiles[i]));
  }

  // The quiet uninstall as Windows runs it; the uninstaller goes on from a copy in the
  // temporary folder, so the wait is for that copy and for its own file to go.
  void UninstallSilently(const std::wstring& dir) {
    const std::wstring command = RegString(L"QuietUninstallString");
    ASSERT_EQ(0, RunAndWait(command)) << testing::PrintToString(command);
    for (int waited = 0; (UninstallerRunning() || Exists(dir + L"\\uninstall.exe")) && waited < 120000; waited += 200)
      Sleep(200);
    EXPECT_FALSE(UninstallerRunning());
    for (const wchar_t* name : kProgramFiles)
      EXPECT_FALSE(Exists(dir + L"\\" + name)) << "left " << testing::PrintToString(std::wstring(name));
    EXPECT_FALSE(Exists(DesktopLink()));
    EXPECT_FALSE(Exists(ProgramsLink()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kUninstallKey));
  }

  std::wstring setup_;
  std::wstring version_;
};

TEST_F(SetupPackage, DefaultFolderInstallUpgradeAndUninstall) {
  const std::wstring dir = Folder(CSIDL_LOCAL_APPDATA) + L"\\Lirra";
  ASSERT_EQ(0, RunAndWait(L"\"" + setup_ + L"\" /S"));
  ExpectInstalled(dir);
  EXPECT_EQ(version_, ProductVersionOf(setup_)) << "the package's own version resource";

  const std::vector<std::string> shop = KeepShopData(dir);
  // An upgrade finds the installation through its key and keeps the shop's data.
  ASSERT_EQ(0, RunAndWait(L"\"" + setup_ + L"\" /S"));
  ExpectInstalled(dir);
  ExpectShopData(dir, shop);

  ASSERT_TRUE(CreateDirectoryW((dir + L"\\HID").c_str(), nullptr));
  for (const wchar_t* name : kLeftovers) WriteBytes(dir + L"\\" + name, "part of a download");
  UninstallSilently(dir);
  ExpectShopData(dir, shop);
  for (const wchar_t* name : kLeftovers)
    EXPECT_FALSE(Exists(dir + L"\\" + name)) << "left " << testing::PrintToString(std::wstring(name));
  EXPECT_FALSE(Exists(dir + L"\\HID")) << "a package folder that held only a leftover stays";
}

TEST_F(SetupPackage, ChineseFolderClientRunsAndAnUpgradeClosesIt) {
  const std::wstring dir = L"C:\\商户 收银\\Lirra";
  ASSERT_EQ(0, RunAndWait(L"\"" + setup_ + L"\" /S /D=" + dir));
  ExpectInstalled(dir);

  // As the loading window would on a PC where it is not yet registered.
  ASSERT_EQ(0, RunAndWait(L"C:\\windows\\system32\\regsvr32.exe /s \"" + dir + L"\\CardX.ocx\"", 60000));
  ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kCardXKey));
  {
    // Started as the desktop shortcut starts it.
    const Link link = ReadLink(DesktopLink());
    WindowHost client(link.target, L"", link.folder);
    ASSERT_TRUE(client.Started());
    HWND manager = client.FindDialogWith(IDC_DRV_STATUS, 120000);
    ASSERT_NE(nullptr, manager) << "the installed client did not reach the driver manager";
    const std::string log = ReadBytes(dir + L"\\lirra.log");
    EXPECT_NE(std::string::npos, log.find("] load file ")) << log;

    const std::vector<std::string> shop = KeepShopData(dir);
    ASSERT_EQ(0, RunAndWait(L"\"" + setup_ + L"\" /S"));
    EXPECT_NE(-1, client.WaitExit(10000)) << "the silent upgrade leaves the running client open";
    ExpectInstalled(dir);
    ExpectShopData(dir, shop);

    UninstallSilently(dir);
    ExpectShopData(dir, shop);
  }
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kCardXKey)) << "the plug-in stays registered without its file";
}

// A client program that another process still holds can't be replaced: after its retries the
// install fails, rather than report success over the old program (which an update in place would
// then start again as the new one).
TEST_F(SetupPackage, AClientProgramThatStaysHeldFailsTheInstallAndStaysAsItWas) {
  const std::wstring dir = Folder(CSIDL_LOCAL_APPDATA) + L"\\Lirra";
  ASSERT_EQ(0, RunAndWait(L"\"" + setup_ + L"\" /S"));
  const std::wstring client = dir + L"\\lirra.exe";
  WriteBytes(client, "the client that runs");
  HANDLE held = CreateFileW(client.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  EXPECT_EQ(2, RunAndWait(L"\"" + setup_ + L"\" /S", 120000));
  CloseHandle(held);
  EXPECT_EQ("the client that runs", ReadBytes(client));
  UninstallSilently(dir);
}

}  // namespace
