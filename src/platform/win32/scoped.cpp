#include "platform/win32/scoped.h"

// after windows.h
#include <ole2.h>
#include <winsock2.h>

namespace lirra::win {

ScopedOleInit::ScopedOleInit() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}

ScopedOleInit::~ScopedOleInit() {
  if (ok_) OleUninitialize();
}

ScopedWinsock::ScopedWinsock(WORD version) {
  WSADATA data = {};
  ok_ = WSAStartup(version, &data) == 0;
  if (ok_) version_ = data.wVersion;
}

void ScopedWinsock::Cleanup() {
  if (ok_) WSACleanup();
  ok_ = false;
}

}  // namespace lirra::win
