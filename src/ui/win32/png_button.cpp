#include "ui/win32/png_button.h"

#include <olectl.h>

#include "ui/dpi_scale.h"

namespace lirra::win {
namespace {

const wchar_t kButtonProperty[] = L"lirra.pngbutton";
constexpr Gdiplus::REAL kDisabledOpacity = 0.5f;

// A label on a greyed picture: dark labels lighten, light ones stay light.
COLORREF DisabledLabelColour(COLORREF colour) {
  const int grey = (GetRValue(colour) * 299 + GetGValue(colour) * 587 + GetBValue(colour) * 114) / 1000;
  const int shown = grey > 160 ? 255 : 150;
  return RGB(shown, shown, shown);
}

}  // namespace

CPngButton::~CPngButton() { Detach(); }

void CPngButton::Attach(HWND button) {
  Detach();
  if (!button) return;
  m_hWnd = button;
  SetPropW(button, kButtonProperty, this);
  LONG_PTR style = GetWindowLongPtrW(button, GWL_STYLE);
  SetWindowLongPtrW(button, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  m_pfnPrevious = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CPngButton::SubclassProc)));
}

void CPngButton::Detach() {
  if (!m_hWnd) return;
  if (IsWindow(m_hWnd)) {
    SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnPrevious));
    RemovePropW(m_hWnd, kButtonProperty);
  }
  m_hWnd = nullptr;
}

void CPngButton::SetImages(const std::wstring& normal, const std::wstring& hover, const std::wstring& pressed,
                           const std::wstring& disabled) {
  m_strNormal = normal;
  m_strHover = hover;
  m_strPressed = pressed;
  m_strDisabled = disabled;
  m_cache.clear();
  m_pImage = nullptr;
  m_strCurrent.clear();
  Show(ui::ButtonEvent::kSetImages);
}

void CPngButton::SetLabel(const std::wstring& text, int x, int y, int size, COLORREF colour, const std::wstring& face) {
  m_strLabel = text;
  m_ptLabel = {x, y};
  m_nLabelSize = size;
  m_clrLabel = colour;
  m_strFace = face;
  m_bHasLabel = true;
  m_bLabelCentred = false;
}

void CPngButton::SetCentredLabel(const std::wstring& text, int y, int size, COLORREF colour, const std::wstring& face) {
  SetLabel(text, 0, y, size, colour, face);
  m_bLabelCentred = true;
}

void CPngButton::Show(ui::ButtonEvent event) {
  m_shown = ui::PictureAfter(event, m_shown);
  switch (m_shown) {
    case ui::ButtonPicture::kNormal:
      LoadImageFile(m_strNormal);
      break;
    case ui::ButtonPicture::kHover:
      LoadImageFile(m_strHover);
      break;
    case ui::ButtonPicture::kPressed:
      LoadImageFile(m_strPressed);
      break;
  }
}

Gdiplus::Bitmap* CPngButton::Picture(const std::wstring& path) {
  auto found = m_cache.find(path);
  if (found == m_cache.end()) {
    // At the screen's DPI once here, smoothly, rather than at every paint.
    found = m_cache.emplace(path, LoadSkinPicture(path, m_nDpi, false)).first;
  }
  return found->second.get();
}

void CPngButton::LoadImageFile(const std::wstring& path) {
  // Decoded pictures are cached, so moving the pointer only repaints when the picture changes.
  if (path == m_strCurrent && m_pImage) return;
  const bool firstLoad = m_strCurrent.empty();
  m_strCurrent = path;
  m_pImage = Picture(path);
  const int width = m_pImage ? static_cast<int>(m_pImage->GetWidth()) : 0;
  const int height = m_pImage ? static_cast<int>(m_pImage->GetHeight()) : 0;
  if (!m_hWnd) return;

  HWND parent = GetParent(m_hWnd);
  RECT rc;
  GetWindowRect(m_hWnd, &rc);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  rc.right = rc.left + width;
  rc.bottom = rc.top + height;
  m_rcInParent = rc;
  m_nWidth = width;
  m_nHeight = height;
  SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!firstLoad) RepaintWithParent();
}

void CPngButton::RepaintWithParent() {
  // The pictures are blended with alpha, so the parent's background goes under them first.
  HWND parent = GetParent(m_hWnd);
  RECT rc;
  GetWindowRect(m_hWnd, &rc);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rc), 2);
  RedrawWindow(parent, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

LRESULT CALLBACK CPngButton::SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<CPngButton*>(GetPropW(hwnd, kButtonProperty));
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    WNDPROC previous = self->m_pfnPrevious;
    self->Detach();
    return CallWindowProcW(previous, hwnd, message, wParam, lParam);
  }
  return self->OnMessage(message, wParam, lParam);
}

