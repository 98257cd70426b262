// What both Win32 windows share: text conversion, the window's dpi, the
// window font, and a window whose controls are made and placed from a layout
// table.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "app/layout.h"
#include "core/utf16.h"

namespace pelloquin {

// The program's icon in the executable's resources.
inline constexpr int kProgramIconId = 1;

// Owns a Win32 handle and frees it with `Free`.
template <auto Free>
struct FreeWith {
  template <typename H>
  void operator()(H handle) const {
    Free(handle);
  }
};
template <typename H, auto Free>
using Owned = std::unique_ptr<std::remove_pointer_t<H>, FreeWith<Free>>;
using OwnedFont = Owned<HFONT, DeleteObject>;
using OwnedIcon = Owned<HICON, DestroyIcon>;
using OwnedPen = Owned<HPEN, DeleteObject>;

// The text a window shows, in UTF-8.
std::string WindowText(HWND window);

// The window's dots per inch: its monitor's under per-monitor awareness,
// else the screen's.
int WindowDpi(HWND window);

// "MS Sans Serif" 8.25 pt where installed, else the system's message font at
// that size.
OwnedFont MakeWindowFont(int dpi, bool bold);

// The program's icon at `size` pixels square.
OwnedIcon LoadProgramIcon(int size);

// Child ids: a control's is fixed by its row in its table, a menu item's
// likewise, so they stay clear of IDOK and IDCANCEL, which the dialog
// manager sends for Enter and Escape.
inline constexpr int kFirstControlId = 100;
inline constexpr int kFirstMenuItemId = 200;
constexpr int ControlId(const ControlLayout& control) {
  return kFirstControlId + control.row;
}
constexpr int MenuItemId(const MenuItemLayout& item) {
  return kFirstMenuItemId + item.row;
}
template <ControlName Name>
constexpr int ControlId(Name name) {
  return ControlId(LayoutOf(name));
}
constexpr int MenuItemId(MainMenuItem item) {
  return MenuItemId(LayoutOf(item));
}

// Registers a window class of the program (its icon, the dialog colour); a
// second registration of the same name changes nothing.
void RegisterWindowClass(const std::wstring& name, WNDPROC procedure);

// Centres the window on the work area of the monitor it is on.
void CentreOnWorkArea(HWND window);

// A top-level window of the program whose controls come from a layout table
// and are placed again, fonts and all, when its dpi changes.
class TableWindow {
 public:
  TableWindow(const WindowLayout& layout, DWORD style, HMENU menu);
  virtual ~TableWindow();
  TableWindow(const TableWindow&) = delete;
  TableWindow& operator=(const TableWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  int dpi() const { return dpi_; }

 protected:
  // The control of that row of the table.
  HWND ControlAt(int row) const { return controls_.at(static_cast<std::size_t>(row)); }
  // The control that has the focus whenever the window is active, from now on.
  void FocusOn(HWND control);
  // What the window does with a message; the default is the system's.
  virtual LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  // Places every control and sets its font from the tables at `dpi`, and
  // sizes the window to the table's client area.
  virtual void Place(int dpi);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  const WindowLayout& layout_;
  HWND hwnd_ = nullptr;
  int dpi_ = kStandardDpi;
  OwnedFont regular_font_;
  OwnedFont bold_font_;
  std::vector<HWND> controls_;  // by row
  // Where the focus goes back to when the window is activated again.
  HWND focus_ = nullptr;
};

// The window of the table `Name` names the controls of, each reached by its name.
template <ControlName Name>
class LayoutWindow : public TableWindow {
 public:
  LayoutWindow(DWORD style, HMENU menu) : TableWindow(WindowOf(Name{}), style, menu) {}

  HWND Control(Name name) const { return ControlAt(Row(name)); }
  // The control that has the focus whenever the window is active, from now on.
  void FocusControl(Name name) { FocusOn(Control(name)); }
};

}  // namespace pelloquin
