// One client per user session. The first start holds a named mutex in the session's namespace
// for its whole life; a later start finds it taken, asks the running client to come forward
// (out of the tray if it sits there) and ends before it prepares anything. Works on XP: a
// mutex, a registered message and a broadcast, nothing newer.
#pragma once

#include <windows.h>

#include "platform/win32/scoped.h"

namespace lirra::win {

class CSingleInstance {
 public:
  CSingleInstance();
  CSingleInstance(const CSingleInstance&) = delete;
  CSingleInstance& operator=(const CSingleInstance&) = delete;

  // False when another client runs in this session.
  bool IsFirst() const { return m_bFirst; }

  // Lets the running client take the foreground and tells its windows to come forward.
  static void ActivateRunningClient();

 private:
  ScopedHandle m_hMutex;
  bool m_bFirst = true;
};

}  // namespace lirra::win
