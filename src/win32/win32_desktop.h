// The Win32 message loop around the windows.
#pragma once

#include <windows.h>

#include <memory>

#include "app/views.h"

namespace pelloquin {

class Win32Desktop : public Desktop {
 public:
  std::unique_ptr<AboutView> MakeAboutView(AboutDialog& dialog) override;
  // Posts WM_QUIT: the loop ends once the current message is handled.
  void Quit() override;
};

// Handles one message from the queue: the keyboard's dialog keys (Tab, access
// keys, Enter, Escape) go to the window they are typed in, the rest to its
// window procedure.
void DispatchWindowMessage(MSG& message);

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop();

}  // namespace pelloquin
