// Twips to pixels, and the checks that hold the layout tables together.
#include "app/layout.h"

#include <cmath>
#include <iterator>

namespace pelloquin {

namespace {

// Each row carries its own place, so a name's row is its enumerator; a
// container is a frame listed before what lies in it, as the front ends make
// the frames first.
constexpr bool RowsInOrder(std::span<const ControlLayout> controls) {
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlLayout& control = controls[i];
    if (control.row != static_cast<int>(i)) return false;
    if (control.container == kClientArea) continue;
    if (control.container < 0 || control.container >= control.row ||
        controls[static_cast<std::size_t>(control.container)].kind != ControlKind::Frame) {
      return false;
    }
  }
  return true;
}

constexpr bool RowsInOrder(std::span<const MenuItemLayout> items) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].row != static_cast<int>(i)) return false;
  }
  return true;
}

static_assert(RowsInOrder(kMainWindowLayout.controls) && RowsInOrder(kMainWindowLayout.menu) &&
              RowsInOrder(kAboutLayout.controls));
// Every name has its row: the last of each enum is the table's last.
static_assert(Row(MainControl::cmdLaunch) + 1 == std::ssize(layout_tables::kMainControls));
static_assert(Row(MainMenuItem::mnuAbout) + 1 == std::ssize(layout_tables::kMainMenu));
static_assert(Row(AboutControl::cmdSysInfo) + 1 == std::ssize(layout_tables::kAboutControls));

}  // namespace

int TwipsToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

PixelRect TwipsToPixels(const TwipsRect& twips, int dpi) {
  const int left = TwipsToPixels(twips.left, dpi);
  const int top = TwipsToPixels(twips.top, dpi);
  return {left, top, TwipsToPixels(twips.left + twips.width, dpi) - left,
          TwipsToPixels(twips.top + twips.height, dpi) - top};
}

PixelRect ClientPixels(const WindowLayout& window, const ControlLayout& control, int dpi) {
  TwipsRect twips = control.twips;
  if (control.container != kClientArea) {
    const TwipsRect& frame = window.controls[static_cast<std::size_t>(control.container)].twips;
    twips.left += frame.left;
    twips.top += frame.top;
  }
  return TwipsToPixels(twips, dpi);
}

}  // namespace pelloquin
