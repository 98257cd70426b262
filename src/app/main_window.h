// What the main window does: the start-up that puts the save folder in order,
// Load Save, Launch, Config Save Location, About and closing. A front end's
// window shows it through a MainView and calls these on its events.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/about_dialog.h"
#include "app/app_services.h"
#include "app/character_tip.h"
#include "app/lifetime.h"
#include "app/session_end.h"
#include "app/views.h"
#include "core/deferred_removal.h"
#include "core/failure.h"

namespace pelloquin {

inline constexpr std::string_view kNoSelectionMessage = "You must select a character to load.";

class MainWindow {
 public:
  MainWindow(AppServices& services, Lifetime& lifetime, AboutDialog& about);

  // The window to show the state in; set before StartUp.
  void Attach(MainView& view) { view_ = &view; }

  // The start-up sequence; the window is shown once it has returned.
  void StartUp();
  void LoadSave();
  void Launch();
  void ConfigSaveLocation();
  void About();
  // The user closed the window: the settings are written.
  void Close();
  // The session ends (logout, a termination signal, the end of a Windows
  // session): closed as by the user, and the program ends, an open About
  // dialog included, once the removal under way has ended. Called during
  // file work (from the progress window's repaint), it only marks the
  // session as ending: the work runs to its end first and the action stops
  // there. Called during a dialog, it ends at once: the dialog then returns
  // as cancelled, since the program has left its event loop. Called during
  // the first run's prompt, nothing is written, so the next start is a first
  // run again. At most as long as the action under way, and the removal.
  void EndSession();
  // File work is under way that the end of the session waits for, and what
  // it does; nothing between actions.
  std::optional<std::string> Holding() const;

  // For the pointer resting on a row of the character list: read then, for
  // that character alone (the game's plugin lists are those read last). Nothing
  // for a row that is not there.
  std::optional<CharacterTip> TipForRow(std::size_t row) const;

 private:
  // The start-up's steps, in their order.
  // The settings file read into the state, its failures shown.
  void ReadSettings();
  // The first run's prompt for the save folder; the session ended during it
  // withholds the settings.
  Failures AskForSaveFolder();
  // The character list filled, then the saves sorted under the progress rule.
  Failures SortSaves();
  // The game's folder from the registry, when there is one.
  void FindGame();
  // What went wrong in the start-up, told once: sorting, names the settings
  // cannot keep, the removal before it.
  void ReportStartUp(const Failures& failures, const Failures& left);

  // Runs a command; an exception it throws is shown, never let into the
  // window system's event loop.
  void RunReportingErrors(const std::function<void()>& command);
  void ShowSettingsFailures(const Failures& failures);
  void ShowRemovalFailures(const Failures& failures);
  // The game's plugin lists read again: once per start and after the actions
  // that may follow a change of mods, never for a tip.
  void ReadInstalledPlugins();
  // Runs file work the end of the session waits for, told to the view.
  void Work(const std::string& reason, const std::function<void()>& work);
  // Ends the session asked for, once: the settings, then the program.
  void FinishEnd();

  AppServices& services_;
  Lifetime& lifetime_;
  AboutDialog& about_;
  MainView* view_ = nullptr;
  bool closed_ = false;
  InstalledPlugins installed_;
  SessionEnd session_;
  bool end_finished_ = false;
  // While the first run's prompt is up: nothing chosen yet, nothing to write.
  bool settings_withheld_ = false;
  // The names as stored, row by row: the list's text may not hold them byte for byte.
  std::vector<std::string> listed_names_;
  // The saves that left the save folder are removed once the window is
  // usable again; each action first waits for the removal before it.
  DeferredRemoval removal_;
};

}  // namespace pelloquin
