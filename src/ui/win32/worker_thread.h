// CWorkerThread: the one worker thread of a window (the loading window's preparation, the
// driver manager's install run). The worker posts the window's done message as its last act;
// the window then calls Finished, which gives the thread a bounded moment to return.
// Destruction waits the same bounded time, so a window never blocks on a worker for long; a
// window that is left while its worker still waits abandons the thread instead.
#pragma once

#include <windows.h>

#include "platform/win32/scoped.h"

namespace lirra::win {

class CWorkerThread {
 public:
  using Proc = unsigned(__stdcall*)(void* argument);

  CWorkerThread() = default;
  ~CWorkerThread() { Finished(); }
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // Starts proc(argument) on a new thread; false when no thread could be made.
  bool Start(Proc proc, void* argument);
  // Started and not yet Finished: the window's worker is at work.
  bool Running() const { return m_bRunning; }
  // On the window's thread, when the done message arrived (or the window goes).
  void Finished();
  // The window goes while its worker still waits (on an installer that may never end): the
  // thread is left to finish on its own, unwaited.
  void Abandon();

  // True while a thread that a window abandoned still runs. The process then ends without
  // running static destructors under that thread's feet.
  static bool AbandonedStillRunning();

  // How long a worker that has posted its done message may take to return.
  static constexpr DWORD kExitWaitMs = 2000;

 private:
  ScopedHandle m_hThread;
  bool m_bRunning = false;
};

}  // namespace lirra::win
