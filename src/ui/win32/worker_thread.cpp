#include "ui/win32/worker_thread.h"

#include <process.h>

#include <mutex>
#include <vector>

namespace lirra::win {

namespace {

// Threads that windows left behind; kept open so that their end can be seen.
std::mutex g_abandonedMutex;
std::vector<HANDLE> g_abandoned;

}  // namespace

bool CWorkerThread::Start(Proc proc, void* argument) {
  if (!proc || m_bRunning) return false;
  m_hThread.Reset(reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, proc, argument, 0, nullptr)));
  m_bRunning = m_hThread.Valid();
  return m_bRunning;
}

void CWorkerThread::Finished() {
  if (m_hThread.Valid()) WaitForSingleObject(m_hThread.Get(), kExitWaitMs);
  m_hThread.Reset();
  m_bRunning = false;
}

void CWorkerThread::Abandon() {
  if (m_hThread.Valid()) {
    HANDLE copy = nullptr;
    if (DuplicateHandle(GetCurrentProcess(), m_hThread.Get(), GetCurrentProcess(), &copy, SYNCHRONIZE, FALSE, 0)) {
      std::lock_guard<std::mutex> lock(g_abandonedMutex);
      g_abandoned.push_back(copy);
    }
  }
  m_hThread.Reset();
  m_bRunning = false;
}

bool CWorkerThread::AbandonedStillRunning() {
  std::lock_guard<std::mutex> lock(g_abandonedMutex);
  for (HANDLE thread : g_abandoned) {
    if (WaitForSingleObject(thread, 0) == WAIT_TIMEOUT) return true;
  }
  return false;
}

}  // namespace lirra::win
