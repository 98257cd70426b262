// Twips to pixels, and finding controls in the layout tables.
#include "layout.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace pelloquin {

int TwipsToPixels(int twips, int dpi) {
  return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / kTwipsPerInch));
}

PixelRect TwipsToPixels(const TwipsRect& twips, int dpi) {
  const int left = TwipsToPixels(twips.left, dpi);
  const int top = TwipsToPixels(twips.top, dpi);
  return {left, top, TwipsToPixels(twips.left + twips.width, dpi) - left,
          TwipsToPixels(twips.top + twips.height, dpi) - top};
}

const ControlLayout& ControlNamed(const WindowLayout& window, std::string_view name) {
  for (const ControlLayout& control : window.controls) {
    if (control.name == name) return control;
  }
  throw std::logic_error("no control " + std::string(name) + " in " + std::string(window.name));
}

PixelRect ClientPixels(const WindowLayout& window, const ControlLayout& control, int dpi) {
  TwipsRect twips = control.twips;
  if (!control.container.empty()) {
    const TwipsRect& frame = ControlNamed(window, control.container).twips;
    twips.left += frame.left;
    twips.top += frame.top;
  }
  return TwipsToPixels(twips, dpi);
}

}  // namespace pelloquin
