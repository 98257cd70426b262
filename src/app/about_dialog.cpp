// What the About dialog does.
#include "app/about_dialog.h"

#include "app/system_info.h"
#include "app_info.h"

namespace pelloquin {

namespace {

constexpr std::string_view kDescription =
    "The Pelloquin helps you keep track of all your save games between characters. Essentially "
    "you can swap in and out your save games depending on which character you would like to play.";

}  // namespace

std::string AboutDescription() {
  std::string text(kDescription);
  if (!std::string_view(kHomepageUrl).empty()) {
    text += ' ';
    text += kHomepageUrl;
  }
  return text;
}

AboutDialog::AboutDialog(AppServices& services, Lifetime& lifetime, Desktop& desktop)
    : services_(services), lifetime_(lifetime), desktop_(desktop) {}

void AboutDialog::Open() {
  if (!view_) view_ = desktop_.MakeAboutView(*this);
  if (!loaded_) Load();
  view_->ShowInFront();
}

void AboutDialog::Load() {
  view_->SetCaption("About " + std::string(kAppTitle));
  view_->SetVersion(std::string("Version ") + kVersionText);
  view_->SetTitle(kAppTitle);
  loaded_ = true;
  lifetime_.WindowOpened();
}

void AboutDialog::Closed() {
  if (!loaded_) return;
  loaded_ = false;
  lifetime_.WindowClosed();
}

void AboutDialog::SysInfo() {
  std::unique_ptr<RegistryApi> registry;
  try {
    if (services_.open_registry) registry = services_.open_registry(services_.state.SavePath);
  } catch (...) {
    // No registry to read: the command reports it as unavailable.
    registry.reset();
  }
  StartSysInfo(registry.get(), services_.prompt, services_.starter);
}

}  // namespace pelloquin
