// The windows' twips become pixels that still fit together at every screen scale.
#include "layout.h"

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
  struct Case {
    int dpi;
    int main_width, main_height;
  };
  for (const Case& c :
       {Case{96, 320, 118}, Case{120, 400, 148}, Case{144, 480, 177}, Case{192, 640, 236}}) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(TwipsToPixels(kMainWindowLayout.client_width, c.dpi), c.main_width);
    EXPECT_EQ(TwipsToPixels(kMainWindowLayout.client_height, c.dpi), c.main_height);
    for (const WindowLayout* window : {&kMainWindowLayout, &kAboutLayout}) {
      const PixelRect client{0, 0, TwipsToPixels(window->client_width, c.dpi),
                             TwipsToPixels(window->client_height, c.dpi)};
      for (const ControlLayout& control : window->controls) {
        const PixelRect rect = ClientPixels(*window, control, c.dpi);
        EXPECT_TRUE(Contains(client, rect)) << control.name;
        if (!control.container.empty()) {
          const ControlLayout& frame = ControlNamed(*window, control.container);
          EXPECT_TRUE(Contains(ClientPixels(*window, frame, c.dpi), rect)) << control.name;
        }
        // Buttons never overlap anything but the frames they may sit beside.
        for (const ControlLayout& other : window->controls) {
          if (&other == &control || control.kind != ControlKind::Button ||
              other.kind == ControlKind::Frame) {
            continue;
          }
          EXPECT_FALSE(Overlap(rect, ClientPixels(*window, other, c.dpi)))
              << control.name << " " << other.name;
        }
      }
    }
  }
  // Edges are rounded, so controls that meet in twips meet in pixels.
  EXPECT_EQ(TwipsToPixels(TwipsRect{15, 30, 15, 15}, 96), (PixelRect{1, 2, 1, 1}));
  EXPECT_EQ(TwipsToPixels(TwipsRect{10, 0, 10, 10}, 96).right(), TwipsToPixels(20, 96));
}

}  // namespace
}  // namespace pelloquin