LRESULT CPngButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      if (!m_bTracking) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE, m_hWnd, 1};
        m_bTracking = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_MOUSEHOVER:
      RepaintWithParent();
      return 0;
    case WM_MOUSELEAVE:
      m_bTracking = false;
      Show(ui::ButtonEvent::kMouseLeave);
      RepaintWithParent();
      return 0;
    case WM_LBUTTONDOWN:
      Show(ui::ButtonEvent::kLeftButtonDown);
      break;
    case WM_LBUTTONUP:
      Show(ui::ButtonEvent::kLeftButtonUp);
      break;
    case WM_SETCURSOR:
      Show(ui::ButtonEvent::kSetCursor);
      SetCursor(LoadCursorW(nullptr, IDC_HAND));
      return TRUE;
    case WM_ERASEBKGND:
      return TRUE;
    case WM_ENABLE:
      // The other look is blended over the parent's background too.
      CallWindowProcW(m_pfnPrevious, m_hWnd, message, wParam, lParam);
      if (m_pImage) RepaintWithParent();
      return 0;
    case WM_GETDLGCODE:
      // Never a default push button: Enter in a dialog always means the dialog's OK.
      return DLGC_BUTTON;
    case OCM_DRAWITEM:
      DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    default:
      break;
  }
  return CallWindowProcW(m_pfnPrevious, m_hWnd, message, wParam, lParam);
}

void CPngButton::DrawItem(const DRAWITEMSTRUCT& item) {
  if (!m_pImage) return;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  {
    Gdiplus::Graphics graphics(item.hDC);
    if (disabled) {
      DrawDisabled(graphics);
    } else {
      graphics.DrawImage(m_pImage, Gdiplus::Rect(0, 0, m_nWidth, m_nHeight), 0, 0, m_nWidth, m_nHeight,
                         Gdiplus::UnitPixel);
    }
  }
  if (m_bHasLabel && !m_strLabel.empty()) DrawLabel(item.hDC, (item.itemState & ODS_SELECTED) != 0, disabled);
}

void CPngButton::DrawDisabled(Gdiplus::Graphics& graphics) {
  Gdiplus::Bitmap* own = m_strDisabled.empty() ? nullptr : Picture(m_strDisabled);
  Gdiplus::Bitmap* picture = own ? own : Picture(m_strNormal);
  if (!picture) return;
  const INT width = static_cast<INT>(picture->GetWidth());
  const INT height = static_cast<INT>(picture->GetHeight());
  if (own) {
    graphics.DrawImage(own, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel);
    return;
  }
  // Grey by luminance, at half strength over the background: the look of a control that is off.
  const Gdiplus::REAL lr = 0.299f, lg = 0.587f, lb = 0.114f;
  Gdiplus::ColorMatrix grey = {{{lr, lr, lr, 0, 0},
                                {lg, lg, lg, 0, 0},
                                {lb, lb, lb, 0, 0},
                                {0, 0, 0, kDisabledOpacity, 0},
                                {0.12f, 0.12f, 0.12f, 0, 1}}};
  Gdiplus::ImageAttributes attributes;
  attributes.SetColorMatrix(&grey);
  graphics.DrawImage(picture, Gdiplus::Rect(0, 0, width, height), 0, 0, width, height, Gdiplus::UnitPixel, &attributes);
}

void CPngButton::DrawLabel(HDC dc, bool held, bool disabled) {
  const int size = m_nLabelSize;
  const int height = ui::ScaleLength(ui::LabelFontHeight(size), m_nDpi);
  const int width = ui::ScaleLength(size, m_nDpi);
  ScopedFont font(CreateFontW(height, width, 0, 0, size, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS, m_strFace.c_str()));
  ScopedSelect select(dc, font.Get());
  int x = ui::ScaleLength(static_cast<int>(m_ptLabel.x), m_nDpi);
  if (m_bLabelCentred) {
    SIZE extent = {};
    GetTextExtentPoint32W(dc, m_strLabel.c_str(), static_cast<int>(m_strLabel.size()), &extent);
    x = ui::CentredLabelX(m_nWidth, extent.cx);
  }
  const ui::LabelOrigin origin = ui::LabelPosition({x, ui::ScaleLength(static_cast<int>(m_ptLabel.y), m_nDpi)}, held);
  const int previousMode = SetBkMode(dc, TRANSPARENT);
  const COLORREF previousColour = SetTextColor(dc, disabled ? DisabledLabelColour(m_clrLabel) : m_clrLabel);
  TextOutW(dc, origin.x, origin.y, m_strLabel.c_str(), static_cast<int>(m_strLabel.size()));
  SetTextColor(dc, previousColour);
  SetBkMode(dc, previousMode);
}

}  // namespace lirra::win
