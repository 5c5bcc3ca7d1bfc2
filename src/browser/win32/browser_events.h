// CWebBrowserEvents: the DWebBrowserEvents2 sink of the hosted control. It turns each event's
// arguments into a call on the navigation policy and writes back the one answer the policy
// gives (the cancel flag of a new window); events it does not use are accepted and ignored.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include "browser/navigation_policy.h"
#include "browser/win32/com.h"

namespace lirra::win {

class CExplorer1;

class CWebBrowserEvents : public IDispatch {
 public:
  // Starts with one reference, which the creator owns. `control` tells the top frame's events
  // from a frame's; without it every event counts as a frame's.
  explicit CWebBrowserEvents(browser::CNavigationPolicy& policy, const CExplorer1* control = nullptr)
      : m_policy(policy), m_pControl(control) {}
  CWebBrowserEvents(const CWebBrowserEvents&) = delete;
  CWebBrowserEvents& operator=(const CWebBrowserEvents&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(this); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* exception, UINT* argumentError) override;

 private:
  friend class RefCount;
  virtual ~CWebBrowserEvents() = default;

  bool IsTopFrame(IDispatch* browserObject) const;

  browser::CNavigationPolicy& m_policy;
  const CExplorer1* m_pControl;
  RefCount m_refs;
};

}  // namespace lirra::win
