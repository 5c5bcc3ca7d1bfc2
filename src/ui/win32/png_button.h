// CPngButton: an owner-drawn push button showing one of three PNG pictures (normal, hover,
// pressed) blended over its parent's background, sized to its picture, with an optional label.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "ui/png_button_state.h"
#include "ui/skin_files.h"
#include "ui/win32/gdi.h"

namespace lirra::win {

class CPngButton {
 public:
  CPngButton() = default;
  ~CPngButton();
  CPngButton(const CPngButton&) = delete;
  CPngButton& operator=(const CPngButton&) = delete;

  // Takes over an existing button control of a dialog and makes it owner-drawn.
  void Attach(HWND button);
  HWND GetSafeHwnd() const { return m_hWnd; }

  // A disabled button shows `disabled`, or without one the normal picture greyed and faded.
  void SetImages(const std::wstring& normal, const std::wstring& hover, const std::wstring& pressed,
                 const std::wstring& disabled = {});
  void SetImages(const ui::ButtonPictures& pictures) {
    SetImages(pictures.normal, pictures.hover, pictures.pressed, pictures.disabled ? pictures.disabled : L"");
  }
  // Stores the label; it shows at the next repaint. Position and size are those of the 96-DPI
  // skin, like the pictures: both are scaled to the screen's DPI.
  void SetLabel(const std::wstring& text, int x, int y, int size, COLORREF colour, const std::wstring& face);
  // The same, centred across the button as drawn.
  void SetCentredLabel(const std::wstring& text, int y, int size, COLORREF colour, const std::wstring& face);

  COLORREF m_clrLabel = RGB(0, 0, 0);

 private:
  static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Show(ui::ButtonEvent event);
  void LoadImageFile(const std::wstring& path);
  Gdiplus::Bitmap* Picture(const std::wstring& path);
  void RepaintWithParent();
  void DrawItem(const DRAWITEMSTRUCT& item);
  void DrawDisabled(Gdiplus::Graphics& graphics);
  void DrawLabel(HDC dc, bool held, bool disabled);
  void Detach();

  HWND m_hWnd = nullptr;
  WNDPROC m_pfnPrevious = nullptr;
  const int m_nDpi = ScreenDpi();
  Gdiplus::Bitmap* m_pImage = nullptr;  // owned by m_cache, already at the screen's DPI
  std::map<std::wstring, std::unique_ptr<Gdiplus::Bitmap>> m_cache;
  ui::ButtonPicture m_shown = ui::ButtonPicture::kNormal;
  int m_nWidth = 0;
  int m_nHeight = 0;
  bool m_bTracking = false;
  bool m_bHasLabel = false;
  bool m_bLabelCentred = false;
  std::wstring m_strCurrent;
  std::wstring m_strNormal, m_strHover, m_strPressed, m_strDisabled;
  std::wstring m_strLabel;
  std::wstring m_strFace;
  int m_nLabelSize = 0;
  RECT m_rcInParent = {};
  POINT m_ptLabel = {};
};

}  // namespace lirra::win
