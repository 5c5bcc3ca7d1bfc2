// The frame every skinned dialog shares: background picture and static-text brushes, a window
// region cut from the background by the key colour, dragging by any free point, transparent
// static texts, and the shared close and title handlers.
#pragma once

#include <windows.h>

#include <string>

#include "ui/win32/dialog_base.h"
#include "ui/win32/gdi.h"

namespace lirra::win {

// Replaces the window's region by the runs of `bitmap` (already at the screen's DPI) that are
// not the key colour; leaves it alone when there is no bitmap.
void BuildRegionFromBitmap(HDC reference, HBITMAP bitmap, HWND hwnd);

// Titles the window that stands for the application: the thread's active window, or `fallback`.
void SetAppTitle(HWND fallback);

// The screen's work area (without the taskbar), in screen coordinates.
RECT WorkArea();

class CSkinDialog : public CDialogBase {
 protected:
  explicit CSkinDialog(int templateId) : CDialogBase(templateId), m_nDpi(ScreenDpi()) {}

  // Decodes the background (kept at its own size as the source of the region) and makes its
  // pattern brush at the screen's DPI; the static-text brush likewise.
  void LoadBackground(const std::wstring& path);
  void LoadStaticBrush(const std::wstring& path);
  void CutRegion();
  // Sizes the window to cx by cy and puts it in the middle of `area` (screen coordinates).
  void CenterIn(const RECT& area, int cx, int cy);
  // Sizes the window to cx by cy over the middle of its owner when it has a visible one (of the
  // work area otherwise), inside the work area.
  void CenterOnOwner(int cx, int cy);
  // Lines a pattern brush up with the dialog's own background under a child control.
  void AlignBrushToDialog(HDC dc, HWND control) const;

  LRESULT OnNcHitTest(POINT screenPoint) override;
  // Paints the background picture from the dialog's corner, so child brushes line up with it.
  bool OnEraseBkgnd(HDC dc) override;
  // Closes with the OK result.
  void OnCloseCommand() { EndDialog(IDOK); }

  // The screen's DPI: the skin's pictures and sizes are drawn for 96 and scaled to it.
  const int m_nDpi;
  ScopedBitmap m_bmpBackground;
  ScopedBrush m_brBackground;
  ScopedBrush m_brStatic;
};

}  // namespace lirra::win
