// The product version from this executable's own version resource: the number of project(VERSION);
// and from another program's, as the update in place reads its setup's.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/update_check.h"
#include "lirra_version.h"
#include "platform/platform.h"

namespace lirra {
namespace {

TEST(ProductVersionWin32Test, ReadFromTheVersionResource) {
  EXPECT_EQ(NativePlatform().ProductVersion(), LIRRA_VERSION_WTEXT);
  char buffer[kProductVersionCapacity];
  ASSERT_EQ(GetProductVersion(buffer), 0);
  EXPECT_STREQ(buffer, LIRRA_VERSION_TEXT);
}

TEST(ProductVersionWin32Test, ReadFromAnotherProgramWhereverItLies) {
  const std::wstring self = NativePlatform().ModulePath();
  ASSERT_FALSE(self.empty());
  EXPECT_EQ(NativePlatform().FileProductVersion(self), LIRRA_VERSION_WTEXT);

  // A folder outside the ANSI code page, and a file beside it with no version resource.
  wchar_t temp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = std::wstring(temp) + L"版本 ✓ " + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring copy = folder + L"\\安装程序.exe";
  const std::wstring plain = folder + L"\\setup.exe";
  ASSERT_TRUE(CopyFileW(self.c_str(), copy.c_str(), FALSE));
  HANDLE file = CreateFileW(plain.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, file);
  DWORD written = 0;
  WriteFile(file, "MZ not a program", 16, &written, nullptr);
  CloseHandle(file);

  EXPECT_EQ(NativePlatform().FileProductVersion(copy), LIRRA_VERSION_WTEXT);
  EXPECT_EQ(NativePlatform().FileProductVersion(plain), L"");
  EXPECT_EQ(NativePlatform().FileProductVersion(folder + L"\\missing.exe"), L"");
  DeleteFileW(copy.c_str());
  DeleteFileW(plain.c_str());
  RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace lirra
