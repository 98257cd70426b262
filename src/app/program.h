// The program's windows' behaviour, together: one main window, one About
// dialog and the rule that ends the program. A front end makes one, attaches
// its main window to `main`, runs `main.StartUp()`, shows the window and runs
// its event loop.
#pragma once

#include "app/about_dialog.h"
#include "app/app_services.h"
#include "app/lifetime.h"
#include "app/main_window.h"
#include "app/views.h"

namespace pelloquin {

struct Program {
  Program(AppServices& services, Desktop& desktop)
      : lifetime([&desktop] { desktop.Quit(); }),
        about(services, lifetime, desktop),
        main(services, lifetime, about) {}

  Lifetime lifetime;
  AboutDialog about;
  MainWindow main;
};

}  // namespace pelloquin
