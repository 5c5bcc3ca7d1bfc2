#include "platform/win32/scoped.h"

#include <objbase.h>

namespace lirra::win {

void ScopedHandle::Reset(HANDLE h) {
  if (Valid()) CloseHandle(h_);
  h_ = h;
}

ScopedComInit::ScopedComInit() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ScopedComInit::~ScopedComInit() {
  if (SUCCEEDED(hr_)) CoUninitialize();
}

}  // namespace lirra::win
