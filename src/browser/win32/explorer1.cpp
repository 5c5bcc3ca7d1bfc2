#include "browser/win32/explorer1.h"

#include <ocidl.h>

#include "browser/own_pages.h"
#include "mingw/atl_exports.h"
#include "platform/win32/system_folder.h"
#include "store/support_log.h"

namespace lirra::win {
namespace {

// atl.dll stays loaded for the life of the process: its class is registered from it. By its
// full path: the client's folder is the shop's to write, and a copy there must not be loaded.
HMODULE AtlModule() {
  static HMODULE atl = LoadSystemLibrary(L"atl.dll");
  return atl;
}

// GetProcAddress's result as the export's real type.
template <typename Fn>
Fn AtlExport(const char* name) {
  HMODULE atl = AtlModule();
  return atl ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(atl, name))) : nullptr;
}

}  // namespace

bool CExplorer1::RegisterHostClass() {
  static const bool registered = [] {
    auto init = AtlExport<AtlAxWinInitFn>("AtlAxWinInit");
    return init && init() != FALSE;
  }();
  return registered;
}

bool CExplorer1::Create(const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect, HWND parent,
                        UINT id, void* context) {
  (void)className;
  (void)context;
  if (!RegisterHostClass()) return false;
  const wchar_t* control = windowName && *windowName ? windowName : kWebBrowserClsid;
  HWND host = CreateWindowExW(0, kHostClass, control, style | WS_CHILD, rect.left, rect.top, rect.right - rect.left,
                              rect.bottom - rect.top, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (!host) return false;
  if (Attach(host)) return true;
  DestroyWindow(host);
  return false;
}

bool CExplorer1::Attach(HWND host) {
  Detach();
  if (!host) return false;
  auto getControl = AtlExport<AtlAxGetControlFn>("AtlAxGetControl");
  if (!getControl) return false;
  ComPtr<IUnknown> control;
  if (FAILED(getControl(host, control.Receive())) || !control) return false;
  return AttachControl(control.Get(), host);
}

bool CExplorer1::AttachControl(IUnknown* control, HWND host) {
  Detach();
  if (!control) return false;
  ComPtr<IWebBrowser2> browser;
  if (FAILED(control->QueryInterface(IID_IWebBrowser2, reinterpret_cast<void**>(browser.Receive()))) || !browser)
    return false;
  m_browser = std::move(browser);
  m_hWnd = host;
  if (host && !ProvideSecurityManager(host, control))
    SupportTrace("the browser's own security manager could not be installed; Windows decides alone\r\n");
  return true;
}

// atl.dll's host site (ATL's CAxHostWindow) implements IObjectWithSite and hands every
// QueryService it can't answer itself, which is every one, to the IServiceProvider of the site
// set there: that is how Windows' atl.dll takes our services, with the control left as it was
// activated. A host whose site has no such door (Wine's atl.dll, for one) gets a site of ours
// in front of its own: IServiceProvider is ours, everything else still its, and the control,
// which drops its window when its site changes, is put back in place in the host's window.
bool CExplorer1::ProvideSecurityManager(HWND host, IUnknown* control) {
  return SetOuterSiteOfHost(host, control) || StandInFrontOfSite(host, control);
}

bool CExplorer1::SetOuterSiteOfHost(HWND host, IUnknown* control) {
  auto getHost = AtlExport<AtlAxGetHostFn>("AtlAxGetHost");
  ComPtr<IUnknown> container;
  if (!getHost || FAILED(getHost(host, container.Receive())) || !container) return false;
  ComPtr<IObjectWithSite> withSite = container.As<IObjectWithSite>(IID_IObjectWithSite);
  if (!withSite) return false;
  m_services = ComPtr<CBrowserServices>(new CBrowserServices(browser::BuiltInOwnPages()));
  if (SUCCEEDED(withSite->SetSite(static_cast<IServiceProvider*>(m_services.Get()))) && SiteAnswersWithOurs(control)) {
    m_hostWithSite = std::move(withSite);
    return true;
  }
  withSite->SetSite(nullptr);
  m_services.Reset();
  return false;
}

bool CExplorer1::StandInFrontOfSite(HWND host, IUnknown* control) {
  ComPtr<IOleObject> object;
  if (FAILED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(object.Receive()))) || !object)
    return false;
  ComPtr<IOleClientSite> hostSite;
  if (FAILED(object->GetClientSite(hostSite.Receive())) || !hostSite) return false;
  // Whatever the host's site provided before, it still provides.
  ComPtr<IServiceProvider> hostServices = hostSite.As<IServiceProvider>(IID_IServiceProvider);
  m_services = ComPtr<CBrowserServices>(new CBrowserServices(browser::BuiltInOwnPages(), hostServices.Get()));
  ComPtr<CServicedClientSite> site(new CServicedClientSite(hostSite.Get(), m_services.Get()));
  if (FAILED(object->SetClientSite(site.Get()))) {
    m_services.Reset();
    return false;
  }
  RECT place = {};
  GetClientRect(host, &place);
  if (FAILED(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.Get(), 0, host, &place)))
    SupportTrace("the browser control could not be put back in its window\r\n");
  return SiteAnswersWithOurs(control);
}

