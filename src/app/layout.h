// The two windows' controls as plain data, in twips (1440 to the inch, 15 to
// a pixel at 96 dots per inch), and the one conversion to pixels. Each front
// end builds its windows from these tables.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

namespace pelloquin {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kStandardDpi = 96;

// "MS Sans Serif" 8.25 pt where installed, else the system's message font.
inline constexpr std::string_view kWindowFontFamily = "MS Sans Serif";
inline constexpr double kWindowFontPoints = 8.25;

struct TwipsRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  bool operator==(const PixelRect&) const = default;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
};

// Twips to pixels at `dpi` (the screen's logical dots per inch). Edges are
// rounded, not sizes, so controls that meet in twips meet on screen.
int TwipsToPixels(int twips, int dpi);
PixelRect TwipsToPixels(const TwipsRect& twips, int dpi);

enum class ControlKind { Frame, ListBox, Label, Button, Picture };

// Each window's controls and menu items by name, in the order of its table:
// a name that is not in a table does not compile.
enum class MainControl { frameChars, lstChars, Frame1, lblLoaded, cmdLoad, cmdLaunch };
enum class MainMenuItem { mnuConfig, mnuAbout };
enum class AboutControl {
  picIcon,
  lblTitle,
  lblVersion,
  lblDescription,
  lblDisclaimer,
  cmdOK,
  cmdSysInfo
};

// A control's or menu item's row in its window's table.
template <typename Name>
requires std::is_enum_v<Name>
constexpr int Row(Name name) {
  return static_cast<int>(name);
}

inline constexpr int kNoTabStop = -1;
inline constexpr int kClientArea = -1;

struct ControlLayout {
  int row;                // its name's place in the window's enum and table
  std::string_view name;  // the name's text, as the control's own name
  ControlKind kind;
  std::string_view text;
  TwipsRect twips;              // relative to its container
  int container = kClientArea;  // the row of the frame it lies in, an earlier one
  int tab_index = kNoTabStop;   // 0 is first in the tab order
  bool bold = false;            // frame captions
};

struct MenuItemLayout {
  int row;
  std::string_view name;
  std::string_view text;
};

struct Rgb {
  std::uint8_t red;
  std::uint8_t green;
  std::uint8_t blue;
};

struct LineLayout {
  std::string_view name;
  int index;
  Rgb colour;
  int x1, y1, x2, y2;
};

struct WindowLayout {
  std::string_view name;
  int client_width;
  int client_height;
  std::span<const ControlLayout> controls;
  std::span<const MenuItemLayout> menu;
  std::span<const LineLayout> lines;
};

namespace layout_tables {

using enum MainControl;
using enum MainMenuItem;
using enum AboutControl;

inline constexpr std::array<ControlLayout, 6> kMainControls = {{
    {Row(frameChars),
     "frameChars",
     ControlKind::Frame,
     "Characters",
     {120, 120, 2295, 1575},
     kClientArea,
     kNoTabStop,
     true},
    // A control of the window drawn over the frame, which holds no control.
    {Row(lstChars), "lstChars", ControlKind::ListBox, "", {240, 360, 2055, 1230}, kClientArea, 1},
    {Row(Frame1),
     "Frame1",
     ControlKind::Frame,
     "Loaded Character",
     {2520, 120, 2175, 615},
     kClientArea,
     kNoTabStop,
     true},
    {Row(lblLoaded), "lblLoaded", ControlKind::Label, "", {240, 240, 1815, 255}, Row(Frame1)},
    {Row(cmdLoad),
     "cmdLoad",
     ControlKind::Button,
     "Load Save",
     {2520, 840, 2175, 375},
     kClientArea,
     0},
    {Row(cmdLaunch),
     "cmdLaunch",
     ControlKind::Button,
     "Launch Oblivion",
     {2520, 1320, 2175, 375},
     kClientArea,
     2},
}};

inline constexpr std::array<MenuItemLayout, 2> kMainMenu = {{
    {Row(mnuConfig), "mnuConfig", "Config Save Location"},
    {Row(mnuAbout), "mnuAbout", "About"},
}};

inline constexpr std::array<ControlLayout, 7> kAboutControls = {{
    {Row(picIcon), "picIcon", ControlKind::Picture, "", {240, 240, 540, 540}, kClientArea, 1},
    {Row(lblTitle), "lblTitle", ControlKind::Label, "", {1050, 240, 3885, 480}, kClientArea, 5},
    {Row(lblVersion), "lblVersion", ControlKind::Label, "", {1050, 780, 3885, 225}, kClientArea, 6},
    {Row(lblDescription),
     "lblDescription",
     ControlKind::Label,
     "",
     {1050, 1125, 3885, 1170},
     kClientArea,
     3},
    {Row(lblDisclaimer),
     "lblDisclaimer",
     ControlKind::Label,
     "",
     {255, 2625, 3870, 825},
     kClientArea,
     4},
    {Row(cmdOK), "cmdOK", ControlKind::Button, "OK", {4245, 2625, 1260, 345}, kClientArea, 0},
    {Row(cmdSysInfo),
     "cmdSysInfo",
     ControlKind::Button,
     "&System Info...",
     {4260, 3075, 1245, 345},
     kClientArea,
     2},
}};

// An etched rule: a grey line, and a white one a pixel below and a pixel
// further right.
inline constexpr std::array<LineLayout, 2> kAboutLines = {{
    {"Line1", 1, {128, 128, 128}, 90, 2445, 5654, 2445},
    {"Line1", 0, {255, 255, 255}, 105, 2460, 5654, 2460},
}};

}  // namespace layout_tables

inline constexpr WindowLayout kMainWindowLayout{
    "frmMain", 4800, 1770, layout_tables::kMainControls, layout_tables::kMainMenu, {}};
inline constexpr WindowLayout kAboutLayout{
    "frmAbout", 5730, 3555, layout_tables::kAboutControls, {}, layout_tables::kAboutLines};

// The window a name belongs to, and its row there.
constexpr const WindowLayout& WindowOf(MainControl) {
  return kMainWindowLayout;
}
constexpr const WindowLayout& WindowOf(MainMenuItem) {
  return kMainWindowLayout;
}
constexpr const WindowLayout& WindowOf(AboutControl) {
  return kAboutLayout;
}

template <typename Name>
concept ControlName =
    std::is_enum_v<Name> && !std::is_same_v<Name, MainMenuItem> && requires(Name name) {
  WindowOf(name);
};

template <ControlName Name>
constexpr const ControlLayout& LayoutOf(Name name) {
  return WindowOf(name).controls[static_cast<std::size_t>(Row(name))];
}
constexpr const MenuItemLayout& LayoutOf(MainMenuItem item) {
  return kMainWindowLayout.menu[static_cast<std::size_t>(Row(item))];
}

// Where a control lies in its window's client area, in pixels.
PixelRect ClientPixels(const WindowLayout& window, const ControlLayout& control, int dpi);

}  // namespace pelloquin
