// The About dialog in Win32.
#include "win32/frm_about.h"

#include <algorithm>

namespace pelloquin {

frmAbout::frmAbout(AboutDialog& behaviour)
    : LayoutWindow(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, nullptr), behaviour_(behaviour) {
  SetWindowTextW(Control(AboutControl::lblDescription), WideFromUtf8(AboutDescription()).c_str());
  SetWindowTextW(Control(AboutControl::lblDisclaimer), WideFromUtf8(kAboutDisclaimer).c_str());
  // Enter presses the focused button, as on any dialog; OK to begin with.
  SendMessageW(Control(AboutControl::cmdOK), BM_SETSTYLE, BS_DEFPUSHBUTTON, FALSE);
  // The base class placed the controls before this class's part existed.
  ShowIcon();
}

void frmAbout::SetCaption(std::string_view caption) {
  SetWindowTextW(hwnd(), WideFromUtf8(caption).c_str());
}

void frmAbout::SetTitle(std::string_view title) {
  SetWindowTextW(Control(AboutControl::lblTitle), WideFromUtf8(title).c_str());
}

void frmAbout::SetVersion(std::string_view version) {
  SetWindowTextW(Control(AboutControl::lblVersion), WideFromUtf8(version).c_str());
}

void frmAbout::ShowInFront() {
  if (!shown_before_) CentreOnWorkArea(hwnd());
  shown_before_ = true;
  ShowWindow(hwnd(), IsIconic(hwnd()) ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(hwnd());
  BringWindowToTop(hwnd());
  FocusControl(AboutControl::cmdOK);
}

void frmAbout::Close() {
  ShowWindow(hwnd(), SW_HIDE);
  behaviour_.Closed();
}

LRESULT frmAbout::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND: {
      if (HIWORD(wparam) != BN_CLICKED) return 0;
      const int id = LOWORD(wparam);
      // IDOK and IDCANCEL come from Enter and Escape.
      if (id == ControlId(AboutControl::cmdOK) || id == IDOK || id == IDCANCEL) Close();
      if (id == ControlId(AboutControl::cmdSysInfo)) behaviour_.SysInfo();
      return 0;
    }
    case WM_CLOSE:
      Close();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd(), &paint);
      PaintRule(dc);
      EndPaint(hwnd(), &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      DefWindowProcW(hwnd(), message, wparam, lparam);
      PaintRule(reinterpret_cast<HDC>(wparam));
      return 0;
    default:
      return LayoutWindow::Handle(message, wparam, lparam);
  }
}

void frmAbout::Place(int dpi) {
  LayoutWindow::Place(dpi);
  ShowIcon();
}

// The program's icon at the size the picture control has at this dpi.
void frmAbout::ShowIcon() {
  HWND picture = Control(AboutControl::picIcon);
  RECT area{};
  GetClientRect(picture, &area);
  OwnedIcon icon = LoadProgramIcon(std::min(area.right, area.bottom));
  SendMessageW(picture, STM_SETICON, reinterpret_cast<WPARAM>(icon.get()), 0);
  // The control shows the new icon now; the old one may go.
  icon_ = std::move(icon);
}

void frmAbout::PaintRule(HDC dc) const {
  const int width = std::max(1, MulDiv(1, dpi(), kStandardDpi));
  for (const LineLayout& line : kAboutLayout.lines) {
    const OwnedPen pen(
        CreatePen(PS_SOLID, width, RGB(line.colour.red, line.colour.green, line.colour.blue)));
    HGDIOBJ before = SelectObject(dc, pen.get());
    MoveToEx(dc, TwipsToPixels(line.x1, dpi()), TwipsToPixels(line.y1, dpi()), nullptr);
    LineTo(dc, TwipsToPixels(line.x2, dpi()), TwipsToPixels(line.y2, dpi()));
    SelectObject(dc, before);
  }
}

}  // namespace pelloquin
