// The popup that shows a character's tip beside the pointer, as a tooltip
// does: over every window, never taking the activation, the screenshot at its
// own size above the lines of text, which are also the window's text.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/character_tip.h"

namespace pelloquin {

// The popup's class name, as it is found.
inline constexpr wchar_t kTipClass[] = L"PelloquinTip";
// The space around the screenshot and the text; the screenshot's top-left
// corner lies this far into the popup on both axes.
inline constexpr int kTipMarginTwips = 60;

class TipWindow {
 public:
  // Made hidden, owned by `owner`.
  explicit TipWindow(HWND owner);
  ~TipWindow();
  TipWindow(const TipWindow&) = delete;
  TipWindow& operator=(const TipWindow&) = delete;

  // Shows `tip` below `pointer` (screen coordinates), kept within that
  // monitor's work area, its text in `font`.
  void Show(const CharacterTip& tip, POINT pointer, HFONT font, int dpi);
  void Hide();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC dc) const;

  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  int margin_ = 0;
  std::wstring text_;
  BITMAPINFO picture_info_{};
  std::vector<std::uint8_t> picture_;  // empty when the tip has none
};

}  // namespace pelloquin
