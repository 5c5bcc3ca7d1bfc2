// CProgressLine: the line under a window's status text. While a package downloads it is a thin
// progress bar with the percentage under it; otherwise it may carry a sentence of its own (what
// a run waits for, why a vendor failed). Both controls are made at run time, so the dialog
// templates keep exactly their own controls; the dialog's thread owns them.
#pragma once

#include <windows.h>

#include <string>

namespace lirra::win {

class CProgressLine {
 public:
  // Makes the bar and the text hidden in `dialog` at the top of `area` (client coordinates),
  // the bar centred over the text; `font` for the text.
  void Create(HWND dialog, const RECT& area, HFONT font);
  bool Created() const { return m_hText != nullptr; }

  void ShowPercent(int percent);
  void ShowText(const std::wstring& text);
  void Hide();

  // The percentage or sentence, for the dialog's WM_CTLCOLORSTATIC.
  bool IsTextControl(HWND control) const { return control && control == m_hText; }
  HWND TextControl() const { return m_hText; }
  HWND BarControl() const { return m_hBar; }

 private:
  HWND m_hBar = nullptr;
  HWND m_hText = nullptr;
};

}  // namespace lirra::win
