// A thin base for modal dialogs built from templates: the static dialog procedure binds the
// object to its HWND at WM_INITDIALOG and routes messages to the On... handlers.
#pragma once

#include <windows.h>

namespace lirra::win {

// A dialog result that asks the application to end (the client's windows otherwise end with
// IDOK): the user chose "退出" in a worker's question, or the driver manager's close button at
// start-up. The main thread then returns through every destructor.
inline constexpr INT_PTR kResultEndClient = 0x4C45;

class CDialogBase {
 public:
  virtual ~CDialogBase() = default;
  CDialogBase(const CDialogBase&) = delete;
  CDialogBase& operator=(const CDialogBase&) = delete;

  // Runs the dialog modally on the calling thread; returns the EndDialog result or -1.
  INT_PTR DoModal(HWND parent = nullptr);
  HWND GetSafeHwnd() const { return m_hWnd; }

 protected:
  explicit CDialogBase(int templateId) : m_nTemplateId(templateId) {}

  // Every message arrives here first; answer true with `result` set when it was handled.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

  virtual BOOL OnInitDialog() { return TRUE; }
  // True when the command was handled.
  virtual bool OnCommand(int id, int code, HWND control);
  virtual void OnShowWindow(bool show) { (void)show; }
  // A brush for a control (or the dialog itself); null for the default.
  virtual HBRUSH OnCtlColor(HDC dc, HWND control, UINT message);
  virtual LRESULT OnNcHitTest(POINT screenPoint);
  virtual bool OnEraseBkgnd(HDC dc) {
    (void)dc;
    return false;
  }
  virtual bool OnPaint() { return false; }
  virtual void OnDestroy() {}

  void EndDialog(INT_PTR result);
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

  HWND m_hWnd = nullptr;

 private:
  static INT_PTR CALLBACK StaticDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  int m_nTemplateId;
};

}  // namespace lirra::win
