// What both Win32 windows share.
#include "win32/win32_widgets.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <stdexcept>
#include <vector>

#include "core/utf16.h"

namespace pelloquin {

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return Utf8FromWide(text);
}

int WindowDpi(HWND window) {
  // Windows 10 1607 and later; earlier systems have one dpi for every screen.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi_for_window = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi_for_window != nullptr) {
    if (const UINT dpi = get_dpi_for_window(window); dpi != 0) return static_cast<int>(dpi);
  }
  HDC dc = GetDC(window);
  const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
  if (dc != nullptr) ReleaseDC(window, dc);
  return dpi > 0 ? dpi : kStandardDpi;
}

namespace {

int CALLBACK StopAtFirstFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

bool FontInstalled(const std::wstring& face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExW(screen, &wanted, StopAtFirstFont, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

OwnedFont MakeWindowFont(int dpi, bool bold) {
  static const std::wstring face = [] {
    std::wstring family = WideFromUtf8(kWindowFontFamily);
    if (FontInstalled(family)) return family;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return family;
    return std::wstring(metrics.lfMessageFont.lfFaceName);
  }();
  LOGFONTW font{};
  // Negative: the character height, as a point size gives it.
  font.lfHeight = -static_cast<LONG>(std::lround(kWindowFontPoints * dpi / 72.0));
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  return OwnedFont(CreateFontIndirectW(&font));
}

OwnedIcon LoadProgramIcon(int size) {
  return OwnedIcon(
      static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconId),
                                    IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

void CentreOnWorkArea(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor)) return;
  RECT frame{};
  GetWindowRect(window, &frame);
  const RECT& work = monitor.rcWork;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Frame:
      return {WC_BUTTONW, BS_GROUPBOX, 0};
    case ControlKind::ListBox:
      // Unsorted, one entry selectable, exactly the table's height.
      return {WC_LISTBOXW, LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
              WS_EX_CLIENTEDGE};
    case ControlKind::Label:
      // Names are shown as they stand: "&" marks no access key.
      return {WC_STATICW, SS_LEFT | SS_NOPREFIX, 0};
    case ControlKind::Button:
      return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::Picture:
      return {WC_STATICW, SS_ICON | SS_CENTERIMAGE | SS_REALSIZECONTROL, 0};
  }
  return {WC_STATICW, 0, 0};
}

}  // namespace

void RegisterWindowClass(const std::wstring& name, WNDPROC procedure) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.hIcon = LoadIconW(window_class.hInstance, MAKEINTRESOURCEW(kProgramIconId));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name.c_str();
  // A second window of the class finds it registered already.
  RegisterClassExW(&window_class);
}

TableWindow::TableWindow(const WindowLayout& layout, DWORD style, HMENU menu) : layout_(layout) {
  const std::wstring class_name = WideFromUtf8(layout.name);
  RegisterWindowClass(class_name, &TableWindow::Procedure);
  // Not WS_CLIPCHILDREN: group boxes do not paint their inside, which would
  // then stay unpainted.
  hwnd_ = CreateWindowExW(0, class_name.c_str(), L"", style, CW_USEDEFAULT, CW_USEDEFAULT, 0, 0,
                          nullptr, menu, GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) {
    if (menu != nullptr) DestroyMenu(menu);
    throw std::runtime_error("the window " + std::string(layout.name) + " could not be made");
  }
  // Until now the window's messages went to the system alone.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));

  // Z-order is tab order: frames and the labels in them first, in table
  // order, so what lies over a frame comes after it; then the tab stops.
  controls_.resize(layout.controls.size());
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& control : layout.controls) order.push_back(&control);
  std::stable_sort(order.begin(), order.end(),
                   [](const auto* a, const auto* b) { return a->tab_index < b->tab_index; });
  for (const ControlLayout* control : order) {
    const ControlClass kind = ClassOf(control->kind);
    HWND child = CreateWindowExW(kind.ex_style, kind.name, WideFromUtf8(control->text).c_str(),
                                 WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0, hwnd_,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(*control))),
                                 GetModuleHandleW(nullptr), nullptr);
    controls_[static_cast<std::size_t>(control->row)] = child;
  }
  Place(WindowDpi(hwnd_));
}

TableWindow::~TableWindow() {
  // The window's last messages find no part of this object.
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

LRESULT CALLBACK TableWindow::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* window = reinterpret_cast<TableWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return window->Handle(message, wparam, lparam);
}

void TableWindow::FocusOn(HWND control) {
  focus_ = control;
  if (GetActiveWindow() == hwnd_) SetFocus(focus_);
}

LRESULT TableWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DPICHANGED: {
      // The system suggests where the window goes; its size follows the table.
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      Place(HIWORD(wparam));
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        if (HWND focus = GetFocus(); focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
      }
      break;
    case WM_SETFOCUS:
      // A window that is no dialog keeps the focus itself unless told otherwise.
      SetFocus(focus_ != nullptr ? focus_ : GetNextDlgTabItem(hwnd_, nullptr, FALSE));
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void TableWindow::Place(int dpi) {
  dpi_ = dpi;
  OwnedFont regular = MakeWindowFont(dpi, false);
  OwnedFont bold = MakeWindowFont(dpi, true);
  for (const ControlLayout& control : layout_.controls) {
    HWND child = controls_.at(static_cast<std::size_t>(control.row));
    const PixelRect rect = ClientPixels(layout_, control, dpi);
    SetWindowPos(child, nullptr, rect.left, rect.top, rect.width, rect.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    HFONT font = control.bold ? bold.get() : regular.get();
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  // The controls hold the new fonts now; the old ones may go.
  regular_font_ = std::move(regular);
  bold_font_ = std::move(bold);

  const int width = TwipsToPixels(layout_.client_width, dpi);
  const int height = TwipsToPixels(layout_.client_height, dpi);
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE)),
                     GetMenu(hwnd_) != nullptr,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE)));
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The frame's metrics are the system dpi's, and a menu bar may wrap: what
  // the client area came out as decides.
  RECT client{};
  GetClientRect(hwnd_, &client);
  if (client.right != width || client.bottom != height) {
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left + width - client.right,
                 frame.bottom - frame.top + height - client.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace pelloquin
