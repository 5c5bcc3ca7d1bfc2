#include "app/win32/single_instance.h"

#include "ui/win32/activation.h"

namespace lirra::win {

namespace {

// "Local\" keeps it to this logon session, so another user's client does not count.
constexpr wchar_t kMutexName[] = L"Local\\Lirra.Client";

}  // namespace

CSingleInstance::CSingleInstance() {
  SetLastError(ERROR_SUCCESS);
  m_hMutex.Reset(CreateMutexW(nullptr, FALSE, kMutexName));
  const DWORD error = GetLastError();
  // Refused access means it exists, made by the client running with other rights.
  m_bFirst = m_hMutex.Valid() ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

void CSingleInstance::ActivateRunningClient() {
  // We are the foreground process (the user just started us); the running client is not, and
  // may take the foreground only with our leave.
  AllowSetForegroundWindow(ASFW_ANY);
  PostMessageW(HWND_BROADCAST, ActivateClientMessage(), 0, 0);
}

}  // namespace lirra::win
