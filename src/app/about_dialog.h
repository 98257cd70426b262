// What the About dialog does: its one instance, its load steps, System Info,
// and its part in the program's lifetime.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/app_services.h"
#include "app/lifetime.h"
#include "app/views.h"

namespace pelloquin {

// The fixed texts of the dialog.
std::string AboutDescription();
inline constexpr std::string_view kAboutDisclaimer = "";

class AboutDialog {
 public:
  AboutDialog(AppServices& services, Lifetime& lifetime, Desktop& desktop);

  // The About menu item: the one window is made on first use, loaded unless
  // it is loaded already, and shown in front, modeless.
  void Open();
  void SysInfo();
  // OK, or the window closed by any other means: the dialog is unloaded.
  void Closed();

  bool IsLoaded() const { return loaded_; }

 private:
  void Load();

  AppServices& services_;
  Lifetime& lifetime_;
  Desktop& desktop_;
  std::unique_ptr<AboutView> view_;
  bool loaded_ = false;
};

}  // namespace pelloquin
