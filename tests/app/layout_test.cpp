// The windows' twips become pixels that still fit together at every screen scale.
#include "app/layout.h"

#include <gtest/gtest.h>

namespace pelloquin {
namespace {

bool Contains(const PixelRect& outer, const PixelRect& inner) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right() &&
         inner.bottom() <= outer.bottom();
}

bool Overlap(const PixelRect& a, const PixelRect& b) {
  return a.left < b.right() && b.left < a.right() && a.top < b.bottom() && b.top < a.bottom();
}

TEST(Layout, ControlsFitTheirWindowsAtEveryScale) {
  for (const int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(dpi);
    for (const WindowLayout* window : {&kMainWindowLayout, &kAboutLayout}) {
      const PixelRect client{0, 0, TwipsToPixels(window->client_width, dpi),
                             TwipsToPixels(window->client_height, dpi)};
      for (const ControlLayout& control : window->controls) {
        const PixelRect rect = ClientPixels(*window, control, dpi);
        EXPECT_TRUE(Contains(client, rect)) << control.name;
        if (control.container != kClientArea) {
          const ControlLayout& frame =
              window->controls[static_cast<std::size_t>(control.container)];
          EXPECT_TRUE(Contains(ClientPixels(*window, frame, dpi), rect)) << control.name;
        }
        // Buttons never overlap anything but the frames they may sit beside.
        for (const ControlLayout& other : window->controls) {
          if (&other == &control || control.kind != ControlKind::Button ||
              other.kind == ControlKind::Frame) {
            continue;
          }
          EXPECT_FALSE(Overlap(rect, ClientPixels(*window, other, dpi)))
              << control.name << " " << other.name;
        }
      }
    }
  }
  // Pixels follow the scale, the halves rounded up; edges are rounded, so
  // controls that meet in twips meet in pixels.
  EXPECT_EQ(TwipsToPixels(1770, 144), 177);
  EXPECT_EQ(TwipsToPixels(1770, 120), 148);
  EXPECT_EQ(TwipsToPixels(TwipsRect{15, 30, 15, 15}, 96), (PixelRect{1, 2, 1, 1}));
  EXPECT_EQ(TwipsToPixels(TwipsRect{10, 0, 10, 10}, 96).right(), TwipsToPixels(20, 96));
}

}  // namespace
}  // namespace pelloquin
