#include "browser/win32/browser_services.h"

namespace lirra::win {
namespace {

// Every question whose answer is Windows' own.
constexpr HRESULT kDefault = INET_E_DEFAULT_ACTION;

// The interface `iid` of `self` when it is one of the two given, with a reference added.
template <typename Interface, typename Self>
HRESULT AnswerAs(Self* self, REFIID iid, REFIID own, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, own)) {
    *object = static_cast<Interface*>(self);
    self->AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

}  // namespace

// ---- CUrlSecurityManager ----

HRESULT CUrlSecurityManager::QueryInterface(REFIID iid, void** object) {
  return AnswerAs<IInternetSecurityManager>(this, iid, IID_IInternetSecurityManager, object);
}

HRESULT CUrlSecurityManager::SetSecuritySite(IInternetSecurityMgrSite*) { return kDefault; }

HRESULT CUrlSecurityManager::GetSecuritySite(IInternetSecurityMgrSite** site) {
  if (site) *site = nullptr;
  return kDefault;
}

HRESULT CUrlSecurityManager::MapUrlToZone(LPCWSTR, DWORD*, DWORD) { return kDefault; }

HRESULT CUrlSecurityManager::GetSecurityId(LPCWSTR, BYTE*, DWORD*, DWORD_PTR) { return kDefault; }

HRESULT CUrlSecurityManager::ProcessUrlAction(LPCWSTR url, DWORD action, BYTE* policy, DWORD policySize, BYTE*, DWORD,
                                              DWORD, DWORD) {
  if (!url || !policy || policySize < sizeof(DWORD)) return kDefault;
  if (m_pages.AnswerUrlAction(url, action) != browser::UrlActionAnswer::kAllow) return kDefault;
  const DWORD allow = URLPOLICY_ALLOW;
  CopyMemory(policy, &allow, sizeof allow);
  return S_OK;
}

HRESULT CUrlSecurityManager::QueryCustomPolicy(LPCWSTR, REFGUID, BYTE** policy, DWORD* policySize, BYTE*, DWORD,
                                               DWORD) {
  if (policy) *policy = nullptr;
  if (policySize) *policySize = 0;
  return kDefault;
}

HRESULT CUrlSecurityManager::SetZoneMapping(DWORD, LPCWSTR, DWORD) { return kDefault; }

HRESULT CUrlSecurityManager::GetZoneMappings(DWORD, IEnumString** patterns, DWORD) {
  if (patterns) *patterns = nullptr;
  return kDefault;
}

// ---- CBrowserServices ----

CBrowserServices::CBrowserServices(const browser::COwnPages& pages, IServiceProvider* fallback)
    : m_manager(new CUrlSecurityManager(pages)), m_fallback(fallback) {
  if (m_fallback) m_fallback->AddRef();
}

CBrowserServices::~CBrowserServices() {
  m_manager->Release();
  if (m_fallback) m_fallback->Release();
}

HRESULT CBrowserServices::QueryInterface(REFIID iid, void** object) {
  return AnswerAs<IServiceProvider>(this, iid, IID_IServiceProvider, object);
}

HRESULT CBrowserServices::QueryService(REFGUID service, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualGUID(service, SID_SInternetSecurityManager)) return m_manager->QueryInterface(iid, object);
  return m_fallback ? m_fallback->QueryService(service, iid, object) : E_NOINTERFACE;
}

// ---- CServicedClientSite ----

CServicedClientSite::CServicedClientSite(IOleClientSite* hostSite, IServiceProvider* services)
    : m_hostSite(hostSite), m_services(services) {
  m_hostSite->AddRef();
  m_services->AddRef();
}

CServicedClientSite::~CServicedClientSite() {
  m_services->Release();
  m_hostSite->Release();
}

HRESULT CServicedClientSite::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IServiceProvider)) {
    *object = static_cast<IServiceProvider*>(this);
  } else {
    // In-place site, control site, container...: the host's own, which do the hosting.
    return m_hostSite->QueryInterface(iid, object);
  }
  AddRef();
  return S_OK;
}

// ---- the route ----

ComPtr<IInternetSecurityManager> SecurityManagerOf(IServiceProvider* services) {
  ComPtr<IInternetSecurityManager> manager;
  if (services && FAILED(services->QueryService(SID_SInternetSecurityManager, IID_IInternetSecurityManager,
                                                reinterpret_cast<void**>(manager.Receive()))))
    manager.Reset();
  return manager;
}

ComPtr<IInternetSecurityManager> SiteSecurityManager(IUnknown* control) {
  ComPtr<IOleObject> object;
  if (!control || FAILED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.Receive()))))
    return {};
  ComPtr<IOleClientSite> site;
  if (!object || FAILED(object->GetClientSite(site.Receive())) || !site) return {};
  ComPtr<IServiceProvider> services = site.As<IServiceProvider>(IID_IServiceProvider);
  return SecurityManagerOf(services.Get());
}

bool IsSameObject(IUnknown* a, IUnknown* b) {
  if (!a || !b) return false;
  ComPtr<IUnknown> first, second;
  if (FAILED(a->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(first.Receive())))) return false;
  if (FAILED(b->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(second.Receive())))) return false;
  return first.Get() == second.Get();
}

}  // namespace lirra::win
