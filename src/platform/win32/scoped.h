// Owners of Windows resources: each releases what it holds when it goes out of scope.
#pragma once

#include <windows.h>

namespace lirra::win {

// A kernel handle (process, thread, file...) closed with CloseHandle.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE h = nullptr) : h_(h) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  HANDLE Get() const { return h_; }
  bool Valid() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
  void Reset(HANDLE h = nullptr);

 private:
  HANDLE h_;
};

// An open registry key closed with RegCloseKey.
class ScopedKey {
 public:
  ScopedKey() = default;
  ~ScopedKey() {
    if (key_) RegCloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  HKEY* Receive() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// COM for this thread (apartment-threaded), uninitialised when it goes.
class ScopedComInit {
 public:
  ScopedComInit();
  ~ScopedComInit();
  ScopedComInit(const ScopedComInit&) = delete;
  ScopedComInit& operator=(const ScopedComInit&) = delete;
  bool Ok() const { return SUCCEEDED(hr_); }

 private:
  HRESULT hr_;
};

}  // namespace lirra::win
