// System DLLs by their full path, and a DLL search that no longer looks in the current folder,
// in a Wine prefix. The search is process-wide and can't be undone, so this program holds only
// this one test.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/win32/system_folder.h"
#include "support/temp_dir.h"
#include "win32_test_util.h"

namespace lirra {
namespace {

using test::TempDir;
using test::Widen;
using test::WinePath;

std::wstring Lower(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
  return text;
}

std::wstring ModulePath(HMODULE module) {
  wchar_t path[MAX_PATH] = {};
  return std::wstring(path, GetModuleFileNameW(module, path, MAX_PATH));
}

TEST(DllSearch, SystemDllsByFullPathAndNothingFromTheCurrentFolder) {
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(GetSystemDirectoryW(system, MAX_PATH), 0u);
  EXPECT_EQ(Lower(win::SystemFilePath(L"atl.dll")), Lower(std::wstring(system) + L"\\atl.dll"));

  // A DLL of our own under two names in the current folder, where a planted copy would lie.
  TempDir dir;
  for (const char* name : {"lirra-planted-a.dll", "lirra-planted-b.dll", "atl.dll"}) {
    ASSERT_TRUE(CopyFileW(WinePath(FIXTURE_CARDX).c_str(), Widen(dir.File(name)).c_str(), FALSE));
  }
  ASSERT_TRUE(SetCurrentDirectoryW(Widen(dir.path()).c_str()));
  // Without the restriction a bare name is found there: what the restriction has to stop.
  HMODULE before = LoadLibraryW(L"lirra-planted-a.dll");
  EXPECT_NE(before, nullptr);

  win::RestrictDllSearch();
  EXPECT_EQ(LoadLibraryW(L"lirra-planted-b.dll"), nullptr);
  HMODULE atl = win::LoadSystemLibrary(L"atl.dll");
  ASSERT_NE(atl, nullptr);
  EXPECT_EQ(Lower(ModulePath(atl)), Lower(win::SystemFilePath(L"atl.dll")));
  EXPECT_NE(GetProcAddress(atl, "AtlAxWinInit"), nullptr);

  if (before) FreeLibrary(before);
  SetCurrentDirectoryW(system);
}

}  // namespace
}  // namespace lirra
