#include "browser/win32/browser_events.h"

// after windows.h
#include <exdisp.h>
#include <exdispid.h>

#include <string>

#include "browser/win32/explorer1.h"
#include "browser/win32/html_document.h"

namespace lirra::win {
namespace {

// The argument at `position` in declaration order (DISPPARAMS hold them last first), with
// a by-reference variant followed to what it refers to; null when it is missing.
VARIANT* Argument(DISPPARAMS* params, UINT position) {
  if (!params || !params->rgvarg || position >= params->cArgs) return nullptr;
  VARIANT* value = &params->rgvarg[params->cArgs - 1 - position];
  while (value && V_VT(value) == (VT_BYREF | VT_VARIANT)) value = V_VARIANTREF(value);
  return value;
}

std::wstring StringArgument(DISPPARAMS* params, UINT position) {
  VARIANT* value = Argument(params, position);
  if (!value) return {};
  BSTR text = nullptr;
  if (V_VT(value) == VT_BSTR) text = V_BSTR(value);
  if (V_VT(value) == (VT_BYREF | VT_BSTR) && V_BSTRREF(value)) text = *V_BSTRREF(value);
  return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

long LongArgument(DISPPARAMS* params, UINT position, long fallback) {
  VARIANT* value = Argument(params, position);
  if (!value) return fallback;
  VARIANT number;
  VariantInit(&number);
  if (FAILED(VariantChangeType(&number, value, 0, VT_I4))) return fallback;
  return V_I4(&number);
}

bool BoolArgument(DISPPARAMS* params, UINT position) {
  VARIANT* value = Argument(params, position);
  if (!value) return false;
  VARIANT flag;
  VariantInit(&flag);
  if (FAILED(VariantChangeType(&flag, value, 0, VT_BOOL))) return false;
  return V_BOOL(&flag) != VARIANT_FALSE;
}

IDispatch* DispatchArgument(DISPPARAMS* params, UINT position) {
  VARIANT* value = Argument(params, position);
  if (!value) return nullptr;
  if (V_VT(value) == VT_DISPATCH) return V_DISPATCH(value);
  if (V_VT(value) == (VT_BYREF | VT_DISPATCH) && V_DISPATCHREF(value)) return *V_DISPATCHREF(value);
  return nullptr;
}

void SetCancel(DISPPARAMS* params, UINT position, bool cancel) {
  VARIANT* value = Argument(params, position);
  if (value && V_VT(value) == (VT_BYREF | VT_BOOL) && V_BOOLREF(value))
    *V_BOOLREF(value) = cancel ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

HRESULT CWebBrowserEvents::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

HRESULT CWebBrowserEvents::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CWebBrowserEvents::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT CWebBrowserEvents::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

bool CWebBrowserEvents::IsTopFrame(IDispatch* browserObject) const {
  return m_pControl && m_pControl->IsControl(browserObject);
}

HRESULT CWebBrowserEvents::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
  switch (id) {
    case DISPID_BEFORENAVIGATE2:  // browser object, URL, flags, frame name, post data, headers, cancel
      if (m_policy.OnBeforeNavigate2(StringArgument(params, 1), IsTopFrame(DispatchArgument(params, 0))))
        SetCancel(params, 6, true);
      break;
    case DISPID_NAVIGATEERROR:  // browser object, URL, frame name, status code, cancel
      if (m_policy.OnNavigateError(StringArgument(params, 1), IsTopFrame(DispatchArgument(params, 0)),
                                   LongArgument(params, 3, 0)))
        SetCancel(params, 4, true);
      break;
    case DISPID_FILEDOWNLOAD:  // (active document,) cancel; before IE 7 only the cancel flag
      m_policy.OnFileDownload(params && params->cArgs >= 2 ? BoolArgument(params, 0) : true);
      break;
    case DISPID_NEWWINDOW2:  // window object, cancel
      SetCancel(params, 1, m_policy.OnNewWindow2());
      break;
    case DISPID_NEWWINDOW3:  // window object, cancel, flags, opener URL, URL to open
      SetCancel(params, 1, m_policy.OnNewWindow3(StringArgument(params, 4)));
      break;
    case DISPID_COMMANDSTATECHANGE:  // command, enable
      m_policy.OnCommandStateChange(LongArgument(params, 0, -1), BoolArgument(params, 1));
      break;
    case DISPID_NAVIGATECOMPLETE2:  // browser object, URL
      m_policy.OnNavigateComplete2(StringArgument(params, 1));
      break;
    case DISPID_PROGRESSCHANGE:  // progress, maximum
      m_policy.OnProgressChange(LongArgument(params, 0, -1), LongArgument(params, 1, 0));
      break;
    case DISPID_DOCUMENTCOMPLETE: {  // browser object (the frame's own), URL
      IDispatch* frame = DispatchArgument(params, 0);
      m_policy.OnDocumentComplete(
          StringArgument(params, 1), [frame] { return OpenDocumentElements(frame); }, IsTopFrame(frame));
      break;
    }
    default:
      break;
  }
  return S_OK;
}

}  // namespace lirra::win