bool CExplorer1::SiteAnswersWithOurs(IUnknown* control) const {
  if (!m_services) return false;
  ComPtr<IInternetSecurityManager> ours = SecurityManagerOf(m_services.Get());
  ComPtr<IInternetSecurityManager> asked = SiteSecurityManager(control);
  return IsSameObject(ours.Get(), asked.Get());
}

void CExplorer1::Detach() {
  DisconnectEvents();
  if (m_hostWithSite) m_hostWithSite->SetSite(nullptr);
  m_hostWithSite.Reset();
  m_services.Reset();
  m_browser.Reset();
  m_hWnd = nullptr;
}

bool CExplorer1::GoBack() { return m_browser && SUCCEEDED(m_browser->GoBack()); }

bool CExplorer1::GoForward() { return m_browser && SUCCEEDED(m_browser->GoForward()); }

bool CExplorer1::Refresh() { return m_browser && SUCCEEDED(m_browser->Refresh()); }

bool CExplorer1::Navigate(const std::wstring& url, long flags) {
  if (!m_browser) return false;
  ScopedBstr address(url);
  // Absent optional arguments are VT_ERROR with DISP_E_PARAMNOTFOUND.
  VARIANT absent;
  VariantInit(&absent);
  V_VT(&absent) = VT_ERROR;
  V_ERROR(&absent) = DISP_E_PARAMNOTFOUND;
  VARIANT navFlags;
  VariantInit(&navFlags);
  V_VT(&navFlags) = VT_I4;
  V_I4(&navFlags) = flags;
  return SUCCEEDED(m_browser->Navigate(address.Get(), flags ? &navFlags : &absent, &absent, &absent, &absent));
}

bool CExplorer1::IsControl(IDispatch* browserObject) const {
  return m_browser && browserObject && SameObject(m_browser.Get(), browserObject);
}

bool CExplorer1::SetSilent(bool silent) {
  return m_browser && SUCCEEDED(m_browser->put_Silent(silent ? VARIANT_TRUE : VARIANT_FALSE));
}

ComPtr<IDispatch> CExplorer1::GetDocument() {
  ComPtr<IDispatch> document;
  if (m_browser && FAILED(m_browser->get_Document(document.Receive()))) document.Reset();
  return document;
}

bool CExplorer1::ConnectEvents(IDispatch* sink) {
  DisconnectEvents();
  if (!m_browser || !sink) return false;
  ComPtr<IConnectionPointContainer> container = m_browser.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  if (!container) return false;
  ComPtr<IConnectionPoint> point;
  if (FAILED(container->FindConnectionPoint(DIID_DWebBrowserEvents2, point.Receive())) || !point) return false;
  DWORD cookie = 0;
  if (FAILED(point->Advise(sink, &cookie))) return false;
  m_events = std::move(point);
  m_dwEventsCookie = cookie;
  return true;
}

void CExplorer1::DisconnectEvents() {
  if (m_events) m_events->Unadvise(m_dwEventsCookie);
  m_events.Reset();
  m_dwEventsCookie = 0;
}

}  // namespace lirra::win
