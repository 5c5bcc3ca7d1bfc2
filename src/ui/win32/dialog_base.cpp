#include "ui/win32/dialog_base.h"

#include <olectl.h>

namespace lirra::win {
namespace {

const wchar_t kDialogProperty[] = L"lirra.dialog";

// These messages answer through the dialog procedure's return value, not DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
      return true;
    default:
      return false;
  }
}

}  // namespace

INT_PTR CDialogBase::DoModal(HWND parent) {
  return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nTemplateId), parent, StaticDialogProc,
                         reinterpret_cast<LPARAM>(this));
}

void CDialogBase::EndDialog(INT_PTR result) { ::EndDialog(m_hWnd, result); }

INT_PTR CALLBACK CDialogBase::StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CDialogBase* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<CDialogBase*>(lParam);
    self->m_hWnd = hwnd;
    SetPropW(hwnd, kDialogProperty, self);
  } else {
    self = static_cast<CDialogBase*>(GetPropW(hwnd, kDialogProperty));
  }
  if (!self) return FALSE;
  INT_PTR answer = self->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    RemovePropW(hwnd, kDialogProperty);
    self->m_hWnd = nullptr;
  }
  return answer;
}

INT_PTR CDialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnMessage(message, wParam, lParam, result)) return FALSE;
  if (ReturnsDirectly(message)) return static_cast<INT_PTR>(result);
  SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

bool CDialogBase::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case WM_INITDIALOG:
      result = OnInitDialog();
      return true;
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SHOWWINDOW:
      OnShowWindow(wParam != FALSE);
      return false;
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
      HBRUSH brush = OnCtlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message);
      result = reinterpret_cast<LRESULT>(brush);
      return brush != nullptr;
    }
    case WM_NCHITTEST: {
      POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      result = OnNcHitTest(point);
      return true;
    }
    case WM_ERASEBKGND:
      result = TRUE;
      return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_PAINT:
      return OnPaint();
    case WM_DRAWITEM: {
      // Owner-drawn controls draw themselves (message reflection, as OLE controls do).
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
      if (!item || !item->hwndItem) return false;
      result = SendMessageW(item->hwndItem, OCM_DRAWITEM, wParam, lParam);
      return result != 0;
    }
    case WM_DESTROY:
      OnDestroy();
      return false;
    default:
      return false;
  }
}

bool CDialogBase::OnCommand(int id, int code, HWND control) {
  (void)code;
  (void)control;
  if (id == IDOK || id == IDCANCEL) {
    EndDialog(id);
    return true;
  }
  return false;
}

HBRUSH CDialogBase::OnCtlColor(HDC dc, HWND control, UINT message) {
  (void)dc;
  (void)control;
  (void)message;
  return nullptr;
}

LRESULT CDialogBase::OnNcHitTest(POINT screenPoint) {
  return DefWindowProcW(m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(screenPoint.x, screenPoint.y));
}

}  // namespace lirra::win
