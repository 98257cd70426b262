// The Qt event loop around the windows, and the end of a session by a signal.
#pragma once

#include <functional>
#include <memory>

#include "app/views.h"

namespace pelloquin {

class QtDesktop : public Desktop {
 public:
  std::unique_ptr<AboutView> MakeAboutView(AboutDialog& dialog) override;
  void Quit() override;
};

// Runs `end` from the event loop when SIGTERM, SIGINT or SIGHUP arrives
// (a logout, a task manager, Ctrl+C), so the session ends as a close would;
// at every such signal, since the end may wait for file work under way (the
// event loop then runs in the progress window's repaints).
void EndSessionOnSignals(std::function<void()> end);

}  // namespace pelloquin
