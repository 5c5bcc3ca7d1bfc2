// What the hosted WebBrowser control gets when it asks its site for a service: a security
// manager of our own, which lets the operator's pages run the card-reader plug-ins without a
// prompt and leaves every other decision to Windows (INET_E_DEFAULT_ACTION). Its answers come
// from browser::COwnPages; this file only speaks COM.
#pragma once

#include <windows.h>
// after windows.h
#include <ocidl.h>
#include <servprov.h>
#include <urlmon.h>

#include "browser/own_pages.h"
#include "browser/win32/com.h"

namespace lirra::win {

// IInternetSecurityManager: the six ActiveX URL actions are allowed for own pages; every other
// action, every other page and every other method answers INET_E_DEFAULT_ACTION ("ask the
// default manager"), so nothing else changes.
class CUrlSecurityManager : public IInternetSecurityManager {
 public:
  // Starts with one reference, which the creator owns; `pages` outlives it.
  explicit CUrlSecurityManager(const browser::COwnPages& pages) : m_pages(pages) {}
  CUrlSecurityManager(const CUrlSecurityManager&) = delete;
  CUrlSecurityManager& operator=(const CUrlSecurityManager&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(this); }

  HRESULT STDMETHODCALLTYPE SetSecuritySite(IInternetSecurityMgrSite* site) override;
  HRESULT STDMETHODCALLTYPE GetSecuritySite(IInternetSecurityMgrSite** site) override;
  HRESULT STDMETHODCALLTYPE MapUrlToZone(LPCWSTR url, DWORD* zone, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE GetSecurityId(LPCWSTR url, BYTE* id, DWORD* idSize, DWORD_PTR reserved) override;
  HRESULT STDMETHODCALLTYPE ProcessUrlAction(LPCWSTR url, DWORD action, BYTE* policy, DWORD policySize, BYTE* context,
                                             DWORD contextSize, DWORD flags, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE QueryCustomPolicy(LPCWSTR url, REFGUID key, BYTE** policy, DWORD* policySize, BYTE* context,
                                              DWORD contextSize, DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE SetZoneMapping(DWORD zone, LPCWSTR pattern, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE GetZoneMappings(DWORD zone, IEnumString** patterns, DWORD flags) override;

 private:
  friend class RefCount;
  virtual ~CUrlSecurityManager() = default;

  const browser::COwnPages& m_pages;
  RefCount m_refs;
};

// IServiceProvider of the control's site: SID_SInternetSecurityManager is our manager; any
// other service goes to `fallback` (the site's own provider, if it had one) or is unknown.
class CBrowserServices : public IServiceProvider {
 public:
  // Starts with one reference, which the creator owns.
  explicit CBrowserServices(const browser::COwnPages& pages, IServiceProvider* fallback = nullptr);
  CBrowserServices(const CBrowserServices&) = delete;
  CBrowserServices& operator=(const CBrowserServices&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(this); }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override;

 private:
  friend class RefCount;
  virtual ~CBrowserServices();

  CUrlSecurityManager* m_manager;
  IServiceProvider* m_fallback;
  RefCount m_refs;
};

// A client site that stands in front of a host's own site (one that can't take a service
// provider from outside): IOleClientSite and every interface but IServiceProvider are the
// host site's, IServiceProvider is `services`.
class CServicedClientSite : public IOleClientSite, public IServiceProvider {
 public:
  // Starts with one reference, which the creator owns; holds both until it goes.
  CServicedClientSite(IOleClientSite* hostSite, IServiceProvider* services);
  CServicedClientSite(const CServicedClientSite&) = delete;
  CServicedClientSite& operator=(const CServicedClientSite&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return m_refs.Add(); }
  ULONG STDMETHODCALLTYPE Release() override { return m_refs.Release(this); }

  HRESULT STDMETHODCALLTYPE SaveObject() override { return m_hostSite->SaveObject(); }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override {
    return m_hostSite->GetMoniker(assign, which, moniker);
  }
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override {
    return m_hostSite->GetContainer(container);
  }
  HRESULT STDMETHODCALLTYPE ShowObject() override { return m_hostSite->ShowObject(); }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override { return m_hostSite->OnShowWindow(show); }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return m_hostSite->RequestNewObjectLayout(); }

  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override {
    return m_services->QueryService(service, iid, object);
  }

 private:
  friend class RefCount;
  virtual ~CServicedClientSite();

  IOleClientSite* m_hostSite;
  IServiceProvider* m_services;
  RefCount m_refs;
};

// The security manager that a provider, or the client site of a control, hands out for
// SID_SInternetSecurityManager; empty when there is none.
ComPtr<IInternetSecurityManager> SecurityManagerOf(IServiceProvider* services);
ComPtr<IInternetSecurityManager> SiteSecurityManager(IUnknown* control);
// COM identity: both are the same object.
bool IsSameObject(IUnknown* a, IUnknown* b);

}  // namespace lirra::win
