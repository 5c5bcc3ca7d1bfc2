// CmervoDrviceManageApp: the client's life, from starting the libraries to the last window.
#pragma once

#include <memory>
#include <string>

#include "platform/win32/scoped.h"
#include "ui/win32/gdi.h"

namespace lirra::win {

class CmervoDrviceManageApp {
 public:
  CmervoDrviceManageApp();
  ~CmervoDrviceManageApp();
  CmervoDrviceManageApp(const CmervoDrviceManageApp&) = delete;
  CmervoDrviceManageApp& operator=(const CmervoDrviceManageApp&) = delete;

  // Runs the start-up sequence and the windows in turn; always false (no message loop follows).
  bool InitInstance();
  // What the process returns once InitInstance is over: 0, or the code a worker's question
  // asked for.
  int ExitCode() const { return m_nExitCode; }

 private:
  void StartWinsock();

  std::unique_ptr<GdiplusSession> m_gdiplus;
  std::unique_ptr<ScopedOleInit> m_ole;
  std::unique_ptr<ScopedWinsock> m_winsock;
  int m_nExitCode = 0;
};

}  // namespace lirra::win
