// Owners of COM pointers, BSTRs and VARIANTs, and the reference count of our own COM objects,
// for the browser's COM code.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include <string>

namespace lirra::win {

// An interface pointer, released when it goes.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(T* adopted) : p_(adopted) {}
  ~ComPtr() { Reset(); }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = other.p_;
      other.p_ = nullptr;
    }
    return *this;
  }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what it held first.
  T** Receive() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }

  // The same object through another interface; empty when it has none.
  template <typename U>
  ComPtr<U> As(REFIID iid) const {
    ComPtr<U> other;
    if (p_ && FAILED(p_->QueryInterface(iid, reinterpret_cast<void**>(other.Receive())))) other.Reset();
    return other;
  }

 private:
  T* p_ = nullptr;
};

// The reference count of a COM object of our own: one reference, the creator's, to start with.
// Release deletes the owner at the last one (the owner makes RefCount its friend, its destructor
// being private).
class RefCount {
 public:
  ULONG Add() { return static_cast<ULONG>(InterlockedIncrement(&n_)); }
  template <typename Owner>
  ULONG Release(Owner* owner) {
    const LONG left = InterlockedDecrement(&n_);
    if (left == 0) delete owner;
    return static_cast<ULONG>(left);
  }

 private:
  LONG n_ = 1;
};

// Whether two interface pointers reach the same object: COM's identity is its IUnknown.
inline bool SameObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) return false;
  ComPtr<IUnknown> left;
  ComPtr<IUnknown> right;
  if (FAILED(a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(left.Receive())))) return false;
  if (FAILED(b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(right.Receive())))) return false;
  return left.Get() == right.Get();
}

class ScopedBstr {
 public:
  ScopedBstr() = default;
  explicit ScopedBstr(const std::wstring& text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~ScopedBstr() { SysFreeString(b_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR Get() const { return b_; }
  BSTR* Receive() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  std::wstring Text() const { return b_ ? std::wstring(b_, SysStringLen(b_)) : std::wstring(); }

 private:
  BSTR b_ = nullptr;
};

class ScopedVariant {
 public:
  ScopedVariant() { VariantInit(&v_); }
  ~ScopedVariant() { VariantClear(&v_); }
  ScopedVariant(const ScopedVariant&) = delete;
  ScopedVariant& operator=(const ScopedVariant&) = delete;
  VARIANT* Get() { return &v_; }
  const VARIANT& Value() const { return v_; }

 private:
  VARIANT v_;
};

}  // namespace lirra::win
