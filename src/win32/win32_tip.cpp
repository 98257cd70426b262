// The popup that shows a character's tip beside the pointer.
#include "win32/win32_tip.h"

#include <algorithm>
#include <stdexcept>

#include "app/layout.h"
#include "win32/win32_widgets.h"

namespace pelloquin {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_BORDER;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
// Names and places are shown as they stand: "&" marks no access key.
constexpr UINT kTextFormat = DT_LEFT | DT_NOPREFIX;
// How far below the pointer's hot spot the popup starts, clear of the arrow.
constexpr int kBelowPointerTwips = 300;

// A 24-bit DIB's rows: blue, green, red, each row padded to four bytes.
std::vector<std::uint8_t> DibRows(const SaveScreenshot& shot) {
  const std::size_t width = shot.width;
  const std::size_t stride = (width * 3 + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> rows(stride * shot.height);
  for (std::size_t y = 0; y < shot.height; ++y) {
    for (std::size_t x = 0; x < width; ++x) {
      const std::uint8_t* rgb = &shot.rgb[(y * width + x) * 3];
      std::uint8_t* bgr = &rows[y * stride + x * 3];
      bgr[0] = rgb[2];
      bgr[1] = rgb[1];
      bgr[2] = rgb[0];
    }
  }
  return rows;
}

}  // namespace

TipWindow::TipWindow(HWND owner) {
  RegisterWindowClass(kTipClass, &TipWindow::Procedure);
  hwnd_ = CreateWindowExW(kExStyle, kTipClass, L"", kStyle, 0, 0, 0, 0, owner, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) throw std::runtime_error("the character tip could not be made");
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TipWindow::~TipWindow() {
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  DestroyWindow(hwnd_);
}

void TipWindow::Show(const CharacterTip& tip, POINT pointer, HFONT font, int dpi) {
  font_ = font;
  margin_ = TwipsToPixels(kTipMarginTwips, dpi);
  text_.clear();
  for (std::size_t i = 0; i < tip.lines.size(); ++i) {
    text_ += (i == 0 ? L"" : L"\n") + WideFromUtf8(tip.lines[i]);
  }
  // Its name is its text, for screen readers and whoever looks for it.
  SetWindowTextW(hwnd_, text_.c_str());
  picture_.clear();
  SIZE picture{0, 0};
  if (tip.picture &&
      tip.picture->rgb.size() >= std::size_t{3} * tip.picture->width * tip.picture->height) {
    picture_ = DibRows(*tip.picture);
    picture = {static_cast<LONG>(tip.picture->width), static_cast<LONG>(tip.picture->height)};
    BITMAPINFOHEADER& header = picture_info_.bmiHeader;
    header = {};
    header.biSize = sizeof header;
    header.biWidth = picture.cx;
    header.biHeight = -picture.cy;  // rows top to bottom
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
  }

  RECT text{};
  HDC dc = GetDC(hwnd_);
  HGDIOBJ before = SelectObject(dc, font_);
  DrawTextW(dc, text_.c_str(), -1, &text, kTextFormat | DT_CALCRECT);
  SelectObject(dc, before);
  ReleaseDC(hwnd_, dc);
  const int picture_space = picture.cy > 0 ? picture.cy + margin_ : 0;
  RECT frame{0, 0, std::max<LONG>(picture.cx, text.right) + 2 * margin_,
             picture_space + text.bottom + 2 * margin_};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  // Below the pointer, or above it where there is no room below; never off
  // the monitor's work area.
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  int y = pointer.y + TwipsToPixels(kBelowPointerTwips, dpi);
  if (y + height > work.bottom) y = pointer.y - height;
  const int x = std::max<int>(work.left, std::min<int>(pointer.x, work.right - width));
  y = std::max<int>(work.top, y);

  SetWindowPos(hwnd_, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
  InvalidateRect(hwnd_, nullptr, TRUE);
  ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

void TipWindow::Hide() {
  ShowWindow(hwnd_, SW_HIDE);
}

LRESULT CALLBACK TipWindow::Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  const auto* tip = reinterpret_cast<const TipWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (tip == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  switch (message) {
    case WM_NCHITTEST:
      // The pointer acts on the list beneath, as it does through a tooltip.
      return HTTRANSPARENT;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd, &paint);
      tip->Paint(dc);
      EndPaint(hwnd, &paint);
      return 0;
    }
    case WM_PRINTCLIENT:
      tip->Paint(reinterpret_cast<HDC>(wparam));
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

void TipWindow::Paint(HDC dc) const {
  RECT client{};
  GetClientRect(hwnd_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_INFOBK));
  int top = margin_;
  if (!picture_.empty()) {
    const LONG width = picture_info_.bmiHeader.biWidth;
    const LONG height = -picture_info_.bmiHeader.biHeight;
    StretchDIBits(dc, margin_, top, width, height, 0, 0, width, height, picture_.data(),
                  &picture_info_, DIB_RGB_COLORS, SRCCOPY);
    top += height + margin_;
  }
  RECT text{margin_, top, client.right - margin_, client.bottom - margin_};
  HGDIOBJ before = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
  DrawTextW(dc, text_.c_str(), -1, &text, kTextFormat);
  SelectObject(dc, before);
}

}  // namespace pelloquin
