// The main window in Win32.
#include "win32/frm_main.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

#include "app_info.h"

namespace pelloquin {

namespace {

constexpr DWORD kFixedBorder = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

HMENU MakeMenuBar() {
  HMENU bar = CreateMenu();
  // Top-level items only: they act when chosen, like buttons.
  for (const MenuItemLayout& item : kMainWindowLayout.menu) {
    AppendMenuW(bar, MF_STRING, static_cast<UINT_PTR>(MenuItemId(item)),
                WideFromUtf8(item.text).c_str());
  }
  return bar;
}

// The dialog manager makes a push button the default one when it gets the
// focus, and Enter would then press it; these buttons react to clicks only.
LRESULT CALLBACK NeverDefault(HWND button, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR,
                              DWORD_PTR) {
  if (message == BM_SETSTYLE) wparam = (wparam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_PUSHBUTTON;
  return DefSubclassProc(button, message, wparam, lparam);
}

int Pixels(int at_standard_dpi, int dpi) {
  return MulDiv(at_standard_dpi, dpi, kStandardDpi);
}

}  // namespace

frmMain::frmMain(MainWindow& behaviour)
    : LayoutWindow(kFixedBorder, MakeMenuBar()),
      behaviour_(behaviour),
      lstChars_(Control(MainControl::lstChars)),
      lblLoaded_(Control(MainControl::lblLoaded)),
      tip_(hwnd()) {
  SetWindowTextW(hwnd(), WideFromUtf8(kAppTitle).c_str());
  for (const MainControl name : {MainControl::cmdLoad, MainControl::cmdLaunch}) {
    SetWindowSubclass(Control(name), NeverDefault, 0, 0);
  }
  SetWindowSubclass(lstChars_, ListProcedure, 0, reinterpret_cast<DWORD_PTR>(this));
  behaviour_.Attach(*this);
}

frmMain::~frmMain() {
  RemoveWindowSubclass(lstChars_, ListProcedure, 0);
  EndProgress();
}

void frmMain::Show(int show_command) {
  CentreOnWorkArea(hwnd());
  ShowWindow(hwnd(), show_command);
  UpdateWindow(hwnd());
}

void frmMain::SetCharacterList(const std::vector<std::string>& names) {
  SendMessageW(lstChars_, LB_RESETCONTENT, 0, 0);
  for (const std::string& name : names) {
    SendMessageW(lstChars_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(WideFromUtf8(name).c_str()));
  }
}

void frmMain::SetLoadedName(std::string_view name) {
  SetWindowTextW(lblLoaded_, WideFromUtf8(name).c_str());
}

std::optional<std::size_t> frmMain::SelectedRow() const {
  const LRESULT row = SendMessageW(lstChars_, LB_GETCURSEL, 0, 0);
  if (row == LB_ERR) return std::nullopt;
  return static_cast<std::size_t>(row);
}

void frmMain::BeginProgress() {
  EndProgress();
  const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  RegisterWindowClass(kProgressClass, DefWindowProcW);

  const int dpi = this->dpi();
  const int width = Pixels(320, dpi);
  const int margin = Pixels(12, dpi);
  RECT frame{0, 0, width, Pixels(84, dpi)};
  const DWORD style = WS_POPUP | WS_CAPTION;
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
  RECT owner{};
  GetWindowRect(hwnd(), &owner);
  const int frame_width = frame.right - frame.left;
  const int frame_height = frame.bottom - frame.top;
  progress_ = CreateWindowExW(WS_EX_DLGMODALFRAME, kProgressClass, WideFromUtf8(kAppTitle).c_str(),
                              style, (owner.left + owner.right - frame_width) / 2,
                              (owner.top + owner.bottom - frame_height) / 2, frame_width,
                              frame_height, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  if (progress_ == nullptr) return;
  // Plain text: the label holds a character's name.
  HWND text = CreateWindowExW(0, WC_STATICW, L"", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                              margin, Pixels(8, dpi), width - 2 * margin, Pixels(36, dpi),
                              progress_, nullptr, GetModuleHandleW(nullptr), nullptr);
  SendMessageW(text, WM_SETFONT, SendMessageW(lblLoaded_, WM_GETFONT, 0, 0), FALSE);
  CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, margin, Pixels(52, dpi),
                  width - 2 * margin, Pixels(18, dpi), progress_, nullptr,
                  GetModuleHandleW(nullptr), nullptr);
  // Modal over this window: no click or key reaches it until the end.
  EnableWindow(hwnd(), FALSE);
  ShowWindow(progress_, SW_SHOW);
  UpdateWindow(progress_);
}

void frmMain::AdvanceProgress(std::string_view text, std::size_t done, std::size_t total) {
  if (progress_ == nullptr) return;
  // The bar counts in int; thousands of saves fit in any case.
  const auto clamp = [](std::size_t value) {
    return static_cast<int>(std::min<std::size_t>(value, 1'000'000'000));
  };
  SetWindowTextW(FindWindowExW(progress_, nullptr, WC_STATICW, nullptr),
                 WideFromUtf8(text).c_str());
  HWND bar = FindWindowExW(progress_, nullptr, PROGRESS_CLASSW, nullptr);
  SendMessageW(bar, PBM_SETRANGE32, 0, clamp(total));
  SendMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(clamp(done)), 0);
  // Windows may end the process as soon as its WM_ENDSESSION returns, so a
  // message sent by another thread or program waits for the end of the work
  // (the session then waits, showing the reason held): the progress window
  // is repainted without taking it, since any look at the queue would handle it.
  if ((HIWORD(GetQueueStatus(QS_SENDMESSAGE)) & QS_SENDMESSAGE) != 0) {
    RedrawWindow(progress_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    return;
  }
  // Otherwise only painting and messages sent by the system: input waits for the end.
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
    DispatchMessageW(&message);
  }
}

void frmMain::HoldSession(std::string_view reason) {
  // What Windows shows while it waits for the program to end.
  ShutdownBlockReasonCreate(hwnd(), WideFromUtf8(reason).c_str());
}

void frmMain::ReleaseSession() {
  ShutdownBlockReasonDestroy(hwnd());
}

void frmMain::EndProgress() {
  if (progress_ == nullptr) return;
  // Enabled first, so the activation comes back to this window.
  EnableWindow(hwnd(), TRUE);
  DestroyWindow(progress_);
  progress_ = nullptr;
}

LRESULT frmMain::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      // Buttons and menu items alike; IDOK and IDCANCEL (Enter, Escape) match neither.
      if (HIWORD(wparam) == BN_CLICKED) Command(LOWORD(wparam));
      return 0;
    case WM_CLOSE:
      behaviour_.Close();
      // An open About window keeps the program running; the behaviour ends it.
      ShowWindow(hwnd(), SW_HIDE);
      return 0;
    case WM_ACTIVATE:
      // A tip belongs to the window in use.
      if (LOWORD(wparam) == WA_INACTIVE) tip_.Hide();
      return LayoutWindow::Handle(message, wparam, lparam);
    case WM_QUERYENDSESSION:
      // Asked during file work all the same: the session waits (the reason held is shown).
      return behaviour_.Holding() ? FALSE : TRUE;
    case WM_ENDSESSION:
      if (wparam != FALSE) behaviour_.EndSession();
      return 0;
    default:
      return LayoutWindow::Handle(message, wparam, lparam);
  }
}

void frmMain::Command(int id) {
  if (id == ControlId(MainControl::cmdLoad)) {
    behaviour_.LoadSave();
  } else if (id == ControlId(MainControl::cmdLaunch)) {
    behaviour_.Launch();
  } else if (id == MenuItemId(MainMenuItem::mnuConfig)) {
    behaviour_.ConfigSaveLocation();
  } else if (id == MenuItemId(MainMenuItem::mnuAbout)) {
    behaviour_.About();
  }
}

LRESULT CALLBACK frmMain::ListProcedure(HWND list, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR, DWORD_PTR window) {
  reinterpret_cast<frmMain*>(window)->ListMouse(message, lparam);
  return DefSubclassProc(list, message, wparam, lparam);
}

void frmMain::ListMouse(UINT message, LPARAM lparam) {
  switch (message) {
    case WM_MOUSEMOVE:
      // The tip is up only while tip_row_ is set.
      if (tip_row_ && RowAt(lparam) != tip_row_) {
        tip_.Hide();
        tip_row_.reset();
      }
      // Each hover is reported once; the next one needs asking for again.
      if (!hover_tracked_) {
        TRACKMOUSEEVENT track{sizeof track, TME_HOVER | TME_LEAVE, lstChars_, HOVER_DEFAULT};
        hover_tracked_ = TrackMouseEvent(&track) != FALSE;
      }
      break;
    case WM_MOUSEHOVER: {
      hover_tracked_ = false;
      const std::optional<std::size_t> row = RowAt(lparam);
      if (!row || row == tip_row_) break;
      tip_row_ = row;
      if (const std::optional<CharacterTip> tip = behaviour_.TipForRow(*row)) {
        POINT pointer{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        ClientToScreen(lstChars_, &pointer);
        tip_.Show(*tip, pointer, reinterpret_cast<HFONT>(SendMessageW(lstChars_, WM_GETFONT, 0, 0)),
                  dpi());
      }
      break;
    }
    case WM_MOUSELEAVE:
      hover_tracked_ = false;
      tip_.Hide();
      tip_row_.reset();
      break;
    // The row stays asked: its tip comes back only after the pointer has left it.
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEWHEEL:
      tip_.Hide();
      break;
    default:
      break;
  }
}

std::optional<std::size_t> frmMain::RowAt(LPARAM point) const {
  const LRESULT hit = SendMessageW(lstChars_, LB_ITEMFROMPOINT, 0, point);
  // The high word is set when the point lies on no row.
  if (HIWORD(hit) != 0) return std::nullopt;
  return LOWORD(hit);
}

}  // namespace pelloquin
